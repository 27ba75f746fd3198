#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds the fuzz targets of the club file reader and of the evening and season file readers
# with clang's libFuzzer under the address and undefined-behaviour sanitizers, and runs them,
# the club file's for two thirds of the time, the others' for the rest.
#   scripts/fuzz.sh [seconds]        (default 600; 0 only builds)
# Build output goes to $FUZZ_BUILD (default build-fuzz beside the sources); each fuzzer runs
# in a scratch folder, with the seed corpus from fuzz/corpus (fuzz/corpus-evening) and new
# inputs in $FUZZ_BUILD/corpus (corpus-evening). A crash leaves its input as $FUZZ_BUILD/crash-*.
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
seconds="${1:-600}"
build="${FUZZ_BUILD:-$here/build-fuzz}"
mkdir -p "$build/obj" "$build/corpus" "$build/corpus-evening" "$build/run" "$build/run-evening"
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
for target in clubfile evening; do
    "$cxx" "${flags[@]}" -fsanitize=fuzzer "$here/fuzz/fuzz_$target.cpp" "${objs[@]}" -o "$build/fuzz_$target"
    echo "built $build/fuzz_$target"
done
[ "$seconds" -gt 0 ] || exit 0
export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
cd "$build/run"
rm -f dorvels.record* lastdance.dorvels
"$build/fuzz_clubfile" -max_total_time="$((seconds * 2 / 3))" -max_len=65536 -timeout=20 \
    -rss_limit_mb=4096 -close_fd_mask=2 -dict="$here/fuzz/clubfile.dict" \
    -artifact_prefix="$build/" -print_final_stats=1 "$build/corpus" "$here/fuzz/corpus"
# A small hostile file must not cost much: far less memory than the club file's target.
cd "$build/run-evening"
exec "$build/fuzz_evening" -max_total_time="$((seconds - seconds * 2 / 3))" -max_len=65536 -timeout=20 \
    -rss_limit_mb=1024 -malloc_limit_mb=256 -close_fd_mask=2 -dict="$here/fuzz/evening.dict" \
    -artifact_prefix="$build/" -print_final_stats=1 "$build/corpus-evening" "$here/fuzz/corpus-evening"
