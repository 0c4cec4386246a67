// The editor's draw bitmap: what a window host copies to the screen. Here it is
// plain memory; its allocation rules stay those of a platform surface: the
// allocated width is rounded up to 4 pixels and a resize that fits inside the
// allocation only changes the size. Owns its buffer; GUI thread.
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

 private:
  void Free();

  unsigned char* raw = nullptr;
  std::uint32_t* pixels = nullptr;
  int width = 0, height = 0;
  int allocatedWidth = 0, allocatedHeight = 0;
};
