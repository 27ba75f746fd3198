# SPDX-License-Identifier: GPL-3.0-or-later
# Shared by the command-line tests that type into the program: a scratch folder ($work) and
# an X server of their own, both gone when the test ends, and the program's process
# ($progpid, set by the test) stopped if it still runs. Usage, with the test's name and the
# screen size:   source own_display.bash NAME WIDTHxHEIGHT
# A test that cannot run here (no xdotool or Xvfb) is skipped.
name=$1
if ! command -v xdotool >/dev/null || ! command -v Xvfb >/dev/null; then
  echo "$name: xdotool or Xvfb not installed; skipped"
  exit 0
fi

work=$(mktemp -d "/tmp/dorvels-${name%.sh}-XXXXXX")
xvfbpid=""
progpid=""
cleanup() {
  [ -n "$progpid" ] && kill "$progpid" 2>/dev/null
  [ -n "$xvfbpid" ] && kill "$xvfbpid" 2>/dev/null
  [ -n "${keepwork:-}" ] || rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "$name: FAIL: $*"; exit 1; }

# Asks the program's window ($1, else $win) to close as a window manager does. (xdotool's
# windowclose destroys the window from outside instead: a program still making its widgets
# then gets X errors about windows gone under it, and GTK ends it with status 1.)
clidir=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
close_window() { python3 "$clidir/wm_close.py" "${1:-$win}" 2>/dev/null; }

# A server of our own on a display number nobody else uses. Other test runs on this machine
# start servers at the same moments, and a number handed out by -displayfd was seen taking
# no connections (the program then cannot open the display): a random number from 100 up,
# checked to take connections before it is used, with another try when it does not.
for _ in 1 2 3 4 5; do
  n=$((100 + RANDOM % 800))
  [ -e "/tmp/.X$n-lock" ] && continue
  # -noreset: the server would otherwise start over whenever its last client leaves (the
  # check below, a program that ended), refusing whoever connects in that moment.
  Xvfb ":$n" -screen 0 "$2x24" -nolisten tcp -noreset 2>/dev/null &
  xvfbpid=$!
  for _ in $(seq 50); do
    kill -0 "$xvfbpid" 2>/dev/null || break
    # The server answering must be ours: a number taken at the same moment by another test
    # run leaves our server to exit and theirs to answer (and to go away with their test).
    if DISPLAY=":$n" xdotool getdisplaygeometry >/dev/null 2>&1 &&
       [ "$(tr -d ' \n' <"/tmp/.X$n-lock" 2>/dev/null)" = "$xvfbpid" ]; then
      break 2
    fi
    sleep 0.1
  done
  kill "$xvfbpid" 2>/dev/null
  xvfbpid=""
done
[ -n "$xvfbpid" ] || fail "no X server of our own"
export DISPLAY=":$n"
export NO_AT_BRIDGE=1

# Waits up to $1 tenths of a second for the program to end after the key $2, and checks that
# it ended with exit status 0.
ended() {
  for _ in $(seq "$1"); do kill -0 "$progpid" 2>/dev/null || break; sleep 0.1; done
  kill -0 "$progpid" 2>/dev/null && fail "$2 did not end the program"
  wait "$progpid"
  local rc=$?
  progpid=""
  [ "$rc" -eq 0 ] || fail "exit status $rc"
}

# Waits for the program's main window to be on screen with its first display built, gives it
# the focus and sets $win. Keys sent before then would be lost.
main_window() {
  win=""
  for _ in $(seq 300); do
    win=$(xdotool search --onlyvisible --pid "$progpid" --name "Square Dance" 2>/dev/null | head -n1)
    [ -n "$win" ] && break
    kill -0 "$progpid" 2>/dev/null || fail "the program ended: $(cat "$work"/*.txt 2>/dev/null)"
    sleep 0.1
  done
  [ -n "$win" ] || fail "no main window"
  sleep 1
  xdotool windowfocus --sync "$win" 2>/dev/null || xdotool windowfocus "$win" 2>/dev/null
  sleep 0.3
}
# Whether a visible window's title matches the pattern $1. xdotool dies of BadWindow when a
# window goes while it lists the windows (the program closing a pop-up): it is asked again,
# so that its death is not taken for "no such window".
shown() {
  local err
  for _ in 1 2 3 4 5; do
    err=$(xdotool search --onlyvisible --name "$1" 2>&1 >/dev/null) && return 0
    [[ $err == *BadWindow* ]] || return 1
  done
  return 1
}
# Sends keys to the main window.
key() { xdotool key --window "$win" --clearmodifiers "$@" 2>/dev/null; sleep 0.15; }
# A TCP port on loopback that nothing answers on, in $port.
free_port() {
  for _ in $(seq 50); do
    port=$((20000 + RANDOM % 40000))
    curl -s -o /dev/null "http://127.0.0.1:$port/" || return 0
  done
  fail "no free port found"
}

# Starts the program ($prog) in the folder $work/$1 with the other arguments, its output in
# out.txt there, and waits for its main window; sets $progpid and $win (focused).
start_in() {
  local dir=$1
  shift
  cd "$work/$dir" || exit 1
  "$prog" "$@" >"$work/$dir/out.txt" 2>&1 &
  progpid=$!
  win=""
  for _ in $(seq 300); do
    win=$(xdotool search --onlyvisible --name "Square Dance" 2>/dev/null | head -n1)
    [ -n "$win" ] && break
    sleep 0.1
  done
  [ -n "$win" ] || fail "no main window in $dir: $(cat "$work/$dir/out.txt")"
  sleep 1
  xdotool windowfocus --sync "$win" 2>/dev/null || xdotool windowfocus "$win" 2>/dev/null
  sleep 0.3
}
