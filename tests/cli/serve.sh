#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The phone page end to end, as a user checks it: the program on a virtual X server with the
# sample club and a dancer named <b>x</b>; without --serve nothing listens; with --serve=PORT
# the page, under the printed address's key, answers curl with the tip and the squares' names
# after r, finds Dörte Lammle by "dorte" (board.json?n=), refuses POST and other paths, and
# shows the name escaped. Arguments: the dorvels program and the source folder.
set -u
prog=$1
src=$2

source "$(dirname "$0")/own_display.bash" serve.sh 1280x1024
command -v curl >/dev/null || fail "curl is not installed"

cp "$src/data/sample.dorvel" "$work/club.dorvel"
echo 'Tester     <b>x</b>        f L 0 1 Main' >>"$work/club.dorvel"
echo 'Dörte      Lammle          f L 0 1 Main' >>"$work/club.dorvel"
cd "$work" || exit 1

# The TCP ports the process listens on (its socket inodes in the kernel's listening tables).
listening() {
  local inodes
  inodes=$(ls -l "/proc/$progpid/fd" 2>/dev/null | sed -n 's/.*socket:\[\([0-9]*\)\]$/\1/p' | sort -u)
  for t in /proc/net/tcp /proc/net/tcp6; do
    awk 'NR > 1 && $4 == "0A" { split($2, a, ":"); print a[2], $10 }' "$t"
  done | while read -r hex inode; do
    grep -qx "$inode" <<<"$inodes" && echo $((16#$hex))
  done | sort -u
}

# Without --serve: nothing listens.
"$prog" club.dorvel >out.txt 2>&1 &
progpid=$!
main_window
key r
sleep 1
[ -z "$(listening)" ] || fail "listening without --serve on: $(listening)"
key Q
ended 50 Q

free_port

"$prog" --serve="$port" club.dorvel >out.txt 2>&1 &
progpid=$!
main_window
[ "$(listening)" = "$port" ] || fail "listening on <$(listening)>, not on $port"
grep -q "^phone page: http://.*:$port/k/[a-z2-9]\{16\}/\$" out.txt ||
  fail "no address with its key on standard output: $(cat out.txt)"
# Listening on every address, it prints the address on the local network; asked here on
# loopback, with the printed path.
url="http://127.0.0.1:$port$(sed -n 's|^phone page: http://[^/]*\(/k/[^/]*\)/$|\1|p' out.txt)"
curl -s "$url/" | grep -q '<p id="tip">Present: no squares rolled yet</p>' || fail "no present list before the roll"
# Names as the board shows them (last names here), no more; none without the key.
curl -s "$url/board.json" | grep -q '"Bramblecot\( [A-Z]\)\?"' || fail "no present dancer on the page"
curl -s "$url/board.json" | grep -q 'Horatio' && fail "a first name on the page, which the board does not show"
curl -s "http://127.0.0.1:$port/board.json" | grep -q Bramblecot && fail "names without the key"

key r
for _ in $(seq 50); do curl -s "$url/" | grep -q '<p id="tip">Tip 1</p>' && break; sleep 0.1; done
code=$(curl -s -o page.html -w '%{http_code}' "$url/")
[ "$code" = 200 ] || fail "GET / answered $code"
grep -q '<p id="tip">Tip 1</p>' page.html || fail "no tip number in the page"
# The names of the squares: every couple of the sample club that sits in a square is named by
# its last name with a square number.
squares=$(grep -c '<li><span>[^<]*</span><b>[0-9]*</b></li>' page.html)
[ "$squares" -ge 8 ] || fail "only $squares names with a square in the page"
grep -q '<li><span>[^<]*Bramblecot[^<]*</span><b>\([0-9]*\|Out\)</b></li>' page.html || fail "Bramblecot not in the page"
# A dancer finds herself by her first name, without its accent.
curl -s "$url/board.json?n=dorte" | grep -Eq '"found":\[\{"n":"Lammle","s":([0-9]+|0)\}\]' ||
  fail "dorte does not find Lammle's square: $(curl -s "$url/board.json?n=dorte")"
grep -q '&lt;b&gt;x&lt;/b&gt;' page.html || fail "the name <b>x</b> is not shown escaped"
grep -q '<b>x</b>' page.html && fail "the name <b>x</b> reached the page as markup"

[ "$(curl -s -o /dev/null -w '%{http_code}' -X POST -d 'x=1' "$url/")" = 405 ] || fail "POST not refused with 405"
[ "$(curl -s -o /dev/null -w '%{http_code}' "$url/nope")" = 404 ] || fail "a path outside the page not 404"
[ "$(curl -s -o /dev/null -w '%{http_code}' "$url/board.json")" = 200 ] || fail "board.json not served"

key Q
ended 50 Q
curl -s -o /dev/null "$url/" && fail "still answering after the program ended"
echo "serve.sh: ok"
