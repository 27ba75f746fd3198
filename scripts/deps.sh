#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs the Debian packages Dorvels needs to build, test and run (as root), or names the
# missing ones (otherwise). Usage: scripts/deps.sh [run|test]
set -euo pipefail
# librsvg2-bin renders the PNG icons from the SVG at build time; gnuplot (any of them, here
# gnuplot-x11) draws the dance-count charts as PNG files, which the program shows itself; libsoup-3.0-dev and libqrencode-dev: the phone
# page's server and the QR code of its address; gettext makes the message catalogues.
want=(build-essential cmake pkg-config libgtk-3-dev fonts-dejavu-core librsvg2-bin gnuplot-x11
  libsoup-3.0-dev libqrencode-dev gettext)
if [ "${1:-run}" = test ]; then
  want+=(libgtest-dev libgmock-dev libbenchmark-dev xvfb xauth xdotool)
  # The installed files' validators, the manual's reader, the PDF reader of the print tests;
  # the package's checker, the club files' type (its database and a reader of it) and the
  # window's class.
  want+=(desktop-file-utils appstream man-db poppler-utils)
  want+=(lintian shared-mime-info libglib2.0-bin x11-utils)
  # The hall view's texts are read through the accessibility bus (tests/cli/hallview.sh).
  want+=(dbus at-spi2-core python3-gi gir1.2-atspi-2.0)
  # The phone page's tests: curl as a user's client, chromium to render the page, python3
  # for the browser's remote control and the load test's clients.
  want+=(curl chromium python3)
  # zbarimg reads the QR code of the page's address back as a phone would.
  want+=(zbar-tools)
  # The German locale, for the test that runs the program in German.
  want+=(locales)
  # Real desktops (tests/cli/desktops.sh): an X server with two outputs and a window manager,
  # and GNOME's compositor nested on Wayland.
  want+=(xserver-xorg-core xserver-xorg-video-dummy openbox x11-xserver-utils mutter dbus)
fi
# Generates the German locale the tests run the program in (as root; otherwise names it).
german_locale() {
  [ "${1:-run}" = test ] || return 0
  locale -a 2>/dev/null | grep -qix 'de_DE.utf8' && return 0
  if [ "$(id -u)" = 0 ]; then
    localedef -i de_DE -f UTF-8 de_DE.UTF-8 || { echo "cannot generate the de_DE.UTF-8 locale" >&2; exit 1; }
  else
    echo "the locale de_DE.UTF-8 is missing: generate it with: sudo localedef -i de_DE -f UTF-8 de_DE.UTF-8" >&2
    exit 1
  fi
}
missing=()
for p in "${want[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -eq 0 ]; then german_locale "${1:-run}"; exit 0; fi
if [ "$(id -u)" = 0 ]; then
  echo "installing: ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  # Wait for the package database when another install is running instead of failing.
  lock=(-o DPkg::Lock::Timeout=900)
  apt-get "${lock[@]}" update -qq
  apt-get "${lock[@]}" install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
  german_locale "${1:-run}"
else
  echo "missing Debian packages: ${missing[*]}" >&2
  echo "install them with: sudo apt-get install ${missing[*]}" >&2
  exit 1
fi
