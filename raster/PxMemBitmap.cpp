#include "raster/PxMemBitmap.h"

#include <cstdint>
#include <new>

namespace {

constexpr std::size_t kAlignBytes = 64;

std::uint32_t* Aligned(unsigned char* raw) {
  const auto address = reinterpret_cast<std::uintptr_t>(raw);
  return reinterpret_cast<std::uint32_t*>((address + kAlignBytes - 1) & ~(kAlignBytes - 1));
}

}  // namespace

PxMemBitmap::PxMemBitmap(int w, int h, int alignPixels)
    : alignMask(alignPixels > 1 ? alignPixels - 1 : 0) {
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
  if (w < 0 || h < 0) w = h = 0;
  if (w == width && h == height) return false;
  if (w == 0 || h == 0) {
    Free();
    width = height = 0;
    return true;
  }
  const std::size_t span =
      (static_cast<std::size_t>(w) + alignMask) & ~static_cast<std::size_t>(alignMask);
  const std::size_t needed = span * static_cast<std::size_t>(h) * sizeof(std::uint32_t);
  if (needed > allocatedBytes) {
    Free();
    const std::size_t grown = needed + needed / 4;
    raw = new (std::nothrow) unsigned char[grown + kAlignBytes - 1];
    if (raw == nullptr) {
      width = height = 0;
      return true;
    }
    allocatedBytes = grown;
    pixels = Aligned(raw);
  }
  width = w;
  height = h;
  return true;
}
