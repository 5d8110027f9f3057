#!/bin/sh
# Types a consultation into a Windows bmi.exe on Wine's console, left at its
# own code page 437 inside tmux, and reads the screen: every Japanese line must
# show as written, which it does only if bmi switches the console to 932 and
# each text reaches it whole. After a normal end, after the end of input and
# after Ctrl-C, the console must be back at 437.
# Usage: console_test.sh OUTPUT_CP EXE WINE...
set -u
output_cp=$1
exe=$2
shift 2
wine=$*
command -v tmux >/dev/null || { echo "skipped: tmux is not installed"; exit 77; }
server=bmi-console-$$
screen=$(mktemp)
trap 'tmux -L "$server" kill-server 2>/dev/null; rm -f "$screen" "$screen.expected"' EXIT
# Each start is a new console; output_cp runs bmi in it, then prints its code page.
run="$wine $output_cp $(basename "$exe")"
# Wine shows the console in the terminal's own encoding.
LC_ALL=C.UTF-8 tmux -L "$server" -u new-session -d -x 100 -y 30 -c "$(dirname "$exe")" \
    "$run; $run </dev/null; $run; sleep 60"

# Waits up to a minute, as Wine starts slowly, for the screen to hold a line
# (or N of them).
screen_shows() {
    tries=0
    while [ "$tries" -lt 120 ]; do
        tmux -L "$server" capture-pane -p >"$screen" 2>/dev/null
        [ "$(grep -cF "$1" "$screen")" -ge "${2:-1}" ] && return 0
        tries=$((tries + 1))
        sleep 0.5
    done
    echo "FAIL: not on the screen: $1"
    cat "$screen"
    exit 1
}
screen_shows 'キログラム単位で'
tmux -L "$server" send-keys 70 Enter
screen_shows 'メートル単位で'
tmux -L "$server" send-keys 1.75 Enter
screen_shows 'あなたは'
tmux -L "$server" send-keys x Enter
# The second run ends at its first prompt; the third is stopped there.
screen_shows 'キログラム単位で' 3
tmux -L "$server" send-keys C-c
screen_shows 'code page' 3

status=0
# The lines the consultation writes, as its transcript gives them.
sed -n 's/^> //p' "$(dirname "$0")/dialogues/consultation.txt" >"$screen.expected"
while IFS= read -r line; do
    grep -qxF "$line" "$screen" || { echo "FAIL: not on the screen: $line"; status=1; }
done <"$screen.expected"
grep 'code page' "$screen" | grep -vx 'code page 437' && { echo "FAIL: not given back"; status=1; }
if [ "$status" = 0 ]; then
    echo "console: every line reads as written, and 437 is given back"
else
    cat "$screen"
fi
exit "$status"
