#include "raster/PxSysBitmap.h"

#include <climits>
#include <cstdint>
#include <cstring>
#include <new>

#if defined(_WIN32)
#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>
#endif

namespace {

#if defined(_WIN32)
// A top-down 32-bit section of span x h pixels, its pixels zeroed by the system.
HBITMAP NewSection(int span, int h, void** bits) {
  BITMAPINFO info = {};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = span;
  info.bmiHeader.biHeight = -h;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  return CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, bits, nullptr, 0);
}
#endif

}  // namespace

PxSysBitmap::~PxSysBitmap() { Free(); }

void PxSysBitmap::Free() {
#if defined(_WIN32)
  if (section != nullptr) DeleteObject(static_cast<HBITMAP>(section));
  section = nullptr;
#else
  delete[] raw;
  raw = nullptr;
#endif
  pixels = nullptr;
  allocatedWidth = allocatedHeight = 0;
}

bool PxSysBitmap::Resize(int w, int h) {
  if (w <= 0 || h <= 0) w = h = 0;
  if (w == width && h == height) return false;
  if (w != 0 && allocatedWidth >= w && allocatedHeight >= h) {
    width = w;
    height = h;
    return true;
  }
  const bool wasEmpty = width == 0;
  Free();
  width = height = 0;
  if (w == 0) return true;
  // Sizes whose buffer a size_t cannot hold fail like a refused allocation.
  if (w > INT_MAX - 3) return !wasEmpty;
  const int span = (w + 3) & ~3;
  if (static_cast<std::size_t>(span) > SIZE_MAX / 8 / sizeof(std::uint32_t) / h) return !wasEmpty;
#if defined(_WIN32)
  void* bits = nullptr;
  section = NewSection(span, h, &bits);
  if (section == nullptr || bits == nullptr) {
    Free();
    return !wasEmpty;
  }
  // Sections start on a page boundary, and the system zeroes them.
  pixels = static_cast<std::uint32_t*>(bits);
#else
  const std::size_t bytes = static_cast<std::size_t>(span) * h * sizeof(std::uint32_t);
  raw = new (std::nothrow) unsigned char[bytes + 63];
  if (raw == nullptr) return !wasEmpty;
  pixels = reinterpret_cast<std::uint32_t*>((reinterpret_cast<std::uintptr_t>(raw) + 63) &
                                            ~static_cast<std::uintptr_t>(63));
  std::memset(pixels, 0, bytes);
#endif
  allocatedWidth = span;
  allocatedHeight = h;
  width = w;
  height = h;
  return true;
}
