// PNG images into 0xAARRGGBB memory bitmaps, through the system's libpng:
// palette, grey and low-depth images are expanded, transparency becomes alpha,
// 16-bit samples are cut to 8. Any malformed input gives no bitmap; nothing is
// left allocated. Reentrant: each call has its own decoder state.
#pragma once

#include <cstddef>
#include <memory>
#include <string>

#include "raster/PxMemBitmap.h"

// Larger images are refused before anything is allocated.
constexpr int kPngMaxSide = 16384;
constexpr long long kPngMaxPixels = 32LL * 1024 * 1024;

std::unique_ptr<PxMemBitmap> DecodePng(const unsigned char* data, std::size_t size);
// With checkExtension, only paths ending in ".png" (any case) are read.
std::unique_ptr<PxMemBitmap> DecodePngFile(const std::string& path, bool checkExtension);

// The loaders the bitmap layer knows for image files: a description and a
// reader. PNG registers itself at start-up.
struct ImageFileLoader {
  const char* description;
  std::unique_ptr<PxMemBitmap> (*load)(const std::string& path, bool checkExtension);
};
int ImageFileLoaderCount();
const ImageFileLoader& ImageFileLoaderAt(int index);
