#!/bin/sh
# Makes the package and checks what a user gets: the files cmake --install
# installs, the programs running, a valid menu entry, and
# the verdicts of lintian, rpmlint and hardening-check.
# Usage: package_test.sh BUILD_DIR PACKAGE [RUNNER ...], where PACKAGE is the
# name CPack must give and RUNNER starts a program built for another system.
set -u
# shellcheck source=tests/common.sh
. "$(dirname "$0")/common.sh"
build=$1
package=$2
shift 2
# Debian 12's C start files carry no control-flow marking, so no program
# linked there shows it; glibc fortifies C++'s printf and scanf only through
# a GCC builtin.
if [ -n "${BMI_HARDENED:-}" ] && [ $# = 0 ]; then
    unshown='Control flow integrity'
    [ "${BMI_COMPILER:-}" != Clang ] || unshown="$unshown|Fortify Source functions: no, only unprotected"
fi
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
# Under a umask that keeps everything to its owner, which no package may show.
(umask 077 && cpack --config "$build/CPackConfig.cmake" -B "$scratch/out") >"$scratch/cpack.log" 2>&1 ||
    { cat "$scratch/cpack.log"; exit 1; }
pkg=$scratch/out/$package
[ -f "$pkg" ] || { echo "FAIL: no $package"; ls "$scratch/out"; exit 1; }
(cd "$scratch/out" && sha256sum -c "$package.sha256") || fail "no SHA-256 sum beside $package"
root=$scratch/root
installed=$scratch/installed
mkdir "$root"
case $package in
*.deb) dpkg-deb -x "$pkg" "$root" ;;
*.rpm) rpm2archive -n <"$pkg" | tar -x -C "$root" ;;
*) (cd "$root" && cmake -E tar xf "$pkg") && root=$root/${package%.*} && root=${root%.tar} ;;
esac || fail "cannot unpack $package"
prefix=/usr
[ "${package%.zip}" = "$package" ] || prefix=/
DESTDIR=$installed cmake --install "$build" --prefix "$prefix" >/dev/null || fail "cmake --install failed"
(cd "$installed" && find . ! -type d | sort) >"$scratch/expected"
(cd "$root" && find . ! -type d | sort) | diff -u "$scratch/expected" - || fail "not the files cmake --install installs"
# The page is the browser test's.
[ "${package%-web.zip}" = "$package" ] || finish "package: $package holds the page that cmake --install installs"
printf '80\n3\n70\n1.75\nx\n' >"$scratch/input"
# Usage: run OUTPUT COMMAND...
run() {
    out=$1
    shift
    "$@" <"$scratch/input" >"$out" || fail "$* exited $?"
}
if [ "$prefix" = / ]; then
    program=bmi.exe
    for text in "$root"/*.txt; do
        grep -q -v "$(printf '\r')\$" "$text" && fail "$text has lines without CRLF"
    done
    objdump -h "$root/$program" | grep -q debug && fail "bmi.exe is not stripped"
    if [ -n "${BMI_HARDENED:-}" ]; then
        objdump -p "$root/$program" >"$scratch/headers"
        for flag in HIGH_ENTROPY_VA DYNAMIC_BASE NX_COMPAT; do
            grep -q "$flag" "$scratch/headers" || fail "bmi.exe is not marked $flag"
        done
        grep -q 'stack smashing detected' "$root/$program" || fail "bmi.exe has no stack protector"
    fi
else
    program=usr/bin/bmi
    out=$(desktop-file-validate "$root/usr/share/applications/bmi.desktop" 2>&1 || echo failed)
    [ -z "$out" ] || fail "desktop-file-validate: $out"
    if [ -n "${unshown:-}" ]; then
        hardening-check "$root/usr/bin/bmi" "$root/usr/bin/bmi-term" >"$scratch/hardening" 2>&1
        grep -Ev "$unshown" "$scratch/hardening" | grep ': no' && fail "hardening-check: $(cat "$scratch/hardening")"
        for program in bmi bmi-term; do
            [ "$(uname -m)" != x86_64 ] || objdump -d "$root/usr/bin/$program" | grep -q endbr64 ||
                fail "$program has no end-branch instructions"
        done
        program=usr/bin/bmi
    fi
fi
case $package in
*.deb) lintian --fail-on error,warning "$pkg" >"$scratch/lintian" 2>&1 ||
    fail "lintian: $(grep -v 'root privileges' "$scratch/lintian")" ;;
*.rpm)
    rpmlint "$pkg" 2>&1 | grep ': E: ' | grep -v ': E: no-signature$' && fail "rpmlint finds errors"
    rpm -qp --recommends "$pkg" | grep -qx glibc-gconv-extra || fail "does not recommend glibc-gconv-extra" ;;
esac
run "$scratch/installed.out" "$@" "$installed/$program"
run "$scratch/packaged.out" "$@" "$root/$program"
[ -s "$scratch/installed.out" ] || fail "bmi wrote nothing"
cmp "$scratch/installed.out" "$scratch/packaged.out" || fail "the packaged bmi writes other bytes"
finish "package: $package holds what cmake --install installs, and it runs"
