#include "platform/PngResources.h"

// Generated from img/ by the build.
extern const EmbeddedPng kEmbeddedPngs[];
extern const int kEmbeddedPngCount;

bool FindPngResource(int id, const unsigned char** data, std::size_t* size) {
  for (int i = 0; i < kEmbeddedPngCount; ++i) {
    const EmbeddedPng& png = kEmbeddedPngs[i];
    if (png.id != id) continue;
    if (png.size <= 7) return false;
    *data = png.data;
    *size = png.size;
    return true;
  }
  return false;
}
