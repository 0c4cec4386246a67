// The editor's draw bitmap: what a window host copies to the screen. On Windows
// it is a top-down 32-bit DIB section the window host selects into a memory
// context and copies with BitBlt; elsewhere plain memory. Either way the
// allocated width is rounded up to 4 pixels and a resize that fits inside the
// allocation only changes the size. Owns its buffer (and section); GUI thread.
#pragma once

#include "raster/PxBitmap.h"

class PxSysBitmap : public PxBitmap {
 public:
  PxSysBitmap() = default;
  ~PxSysBitmap() override;

  std::uint32_t* Pixels() override { return pixels; }
  using PxBitmap::Pixels;
  int Width() const override { return width; }
  int Height() const override { return height; }
  int RowSpan() const override { return allocatedWidth; }
  bool Resize(int w, int h) override;

  int AllocatedWidth() const { return allocatedWidth; }
  int AllocatedHeight() const { return allocatedHeight; }
#if defined(_WIN32)
  // The DIB section (an HBITMAP) holding the pixels; null while empty.
  void* Section() const { return section; }
#endif

 private:
  void Free();

#if defined(_WIN32)
  void* section = nullptr;
#else
  unsigned char* raw = nullptr;
#endif
  std::uint32_t* pixels = nullptr;
  int width = 0, height = 0;
  int allocatedWidth = 0, allocatedHeight = 0;
};
