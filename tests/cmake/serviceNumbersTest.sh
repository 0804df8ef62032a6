#!/usr/bin/env bash
# Configures the project as a site would, with the service numbers written with leading zeros, and
# checks that the program is built with the decimal values (a leading zero in C++ is octal: 0444
# would be port 292). Values out of range are refused at configure time.
set -euo pipefail
source="$1"
build="$(mktemp -d)"
trap 'rm -rf "$build"' EXIT
cmake -S "$source" -B "$build" -DCORVANE_SERVICE1_PORT=0444 -DCORVANE_SERVICE1_MAXCHARS=0160 \
    -DCORVANE_SERVICE1_SPLITCHARS=080 -DCORVANE_SERVICE2_PORT=00010444 >/dev/null
generated="$build/generated/corvane_services.cpp"
failed=0
grep -q 'u"localhost", u"", 444, 160,' "$generated" || { echo "service 1 port or maxChars not decimal"; failed=1; }
grep -q '^ *80, ' "$generated" || { echo "service 1 splitChars not decimal"; failed=1; }
grep -q 'u"localhost", u"", 10444, 999,' "$generated" || { echo "service 2 port not decimal"; failed=1; }
if cmake -S "$source" -B "$build" -DCORVANE_SERVICE1_PORT=070000 >/dev/null 2>&1; then
    echo "port 070000 (70000) was taken"
    failed=1
fi
[ "$failed" = 0 ] && echo "service numbers: decimal"
exit "$failed"
