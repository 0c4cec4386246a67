#!/usr/bin/env bash
# Builds the fuzzers with clang and runs them for SECONDS in all (default 60),
# half each: the WAVE/AIFF reader from generated seeds, the PNG decoder from
# the skin images. Any crash, leak or sanitizer report fails the run.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-60}"
half=$(( (seconds + 1) / 2 ))
cmake -S tests/fuzz -B build-fuzz -G Ninja -DCMAKE_C_COMPILER=clang \
  -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=Debug > /dev/null
cmake --build build-fuzz -j2
rm -rf build-fuzz/seeds build-fuzz/corpus build-fuzz/png-corpus
mkdir -p build-fuzz/seeds build-fuzz/corpus build-fuzz/png-corpus
./build-fuzz/dilatorix-fuzz-seeds build-fuzz/seeds
./build-fuzz/dilatorix_audio_fuzz -max_total_time="$half" -timeout=10 -rss_limit_mb=2048 \
  -print_final_stats=1 -artifact_prefix=build-fuzz/ build-fuzz/corpus build-fuzz/seeds
./build-fuzz/dilatorix_png_fuzz -max_total_time="$half" -timeout=10 -rss_limit_mb=2048 \
  -print_final_stats=1 -artifact_prefix=build-fuzz/png- build-fuzz/png-corpus img
