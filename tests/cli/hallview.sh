#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The hall view end to end, read as a screen reader reads it: the program runs on a virtual X
# server with the sample club and its own accessibility bus; real key presses (xdotool) roll
# a tip and press V; the window's texts are read through the accessibility bus.
#   r, V:   "Tip 1" and every dancer of the tip with a square number or "Out"
#   V:      the squares board again ("name: number" cells, no tip heading)
#   V, r:   the hall view stays on for the next roll: "Tip 2"
#   e, D:   the projector window holds "Tip 2" and every dancer of the tip while the main
#           window shows the Edit display and keeps the focus (so cards land there); D closes it
#           (a card swiped with it open, its opening at the next start: evening.sh)
#   h:      the operator pages back through the history; the projector still shows "Tip 2"
#   a card typed at reader speed on the Edit display: a note names the dancer checked out
#   the window closed, the program started again on the club file: r (typed into the question
#   whether to resume the evening, it gives the default answer: a new evening, since the evening
#   was ended on purpose) rolls tip 1 and shows the hall view
# Arguments: the dorvels program and the source folder.
set -u
prog=$1
src=$2
py=/usr/bin/python3

if ! command -v dbus-run-session >/dev/null || ! "$py" -c 'import gi; gi.require_version("Atspi", "2.0")' 2>/dev/null; then
  echo "hallview.sh: dbus-run-session, python3-gi or gir1.2-atspi-2.0 not installed; skipped"
  exit 0
fi
# The accessibility bus lives in a session bus of our own.
if [ -z "${DORVELS_A11Y_SESSION:-}" ]; then
  DORVELS_A11Y_SESSION=1 exec dbus-run-session -- bash "$0" "$@" 2> >(grep -v -e dbus-daemon -e SpiRegistry >&2)
fi

source "$(dirname "$0")/own_display.bash" hallview.sh 1920x1080
unset NO_AT_BRIDGE
# What was read and what the program said, with the reason.
fail() {
  echo "hallview.sh: FAIL: $*"
  [ -f "$work/texts" ] && sed 's/^/  /' "$work/texts"
  [ -s "$work/out.txt" ] && tail -n 20 "$work/out.txt"
  exit 1
}

cp "$src/data/sample.dorvel" "$work/club.dorvel"
cd "$work" || exit 1
"$prog" club.dorvel >"$work/out.txt" 2>&1 &
progpid=$!

main_window
key() { xdotool key --window "$win" --clearmodifiers "$@" 2>/dev/null; sleep 0.3; }

# Reads the texts of the program's windows from the accessibility bus until they show what
# is expected (at most 20 s): "hall N" = the hall view of tip N with every dancer of the tip
# of the club file, "board" = the squares board with the same dancers, "projector N" = the
# hall view of tip N in the projector window while the main window shows the Edit display,
# "note TEXT" = a label holding TEXT.
check() {
  PYTHONPATH=$clidir "$py" - "$1" "${2:-0}" "$work/club.dorvel" "$progpid" "${3:-}" >"$work/texts" 2>&1 <<'EOF'
import re, sys
from a11y import Atspi, app, poll, walk

want, tip, club, pid, note = sys.argv[1], int(sys.argv[2]), sys.argv[3], int(sys.argv[4]), sys.argv[5]
levels = ["Basic", "SSD", "Main", "Plus", "DBD", "A1", "A2", "C1", "C2", "C3A", "C3B", "C4"]

# The dancers of the tip: present, at or above the club's program level (shown by last name).
floor = [l.strip()[4:] for l in open(club) if l.startswith("pgm=")][0]
names = [f[1] for f in (l.split("%")[0].split() for l in open(club))
         if len(f) >= 7 and f[3] in ("L", "M") and f[5] == "1" and levels.index(f[6]) >= levels.index(floor)]

# A name part names dancer n: one of its names (with the first initial when another dancer
# has the same name; a recruited dancer's left-out partner with the role letter appended).
def names_dancer(part, n):
    return any(re.fullmatch(re.escape(n) + "[A-Z]?(M|F|MF|FM|E)?", t) for t in re.split(r"[\s:+&]+", part))

# The hall view of the tip: each entry a name label followed by its square number or "Out".
def hall(texts):
    if "Tip %d" % tip not in texts:
        return "no label 'Tip %d'" % tip
    cells = list(zip(texts, texts[1:]))
    for n in names:
        if not any(re.fullmatch(r"\d+|Out", tag) and names_dancer(name, n) for name, tag in cells):
            return "%s has no entry with a square number or Out" % n
    return ""

def verdict():
    texts = [l.get_name() for l in walk(app(pid), Atspi.Role.LABEL)]
    if want == "note":
        return ("" if any(note in t for t in texts) else "no label holds %r" % note), texts
    if want == "hall":
        return hall(texts), texts
    if want == "projector":
        wins = walk(app(pid), Atspi.Role.FRAME)
        main = [f for f in wins if "Square Dance" in (f.get_name() or "")]
        proj = [f for f in wins if f.get_name() == "Dorvels projector"]
        if len(main) != 1 or len(proj) != 1:
            return "windows: %s" % [f.get_name() for f in wins], texts
        texts = [l.get_name() for l in walk(proj[0], Atspi.Role.LABEL)]
        edit = walk(main[0], Atspi.Role.TOGGLE_BUTTON)
        return hall(texts) or ("" if edit or note == "any" else "the main window shows no Edit display"), texts
    if any(re.fullmatch(r"Tip \d+", t) for t in texts):
        return "a tip heading on the board", texts
    board = [t for t in texts if re.fullmatch(r"\s*\S.*: +(\d+|Out)", t)]
    for n in names:
        if not any(names_dancer(t.rsplit(": ", 1)[0], n) for t in board):
            return "%s is not on the board" % n, texts
    return "", texts

poll(verdict, 40)
EOF
}

key r
check board || fail "r: the board"
key V
check hall 1 || fail "r V: the hall view of tip 1"
key V
check board || fail "r V V: the board"
key V
key r
check hall 2 || fail "r V V V r: the hall view of tip 2"

# The projector window beside the Edit display.
key e
key D
timeout 10 xdotool search --sync --onlyvisible --name '^Dorvels projector$' >/dev/null 2>&1 || fail "D: no second window"
check projector 2 || fail "e D: the projector window"
[ "$(xdotool getwindowfocus 2>/dev/null)" = "$win" ] || fail "the main window lost the focus to $(xdotool getwindowfocus 2>/dev/null)"
# The history is the operator's: the hall keeps the tip it dances.
key h
check projector 2 any || fail "e D h: the projector window left tip 2"
key e
key D

# A dancer's card swiped at the door on the Edit display: the note says which way it went.
xdotool type --window "$win" --delay 8 4100000026 2>/dev/null
key Return
check note 0 "Buttonwillow is no longer available to dance" || fail "e, a card: no note naming the dancer"

# The hall view is the club's choice: closed and started again, the next roll shows it.
close_window
for _ in $(seq 100); do kill -0 "$progpid" 2>/dev/null || break; sleep 0.1; done
kill -0 "$progpid" 2>/dev/null && fail "the window closed, the program still runs"
grep -qx hallview club.dorvel || fail "the club file keeps no hallview line"
"$prog" club.dorvel >"$work/out.txt" 2>&1 &
progpid=$!
main_window
key r
check hall 1 || fail "started again, r: a new evening, the hall view of tip 1"
kill -0 "$progpid" 2>/dev/null || fail "the program ended"
echo "hallview.sh: ok"
