#!/usr/bin/env bash
# Builds zlib and libpng for the Windows modules, x86-64 and i686, from
# Debian's own source packages (Debian's patches applied), once, into
# build-windows/deps/<arch> (include/, lib/libz.a, lib/libpng.a). Adds a
# deb-src entry for the main suite when apt has none (with sudo when not root).
set -euo pipefail
cd "$(dirname "$0")/.."
deps="$PWD/build-windows/deps"
arches=(x86_64 i686)

built=1
for a in "${arches[@]}"; do [ -f "$deps/$a/lib/libpng.a" ] || built=0; done
[ "$built" -eq 1 ] && exit 0

source tools/install-packages.sh
install_missing dpkg-dev
sudo_cmd=""
[ "$(id -u)" -ne 0 ] && sudo_cmd="sudo"
src="$deps/src"
mkdir -p "$src"
if ! ls "$src"/zlib_*.dsc "$src"/libpng1.6_*.dsc >/dev/null 2>&1; then
  if ! grep -rqsE '^(deb-src|Types:.*deb-src)' /etc/apt/sources.list /etc/apt/sources.list.d/; then
    . /etc/os-release
    $sudo_cmd tee /etc/apt/sources.list.d/dilatorix-deb-src.sources >/dev/null <<SOURCES
Types: deb-src
URIs: http://deb.debian.org/debian
Suites: $VERSION_CODENAME
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg
SOURCES
    $sudo_cmd apt-get update || true
  fi
  (cd "$src" && apt-get source --download-only zlib libpng1.6)
fi
rm -rf "$src/zlib" "$src/libpng"
dpkg-source --no-check -x "$(ls "$src"/zlib_*.dsc | tail -1)" "$src/zlib" >/dev/null
dpkg-source --no-check -x "$(ls "$src"/libpng1.6_*.dsc | tail -1)" "$src/libpng" >/dev/null

for a in "${arches[@]}"; do
  out="$deps/$a"
  work="$deps/work-$a"
  rm -rf "$out" "$work"
  mkdir -p "$out/include" "$out/lib"
  cross=(-G Ninja -Wno-deprecated -DCMAKE_BUILD_TYPE=Release -DCMAKE_SYSTEM_NAME=Windows
    -DCMAKE_C_COMPILER="$a-w64-mingw32-gcc-posix" -DCMAKE_RC_COMPILER="$a-w64-mingw32-windres")
  [ "$a" = i686 ] && cross+=(-DCMAKE_C_FLAGS="-msse2 -mfpmath=sse")
  cmake -S "$src/zlib" -B "$work/zlib" "${cross[@]}" >/dev/null
  cmake --build "$work/zlib" --target zlibstatic -j2 >/dev/null
  cp "$src/zlib/zlib.h" "$work/zlib/zconf.h" "$out/include/"
  cp "$work/zlib/libzlibstatic.a" "$out/lib/libz.a"
  cmake -S "$src/libpng" -B "$work/libpng" "${cross[@]}" -DPNG_SHARED=OFF -DPNG_TESTS=OFF \
    -DPNG_EXECUTABLES=OFF -DZLIB_LIBRARY="$out/lib/libz.a" -DZLIB_INCLUDE_DIR="$out/include" \
    >/dev/null
  cmake --build "$work/libpng" --target png_static -j2 >/dev/null
  cp "$src/libpng/png.h" "$src/libpng/pngconf.h" "$work/libpng/pnglibconf.h" "$out/include/"
  cp "$work/libpng/libpng16.a" "$out/lib/libpng.a"
  rm -rf "$work"
  echo "zlib and libpng for $a in $out"
done
