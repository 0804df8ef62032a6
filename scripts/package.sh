#!/usr/bin/env bash
# Makes the Debian package from a clean build directory, so that it holds only what this source
# and these options give (never a program left over from another site's build), checks it with
# lintian and with the install test, and puts it in dist/.
#   scripts/package.sh [-DCORVANE_SERVICE1_IP=... ...]   options go to CMake as for any build
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
source "$root/scripts/packages.sh"
corvane_install_missing dpkg-dev lintian file

build="${CORVANE_PACKAGE_BUILD_DIR:-$root/build-package}"
rm -rf "$build"
# Debian's hardening flags: fortified functions, stack protector, read-only relocations bound now.
export DEB_BUILD_MAINT_OPTIONS=hardening=+all
CXXFLAGS="$(dpkg-buildflags --get CPPFLAGS) $(dpkg-buildflags --get CXXFLAGS)"
LDFLAGS="$(dpkg-buildflags --get LDFLAGS)"
export CXXFLAGS LDFLAGS
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_COMPILE_WARNING_AS_ERROR="${CORVANE_WARNINGS_AS_ERRORS:-OFF}" -DCORVANE_PACKAGE=ON "$@" >/dev/null
cmake --build "$build" --parallel "$(nproc)"
(cd "$build" && cpack -G DEB >/dev/null)

mkdir -p "$root/dist"
rm -f "$root/dist"/corvane*.deb "$root/dist"/corvane*.ddeb
cp "$build"/corvane*.deb "$root/dist/"
cp "$build"/corvane*.ddeb "$root/dist/" 2>/dev/null || true

deb="$(ls "$root"/dist/corvane_*.deb)"
lintian --fail-on error,warning "$deb"
bash "$root/tests/install/packageTest.sh" "$deb"
echo "corvane: package in ${deb#"$root"/}"
