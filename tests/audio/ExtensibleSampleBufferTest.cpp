#include "audio/ExtensibleSampleBuffer.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

using Buffer = ExtensibleSampleBuffer<double>;

std::vector<double> Ramp(int n, double start = 0) {
  std::vector<double> v(n);
  for (int i = 0; i < n; ++i) v[i] = start + i * 0.5;
  return v;
}

TEST(ExtensibleSampleBuffer, NewBufferHoldsOneZeroedBlock) {
  Buffer buffer;
  EXPECT_EQ(buffer.capacity, 1024);
  EXPECT_EQ(buffer.capacityDouble, 1024.0);
  EXPECT_EQ(buffer.length, 0);
  EXPECT_EQ(buffer.BlockCount(), 1);
  EXPECT_EQ(buffer.IndexCapacity(), 24);
  EXPECT_EQ(buffer.At(0), 0.0);
  EXPECT_EQ(buffer.At(1023), 0.0);
  EXPECT_EQ(buffer.pool->allocatedCount, 1);
  EXPECT_TRUE(buffer.ownsPool);

  const double one = 1.0;
  EXPECT_TRUE(buffer.Append(0, &one));
  EXPECT_TRUE(buffer.Append(-3, &one));
  EXPECT_EQ(buffer.length, 0);
  EXPECT_EQ(buffer.capacity, 1024);
}

TEST(ExtensibleSampleBuffer, AppendAcrossBlocks) {
  Buffer buffer;
  const std::vector<double> samples = Ramp(1025, 1.0);
  ASSERT_TRUE(buffer.Append(1025, samples.data()));
  EXPECT_EQ(buffer.BlockCount(), 2);
  EXPECT_EQ(buffer.capacity, 2048);
  EXPECT_EQ(buffer.length, 1025);
  EXPECT_EQ(buffer.lengthDouble, 1025.0);
  EXPECT_EQ(&buffer.At(1024), &buffer.BlockAt(1)->samples[0]);
  EXPECT_EQ(buffer.At(1024), samples[1024]);
  EXPECT_EQ(buffer.At(1025), 0.0);  // unwritten slots are zero
}

TEST(ExtensibleSampleBuffer, OddPiecesReadBackAndSamplesNeverMove) {
  Buffer buffer;
  std::vector<double> all;
  for (int piece = 1; all.size() < 20000; piece = piece * 7 % 3001 + 1) {
    const std::vector<double> samples = Ramp(piece, static_cast<double>(all.size()));
    ASSERT_TRUE(buffer.Append(piece, samples.data()));
    all.insert(all.end(), samples.begin(), samples.end());
  }
  const double* first = &buffer.At(0);
  const double* middle = &buffer.At(1500);
  const std::vector<double> more(100000, 0.25);
  ASSERT_TRUE(buffer.Append(100000, more.data()));
  EXPECT_EQ(&buffer.At(0), first);
  EXPECT_EQ(&buffer.At(1500), middle);
  ASSERT_EQ(buffer.length, static_cast<int>(all.size()) + 100000);
  for (std::size_t i = 0; i < all.size(); ++i) ASSERT_EQ(buffer.At(static_cast<int>(i)), all[i]) << i;
  EXPECT_EQ(buffer.At(buffer.length - 1), 0.25);
  EXPECT_EQ(buffer.capacity, buffer.BlockCount() * 1024);
  // The index grows to eight entries past what it must hold, only when full.
  EXPECT_GE(buffer.IndexCapacity(), buffer.BlockCount());
  EXPECT_LE(buffer.IndexCapacity(), buffer.BlockCount() + 8);
}

TEST(ExtensibleSampleBuffer, ClearThenReloadReusesBlocksOldestFirst) {
  Buffer buffer;
  const std::vector<double> samples = Ramp(4000);
  ASSERT_TRUE(buffer.Append(4000, samples.data()));
  ASSERT_EQ(buffer.BlockCount(), 4);
  std::vector<const SampleBlock<double>*> held;
  for (int k = 0; k < 4; ++k) held.push_back(buffer.BlockAt(k));
  const int allocated = buffer.pool->allocatedCount;

  buffer.Clear();
  EXPECT_EQ(buffer.BlockCount(), 0);
  EXPECT_EQ(buffer.capacity, 0);
  EXPECT_EQ(buffer.length, 0);
  EXPECT_EQ(buffer.pool->freeCount, 4);

  const std::vector<double> reload = Ramp(3000, 9.0);
  ASSERT_TRUE(buffer.Append(3000, reload.data()));
  EXPECT_EQ(buffer.pool->allocatedCount, allocated);
  EXPECT_EQ(buffer.pool->freeCount, 1);
  for (int k = 0; k < 3; ++k) EXPECT_EQ(buffer.BlockAt(k), held[k]) << k;
  EXPECT_EQ(buffer.At(2999), reload[2999]);
  EXPECT_EQ(buffer.At(3000), 0.0);  // reused blocks are zeroed again
  EXPECT_EQ(buffer.At(1023), reload[1023]);
}

TEST(SampleBlockPool, FirstInFirstOut) {
  SampleBlockPool<double> pool;
  SampleBlock<double>* a = pool.Acquire();
  SampleBlock<double>* b = pool.Acquire();
  ASSERT_NE(a, nullptr);
  ASSERT_NE(b, nullptr);
  EXPECT_EQ(pool.allocatedCount, 2);
  pool.GiveBack(b);
  pool.GiveBack(a);
  EXPECT_EQ(pool.freeCount, 2);
  EXPECT_EQ(pool.Acquire(), b);
  EXPECT_EQ(pool.Acquire(), a);
  EXPECT_EQ(pool.first, nullptr);
  EXPECT_EQ(pool.last, nullptr);
  pool.GiveBack(a);
  delete b;
}

}  // namespace
