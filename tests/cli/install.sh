#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# cmake --install into an empty prefix: every file where a desktop looks for it, each passing
# its own validator from Debian; the licence; the club files' type, known by name and first
# line; a manual naming this installation's folders. The installed program, run from an empty
# folder, finds its data beside it (not in the source tree) and, given the sample club, opens
# its window (of the desktop entry's class) and writes the club back into the working folder,
# not over the installed copy. Started as the menu starts it, in an empty home folder, it
# leaves nothing there but hidden folders.
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
         share/icons/hicolor/scalable/apps/$id.svg share/man/man1/dorvels.1.gz \
         share/doc/dorvels/copyright share/doc/dorvels/changelog.gz share/doc/dorvels/README.md \
         share/mime/packages/$id.xml; do
  [ -s "$prefix/$f" ] || fail "not installed: $f"
done
for size in 16 22 24 32 48 64 128 256; do
  png=$prefix/share/icons/hicolor/${size}x$size/apps/$id.png
  [ -s "$png" ] || fail "no $size pixel icon"
  # Width and height from the PNG header.
  dims=$(od -An -tu1 -j16 -N8 "$png" | awk '{print $3 * 256 + $4 "x" $7 * 256 + $8}')
  [ "$dims" = "${size}x$size" ] || fail "the ${size}x$size icon is $dims"
done

# The licence: the GPL's text, its identifier in every source file, the metainfo's licence.
grep -q 'Version 3, 29 June 2007' "$src/LICENSE" || fail "LICENSE is not the GNU GPL version 3"
missing=$(bash "$src/scripts/spdx.sh" --check) || fail "no SPDX-License-Identifier (scripts/spdx.sh adds it): $missing"
metainfo=$prefix/share/metainfo/$id.metainfo.xml
grep -q '<project_license>GPL-3.0-or-later</project_license>' "$metainfo" || fail "metainfo: no project_license"

desktop=$prefix/share/applications/$id.desktop
desktop-file-validate "$desktop" || fail "desktop entry"
appstreamcli validate --no-net "$metainfo" >"$work/as.txt" 2>&1 && ! grep -Eq '^[EW]:' "$work/as.txt" ||
  fail "metainfo: $(cat "$work/as.txt")"

# The club files' type: named by the desktop entry and the metainfo, and the database made
# from it knows a club file by its name and one without the name by its first line.
mimetype=$(sed -n 's/.*<mime-type type="\([^"]*\)".*/\1/p' "$prefix/share/mime/packages/$id.xml")
grep -qx "MimeType=$mimetype;" "$desktop" || fail "the desktop entry does not name $mimetype"
grep -q "<mediatype>$mimetype</mediatype>" "$metainfo" || fail "the metainfo does not provide $mimetype"
mkdir -p "$work/data/mime"
cp -r "$prefix/share/mime/packages" "$work/data/mime/"
XDG_DATA_HOME=$work/data update-mime-database "$work/data/mime" >"$work/mime.txt" 2>&1 && [ ! -s "$work/mime.txt" ] ||
  fail "update-mime-database: $(cat "$work/mime.txt")"
printf 'club=Hilltop\ncaller=Joe\n' >"$work/hilltop"
for f in "$prefix/share/dorvels/sample.dorvel" "$work/hilltop"; do
  type=$(XDG_DATA_HOME=$work/data gio info -a standard::content-type "$f" | sed -n 's/^ *standard::content-type: //p')
  [ "$type" = "$mimetype" ] || fail "$f is of type <$type>, not $mimetype"
done
warnings=$(MANWIDTH=80 man --warnings -E UTF-8 -l "$prefix/share/man/man1/dorvels.1.gz" 2>&1 >"$work/man.txt")
[ -z "$warnings" ] || fail "man: $warnings"
for s in KEYS 'EXIT STATUS' FILES 'SEE ALSO'; do grep -q "^$s" "$work/man.txt" || fail "the manual has no $s"; done
tail -n1 "$work/man.txt" | grep -Eq '[0-9]{4}-[0-9]{2}-[0-9]{2}' || fail "the manual has no date"
# The folders it names are this installation's: its data folder, and the README there.
readme=$(gzip -dc "$prefix/share/man/man1/dorvels.1.gz" | tee "$work/man.roff" | grep -o "[^ ]*/README.md")
[ "$readme" = "$prefix/share/doc/dorvels/README.md" ] || fail "the manual names the README <$readme>"
grep -qF "$prefix/share/dorvels" "$work/man.roff" || fail "the manual does not name the data folder $prefix/share/dorvels"
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
# The window's class is the desktop entry's id.
class=$(xprop -id "$win" WM_CLASS)
[ "$class" = "WM_CLASS(STRING) = \"$id\", \"$id\"" ] || fail "window class: $class"
sleep 1  # keys sent before the first display is built are lost
xdotool windowfocus --sync "$win" 2>/dev/null
xdotool key --window "$win" x 2>/dev/null  # write the club file and quit
ended 100 x
grep -q '^club=The Merry Muddle Squares' sample.dorvel || fail "the club was not written to the working folder"
cmp -s "$prefix/share/dorvels/sample.dorvel" "$src/data/sample.dorvel" || fail "the installed sample was written over"

# As the menu starts it: no argument, the working folder an empty home folder.
mkdir "$work/home"
cd "$work/home" || exit 1
HOME=$work/home env -u XDG_DATA_HOME -u DORVELS "$prefix/bin/dorvels" >"$work/first.txt" 2>&1 &
progpid=$!
main_window
for _ in $(seq 50); do shown "Setup" && break; sleep 0.1; done
shown "Setup" || fail "the first start shows no setup dialog"
close_window "$win"
ended 100 "closing the window"
left=$(find "$work/home" -mindepth 1 -maxdepth 1 ! -name '.*')
[ -z "$left" ] || fail "the first start left in the home folder: $left"
if grep -Eq 'Gtk-(WARNING|CRITICAL)' "$work/out.txt" "$work/first.txt"; then fail "GTK complained: $(cat "$work/out.txt" "$work/first.txt")"; fi
echo PASS
