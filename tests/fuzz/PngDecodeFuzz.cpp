// libFuzzer target: any bytes decoded as a PNG image. A bitmap that comes back
// must be within the decoder's size limits and hold every row it claims (each
// pixel is read); nothing may crash, leak or trip a sanitizer.
#include <cstdint>
#include <cstdlib>

#include "raster/PngDecoder.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::unique_ptr<PxMemBitmap> bitmap = DecodePng(data, size);
  if (!bitmap) return 0;
  const int w = bitmap->Width(), h = bitmap->Height();
  if (w <= 0 || h <= 0 || w > kPngMaxSide || h > kPngMaxSide ||
      static_cast<long long>(w) * h > kPngMaxPixels || bitmap->RowSpan() < w)
    std::abort();
  std::uint32_t sum = 0;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) sum += bitmap->Row(y)[x];
  volatile std::uint32_t keep = sum;
  (void)keep;
  return 0;
}
