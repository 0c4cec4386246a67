#include "raster/ImageCache.h"

#include <mutex>
#include <vector>

namespace {

struct Entry {
  int id;
  std::unique_ptr<PxBitmap> bitmap;
};

struct Store {
  std::mutex lock;
  std::vector<Entry> entries;
};

Store& TheStore() {
  static Store store;
  return store;
}

}  // namespace

namespace ImageCache {

PxBitmap* Find(int id) {
  Store& store = TheStore();
  std::lock_guard<std::mutex> guard(store.lock);
  for (const Entry& entry : store.entries)
    if (entry.id == id) return entry.bitmap.get();
  return nullptr;
}

PxBitmap* Add(int id, std::unique_ptr<PxBitmap> bitmap) {
  if (!bitmap) return nullptr;
  Store& store = TheStore();
  std::lock_guard<std::mutex> guard(store.lock);
  if (id >= 0)
    for (const Entry& entry : store.entries)
      if (entry.id == id) return entry.bitmap.get();
  store.entries.push_back({id, std::move(bitmap)});
  return store.entries.back().bitmap.get();
}

PxBitmap* Retain(std::unique_ptr<PxBitmap> bitmap) { return Add(-1, std::move(bitmap)); }

bool Release(PxBitmap* bitmap) {
  Store& store = TheStore();
  std::lock_guard<std::mutex> guard(store.lock);
  for (auto it = store.entries.begin(); it != store.entries.end(); ++it) {
    if (it->bitmap.get() == bitmap) {
      store.entries.erase(it);
      return true;
    }
  }
  return false;
}

}  // namespace ImageCache
