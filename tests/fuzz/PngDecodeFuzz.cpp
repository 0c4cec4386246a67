// libFuzzer target: any bytes decoded as a PNG image. A bitmap that comes back
// must have the size its rows claim; nothing may crash, leak or trip a
// sanitizer.
#include <cstdint>
#include <cstdlib>

#include "raster/PngDecoder.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::unique_ptr<PxMemBitmap> bitmap = DecodePng(data, size);
  if (!bitmap) return 0;
  if (bitmap->Width() <= 0 || bitmap->Height() <= 0 || bitmap->Width() > kPngMaxSide) std::abort();
  volatile std::uint32_t last = bitmap->Row(bitmap->Height() - 1)[bitmap->Width() - 1];
  (void)last;
  return 0;
}
