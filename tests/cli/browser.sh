#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The phone page in a real browser (Debian's chromium, headless): the program serves the
# sample club with a dancer whose name is markup; the browser types a dancer's name, the
# operator rolls with the r key, and the page shows that dancer's square by itself.
# Arguments: the dorvels program and the source folder.
set -u
prog=$1
src=$2

source "$(dirname "$0")/own_display.bash" browser.sh 1280x1024
command -v chromium >/dev/null || fail "chromium is not installed (Debian package chromium)"
command -v python3 >/dev/null || fail "python3 is not installed"

here=$(cd "$(dirname "$0")" && pwd)
cp "$src/data/sample.dorvel" "$work/club.dorvel"
echo "<img_src=x_onerror=document.title='pwned'>  Tester  f L 0 1 Main" >>"$work/club.dorvel"
cd "$work" || exit 1
free_port
"$prog" --serve="127.0.0.1:$port" club.dorvel >out.txt 2>&1 &
progpid=$!
main_window
python3 "$here/phone_browser.py" "$(command -v chromium)" "http://127.0.0.1:$port/" Bramblecot \
  xdotool key --window "$win" --clearmodifiers r || fail "the page in the browser"
key Q
ended 50 Q
echo "browser.sh: ok"
