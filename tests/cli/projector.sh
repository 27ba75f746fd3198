#!/usr/bin/env bash
# The projector window end to end, on a virtual X server of 1920x1080 with the sample club and
# an accessibility bus of its own; keys and a card come from xdotool, texts are read as a
# screen reader reads them.
#   D:        a second visible window of the program
#   r, e:     the second window holds "Tip 1" and every dancer of the tip, the main window the
#             Edit display
#   a card typed at reader speed into the focused window (the main window kept the focus)
#             flips its dancer; w writes the change
#   closed as a window manager closes it: the program runs on, D opens it again
#   x, start: the club file keeps the window open, and it opens again at the next start
# Arguments: the dorvels program and the source folder.
set -u
prog=$1
src=$2
py=/usr/bin/python3

if ! command -v dbus-run-session >/dev/null; then
  echo "projector.sh: dbus-run-session not installed; skipped"
  exit 0
fi
if ! "$py" -c 'import gi; gi.require_version("Atspi", "2.0")' 2>/dev/null; then
  echo "projector.sh: python3-gi or gir1.2-atspi-2.0 not installed; skipped"
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

# The program's visible projector windows, one id a line.
others() { xdotool search --onlyvisible --name '^Dorvels projector$' 2>/dev/null; }
wait_windows() {  # $1: how many are wanted
  for _ in $(seq 100); do
    [ "$(others | wc -l)" -eq "$1" ] && return 0
    sleep 0.1
  done
  return 1
}
# Presence field of Quentin Buttonwillow (card 4100000026) in the club file.
presence() { awk '$1 == "Quentin" && $2 == "Buttonwillow" { print $6 }' club.dorvel; }

# Reads the projector window from the accessibility bus until it holds "Tip N" and a name
# label followed by a square number or "Out" for every dancer of the tip; the main window
# must show the Edit display (its name toggles) and be the active one.
check() {
  "$py" - "$1" "$work/club.dorvel" "$progpid" >"$work/texts" 2>&1 <<'EOF'
import re, sys, time
import gi
gi.require_version("Atspi", "2.0")
from gi.repository import Atspi

tip, club, pid = int(sys.argv[1]), sys.argv[2], int(sys.argv[3])
levels = ["Basic", "SSD", "Main", "Plus", "DBD", "A1", "A2", "C1", "C2", "C3A", "C3B", "C4"]
floor, names = "Basic", []
for line in open(club):
    line = line.split("%")[0].strip()
    if line.startswith("pgm="):
        floor = line[4:]
    f = line.split()
    if len(f) >= 7 and f[3] in ("L", "M") and f[5] == "1" and levels.index(f[6]) >= levels.index(floor):
        names.append(f[1])

def frames():
    desk = Atspi.get_desktop(0)
    for i in range(desk.get_child_count()):
        app = desk.get_child_at_index(i)
        if app is not None and app.get_process_id() == pid:
            return [app.get_child_at_index(j) for j in range(app.get_child_count())]
    return []

def walk(o, role, out):
    if o.get_role() == role:
        out.append(o)
    for i in range(o.get_child_count()):
        c = o.get_child_at_index(i)
        if c is not None:
            walk(c, role, out)
    return out

def names_dancer(part, n):
    return any(t == n or re.fullmatch(re.escape(n) + "(M|F|MF|FM|E)", t) for t in re.split(r"[\s:+&]+", part))

def verdict():
    wins = [f for f in frames() if f is not None]
    main = [f for f in wins if "Square Dance" in (f.get_name() or "")]
    proj = [f for f in wins if f not in main]
    if len(main) != 1 or len(proj) != 1:
        return "windows: %s" % [f.get_name() for f in wins], []
    texts = [l.get_name() for l in walk(proj[0], Atspi.Role.LABEL, [])]
    if "Tip %d" % tip not in texts:
        return "no label 'Tip %d' in the projector window" % tip, texts
    cells = list(zip(texts, texts[1:]))
    for n in names:
        if not any(re.fullmatch(r"\d+|Out", tag) and names_dancer(name, n) for name, tag in cells):
            return "%s has no entry with a square number or Out" % n, texts
    if not walk(main[0], Atspi.Role.TOGGLE_BUTTON, []):
        return "the main window shows no Edit display", texts
    return "", texts

why, texts = "nothing read", []
for _ in range(40):
    try:
        why, texts = verdict()
    except Exception as e:  # a window being rebuilt
        why, texts = "read failed: %s" % e, []
    if not why:
        break
    time.sleep(0.5)
print("\n".join(repr(t) for t in texts))
if why:
    print("FAIL:", why)
    sys.exit(1)
EOF
}

key D
wait_windows 1 || fail "D: no second window"
proj=$(others)
key r
key e
check 1 || fail "D r e: the projector window"
title=$(xdotool getwindowname "$win")
case $title in PRESENT*|HISTORY*|PREHISTORY*) fail "D r e: main window title <$title>" ;; esac
[ "$(xdotool getwindowfocus 2>/dev/null)" = "$win" ] || fail "the main window lost the focus to $(xdotool getwindowfocus 2>/dev/null)"

# The card reader types into whichever window has the focus.
before=$(presence)
xdotool type --delay 15 4100000026 2>/dev/null
xdotool key Return 2>/dev/null
sleep 0.5
key w
[ "$before" = 1 ] && [ "$(presence)" = 0 ] || fail "card of Quentin Buttonwillow: presence $before, then $(presence)"

close_window "$proj"
wait_windows 0 || fail "the projector window did not close"
sleep 0.5
kill -0 "$progpid" 2>/dev/null || fail "closing the projector window ended the program"
key D
wait_windows 1 || fail "D after closing: no second window"

key x
ended 100 x
grep -qx projector club.dorvel || fail "the club file does not keep the projector window open"
"$prog" club.dorvel >"$work/out.txt" 2>&1 &
progpid=$!
main_window
wait_windows 1 || fail "the projector window did not open again at the start"
echo "projector.sh: ok"
