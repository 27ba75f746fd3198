#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Checks the Debian package with lintian (no error, no warning, no hardening tag), then
# installs it the way a club's operator would, into a clean system: a fresh
# Debian 12 tree made by debootstrap, `apt-get install ./dorvels_*.deb` inside it (which
# fetches the libraries the package depends on), then runs the installed program there:
# --version, and the Present board of the installed sample club to a PDF from an empty folder.
#   scripts/check-package.sh [PACKAGE.deb]      (as root; without a package it builds one)
# The Debian mirror is $DEBIAN_MIRROR (default http://deb.debian.org/debian). Takes a few
# minutes; the tree is removed afterwards.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
mirror=${DEBIAN_MIRROR:-http://deb.debian.org/debian}
[ "$(id -u)" = 0 ] || { echo "check-package.sh: run as root (debootstrap and chroot)" >&2; exit 1; }

if ! command -v debootstrap >/dev/null || ! command -v lintian >/dev/null; then
  apt-get -o DPkg::Lock::Timeout=900 update -qq
  DEBIAN_FRONTEND=noninteractive apt-get -o DPkg::Lock::Timeout=900 install -y -qq debootstrap lintian >/dev/null
fi

if [ $# -ge 1 ]; then
  deb=$(cd "$(dirname "$1")" && pwd)/$(basename "$1")
else
  cd "$top"
  bash scripts/deps.sh run
  cmake -S . -B build-deb -DCMAKE_BUILD_TYPE=Release -DDORVELS_TESTS=OFF >/dev/null
  cmake --build build-deb -j"$(nproc)"
  (cd build-deb && cpack -G DEB >/dev/null)
  deb=$(ls "$top"/build-deb/dorvels_*.deb | tail -n1)
fi
[ -s "$deb" ] || { echo "check-package.sh: no package $deb" >&2; exit 1; }

echo "== lintian $(basename "$deb")"
# No error or warning, and none of the hardening tags, which are only shown as information.
tags=$(lintian --display-info "$deb" 2>&1 | grep -E '^[EW]: |hardening-' || true)
[ -z "$tags" ] || { echo "check-package.sh: lintian:" >&2; echo "$tags" >&2; exit 1; }

root=$(mktemp -d /tmp/dorvels-debian12-XXXXXX)
chmod 755 "$root"  # apt downloads as its own user
cleanup() {
  mountpoint -q "$root/proc" && umount "$root/proc"
  rm -rf "$root"
}
trap cleanup EXIT

echo "== a fresh Debian 12 in $root (debootstrap from $mirror)"
debootstrap --variant=minbase bookworm "$root" "$mirror" >"$root.log" 2>&1 ||
  { tail -20 "$root.log"; rm -f "$root.log"; exit 1; }
rm -f "$root.log"
mount -t proc proc "$root/proc"  # the program finds its data folder through /proc/self/exe
cp "$deb" "$root/tmp/"
in_root() { chroot "$root" env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin HOME=/root LANG=C.UTF-8 "$@"; }

echo "== apt-get install ./$(basename "$deb")"
in_root apt-get update -qq
in_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "/tmp/$(basename "$deb")" >/dev/null

echo "== the installed program"
in_root dorvels --version
in_root sh -c 'mkdir /tmp/empty && cd /tmp/empty && dorvels --print-pdf present.pdf sample.dorvel && test -s present.pdf'
for f in usr/share/applications/org.dorvels.Dorvels.desktop usr/share/man/man1/dorvels.1.gz \
         usr/share/icons/hicolor/256x256/apps/org.dorvels.Dorvels.png usr/share/doc/dorvels/copyright \
         usr/share/mime/packages/org.dorvels.Dorvels.xml; do
  [ -s "$root/$f" ] || { echo "check-package.sh: /$f not installed" >&2; exit 1; }
done
echo "OK: $(basename "$deb") installs with apt-get on a fresh Debian 12 and its program runs"
