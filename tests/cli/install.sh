#!/usr/bin/env bash
# cmake --install into an empty prefix: every file where a desktop looks for it, each passing
# its own validator from Debian; the installed program, run from an empty folder, finds its
# data beside it (not in the source tree it was built from) and, given the sample club, opens
# its window and writes the club back into the working folder, not over the installed copy.
# Arguments: path of the dorvels program (in its build folder), source folder.
set -u
prog=$1
src=$2
build=$(cd "$(dirname "$prog")" && pwd)

source "$(dirname "$0")/own_display.bash" install.sh 1024x768
prefix=$work/prefix
id=org.dorvels.Dorvels

cmake --install "$build" --prefix "$prefix" >"$work/install.txt" || fail "cmake --install: $(cat "$work/install.txt")"
for f in bin/dorvels share/dorvels/resolution.unix share/dorvels/sample.dorvel \
         share/applications/$id.desktop share/metainfo/$id.metainfo.xml \
         share/icons/hicolor/scalable/apps/$id.svg share/man/man1/dorvels.1.gz; do
  [ -s "$prefix/$f" ] || fail "not installed: $f"
done
for size in 16 22 24 32 48 64 128 256; do
  png=$prefix/share/icons/hicolor/${size}x$size/apps/$id.png
  [ -s "$png" ] || fail "no $size pixel icon"
  # Width and height from the PNG header.
  dims=$(od -An -tu1 -j16 -N8 "$png" | awk '{print $3 * 256 + $4 "x" $7 * 256 + $8}')
  [ "$dims" = "${size}x$size" ] || fail "the ${size}x$size icon is $dims"
done

desktop-file-validate "$prefix/share/applications/$id.desktop" || fail "desktop entry"
appstreamcli validate --no-net "$prefix/share/metainfo/$id.metainfo.xml" >"$work/as.txt" 2>&1 ||
  fail "metainfo: $(cat "$work/as.txt")"
warnings=$(MANWIDTH=80 man --warnings -E UTF-8 -l "$prefix/share/man/man1/dorvels.1.gz" 2>&1 >"$work/man.txt")
[ -z "$warnings" ] || fail "man: $warnings"
grep -q '^KEYS' "$work/man.txt" || fail "the manual has no keys"
# Every key of the README's first-evening table is in the manual: `k` in its first column.
keys=$(sed -n '/^| Key/,/^$/p' "$src/README.md" | sed -n 's/^| `\([^`]*\)`.*/\1/p')
[ -n "$keys" ] || fail "no key table in the README"
while read -r key; do
  grep -qE "^ {7}$(sed 's/[][\.*^$+?(){}|]/\\&/g' <<<"$key")( |$)" "$work/man.txt" || fail "key $key of the README is not in the manual"
done <<<"$keys"
"$prog" --help | grep -q 'man dorvels' || fail "--help does not point to the manual"

mkdir "$work/empty"
cd "$work/empty" || exit 1
"$prefix/bin/dorvels" --version | grep -Eq '^dorvels [0-9]+\.[0-9]+' || fail "--version"
DISPLAY= "$prefix/bin/dorvels" --print-pdf sample.pdf sample.dorvel >/dev/null 2>"$work/err.txt" ||
  fail "the installed program does not find the sample club: $(cat "$work/err.txt")"
# Without the installed copy it is not found: the source tree is no longer consulted.
mv "$prefix/share/dorvels/sample.dorvel" "$work/sample.bak"
DISPLAY= "$prefix/bin/dorvels" --print-pdf none.pdf sample.dorvel >/dev/null 2>&1 && fail "sample found outside the prefix"
mv "$work/sample.bak" "$prefix/share/dorvels/sample.dorvel"

title="The Merry Muddle Squares' Main Square Dance with Wendell Whistlebritches calling"
"$prefix/bin/dorvels" sample.dorvel 1024x768 >"$work/out.txt" 2>&1 &
progpid=$!
win=$(timeout 30 xdotool search --sync --onlyvisible --name "^$title\$" 2>/dev/null | head -n1)
[ -n "$win" ] || fail "no window titled <$title>: $(cat "$work/out.txt")"
sleep 1  # keys sent before the first display is built are lost
xdotool windowfocus --sync "$win" 2>/dev/null
xdotool key --window "$win" x 2>/dev/null  # write the club file and quit
ended 100 x
grep -q '^club=The Merry Muddle Squares' sample.dorvel || fail "the club was not written to the working folder"
cmp -s "$prefix/share/dorvels/sample.dorvel" "$src/data/sample.dorvel" || fail "the installed sample was written over"
if grep -Eq 'Gtk-(WARNING|CRITICAL)' "$work/out.txt"; then fail "GTK complained: $(cat "$work/out.txt")"; fi
echo PASS
