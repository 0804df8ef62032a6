#!/usr/bin/env bash
# Installs the built Debian package into a temporary root with dpkg itself (its maintainer scripts
# run against that root, as dpkg runs them without a chroot), checks what an operator, man and an
# administrator find there, installs it again over an edited services file and a used table, then
# purges it and checks what is left. Needs root, as dpkg does.
#   tests/install/packageTest.sh dist/corvane_VERSION_ARCH.deb
set -euo pipefail
deb="$1"
if [ "$(id -u)" -ne 0 ]; then
    echo "packageTest: dpkg installs as root only; run it as root (or through sudo)" >&2
    exit 2
fi
root="$(mktemp -d)"
trap 'rm -rf "$root"' EXIT
mkdir -p "$root/var/lib/dpkg/info" "$root/var/lib/dpkg/updates" "$root/etc"
touch "$root/var/lib/dpkg/status" "$root/var/lib/dpkg/available"
printf 'root:x:0:\n' >"$root/etc/group"
printf 'root:*::\n' >"$root/etc/gshadow"
# The temporary root has none of the package's dependencies: dpkg's list of them is shown only
# when the install fails.
install_package() {
    local out
    if ! out="$(dpkg --root="$root" --force-script-chrootless --force-depends --force-confold --log=/dev/null \
        -i "$deb" 2>&1)"; then
        echo "$out"
        exit 1
    fi
}
install_package

failed=0
fail() {
    echo "package: $*"
    failed=1
}
rights() { stat -c '%a %U %g' "$1"; }
gid="$(awk -F: '$1 == "corvane" { print $3 }' "$root/etc/group")"
[ -n "$gid" ] || fail "no group corvane made"

# Every program is there, stripped, answers --version, and has its manual page.
programs=(corvane corvane-page corvane-contacts corvane-gateway corvane-mkcontacts)
for program in "${programs[@]}"; do
    file="$root/usr/bin/$program"
    [ -x "$file" ] || { fail "missing program $program"; continue; }
    file -b "$file" | grep -q ', stripped' || fail "$program is not stripped"
    "$file" --version | grep -q "^$program [0-9]" || fail "$program --version"
    page="$root/usr/share/man/man1/$program.1.gz"
    if [ ! -f "$page" ]; then
        fail "no manual page for $program"
    elif ! zcat "$page" | grep -qi "^\.TH $program 1"; then
        fail "the manual page $page is not $program's"
    fi
done
for installed in "$root"/usr/bin/*; do
    name="$(basename "$installed")"
    [ "$name" = contacts.nx1 ] && continue
    printf '%s\n' "${programs[@]}" | grep -qx "$name" || fail "unchecked program $name"
done
[ "$(ls "$root/usr/share/man/man1" | wc -l)" = "${#programs[@]}" ] || fail "manual pages: $(ls "$root/usr/share/man/man1")"

doc="$root/usr/share/doc/corvane"
head -1 "$doc/copyright" | grep -qx 'Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/' ||
    fail "copyright is not in the machine-readable format"
zcat "$doc/changelog.Debian.gz" | head -1 | grep -q "^corvane ($(dpkg-deb -f "$deb" Version)) " ||
    fail "changelog.Debian.gz does not start with this version"

# The services file: a conffile, readable by root and the group only, and the programs take it.
conf="$root/etc/corvane/services.ini"
dpkg-query --root="$root" -W -f='${Conffiles}\n' corvane | grep -q '^ /etc/corvane/services.ini ' ||
    fail "services.ini is not a conffile"
[ "$(rights "$conf")" = "640 root $gid" ] || fail "services.ini rights: $(rights "$conf")"
"$root/usr/bin/corvane-page" --services "$conf" --id 5550100 --help >/dev/null || fail "corvane-page with the example"

# The contacts table: the group's, readable by all, found through the link beside the programs.
[ "$(rights "$root/var/lib/corvane")" = "2775 root $gid" ] || fail "table folder rights: $(rights "$root/var/lib/corvane")"
table="$root/var/lib/corvane/contacts.nx1"
[ "$(rights "$table")" = "664 root $gid" ] || fail "table rights: $(rights "$table")"
[ "$(readlink "$root/usr/bin/contacts.nx1")" = /var/lib/corvane/contacts.nx1 ] || fail "no link to the table"
[ "$(sqlite3 "$table" 'SELECT count(*) FROM contacts')" = 0 ] || fail "the table is not an empty contacts table"

# Installed again: the operators' table and the administrator's services file stay as they were.
sqlite3 "$table" "INSERT INTO contacts (name, id) VALUES ('Kept Contact', '1')"
printf '[Service1]\naddress=snpp.site.example\n' >>"$conf"
install_package
[ "$(sqlite3 "$table" 'SELECT count(*) FROM contacts')" = 1 ] || fail "the table was replaced"
grep -q '^address=snpp.site.example$' "$conf" || fail "the edited services file was replaced"
[ "$(rights "$conf")" = "640 root $gid" ] || fail "services.ini rights after reinstalling: $(rights "$conf")"

# Purged: the table, the link, the services file and its rights go; the system group stays.
dpkg --root="$root" --force-script-chrootless --log=/dev/null --purge corvane >/dev/null 2>&1 || fail "purge failed"
for gone in var/lib/corvane usr/bin/contacts.nx1 etc/corvane/services.ini; do
    [ ! -e "$root/$gone" ] && [ ! -L "$root/$gone" ] || fail "left after purge: $gone"
done
[ -z "$(dpkg-statoverride --root="$root" --list)" ] || fail "rights override left after purge"
grep -q '^corvane:' "$root/etc/group" || fail "the group corvane went with the purge"
exit $failed
