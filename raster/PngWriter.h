// 0xAARRGGBB pixels written out as 8-bit RGBA PNG through libpng, to memory or
// to a file (the file appears only when complete). Used by the headless canvas
// for golden images and by the skin generator. Reentrant.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

bool EncodePng(const std::uint32_t* pixels, int width, int height, int rowSpan,
               std::vector<unsigned char>* out);
bool WritePng(const std::uint32_t* pixels, int width, int height, int rowSpan,
              const std::string& path);
