#include "raster/PxMemBitmap.h"

#include <climits>
#include <cstdint>
#include <new>

namespace {

constexpr std::size_t kAlignBytes = 64;

std::uint32_t* Aligned(unsigned char* raw) {
  const auto address = reinterpret_cast<std::uintptr_t>(raw);
  return reinterpret_cast<std::uint32_t*>((address + kAlignBytes - 1) & ~(kAlignBytes - 1));
}

// The mask of the smallest power of two at least alignPixels (1 to 64 pixels).
int AlignMask(int alignPixels) {
  int pixels = 1;
  while (pixels < alignPixels && pixels < 64) pixels *= 2;
  return pixels - 1;
}

}  // namespace

PxMemBitmap::PxMemBitmap(int w, int h, int alignPixels) : alignMask(AlignMask(alignPixels)) {
  Resize(w, h);
}

PxMemBitmap::~PxMemBitmap() { Free(); }

void PxMemBitmap::Free() {
  delete[] raw;
  raw = nullptr;
  pixels = nullptr;
  allocatedBytes = 0;
}

bool PxMemBitmap::Resize(int w, int h) {
  if (w <= 0 || h <= 0) w = h = 0;
  if (w == width && h == height) return false;
  const bool wasEmpty = width == 0;
  width = height = 0;
  if (w == 0) {
    Free();
    return true;
  }
  // Row spans stay ints and the grown size stays far inside a size_t; larger
  // requests fail like a refused allocation.
  const std::size_t span =
      (static_cast<std::size_t>(w) + alignMask) & ~static_cast<std::size_t>(alignMask);
  const std::size_t maxBytes = SIZE_MAX / 4;
  if (span > INT_MAX || span > maxBytes / sizeof(std::uint32_t) / static_cast<std::size_t>(h)) {
    Free();
    return !wasEmpty;
  }
  const std::size_t needed = span * static_cast<std::size_t>(h) * sizeof(std::uint32_t);
  if (needed > allocatedBytes) {
    Free();
    const std::size_t grown = needed + needed / 4;
    raw = new (std::nothrow) unsigned char[grown + kAlignBytes - 1];
    if (raw == nullptr) return !wasEmpty;
    allocatedBytes = grown;
    pixels = Aligned(raw);
  }
  width = w;
  height = h;
  return true;
}
