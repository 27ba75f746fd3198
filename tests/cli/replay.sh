#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Recording and replay end to end, with the real program and real key presses: an evening on
# the sample club is recorded (-r), then replayed with G in a fresh program on a fresh copy of
# the club; the boards shown (their titles) and the club files must be equal byte for byte (but
# for the recorded one's "Record": a replay records nothing, nor ends the program). The
# Statistics option logs every roll, and b draws the dance-count chart with gnuplot.
# Arguments: the dorvels program and the source folder.
set -u
prog=$1
src=$2

source "$(dirname "$0")/own_display.bash" replay.sh 1280x1024

mkdir -p "$work/rec" "$work/rep"
# Everybody at the club's level or above: no roll pauses on a warning while G is typed.
for d in rec rep; do
  { sed 's/ Basic / Main  /' "$src/data/sample.dorvel"; echo "Statistics"; } >"$work/$d/club.dorvel"
done

key() { xdotool key --window "$win" --clearmodifiers "$@" 2>/dev/null; sleep 0.4; titles+="$(title)"$'\n'; }
title() { xdotool getwindowname "$win" 2>/dev/null; }

titles=""
start_in rec -r club.dorvel
for k in r p r b h; do key "$k"; done
title | grep -q '^HISTORY : .*tip#2$' || fail "after r p r b h the title is <$(title)>"
rectitles=$titles
close_window
ended 50 "closing the window"

cd "$work/rec" || exit 1
head -n2 dorvels.record000 | sed -n '1p' | grep -qx 'seeds: 0 0 0' || fail "first line: $(head -n1 dorvels.record000)"
sed -n '2p' dorvels.record000 | grep -Eqx 'seeds: s1=-?[0-9]+ s2=-?[0-9]+ s3=-?[0-9]+' || fail "no seeds line"
actions=$(tail -n +3 dorvels.record000)
want=$'(KeybrdCmd) r\n(KeybrdCmd) p\n(KeybrdCmd) r\n(KeybrdCmd) b\n(KeybrdCmd) h\n(terminate)'
[ "$actions" = "$want" ] || fail "record lines after the seeds: <$actions>"
[ "$(wc -l <club.stat)" -eq 2 ] || fail "club.stat: $(cat club.stat)"
grep -Eq '^[0-9]{4}-[0-9]{2}-[0-9]{2}/[0-9]{2}:[0-9]{2}:[0-9]{2} +[0-9]+( +[0-9]+){6}    # (Sun|Mon|Tue|Wed|Thu|Fri|Sat): totdancers couples snglM snglF snglMF snglFM snglE$' club.stat ||
  fail "club.stat line: $(head -n1 club.stat)"
[ -s dorvelbars02.dat ] || fail "no dorvelbars02.dat"
for _ in $(seq 100); do [ -s dorvelbars02.png ] && break; sleep 0.1; done
size=$(od -An -tx1 -j16 -N8 dorvelbars02.png | tr -d ' \n')
[ "$size" = 0000028a0000028a ] || fail "dorvelbars02.png is not 650 by 650 ($size)"

# The replay: G runs up to the next change of display; pressed until the recorded closing of
# the window ends the replay (traced), which ends neither the program nor writes the club.
titles=""
start_in rep --trace=1 --tracefile=trace.txt -d ../rec/dorvels.record000 club.dorvel
for _ in $(seq 20); do
  grep -q '(DbgRecording) end of recording' trace.txt && break
  key G
done
grep -q '(DbgRecording) end of recording' trace.txt || fail "the replay did not end"
key W
kill -0 "$progpid" 2>/dev/null || fail "the replay ended the program"
grep -qx Record club.dorvel && fail "the replay switched recording on in the club file"
close_window
ended 50 "closing the window"

cmp <(grep -vx Record "$work/rec/club.dorvel") "$work/rep/club.dorvel" ||
  fail "club files differ: $(diff "$work/rec/club.dorvel" "$work/rep/club.dorvel")"
# G stops after every change of display (r, p, r, h); b changes none.
[ "$(head -n4 <<<"$titles" | uniq)" = "$(uniq <<<"$rectitles")" ] || fail "boards: <$rectitles> replayed as <$titles>"
[ "$(wc -l <"$work/rep/club.stat")" -eq 2 ] || fail "the replay logged $(wc -l <"$work/rep/club.stat") rolls"
echo "replay.sh: ok"
