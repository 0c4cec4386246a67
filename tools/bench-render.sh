#!/usr/bin/env bash
# Times the renderer on a 60 s stereo 44.1 kHz 24-bit clip stretched 10 times
# (10 minutes of output), then the reference stretchers when they are installed.
# Run after a build; BUILD selects another build folder.
set -euo pipefail
cd "$(dirname "$0")/.."
build="${BUILD:-build}"
clip="$build/bench-60s.wav"
[ -f "$clip" ] || "$build/dilatorix-make-demo" --seconds 60 --bits 24 "$clip"
time "$build/dilatorix-render" "$clip" --stretch 10 --progress -o "$build/bench-60s-stretched.wav"

# Reference points on the same clip, when their Debian packages are installed
# (rubberband-cli, soundstretch); the product never uses them.
if command -v rubberband >/dev/null; then
  time rubberband -t 10 "$clip" "$build/bench-60s-rubberband.wav"
fi
if command -v soundstretch >/dev/null; then
  time soundstretch "$clip" "$build/bench-60s-soundstretch.wav" -tempo=-90
fi
