#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The program from the outside: --help, --version, an unknown option, and a real window
# under X whose title is checked and which the Q key closes with exit status 0.
# Arguments: path of the dorvels program, source folder.
set -u
prog=$1
fail() { echo "FAIL: $*"; exit 1; }

out=$("$prog" --help) || fail "--help exit status $?"
grep -q '^usage: dorvels' <<<"$out" || fail "--help text: $out"
grep -q 'lastdance.dorvels' <<<"$out" || fail "--help names the files"
out=$("$prog" --version) || fail "--version exit status $?"
grep -Eq '^dorvels [0-9]+\.[0-9]+' <<<"$out" || fail "--version text: $out"
# Too many anonymous dancers are refused before anything is read, counted as asked for
# (couples count two).
for args in "1024:2048" "600 A2 700:2600"; do
  out=$("$prog" ${args%%:*} 2>&1) && fail "dorvels ${args%%:*} was not refused"
  grep -q "^dorvels: ${args##*:} anonymous dancers asked for" <<<"$out" || fail "dorvels ${args%%:*}: $out"
done

if [ -z "${DISPLAY:-}" ] || ! command -v xdotool >/dev/null; then
  echo "SKIP: window checks need an X display and xdotool"
  exit 0
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"

# Waits for a window of process $2 whose title matches $1; prints its id.
wait_window() {
  for _ in $(seq 1 300); do
    id=$(xdotool search --all --onlyvisible --pid "$2" --name "$1" 2>/dev/null | head -n1)
    # A window without the process id property is found by its title alone (the X server
    # is this test's own while it runs: the GUI tests never share it).
    [ -n "$id" ] || id=$(xdotool search --all --onlyvisible --name "$1" 2>/dev/null | head -n1)
    [ -n "$id" ] && { echo "$id"; return 0; }
    sleep 0.1
  done
  return 1
}

# Every record file name in use: -r cannot record; it says so on stderr, and on the screen.
for n in $(seq -w 0 999); do : >"dorvels.record$n"; done
"$prog" -z -r 1024x768 3 2 1 >out.txt 2>err.txt &
pid=$!
if ! win=$(wait_window "Square Dance" $pid); then
  if kill -0 $pid 2>/dev/null; then kill $pid; state="still running"; else wait $pid; state="ended with status $?"; fi
  fail "no window (program $state); stderr: $(cat err.txt); windows: $(xdotool search --name . 2>/dev/null | while read -r w; do xdotool getwindowname "$w"; done | tr '\n' '|')"
fi
title=$(xdotool getwindowname "$win")
[ "$title" = "None's Square Dance with None calling" ] || { kill $pid; fail "title <$title>"; }
grep -q '(main) -z not supported' err.txt || { kill $pid; fail "no message for -z: $(cat err.txt)"; }
grep -q "can't record; 1000 dorvels.record### files already present" err.txt || { kill $pid; fail "-r: $(cat err.txt)"; }
wait_window '^dorvels$' $pid >/dev/null || { kill $pid; fail "the warning is not shown in a pop-up"; }
xdotool windowactivate --sync "$win" 2>/dev/null || xdotool windowfocus --sync "$win"
xdotool key --window "$win" Q 2>/dev/null
for _ in $(seq 1 50); do kill -0 $pid 2>/dev/null || break; sleep 0.1; done
if kill -0 $pid 2>/dev/null; then kill $pid; fail "Q did not end the program"; fi
wait $pid
status=$?
[ $status -eq 0 ] || fail "exit status $status after Q"
if grep -Eq 'Gtk-(WARNING|CRITICAL)' err.txt; then fail "GTK complained: $(cat err.txt)"; fi
echo "PASS"
