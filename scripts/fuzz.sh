#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds the club file reader's fuzz target with clang's libFuzzer under the address and
# undefined-behaviour sanitizers, and runs it.
#   scripts/fuzz.sh [seconds]        (default 600; 0 only builds)
# Build output goes to $FUZZ_BUILD (default build-fuzz beside the sources); the fuzzer runs
# in a scratch folder, with the seed corpus from fuzz/corpus and new inputs in
# $FUZZ_BUILD/corpus. A crash leaves its input as $FUZZ_BUILD/crash-*.
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
seconds="${1:-600}"
build="${FUZZ_BUILD:-$here/build-fuzz}"
mkdir -p "$build/obj" "$build/corpus" "$build/run"
cxx="${CXX_FUZZ:-clang++}"
if ! command -v "$cxx" >/dev/null; then
    if [ "$(id -u)" = 0 ]; then
        apt-get update -qq && apt-get install -y -qq clang libclang-rt-14-dev >/dev/null
    else
        echo "fuzz.sh needs clang and libclang-rt-14-dev (apt-get install clang libclang-rt-14-dev)" >&2
        exit 1
    fi
fi
flags=(-std=c++20 -O1 -g -fno-omit-frame-pointer -fsanitize=fuzzer-no-link,address,undefined
       -fno-sanitize-recover=undefined -I"$here" -DDORVELS_DATADIR="\"/nonexistent\""
       -DDORVELS_SRCDATADIR="\"$here/data\"" -DDORVELS_VERSION="\"fuzz\"")
objs=()
for src in "$here"/{support,core,registry,files,assign,history}/*.cpp "$here"/tests/support/screen_silent.cpp; do
    [ -e "$src" ] || continue
    obj="$build/obj/$(echo "${src#$here/}" | tr / _).o"
    if [ ! -e "$obj" ] || [ "$src" -nt "$obj" ] || [ -n "$(find "$here" -name '*.h' -newer "$obj" -print -quit)" ]; then
        "$cxx" "${flags[@]}" -c "$src" -o "$obj"
    fi
    objs+=("$obj")
done
"$cxx" "${flags[@]}" -fsanitize=fuzzer "$here/fuzz/fuzz_clubfile.cpp" "${objs[@]}" -o "$build/fuzz_clubfile"
echo "built $build/fuzz_clubfile"
[ "$seconds" -gt 0 ] || exit 0
cd "$build/run"
rm -f dorvels.record* lastdance.dorvels
export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
exec "$build/fuzz_clubfile" -max_total_time="$seconds" -max_len=65536 -timeout=20 \
    -rss_limit_mb=4096 -close_fd_mask=2 -dict="$here/fuzz/clubfile.dict" \
    -artifact_prefix="$build/" -print_final_stats=1 "$build/corpus" "$here/fuzz/corpus"
