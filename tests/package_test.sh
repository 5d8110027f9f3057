#!/bin/sh
# Builds the Debian package, checks what it holds, and runs the unpacked
# program and manual pages.  Usage: package_test.sh BUILD_DIR BMI VERSION
set -u
build=$1
bmi=$2
version=$3
for tool in cpack dpkg-deb dpkg-shlibdeps man; do
    command -v "$tool" >/dev/null || { echo "skipped: $tool is not installed"; exit 77; }
done
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
status=0
fail() {
    echo "FAIL: $*"
    status=1
}

cpack --config "$build/CPackConfig.cmake" -G DEB -B "$scratch/out" >"$scratch/cpack.log" 2>&1 ||
    { cat "$scratch/cpack.log"; exit 1; }
deb=$scratch/out/bmi_${version}_$(dpkg --print-architecture).deb
[ -f "$deb" ] || { echo "FAIL: no $deb"; ls "$scratch/out"; exit 1; }

dpkg-deb --contents "$deb" | awk '$1 !~ /^d/ { print $6 }' | sort >"$scratch/files"
sort >"$scratch/expected" <<'LIST'
./usr/bin/bmi
./usr/share/doc/bmi/LICENSE
./usr/share/doc/bmi/README.md
./usr/share/man/ja/man1/bmi.1
./usr/share/man/man1/bmi.1
LIST
diff -u "$scratch/expected" "$scratch/files" || fail "the package holds other files"

field() { dpkg-deb -f "$deb" "$1"; }
[ "$(field Version)" = "$version" ] || fail "Version: $(field Version)"
[ "$(field Section)" = utils ] || fail "Section: $(field Section)"
[ "$(field Recommends)" = luit ] || fail "Recommends: $(field Recommends)"
field Depends | grep -q 'libc6' || fail "Depends, computed from the binary: $(field Depends)"
[ -n "$(field Maintainer)" ] || fail "no Maintainer"
[ "$(field Description | wc -l)" -gt 2 ] || fail "no long description"

dpkg-deb -x "$deb" "$scratch/root"
printf '80\n3\n70\n1.75\nx\n' | "$scratch/root/usr/bin/bmi" >"$scratch/packaged.out"
packaged=$?
printf '80\n3\n70\n1.75\nx\n' | "$bmi" >"$scratch/built.out"
[ "$packaged" = 0 ] || fail "the packaged bmi exited $packaged"
[ -s "$scratch/built.out" ] || fail "the built bmi wrote nothing"
cmp "$scratch/built.out" "$scratch/packaged.out" || fail "the packaged bmi writes other bytes"

for page in man/man1/bmi.1 man/ja/man1/bmi.1; do
    MANWIDTH=80 man -l "$scratch/root/usr/share/$page" >"$scratch/page" 2>/dev/null ||
        fail "man -l $page"
    grep -q 'bmi' "$scratch/page" && [ "$(wc -l <"$scratch/page")" -gt 40 ] ||
        fail "$page rendered to $(wc -l <"$scratch/page") lines"
done
[ "$status" = 0 ] && echo "package: $(basename "$deb") holds, runs and renders"
exit "$status"
