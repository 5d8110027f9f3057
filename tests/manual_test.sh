#!/bin/sh
# The manual pages, as the build fills them in, must render without a single
# warning, also through man in a UTF-8 locale, and carry the project's
# version.  Usage: manual_test.sh BUILD_DIR VERSION
set -u
# shellcheck source=tests/common.sh
. "$(dirname "$0")/common.sh"
# Japanese is decoded, measured and matched as UTF-8, whatever the caller's locale.
export LC_ALL=C.UTF-8
build=$1
version=$2
# Prints the command's messages and fails if there are any.
quiet() {
    out=$("$@" 2>&1) || fail "$* exited non-zero"
    [ -z "$out" ] || fail "$*: $out"
}
en=$build/man/bmi.1
ja=$build/man/ja/bmi.1
quiet groff -man -ww -z "$en"
# Japanese needs the UTF-8 input decoded; the page loads the line-breaking
# rules itself, since man does not.
quiet groff -k -Tutf8 -man -ww -z "$ja"
# A source line break inside Japanese text must not show as a space.
groff -k -Tutf8 -man "$ja" 2>/dev/null | grep -E '[、。] ' && fail "$ja shows a space after a Japanese comma or full stop"
for page in "$en" "$ja"; do
    out=$(man --warnings -l "$page" 2>&1 >/dev/null)
    [ -z "$out" ] || fail "man -l $page: $out"
done
quiet mandoc -T lint "$en"
quiet mandoc -T lint "$ja"
for page in "$en" "$ja"; do
    grep -q "^\.TH BMI 1 [0-9-]* \"bmi $version\"" "$page" || fail "$page does not carry bmi $version"
done
finish "manual pages: clean, version $version"
