# shellcheck shell=sh disable=SC2154
# What the test scripts share. A test that lacks a tool it needs skips (77).
status=0
fail() { echo "FAIL: $*" && status=1; }
skip() { echo "skipped: $*" && exit 77; }
need() {
    for tool; do
        case $tool in
        */*) [ -e "$tool" ] ;;
        *) command -v "$tool" >/dev/null ;;
        esac || skip "$tool is not installed"
    done
}
# The tools the build says this test needs.
# shellcheck disable=SC2086
need ${BMI_NEEDS:-}
# Exits with the status, saying what held if nothing failed.
finish() { [ "$status" = 0 ] && echo "$*"; exit "$status"; }
# On tmux's server $server, with its screen in $screen: waits up to a minute, as
# Wine starts slowly, for the screen to hold a line (or N of them).
capture() { tmux -L "$server" capture-pane -p; }
screen_shows() {
    tries=0
    while [ "$tries" -lt 120 ]; do
        capture >"$screen" 2>/dev/null
        [ "$(grep -cF "$1" "$screen")" -ge "${2:-1}" ] && return 0
        tries=$((tries + 1))
        sleep 0.5
    done
    fail "not on the screen: $1" && cat "$screen" && return 1
}
# Every line the consultation writes, as its transcript gives them.
reads_as_written() {
    sed -n 's/^> //p' "$(dirname "$0")/dialogues/consultation.txt" | while IFS= read -r line; do
        grep -qxF "$line" "$screen" || echo "$line"
    done >"$screen.missing"
    [ -s "$screen.missing" ] && fail "$1: not on the screen: $(cat "$screen.missing")"
    return 0
}
# Types a consultation at its prompts, checks the screen, and ends it.
consult() {
    screen_shows 'キログラム単位で' && tmux -L "$server" send-keys 70 Enter &&
        screen_shows 'メートル単位で' && tmux -L "$server" send-keys 1.75 Enter &&
        screen_shows 'あなたは' && reads_as_written "$1" && tmux -L "$server" send-keys x Enter
}
