#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The program in the operator's language, installed as a package installs it: run with
# LANG=de_DE.UTF-8 its --help, menu, resume question, totals note and boards are German; with
# LANG=C.UTF-8 they are the English of LC_ALL=C. The club file it writes is the same in both
# languages. Every marked text has its German; the desktop entry and the metainfo carry German
# texts. Texts on the screen are read through the accessibility bus.
# Arguments: the dorvels program (in its build folder) and the source folder.
set -u
prog=$1
src=$2
py=/usr/bin/python3
build=$(cd "$(dirname "$prog")" && pwd)

if ! locale -a 2>/dev/null | grep -qix 'de_DE.utf8' || ! command -v dbus-run-session >/dev/null ||
   ! "$py" -c 'import gi; gi.require_version("Atspi", "2.0")' 2>/dev/null; then
  echo "language.sh: the locale de_DE.UTF-8 (scripts/deps.sh test makes it), dbus-run-session, python3-gi or gir1.2-atspi-2.0 missing; skipped"
  exit 0
fi
if [ -z "${DORVELS_A11Y_SESSION:-}" ]; then
  DORVELS_A11Y_SESSION=1 exec dbus-run-session -- bash "$0" "$@" 2> >(grep -v -e dbus-daemon -e SpiRegistry >&2)
fi

source "$(dirname "$0")/own_display.bash" language.sh 1280x1024
unset NO_AT_BRIDGE LC_ALL LC_MESSAGES LANGUAGE
fail() {
  echo "language.sh: FAIL: $*"
  for f in "$work"/*/out.txt; do [ -s "$f" ] && { echo "$f:"; tail -n 5 "$f"; }; done
  exit 1
}

cmake --install "$build" --prefix "$work/prefix" >"$work/install.txt" || fail "cmake --install: $(cat "$work/install.txt")"
inst=$work/prefix/bin/dorvels
[ -s "$work/prefix/share/locale/de/LC_MESSAGES/dorvels.mo" ] || fail "no German message catalogue installed"
grep -Eq '^(Name|Comment)\[de\]=' "$work/prefix/share/applications/org.dorvels.Dorvels.desktop" ||
  fail "the desktop entry has no German name or comment"
grep -q 'xml:lang="de"' "$work/prefix/share/metainfo/org.dorvels.Dorvels.metainfo.xml" || fail "the metainfo has no German text"

# Every source that marks texts is in POTFILES, and every text marked in the sources (and in
# the documentation tables behind --help) has its German translation, none fuzzy.
cd "$src" || exit 1
for f in $(git ls-files '*.cpp' '*.h' 2>/dev/null | grep -Ev '^(tests|bench|fuzz|doc)/|^support/intl\.'); do
  grep -qE '\b(_|N_|C_|ngettext)\(' "$f" && { grep -qx "$f" po/POTFILES || fail "$f marks texts but is not in po/POTFILES"; }
done
if command -v xgettext >/dev/null && command -v msgcmp >/dev/null; then
  "$build/po/dorvels_doctexts" "$work/doctexts.cpp" || fail "dorvels_doctexts"
  xgettext --from-code=UTF-8 --language=C++ --keyword --keyword=_ --keyword=N_ --keyword=C_:1c,2 \
    --keyword=ngettext:1,2 -D "$src" -D "$work" -f po/POTFILES -o "$work/fresh.pot" doctexts.cpp 2>/dev/null ||
    fail "xgettext"
  msgcmp po/de.po "$work/fresh.pot" >"$work/msgcmp.txt" 2>&1 || fail "texts without German: $(head -n 20 "$work/msgcmp.txt")"
  msgfmt --check --statistics -o /dev/null po/de.po >"$work/stat.txt" 2>&1 || fail "msgfmt: $(cat "$work/stat.txt")"
  grep -Eq 'fuzzy|untranslated' "$work/stat.txt" && fail "de.po: $(cat "$work/stat.txt")"
fi

# --help of the installed program (the build tree's catalogue: the logic tests); the German
# lines wrap as the English ones do, counted in characters, not bytes.
LC_ALL=C "$inst" --help >"$work/help.C" && LANG=C.UTF-8 "$inst" --help >"$work/help.en" &&
  LANG=de_DE.UTF-8 "$inst" --help >"$work/help.de" || fail "--help"
cmp -s "$work/help.C" "$work/help.en" || fail "--help under C.UTF-8 is not the English one"
cmp -s "$work/help.en" "$work/help.de" && fail "--help is the same in German"
for word in '^Aufruf: dorvels' '^Optionen:' '^Tasten:' 'Die Clubdatei'; do
  grep -q "$word" "$work/help.de" || fail "the German --help lacks <$word>"
done
[ "$(LC_ALL=C.UTF-8 wc -L <"$work/help.de")" -le 79 ] || fail "a German --help line is longer than 79 characters"

# Reads the accessible names of the program's windows (labels, buttons, dialogs) until the
# Python condition $2 on the list `names` holds (at most 15 s); prints them to $1.
read_names() {
  PYTHONPATH=$clidir "$py" -c 'import sys, a11y
pid, cond = int(sys.argv[1]), sys.argv[2]
def verdict():
    names = [o.get_name().strip() for o in a11y.walk(a11y.app(pid)) if o.get_name()]
    return ("" if eval(cond) else "not shown"), names
a11y.poll(verdict, 30)' "$progpid" "$2" >"$1" 2>&1
}

# One run of the program in the language $1 (a LANG value), in the folder $2: the menu's
# entries go to $2/menu (one "key: text" a line); t shows the totals note, beginning with $3;
# the club file as w writes it goes to $2/written; a tip is rolled, and x ends the program,
# keeping the evening.
run() {
  mkdir -p "$work/$2"
  cp "$src/data/sample.dorvel" "$work/$2/club.dorvel"
  cd "$work/$2" || exit 1
  LANG=$1 "$inst" club.dorvel 1280x1024 >out.txt 2>&1 &
  progpid=$!
  main_window
  key m
  read_names menu.all 'sum(1 for n in names if n[1:3] == ": ") >= 30' || fail "$1: no menu of 30 entries"
  grep -E '^[[:alpha:]]: ' menu.all | sort -u >menu
  key Escape
  key t
  read_names note "any(n.startswith('$3') for n in names)" || fail "$1: no totals note <$3...>"
  key w
  sleep 0.5
  cp club.dorvel written
  key r
  if [ "$2" = de ]; then
    # The hall reads German on the squares board and in the hall view: "Aus", never "Out".
    read_names board 'any(n.endswith(": Aus") for n in names) and not any(n == "Out" or n.endswith(": Out") for n in names)' ||
      fail "$1: the squares board says Out: $(grep -E 'Out|Aus' board | head)"
    key V
    read_names hall '"Aus" in names and "Out" not in names' || fail "$1: the hall view says Out: $(grep -E 'Out|Aus' hall | head)"
    key V
  fi
  key x
  ended 100 "x ($1)"
}

run C.UTF-8 en 'totals: displayed='
run de_DE.UTF-8 de 'Summen: gezeigt='
cd "$work" || exit 1

# The English menu is the program's own English; the German one differs in at least nine
# entries of ten (the keys stay).
grep -qx 'r: roll up squares' en/menu || fail "the English menu lacks 'r: roll up squares': $(cat en/menu)"
total=$(wc -l <en/menu)
[ "$(cut -c1 de/menu | tr -d '\n')" = "$(cut -c1 en/menu | tr -d '\n')" ] || fail "the German menu has other keys"
same=$(comm -12 en/menu de/menu | wc -l)
[ $((same * 10)) -le "$total" ] || fail "$same of $total menu entries are English in German: $(comm -12 en/menu de/menu)"
grep -qx 'r: Squares auslosen' de/menu || fail "the German menu lacks 'r: Squares auslosen'"
cmp -s en/written de/written || fail "the club file written in German differs: $(diff en/written de/written | head)"

# The tip rolled is kept: the next start asks in German whether to resume the evening.
cd "$work/de" || exit 1
LANG=de_DE.UTF-8 "$inst" club.dorvel 1280x1024 >>out.txt 2>&1 &
progpid=$!
read_names resume.all '"Fortsetzen" in names and "Neuer Abend" in names and any(n.startswith("Den heutigen Abend fortsetzen (Tip 1,") for n in names)' ||
  fail "no German resume question: $(cat resume.all)"
echo "language.sh: ok"
