#!/usr/bin/env bash
# Installs what is missing, builds, places an empty contacts table next to the program when there
# is none, and starts the desktop program. The settings file and the logs are kept in the directory
# you start it from.
#   scripts/run.sh          the program, in the current directory
#   scripts/run.sh --demo   a ready demo in build/demo: 20 contacts in three groups, logging on
# When the build's paging service 1 is this machine and nothing listens on its port, a local
# gateway (corvane-gateway) is started there for the session and stopped when the window closes.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
source "$root/scripts/packages.sh"
corvane_install_missing

demo=0
demo_option=""
if [ "${1:-}" = "--demo" ]; then
    demo=1
    demo_option=" --demo"
    shift
fi

build="${CORVANE_BUILD_DIR:-$root/build}"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" --parallel "$(nproc)" --target corvane corvane-page corvane-gateway corvane-mkcontacts \
    contacts_table

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
    cat >&2 <<MSG
corvane: there is no display to open the window on.
Start it under a virtual display instead:
    sudo apt-get install -y xvfb xauth
    xvfb-run -a scripts/run.sh$demo_option
or look at the windows as pictures:
    $build/bin/corvane-screenshots $build/screenshots
MSG
    exit 1
fi

program="$build/bin/corvane"
if [ $demo -eq 1 ]; then
    # The demo has a directory of its own: the program, its own contacts table beside it (the
    # program reads the table from its own directory), a names.txt and a settings file.
    dir="$build/demo"
    mkdir -p "$dir"
    cp -f "$build/bin/corvane" "$build/bin/corvane-page" "$dir/"
    if [ ! -e "$dir/contacts.nx1" ]; then
        "$build/bin/corvane-mkcontacts" "$dir/contacts.nx1"
        sqlite3 "$dir/contacts.nx1" <"$root/scripts/demo-contacts.sql"
    fi
    sqlite3 -separator , "$dir/contacts.nx1" "SELECT name, id FROM contacts ORDER BY name" >"$dir/names.txt"
    printf '[General]\r\ntimeout=45\r\n[LOGGING]\r\nloggingEnabled=1\r\nloggingDir=./logs/\r\n[Groups]\r\ngroup1Name=Night shift\r\ngroup2Name=Engineering\r\ngroup3Name=Facilities\r\n' \
        >"$dir/corvane3.ini"
    program="$dir/corvane"
    cd "$dir"
    echo "corvane: demo in $dir (20 contacts in the groups Night shift, Engineering and Facilities)"
fi

# Service 1 as built: the host before the first comma, and the port.
cache="$build/CMakeCache.txt"
host="$(sed -n 's/^CORVANE_SERVICE1_IP:[A-Z]*=//p' "$cache" | cut -d, -f1 | tr -d ' ')"
port="$(sed -n 's/^CORVANE_SERVICE1_PORT:[A-Z]*=//p' "$cache")"
gateway_pid=""
case "$host" in
localhost | 127.* | ::1)
    if ! (exec 3<>"/dev/tcp/127.0.0.1/$port") 2>/dev/null; then
        log="$build/gateway.log"
        "$build/bin/corvane-gateway" --port "$port" >"$log" 2>&1 &
        gateway_pid=$!
        sleep 0.3
        if kill -0 "$gateway_pid" 2>/dev/null; then
            echo "corvane: started a local SNPP gateway on port $port for this session; the pages it takes are in $log"
            trap 'kill "$gateway_pid" 2>/dev/null; wait "$gateway_pid" 2>/dev/null || true' EXIT
        else
            gateway_pid=""
            cat "$log" >&2
            echo "corvane: no gateway could be started on port $port. Run as root, or allow the gateway" \
                "to use low ports once: sudo setcap cap_net_bind_service=+ep $build/bin/corvane-gateway" >&2
        fi
    fi
    ;;
esac

"$program" "$@"
