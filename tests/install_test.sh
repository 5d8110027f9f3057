#!/bin/sh
# Installs into a DESTDIR as nobody, who cannot write the build tree, as an
# install by root is into another user's: every file must be installed, and
# the install must not need to write into the tree.
# Usage: install_test.sh BUILD_DIR
set -u
# shellcheck source=tests/common.sh
. "$(dirname "$0")/common.sh"
build=$1
[ "$(id -u)" = 0 ] || skip "only root can install as another user"
nobody="setpriv --reuid=nobody --regid=$(id -g nobody) --clear-groups"
$nobody test -r "$build/cmake_install.cmake" || skip "nobody cannot read $build"
$nobody test -w "$build" && skip "nobody can write $build"
staging=$(mktemp -d)
trap 'rm -rf "$staging"' EXIT
chmod 777 "$staging"
# Into /usr/local, as by default, the same files as a package's into /usr.
for prefix in /usr /usr/local; do
    $nobody env DESTDIR="$staging/$prefix" cmake --install "$build" --prefix "$prefix" >"$staging/log" 2>&1 ||
        fail "the install failed: $(cat "$staging/log")"
    (cd "$staging/$prefix/$prefix" && find . ! -type d | sort) >"$staging/files"
    [ "$prefix" = /usr ] && mv "$staging/files" "$staging/usr-files"
done
grep -q bmi "$staging/usr-files" || fail "no bmi installed"
cmp -s "$staging/usr-files" "$staging/files" || fail "/usr/local gets other files: $(diff "$staging/usr-files" "$staging/files")"
finish "install: by a user who cannot write the build tree, the same into /usr and /usr/local"
