#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# A recorded evening of clicks, keys and card swipes replays faithfully: an evening on the
# sample club (everybody at the club's level or above) is recorded with the real program, with
# names clicked absent, a priority and a level changed in their pop-up, a dancer's card and an
# unknown card swiped and the unknown card given to a new couple in the card window, then two
# tips rolled. G replays it in a fresh program on a fresh copy of the club: every board shown
# (traced at level 2) and the club file must be the same as the recorded run's.
# Arguments: the dorvels program and the source folder.
set -u
prog=$1
src=$2

source "$(dirname "$0")/own_display.bash" replay_evening.sh 1280x1024

mkdir -p "$work/rec" "$work/rep"
for d in rec rep; do sed 's/ Basic / Main  /' "$src/data/sample.dorvel" >"$work/$d/club.dorvel"; done

key() { xdotool key --clearmodifiers "$@" 2>/dev/null; sleep 0.5; }
click() { xdotool mousemove "$1" "$2" click 1 2>/dev/null; sleep 0.5; }
boards() { grep -o '(TraceBoard) .*' "$work/$1/trace.txt"; }

start_in rec --trace=2 --tracefile=trace.txt -r club.dorvel
key e
click 157 257                   # Buttonwillow's name: absent
click 479 356                   # Hobnobble's name: absent
click 73 94                     # Bramblecot's Must: Luck
click 566 394                   # Hobnobble's level: its pop-up
key Down                        # the next level
key Escape                      # the pop-up's Done
key 4 1 0 0 0 0 0 0 2 6 Return  # Buttonwillow's card: present again
key 4 1 0 0 0 0 0 9 9 9 Return  # an unknown card: the card window
click 437 393                   # its Couple button
xdotool windowfocus --sync "$win" 2>/dev/null
for k in r p r h; do xdotool key --window "$win" "$k" 2>/dev/null; sleep 0.5; done
close_window
ended 50 "closing the window"

record=$work/rec/dorvels.record000
for line in '(ToggleAvail) sd<Buttonwillow> inactive' '(ToggleAvail) sd<Hobnobble> inactive' \
  '(LuckMustBttn) sd<Bramblecot H> luck' '(PgmBttn) sd<Mortimer Hobnobble>' '(PgmRadioBttn) sd<Mortimer Hobnobble>' \
  '(DoneBttn)' '(KeybrdCmd) 4100000026' '(KeybrdCmd) 4100000999' '(RfidCplSnglBttn) isex=0<Couple#001>' \
  '(KeybrdCmd) h' '(terminate)'; do
  grep -qF "$line" "$record" || fail "the record has no line <$line>: $(cat "$record")"
done
[ "$(boards rec | wc -l)" -ge 8 ] || fail "boards traced: $(boards rec | wc -l); $(tail -n3 "$work/rec/out.txt")"

start_in rep --trace=2 --tracefile=trace.txt -d ../rec/dorvels.record000 club.dorvel
for _ in $(seq 30); do
  grep -q '(DbgRecording) end of recording' trace.txt && break
  xdotool key --window "$win" G 2>/dev/null
  sleep 0.5
done
kill -0 "$progpid" 2>/dev/null || fail "the replay ended the program"
close_window
ended 50 "closing the window"

cmp <(grep -vx Record "$work/rec/club.dorvel") "$work/rep/club.dorvel" ||
  fail "club files differ: $(diff "$work/rec/club.dorvel" "$work/rep/club.dorvel")"
diff <(boards rec) <(boards rep) >"$work/boards.diff" || fail "boards differ: $(cut -c1-300 "$work/boards.diff" | head -n6)"
echo "replay_evening.sh: ok"
