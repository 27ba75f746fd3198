#!/usr/bin/env bash
# An evening that no slip ends: three rolls, then the program killed (-9); the next start asks
# to resume, Enter resumes and the next roll is tip 4. Escape with nothing open asks before
# quitting. A card typed at reader speed into the setup dialog's club name checks its dancer
# in or out and leaves the name as it was; digits typed at a person's speed stay typing.
# Arguments: the dorvels program and the source folder.
set -u
prog=$1
src=$2

source "$(dirname "$0")/own_display.bash" evening.sh 1280x1024

mkdir -p "$work/club"
cp "$src/data/sample.dorvel" "$work/club/club.dorvel"

title() { xdotool getwindowname "$win"; }
wait_title() {
  for _ in $(seq 100); do
    title | grep -Eq "$1" && return 0
    sleep 0.1
  done
  fail "title <$(title)> does not match <$1>"
}
# Waits for a visible window of the program whose title matches $1; sets $dlg. (A search by
# name alone may also list the main window.)
wait_dialog() {
  dlg=""
  for _ in $(seq 100); do
    for w in $(xdotool search --onlyvisible --pid "$progpid" --name "$1" 2>/dev/null); do
      xdotool getwindowname "$w" 2>/dev/null | grep -q -- "$1" && dlg=$w
    done
    [ -n "$dlg" ] && return 0
    kill -0 "$progpid" 2>/dev/null || fail "the program ended: $(cat out.txt)"
    sleep 0.1
  done
  fail "no window <$1>"
}
presence() { awk -v n="$1" '$1 == n { print $6 }' club.dorvel; }

# ---- three tips, a crash, and the evening resumed ---------------------------------------------
start_in club club.dorvel
for k in 1 2 3; do
  key r
  wait_title "tip#$k\$"
done
kill -9 "$progpid"
wait "$progpid" 2>/dev/null
progpid=""
[ -s club.evening ] || fail "no evening file beside the club file"

"$prog" -r club.dorvel >out.txt 2>&1 &
progpid=$!
wait_dialog "Tonight's evening"
xdotool windowfocus --sync "$dlg" 2>/dev/null
sleep 0.3
xdotool key --window "$dlg" Return 2>/dev/null
main_window
wait_title "tip#3\$"
key r
wait_title "tip#4\$"

# ---- Escape with nothing open asks; Enter (a card's) is CANCEL --------------------------------
key Escape
wait_dialog "Are you sure?"
xdotool windowfocus --sync "$dlg" 2>/dev/null
sleep 0.3
xdotool key --window "$dlg" Return 2>/dev/null
sleep 0.5
kill -0 "$progpid" 2>/dev/null || fail "Escape ended the program"
xdotool windowfocus --sync "$win" 2>/dev/null
sleep 0.3

# ---- a card swiped into the setup dialog's club name ------------------------------------------
before=$(presence Quentin)
key s
wait_dialog "Dance Setup"
xdotool windowfocus --sync "$dlg" 2>/dev/null
sleep 0.5
xdotool type --window "$dlg" --delay 0 "4100000026"
xdotool key --window "$dlg" Return
sleep 0.5
close_window "$dlg"  # Cancel (a key that closes the dialog could repeat into the main window)
sleep 0.5
kill -0 "$progpid" 2>/dev/null || fail "the program ended"
xdotool windowfocus --sync "$win" 2>/dev/null
sleep 0.3
key W
sleep 0.5
grep -qx 'club=The Merry Muddle Squares' club.dorvel || fail "the club name changed: $(grep club= club.dorvel)"
[ "$(presence Quentin)" = $((1 - before)) ] || fail "Quentin's presence was $before, is $(presence Quentin)"
# At a person's speed the digits are typing: Enter then takes them as the club's name.
key s
wait_dialog "Dance Setup"
xdotool windowfocus --sync "$dlg" 2>/dev/null
sleep 0.5
xdotool type --window "$dlg" --delay 150 "4100000026"
xdotool key --window "$dlg" Return
sleep 0.3
close_window "$dlg"
sleep 0.5
xdotool windowfocus --sync "$win" 2>/dev/null
sleep 0.3
key W
sleep 0.5
grep -qx 'club=4100000026' club.dorvel || fail "typed digits were not typed: $(grep club= club.dorvel)"
[ "$(presence Quentin)" = $((1 - before)) ] || fail "typed digits changed Quentin's presence"
close_window
ended 100 "closing the window"
[ "$(cat lastdance.dorvels)" = "club.dorvel" ] || fail "lastdance.dorvels names <$(cat lastdance.dorvels)>"
echo "evening.sh: ok"
