#include "raster/PxSysBitmap.h"

#include <climits>
#include <cstdint>
#include <cstring>
#include <new>

#include "platform/WindowsApi.h"

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
  section = NewTopDownSection(nullptr, span, h, &bits);
  if (section == nullptr) return !wasEmpty;
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
