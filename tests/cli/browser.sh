#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The phone page in a real browser (Debian's chromium, headless): the program serves the
# sample club with a dancer whose last name (the name on the board) is markup; the browser
# opens the address printed with its key, types a dancer's name, the operator rolls with the
# r key, and the page shows that dancer's square by itself.
# Arguments: the dorvels program and the source folder.
set -u
prog=$1
src=$2

source "$(dirname "$0")/own_display.bash" browser.sh 1280x1024
command -v chromium >/dev/null || fail "chromium is not installed (Debian package chromium)"
command -v python3 >/dev/null || fail "python3 is not installed"

here=$(cd "$(dirname "$0")" && pwd)
cp "$src/data/sample.dorvel" "$work/club.dorvel"
echo "Tester  <img_src=x_onerror=document.title='pwned'>  f L 0 1 Main" >>"$work/club.dorvel"
cd "$work" || exit 1
free_port
"$prog" --serve="127.0.0.1:$port" club.dorvel >out.txt 2>&1 &
progpid=$!
main_window
url=$(sed -n 's|^phone page: \(http://.*/k/[^/]*/\)$|\1|p' out.txt)
[ -n "$url" ] || fail "no address with its key on standard output: $(cat out.txt)"
python3 "$here/phone_browser.py" "$(command -v chromium)" "$url" Bramblecot \
  xdotool key --window "$win" --clearmodifiers r || fail "the page in the browser"
key Q
ended 50 Q
echo "browser.sh: ok"
