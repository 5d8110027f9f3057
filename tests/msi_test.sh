#!/bin/sh
# Installs the .msi silently into a new Wine folder, runs the installed
# bmi.exe in a pipe, follows the Start-menu shortcut, installs a newer
# version over it, then uninstalls that: nothing of ours may stay.  Usage: msi_test.sh BUILD_DIR MSI WINE...
set -u
# shellcheck source=tests/common.sh
. "$(dirname "$0")/common.sh"
build=$1
msi=$2
shift 2
for wine; do :; done
[ -x "$wine" ] || skip "Wine is not installed ($wine)"
scratch=$(mktemp -d)
export WINEPREFIX="$scratch/wine"
trap '"$(dirname "$wine")/wineserver64" -k 2>/dev/null; rm -rf "$scratch"' EXIT
cpack --config "$build/CPackConfig.cmake" -B "$scratch/out" >"$scratch/cpack.log" 2>&1 ||
    { cat "$scratch/cpack.log"; exit 1; }
pkg=$scratch/out/$msi
[ -f "$pkg" ] || { cat "$scratch/cpack.log"; echo "FAIL: no $msi"; exit 1; }
(cd "$scratch/out" && cmake -E tar xf "${msi%.msi}.zip" && sha256sum -c "$msi.sha256") ||
    fail "no SHA-256 sum beside $msi"
folder="$WINEPREFIX/drive_c/Program Files/bmi"
shortcut() { find "$WINEPREFIX/drive_c" -path '*/Start Menu/Programs/BMI.lnk'; }
"$@" msiexec /i "$pkg" /qn || fail "msiexec /i exited $?"
(cd "$folder" && ls) >"$scratch/installed"
(cd "$scratch/out/${msi%.msi}" && ls) | diff -u - "$scratch/installed" || fail "installs other files than the zip's"
printf '70\n1.75\nx\n' | "$@" "$folder/bmi.exe" >"$scratch/installed.out"
printf '70\n1.75\nx\n' | "$@" "$scratch/out/${msi%.msi}/bmi.exe" >"$scratch/zip.out"
{ [ -s "$scratch/zip.out" ] && cmp "$scratch/zip.out" "$scratch/installed.out"; } ||
    fail "the installed bmi.exe writes other bytes"
grep -aqF 'C:\Program Files\bmi\bmi.exe' "$(shortcut)" || fail "no Start-menu BMI.lnk to bmi.exe: $(shortcut)"
"$@" uninstaller --list | grep -q '|||bmi' || fail "not among the installed apps"
# A newer version, as a later build would make it, replaces this one.
newer=00000000-0000-4000-8000-000000000099
sed "s/Product Id=\"[^\"]*\"/Product Id=\"$newer\"/; s/ Version=\"[^\"]*\"/ Version=\"99.0.0\"/" \
    "$build/bmi.wxs" >"$scratch/newer.wxs"
pkg=$scratch/newer.msi
(cd "$scratch/out/_CPack_Packages/win64/ZIP/${msi%.msi}" && wixl -a x64 -o "$pkg" "$scratch/newer.wxs") ||
    fail "wixl cannot make a newer .msi"
"$@" msiexec /i "$pkg" /qn || fail "msiexec /i of a newer version exited $?"
installed=$("$@" uninstaller --list | tr -d '\r' | grep '|||bmi')
[ "$installed" = "{$newer}|||bmi" ] || fail "not replaced by the newer version: $installed"
"$@" msiexec /x "$pkg" /qn || fail "msiexec /x exited $?"
[ ! -e "$folder" ] || fail "left in $folder: $(ls -A "$folder")"
[ -z "$(shortcut)" ] || fail "left: $(shortcut)"
"$@" uninstaller --list | grep '|||bmi' && fail "still among the installed apps"
finish "msi: $msi installs the zip's files and a shortcut, and uninstalls cleanly"
