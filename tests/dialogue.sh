#!/bin/sh
# Plays a transcript against a program as a person at the console would: each
# line is typed only once the output before it has arrived. Every output byte,
# an empty standard error and the exit status must be as written.
# Usage: dialogue.sh [-n] TRANSCRIPT COMMAND...
#   -n  the C library prints every NaN as nan, without its sign
# A transcript is UTF-8; its texts are sent and expected in Shift_JIS.
#   # text      a comment; the first names the behaviour
#   > text      a line the program writes
#   < text      a line typed, or fed through the pipe
#   ...         a pause: a second later the program must still be running
#   ^D          the end of input; without it, the input stays open
#   exit N      the exit status (default 0)
#   output F    standard output goes to the file F instead, and is not read;
#               where there is no F, the case is skipped (status 77)
# Texts end in a line feed and take printf's %b escapes: \a the bell,
# \r a carriage return, \c at the end for no line feed.
set -u
# shellcheck source=tests/common.sh
. "$(dirname "$0")/common.sh"
nan=
case $1 in
-n) nan=$1 && shift ;;
esac
transcript=$1
shift
limit=60 # seconds; an emulator can take a while to start
want=$(sed -n 's/^exit //p' "$transcript")
target=$(sed -n 's/^output //p' "$transcript")
[ -z "$target" ] || [ -e "$target" ] || skip "there is no $target here"
printf 'あ' | iconv -f UTF-8 -t SHIFT_JIS >/dev/null 2>&1 ||
    skip "iconv cannot convert to Shift_JIS here (on Fedora, install glibc-gconv-extra)"
tmp=${TMPDIR:-/tmp}/bmi-dialogue.$$
mkdir -m 700 "$tmp" || exit 1
trap 'exec 3>&-; rm -rf "$tmp"' EXIT
out=$tmp/out
: >"$out"
: >"$tmp/expected"
encode() { printf '%b\n' "$1" | iconv -f UTF-8 -t SHIFT_JIS; }
decode() { iconv -c -f SHIFT_JIS -t UTF-8 "$1" | sed "s/$(printf '\a')/\\\\a/g; s/$(printf '\r')/\\\\r/g"; }
running() { [ ! -e "$tmp/status" ]; }
size() { echo $(($(wc -c <"$1"))); }
# Until all that is expected so far, something else, or the end.
await_output() {
    expected=$(size "$tmp/expected")
    while running; do
        cp "$out" "$tmp/so-far"
        got=$(size "$tmp/so-far")
        [ "$got" -lt "$expected" ] || return
        [ "$got" = 0 ] || dd if="$tmp/expected" bs="$got" count=1 2>/dev/null |
            cmp -s - "$tmp/so-far" || return
        sleep 0.05
    done
}
# A watchdog of its own ends the program at the limit: timeout(1) is not everywhere.
mkfifo "$tmp/input"
(
    "$@" <"$tmp/input" >"${target:-$out}" 2>"$tmp/err" &
    program=$!
    echo "$program" >"$tmp/pid"
    (
        sleeper=
        trap 'kill "$sleeper" && wait "$sleeper"; exit' TERM
        sleep "$limit" &
        sleeper=$!
        wait "$sleeper"
        : >"$tmp/hung"
        kill "$program"
    ) </dev/null >/dev/null 2>&1 &
    watchdog=$!
    wait "$program" 2>/dev/null
    echo $? >"$tmp/status"
    kill "$watchdog" 2>/dev/null
) &
exec 3>"$tmp/input"
while IFS= read -r line; do
    case $line in
    '>'*)
        text=${line#>}
        text=${text# }
        [ "$nan" = -n ] && text=$(printf '%s' "$text" | sed 's/-nan/nan/g')
        encode "$text" >>"$tmp/expected"
        ;;
    '<'*)
        await_output
        text=${line#<}
        # A program that has ended takes no more input: not the driver's failure.
        (trap '' PIPE && encode "${text# }" >&3) 2>/dev/null
        ;;
    ...)
        await_output
        sleep 1
        running || fail "ended where it should still wait for input"
        ;;
    ^D)
        await_output
        exec 3>&-
        ;;
    '#'* | 'exit '* | 'output '* | '') ;;
    *) fail "not a transcript line: $line" ;;
    esac
done <"$transcript"
# Output gone astray fails now, not once the limit has run out.
await_output
running && ! cmp -s "$tmp/expected" "$out" && kill "$(cat "$tmp/pid")" 2>/dev/null
wait
exec 3>&-
got=$(cat "$tmp/status")
if [ -e "$tmp/hung" ]; then
    fail "still running after ${limit}s"
elif [ "$got" != "${want:-0}" ]; then
    fail "exit status $got, not ${want:-0}"
fi
[ -s "$tmp/err" ] && fail "standard error: $(cat "$tmp/err")"
if [ -z "$target" ] && ! cmp -s "$tmp/expected" "$out"; then
    fail "other output; decoded, with the first differing byte:"
    cmp "$tmp/expected" "$out"
    decode "$tmp/expected" >"$tmp/expected.txt"
    decode "$out" | diff -u "$tmp/expected.txt" -
fi
finish "as written: $transcript"
