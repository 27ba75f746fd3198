#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# A club file in a folder others can write, with things planted beside it: a named pipe at
# club.evening does not stop the start (the window appears, the pipe is reported); a link at
# club.evening to a file elsewhere is never written through; and with the club file private
# (chmod 600) the evening file and the backup are not readable by others after two rolls.
# Arguments: the dorvels program and the source folder.
set -u
prog=$1
src=$2
source "$(dirname "$0")/own_display.bash" neighbour.sh 1280x1024
mkdir -p "$work/pipe" "$work/link"
cp "$src/data/sample.dorvel" "$work/pipe/club.dorvel"
cp "$src/data/sample.dorvel" "$work/link/club.dorvel"

mkfifo "$work/pipe/club.evening"
start_in pipe club.dorvel  # fails unless the window appears within 30 s
grep -q "<club.evening> was not used: it is not a plain file" out.txt || fail "the pipe not reported: $(cat out.txt)"
key Q
ended 50 Q

echo "the neighbour's own file" >"$work/outside.txt"
ln -s "$work/outside.txt" "$work/link/club.evening"
chmod 600 "$work/link/club.dorvel"
start_in link club.dorvel
key r
key r
sleep 1
[ "$(cat "$work/outside.txt")" = "the neighbour's own file" ] || fail "written through the link: $(head -c 200 "$work/outside.txt")"
[ -f club.evening ] && [ ! -L club.evening ] || fail "no evening file of its own in the link's place"
for f in club.evening club.dorvel~; do
  [ -e "$f" ] || fail "no $f after two rolls"
  [ $(($(stat -c '0%a' "$f") & 7)) = 0 ] || fail "$f is $(stat -c %a "$f"): readable by others"
done
key Q
ended 50 Q
echo "neighbour.sh: ok"
