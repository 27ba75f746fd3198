#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The hotkeys end to end: the program runs on a virtual X server with the sample club and
# real key presses (xdotool) roll three tips, page the history, type card numbers and quit.
# Arguments: the dorvels program and the source folder.
set -u
prog=$1
src=$2

source "$(dirname "$0")/own_display.bash" keys.sh 1920x1080

cp "$src/data/sample.dorvel" "$work/club.dorvel"
cd "$work" || exit 1
"$prog" -r club.dorvel >"$work/out.txt" 2>&1 &
progpid=$!

main_window

title() { xdotool getwindowname "$win"; }
# Waits until the title matches the extended regular expression $1.
wait_title() {
  for _ in $(seq 300); do
    title | grep -Eq "$1" && return 0
    sleep 0.1
  done
  fail "title <$(title)> does not match <$1>"
}
key() { xdotool key --window "$win" --clearmodifiers "$@" 2>/dev/null; sleep 0.15; }
# Sum of the dance counts in the club file (fifth field of the dancer lines).
dances() { awk '$1 !~ /^%/ && NF >= 7 && ($4 == "L" || $4 == "M") { s += $5 } END { print s + 0 }' club.dorvel; }

# Highest dance count of any dancer in the club file.
topcount() { awk '$1 !~ /^%/ && NF >= 7 && ($4 == "L" || $4 == "M") { if ($5 > m) m = $5 } END { print m + 0 }' club.dorvel; }
# After roll k the file holds that roll's counts: the total has grown (a square may keep an
# empty "(ask)" place, so a roll places a few dancers more or less), and nobody has more
# than k dances.
last=0
for k in 1 2 3; do
  key r
  wait_title "tip#$k\$"
  now=$(dances)
  [ "$now" -gt "$last" ] || fail "counts after roll $k: total $now, before $last"
  [ "$(topcount)" -le "$k" ] || fail "counts after roll $k: somebody has $(topcount) dances"
  last=$now
done

key h
key h
wait_title '^HISTORY : .*tip#2$'

# An unknown card while the history is shown: recorded, nothing else changes.
before=$(md5sum <club.dorvel)
shown=$(title)
key 0 1 2 3 4 5 6 7 8 9 Return
sleep 0.3
grep -qx '(KeybrdCmd) 0123456789' dorvels.record000 || fail "number line not recorded"
[ "$(md5sum <club.dorvel)" = "$before" ] || fail "a card number changed the club file"
[ "$(title)" = "$shown" ] || fail "a card number changed the display"

# Seven digits are rejected (with the warning pop-up).
key 1 2 3 4 5 6 7 Return
sleep 0.3
grep -qx '(KeybrdCmd) 1234567' dorvels.record000 || fail "short number not recorded"
kill -0 "$progpid" 2>/dev/null || fail "the program ended"

# Q quits at once without writing.
key Q
ended 50 Q
[ "$(md5sum <club.dorvel)" = "$before" ] || fail "Q wrote the club file"
grep -qx '(terminate)' dorvels.record000 || fail "no (terminate) line"
echo "keys.sh: ok"
