#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test.
#   scripts/test.sh              the normal build, in build/ (or $CORVANE_BUILD_DIR)
#   scripts/test.sh --sanitize   the same suite built with AddressSanitizer and UndefinedBehavior-
#                                Sanitizer, in build-sanitize/; any report fails the run
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
source "$root/scripts/packages.sh"
corvane_install_missing

sanitize=OFF
build="${CORVANE_BUILD_DIR:-$root/build}"
if [ "${1:-}" = "--sanitize" ]; then
    sanitize=ON
    build="${CORVANE_SANITIZE_BUILD_DIR:-$root/build-sanitize}"
fi
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_COMPILE_WARNING_AS_ERROR="${CORVANE_WARNINGS_AS_ERRORS:-OFF}" -DCORVANE_SANITIZE=$sanitize >/dev/null
cmake --build "$build" --parallel "$(nproc)"
cd "$build"
ctest --output-on-failure --parallel "$(nproc)" --timeout 300
