#!/usr/bin/env bash
# Proves the Windows modules under Wine: builds them (tools/build-windows.sh)
# and the Linux module, runs the integration tests against each DLL, renders
# the demo phrase at 8x with dilatorix-render.exe through each, and checks each
# rendering against the Linux module's (at most -100 dB RMS difference). Arguments pick the targets: x86_64 (under
# wine64) and i686 (under 32-bit Wine, wine32:i386); both by default. Installs
# Wine when missing (and the i386 architecture for the 32-bit one).
set -euo pipefail
cd "$(dirname "$0")/.."
targets=("$@")
[ "${#targets[@]}" -eq 0 ] && targets=(x86_64 i686)

sudo_cmd=""
[ "$(id -u)" -ne 0 ] && sudo_cmd="sudo"
install() {
  $sudo_cmd apt-get update || true  # an index that fails to load leaves the others usable
  DEBIAN_FRONTEND=noninteractive $sudo_cmd apt-get install -y --no-install-recommends "$@"
}
for target in "${targets[@]}"; do
  case "$target" in
    x86_64) [ -x /usr/lib/wine/wine64 ] || install wine64 ;;
    i686)
      if [ ! -x /usr/lib/wine/wine ]; then
        dpkg --print-foreign-architectures | grep -qx i386 || $sudo_cmd dpkg --add-architecture i386
        install wine32:i386
      fi
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
status=0
for target in "${targets[@]}"; do
  loader=$([ "$target" = x86_64 ] && echo /usr/lib/wine/wine64 || echo /usr/lib/wine/wine)
  folder="build-windows/$target"
  # The tests of the editor's presence wait for the Windows window host.
  (cd "$folder" && "$loader" ./dilatorix_plugin_tests.exe --gtest_brief=1 \
    --gtest_filter=-PluginTest.EffectRecord:PluginTest.EditorRectangleWithoutAWindow:PluginTest.DispatcherSweepWithNullPointersAndBadArguments) ||
    status=1
  cp build/demo-phrase.wav "$folder/"
  # Relative paths: the renderer runs in its own folder, its DLL beside it.
  (cd "$folder" && "$loader" ./dilatorix-render.exe --stretch 8 --quiet \
    -o demo-phrase-stretched.wav demo-phrase.wav)
  echo -n "$target under Wine against Linux: "
  ./build/dilatorix-wav-difference --max-db -100 "$reference" \
    "$folder/demo-phrase-stretched.wav" || status=1
done
exit "$status"
