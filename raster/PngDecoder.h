// PNG images into 0xAARRGGBB memory bitmaps, through the system's libpng:
// palette, grey and low-depth images are expanded, transparency becomes alpha,
// 16-bit samples are cut to 8. Any malformed input gives no bitmap; nothing is
// left allocated. Reentrant: each call has its own decoder state.
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

#include "raster/PxMemBitmap.h"

// Larger images are refused before anything is allocated.
constexpr int kPngMaxSide = 16384;
constexpr long long kPngMaxPixels = 32LL * 1024 * 1024;

std::unique_ptr<PxMemBitmap> DecodePng(const unsigned char* data, std::size_t size);
// Whether the text after the last '.', '/' or '\\' is ".png", in any case.
bool HasPngExtension(const std::string& path);
// With checkExtension, only paths whose text after the last '.', '/' or '\\'
// is ".png" (any case) are read. The file's bytes decode as DecodePng's do.
std::unique_ptr<PxMemBitmap> DecodePngFile(const std::string& path, bool checkExtension);

// The loaders the bitmap layer knows for image files: a description for file
// dialogs and a reader. The list is made on first use and never changes.
struct ImageFileLoader {
  const char* description;
  std::unique_ptr<PxMemBitmap> (*load)(const std::string& path, bool checkExtension);
};
const std::vector<ImageFileLoader>& ImageFileLoaders();
// "PNG files (*.PNG)".
const char* PngFileLoaderDescription();
