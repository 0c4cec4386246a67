#!/usr/bin/env bash
# Installs what is missing on a Debian machine, builds, then either runs the main
# job (default) or every test ("test").
set -euo pipefail
cd "$(dirname "$0")/.."
mode="${1:-run}"

source tools/install-packages.sh
install_missing cmake ninja-build g++ clang libclang-rt-14-dev libgtest-dev binutils \
  libpng-dev zlib1g-dev libfreetype-dev libfontconfig-dev fonts-liberation \
  libx11-dev libxext-dev xvfb xauth xdotool

cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release
cmake --build build -j2

case "$mode" in
  test) ctest --test-dir build --output-on-failure -j2 ;;
  run) ./build/dilatorix-render --stretch 8 --progress -o build/demo-phrase-stretched.wav ;;
  *) echo "usage: tools/setup.sh [run|test]" >&2; exit 2 ;;
esac
