// 0xAARRGGBB pixels (straight alpha) written out as 8-bit RGBA PNG through
// libpng, to memory or to a file. Used by the headless canvas for golden
// images, by the skin generator and by tests. Reentrant: no shared state.
// Both return false on any failure (bad arguments, libpng refusing the image,
// I/O); a file is written under a hidden name beside its target and renamed
// into place only when complete, so a failure leaves no file and keeps any
// older one.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// rowSpanPixels: words from the start of one row to the next (at least width).
bool EncodePng(const std::uint32_t* pixels, int width, int height, int rowSpanPixels,
               std::vector<unsigned char>* out);
bool WritePng(const std::uint32_t* pixels, int width, int height, int rowSpanPixels,
              const std::string& path);
