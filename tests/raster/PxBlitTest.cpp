// The bitmap layer's arithmetic and geometry: blending of blits and fills,
// clipping, lines and shapes, and the allocation rules of both bitmap kinds.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>

#include "raster/PxBlit.h"
#include "raster/PxMemBitmap.h"
#include "raster/PxSysBitmap.h"

namespace {

void FillAll(PxMemBitmap& b, std::uint32_t colour) {
  for (int y = 0; y < b.Height(); ++y)
    for (int x = 0; x < b.Width(); ++x) b.Row(y)[x] = colour;
}

std::uint32_t BlitOne(std::uint32_t s, std::uint32_t d, double weight, std::uint32_t mode) {
  PxMemBitmap src(1, 1), dst(1, 1);
  FillAll(src, s);
  FillAll(dst, d);
  PxBlit(dst, src, 0, 0, 0, 0, 1, 1, weight, mode);
  return dst.Row(0)[0];
}

std::uint32_t FillOne(std::uint32_t c, std::uint32_t d, double weight, std::uint32_t mode) {
  PxMemBitmap dst(1, 1);
  FillAll(dst, d);
  PxFillRect(dst, 0, 0, 1, 1, c, weight, mode);
  return dst.Row(0)[0];
}

TEST(PxBlit, CopyWithSourceAlpha) {
  // Opaque at weight 1: copied exactly.
  EXPECT_EQ(BlitOne(0xFF123456u, 0xFFABCDEFu, 1.0, kPxAlpha), 0xFF123456u);
  // Alpha 0 leaves the destination, at any weight.
  EXPECT_EQ(BlitOne(0x00FFFFFFu, 0x80405060u, 1.0, kPxAlpha), 0x80405060u);
  // Alpha 127 at weight 1: k = 128. Red: 255 + (0 - 255) x 128 / 256 truncates
  // toward 0 to 255 - 127; blue: 0 + 255 x 128 / 256 = 127.
  EXPECT_EQ(BlitOne(0x7FFF0000u, 0xFF0000FFu, 1.0, kPxAlpha), 0xBF80007Fu);
  // Weight 0.5, opaque: k = 128 x 256 / 256 = 128.
  EXPECT_EQ(BlitOne(0xFF000000u, 0xFFFFFFFFu, 0.5, kPxAlpha), 0xFF7F7F7Fu);
  // Weight 0.25: k = 64; 0 + 255 x 192 / 256 = 191.
  EXPECT_EQ(BlitOne(0xFF000000u, 0xFFFFFFFFu, 0.25, kPxAlpha), 0xFFBFBFBFu);
  EXPECT_EQ(BlitOne(0xFFFFFFFFu, 0xFF000000u, 0.25, kPxAlpha), 0xFF404040u);
  // Weight 0.3: w = 76, k = 76; 200 + (10 - 200) x 180 / 256 = 67.
  EXPECT_EQ(BlitOne(0xFFC8C8C8u, 0xFF0A0A0Au, 0.3, kPxAlpha) & 0xFF, 67u);
  EXPECT_EQ(BlitOne(0xFF123456u, 0xFFABCDEFu, 0.0, kPxAlpha), 0xFFABCDEFu);
}

TEST(PxBlit, PlainCopyMixesEveryChannel) {
  EXPECT_EQ(BlitOne(0x00123456u, 0xFFABCDEFu, 1.0, kPxCopy), 0x00123456u);  // alpha too
  EXPECT_EQ(BlitOne(0x80FF0000u, 0x0000FF00u, 0.5, kPxCopy), 0x407F7F00u);
  // Weight 0.75: w = 192; 0 + 255 x 64 / 256 = 63 in every channel.
  EXPECT_EQ(BlitOne(0x00000000u, 0xFFFFFFFFu, 0.75, kPxCopy), 0x3F3F3F3Fu);
}

TEST(PxBlit, FillsUseTheColoursAlphaAndExactFractions) {
  EXPECT_EQ(FillOne(0x00FFFFFFu, 0xFF102030u, 1.0, kPxAlpha), 0xFF102030u);
  EXPECT_EQ(FillOne(0xFF808080u, 0xFF102030u, 1.0, kPxAlpha), 0xFF808080u);
  EXPECT_EQ(FillOne(0xFFFFFFFFu, 0xFF000000u, 0.5, kPxCopy) & 0xFFFFFF, 0x7F7F7Fu);
  EXPECT_EQ(FillOne(0xFFFFFFFFu, 0xFF000000u, 0.25, kPxCopy) & 0xFFFFFF, 0x3F3F3Fu);
  EXPECT_EQ(FillOne(0xFFFFFFFFu, 0xFF000000u, 0.75, kPxCopy) & 0xFFFFFF, 0xBEBEBEu);
  // Half the colour's alpha halves the weight.
  EXPECT_EQ(FillOne(0x80FFFFFFu, 0xFF000000u, 1.0, kPxAlpha) & 0xFF, 0x7Fu);
}

TEST(PxBlit, BlitsClipAtEveryEdgeAndMoveTheSource) {
  PxMemBitmap src(4, 4);
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 4; ++x) src.Row(y)[x] = 0xFF000000u | (y << 4 | x);
  PxMemBitmap dst(6, 6);
  FillAll(dst, 0);
  PxBlit(dst, src, -2, -1, 0, 0, 4, 4, 1.0, kPxCopy);  // off the top-left
  EXPECT_EQ(dst.Row(0)[0], 0xFF000012u);
  EXPECT_EQ(dst.Row(2)[1], 0xFF000033u);
  EXPECT_EQ(dst.Row(3)[0], 0u);
  PxBlit(dst, src, 4, 4, 0, 0, 4, 4, 1.0, kPxCopy);  // off the bottom-right
  EXPECT_EQ(dst.Row(5)[5], 0xFF000011u);
  PxBlit(dst, src, 2, 0, -1, 2, 3, 5, 1.0, kPxCopy);  // a source rectangle outside its bitmap
  EXPECT_EQ(dst.Row(0)[3], 0xFF000020u);
  EXPECT_EQ(dst.Row(1)[4], 0xFF000031u);
  EXPECT_EQ(dst.Row(2)[3], 0u);
  PxBlit(dst, src, 10, 10, 0, 0, 4, 4, 1.0, kPxCopy);  // nothing left: no write anywhere
}

TEST(PxBlit, LinesDrawBothEndsAndClipToTheBitmap) {
  PxMemBitmap b(10, 10);
  FillAll(b, 0);
  PxLine(b, 1, 1, 8, 4, 0xFFFFFFFFu, 1.0, kPxCopy, false);
  EXPECT_EQ(b.Row(1)[1], 0xFFFFFFFFu);
  EXPECT_EQ(b.Row(4)[8], 0xFFFFFFFFu);
  int lit = 0;
  for (int y = 0; y < 10; ++y)
    for (int x = 0; x < 10; ++x) lit += b.Row(y)[x] != 0;
  EXPECT_EQ(lit, 8);  // one pixel per column

  PxMemBitmap c(10, 10);
  FillAll(c, 0);
  PxLine(c, -100, 5, 100, 5, 0xFF00FF00u, 1.0, kPxCopy, false);  // far outside both ways
  for (int x = 0; x < 10; ++x) EXPECT_EQ(c.Row(5)[x], 0xFF00FF00u);
  PxLine(c, -10, -10, 20, 20, 0xFF0000FFu, 1.0, kPxCopy, false);
  EXPECT_EQ(c.Row(0)[0], 0xFF0000FFu);
  EXPECT_EQ(c.Row(9)[9], 0xFF0000FFu);
  PxLine(c, 20, 0, 30, 9, 0xFFFFFFFFu, 1.0, kPxCopy, false);  // misses the bitmap
  PxLine(c, 2, 8, 7, 8, 0x80FFFFFFu, 1.0, kPxCopy, true);     // antialiased, on a row
  EXPECT_EQ(c.Row(8)[4], 0x80FFFFFFu);

  PxMemBitmap d(10, 10);
  FillAll(d, 0);
  PxHorizontalLine(d, 1, 9, 5, 50);  // past the right edge: stops at the last column
  EXPECT_EQ(d.Row(9)[5], 1u);
  EXPECT_EQ(d.Row(9)[9], 1u);
  EXPECT_EQ(d.Row(9)[4], 0u);
  PxVerticalLine(d, 2, -3, 8, 2);  // upper end below the lower: nothing
  EXPECT_EQ(d.Row(8)[0], 0u);
  PxVerticalLine(d, 2, -3, -4, 3);  // x and both ends clamped, inclusive
  for (int y = 0; y <= 3; ++y) EXPECT_EQ(d.Row(y)[0], 2u);
  EXPECT_EQ(d.Row(4)[0], 0u);
}

TEST(PxBlit, ShapesScalingAndRotation) {
  PxMemBitmap b(21, 21);
  FillAll(b, 0);
  PxCircle(b, 10, 10, 8, 0xFFFFFFFFu, 1.0, kPxCopy, false);
  EXPECT_EQ(b.Row(2)[10], 0xFFFFFFFFu);
  EXPECT_EQ(b.Row(10)[18], 0xFFFFFFFFu);
  EXPECT_EQ(b.Row(10)[10], 0u);
  PxFillTriangle(b, 0, 20, 20, 20, 10, 12, 0xFF00FF00u, 1.0, kPxCopy);
  EXPECT_EQ(b.Row(19)[10], 0xFF00FF00u);
  EXPECT_EQ(b.Row(11)[10], 0u);
  PxArc(b, 10, 10, 5, 0, 90, 0xFF0000FFu, 1.0, kPxCopy, false);  // noon to three o'clock
  EXPECT_EQ(b.Row(5)[10], 0xFF0000FFu);
  EXPECT_EQ(b.Row(10)[15], 0xFF0000FFu);
  EXPECT_NE(b.Row(15)[10], 0xFF0000FFu);

  PxMemBitmap src(2, 2);
  src.Row(0)[0] = 1;
  src.Row(0)[1] = 2;
  src.Row(1)[0] = 3;
  src.Row(1)[1] = 4;
  PxMemBitmap big(4, 4);
  FillAll(big, 0);
  PxScaledBlit(big, src, 0, 0, 4, 4, 0, 0, 2, 2, 1.0, kPxCopy);
  EXPECT_EQ(big.Row(0)[0], 1u);
  EXPECT_EQ(big.Row(1)[3], 2u);
  EXPECT_EQ(big.Row(3)[0], 3u);
  PxMemBitmap turned(2, 2);
  FillAll(turned, 0);
  PxRotatedBlit(turned, src, 0, 0, 2, 2, 0, 0, 2, 2, std::acos(-1.0) / 2, true, 1.0, kPxCopy, 0, 0);
  // A quarter turn clockwise: the top row becomes the right column.
  EXPECT_EQ(turned.Row(0)[1], 1u);
  EXPECT_EQ(turned.Row(1)[1], 2u);
  EXPECT_EQ(turned.Row(0)[0], 3u);
  PxMemBitmap same(2, 2);
  FillAll(same, 0);
  PxRotatedBlit(same, src, 0, 0, 2, 2, 0, 0, 2, 2, 0.0, true, 1.0, kPxCopy, 0, 0);
  EXPECT_EQ(same.Row(1)[0], 3u);
}

TEST(PxBitmaps, AllocationRules) {
  PxMemBitmap m(5, 3);
  EXPECT_EQ(m.RowSpan(), 8);
  EXPECT_EQ(reinterpret_cast<std::uintptr_t>(m.Pixels()) % 64, 0u);
  EXPECT_EQ(m.AllocatedBytes(), 8u * 3 * 4 * 5 / 4);  // grown to 5/4 of the need
  EXPECT_FALSE(m.Resize(5, 3));
  std::uint32_t* before = m.Pixels();
  EXPECT_TRUE(m.Resize(2, 2));  // shrinking keeps the buffer
  EXPECT_EQ(m.Pixels(), before);
  EXPECT_TRUE(m.Resize(0, 7));
  EXPECT_EQ(m.Pixels(), nullptr);
  EXPECT_EQ(m.Width(), 0);
  PxMemBitmap unaligned(5, 1, 1);
  EXPECT_EQ(unaligned.RowSpan(), 5);

  PxSysBitmap s;
  EXPECT_TRUE(s.Resize(10, 10));
  EXPECT_EQ(s.RowSpan(), 12);
  std::uint32_t* pixels = s.Pixels();
  EXPECT_TRUE(s.Resize(9, 5));  // inside the allocation: only the size changes
  EXPECT_EQ(s.Pixels(), pixels);
  EXPECT_EQ(s.RowSpan(), 12);
  EXPECT_FALSE(s.Resize(9, 5));
  EXPECT_TRUE(s.Resize(13, 5));
  EXPECT_EQ(s.AllocatedWidth(), 16);
  EXPECT_TRUE(s.Resize(0, 0));
  EXPECT_EQ(s.Pixels(), nullptr);
}

}  // namespace
