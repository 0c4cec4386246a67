#!/usr/bin/env bash
# Builds the fuzzers with clang and runs them for SECONDS in all (default 60),
# a quarter each: the WAVE/AIFF reader from generated seeds, the PNG decoder
# from generated tiny images of every colour type and the skin images, the
# plug-in's state restore from the states a fresh instance saves naming
# generated files (clips, a malformed one, an empty one, a folder, /dev/zero),
# and the plug-in's entry points driven by any sequence of a host's calls.
# Any crash, leak, hang or sanitizer report fails the run; libFuzzer prints
# each target's executions and coverage. DILATORIX_FUZZ_DIR names another
# build folder than build-fuzz.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-60}"
quarter=$(( (seconds + 3) / 4 ))
out="${DILATORIX_FUZZ_DIR:-build-fuzz}"
cmake -S tests/fuzz -B "$out" -G Ninja -DCMAKE_C_COMPILER=clang \
  -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=Debug > /dev/null
cmake --build "$out" -j2
for kind in audio png state dispatcher; do
  rm -rf "$out/$kind-seeds" "$out/$kind-corpus"
  mkdir -p "$out/$kind-seeds" "$out/$kind-corpus"
done
rm -rf "$out/state-files" && mkdir -p "$out/state-files"
"$out"/dilatorix-fuzz-seeds "$out"/audio-seeds
"$out"/dilatorix-fuzz-png-seeds "$out"/png-seeds
"$out"/dilatorix-fuzz-state-seeds "$PWD/$out/state-files" "$out"/state-seeds
run() {
  local kind=$1
  shift
  "$out/dilatorix_${kind}_fuzz" -max_total_time="$quarter" -timeout=10 -rss_limit_mb=2048 \
    -print_final_stats=1 -artifact_prefix="$out/$kind-" "$out/$kind-corpus" "$@"
}
run audio "$out"/audio-seeds
run png "$out"/png-seeds img
run state "$out"/state-seeds
# Call sequences need length from the start: no seeds, and no slow growth.
run dispatcher -len_control=0 -max_len=2048
