#!/bin/sh
# Types a consultation into a Windows bmi.exe on Wine's console, switched to
# code page 932 inside tmux, and reads the screen: every Japanese line must
# show as written, which it does only if each reaches the console whole.
# Usage: console_test.sh WINE EXE
set -u
wine=$1
exe=$2
command -v tmux >/dev/null || { echo "skipped: tmux is not installed"; exit 77; }
server=bmi-console-$$
trap 'tmux -L "$server" kill-server 2>/dev/null' EXIT
# Wine shows the console in the terminal's own encoding.
LANG=C.UTF-8 tmux -L "$server" -u new-session -d -x 100 -y 30 -c "$(dirname "$exe")" \
    "$wine cmd /c 'chcp 932 & $(basename "$exe")'; sleep 60"

# Waits up to a minute for the screen to hold a line, as Wine starts slowly.
screen_shows() {
    for _ in $(seq 120); do
        tmux -L "$server" capture-pane -p >"$screen" 2>/dev/null
        grep -qF "$1" "$screen" && return 0
        sleep 0.5
    done
    return 1
}
screen=$(mktemp)
trap 'tmux -L "$server" kill-server 2>/dev/null; rm -f "$screen" "$screen.expected"' EXIT
screen_shows 'キログラム単位で' || { echo "FAIL: no weight prompt"; cat "$screen"; exit 1; }
tmux -L "$server" send-keys 70 Enter
screen_shows 'メートル単位で' || { echo "FAIL: no height prompt"; cat "$screen"; exit 1; }
tmux -L "$server" send-keys 1.75 Enter
screen_shows 'あなたは' || { echo "FAIL: no verdict"; cat "$screen"; exit 1; }

status=0
# The lines the consultation writes, as its transcript gives them.
sed -n 's/^> //p' "$(dirname "$0")/dialogues/consultation.txt" >"$screen.expected"
while IFS= read -r line; do
    grep -qxF "$line" "$screen" || { echo "FAIL: not on the screen: $line"; status=1; }
done <"$screen.expected"
[ "$status" = 0 ] && echo "console: every line reads as written" || cat "$screen"
exit "$status"
