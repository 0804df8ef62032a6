#!/usr/bin/env bash
# Installs the build into a temporary prefix, as "cmake --install build --prefix DIR" does, and
# checks what an operator and a desktop find there. A second install keeps the contacts table.
set -euo pipefail
build="$1"
prefix="$(mktemp -d)"
trap 'rm -rf "$prefix"' EXIT
cmake --install "$build" --prefix "$prefix" >/dev/null

failed=0
for file in bin/corvane bin/corvane-page bin/corvane-contacts bin/corvane-gateway bin/corvane-mkcontacts bin/contacts.nx1 \
    share/applications/corvane.desktop share/icons/hicolor/scalable/apps/corvane.svg \
    share/man/man1/corvane.1.gz share/man/man1/corvane-page.1.gz share/man/man1/corvane-gateway.1.gz \
    share/man/man1/corvane-mkcontacts.1.gz share/man/man1/corvane-contacts.1.gz share/doc/corvane/README.md \
    share/doc/corvane/copyright; do
    if [ ! -e "$prefix/$file" ]; then
        echo "missing: $file"
        failed=1
    fi
done
help="$("$prefix/bin/corvane-page" --help)"
grep -q -- "--group <N>" <<<"$help" || { echo "corvane-page --help"; failed=1; }
help="$("$prefix/bin/corvane-gateway" --help)"
grep -q -- "--refuse <ID>" <<<"$help" || { echo "corvane-gateway --help"; failed=1; }
for program in corvane corvane-page corvane-contacts corvane-gateway corvane-mkcontacts; do
    "$prefix/bin/$program" --version | grep -q "^$program [0-9]" || { echo "$program --version"; failed=1; }
done
(cd "$prefix" && "$prefix/bin/corvane-mkcontacts" --help >/dev/null && [ ! -e --help ]) || { echo "corvane-mkcontacts --help"; failed=1; }
grep -q "^Exec=$prefix/bin/corvane$" "$prefix/share/applications/corvane.desktop" || { echo "Exec line"; failed=1; }
desktop-file-validate "$prefix/share/applications/corvane.desktop" || { echo "desktop file"; failed=1; }

sqlite3 "$prefix/bin/contacts.nx1" "INSERT INTO contacts (name, id) VALUES ('Kept Contact', '1')"
cmake --install "$build" --prefix "$prefix" >/dev/null
[ "$(sqlite3 "$prefix/bin/contacts.nx1" "SELECT count(*) FROM contacts")" = 1 ] || { echo "table overwritten"; failed=1; }
exit $failed
