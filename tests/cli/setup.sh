#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# A new club from nothing, with the real program and real key presses: in an empty folder the
# program opens the setup dialog with the keyboard in it; the club name and the caller are
# typed (Enter after each), three anonymous couples asked for and Done pressed, all from the
# keyboard; then x writes the club file, named after the club, and the pointer file.
# Arguments: the dorvels program and the source folder.
set -u
prog=$1

source "$(dirname "$0")/own_display.bash" setup.sh 1024x768

mkdir "$work/club"
cd "$work/club" || exit 1
"$prog" 1024x768 >"$work/out.txt" 2>&1 &
progpid=$!

# Waits until a visible window's title matches the extended regular expression $1.
wait_window() {
  for _ in $(seq 300); do
    for w in $(xdotool search --onlyvisible --name "Square Dance" 2>/dev/null); do
      xdotool getwindowname "$w" | grep -Eq "$1" && { echo "$w"; return 0; }
    done
    sleep 0.1
  done
  return 1
}
setup=$(wait_window " Setup with ") || fail "no setup dialog; stderr: $(cat "$work/out.txt")"
focus=""
for _ in $(seq 100); do
  focus=$(xdotool getwindowfocus getwindowname 2>/dev/null)
  [ "$focus" = "None's Square Dance Setup with None calling" ] && break
  sleep 0.1
done
[ "$focus" = "None's Square Dance Setup with None calling" ] || fail "the keyboard is not in the dialog but in <$focus>"
sleep 0.5

key() { xdotool key --clearmodifiers "$@" 2>/dev/null; sleep 0.1; }
typed() { xdotool type --delay 30 "$1" 2>/dev/null; sleep 0.1; }
# The focus starts in the club name; Enter moves on to the next field.
typed "Hilltop"; key Return
typed "Joe"; key Return
# From Max Squares: Square Size, Name Style, Ask, New Square Dancers, the level, Anon Couples.
key Tab Tab Tab Tab Tab Tab
typed "3"
# Five single counts, Next Anon, the two choosers, the output file, Done.
key Tab Tab Tab Tab Tab Tab Tab Tab Tab Tab
key space

titles() { for w in $(xdotool search --name "Square Dance" 2>/dev/null); do printf '<%s> ' "$(xdotool getwindowname "$w")"; done; }
wait_window "^Hilltop's Square Dance with Joe calling$" >/dev/null || fail "no main window titled after the club: $(titles)"
shown " Setup with " && fail "the dialog is still open"
sleep 0.5
key x
ended 100 x
[ "$(cat lastdance.dorvels)" = "hilltop.dorvel" ] || fail "lastdance.dorvels: <$(cat lastdance.dorvels)>"
grep -qx "club=Hilltop" hilltop.dorvel || fail "no club line: $(cat hilltop.dorvel)"
[ "$(grep -c ' Couple#00[123] ' hilltop.dorvel)" -eq 6 ] || fail "not three couples: $(cat hilltop.dorvel)"
if grep -Eq 'Gtk-(WARNING|CRITICAL)' "$work/out.txt"; then fail "GTK complained: $(cat "$work/out.txt")"; fi
echo "setup.sh: ok"
