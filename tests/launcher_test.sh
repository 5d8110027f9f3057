#!/bin/sh
# Starts the launcher in tmux as a person would, with a case a line: how the
# consultation reads and stays, how each way of ending it leaves no bmi, and
# what each message says and waits for. With shift_jis, a Shift_JIS terminal
# gets bmi's own bytes instead.  Usage: launcher_test.sh BMI BMI_TERM [shift_jis]
# shellcheck source=tests/common.sh
. "$(dirname "$0")/common.sh"
# The script's own greps match bytes, Shift_JIS ones too.
export LC_ALL=C
need tmux iconv ps
server=bmi-launcher-$$
tmp=$(mktemp -d)
screen=$tmp/screen
trap 'tmux -L "$server" kill-server 2>/dev/null; rm -rf "$tmp"' EXIT
# Copies of their own, whose processes no other test runs.
mkdir "$tmp/app" "$tmp/alone" "$tmp/link" "$tmp/junk"
cp "$1" "$2" "$tmp/app"
cp "$2" "$tmp/alone"
cp "$2" "$tmp/junk"
printf 'junk\n' >"$tmp/junk/bmi"
chmod +x "$tmp/junk/bmi"
launcher=$tmp/app/bmi-term
ln -s "$launcher" "$tmp/link/bmi-term"
clean="env -i TERM=\"\$TERM\""
# Each case on a server of its own (one that is ending still takes clients),
# the terminal's raw bytes in $tmp/raw; the shell outlives a Ctrl-C to say
# how the launcher ended.
start() {
    tmux -L "$server" kill-server 2>/dev/null
    server=$server+
    LC_ALL=C.UTF-8 tmux -L "$server" -u new-session -d -x 100 -y 30 \
        "trap : INT; $1; echo ended \$?; read -r _" \; pipe-pane -o "cat >'$tmp/raw'" ||
        skip "tmux cannot open a terminal here"
}
# The message stays until Enter, which ends the launcher with STATUS.
waits() {
    screen_shows "$1" || return
    sleep 1
    capture | grep -q '^ended' && fail "$1: did not wait for Enter"
    tmux -L "$server" send-keys Enter
    screen_shows "ended $2"
}
pid_of() { ps -A -o pid= -o args= | awk -v program="$1" '$2 == program { print $1 }'; }
bmi_runs() { [ -n "$(pid_of "$tmp/app/bmi")" ]; }
# At the first prompt, with bmi running.
prompted() {
    screen_shows 'キログラム単位で' && { bmi_runs || fail "$1: no bmi running to end"; }
}
# bmi ends within five seconds.
gone() {
    tries=0
    while bmi_runs; do
        [ "$tries" -lt 50 ] || { fail "$1: bmi is left running" && return 1; }
        tries=$((tries + 1))
        sleep 0.1
    done
}
if [ "${3:-}" = shift_jis ]; then
    localedef -f SHIFT_JIS -i ja_JP "$tmp/ja_JP.SJIS" >/dev/null 2>&1
    [ "$(LOCPATH=$tmp LC_ALL=ja_JP.SJIS locale charmap 2>/dev/null)" = SHIFT_JIS ] ||
        skip "localedef cannot make a ja_JP.SJIS locale here (Debian: locales)"
    start "$clean LOCPATH='$tmp' LC_ALL=ja_JP.SJIS '$launcher'"
    # The terminal's bytes, not its screen.
    capture() { cat "$tmp/raw"; }
    screen_shows "$(printf 'キログラム単位で' | iconv -f UTF-8 -t SHIFT_JIS)" && grep -q 'あ' "$screen" &&
        fail "translated to UTF-8"
    finish "launcher: a Shift_JIS terminal gets bmi's own bytes"
fi
start "$clean LC_ALL=C.UTF-8 '$launcher'" && consult "a UTF-8 locale" && screen_shows 'ended 0' &&
    reads_as_written "after the end"
start "$clean '$tmp/link/bmi-term'" && consult "no locale, through a link" && screen_shows 'ended 0'
start "printf '70\\n1.75\\nx\\n' | $clean '$launcher'" && screen_shows 'ended 0' &&
    reads_as_written "input from a pipe"
start "$clean '$launcher'" && prompted Ctrl-C && tmux -L "$server" send-keys C-c && gone Ctrl-C &&
    screen_shows 'ended 130'
start "$clean '$launcher'" && prompted "the launcher killed" && kill -KILL "$(pid_of "$launcher")" &&
    gone "the launcher killed" && screen_shows 'ended 137'
start "$clean '$launcher'" && prompted Ctrl-D && tmux -L "$server" send-keys C-d && screen_shows 'ended 1'
start "$clean '$launcher'" && prompted "bmi killed" && kill -TERM "$(pid_of "$tmp/app/bmi")" &&
    screen_shows 'ended 143'
start "$clean '$launcher'" && prompted "the window closed" && tmux -L "$server" kill-server &&
    gone "the window closed"
# With the hangup ignored, bmi writes once the terminal is gone: it must end.
start "trap '' HUP; (sleep 2; echo 70; sleep 10) | { $clean '$launcher'; echo \$? >'$tmp/status'; }" &&
    prompted "the terminal gone" && tmux -L "$server" kill-server && gone "the terminal gone" &&
    sleep 0.5 && { [ "$(cat "$tmp/status")" = 1 ] || fail "the terminal gone: status $(cat "$tmp/status")"; }
start "$clean '$tmp/alone/bmi-term'" && waits "no bmi beside it, at $tmp/alone/bmi" 127
start "$clean '$tmp/junk/bmi-term'" && waits "cannot start $tmp/junk/bmi" 127
"$tmp/alone/bmi-term" </dev/null >/dev/null 2>"$tmp/err"
{ [ $? = 127 ] && grep -q "no bmi beside it" "$tmp/err"; } || fail "off a terminal: $(cat "$tmp/err")"
finish "launcher: the consultation reads as written and stays, and ends with bmi"
