#!/usr/bin/env bash
# Proves the Windows modules under Wine: builds them (tools/build-windows.sh)
# and the Linux module, runs the bitmap layer's tests (on the targets' libpng
# and zlib), those of the PNG writer and of the skin images in a program's
# resource section, and the integration tests against each DLL; opens each
# DLL's editor in a host window on a private Xvfb server, drives it with
# input, and holds its picture against the Linux headless window host's;
# renders the demo phrase at 8x with dilatorix-render.exe through each, and
# checks each rendering against the Linux module's (at most -100 dB RMS
# difference).
# Arguments pick the targets: x86_64 (under wine64) and i686 (under 32-bit
# Wine, wine32:i386); both by default. Installs Wine when missing (and the
# i386 architecture for the 32-bit one).
set -euo pipefail
cd "$(dirname "$0")/.."
targets=("$@")
[ "${#targets[@]}" -eq 0 ] && targets=(x86_64 i686)

source tools/install-packages.sh
install_missing xvfb xauth
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
cmake --build build -j2 --target dilatorix-render dilatorix-wav-difference dilatorix_demo_clip \
  dilatorix_editor_pictures
bash tools/build-windows.sh "${targets[@]}"

reference=build-windows/demo-phrase-stretched-linux.wav
./build/dilatorix-render --stretch 8 --quiet -o "$reference"
mkdir -p build-windows/editor-pictures
./build/dilatorix_editor_pictures build-windows/editor-pictures
export WINEPREFIX="$PWD/build-windows/wine-prefix" WINEDEBUG=-all
# Wine shows the Linux file system as drive Z:.
export DILATORIX_EDITOR_PICTURES="Z:$PWD/build-windows/editor-pictures"
status=0
for target in "${targets[@]}"; do
  loader=$([ "$target" = x86_64 ] && echo /usr/lib/wine/wine64 || echo /usr/lib/wine/wine)
  folder="build-windows/$target"
  for tests in dilatorix_raster_tests dilatorix_skin_tests; do
    (cd "$folder" && "$loader" "./$tests.exe" --gtest_brief=1) || status=1
  done
  (cd "$folder" && "$loader" ./dilatorix_plugin_tests.exe --gtest_brief=1) || status=1
  # Windows opened on a server Wine started without a display would fail: the
  # editor's run gets a server of its own, on the private X display.
  /usr/lib/wine/wineserver -w
  (cd "$folder" && xvfb-run -a -s "-screen 0 1280x1024x24" \
    "$loader" ./dilatorix_editor_window_tests.exe --gtest_brief=1) || status=1
  /usr/lib/wine/wineserver -w
  cp build/demo-phrase.wav "$folder/"
  # Relative paths: the renderer runs in its own folder, its DLL beside it.
  (cd "$folder" && "$loader" ./dilatorix-render.exe --stretch 8 --quiet \
    -o demo-phrase-stretched.wav demo-phrase.wav)
  echo -n "$target under Wine against Linux: "
  ./build/dilatorix-wav-difference --max-db -100 "$reference" \
    "$folder/demo-phrase-stretched.wav" || status=1
done
exit "$status"
