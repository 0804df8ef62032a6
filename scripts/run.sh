#!/usr/bin/env bash
# Installs what is missing, builds, places an empty contacts table next to the program when there
# is none, and starts the desktop program. The settings file and the logs are kept in the directory
# you start it from.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
source "$root/scripts/packages.sh"
corvane_install_missing

build="${CORVANE_BUILD_DIR:-$root/build}"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" --parallel "$(nproc)" --target corvane corvane-page contacts_table

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
    cat >&2 <<MSG
corvane: there is no display to open the window on.
Start it under a virtual display instead:
    sudo apt-get install -y xvfb xauth
    xvfb-run -a scripts/run.sh
or look at the windows as pictures:
    $build/bin/corvane-screenshots $build/screenshots
MSG
    exit 1
fi
exec "$build/bin/corvane" "$@"
