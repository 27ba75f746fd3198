#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Spreadsheets end to end: a German member list imported into the sample club through the
# preview and exported; after two rolls, --attendance reports each present dancer with 1
# evening and the tips the club file counts; files that are no member list are refused
# without a window. Arguments: the program and the source folder.
set -u
export LC_ALL=C.UTF-8 LANG=C.UTF-8
prog=$1
src=$2

source "$(dirname "$0")/own_display.bash" spreadsheet.sh 1280x1024

mkdir -p "$work/club"
cd "$work/club" || exit 1
cp "$src/data/sample.dorvel" club.dorvel
printf 'Vorname;Nachname;Rolle;Partner;Karte\r\nJ\xfcrgen;M\xfcller;Herr;K\xe4the M\xfcller;\r\nK\xe4the;M\xfcller;Frau;J\xfcrgen M\xfcller;4100000999\r\nQuentin;Buttonwillow;Herr;;\r\n;;Herr;;4100000998\r\n' >members.csv

help=$("$prog" --help)
[[ $help == *--import=FILE* && $help == *--attendance=FILE* ]] || fail "--help does not name --import and --attendance"

before=$(md5sum club.dorvel)
: >empty.csv
for f in empty.csv club.dorvel; do
  out=$(DISPLAY= "$prog" --import=$f club.dorvel 2>&1)
  [ $? -eq 1 ] && [[ $out == *"cannot be imported"* ]] || fail "--import=$f was not refused: $out"
done
[ "$(md5sum club.dorvel)" = "$before" ] || fail "a refused import changed the club file"
DISPLAY= "$prog" --export=club.dorvel club.dorvel >/dev/null 2>&1 && fail "--export wrote over the club file"

# Imports members.csv through the preview's Add button (it has the focus), closes the window.
start_in club --import=members.csv club.dorvel
for _ in $(seq 100); do
  prev=$(xdotool search --onlyvisible --name "Import dancers" 2>/dev/null | head -n1) && [ -n "$prev" ] && break; sleep 0.1
done
[ -n "$prev" ] || fail "no preview window: $(cat out.txt)"
xdotool windowfocus --sync "$prev" 2>/dev/null; sleep 0.5
xdotool key --window "$prev" Return 2>/dev/null; sleep 1
shown "Import dancers" && fail "the preview stayed open"
close_window
ended 50 "closing the window"
grep -q '^Jürgen  *Müller  *m .*& *Käthe Müller' club.dorvel || fail "no Jürgen: $(grep Müller club.dorvel)"
grep -q '^Käthe  *Müller  *f .*+4100000999 *& *Jürgen Müller' club.dorvel || fail "no Käthe: $(grep Müller club.dorvel)"
[ "$(grep -c '^Quentin  *Buttonwillow' club.dorvel)" = 1 ] || fail "the repeated name is not there once"
grep -q 4100000998 club.dorvel && fail "the nameless row was added"

DISPLAY= "$prog" --export=m.csv club.dorvel >/dev/null || fail "--export failed"
grep -q 'Käthe[,;]Müller[,;]F[,;]Jürgen Müller[,;]Basic[,;]4100000999' m.csv || fail "export: $(grep Müller m.csv)"

# Two rolls, W, the counts copied aside, the window closed; then the season's report.
rm -f club.evening
start_in club club.dorvel
key r; sleep 0.5; key r; sleep 0.5; key W; sleep 1
cp club.dorvel counts.dorvel
close_window
ended 50 "closing the window after two rolls"
DISPLAY= "$prog" --attendance=r.csv club.dorvel >/dev/null || fail "--attendance failed"
present=0
while read -r first last _ _ dances avail _; do
  [ "$avail" = 1 ] || continue
  present=$((present + 1))
  grep -q "^${first//_/ },${last//_/ },1,$dances," r.csv ||
    fail "$first $last: not 1 evening and $dances tips: $(grep "$last" r.csv)"
done < <(grep -v '^[%a-z]' counts.dorvel | grep -v '=' | grep '^[A-Z]')
[ "$present" -gt 10 ] || fail "only $present dancers present"
[ "$(grep -c ',1,[0-9]*,[0-9-]*,[0-9-]*,' r.csv)" = "$present" ] || fail "the report names others: $(head -n5 r.csv)"
echo "spreadsheet.sh: ok"
