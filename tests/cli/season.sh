#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Season memory end to end: an evening with mixing on the sample club writes club.season
# beside the club file, a pair of dancers per line with their meetings and today's date; a new
# evening the same day adds its new pairs but does not count the day's meetings twice; a
# replay (-d) of the evening in another folder neither reads nor writes it: a damaged file
# there stays.
# Arguments: the dorvels program and the source folder.
set -u
prog=$1
src=$2

source "$(dirname "$0")/own_display.bash" season.sh 1280x1024

mkdir -p "$work/rec" "$work/rep"
for d in rec rep; do
  { cat "$src/data/sample.dorvel"; echo "mix"; } >"$work/$d/club.dorvel"
done
key() { xdotool key --window "$win" --clearmodifiers "$@" 2>/dev/null; sleep 0.4; }
today=$(date +%F)
# Every pair line: two names, 1 to 3 meetings (three tips), all of them today; sets $pairs.
check() {
  [ "$(grep -v '^%' club.season | head -n1)" = "dorvels-season 1" ] || fail "$1: $(head -n5 club.season)"
  pairs=$(grep -c $'\t' club.season)
  [ "$pairs" -gt 20 ] || fail "$1: only $pairs pairs"
  awk -F'\t' -v d="$today" '/\t/ && (NF != 5 || $3 < 1 || $3 > 3 || $4 != d || $5 != $3) {bad=1} END {exit bad}' \
    club.season || fail "$1: $(grep $'\t' club.season | head -n3)"
}

start_in rec -r club.dorvel
key r; key r; key r
close_window
ended 50 "closing the window"
check "first run"
first=$pairs
cp dorvels.record000 evening.record

# New evening the same day: it keeps the presence stored (a new club night on a later day
# would begin with everybody absent).
start_in rec club.dorvel
dlg=$(timeout 10 xdotool search --sync --onlyvisible --name "Tonight's evening" 2>/dev/null | head -n1)
[ -n "$dlg" ] || fail "no resume question"
xdotool windowfocus --sync "$dlg" 2>/dev/null; sleep 0.3
xdotool key --window "$dlg" alt+n 2>/dev/null; sleep 0.5
xdotool windowfocus --sync "$win" 2>/dev/null; sleep 0.3
key r; key r; key r
close_window
ended 50 "closing the window again"
check "a new evening the same day"
[ "$pairs" -gt "$first" ] || fail "the new evening added no pair: $first pairs, then $pairs"

printf 'dorvels-season 1\nnot a pair\n' >"$work/rep/club.season"
start_in rep -d ../rec/evening.record club.dorvel
# G replays the three tips; the replay then stops with the program running.
for _ in $(seq 20); do
  xdotool getwindowname "$win" 2>/dev/null | grep -q 'tip#3$' && break
  key G
done
xdotool getwindowname "$win" 2>/dev/null | grep -q 'tip#3$' || fail "the replay did not roll the three tips"
sleep 1
kill -0 "$progpid" 2>/dev/null || fail "the replay ended the program"
close_window
ended 50 "the replay"
[ "$(cat club.season)" = $'dorvels-season 1\nnot a pair' ] || fail "the replay changed club.season"
[ ! -e club.season.damaged ] || fail "the replay read club.season"
echo "season.sh: ok"
