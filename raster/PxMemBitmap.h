// A bitmap in heap memory: rows aligned to a number of pixels (4 in the
// editor), pixels starting on a 64-byte boundary. Skin images, scaled and
// cropped copies and scratch surfaces are memory bitmaps. Owns its buffer; one
// thread at a time.
#pragma once

#include <cstddef>

#include "raster/PxBitmap.h"

class PxMemBitmap : public PxBitmap {
 public:
  // alignPixels is taken up to a power of two (at most 64); 1 packs the rows.
  explicit PxMemBitmap(int w = 0, int h = 0, int alignPixels = 4);
  ~PxMemBitmap() override;

  std::uint32_t* Pixels() override { return pixels; }
  using PxBitmap::Pixels;
  int Width() const override { return width; }
  int Height() const override { return height; }
  int RowSpan() const override { return (width + alignMask) & ~alignMask; }
  // Growing reallocates to 5/4 of the need, shrinking keeps the buffer, a zero
  // size frees it; a failed allocation leaves 0 x 0. False when the size stays.
  bool Resize(int w, int h) override;

  std::size_t AllocatedBytes() const { return allocatedBytes; }

 private:
  void Free();

  unsigned char* raw = nullptr;
  std::uint32_t* pixels = nullptr;
  int width = 0, height = 0;
  std::size_t allocatedBytes = 0;
  int alignMask;
};
