// A PNG image held encoded until its pixels are first asked for: the size comes
// from the image's header when it is made, so a process that builds an editor
// but never draws it (a host rendering offline, an editor never opened) keeps
// none of the decoded pixels. The decoding runs once, on whichever thread first
// asks; several editors' GUI threads may draw the same image. The encoded bytes
// are not owned and must outlive the bitmap (the module's embedded resources).
// An image that fails to decode has no pixels, which every drawing operation
// skips.
#pragma once

#include <atomic>
#include <cstddef>
#include <memory>
#include <mutex>

#include "raster/PxMemBitmap.h"

class PxPngBitmap : public PxBitmap {
 public:
  // None when data does not start with a PNG signature and a header giving a
  // size the decoder accepts.
  static std::unique_ptr<PxPngBitmap> FromEncoded(const unsigned char* data, std::size_t size);

  std::uint32_t* Pixels() override;
  using PxBitmap::Pixels;
  int Width() const override { return width; }
  int Height() const override { return height; }
  int RowSpan() const override;
  // The size is the image's: false, nothing changes.
  bool Resize(int w, int h) override;

  // Whether the pixels have been decoded (and decoding succeeded).
  bool IsDecoded() const { return decodedFlag.load(std::memory_order_acquire); }

 private:
  PxPngBitmap(const unsigned char* data, std::size_t size, int w, int h)
      : encoded(data), encodedSize(size), width(w), height(h) {}
  PxMemBitmap* Decoded() const;

  const unsigned char* const encoded;
  const std::size_t encodedSize;
  const int width, height;
  mutable std::once_flag decodeOnce;
  mutable std::unique_ptr<PxMemBitmap> decoded;
  mutable std::atomic<bool> decodedFlag{false};
};
