#!/bin/sh
# Types a consultation into a Windows bmi.exe on Wine's console, left at its
# own code page 437 inside tmux, and reads the screen: every Japanese line must
# show as written, which it does only if bmi switches the console to 932 and
# each text reaches it whole. After a normal end, after the end of input and
# after Ctrl-C, the console must be back at 437.
# Usage: console_test.sh OUTPUT_CP EXE WINE...
set -u
# shellcheck source=tests/common.sh
. "$(dirname "$0")/common.sh"
output_cp=$1
exe=$2
shift 2
wine=$*
server=bmi-console-$$
screen=$(mktemp)
trap 'tmux -L "$server" kill-server 2>/dev/null; rm -f "$screen" "$screen.missing"' EXIT
# Each start is a new console; output_cp runs bmi in it, then prints its code page.
run="$wine $output_cp $(basename "$exe")"
# Wine shows the console in the terminal's own encoding.
LC_ALL=C.UTF-8 tmux -L "$server" -u new-session -d -x 100 -y 30 -c "$(dirname "$exe")" \
    "$run; $run </dev/null; $run; sleep 60"
consult "the consultation" || finish
# The second run ends at its first prompt; the third is stopped there.
screen_shows 'キログラム単位で' 3 || finish
tmux -L "$server" send-keys C-c
screen_shows 'code page' 3 || finish
grep 'code page' "$screen" | grep -vx 'code page 437' && fail "not given back"
[ "$status" = 0 ] || cat "$screen"
finish "console: every line reads as written, and 437 is given back"
