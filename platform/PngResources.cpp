#include "platform/PngResources.h"

#if defined(_WIN32)
#include "platform/ThisModule.h"

// The resource section of the module this code is linked into.
bool FindPngResource(int id, const unsigned char** data, std::size_t* size) {
  // Resource ids are 16 bits: a larger one would alias a smaller.
  if (id < 1 || id > 0xFFFF) return false;
  HMODULE module = ThisModule();
  if (module == nullptr) return false;
  HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(id), L"PNG");
  if (found == nullptr) return false;
  const DWORD bytes = SizeofResource(module, found);
  HGLOBAL loaded = LoadResource(module, found);
  const void* locked = loaded != nullptr ? LockResource(loaded) : nullptr;
  if (locked == nullptr || bytes <= 7) return false;
  *data = static_cast<const unsigned char*>(locked);
  *size = bytes;
  return true;
}

#else

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

#endif
