#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The program on real desktops, with the sample club, keys typed as the hall types them:
#   X with two outputs (Xorg's dummy driver: panel 1366x768, projector 1920x1080 right of it),
#   openbox:
#     D puts the projector window full-screen on the projector (1366,0 1920x1080), the main
#     window keeps the focus; idle with it open costs the program no CPU; with the pointer on
#     the projector a card checks its dancer out and its note opens on the panel; m and a card:
#     the card arrives; the projector unplugged: a small window on the panel; plugged in again:
#     full-screen there; the projector moved left of the panel and the program started again
#     on the club file that remembers the window: it opens at 0,0 1920x1080.
#   GNOME's compositor (mutter) nested on Wayland with two monitors, the club file opening the
#   projector window: two cards 0.7 s apart on the Edit display both check their dancers out,
#   a card typed with the menu open arrives, no window without a parent, idle is idle.
# A part whose packages are missing (or Xorg without root) is skipped, saying why.
# Arguments: the dorvels program and the source folder.
set -u
prog=$(realpath "$1")
src=$(realpath "$2")
name=desktops.sh
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d "/tmp/dorvels-desktops-XXXXXX")
pids=()
progpid=""
cleanup() {
  [ -n "$progpid" ] && kill "$progpid" 2>/dev/null
  for ((i = ${#pids[@]} - 1; i >= 0; i--)); do kill "${pids[$i]}" 2>/dev/null; done
  sleep 0.3
  rm -rf "$work"
}
trap cleanup EXIT
fail() {
  echo "$name: FAIL: $*"
  [ -s "$work/out.txt" ] && tail -n 20 "$work/out.txt"
  exit 1
}
export NO_AT_BRIDGE=1

# A display number nobody uses.
free_display() {
  local n
  for _ in $(seq 50); do
    n=$((100 + RANDOM % 800))
    [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ] || { echo "$n"; return; }
  done
}
# A dancer's presence in the evening file (1 present, 0 not), once it is $2 (at most 3 s).
presence_is() {
  local p=""
  for _ in $(seq 30); do
    p=$(awk -v n="$1" '$0 ~ "^dancer=" n " " { print $(NF - 13) }' "$work/club.evening" 2>/dev/null)
    [ "$p" = "$2" ] && return 0
    sleep 0.1
  done
  echo "$1: presence <$p>, wanted $2"
  return 1
}
# Seconds of CPU the program used in $1 seconds (from /proc: user and system ticks).
cpu_in() {
  local t0 t1 hz
  hz=$(getconf CLK_TCK)
  t0=$(awk '{ print $14 + $15 }' "/proc/$progpid/stat")
  sleep "$1"
  t1=$(awk '{ print $14 + $15 }' "/proc/$progpid/stat")
  awk -v d=$((t1 - t0)) -v hz="$hz" 'BEGIN { printf "%.2f", d / hz }'
}
card() { xdotool type --delay 8 "$1"; xdotool key Return; }
start() {
  cd "$work" || exit 1
  "$prog" club.dorvel >"$work/out.txt" 2>&1 &
  progpid=$!
}
stop() {
  kill "$progpid" 2>/dev/null
  wait "$progpid" 2>/dev/null
  progpid=""
}

# ---- X, two outputs, openbox ------------------------------------------------------------------
x_part() {
  local missing=()
  for c in Xorg xrandr openbox xdotool; do command -v "$c" >/dev/null || missing+=("$c"); done
  ls /usr/lib/xorg/modules/drivers/dummy_drv.so >/dev/null 2>&1 || missing+=(xserver-xorg-video-dummy)
  if [ ${#missing[@]} -gt 0 ]; then
    echo "$name: two outputs under X skipped: ${missing[*]} not installed"
    return
  fi
  if [ "$(id -u)" != 0 ]; then
    echo "$name: two outputs under X skipped: Xorg with a config file of its own runs as root only"
    return
  fi
  local n
  n=$(free_display)
  Xorg ":$n" -config "$here/xorg-two-outputs.conf" -noreset -nolisten tcp -logfile "$work/xorg.log" \
    -novtswitch -sharevts >/dev/null 2>&1 &
  pids+=($!)
  export DISPLAY=":$n"
  for _ in $(seq 50); do xrandr >/dev/null 2>&1 && break; sleep 0.1; done
  outputs() { # projector right (r) or left (l) of the panel
    if [ "$1" = r ]; then
      xrandr --output DUMMY0 --mode 1366x768 --pos 0x0 --primary --output DUMMY1 --mode 1920x1080 --pos 1366x0
    else
      xrandr --output DUMMY1 --mode 1920x1080 --pos 0x0 --output DUMMY0 --mode 1366x768 --pos 1920x0 --primary
    fi
    xrandr >/dev/null  # a full query: only now does the output count as connected for GDK
  }
  xrandr --addmode DUMMY1 1920x1080 2>/dev/null
  outputs r || fail "xrandr: no two outputs"
  openbox >/dev/null 2>&1 &
  pids+=($!)
  sleep 0.5

  # The window's geometry ("X,Y WxH"); the main window, the projector window.
  geometry() {
    eval "$(xdotool getwindowgeometry --shell "$1" 2>/dev/null)"
    echo "$X,$Y ${WIDTH}x$HEIGHT"
  }
  find_window() {
    for _ in $(seq 100); do
      w=$(xdotool search --all --onlyvisible --pid "$progpid" --name "$1" 2>/dev/null | head -n1)
      [ -n "$w" ] && { echo "$w"; return; }
      sleep 0.1
    done
  }
  # Waits until the window $1 is at $2 (at most 5 s).
  at() {
    for _ in $(seq 50); do [ "$(geometry "$1")" = "$2" ] && return 0; sleep 0.1; done
    echo "at $(geometry "$1"), wanted $2"
    return 1
  }

  cp "$src/data/sample.dorvel" "$work/club.dorvel"
  start
  win=$(find_window "Square Dance")
  [ -n "$win" ] || fail "X: no main window"
  sleep 1
  xdotool windowfocus --sync "$win"
  xdotool key D
  proj=$(find_window "^Dorvels projector$")
  [ -n "$proj" ] || fail "X: D opened no projector window"
  at "$proj" "1366,0 1920x1080" || fail "X: the projector window is not full-screen on the projector"
  [ "$(xdotool getwindowfocus)" = "$win" ] || fail "X: the main window lost the focus"
  used=$(cpu_in 4)
  awk -v u="$used" 'BEGIN { exit !(u < 0.08) }' || fail "X: idle before the first tip, $used s of CPU in 4 s"

  xdotool mousemove 2000 500
  card 4100000026
  presence_is "Quentin Buttonwillow" 0 || fail "X: a card with the pointer on the projector"
  note=$(find_window "^Dorvels$")
  [ -n "$note" ] || fail "X: no note"
  read -r x w <<<"$(geometry "$note" | tr ',x' '  ' | awk '{ print $1, $3 }')"
  [ "$x" -ge 0 ] && [ $((x + w)) -le 1366 ] || fail "X: the note is at $(geometry "$note"), not on the panel"

  xdotool mousemove 600 400 key m
  sleep 0.3
  card 4100000016
  presence_is "Philippa Crumpetshire" 0 || fail "X: a card with the menu open"

  xrandr --output DUMMY1 --off
  for _ in $(seq 50); do read -r w _ <<<"$(geometry "$proj" | tr 'x ' '  ' | awk '{ print $2, $3 }')"; [ "$w" -lt 1366 ] && break; sleep 0.1; done
  [ "$w" -lt 1366 ] || fail "X: unplugged, the projector window is at $(geometry "$proj")"
  outputs r
  at "$proj" "1366,0 1920x1080" || fail "X: plugged in again, the projector window is not full-screen there"

  # The club file remembers the window; the projector now stands left of the panel.
  xdotool windowfocus --sync "$win"
  xdotool key x
  for _ in $(seq 50); do kill -0 "$progpid" 2>/dev/null || break; sleep 0.1; done
  stop
  grep -qx projector "$work/club.dorvel" || fail "X: the club file does not keep the projector window"
  rm -f "$work/club.evening"
  outputs l
  start
  win=$(find_window "Square Dance")
  proj=$(find_window "^Dorvels projector$")
  [ -n "$proj" ] || fail "X: started again, no projector window"
  at "$proj" "0,0 1920x1080" || fail "X: started again, the projector window is not on the projector left of the panel"
  stop
  unset DISPLAY
  echo "$name: two outputs under X: ok"
}

# ---- Wayland, mutter nested ---------------------------------------------------------------------
wayland_part() {
  local missing=()
  for c in Xvfb mutter dbus-run-session xdotool; do command -v "$c" >/dev/null || missing+=("$c"); done
  if [ ${#missing[@]} -gt 0 ]; then
    echo "$name: Wayland skipped: ${missing[*]} not installed"
    return
  fi
  local n
  n=$(free_display)
  Xvfb ":$n" -screen 0 3400x1200x24 -nolisten tcp -noreset +extension GLX >/dev/null 2>&1 &
  pids+=($!)
  for _ in $(seq 50); do DISPLAY=":$n" xdotool getdisplaygeometry >/dev/null 2>&1 && break; sleep 0.1; done
  export XDG_RUNTIME_DIR="$work/xdg"
  mkdir -m 0700 "$XDG_RUNTIME_DIR"
  DISPLAY=":$n" MUTTER_DEBUG_NUM_DUMMY_MONITORS=2 MUTTER_DEBUG_DUMMY_MODE_SPECS=1366x768:1920x1080 \
    dbus-run-session -- mutter --nested --wayland --no-x11 --wayland-display=wayland-dorvels --sm-disable \
    >"$work/mutter.txt" 2>&1 &
  pids+=($!)
  for _ in $(seq 100); do [ -S "$XDG_RUNTIME_DIR/wayland-dorvels" ] && break; sleep 0.1; done
  [ -S "$XDG_RUNTIME_DIR/wayland-dorvels" ] || fail "Wayland: mutter did not start: $(tail -n 5 "$work/mutter.txt")"

  cp "$src/data/sample.dorvel" "$work/club.dorvel"
  echo projector >>"$work/club.dorvel"
  rm -f "$work/club.evening"
  cd "$work" || exit 1
  env -u DISPLAY WAYLAND_DISPLAY=wayland-dorvels GDK_BACKEND=wayland "$prog" club.dorvel >"$work/out.txt" 2>&1 &
  progpid=$!
  # Up once it has written the evening's file.
  for _ in $(seq 100); do [ -s "$work/club.evening" ] && break; sleep 0.1; done
  [ -s "$work/club.evening" ] || fail "Wayland: the program did not start"
  sleep 2
  export DISPLAY=":$n"  # keys typed on the X server reach mutter's seat
  xdotool mousemove 600 400 key e
  sleep 0.5
  card 4100000026
  sleep 0.7
  card 4100000016
  presence_is "Quentin Buttonwillow" 0 && presence_is "Philippa Crumpetshire" 0 ||
    fail "Wayland: two cards 0.7 s apart"
  xdotool key m
  sleep 0.5
  card 4100000026
  presence_is "Quentin Buttonwillow" 1 || fail "Wayland: a card with the menu open"
  xdotool key Escape
  used=$(cpu_in 3)
  awk -v u="$used" 'BEGIN { exit !(u < 0.06) }' || fail "Wayland: idle, $used s of CPU in 3 s"
  grep -q "without parent" "$work/out.txt" && fail "Wayland: a window without a parent"
  kill -0 "$progpid" 2>/dev/null || fail "Wayland: the program ended"
  stop
  unset DISPLAY
  echo "$name: Wayland: ok"
}

x_part
wayland_part
echo "$name: ok"
