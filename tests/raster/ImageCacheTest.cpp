// The process-wide image cache: one bitmap per id whoever adds it first,
// derived bitmaps kept apart, release destroying exactly its entry, and all of
// it from several threads at once.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "raster/ImageCache.h"
#include "raster/PxMemBitmap.h"

namespace {

std::atomic<int> destroyed{0};

class CountedBitmap : public PxMemBitmap {
 public:
  CountedBitmap() : PxMemBitmap(1, 1) {}
  ~CountedBitmap() override { ++destroyed; }
};

TEST(ImageCache, OneBitmapPerIdAndReleaseDestroysItsEntry) {
  destroyed = 0;
  EXPECT_EQ(ImageCache::Find(9001), nullptr);
  EXPECT_EQ(ImageCache::Add(9001, nullptr), nullptr);
  PxBitmap* first = ImageCache::Add(9001, std::make_unique<CountedBitmap>());
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(ImageCache::Find(9001), first);
  EXPECT_EQ(ImageCache::Add(9001, std::make_unique<CountedBitmap>()), first);
  EXPECT_EQ(destroyed, 1);  // the second one was not kept

  PxBitmap* a = ImageCache::Retain(std::make_unique<CountedBitmap>());
  PxBitmap* b = ImageCache::Retain(std::make_unique<CountedBitmap>());
  EXPECT_NE(a, b);
  EXPECT_NE(ImageCache::Find(-1), nullptr);
  EXPECT_TRUE(ImageCache::Release(a));
  EXPECT_EQ(destroyed, 2);
  EXPECT_FALSE(ImageCache::Release(a));
  EXPECT_EQ(ImageCache::Find(9001), first);
  EXPECT_TRUE(ImageCache::Release(b));
  EXPECT_TRUE(ImageCache::Release(first));
  EXPECT_EQ(ImageCache::Find(9001), nullptr);
  EXPECT_EQ(destroyed, 4);
  EXPECT_FALSE(ImageCache::Release(nullptr));
}

TEST(ImageCache, ThreadsAgreeOnTheBitmapOfAnId) {
  destroyed = 0;
  constexpr int kThreads = 4, kRounds = 300;
  std::vector<std::thread> threads;
  std::vector<PxBitmap*> seen(kThreads);
  for (int t = 0; t < kThreads; ++t)
    threads.emplace_back([t, &seen] {
      for (int k = 0; k < kRounds; ++k) {
        PxBitmap* derived = ImageCache::Retain(std::make_unique<CountedBitmap>());
        PxBitmap* shared = ImageCache::Add(9002, std::make_unique<CountedBitmap>());
        if (ImageCache::Find(9002) != shared || !ImageCache::Release(derived)) return;
        seen[t] = shared;
      }
    });
  for (std::thread& thread : threads) thread.join();
  for (PxBitmap* bitmap : seen) EXPECT_EQ(bitmap, seen[0]);
  ASSERT_NE(seen[0], nullptr);
  // Every bitmap but the one kept under the id is gone.
  EXPECT_EQ(destroyed, 2 * kThreads * kRounds - 1);
  EXPECT_TRUE(ImageCache::Release(seen[0]));
}

}  // namespace
