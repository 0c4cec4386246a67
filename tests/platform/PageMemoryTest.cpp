// Ranges taken in one piece: zeroed, apart, and given back one by one without
// disturbing the others.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>

#include "platform/PageMemory.h"

namespace {

TEST(PageMemory, RangesComeZeroedAndGoBackOneByOne) {
  constexpr int kCount = 5;
  constexpr std::size_t kBytes = 10000;  // not a whole number of pages
  void* ranges[kCount] = {};
  ASSERT_TRUE(AllocatePageRanges(kBytes, kCount, ranges));
  for (int i = 0; i < kCount; ++i) {
    const auto* bytes = static_cast<const unsigned char*>(ranges[i]);
    for (std::size_t b = 0; b < kBytes; ++b) ASSERT_EQ(bytes[b], 0) << i << " " << b;
    std::memset(ranges[i], 0x40 + i, kBytes);
  }
  FreePages(ranges[1], kBytes);
  FreePages(ranges[3], kBytes);
  for (int i : {0, 2, 4}) {
    const auto* bytes = static_cast<const unsigned char*>(ranges[i]);
    EXPECT_EQ(bytes[0], 0x40 + i);
    EXPECT_EQ(bytes[kBytes - 1], 0x40 + i);
  }
  for (int i : {0, 2, 4}) FreePages(ranges[i], kBytes);

  // Nothing asked, nothing taken; more than the address space holds is refused.
  EXPECT_TRUE(AllocatePageRanges(kBytes, 0, ranges));
  EXPECT_FALSE(AllocatePageRanges(SIZE_MAX / 2, 4, ranges));
}

}  // namespace
