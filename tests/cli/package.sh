#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# cpack -G DEB on the build: the package holds the installed files under /usr, its Depends
# field is worked out by dpkg-shlibdeps (versioned library packages, none listed by hand),
# lintian finds no error, no warning and no hardening tag, the changelog and the metainfo
# name the package's version, apt-get would install it on this machine, and the program
# unpacked from it runs and finds its data. (scripts/check-package.sh installs it into a fresh
# Debian 12 system instead.)
# Arguments: path of the dorvels program (in its build folder), source folder.
set -u
prog=$1
build=$(cd "$(dirname "$prog")" && pwd)
fail() { echo "FAIL: $*"; exit 1; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

cpack --config "$build/CPackConfig.cmake" -B "$work/pkg" -G DEB >"$work/cpack.txt" 2>&1 || fail "cpack: $(cat "$work/cpack.txt")"
debs=("$work"/pkg/dorvels_*.deb)
[ ${#debs[@]} = 1 ] && [ -s "${debs[0]}" ] || fail "no package: $(ls "$work/pkg")"
deb=${debs[0]}

depends=$(dpkg-deb -f "$deb" Depends)
for lib in libc6 libgtk-3-0 libglib2.0-0 libpango-1.0-0 libcairo2; do
  grep -Eq "(^|, )$lib \(>= [0-9]" <<<"$depends" || fail "Depends lacks a versioned $lib: $depends"
done
# The chart (b) needs a gnuplot, any of them: the program shows its PNG itself.
grep -Eq '(^|, )gnuplot-nox \| gnuplot($|,)' <<<"$(dpkg-deb -f "$deb" Recommends)" ||
  fail "Recommends lacks gnuplot: $(dpkg-deb -f "$deb" Recommends)"
contents=$(dpkg-deb -c "$deb" | awk '{print $6}')
for f in ./usr/bin/dorvels ./usr/share/dorvels/sample.dorvel ./usr/share/dorvels/resolution.unix \
         ./usr/share/applications/org.dorvels.Dorvels.desktop ./usr/share/man/man1/dorvels.1.gz \
         ./usr/share/metainfo/org.dorvels.Dorvels.metainfo.xml \
         ./usr/share/icons/hicolor/48x48/apps/org.dorvels.Dorvels.png \
         ./usr/share/doc/dorvels/copyright ./usr/share/doc/dorvels/changelog.gz \
         ./usr/share/doc/dorvels/README.md ./usr/share/mime/packages/org.dorvels.Dorvels.xml; do
  grep -qxF "$f" <<<"$contents" || fail "the package lacks $f"
done
grep -q 'Dorvels project' <<<"$(dpkg-deb -f "$deb" Maintainer)" || fail "maintainer: $(dpkg-deb -f "$deb" Maintainer)"

# Errors and warnings; the hardening tags are information only, so those are shown too.
tags=$(lintian --display-info "$deb" 2>&1 | grep -E '^[EW]: |hardening-|command not found')
[ -z "$tags" ] || fail "lintian: $tags"

if command -v apt-get >/dev/null; then
  apt-get install --simulate "$deb" >"$work/apt.txt" 2>&1 || fail "apt-get would not install it: $(cat "$work/apt.txt")"
  grep -q '^Inst dorvels ' "$work/apt.txt" || fail "apt-get: $(cat "$work/apt.txt")"
fi

dpkg-deb -x "$deb" "$work/root" || fail "dpkg-deb -x"
# One version everywhere: the package, the changelog's latest entry, the metainfo's release.
version=$(dpkg-deb -f "$deb" Version)
top=$(gzip -dc "$work/root/usr/share/doc/dorvels/changelog.gz" | head -n1)
[[ $top == "dorvels ($version) "* ]] || fail "the changelog's latest entry <$top> is not version $version"
grep -q "<release version=\"$version\"" "$work/root/usr/share/metainfo/org.dorvels.Dorvels.metainfo.xml" ||
  fail "the metainfo has no release $version"
mkdir "$work/empty"
cd "$work/empty" || exit 1
"$work/root/usr/bin/dorvels" --version | grep -Eq '^dorvels [0-9]' || fail "--version of the packaged program"
DISPLAY= "$work/root/usr/bin/dorvels" --print-pdf out.pdf sample.dorvel >/dev/null 2>"$work/err.txt" ||
  fail "the packaged program does not find its data: $(cat "$work/err.txt")"
echo PASS
