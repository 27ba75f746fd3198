#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The club file kept safe by the real program under X: a UTF-16 file is left as it is, a
# byte-order mark adds no dancer and keeps the comment block, a second program does not
# write the first one's file, a failed save at the close asks (and quitting leaves the file),
# the font keys on the present board change no tip or count, and a misspelt club name leaves
# lastdance.dorvels naming the club. The club the pointer file names (a window size alone on
# the command line) is the file written; command lines with a slip are refused unwritten.
# Arguments: path of the dorvels program, source folder.
set -u
prog=$1
src=$2

source "$(dirname "$0")/own_display.bash" clubfile.sh 1024x768

# Every program this test starts is stopped at the end if it still runs.
pids=()
stop_all() {
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null; done
  chmod -R u+w "$work" 2>/dev/null
  cleanup
}
trap stop_all EXIT

# Starts the program in folder $1 with the remaining arguments; sets $pid and $win.
start() {
  local dir=$1; shift
  cd "$work/$dir" || fail "no folder $dir"
  "$prog" "$@" 1024x768 >out.txt 2>err.txt &
  pid=$!
  pids+=("$pid")
  win=""
  for _ in $(seq 1 300); do
    win=$(xdotool search --all --onlyvisible --pid "$pid" --name "Square Dance" 2>/dev/null | head -n1)
    [ -n "$win" ] && break
    if ! kill -0 "$pid" 2>/dev/null; then
      wait "$pid"
      fail "$dir: the program ($*) ended with status $?: $(cat err.txt) [pids ${pids[*]}]"
    fi
    sleep 0.1
  done
  [ -n "$win" ] || fail "$dir: no window"
  sleep 1  # the first display is built
  xdotool windowfocus --sync "$win" 2>/dev/null || xdotool windowfocus "$win" 2>/dev/null
}
# Waits until process $1 has ended (at most 10 s); sets $status to its exit status.
gone() {
  for _ in $(seq 1 100); do kill -0 "$1" 2>/dev/null || break; sleep 0.1; done
  kill -0 "$1" 2>/dev/null && return 1
  wait "$1"
  status=$?
}
key() { xdotool key --window "$win" --clearmodifiers "$@" 2>/dev/null; sleep 0.3; }
# The window is closed as the window manager would (close_window): a key that ends the
# program would leave xdotool without its window before it lets the key go, and the key
# held down would repeat into the next program.
title() { xdotool getwindowname "$win"; }
# Dancer lines of a club file (two names, then a role).
dancers() { grep -Eic '^[[:space:]]*[^[:space:]%]+[[:space:]]+[^[:space:]]+[[:space:]]+(m|f|mf|fm|e)[[:space:]]' "$1"; }

# ---- a UTF-16 club file: not read, said so, and left as it is ----------------------------------
mkdir -p "$work/utf16"
printf '%% Hilltop\nclub=Hilltop\nAnn Ash f L 0 1 Basic\nBob Ash m L 0 1 Basic\n' |
  iconv -f UTF-8 -t UTF-16 >"$work/utf16/club.dorvel"
cp "$work/utf16/club.dorvel" "$work/utf16/original"
start utf16 club.dorvel
close_window
gone "$pid" || fail "utf16: the program did not end when its window closed"
[ "$status" = 0 ] || fail "utf16: exit status $status: $(tail -n 4 err.txt)"
cmp -s club.dorvel original || fail "utf16: the club file was changed"
grep -q '<club.dorvel> was not read: it is UTF-16 text' err.txt || fail "utf16: no reason given: $(cat err.txt)"

# ---- a byte-order mark and a comment block ------------------------------------------------------
mkdir -p "$work/bom"
block=$'\xEF\xBB\xBF% my club\n% kept by hand\n'
printf '%sclub=Hilltop\nAnn Ash f L 0 1 Basic & Bob Ash\nBob Ash m L 0 1 Basic & Ann Ash\n' "$block" >"$work/bom/club.dorvel"
start bom club.dorvel
key W
grep -q '^dispnamestyle=' club.dorvel || fail "bom: W did not write the club file"
[ "$(dancers club.dorvel)" = 2 ] || fail "bom: $(dancers club.dorvel) dancer lines: $(cat club.dorvel)"
[ "$(head -c "$(printf '%s' "$block" | wc -c)" club.dorvel | od -An -tx1)" = "$(printf '%s' "$block" | od -An -tx1)" ] ||
  fail "bom: the comment block changed: $(head -n3 club.dorvel)"
close_window
gone "$pid" || fail "bom: the program did not end"

# ---- two programs on one club file --------------------------------------------------------------
mkdir -p "$work/two"
cp "$src/data/sample.dorvel" "$work/two/club.dorvel"
start two club.dorvel
first=$pid firstwin=$win
cp err.txt first-err.txt
start two club.dorvel
second=$pid
grep -q '<club.dorvel> is in use by another Dorvels' err.txt || fail "two: the second program did not say so: $(cat err.txt)"
before=$(md5sum <club.dorvel)
key r  # a roll writes the club file, but not from the second program
sleep 0.5
[ "$(md5sum <club.dorvel)" = "$before" ] || fail "two: the second program wrote the club file"
close_window
gone "$second" || fail "two: the second program did not end"
[ "$status" = 0 ] || fail "two: the second program's exit status $status: $(tail -n 4 err.txt)"
[ "$(md5sum <club.dorvel)" = "$before" ] || fail "two: the second program wrote at the end"
win=$firstwin
xdotool windowfocus --sync "$win" 2>/dev/null
key r
sleep 0.5
[ "$(md5sum <club.dorvel)" != "$before" ] || fail "two: the first program could not write its file"
close_window
gone "$first" || fail "two: the first program did not end"

# ---- a failed save when the window closes -------------------------------------------------------
mkdir -p "$work/ro/folder"
cp "$src/data/sample.dorvel" "$work/ro/folder/club.dorvel"
cp "$work/ro/folder/club.dorvel" "$work/ro/original"
start ro folder/club.dorvel
chmod a-w folder
close_window
dlg=""
for _ in $(seq 1 100); do
  dlg=$(xdotool search --all --onlyvisible --name "Club file not saved" 2>/dev/null | head -n1)
  [ -n "$dlg" ] && break
  sleep 0.1
done
[ -n "$dlg" ] || fail "ro: no dialog when the save failed"
kill -0 "$pid" 2>/dev/null || fail "ro: the program ended without waiting for the answer"
xdotool windowfocus --sync "$dlg" 2>/dev/null
xdotool key --window "$dlg" alt+q 2>/dev/null  # Quit without saving
gone "$pid" || fail "ro: quit without saving did not end the program"
[ "$status" = 0 ] || fail "ro: exit status $status: $(tail -n 4 err.txt)"
chmod u+w folder
cmp -s folder/club.dorvel original || fail "ro: the club file was changed"
grep -q 'unable to write <folder/club.dorvel>: Permission denied' err.txt || fail "ro: nothing on stderr: $(cat err.txt)"

# ---- the font keys on the present board ---------------------------------------------------------
mkdir -p "$work/font"
cp "$src/data/sample.dorvel" "$work/font/club.dorvel"
start font club.dorvel
key r
key p
shown=$(title)
[[ "$shown" == "PRESENT : "*"tip#1" ]] || fail "font: title <$shown>"
counts=$(awk '$4 == "L" || $4 == "M" { print $1, $2, $5 }' club.dorvel)
key plus
key minus
key minus
key plus
[ "$(title)" = "$shown" ] || fail "font: title <$(title)> after + and -, was <$shown>"
key W  # the counts as they are now
[ "$(awk '$4 == "L" || $4 == "M" { print $1, $2, $5 }' club.dorvel)" = "$counts" ] || fail "font: dance counts changed"
close_window
gone "$pid" || fail "font: the program did not end"

# ---- a misspelt club name -----------------------------------------------------------------------
mkdir -p "$work/typo"
cp "$src/data/sample.dorvel" "$work/typo/hilltop.dorvel"
printf 'hilltop.dorvel\n' >"$work/typo/lastdance.dorvels"
start typo smaple
grep -q 'No club file <smaple> or <smaple.dorvel> was found' err.txt || fail "typo: not said: $(cat err.txt)"
close_window
gone "$pid" || fail "typo: the program did not end"
[ "$(cat lastdance.dorvels)" = "hilltop.dorvel" ] || fail "typo: lastdance.dorvels names <$(cat lastdance.dorvels)>"
[ ! -e smaple.dorvel ] || fail "typo: an empty smaple.dorvel was written"

# ---- the club of the pointer file (start gives a window size alone) is the file written ---------
mkdir -p "$work/harbor"
printf 'club=Harbor Squares\nAnn Ash f L 0 1 Basic\nBob Ash m L 0 1 Basic\n' >"$work/harbor/harbor.dorvel"
printf 'harbor.dorvel\n' >"$work/harbor/lastdance.dorvels"
start harbor
[[ "$(title)" == "Harbor Squares' Square Dance"* ]] || fail "harbor: title <$(title)>"
close_window
gone "$pid" || fail "harbor: the program did not end"
grep -q '^dispnamestyle=' harbor.dorvel && grep -q 'Bob  *Ash' harbor.dorvel || fail "harbor: not written: $(cat harbor.dorvel)"
[ ! -e squares.dorvel ] && [ ! -e none.dorvel ] || fail "harbor: another club file was written: $(ls)"
[ "$(cat lastdance.dorvels)" = "harbor.dorvel" ] || fail "harbor: lastdance.dorvels names <$(cat lastdance.dorvels)>"

# ---- command lines with a slip: refused, nothing written ----------------------------------------
cp harbor.dorvel before
rm lastdance.dorvels
for cmd in "--print-pdf harbor.dorvel" "--serve 18155 harbor.dorvel"; do
  "$prog" $cmd >out.txt 2>err.txt && fail "$cmd: exit status 0"
  cmp -s harbor.dorvel before && [ ! -e lastdance.dorvels ] || fail "$cmd changed the club's files"
done
grep -q -- '--serve=18155' err.txt || fail "--serve 18155: the right form is not named: $(cat err.txt)"

echo "PASS"
