#!/usr/bin/env bash
# Shared by run.sh and test.sh: installs the Debian packages the build needs, only those missing.
# Sourced, not run.

corvane_packages=(build-essential cmake ninja-build qt6-base-dev libsqlite3-dev libgtest-dev sqlite3
    fonts-dejavu-core clang-format desktop-file-utils)

corvane_install_missing() {
    local missing=()
    local pkg
    for pkg in "${corvane_packages[@]}" "$@"; do
        if ! dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q 'install ok installed'; then
            missing+=("$pkg")
        fi
    done
    [ ${#missing[@]} -eq 0 ] && return 0

    local sudo=()
    if [ "$(id -u)" -ne 0 ]; then
        if command -v sudo >/dev/null 2>&1; then
            sudo=(sudo)
        else
            echo "corvane: missing packages (${missing[*]}) and no root rights to install them" >&2
            return 1
        fi
    fi
    echo "corvane: installing ${missing[*]}"
    "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get update -qq >/dev/null
    "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
}
