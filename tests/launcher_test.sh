#!/bin/sh
# Starts the launcher in tmux with no locale, no HOME and only some translators
# on PATH: the consultation must read as written and stay after the end, every
# key must reach bmi, and where nothing can show it a message must name the
# cause and wait for Enter.  Usage: launcher_test.sh LAUNCHER
# shellcheck source=tests/common.sh
. "$(dirname "$0")/common.sh"
# The script's own greps match bytes, Shift_JIS ones too.
export LC_ALL=C
need tmux screen tput iconv locale
launcher=$1
server=bmi-launcher-$$
tmp=$(mktemp -d)
screen=$tmp/screen
trap 'tmux -L "$server" kill-server 2>/dev/null; rm -rf "$tmp"' EXIT
mkdir "$tmp/tools" "$tmp/readlink" "$tmp/old" "$tmp/luit" "$tmp/screen-only" "$tmp/link" "$tmp/alone"
for tool in dirname tput ls locale tr; do ln -s "$(command -v "$tool")" "$tmp/tools"; done
! command -v readlink >/dev/null || ln -s "$(command -v readlink)" "$tmp/readlink"
tools=$tmp/tools:$tmp/readlink
# Debian 12's x11-utils luit, which dies on Shift_JIS.
printf '#!/bin/sh\nkill -s SEGV $$\n' >"$tmp/old/luit"
chmod +x "$tmp/old/luit"
ln -s "$(command -v screen)" "$tmp/screen-only"
ln -s ../link/bmi-term "$tmp/alone/link"
ln -s "$launcher" "$tmp/link/bmi-term"
cp "$launcher" "$tmp/alone/bmi-term"
# Each case on a server of its own (one that is ending still takes clients),
# the terminal's raw bytes in $tmp/raw: COMMAND PATH [NAME=VALUE...].
start() {
    tmux -L "$server" kill-server 2>/dev/null
    server=$server+
    command=$1 path=$2
    shift 2
    LC_ALL=C.UTF-8 tmux -L "$server" -u new-session -d -x 100 -y 30 \
        "env -i TERM=\"\$TERM\" PATH='$path' $* $command; echo ended \$?; read -r _" \; \
        pipe-pane -o "cat >'$tmp/raw'"
}
# The message stays until Enter, which ends the launcher with STATUS.
waits() {
    screen_shows "$1" || return
    sleep 1
    capture | grep -q '^ended' && fail "$1: did not wait for Enter"
    tmux -L "$server" send-keys Enter
    screen_shows "ended $2"
}
start "'$launcher'" "$tools:$tmp/old:$tmp/screen-only" && consult "crashing luit first, then screen" &&
    screen_shows 'ended 0'
if [ "$( (printf '\202\240' | luit -c -encoding SJIS) 2>/dev/null)" = あ ]; then
    ln -s "$(command -v luit)" "$tmp/luit"
    start "'$launcher'" "$tools:$tmp/luit" && consult "Debian's luit alone" && screen_shows 'ended 0'
else
    echo "skipped: Debian's luit alone: no luit here converts Shift_JIS (Debian's luit 2.0)"
fi
# Ctrl-A d reaches bmi, which starts over; all of it stays once screen has ended.
start "'$launcher'" "$tools:$tmp/screen-only" && screen_shows 'キログラム単位で' &&
    tmux -L "$server" send-keys C-a d Enter && screen_shows 'キログラム単位で' 2 &&
    consult "screen alone" && screen_shows 'ended 0' &&
    tmux -L "$server" capture-pane -p -S - >"$screen" && reads_as_written "after screen's end"
start "'$tmp/link/bmi-term'" "$tools:$tmp/screen-only" && consult "through a link" && screen_shows 'ended 0'
start "'$tmp/alone/link'" "$tmp/tools:$tmp/screen-only" && consult "through links, without readlink" &&
    screen_shows 'ended 0'
start "'$tmp/alone/bmi-term'" "$tools:$tmp/screen-only" && waits "no bmi beside it, at $tmp/alone/bmi" 127
start "'$launcher' 2>/dev/null" "$tools" && waits 'sudo apt install screen' 127
start "'$launcher'" "$tools:$tmp/screen-only" TERM=dumb && waits 'cannot clear the screen' 127 &&
    grep Install "$screen" && fail "TERM=dumb: advice to install what is here"
start "'$launcher'" "$tools:$tmp/screen-only" SCREENDIR=/proc/none && waits 'failed to start (status 1)' 127
# Last, as the bytes are then read off the terminal rather than its screen.
localedef -f SHIFT_JIS -i ja_JP "$tmp/ja_JP.SJIS" >/dev/null 2>&1
if [ "$(LOCPATH=$tmp LC_ALL=ja_JP.SJIS locale charmap 2>/dev/null)" = SHIFT_JIS ]; then
    start "'$launcher'" "$tools:$tmp/luit:$tmp/screen-only" LOCPATH="$tmp" LC_ALL=ja_JP.SJIS
    capture() { cat "$tmp/raw"; }
    screen_shows "$(printf 'キログラム単位で' | iconv -f UTF-8 -t SHIFT_JIS)" && grep -q 'あ' "$screen" &&
        fail "a Shift_JIS terminal: translated to UTF-8"
else
    echo "skipped: a Shift_JIS terminal: localedef cannot make a ja_JP.SJIS locale here"
fi
finish "launcher: the consultation reads as written and stays, or a message says why not"
