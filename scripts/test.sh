#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds Dorvels and runs the whole test suite twice: a normal build and a build with the
# address and undefined-behaviour sanitizers. The GUI tests run under Xvfb, started here.
# Exits non-zero when any test fails.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"
bash scripts/deps.sh test
jobs=$(nproc)

# What failed in the last ctest run of build-dir $1, and why: the failed tests, the assertion
# lines of Google Test with a little context, the command-line tests' FAIL lines and the
# sanitizers' reports. Printed last, so that a log cut in the middle still shows it.
failure_summary() {
  local tmp=$1/Testing/Temporary
  echo "== failed in $1: $(cut -d: -f2- "$tmp/LastTestsFailed.log" 2>/dev/null | tr '\n' ' ')"
  grep -E -A5 ': Failure$|: FAIL: |ERROR: (Address|Leak)Sanitizer|runtime error: ' "$tmp/LastTest.log" 2>/dev/null |
    head -n 60
  grep -E '^\[  FAILED  \] [^ ]+\.[^ ]+' "$tmp/LastTest.log" 2>/dev/null | sed 's/ (.*)$//' | sort -u | head -n 30
}

run_suite() {  # build-dir, extra cmake args...
  local dir=$1; shift
  cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DDORVELS_TESTS=ON "$@" >/dev/null
  cmake --build "$dir" -j"$jobs"
  # One virtual X server for the GUI tests; the logic tests ignore it (they unset DISPLAY).
  xvfb-run -a -s "-screen 0 1920x1080x24" \
    ctest --test-dir "$dir" --output-on-failure -j"$jobs" || { failure_summary "$dir"; exit 1; }
}

export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=0}
export LSAN_OPTIONS=${LSAN_OPTIONS:-suppressions=$top/scripts/lsan.supp:print_suppressions=0}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}

echo "== normal build =="
run_suite build
echo "== sanitizer build (address, undefined) =="
run_suite build-asan -DDORVELS_SANITIZE=ON
