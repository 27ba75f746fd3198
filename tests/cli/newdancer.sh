#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# A new dancer entered end to end: the program runs on a virtual X server with the sample club;
# real key presses (xdotool) open the new-dancer dialog with n, type the names, choose the role
# F and the level Plus in their pop-ups, press Done and write the club file with w. The name
# "Zed%Love+7" must come back byte for byte after a restart and a second w. A card read at
# 40 ms a key into the dialog's empty first name checks its dancer out and types nothing: the
# name typed after it is the whole first name.
# Arguments: the dorvels program and the source folder.
set -u
prog=$1
src=$2

source "$(dirname "$0")/own_display.bash" newdancer.sh 1920x1080

cp "$src/data/sample.dorvel" "$work/club.dorvel"
cd "$work" || exit 1

# Starts the program on club.dorvel and gives its window the keyboard.
start() {
  "$prog" club.dorvel >>"$work/out.txt" 2>&1 &
  progpid=$!
  main_window
}
# Keys go to the window that has the keyboard: the main window, or a dialog it opened.
key() { xdotool key --clearmodifiers "$@" 2>/dev/null; sleep 0.2; }
# Waits until a window titled $1 is (with $2 = gone: is no longer) on screen.
wait_window() {
  for _ in $(seq 100); do
    if shown "^$1\$"; then [ "${2:-}" != gone ] && return 0
    else [ "${2:-}" = gone ] && return 0; fi
    sleep 0.1
  done
  fail "window <$1> ${2:-not shown}"
}
quit() {
  key Q
  ended 50 Q
}

start
key n
wait_window "New Square Dancer"
xdotool type --delay 30 "Mary Ann"
key Return                          # on to the last name
xdotool type --delay 30 'Zed%Love+7'
key Tab Tab space                   # Luck, then the role button: its pop-up
wait_window "SqrDancer Role"
key Down Return                     # M -> F, and close
wait_window "SqrDancer Role" gone
key Tab Tab space                   # Partner, then the level button
wait_window "SqrDancer Level"
key Down Return                     # Main -> Plus
wait_window "SqrDancer Level" gone
key Tab Tab space                   # Rfid, then Done
wait_window "New Square Dancer" gone
key w
sleep 0.5
line=$(grep -E '^Mary_Ann +Zed%Love\+7 ' club.dorvel) || fail "no line for the new dancer: $(cat club.dorvel)"
read -r -a f <<<"$line"
[ "${f[2]}" = f ] && [ "${f[6]}" = Plus ] || fail "role or level wrong: $line"
quit
first=$(cat club.dorvel; echo x)

start
key w
sleep 0.5
quit
second=$(cat club.dorvel; echo x)
[ "$first" = "$second" ] || fail "the second write differs: $(diff <(echo "$first") <(echo "$second"))"

start
grep -Eq '^Quentin +Buttonwillow +m L [0-9]+ 1 ' club.dorvel || fail "Quentin is not present to begin with"
key n
wait_window "New Square Dancer"
xdotool type --delay 40 4100000026
xdotool key Return
sleep 0.5
xdotool type --delay 30 Ida
key Return
xdotool type --delay 30 Card
key Return
wait_window "New Square Dancer" gone
key w
sleep 0.5
grep -Eq '^Ida +Card ' club.dorvel || fail "the card went into the first name: $(grep -E 'Card|4100000026' club.dorvel)"
grep -Eq '^Quentin +Buttonwillow +m L [0-9]+ 0 ' club.dorvel || fail "the card did not check Quentin out: $(grep Quentin club.dorvel)"
quit
if grep -Eq 'Gtk-(WARNING|CRITICAL)' out.txt; then fail "GTK complained: $(cat out.txt)"; fi
echo "newdancer.sh: ok"
