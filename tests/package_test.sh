#!/bin/sh
# Builds a package, checks what it holds and runs the unpacked program.
# Usage: package_test.sh BUILD_DIR BMI PACKAGE [RUNNER ...], where PACKAGE is the
# name CPack must give and RUNNER starts a program built for another system.
set -u
# shellcheck source=tests/common.sh
. "$(dirname "$0")/common.sh"
build=$1
bmi=$2
package=$3
shift 3
case $package in
*.zip) generator=ZIP tools="cpack objdump" ;;
*.rpm) generator=RPM tools="cpack rpm rpm2archive tar" ;;
*) generator=DEB tools="cpack dpkg-deb dpkg-shlibdeps file" ;;
esac
# shellcheck disable=SC2086
need $tools
# dpkg-shlibdeps finds another processor's C library through dpkg.
architecture=${package##*_}
architecture=${architecture%.deb}
if [ "$generator" = DEB ] && [ "$architecture" != "$(dpkg --print-architecture)" ] &&
    ! dpkg -s "libc6:$architecture" >/dev/null 2>&1; then
    skip "libc6:$architecture is not installed (dpkg --add-architecture $architecture)"
fi
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
cpack --config "$build/CPackConfig.cmake" -G "$generator" -B "$scratch/out" >"$scratch/cpack.log" 2>&1 ||
    { cat "$scratch/cpack.log"; exit 1; }
pkg=$scratch/out/$package
[ -f "$pkg" ] || { echo "FAIL: no $package"; ls "$scratch/out"; exit 1; }
if command -v sha256sum >/dev/null; then
    (cd "$scratch/out" && sha256sum -c "$package.sha256") || fail "no SHA-256 sum beside $package"
fi
mkdir "$scratch/root"
if [ "$generator" = ZIP ]; then
    (cd "$scratch/root" && cmake -E tar xf "$pkg") || fail "cannot unpack $package"
    folder=$scratch/root/${package%.zip}
    program=$folder/bmi.exe
    (cd "$scratch/root" && find . -type f | sort) >"$scratch/files"
    # The manuals are rendered where groff is.
    {
        printf '%s\n' bmi.exe LICENSE.txt README.txt
        command -v groff >/dev/null && printf '%s\n' manual.txt manual-ja.txt
    } | sed "s|^|./${package%.zip}/|" | sort >"$scratch/expected"
    # Windows' editors want CRLF line ends; a release has no debugging sections.
    for text in "$folder"/*.txt; do
        grep -q -v "$(printf '\r')\$" "$text" && fail "$text has lines without CRLF"
        [ "$(wc -l <"$text")" -gt 10 ] || fail "$text has $(wc -l <"$text") lines"
    done
    objdump -h "$program" | grep -q debug && fail "bmi.exe is not stripped"
else
    # Each file's mode and path.
    if [ "$generator" = RPM ]; then
        rpm2archive -n <"$pkg" | tar -x -C "$scratch/root" || fail "cannot unpack $package"
        rpm -qp --qf '[%{FILEMODES:perms} .%{FILENAMES}\n]' "$pkg" >"$scratch/modes"
    else
        dpkg-deb -x "$pkg" "$scratch/root"
        dpkg-deb --contents "$pkg" | awk '{ print $1, $6 }' >"$scratch/modes"
    fi
    awk '$1 !~ /^d/ { print $2 }' "$scratch/modes" | sort >"$scratch/files"
    program=$scratch/root/usr/bin/bmi
    sort >"$scratch/expected" <<'LIST'
./usr/bin/bmi
./usr/bin/bmi-term
./usr/share/applications/bmi.desktop
./usr/share/doc/bmi/README.md
./usr/share/doc/bmi/changelog.gz
./usr/share/doc/bmi/copyright
./usr/share/man/ja/man1/bmi-term.1.gz
./usr/share/man/ja/man1/bmi.1.gz
./usr/share/man/man1/bmi-term.1.gz
./usr/share/man/man1/bmi.1.gz
LIST
    # Debian 12's C start files carry no control-flow marking, so no program
    # linked there shows it; bmi's own code must have its end-branch instructions.
    if [ -n "${BMI_HARDENED:-}" ] && [ $# = 0 ] && command -v hardening-check >/dev/null; then
        hardening-check "$program" "$program-term" >"$scratch/hardening" 2>&1
        unshown='Control flow integrity'
        # glibc fortifies C++'s printf and scanf only through a GCC builtin.
        if [ "${BMI_COMPILER:-}" = Clang ]; then
            unshown="$unshown|Fortify Source functions: no, only unprotected"
            echo "clang: no fortified calls expected (glibc fortifies C++ calls only with GCC)"
        fi
        grep -Ev "$unshown" "$scratch/hardening" | grep ': no' &&
            fail "hardening-check: $(cat "$scratch/hardening")"
        [ "$(uname -m)" != x86_64 ] || { objdump -d "$program" | grep -q endbr64 && objdump -d "$program-term" | grep -q endbr64; } ||
            fail "no end-branch instructions"
    fi
    if command -v desktop-file-validate >/dev/null; then
        # It says why whenever it fails, and hints otherwise.
        out=$(desktop-file-validate "$scratch/root/usr/share/applications/bmi.desktop" 2>&1)
        [ -z "$out" ] || fail "desktop-file-validate: $out"
    else
        echo "desktop-file-validate is not installed: not run"
    fi
    if [ "$generator" = RPM ]; then
        tag() { rpm -qp --qf "%{$1}" "$pkg"; }
        [ "$package" = "$(tag NAME)-$(tag VERSION)-$(tag RELEASE).$(tag ARCH).rpm" ] ||
            fail "$(tag NAME) $(tag VERSION) $(tag RELEASE) $(tag ARCH) in $package"
        [ "$(tag LICENSE)" = MIT ] || fail "License: $(tag LICENSE)"
        [ "$(tag PREFIXES)" = "(none)" ] || fail "relocatable: $(tag PREFIXES)"
        recommends=$(rpm -qp --recommends "$pkg")
        [ "$recommends" = glibc-gconv-extra ] || fail "Recommends: $recommends"
        [ "$(rpm -qpL "$pkg")" = /usr/share/doc/bmi/copyright ] || fail "licence files: $(rpm -qpL "$pkg")"
        owned=$(awk '$1 ~ /^d/ { print $2 }' "$scratch/modes" | tr '\n' ' ')
        [ "$owned" = "./usr/share/doc/bmi " ] || fail "owns the folders $owned"
        rpm -qp --changelog "$pkg" | head -n 1 | grep -q " - $(tag VERSION)-1\$" ||
            fail "%changelog: $(rpm -qp --changelog "$pkg" | head -n 1)"
        if command -v rpmlint >/dev/null; then
            rpmlint "$pkg" >"$scratch/rpmlint" 2>&1
            grep ': E: ' "$scratch/rpmlint" | grep -v ': E: no-signature$' &&
                fail "rpmlint: $(cat "$scratch/rpmlint")"
        else
            echo "rpmlint is not installed: not run"
        fi
    else
        field() { dpkg-deb -f "$pkg" "$1"; }
        [ "${package}" = "bmi_$(field Version)_$(field Architecture).deb" ] ||
            fail "Version $(field Version), Architecture $(field Architecture) in $package"
        [ "$(field Section)" = utils ] || fail "Section: $(field Section)"
        field Depends | grep -Eq '(^|, )libc6 \(>= ' || fail "Depends, computed from the binary: $(field Depends)"
        [ -n "$(field Maintainer)" ] || fail "no Maintainer"
        [ "$(field Description | wc -l)" -gt 2 ] || fail "no long description"
        if command -v lintian >/dev/null; then
            lintian --fail-on error,warning "$pkg" >"$scratch/lintian" 2>&1 ||
                fail "lintian: $(grep -v 'root privileges' "$scratch/lintian")"
        else
            echo "lintian is not installed: not run"
        fi
    fi
fi
diff -u "$scratch/expected" "$scratch/files" || fail "$package holds other files"
printf '80\n3\n70\n1.75\nx\n' >"$scratch/input"
"$@" "$program" <"$scratch/input" >"$scratch/packaged.out"
packaged=$?
"$@" "$bmi" <"$scratch/input" >"$scratch/built.out"
[ "$packaged" = 0 ] || fail "the packaged bmi exited $packaged"
[ -s "$scratch/built.out" ] || fail "the built bmi wrote nothing"
cmp "$scratch/built.out" "$scratch/packaged.out" || fail "the packaged bmi writes other bytes"
finish "package: $package holds and runs"
