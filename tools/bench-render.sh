#!/usr/bin/env bash
# Times the renderer on a 60 s stereo 44.1 kHz 24-bit clip stretched 10 times
# (10 minutes of output). Run after a build; BUILD selects another build folder.
set -euo pipefail
cd "$(dirname "$0")/.."
build="${BUILD:-build}"
clip="$build/bench-60s.wav"
[ -f "$clip" ] || "$build/dilatorix-make-demo" --seconds 60 --bits 24 "$clip"
time "$build/dilatorix-render" "$clip" --stretch 10 --progress -o "$build/bench-60s-stretched.wav"
