#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# An evening no slip ends: the projector window open, three rolls, a visitor entered with n,
# the program killed (-9) a moment later; the next start asks to resume (a Tab typed into the
# question changes nothing), Enter resumes with the visitor, the phone page's key and the projector
# window (closing it ends nothing, D opens it again), and the next roll is tip 4; Escape with
# nothing open asks (Enter: CANCEL); a card
# typed at reader speed into the setup dialog's club name (the projector window still open)
# checks its dancer in or out and leaves the name; the club file keeps the projector window.
# Arguments: the dorvels program and the source folder.
set -u
prog=$1
src=$2
source "$(dirname "$0")/own_display.bash" evening.sh 1280x1024
mkdir -p "$work/club"
cp "$src/data/sample.dorvel" "$work/club/club.dorvel"

wait_title() {
  for _ in $(seq 100); do xdotool getwindowname "$win" | grep -Eq "$1" && return 0; sleep 0.1; done
  fail "title <$(xdotool getwindowname "$win")> does not match <$1>"
}
# Waits for a window of the program titled like $1 (a search by name may list the main window
# too), focuses it and sets $dlg.
wait_dialog() {
  dlg=""
  for _ in $(seq 100); do
    for w in $(xdotool search --onlyvisible --pid "$progpid" --name "$1" 2>/dev/null); do
      xdotool getwindowname "$w" 2>/dev/null | grep -q -- "$1" && dlg=$w
    done
    [ -n "$dlg" ] && { xdotool windowfocus --sync "$dlg" 2>/dev/null; sleep 0.5; return 0; }
    kill -0 "$progpid" 2>/dev/null || fail "the program ended: $(cat out.txt)"
    sleep 0.1
  done
  fail "no window <$1>"
}
back() { sleep 0.5; xdotool windowfocus --sync "$win" 2>/dev/null; sleep 0.3; }
presence() { awk '$1 == "Quentin" { print $6 }' club.dorvel; }

port=$((20000 + RANDOM % 20000))
phonekey() { for _ in $(seq 50); do grep -o '/k/[a-z0-9]*/' out.txt && return; sleep 0.1; done; }
start_in club --serve=127.0.0.1:$port club.dorvel
key1=$(phonekey)
[ -n "$key1" ] || fail "no phone page address: $(cat out.txt)"
key D
for k in 1 2 3; do key r; wait_title "tip#$k\$"; done
key n
wait_dialog "New Square Dancer"
xdotool type --delay 20 "Vera"; xdotool key Return; sleep 0.2
# Done pressed with Space: the button acts when the key is released, and that is kept too.
xdotool type --delay 20 "Visitor"; xdotool key Tab Tab Tab Tab Tab Tab space; sleep 0.5
kill -9 "$progpid"
wait "$progpid" 2>/dev/null
"$prog" -r --serve=127.0.0.1:$((port + 1)) club.dorvel >out.txt 2>&1 &
progpid=$!
wait_dialog "Tonight's evening"
xdotool key --window "$dlg" Tab 2>/dev/null
sleep 0.3
grep -q '^tip=3 ' club.evening || fail "the question's Tab wrote the evening: $(grep '^tip=' club.evening)"
xdotool key --window "$dlg" Return 2>/dev/null
main_window
[ "$(phonekey)" = "$key1" ] || fail "the resumed evening's phone key is <$(phonekey)>, was <$key1>"
wait_dialog '^Dorvels projector$'
close_window "$dlg"
back
kill -0 "$progpid" 2>/dev/null || fail "closing the projector window ended the program"
shown '^Dorvels projector$' && fail "the projector window did not close"
key D
wait_dialog '^Dorvels projector$'
back
wait_title "tip#3\$"
key r
wait_title "tip#4\$"

key Escape
wait_dialog "Are you sure?"
xdotool key --window "$dlg" Return 2>/dev/null
back
kill -0 "$progpid" 2>/dev/null || fail "Escape ended the program"

before=$(presence)
key s
wait_dialog "Dance Setup"
xdotool type --window "$dlg" --delay 0 "4100000026"
xdotool key --window "$dlg" Return
sleep 0.3
close_window "$dlg"  # Cancel (a key that closes it could repeat into the main window)
back
key W
sleep 0.5
grep -qx 'club=The Merry Muddle Squares' club.dorvel || fail "a card renamed the club: $(grep club= club.dorvel)"
[ "$(presence)" = $((1 - before)) ] || fail "Quentin's presence was $before, is $(presence)"
close_window
ended 100 "closing the window"
grep -qx projector club.dorvel || fail "the club file does not keep the projector window open"
grep -Eq '^Vera +Visitor +[a-z]+ L [0-9]+ 1 ' club.dorvel || fail "the visitor was lost: $(grep Vera club.dorvel)"
echo "evening.sh: ok"
