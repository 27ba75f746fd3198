#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Starts Dorvels on a virtual X server, types keys into it and saves a picture of the screen,
# so that anyone can see what the program shows.
#
#   scripts/screenshot.sh [options] [-- program arguments]
#     -o FILE     picture to write (default dorvels.png); the program's stderr goes to FILE.log
#     -s WxH      screen size (default 1920x1080)
#     -b BINARY   the program (default: $DORVELS_BIN, else the newest build/*/dorvels)
#     -C DIR      working directory of the program (default: a fresh temporary folder)
#     -k KEY      press a key (X keysym name: r, e, Escape, Return, F, plus, ...); repeatable
#     -t TEXT     type a text; repeatable (keys and texts are sent in the order given)
#     -w SECONDS  wait after start and after each key (default 2)
#
# Needs the Debian packages xvfb, xdotool and imagemagick.
# Example: scripts/screenshot.sh -s 1024x768 -k r -o roll.png -- data/sample.dorvel
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)

out=dorvels.png
size=1920x1080
bin=${DORVELS_BIN:-}
workdir=
wait=2
actions=()
while [ $# -gt 0 ]; do
  case $1 in
    -o) out=$2; shift 2 ;;
    -s) size=$2; shift 2 ;;
    -b) bin=$2; shift 2 ;;
    -C) workdir=$2; shift 2 ;;
    -k) actions+=("key:$2"); shift 2 ;;
    -t) actions+=("type:$2"); shift 2 ;;
    -w) wait=$2; shift 2 ;;
    --) shift; break ;;
    -h|--help) sed -n '2,16p' "$0"; exit 0 ;;
    *) break ;;
  esac
done

for tool in Xvfb xdotool import; do
  command -v "$tool" >/dev/null || { echo "screenshot.sh: $tool is missing (apt-get install xvfb xdotool imagemagick)" >&2; exit 2; }
done

if [ -z "$bin" ]; then
  bin=$(ls -t "$top"/build*/dorvels /work/build*/dorvels 2>/dev/null | head -n1 || true)
fi
[ -x "$bin" ] || { echo "screenshot.sh: no dorvels program found (use -b or DORVELS_BIN)" >&2; exit 2; }
bin=$(cd "$(dirname "$bin")" && pwd)/$(basename "$bin")


case $out in /*) ;; *) out=$PWD/$out ;; esac
tmp=$(mktemp -d)
[ -n "$workdir" ] || workdir=$tmp/run
mkdir -p "$workdir"

# Files named as arguments are copied into the working directory and passed by their own
# name (the program takes a club name, not a path), so the originals are never rewritten.
args=()
for a in "$@"; do
  if [ -f "$a" ]; then
    [ "$(cd "$(dirname "$a")" && pwd)" = "$(cd "$workdir" && pwd)" ] || cp "$a" "$workdir/"
    args+=("$(basename "$a")")
  else
    args+=("$a")
  fi
done

# A free display number: the first without a lock file.
n=90
while [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ]; do n=$((n + 1)); done
Xvfb ":$n" -screen 0 "${size}x24" -nolisten tcp >"$tmp/xvfb.log" 2>&1 &
xpid=$!
prog=
cleanup() {
  [ -n "$prog" ] && kill "$prog" 2>/dev/null || true
  kill "$xpid" 2>/dev/null || true
  wait 2>/dev/null || true
  rm -rf "$tmp"
}
trap cleanup EXIT
for _ in $(seq 50); do
  xdpyinfo -display ":$n" >/dev/null 2>&1 && break
  [ -e "/tmp/.X11-unix/X$n" ] && break
  sleep 0.1
done

export DISPLAY=":$n" NO_AT_BRIDGE=1
(cd "$workdir" && exec "$bin" "${args[@]}") >"$out.log" 2>&1 &
prog=$!
sleep "$wait"

for act in "${actions[@]}"; do
  win=$(timeout 5 xdotool search --sync --onlyvisible --class dorvels 2>/dev/null | head -n1 || true)
  [ -n "$win" ] && xdotool windowfocus --sync "$win" 2>/dev/null || true
  case $act in
    key:*) xdotool key --clearmodifiers "${act#key:}" ;;
    type:*) xdotool type --delay 50 "${act#type:}" ;;
  esac
  sleep "$wait"
done

import -window root "$out"
if ! kill -0 "$prog" 2>/dev/null; then
  echo "screenshot.sh: the program had ended before the picture was taken" >&2
fi
echo "$out"
