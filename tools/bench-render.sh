#!/usr/bin/env bash
# Times the renderer on a 60 s stereo 44.1 kHz 24-bit clip stretched 10 times
# (10 minutes of output) beside the reference stretchers that are installed
# (Debian's rubberband-cli and soundstretch; the product never uses them), in
# one run on the same clip, and prints each one's CPU and wall time, peak
# memory, real-time factor (output seconds per CPU second) and its CPU time as
# a multiple of the renderer's. Needs GNU time (/usr/bin/time, Debian's `time`).
# Run after a build; BUILD selects another build folder.
set -euo pipefail
cd "$(dirname "$0")/.."
build="${BUILD:-build}"
clip="$build/bench-60s.wav"
output_seconds=600
[ -x /usr/bin/time ] || { echo "bench-render.sh: needs /usr/bin/time (apt-get install time)" >&2; exit 1; }
[ -f "$clip" ] || "$build/dilatorix-make-demo" --seconds 60 --bits 24 "$clip"
measures="$(mktemp)"
trap 'rm -f "$measures"' EXIT

# name, then the command; appends "name wall user sys peak-KiB" to $measures.
measure() {
  local name="$1"
  shift
  local times
  times="$(mktemp)"
  if /usr/bin/time -f "%e %U %S %M" -o "$times" "$@" >/dev/null 2>&1; then
    echo "$name $(cat "$times")" >>"$measures"
  else
    echo "bench-render.sh: $name failed" >&2
  fi
  rm -f "$times"
}

measure dilatorix-render "$build/dilatorix-render" "$clip" --stretch 10 --quiet \
  -o "$build/bench-60s-stretched.wav"
if command -v rubberband >/dev/null; then
  measure "rubberband-R3" rubberband -3 -t 10 "$clip" "$build/bench-60s-rubberband-r3.wav"
  measure "rubberband-R2" rubberband -t 10 "$clip" "$build/bench-60s-rubberband-r2.wav"
fi
if command -v soundstretch >/dev/null; then
  measure soundstretch soundstretch "$clip" "$build/bench-60s-soundstretch.wav" -tempo=-90
fi

awk -v out="$output_seconds" '
  NR == 1 { ours = $3 + $4 }
  {
    cpu = $3 + $4
    rows[NR] = sprintf("%-16s %8.2f %8.2f %9.0f %9.0fx %10.2fx", $1, cpu, $2, $5 / 1024,
                       out / cpu, cpu / ours)
  }
  END {
    printf "%-16s %8s %8s %9s %10s %11s\n", "10x of 60 s", "CPU s", "wall s", "peak MiB",
           "real time", "CPU vs ours"
    for (i = 1; i <= NR; ++i) print rows[i]
  }' "$measures"
