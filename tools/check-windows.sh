#!/usr/bin/env bash
# Proves the Windows modules under Wine: builds them (tools/build-windows.sh)
# and the Linux module, runs the bitmap layer's tests (on the targets' libpng
# and zlib), those of the PNG writer and of the skin images in a program's
# resource section, and the integration tests against each DLL, renders
# the demo phrase at 8x with dilatorix-render.exe through each, and checks each
# rendering against the Linux module's (at most -100 dB RMS difference).
# Arguments pick the targets: x86_64 (under wine64) and i686 (under 32-bit
# Wine, wine32:i386); both by default. Installs Wine when missing (and the
# i386 architecture for the 32-bit one).
set -euo pipefail
cd "$(dirname "$0")/.."
targets=("$@")
[ "${#targets[@]}" -eq 0 ] && targets=(x86_64 i686)

source tools/install-packages.sh
for target in "${targets[@]}"; do
  case "$target" in
    x86_64) install_missing wine64 ;;
    i686)
      if ! dpkg --print-foreign-architectures | grep -qx i386; then
        if [ "$(id -u)" -ne 0 ]; then sudo dpkg --add-architecture i386; else dpkg --add-architecture i386; fi
      fi
      install_missing wine32:i386
      ;;
    *) echo "usage: tools/check-windows.sh [x86_64] [i686]" >&2; exit 2 ;;
  esac
done

cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build -j2 --target dilatorix-render dilatorix-wav-difference dilatorix_demo_clip
bash tools/build-windows.sh

reference=build-windows/demo-phrase-stretched-linux.wav
./build/dilatorix-render --stretch 8 --quiet -o "$reference"
export WINEPREFIX="$PWD/build-windows/wine-prefix" WINEDEBUG=-all
# The tests of the editor's presence wait for the Windows window host.
without_editor=PluginTest.EffectRecord:PluginTest.EditorRectangleWithoutAWindow
without_editor+=:PluginTest.DispatcherSweepWithNullPointersAndBadArguments
status=0
for target in "${targets[@]}"; do
  loader=$([ "$target" = x86_64 ] && echo /usr/lib/wine/wine64 || echo /usr/lib/wine/wine)
  folder="build-windows/$target"
  for tests in dilatorix_raster_tests dilatorix_skin_tests; do
    (cd "$folder" && "$loader" "./$tests.exe" --gtest_brief=1) || status=1
  done
  (cd "$folder" && "$loader" ./dilatorix_plugin_tests.exe --gtest_brief=1 \
    --gtest_filter="-$without_editor") || status=1
  cp build/demo-phrase.wav "$folder/"
  # Relative paths: the renderer runs in its own folder, its DLL beside it.
  (cd "$folder" && "$loader" ./dilatorix-render.exe --stretch 8 --quiet \
    -o demo-phrase-stretched.wav demo-phrase.wav)
  echo -n "$target under Wine against Linux: "
  ./build/dilatorix-wav-difference --max-db -100 "$reference" \
    "$folder/demo-phrase-stretched.wav" || status=1
done
exit "$status"
