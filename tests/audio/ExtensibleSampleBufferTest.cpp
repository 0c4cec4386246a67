#include <gtest/gtest.h>
#include <sys/resource.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "audio/ExtensibleSampleBuffer.h"

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
  ASSERT_NE(buffer.Pool(), nullptr);
  EXPECT_EQ(buffer.Pool()->allocatedCount, 1);
  EXPECT_TRUE(buffer.OwnsPool());

  const double one = 1.0;
  EXPECT_TRUE(buffer.Append(0, &one));
  EXPECT_TRUE(buffer.Append(-3, &one));
  EXPECT_EQ(buffer.length, 0);
  EXPECT_EQ(buffer.capacity, 1024);
  EXPECT_EQ(buffer.At(0), 0.0);
}

TEST(ExtensibleSampleBuffer, AppendAcrossBlocks) {
  Buffer buffer;
  const std::vector<double> samples = Ramp(1025, 1.0);
  ASSERT_TRUE(buffer.Append(1025, samples.data()));
  EXPECT_EQ(buffer.BlockCount(), 2);
  EXPECT_EQ(buffer.capacity, 2048);
  EXPECT_EQ(buffer.capacityDouble, 2048.0);
  EXPECT_EQ(buffer.length, 1025);
  EXPECT_EQ(buffer.lengthDouble, 1025.0);
  EXPECT_EQ(&buffer.At(1024), &buffer.BlockAt(1)->samples[0]);
  EXPECT_EQ(buffer.At(1023), samples[1023]);
  EXPECT_EQ(buffer.At(1024), samples[1024]);
  EXPECT_EQ(buffer.At(1025), 0.0);  // unwritten slots are zero
  EXPECT_EQ(buffer.At(2047), 0.0);
}

TEST(ExtensibleSampleBuffer, OddPiecesReadBackExactly) {
  Buffer buffer;
  std::vector<double> all;
  // Every odd size up to 2999: the pieces start and end at every kind of offset.
  for (int piece = 1; piece <= 3000; piece += 2) {
    const std::vector<double> samples = Ramp(piece, static_cast<double>(all.size()));
    ASSERT_TRUE(buffer.Append(piece, samples.data()));
    all.insert(all.end(), samples.begin(), samples.end());
  }
  ASSERT_EQ(buffer.length, static_cast<int>(all.size()));
  EXPECT_EQ(buffer.lengthDouble, static_cast<double>(all.size()));
  for (std::size_t i = 0; i < all.size(); ++i)
    ASSERT_EQ(buffer.At(static_cast<int>(i)), all[i]) << i;
  EXPECT_EQ(buffer.capacity, buffer.BlockCount() * 1024);
  EXPECT_EQ(buffer.BlockCount(), (buffer.length + 1023) / 1024);
}

TEST(ExtensibleSampleBuffer, GrowingMovesNoSampleAndIndexGrowsByEight) {
  Buffer buffer;
  const std::vector<double> start = Ramp(2000);
  ASSERT_TRUE(buffer.Append(2000, start.data()));
  const double* first = &buffer.At(0);
  const double* middle = &buffer.At(1500);

  int lastIndexCapacity = buffer.IndexCapacity();
  const std::vector<double> piece = Ramp(1000, 5000.0);
  while (buffer.length < 100000) {
    ASSERT_TRUE(buffer.Append(1000, piece.data()));
    if (buffer.IndexCapacity() != lastIndexCapacity) {
      // Grown only when full, to eight past what it had to hold.
      EXPECT_EQ(buffer.IndexCapacity(), lastIndexCapacity + 1 + 8);
      lastIndexCapacity = buffer.IndexCapacity();
    }
    ASSERT_LE(buffer.BlockCount(), buffer.IndexCapacity());
  }
  EXPECT_GT(lastIndexCapacity, 24);
  EXPECT_EQ(&buffer.At(0), first);
  EXPECT_EQ(&buffer.At(1500), middle);
  EXPECT_EQ(buffer.At(1500), start[1500]);
  EXPECT_EQ(buffer.At(buffer.length - 1), piece[999]);
}

TEST(ExtensibleSampleBuffer, ClearThenReloadReusesBlocksInTheOrderGivenBack) {
  Buffer buffer;
  const std::vector<double> samples = Ramp(4000);
  ASSERT_TRUE(buffer.Append(4000, samples.data()));
  ASSERT_EQ(buffer.BlockCount(), 4);
  std::vector<const SampleBlock<double>*> held;
  for (int k = 0; k < 4; ++k) held.push_back(buffer.BlockAt(k));
  const int allocated = buffer.Pool()->allocatedCount;

  buffer.Clear();
  EXPECT_EQ(buffer.BlockCount(), 0);
  EXPECT_EQ(buffer.capacity, 0);
  EXPECT_EQ(buffer.capacityDouble, 0.0);
  EXPECT_EQ(buffer.length, 0);
  EXPECT_EQ(buffer.lengthDouble, 0.0);
  EXPECT_EQ(buffer.Pool()->freeCount, 4);
  EXPECT_EQ(buffer.Pool()->first, held[0]);
  EXPECT_EQ(buffer.Pool()->last, held[3]);

  const std::vector<double> reload = Ramp(3000, 9.0);
  ASSERT_TRUE(buffer.Append(3000, reload.data()));
  EXPECT_EQ(buffer.Pool()->allocatedCount, allocated);
  EXPECT_EQ(buffer.Pool()->freeCount, 1);
  EXPECT_EQ(buffer.Pool()->first, held[3]);
  for (int k = 0; k < 3; ++k) EXPECT_EQ(buffer.BlockAt(k), held[k]) << k;
  EXPECT_EQ(buffer.At(1023), reload[1023]);
  EXPECT_EQ(buffer.At(2999), reload[2999]);
  EXPECT_EQ(buffer.At(3000), 0.0);  // reused blocks are zeroed again

  // Needing more than the pool holds takes only the difference from the heap.
  buffer.Clear();
  const std::vector<double> longer = Ramp(6000);
  ASSERT_TRUE(buffer.Append(6000, longer.data()));
  EXPECT_EQ(buffer.Pool()->allocatedCount, allocated + 2);
  EXPECT_EQ(buffer.Pool()->freeCount, 0);
}

// A long growth, as a file load asks for, takes its blocks from one slab of
// pages: consecutive blocks, one growth of the index, zeroed samples; they go
// back to the queue and are used again like heap blocks, and only the part the
// queue cannot give is mapped anew.
TEST(ExtensibleSampleBuffer, LongGrowthTakesOneSlab) {
  Buffer buffer;
  const int blocks = Buffer::kSlabBlocks + 44;
  ASSERT_TRUE(buffer.EnsureCapacity(blocks * 1024));
  ASSERT_EQ(buffer.BlockCount(), blocks);
  EXPECT_EQ(buffer.Pool()->allocatedCount, blocks);  // the first block, then blocks - 1 in the slab
  for (int k = 2; k < blocks; ++k) ASSERT_EQ(buffer.BlockAt(k), buffer.BlockAt(k - 1) + 1) << k;
  EXPECT_GE(buffer.IndexCapacity(), blocks);
  EXPECT_LE(buffer.IndexCapacity(), blocks + 8);
  EXPECT_EQ(buffer.At(blocks * 1024 - 1), 0.0);
  EXPECT_EQ(buffer.Pool()->freeCount, 0);

  const std::vector<double> samples = Ramp(5000, 2.0);
  ASSERT_TRUE(buffer.Append(5000, samples.data()));
  EXPECT_EQ(buffer.At(4999), samples[4999]);
  const SampleBlock<double>* slabBlock = buffer.BlockAt(1);
  buffer.Clear();
  EXPECT_EQ(buffer.Pool()->freeCount, blocks);

  // Again, and 300 blocks beyond: the queue first, a slab for the rest.
  ASSERT_TRUE(buffer.EnsureCapacity((blocks + 300) * 1024));
  EXPECT_EQ(buffer.BlockAt(1), slabBlock);
  EXPECT_EQ(buffer.Pool()->allocatedCount, blocks + 300);
  EXPECT_EQ(buffer.Pool()->freeCount, 0);
  EXPECT_EQ(buffer.BlockAt(blocks + 1), buffer.BlockAt(blocks) + 1);
  EXPECT_EQ(buffer.At(4999), 0.0);  // zeroed again
  buffer.At((blocks + 300) * 1024 - 1) = 7.0;
  EXPECT_EQ(buffer.At((blocks + 300) * 1024 - 1), 7.0);
}

TEST(ExtensibleSampleBuffer, RequestsBeyondTheIntRangeFailWithoutChange) {
  Buffer buffer;
  const std::vector<double> samples = Ramp(100);
  ASSERT_TRUE(buffer.Append(100, samples.data()));
  EXPECT_FALSE(buffer.EnsureCapacity(Buffer::kMaxCapacity + 1));
  EXPECT_FALSE(buffer.EnsureCapacity(INT32_MAX));
  EXPECT_FALSE(buffer.Append(INT32_MAX - 50, samples.data()));
  EXPECT_FALSE(buffer.Append(5, nullptr));
  EXPECT_EQ(buffer.length, 100);
  EXPECT_EQ(buffer.capacity, 1024);
  EXPECT_EQ(buffer.BlockCount(), 1);
  EXPECT_EQ(buffer.At(99), samples[99]);
}

// Runs in a child process with its address space capped just above what it
// uses, so real allocations fail. Exit code 0 when every check held.
int AppendUntilMemoryRunsOut() {
  Buffer buffer;
  const std::vector<double> piece = Ramp(1000, 1.0);
  long pages = 0;
  FILE* statm = std::fopen("/proc/self/statm", "r");
  if (statm == nullptr || std::fscanf(statm, "%ld", &pages) != 1) return 10;
  std::fclose(statm);
  const rlim_t limit = static_cast<rlim_t>(pages) * sysconf(_SC_PAGESIZE) + (32u << 20);
  const rlimit cap = {limit, limit};
  if (setrlimit(RLIMIT_AS, &cap) != 0) return 11;

  int appended = 0;
  while (buffer.Append(1000, piece.data())) {
    appended += 1000;
    if (appended > 16000000) return 12;  // the cap had no effect
  }
  if (appended == 0) return 13;
  // The failed append left length alone and wrote nothing past it.
  if (buffer.length != appended || buffer.capacity < buffer.length) return 14;
  if (buffer.capacity != buffer.BlockCount() * 1024) return 15;
  if (buffer.BlockCount() > buffer.IndexCapacity()) return 20;
  for (int i = 0; i < buffer.length; ++i)
    if (buffer.At(i) != piece[i % 1000]) return 16;
  for (int i = buffer.length; i < buffer.capacity; ++i)
    if (buffer.At(i) != 0.0) return 17;
  // Still under the cap, a cleared buffer reloads from its pool alone.
  const int allocated = buffer.Pool()->allocatedCount;
  buffer.Clear();
  for (int done = 0; done < appended; done += 1000)
    if (!buffer.Append(1000, piece.data())) return 18;
  if (buffer.Pool()->allocatedCount != allocated) return 19;
  return 0;
}

TEST(ExtensibleSampleBufferDeathTest, AllocationFailureIsReportedAndLeavesTheBufferSound) {
#if defined(__SANITIZE_ADDRESS__)
  GTEST_SKIP() << "the address sanitizer reserves more address space than the cap allows";
#endif
  EXPECT_EXIT(std::_Exit(AppendUntilMemoryRunsOut()), testing::ExitedWithCode(0), "");
}

}  // namespace
