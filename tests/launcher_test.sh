#!/bin/sh
# Starts the launcher in tmux with no locale, no HOME and only some translators
# on PATH: the consultation must read as written, and with none the message
# must show and wait for Enter.  Usage: launcher_test.sh LAUNCHER
# shellcheck source=tests/common.sh
. "$(dirname "$0")/common.sh"
need tmux screen tput
[ "$( (printf '\202\240' | luit -c -encoding SJIS) 2>/dev/null)" = あ ] ||
    skip "no luit here that converts Shift_JIS (Debian's luit 2.0)"
launcher=$1
server=bmi-launcher-$$
tmp=$(mktemp -d)
screen=$tmp/screen
trap 'tmux -L "$server" kill-server 2>/dev/null; rm -rf "$tmp"' EXIT
mkdir "$tmp/tools" "$tmp/old" "$tmp/luit" "$tmp/screen-only"
ln -s "$(command -v dirname)" "$(command -v tput)" "$tmp/tools"
# Debian 12's x11-utils luit, which dies on Shift_JIS.
printf '#!/bin/sh\nkill -s SEGV $$\n' >"$tmp/old/luit"
chmod +x "$tmp/old/luit"
ln -s "$(command -v luit)" "$tmp/luit"
ln -s "$(command -v screen)" "$tmp/screen-only"
# Each case on a server of its own: one that is ending still takes clients.
start() {
    tmux -L "$server" kill-server 2>/dev/null
    server=$server+
    LC_ALL=C.UTF-8 tmux -L "$server" -u new-session -d -x 100 -y 30 \
        "env -i TERM=\"\$TERM\" PATH='$tmp/tools:$1' '$launcher'; echo ended \$?; read -r _"
}
start "$tmp/old:$tmp/screen-only" && consult "crashing luit first, then screen" && screen_shows 'ended 0'
start "$tmp/luit" && consult "Debian's luit alone" && screen_shows 'ended 0'
start "$tmp/screen-only" && consult "screen alone" && screen_shows 'ended 0'
start /nonexistent
if screen_shows 'sudo apt install screen'; then
    sleep 3
    tmux -L "$server" capture-pane -p | grep -q '^ended' && fail "no translator: did not wait for Enter"
    tmux -L "$server" send-keys Enter
    screen_shows 'ended 127'
fi
finish "launcher: every translator shows the consultation, and none gives the message"
