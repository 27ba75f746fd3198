#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The projector window end to end, on a 1920x1080 virtual X server with the sample club and an
# accessibility bus of its own: D opens a second window; after r and e it holds "Tip 1" and
# every dancer of the tip while the main window shows the Edit display and keeps the focus (so
# cards land there). (A card swiped with it open, closing it and its opening again: evening.sh.)
# Arguments: the dorvels program and the source folder.
set -u
prog=$1
src=$2
py=/usr/bin/python3

if ! command -v dbus-run-session >/dev/null || ! "$py" -c 'import gi; gi.require_version("Atspi", "2.0")' 2>/dev/null; then
  echo "projector.sh: dbus-run-session, python3-gi or gir1.2-atspi-2.0 not installed; skipped"
  exit 0
fi
if [ -z "${DORVELS_A11Y_SESSION:-}" ]; then
  DORVELS_A11Y_SESSION=1 exec dbus-run-session -- bash "$0" "$@" 2> >(grep -v -e dbus-daemon -e SpiRegistry >&2)
fi

source "$(dirname "$0")/own_display.bash" projector.sh 1920x1080
unset NO_AT_BRIDGE
fail() {
  echo "projector.sh: FAIL: $*"
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

# Reads the windows from the accessibility bus (for at most 20 s) until the projector window
# holds "Tip 1" and a name followed by a square number or "Out" for every present dancer of
# the club's level, and the main window the Edit display (its name toggles).
check() {
  PYTHONPATH=$clidir "$py" - "$work/club.dorvel" "$progpid" >"$work/texts" 2>&1 <<'PY'
import re, sys
from a11y import Atspi, app, poll, walk

club, pid = sys.argv[1], int(sys.argv[2])
levels = ["Basic", "SSD", "Main", "Plus", "DBD", "A1", "A2", "C1", "C2", "C3A", "C3B", "C4"]
floor = [l.strip()[4:] for l in open(club) if l.startswith("pgm=")][0]
names = [f[1] for f in (l.split("%")[0].split() for l in open(club))
         if len(f) >= 7 and f[3] in ("L", "M") and f[5] == "1" and levels.index(f[6]) >= levels.index(floor)]

def verdict():
    wins = walk(app(pid), Atspi.Role.FRAME)
    main = [f for f in wins if "Square Dance" in (f.get_name() or "")]
    proj = [f for f in wins if f.get_name() == "Dorvels projector"]
    if len(main) != 1 or len(proj) != 1:
        return "windows: %s" % [f.get_name() for f in wins], []
    texts = [l.get_name() for l in walk(proj[0], Atspi.Role.LABEL)]
    cells = [(re.split(r"[\s:+&]+", name), tag) for name, tag in zip(texts, texts[1:]) if re.fullmatch(r"\d+|Out", tag)]
    missing = [n for n in names if not any(re.fullmatch(re.escape(n) + "(M|F|MF|FM|E)?", w) for words, _ in cells for w in words)]
    if "Tip 1" not in texts or missing:
        return "no 'Tip 1', or no square for %s" % missing, texts
    return ("" if walk(main[0], Atspi.Role.TOGGLE_BUTTON) else "the main window shows no Edit display"), texts

poll(verdict, 40)
PY
}

key D
timeout 10 xdotool search --sync --onlyvisible --name '^Dorvels projector$' >/dev/null 2>&1 || fail "D: no second window"
key r
key e
check || fail "D r e: the projector window"
[ "$(xdotool getwindowfocus 2>/dev/null)" = "$win" ] || fail "the main window lost the focus to $(xdotool getwindowfocus 2>/dev/null)"
echo "projector.sh: ok"
