// The process-wide store of loaded and derived bitmaps, shared by every editor
// instance: skin images under their resource id, derived bitmaps under -1.
// Every operation takes the cache's one lock, so several instances' GUI
// threads may load at once. Bitmaps live until the module unloads.
#pragma once

#include <memory>

#include "raster/PxBitmap.h"

namespace ImageCache {

PxBitmap* Find(int id);
// Keeps the first bitmap stored under an id and returns it.
PxBitmap* Add(int id, std::unique_ptr<PxBitmap> bitmap);
// Stores a derived bitmap (id -1).
PxBitmap* Retain(std::unique_ptr<PxBitmap> bitmap);
// Removes and destroys the entry holding this bitmap; false when none does.
bool Release(PxBitmap* bitmap);

}  // namespace ImageCache
