#!/usr/bin/env bash
# Cross-builds the Windows modules, Dilatorix_64.dll and Dilatorix_32.dll, into
# build-windows/: installs mingw-w64 when missing, builds zlib and libpng for
# both targets once (tools/windows-deps.sh), builds each module with its
# toolchain file (with the renderer and the integration tests for Windows beside
# it, in build-windows/<arch>), and checks that each exports its two entry
# points alone and imports system DLLs only. Arguments pick the targets:
# x86_64, i686; both by default.
set -euo pipefail
cd "$(dirname "$0")/.."
arches=("$@")
[ "${#arches[@]}" -eq 0 ] && arches=(x86_64 i686)
for arch in "${arches[@]}"; do
  case "$arch" in
    x86_64 | i686) ;;
    *) echo "usage: tools/build-windows.sh [x86_64] [i686]" >&2; exit 2 ;;
  esac
done

source tools/install-packages.sh
install_missing cmake ninja-build libgtest-dev binutils-mingw-w64-x86-64 binutils-mingw-w64-i686 \
  g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix

# What a module may import: the system's own DLLs, never a runtime of the
# compiler's (libstdc++, libgcc, winpthread are linked in); names in any case.
allowed="^(KERNEL32|USER32|GDI32|COMDLG32|SHELL32|msvcrt)\.dll$"
bash tools/windows-deps.sh
for arch in "${arches[@]}"; do
  cmake -S . -B "build-windows/$arch" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_TOOLCHAIN_FILE="$PWD/cmake/mingw-w64-$arch.cmake" \
    -DDILATORIX_WINDOWS_DEPS="$PWD/build-windows/deps/$arch"
  cmake --build "build-windows/$arch" -j2
  bits=$([ "$arch" = x86_64 ] && echo 64 || echo 32)
  module="build-windows/$arch/Dilatorix_$bits.dll"
  dump=$("$arch-w64-mingw32-objdump" -p "$module")
  imports=$(sed -n 's/^\tDLL Name: //p' <<<"$dump")
  exports=$(sed -n '/\[Ordinal\/Name Pointer\] Table/,/^$/s/^\t\[ *[0-9]*\] //p' <<<"$dump" |
    tr '\n' ' ')
  if grep -qviE "$allowed" <<<"$imports"; then
    echo "$module imports a DLL that is not the system's:" $imports >&2
    exit 1
  fi
  if [ "$exports" != "VSTPluginMain main " ]; then
    echo "$module exports [$exports], not VSTPluginMain and main alone" >&2
    exit 1
  fi
  cp "$module" build-windows/
  echo "built build-windows/Dilatorix_$bits.dll: imports" $imports
done
