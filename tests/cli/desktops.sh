#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The program on real desktops with the sample club. X with two outputs (panel 1366x768,
# projector 1920x1080; Xorg's dummy driver) and openbox: D, idle, cards with the pointer on the
# projector and with the menu open, the projector unplugged and back, a start with it left of
# the panel. GNOME's compositor nested on Wayland with two monitors: cards 0.7 s apart and with
# the menu open, idle. A part whose packages are missing is skipped, saying why.
# Arguments: the dorvels program and the source folder.
set -u
prog=$(realpath "$1")
src=$(realpath "$2")
name=desktops.sh
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d "/tmp/dorvels-desktops-XXXXXX")
pids=()
progpid=""
trap 'kill $progpid "${pids[@]}" 2>/dev/null; sleep 0.3; rm -rf "$work"' EXIT
fail() { echo "$name: FAIL: $*"; tail -n 20 "$work/out.txt" 2>/dev/null; exit 1; }
skip() { echo "$name: $1 skipped: $2"; }
missing() { for c in "$@"; do command -v "$c" >/dev/null || echo -n "$c "; done; }
export NO_AT_BRIDGE=1
free_display() { for _ in $(seq 50); do n=$((100 + RANDOM % 800)); [ -e "/tmp/.X$n-lock" ] || return 0; done; }
# Whether the dancer's presence in the evening file becomes $2 within 3 s.
presence_is() {
  for _ in $(seq 30); do
    [ "$(awk -v n="$1" '$0 ~ "^dancer=" n " " { print $(NF - 13) }' "$work/club.evening" 2>/dev/null)" = "$2" ] && return 0
    sleep 0.1
  done
  return 1
}
# Whether the program used less than $2 s of CPU in $1 s.
idle() {
  local t0
  t0=$(awk '{ print $14 + $15 }' "/proc/$progpid/stat")
  sleep "$1"
  awk -v t0="$t0" -v hz="$(getconf CLK_TCK)" -v most="$2" '{ exit !(($14 + $15 - t0) / hz < most) }' "/proc/$progpid/stat"
}
card() { xdotool type --delay 8 "$1"; xdotool key Return; }
start() {
  cd "$work" && cp "$src/data/sample.dorvel" club.dorvel && rm -f club.evening
  [ -z "${1:-}" ] || echo "$1" >>club.dorvel
  "${runner[@]}" "$prog" club.dorvel >"$work/out.txt" 2>&1 &
  progpid=$!
}
stop() { kill "$progpid" 2>/dev/null; wait "$progpid" 2>/dev/null; progpid=""; }

x_part() {
  local m
  m=$(missing Xorg xrandr openbox xdotool)
  [ -e /usr/lib/xorg/modules/drivers/dummy_drv.so ] || m+="xserver-xorg-video-dummy"
  [ -z "$m" ] || { skip "two outputs under X" "$m not installed"; return; }
  [ "$(id -u)" = 0 ] || { skip "two outputs under X" "Xorg with a config file of its own runs as root only"; return; }
  free_display
  Xorg ":$n" -config "$here/xorg-two-outputs.conf" -noreset -nolisten tcp -logfile "$work/xorg.log" \
    -novtswitch -sharevts >/dev/null 2>&1 &
  pids+=($!)
  export DISPLAY=":$n"
  for _ in $(seq 50); do xrandr >/dev/null 2>&1 && break; sleep 0.1; done
  outputs() { # the projector right (r) or left (l) of the panel; the full query makes GDK see it
    local p=1366 q=0
    [ "$1" = r ] || { p=0 q=1920; }
    xrandr --output DUMMY0 --mode 1366x768 --pos ${q}x0 --primary --output DUMMY1 --mode 1920x1080 --pos ${p}x0 &&
      xrandr >/dev/null
  }
  xrandr --addmode DUMMY1 1920x1080 2>/dev/null
  outputs r || fail "xrandr: no two outputs"
  openbox >/dev/null 2>&1 &
  pids+=($!)
  for _ in $(seq 50); do xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q window && break; sleep 0.1; done
  geometry() { eval "$(xdotool getwindowgeometry --shell "$1" 2>/dev/null)"; echo "$X $Y $WIDTH $HEIGHT"; }
  find_window() { for _ in $(seq 100); do xdotool search --all --onlyvisible --pid "$progpid" --name "$1" | grep -m1 . && return; sleep 0.1; done 2>/dev/null; }
  # Whether the window $1 gets the geometry $2 ("X Y W H") within 5 s.
  at() { for _ in $(seq 50); do [ "$(geometry "$1")" = "$2" ] && return 0; sleep 0.1; done; return 1; }

  runner=()
  start
  win=$(find_window "Square Dance")
  [ -n "$win" ] || fail "X: no main window"
  sleep 1
  xdotool windowfocus --sync "$win" key D
  proj=$(find_window "^Dorvels projector$")
  at "$proj" "1366 0 1920 1080" || fail "X: D: the projector window at $(geometry "$proj")"
  [ "$(xdotool getwindowfocus)" = "$win" ] || fail "X: the main window lost the focus"
  sleep 1
  idle 4 0.08 || fail "X: idle before the first tip costs CPU"
  xdotool mousemove 2000 500
  card 4100000026
  presence_is "Quentin Buttonwillow" 0 || fail "X: a card with the pointer on the projector"
  read -r x _ w _ <<<"$(geometry "$(find_window "^Dorvels$")")"
  [ "${x:-9999}" -ge 0 ] && [ $((x + w)) -le 1366 ] || fail "X: the note is not on the panel: $x+$w"
  xdotool mousemove 600 400 key m
  card 4100000016
  presence_is "Philippa Crumpetshire" 0 || fail "X: a card with the menu open"
  xrandr --output DUMMY1 --off
  # A window smaller than the panel, on it.
  for _ in $(seq 50); do read -r x _ w _ <<<"$(geometry "$proj")"; [ "$x" -lt 1366 ] && [ "$w" -lt 1366 ] && break; sleep 0.1; done
  [ "$x" -lt 1366 ] && [ "$w" -lt 1366 ] || fail "X: unplugged, the projector window at $(geometry "$proj")"
  outputs r
  at "$proj" "1366 0 1920 1080" || fail "X: plugged in again, the projector window at $(geometry "$proj")"
  stop
  outputs l
  start projector
  find_window "Square Dance" >/dev/null
  proj=$(find_window "^Dorvels projector$")
  at "$proj" "0 0 1920 1080" || fail "X: a start, the projector left: the projector window at $(geometry "$proj")"
  stop
  unset DISPLAY
  echo "$name: two outputs under X: ok"
}

wayland_part() {
  local m
  m=$(missing Xvfb mutter dbus-run-session xdotool)
  [ -z "$m" ] || { skip Wayland "$m not installed"; return; }
  free_display
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
  runner=(env -u DISPLAY WAYLAND_DISPLAY=wayland-dorvels GDK_BACKEND=wayland DORVELS_TRACE=1)
  start projector
  local up="(Projector) full-screen on monitor 1"
  for _ in $(seq 100); do grep -qF "$up" "$work/out.txt" && break; sleep 0.1; done
  grep -qF "$up" "$work/out.txt" || fail "Wayland: no projector window on the second monitor"
  sleep 2
  export DISPLAY=":$n"  # keys typed on the X server reach mutter's seat
  xdotool mousemove 600 400 key e
  card 4100000026
  sleep 0.7
  card 4100000016
  presence_is "Quentin Buttonwillow" 0 && presence_is "Philippa Crumpetshire" 0 || fail "Wayland: two cards 0.7 s apart"
  xdotool key m
  card 4100000026
  presence_is "Quentin Buttonwillow" 1 || fail "Wayland: a card with the menu open"
  sleep 1
  idle 3 0.06 || fail "Wayland: idle costs CPU"
  grep -q "without parent" "$work/out.txt" && fail "Wayland: a window without a parent"
  stop
  unset DISPLAY
  echo "$name: Wayland: ok"
}

x_part
wayland_part
echo "$name: ok"
