#!/usr/bin/env bash
# How long corvane-page takes to read a --to-file and account for everyone in it, for lists of
# 2,000 and 20,000 names over a table of as many contacts (the service refuses the connection, so
# the time is the reading, the lookups and the accounting, not paging). Linear reading shows as a
# ratio near 10 between the two.
#   bench/toFileBench.sh [BUILD_DIR]
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${1:-$root/build}"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
cp "$build/bin/corvane-page" "$work/"
printf '[Service1]\naddress=127.0.0.1\nport=9\n' > "$work/services.ini"
for n in 2000 20000; do
    rm -f "$work/contacts.nx1"
    "$build/bin/corvane-mkcontacts" "$work/contacts.nx1" >/dev/null
    sqlite3 "$work/contacts.nx1" "WITH RECURSIVE k(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM k WHERE i < $n)
        INSERT INTO contacts (name, id, serviceNumber) SELECT 'Person ' || i, 5550000 + i, 1 FROM k;"
    seq 1 "$n" | sed 's/^/Person /' > "$work/list.txt"
    start=$(date +%s.%N)
    (cd "$work" && ./corvane-page --services services.ini --to-file list.txt "Bench" >/dev/null 2>&1) || true
    end=$(date +%s.%N)
    awk -v n="$n" -v a="$start" -v b="$end" 'BEGIN { printf "%6d names: %.2f s\n", n, b - a }'
done
