#!/usr/bin/env bash
# Builds Dorvels and runs the whole test suite twice: a normal build and a build with the
# address and undefined-behaviour sanitizers. The GUI tests run under Xvfb, started here.
# Exits non-zero when any test fails.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"
bash scripts/deps.sh test
jobs=$(nproc)

run_suite() {  # build-dir, extra cmake args...
  local dir=$1; shift
  cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DDORVELS_TESTS=ON "$@" >/dev/null
  cmake --build "$dir" -j"$jobs"
  # One virtual X server for the GUI tests; the logic tests ignore it (they unset DISPLAY).
  xvfb-run -a -s "-screen 0 1920x1080x24" \
    ctest --test-dir "$dir" --output-on-failure -j"$jobs"
}

export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=0}
export LSAN_OPTIONS=${LSAN_OPTIONS:-suppressions=$top/scripts/lsan.supp:print_suppressions=0}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}

echo "== normal build =="
run_suite build
echo "== sanitizer build (address, undefined) =="
run_suite build-asan -DDORVELS_SANITIZE=ON
