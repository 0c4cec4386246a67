#include "raster/PxPngBitmap.h"

#include <png.h>

#include <cstring>

#include "raster/PngDecoder.h"

std::unique_ptr<PxPngBitmap> PxPngBitmap::FromEncoded(const unsigned char* data, std::size_t size) {
  // The signature, then the header chunk: length 13, "IHDR", width, height.
  constexpr std::size_t kHeaderEnd = 8 + 8 + 8;
  if (data == nullptr || size < kHeaderEnd || png_sig_cmp(data, 0, 8) != 0 ||
      png_get_uint_32(data + 8) != 13 || std::memcmp(data + 12, "IHDR", 4) != 0)
    return nullptr;
  const std::uint32_t w = png_get_uint_32(data + 16), h = png_get_uint_32(data + 20);
  if (w < 1 || h < 1 || w > kPngMaxSide || h > kPngMaxSide ||
      static_cast<long long>(w) * h > kPngMaxPixels)
    return nullptr;
  return std::unique_ptr<PxPngBitmap>(
      new PxPngBitmap(data, size, static_cast<int>(w), static_cast<int>(h)));
}

PxMemBitmap* PxPngBitmap::Decoded() const {
  std::call_once(decodeOnce, [this] {
    std::unique_ptr<PxMemBitmap> image = DecodePng(encoded, encodedSize);
    // An image whose rows disagree with its header is as good as none.
    if (!image || image->Width() != width || image->Height() != height) return;
    decoded = std::move(image);
    decodedFlag.store(true, std::memory_order_release);
  });
  return decoded.get();
}

std::uint32_t* PxPngBitmap::Pixels() {
  PxMemBitmap* image = Decoded();
  return image != nullptr ? image->Pixels() : nullptr;
}

int PxPngBitmap::RowSpan() const {
  PxMemBitmap* image = Decoded();
  return image != nullptr ? image->RowSpan() : 0;
}

bool PxPngBitmap::Resize(int, int) { return false; }
