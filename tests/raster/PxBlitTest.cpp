// Blits and fills: the blending arithmetic against hand-worked values
// (truncation toward zero included), clipping at every edge against a
// pixel-by-pixel reference, overlapping blits, scaling and rotation.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <vector>

#include "raster/PxBlit.h"
#include "raster/PxMemBitmap.h"

namespace {

void FillAll(PxBitmap& b, std::uint32_t colour) {
  for (int y = 0; y < b.Height(); ++y)
    for (int x = 0; x < b.Width(); ++x) b.Row(y)[x] = colour;
}

// A pattern with a different value in every pixel.
void Number(PxBitmap& b, std::uint32_t base) {
  for (int y = 0; y < b.Height(); ++y)
    for (int x = 0; x < b.Width(); ++x) b.Row(y)[x] = base | static_cast<std::uint32_t>(y << 8 | x);
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
  EXPECT_EQ(BlitOne(0xFF123456u, 0xFFABCDEFu, 1.0, kPxAlpha), 0xFF123456u);  // opaque: exact
  EXPECT_EQ(BlitOne(0x00FFFFFFu, 0x80405060u, 1.0, kPxAlpha), 0x80405060u);  // alpha 0: untouched
  EXPECT_EQ(BlitOne(0x00FFFFFFu, 0x80405060u, 0.5, kPxAlpha), 0x80405060u);
  // Alpha 127 at weight 1, k = 128. Red 255 + (0 - 255) x 128 / 256 truncates
  // toward zero to 128 (flooring would give 127); blue 0 + 255 x 128 / 256 = 127.
  EXPECT_EQ(BlitOne(0x7FFF0000u, 0xFF0000FFu, 1.0, kPxAlpha), 0xBF80007Fu);
  // Weight 0.5, opaque: k = 128, both directions of difference.
  EXPECT_EQ(BlitOne(0xFF000000u, 0xFFFFFFFFu, 0.5, kPxAlpha), 0xFF7F7F7Fu);
  EXPECT_EQ(BlitOne(0xFFFFFFFFu, 0xFF000000u, 0.5, kPxAlpha), 0xFF808080u);
  // Weight 0.25: k = 64; 255 - 191.25 truncated is 64.
  EXPECT_EQ(BlitOne(0xFFFFFFFFu, 0xFF000000u, 0.25, kPxAlpha), 0xFF404040u);
  // Weight 0.25, alpha 128: k = 64 x 129 / 256 = 32.
  EXPECT_EQ(BlitOne(0x80FF0000u, 0xFF00FF00u, 0.25, kPxAlpha), 0xEF20DF00u);
  // Weight 0.3: w = 76 = k; 200 + (10 - 200) x 180 / 256 = 67.
  EXPECT_EQ(BlitOne(0xFFC8C8C8u, 0xFF0A0A0Au, 0.3, kPxAlpha), 0xFF434343u);
  // Weight 0.7, alpha 200: w = 179, k = 179 x 201 / 256 = 140, every channel.
  EXPECT_EQ(BlitOne(0xC8643200u, 0x10C0F0FFu, 0.7, kPxAlpha), 0x758D8873u);
  // No weight draws nothing; more than 1 counts as 1.
  EXPECT_EQ(BlitOne(0xFF123456u, 0xFFABCDEFu, 0.0, kPxAlpha), 0xFFABCDEFu);
  EXPECT_EQ(BlitOne(0xFF123456u, 0xFFABCDEFu, std::nan(""), kPxAlpha), 0xFFABCDEFu);
  EXPECT_EQ(BlitOne(0x7FFF0000u, 0xFF0000FFu, 3.0, kPxAlpha), 0xBF80007Fu);
}

TEST(PxBlit, PlainCopyMixesEveryChannel) {
  EXPECT_EQ(BlitOne(0x00123456u, 0xFFABCDEFu, 1.0, kPxCopy), 0x00123456u);  // alpha too
  // Weight 0.5 halves each channel before adding: 0x81 and 0x03 give 0x41.
  EXPECT_EQ(BlitOne(0x81FF0103u, 0x03FF0001u, 0.5, kPxCopy), 0x41FE0001u);
  // Weight 0.75: w = 192; 0 + 255 x 64 / 256 = 63, and 255 - 63 = 192.
  EXPECT_EQ(BlitOne(0x00000000u, 0xFFFFFFFFu, 0.75, kPxCopy), 0x3F3F3F3Fu);
  EXPECT_EQ(BlitOne(0xFFFFFFFFu, 0x00000000u, 0.75, kPxCopy), 0xC0C0C0C0u);
}

TEST(PxBlit, AddAndDodgeSaturate) {
  EXPECT_EQ(BlitOne(0xFF808080u, 0xFF909090u, 1.0, kPxAlpha | kPxAdd), 0xFFFFFFFFu);
  EXPECT_EQ(BlitOne(0xFF101010u, 0x80202020u, 1.0, kPxAlpha | kPxAdd), 0xFF303030u);
  EXPECT_EQ(BlitOne(0x00FFFFFFu, 0x80202020u, 1.0, kPxAlpha | kPxAdd), 0x80202020u);
  EXPECT_EQ(BlitOne(0x40404040u, 0xFF202020u, 0.5, kPxAdd), 0xFF404040u);  // k = w = 128
  // d x 256 / (256 - s): 128 / (1 - 0.5) saturates, 128 / 0.75 = 170.
  EXPECT_EQ(BlitOne(0xFF800040u, 0xFF808080u, 1.0, kPxAlpha | kPxDodge), 0xFFFF80AAu);

  EXPECT_EQ(PxModeFor(BlendSpec(BlendSpec::kNone, 1)), kPxAlpha | kPxCopy);
  EXPECT_EQ(PxModeFor(BlendSpec(BlendSpec::kClobber, 1)), kPxCopy);
  EXPECT_EQ(PxModeFor(BlendSpec(BlendSpec::kAdd, 1)), 0x10001u);
  EXPECT_EQ(PxModeFor(BlendSpec(BlendSpec::kColorDodge, 1)), 0x10002u);
  EXPECT_EQ(PxShapeModeFor(BlendSpec(BlendSpec::kNone, 1)), kPxCopy);
  EXPECT_EQ(PxShapeModeFor(BlendSpec(BlendSpec::kClobber, 1)), kPxCopy);
  EXPECT_EQ(PxShapeModeFor(BlendSpec(BlendSpec::kAdd, 1)), kPxAdd);
  EXPECT_EQ(PxShapeModeFor(BlendSpec(BlendSpec::kColorDodge, 1)), kPxDodge);
}

TEST(PxFill, ColourAlphaScalesTheWeightAndFractionsAreExact) {
  EXPECT_EQ(FillOne(0x00FFFFFFu, 0xFF102030u, 1.0, kPxAlpha), 0xFF102030u);  // alpha 0: nothing
  EXPECT_EQ(FillOne(0xFF808080u, 0xFF102030u, 1.0, kPxAlpha), 0xFF808080u);
  EXPECT_EQ(FillOne(0x00808080u, 0xFF102030u, 1.0, kPxCopy), 0x00808080u);  // no flag: as it is
  EXPECT_EQ(FillOne(0x81FF0103u, 0x03FF0001u, 0.5, kPxCopy), 0x41FE0001u);
  // A quarter of the colour plus half and a quarter of the destination.
  EXPECT_EQ(FillOne(0xFFFFFFFFu, 0x00000000u, 0.25, kPxCopy), 0x3F3F3F3Fu);
  EXPECT_EQ(FillOne(0x00000000u, 0xFFFFFFFFu, 0.25, kPxCopy), 0xBEBEBEBEu);
  EXPECT_EQ(FillOne(0xFFFFFFFFu, 0x00000000u, 0.75, kPxCopy), 0xBEBEBEBEu);
  EXPECT_EQ(FillOne(0x00000000u, 0xFFFFFFFFu, 0.75, kPxCopy), 0x3F3F3F3Fu);
  EXPECT_EQ(FillOne(0xFF204060u, 0xFF808080u, 0.3, kPxCopy), 0xFF636D76u);  // w = 76
  // Alpha 128 makes weight 128 / 255 (w = 128, the halving); alpha 64 makes
  // w = 64, mixed: alpha 64 + 191 x 192 / 256 = 207.
  EXPECT_EQ(FillOne(0x80FFFFFFu, 0xFF000000u, 1.0, kPxAlpha), 0xBF7F7F7Fu);
  EXPECT_EQ(FillOne(0x40FFFFFFu, 0xFF000000u, 1.0, kPxAlpha), 0xCF404040u);

  PxMemBitmap b(4, 3);
  FillAll(b, 0);
  PxFillRect(b, -2, 1, 4, 9, 7, 1.0, kPxCopy);  // off the left and the bottom
  EXPECT_EQ(b.Row(0)[0], 0u);
  EXPECT_EQ(b.Row(1)[1], 7u);
  EXPECT_EQ(b.Row(2)[1], 7u);
  EXPECT_EQ(b.Row(2)[2], 0u);
  PxClearRect(b, 1, -5, 10, 7, 0xFFFFFF00u, 0x30u);  // pixel & mask | bits
  EXPECT_EQ(b.Row(1)[1], 0x30u);
  EXPECT_EQ(b.Row(1)[3], 0x30u);
  EXPECT_EQ(b.Row(1)[0], 7u);
  EXPECT_EQ(b.Row(2)[1], 7u);
}

TEST(PxBlit, WholeRowsMatchPixelByPixel) {
  // Rows long enough for the loops that work on several pixels at once.
  PxMemBitmap src(37, 2), dst(37, 2), fill(37, 1);
  for (int x = 0; x < 37; ++x) {
    const std::uint32_t a = x % 3 == 0 ? 0u : x % 3 == 1 ? 255u : static_cast<std::uint32_t>(x * 7);
    src.Row(0)[x] = src.Row(1)[x] = a << 24 | static_cast<std::uint32_t>(x * 0x0B1D07u & 0xFFFFFF);
  }
  const std::uint32_t modes[] = {kPxAlpha, kPxCopy, kPxAlpha | kPxAdd, kPxDodge};
  for (std::uint32_t mode : modes)
    for (double weight : {1.0, 0.75, 0.5, 0.3}) {
      SCOPED_TRACE(::testing::Message() << mode << " at " << weight);
      for (int x = 0; x < 37; ++x) dst.Row(0)[x] = fill.Row(0)[x] = 0x80F04010u + x * 0x01030507u;
      PxBlit(dst, src, 0, 0, 0, 0, 37, 1, weight, mode);
      PxFillRect(fill, 0, 0, 37, 1, src.Row(0)[5], weight, mode);
      for (int x = 0; x < 37; ++x) {
        const std::uint32_t before = 0x80F04010u + x * 0x01030507u;
        ASSERT_EQ(dst.Row(0)[x], BlitOne(src.Row(0)[x], before, weight, mode)) << x;
        ASSERT_EQ(fill.Row(0)[x], FillOne(src.Row(0)[5], before, weight, mode)) << x;
      }
    }
}

TEST(PxBlit, ClipsAtEveryEdgeLikeAPixelByPixelCopy) {
  PxMemBitmap src(4, 3), dst(5, 4);
  Number(src, 0xFF000000u);
  for (int dx = -5; dx <= 6; ++dx)
    for (int dy = -4; dy <= 5; ++dy)
      for (int sx = -3; sx <= 4; ++sx)
        for (int sy = -3; sy <= 3; ++sy) {
          FillAll(dst, 1);
          const int w = 3, h = 2;
          PxBlit(dst, src, dx, dy, sx, sy, w, h, 1.0, kPxCopy);
          for (int y = 0; y < dst.Height(); ++y)
            for (int x = 0; x < dst.Width(); ++x) {
              const int u = x - dx + sx, v = y - dy + sy;
              const bool copied = x - dx >= 0 && x - dx < w && y - dy >= 0 && y - dy < h &&
                                  u >= 0 && u < src.Width() && v >= 0 && v < src.Height();
              const std::uint32_t expected = copied ? src.Row(v)[u] : 1u;
              ASSERT_EQ(dst.Row(y)[x], expected) << "blit to " << dx << "," << dy << " from " << sx
                                                 << "," << sy << " at " << x << "," << y;
            }
        }
  // Extreme rectangles clip without overflowing.
  const int big = std::numeric_limits<int>::max(), low = std::numeric_limits<int>::min();
  FillAll(dst, 1);
  PxBlit(dst, src, low, low, 0, 0, big, big, 1.0, kPxCopy);
  PxBlit(dst, src, 0, 0, low, low, big, big, 1.0, kPxCopy);
  PxBlit(dst, src, 2, 1, 0, 0, big, big, 1.0, kPxCopy);
  EXPECT_EQ(dst.Row(1)[2], src.Row(0)[0]);
  EXPECT_EQ(dst.Row(3)[4], src.Row(2)[2]);
  EXPECT_EQ(dst.Row(0)[0], 1u);
}

TEST(PxBlit, OverlappingBlitsInOneBitmapReadTheOriginal) {
  for (int shift : {1, -1}) {
    for (bool vertical : {false, true}) {
      PxMemBitmap b(6, 6), original(6, 6);
      Number(b, 0xFF000000u);
      Number(original, 0xFF000000u);
      const int dx = vertical ? 1 : 1 + shift, dy = vertical ? 1 + shift : 1;
      PxBlit(b, b, dx, dy, 1, 1, 4, 4, 1.0, kPxCopy);
      for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x)
          ASSERT_EQ(b.Row(dy + y)[dx + x], original.Row(1 + y)[1 + x])
              << shift << vertical << " " << x << "," << y;
    }
  }
}

TEST(PxScaledBlit, NearestAndBilinear) {
  PxMemBitmap src(2, 2);
  src.Row(0)[0] = 1;
  src.Row(0)[1] = 2;
  src.Row(1)[0] = 3;
  src.Row(1)[1] = 4;
  PxMemBitmap big(4, 4);
  FillAll(big, 0);
  PxScaledBlit(big, src, 0, 0, 4, 4, 0, 0, 2, 2, 1.0, kPxCopy);
  const std::uint32_t doubled[4][4] = {{1, 1, 2, 2}, {1, 1, 2, 2}, {3, 3, 4, 4}, {3, 3, 4, 4}};
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 4; ++x) EXPECT_EQ(big.Row(y)[x], doubled[y][x]) << x << "," << y;
  PxMemBitmap small(1, 1);
  PxScaledBlit(small, big, 0, 0, 1, 1, 0, 0, 4, 4, 1.0, kPxCopy);  // the centre's pixel
  EXPECT_EQ(small.Row(0)[0], 4u);

  PxMemBitmap ramp(2, 1), wide(4, 1);
  ramp.Row(0)[0] = 0;
  ramp.Row(0)[1] = 0xFFFFFFFFu;
  FillAll(wide, 0x12345678u);
  PxScaledBlit(wide, ramp, 0, 0, 4, 1, 0, 0, 2, 1, 1.0, kPxCopy | kPxBilinear);
  // Centres at 0.25, 0.75, 1.25, 1.75 source pixels: edges repeat, the inner
  // two are a quarter and three quarters of the way.
  EXPECT_EQ(wide.Row(0)[0], 0u);
  EXPECT_EQ(wide.Row(0)[1], 0x40404040u);
  EXPECT_EQ(wide.Row(0)[2], 0xBFBFBFBFu);
  EXPECT_EQ(wide.Row(0)[3], 0xFFFFFFFFu);
}

TEST(PxRotatedBlit, QuarterTurnsAndZeroTurn) {
  // a b c / d e f, turned a quarter clockwise: d a / e b / f c.
  PxMemBitmap src(3, 2);
  for (int i = 0; i < 6; ++i) src.Row(i / 3)[i % 3] = 0xFF000000u | ('a' + i);
  auto turned = [&](double angle, std::uint32_t mode) {
    PxMemBitmap out(2, 3);
    FillAll(out, 0);
    PxRotatedBlit(out, src, 0, 0, 2, 3, 0, 0, 3, 2, angle, true, 1.0, mode, 0, 0);
    std::vector<char> letters;
    for (int y = 0; y < 3; ++y)
      for (int x = 0; x < 2; ++x) letters.push_back(static_cast<char>(out.Row(y)[x] & 0xFF));
    return std::string(letters.begin(), letters.end());
  };
  const double quarter = std::acos(-1.0) / 2;
  EXPECT_EQ(turned(quarter, kPxCopy), "daebfc");
  EXPECT_EQ(turned(-quarter, kPxCopy), "cfbead");
  EXPECT_EQ(turned(quarter, kPxAlpha | kPxBilinear), "daebfc");

  // At angle 0 it is the blit, with the alpha arithmetic and bilinear sampling alike.
  PxMemBitmap pattern(5, 4), viaBlit(7, 6), viaTurn(7, 6);
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 5; ++x)
      pattern.Row(y)[x] = static_cast<std::uint32_t>(x * 50) << 24 | 0x00C08040u | y;
  FillAll(viaBlit, 0xFF204060u);
  FillAll(viaTurn, 0xFF204060u);
  PxBlit(viaBlit, pattern, 1, 1, 0, 0, 5, 4, 0.6, kPxAlpha);
  PxRotatedBlit(viaTurn, pattern, 1, 1, 5, 4, 0, 0, 5, 4, 0.0, true, 0.6, kPxAlpha | kPxBilinear, 0,
                0);
  for (int y = 0; y < 6; ++y)
    for (int x = 0; x < 7; ++x) EXPECT_EQ(viaTurn.Row(y)[x], viaBlit.Row(y)[x]) << x << "," << y;

  // Offsets move the centre; clip keeps everything inside the rectangle.
  PxMemBitmap moved(7, 6);
  FillAll(moved, 0);
  PxRotatedBlit(moved, pattern, 1, 1, 5, 4, 0, 0, 5, 4, 0.0, true, 1.0, kPxCopy, 1, 0);
  EXPECT_EQ(moved.Row(1)[1], 0u);
  EXPECT_EQ(moved.Row(1)[2], pattern.Row(0)[0]);
  EXPECT_EQ(moved.Row(1)[6], 0u);  // outside the rectangle: clipped
  PxRotatedBlit(moved, pattern, 1, 1, 5, 4, 0, 0, 5, 4, 0.0, false, 1.0, kPxCopy, 1, 0);
  EXPECT_EQ(moved.Row(1)[6], pattern.Row(0)[4]);
}

}  // namespace
