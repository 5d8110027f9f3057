#!/bin/sh
# Starts the launcher in tmux as a person would, with a case a line: how the
# consultation reads and stays, how each way of ending it leaves no bmi, and
# what each message says and waits for. With shift_jis, a Shift_JIS terminal
# gets bmi's own bytes instead.  Usage: launcher_test.sh BMI BMI_TERM [shift_jis]
# shellcheck source=tests/common.sh
. "$(dirname "$0")/common.sh"
# The script's own greps match bytes, Shift_JIS ones too.
export LC_ALL=C
server=bmi-launcher-$$
tmp=$(mktemp -d)
screen=$tmp/screen
trap 'tmux -L "$server" kill-server 2>/dev/null; rm -rf "$tmp"' EXIT
# Copies of their own, whose processes no other test runs; beside the
# others, a bmi that is missing, junk, a script without its interpreter, a
# link to nothing, and bmi-term itself.
mkdir "$tmp/app" "$tmp/link" "$tmp/decoy"
cp "$1" "$2" "$tmp/app"
for case in alone junk script dangling self; do mkdir "$tmp/$case" && cp "$2" "$tmp/$case"; done
printf 'junk\n' >"$tmp/junk/bmi"
printf '#!/nonexistent/sh\n' >"$tmp/script/bmi"
chmod +x "$tmp/junk/bmi" "$tmp/script/bmi"
ln -s nothing "$tmp/dangling/bmi"
cp "$2" "$tmp/self/bmi"
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
if [ "${3:-}" = locales ]; then
    for locale in ja_JP.SHIFT_JIS ja_JP.EUC-JP en_US.ISO-8859-1; do
        localedef -f "${locale#*.}" -i "${locale%.*}" "$tmp/$locale" >/dev/null 2>&1
        [ "$(LOCPATH=$tmp LC_ALL=$locale locale charmap 2>/dev/null)" = "${locale#*.}" ] ||
            skip "localedef cannot make a $locale locale here (Debian: locales)"
    done
    # The terminal's bytes, not its screen.
    capture() { cat "$tmp/raw"; }
    encoded() { printf %s "$2" | iconv -f UTF-8 -t "$1"; }
    start "$clean LOCPATH='$tmp' LC_ALL=ja_JP.SHIFT_JIS '$launcher'"
    screen_shows "$(encoded SHIFT_JIS キログラム単位で)" && grep -q 'あ' "$screen" && fail "translated to UTF-8"
    # Its own messages in the terminal's character set; none without Japanese gets a C1 control.
    for locale in ja_JP.SHIFT_JIS ja_JP.EUC-JP en_US.ISO-8859-1; do
        start "$clean LOCPATH='$tmp' LC_ALL=$locale '$tmp/alone/bmi-term'"
        case $locale in
        ja_*) waits "$(encoded "${locale#*.}" 同じ場所に)" 127 ;;
        *) waits "no bmi beside it" 127 && grep -q "$(printf '[\200-\237]')" "$tmp/raw" && fail "$locale: C1 bytes" ;;
        esac
    done
    finish "launcher: a Shift_JIS terminal gets bmi's own bytes, and each its messages in its own"
fi
start "$clean LC_ALL=C.UTF-8 '$launcher'" && consult "a UTF-8 locale" && screen_shows 'ended 0' &&
    reads_as_written "after the end"
start "$clean '$tmp/link/bmi-term'" && consult "no locale, through a link" && screen_shows 'ended 0'
start "$clean LC_ALL=xx_XX.UTF-8 '$launcher'" && consult "a locale not installed" && screen_shows 'ended 0'
start "(trap '' CHLD; exec $clean '$launcher')" && consult "SIGCHLD ignored" && screen_shows 'ended 0'
start "printf '70\\n1.75\\nx\\n' | $clean '$launcher'" && screen_shows 'ended 0' &&
    reads_as_written "input from a pipe"
start "$clean '$launcher'" && prompted Ctrl-C && tmux -L "$server" send-keys C-c && gone Ctrl-C &&
    screen_shows 'ended 130'
start "$clean '$launcher'" && prompted "the launcher killed" && kill -KILL "$(pid_of "$launcher")" &&
    gone "the launcher killed" && screen_shows 'ended 137'
# A terminal hands over a line at a time: an unfinished number is refused at once.
start "$clean '$launcher'" && prompted "n typed" && tmux -L "$server" send-keys n Enter &&
    screen_shows 'キログラム単位で' 2
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
start "$clean '$tmp/self/bmi-term'" && waits "bmi-term itself, at $tmp/self/bmi" 127
# Off a terminal, the message goes to standard error.
refuses() {
    "$tmp/$1/bmi-term" </dev/null >/dev/null 2>"$tmp/err"
    { [ $? = 127 ] && grep -q "$2" "$tmp/err"; } || fail "off a terminal, $1: $(cat "$tmp/err")"
}
refuses alone "no bmi beside it"
refuses script "cannot start $tmp/script/bmi: its interpreter is missing"
refuses dangling "cannot start $tmp/dangling/bmi: it is a link to nothing"
refuses self "bmi-term itself"
# Without /proc, started by name: the bmi beside it, not the one in the current folder.
printf '#!/bin/sh\necho decoy\n' >"$tmp/decoy/bmi" && chmod +x "$tmp/decoy/bmi"
if [ "$(id -u)" = 0 ] && unshare -m true 2>/dev/null; then
    (cd "$tmp/decoy" && PATH=$tmp/app:$PATH unshare -m sh -c 'mount -t tmpfs none /proc && bmi-term' </dev/null >"$tmp/out")
    "$tmp/app/bmi" </dev/null | cmp -s - "$tmp/out" || fail "without /proc: $(cat "$tmp/out")"
else
    echo "not tried without /proc: that needs root and unshare"
fi
finish "launcher: the consultation reads as written and stays, and ends with bmi"
