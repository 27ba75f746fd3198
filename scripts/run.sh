#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds Dorvels and starts it. Without arguments it runs the bundled sample club in the
# folder run/ (a copy, so the sample itself stays as shipped); arguments go to the program.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"
bash scripts/deps.sh run
cmake -S . -B build-app -DCMAKE_BUILD_TYPE=RelWithDebInfo -DDORVELS_TESTS=OFF >/dev/null
cmake --build build-app -j"$(nproc)" --target dorvels
mkdir -p run
cd run
if [ $# -eq 0 ]; then
  [ -f sample.dorvel ] || cp "$top/data/sample.dorvel" .
  set -- sample.dorvel
fi
exec "$top/build-app/dorvels" "$@"
