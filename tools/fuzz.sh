#!/usr/bin/env bash
# Builds the fuzzers with clang and runs them for SECONDS in all (default 60),
# half each: the WAVE/AIFF reader from generated seeds, the PNG decoder from
# generated tiny images of every colour type and the skin images. Any crash,
# leak or sanitizer report fails the run. DILATORIX_FUZZ_DIR names another
# build folder than build-fuzz.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-60}"
half=$(( (seconds + 1) / 2 ))
out="${DILATORIX_FUZZ_DIR:-build-fuzz}"
cmake -S tests/fuzz -B "$out" -G Ninja -DCMAKE_C_COMPILER=clang \
  -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=Debug > /dev/null
cmake --build "$out" -j2
rm -rf "$out"/seeds "$out"/corpus "$out"/png-seeds "$out"/png-corpus
mkdir -p "$out"/seeds "$out"/corpus "$out"/png-seeds "$out"/png-corpus
"$out"/dilatorix-fuzz-seeds "$out"/seeds
"$out"/dilatorix-fuzz-png-seeds "$out"/png-seeds
"$out"/dilatorix_audio_fuzz -max_total_time="$half" -timeout=10 -rss_limit_mb=2048 \
  -print_final_stats=1 -artifact_prefix="$out"/ "$out"/corpus "$out"/seeds
"$out"/dilatorix_png_fuzz -max_total_time="$half" -timeout=10 -rss_limit_mb=2048 \
  -print_final_stats=1 -artifact_prefix="$out"/png- "$out"/png-corpus "$out"/png-seeds img
