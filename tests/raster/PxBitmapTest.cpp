// Both bitmap kinds' allocation rules: alignment, growth, shrinking in place,
// freeing at zero, and failure to 0 x 0 for sizes no buffer can hold.
#include <gtest/gtest.h>

#include <climits>
#include <cstdint>

#include "raster/PxBlit.h"
#include "raster/PxMemBitmap.h"
#include "raster/PxSysBitmap.h"

namespace {

bool Aligned64(const PxBitmap& b) { return reinterpret_cast<std::uintptr_t>(b.Pixels()) % 64 == 0; }

TEST(PxMemBitmap, AlignsGrowsByAQuarterAndShrinksInPlace) {
  PxMemBitmap m(5, 3);
  EXPECT_EQ(m.RowSpan(), 8);
  EXPECT_TRUE(Aligned64(m));
  EXPECT_EQ(m.AllocatedBytes(), 8u * 3 * 4 * 5 / 4);  // 5/4 of the need
  EXPECT_FALSE(m.Resize(5, 3));
  std::uint32_t* before = m.Pixels();
  EXPECT_TRUE(m.Resize(2, 2));  // smaller: the same buffer
  EXPECT_EQ(m.Pixels(), before);
  EXPECT_EQ(m.RowSpan(), 4);
  EXPECT_TRUE(m.Resize(6, 4));  // 128 bytes needed, 120 held: a new buffer
  EXPECT_EQ(m.AllocatedBytes(), 160u);
  EXPECT_TRUE(Aligned64(m));
  m.Row(3)[7] = 1;              // the last word of the span is inside the buffer
  EXPECT_TRUE(m.Resize(0, 7));  // a zero side frees
  EXPECT_EQ(m.Pixels(), nullptr);
  EXPECT_EQ(m.Width(), 0);
  EXPECT_EQ(m.Height(), 0);
  EXPECT_EQ(m.AllocatedBytes(), 0u);
  EXPECT_FALSE(m.Resize(3, 0));  // still 0 x 0

  for (auto [align, span] : {std::pair{1, 5}, {2, 6}, {3, 8}, {8, 8}, {16, 16}}) {
    PxMemBitmap b(5, 1, align);
    EXPECT_EQ(b.RowSpan(), span) << align;
    EXPECT_TRUE(Aligned64(b)) << align;
  }
}

TEST(PxMemBitmap, SizesNoBufferHoldsLeaveItEmpty) {
  PxMemBitmap m(4, 4);
  EXPECT_TRUE(m.Resize(INT_MAX, INT_MAX));
  EXPECT_EQ(m.Width(), 0);
  EXPECT_EQ(m.Pixels(), nullptr);
  EXPECT_FALSE(m.Resize(INT_MAX, 2));        // stays 0 x 0
  EXPECT_FALSE(m.Resize(1 << 24, 1 << 24));  // 4 PiB: beyond any address space
  EXPECT_EQ(m.Pixels(), nullptr);
  EXPECT_TRUE(m.Resize(3, 3));
  EXPECT_NE(m.Pixels(), nullptr);
  EXPECT_TRUE(m.Resize(-1, 5));
  EXPECT_EQ(m.Width(), 0);

  // PxCopy takes the size and the pixels, row by row across spans.
  PxSysBitmap s;
  s.Resize(3, 2);
  for (int i = 0; i < 6; ++i) s.Row(i / 3)[i % 3] = 0xA0000000u + i;
  PxMemBitmap copy(9, 9, 1);
  PxCopy(copy, s);
  EXPECT_EQ(copy.Width(), 3);
  EXPECT_EQ(copy.Height(), 2);
  EXPECT_EQ(copy.Row(1)[0], 0xA0000003u);
  EXPECT_EQ(copy.Row(1)[2], 0xA0000005u);
  PxCopy(copy, copy);
  EXPECT_EQ(copy.Row(1)[2], 0xA0000005u);
}

TEST(PxSysBitmap, ResizesInsideTheAllocationWithoutReallocating) {
  PxSysBitmap s;
  EXPECT_EQ(s.Pixels(), nullptr);
  EXPECT_TRUE(s.Resize(10, 10));
  EXPECT_EQ(s.RowSpan(), 12);
  EXPECT_EQ(s.AllocatedWidth(), 12);
  EXPECT_EQ(s.AllocatedHeight(), 10);
  EXPECT_TRUE(Aligned64(s));
  EXPECT_EQ(s.Row(9)[11], 0u);  // cleared, padding included
  std::uint32_t* pixels = s.Pixels();
  EXPECT_TRUE(s.Resize(12, 5));  // inside: only the size changes
  EXPECT_EQ(s.Pixels(), pixels);
  EXPECT_EQ(s.RowSpan(), 12);
  EXPECT_FALSE(s.Resize(12, 5));
  EXPECT_TRUE(s.Resize(9, 11));  // taller than allocated: a new buffer
  EXPECT_EQ(s.AllocatedHeight(), 11);
  EXPECT_EQ(s.AllocatedWidth(), 12);
  EXPECT_TRUE(s.Resize(13, 5));
  EXPECT_EQ(s.AllocatedWidth(), 16);
  EXPECT_EQ(s.AllocatedHeight(), 5);
  EXPECT_TRUE(s.Resize(0, 5));
  EXPECT_EQ(s.Pixels(), nullptr);
  EXPECT_EQ(s.AllocatedWidth(), 0);
  EXPECT_FALSE(s.Resize(INT_MAX, 3));  // refused: still 0 x 0
  EXPECT_EQ(s.Pixels(), nullptr);
  EXPECT_EQ(s.Width(), 0);
  EXPECT_TRUE(s.Resize(720, 650));
  EXPECT_EQ(s.RowSpan(), 720);
}

}  // namespace
