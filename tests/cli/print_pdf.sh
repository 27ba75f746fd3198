#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# --print-pdf: the Present board of a club file written to a PDF without a display, read back
# with Debian's poppler tools: every present dancer's name and no absent one, pages that fit
# the paper; a club too long for a page goes over pages; bad input gets a clear message.
# Arguments: path of the dorvels program, source folder.
set -u
prog=$1
src=$2
fail() { echo "FAIL: $*"; exit 1; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work" || exit 1
unset DISPLAY WAYLAND_DISPLAY  # no window can open: the program must not need one

# Checks the PDF $1 against the club file $2: present names in, absent names out, every
# page A4 and every word on its page. Prints the number of pages.
check_pdf() {
  local pdf=$1 club=$2
  pdftotext -layout "$pdf" text.txt || fail "pdftotext $pdf"
  # Dancer lines: first last role priority dances presence level ...
  awk '!/^%/ && !/=/ && NF >= 7 {print $6, $1, $2}' "$club" >dancers.txt
  [ -s dancers.txt ] || fail "no dancers in $club"
  while read -r present first last; do
    if [ "$present" = 1 ]; then
      grep -qF "$first $last" text.txt || fail "$pdf lacks the present dancer $first $last"
    else
      ! grep -qF "$first $last" text.txt || fail "$pdf lists the absent dancer $first $last"
    fi
  done <dancers.txt
  local sizes
  sizes=$(pdfinfo -f 1 -l 9999 "$pdf" | sed -n 's/^Page *[0-9]* size: *//p' | sort -u)
  [ "$sizes" = "595.276 x 841.89 pts (A4)" ] || fail "$pdf page sizes: $sizes"
  pdftotext -bbox "$pdf" - | awk '
    /<page / { match($0, /width="[0-9.]+"/); w = substr($0, RSTART + 7, RLENGTH - 8)
               match($0, /height="[0-9.]+"/); h = substr($0, RSTART + 8, RLENGTH - 9) }
    /<word / { split($0, a, "\""); words++
               if (a[2] < 0 || a[4] < 0 || a[6] > w + 0 || a[8] > h + 0) { print "off the page:", $0; bad++ } }
    END { exit (words == 0 || bad > 0) }' || fail "$pdf: words off their page"
  pdfinfo "$pdf" | awk '/^Pages:/ {print $2}'
}

cp "$src/data/sample.dorvel" .
out=$("$prog" --print-pdf out.pdf sample.dorvel 2>err.txt) || fail "exit status $? ($(cat err.txt))"
grep -q "wrote out.pdf" <<<"$out" || fail "no word of what was written: $out"
[ "$(check_pdf out.pdf sample.dorvel)" = 1 ] || fail "the sample club takes more than one page"
# Nothing was written back: printing is not an evening.
cmp -s sample.dorvel "$src/data/sample.dorvel" || fail "the club file changed"
[ ! -e lastdance.dorvels ] || fail "lastdance.dorvels written"

# 400 dancers, every fifth absent: several pages, every present name on one of them.
awk 'BEGIN { print "club=Big Hall"; for (i = 0; i < 400; i++)
             printf "First%03d Last%s%03d %s L 0 %d Basic\n", i, substr("xxxxxxxxxx", 1, i % 11), i,
                    (i % 2 ? "m" : "f"), (i % 5 ? 1 : 0) }' >big.dorvel
"$prog" --print-pdf big.pdf big.dorvel >/dev/null 2>err.txt || fail "big club: $(cat err.txt)"
pages=$(check_pdf big.pdf big.dorvel)
[ "$pages" -gt 1 ] || fail "320 names on $pages page"

# Bad input: a message naming the trouble, a non-zero exit status, no PDF.
"$prog" --print-pdf 2>err.txt; status=$?
[ $status = 2 ] && grep -q "needs the name of the PDF file" err.txt || fail "no file name: status $status, $(cat err.txt)"
"$prog" --print-pdf none.pdf nosuchclub 2>err.txt >/dev/null; status=$?
[ $status = 1 ] && grep -q "no dancers" err.txt && [ ! -e none.pdf ] || fail "missing club: status $status, $(cat err.txt)"
"$prog" --print-pdf /nonexistent/out.pdf sample.dorvel 2>err.txt >/dev/null; status=$?
[ $status = 1 ] && grep -q "cannot write /nonexistent/out.pdf" err.txt || fail "unwritable: status $status, $(cat err.txt)"
echo PASS
