// Lines, pixels, circles, arcs and triangles: ends and edges drawn, clipping
// to the bitmap, every pixel blended once, and the plain clamped lines.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>

#include "raster/PxBlit.h"
#include "raster/PxMemBitmap.h"

namespace {

constexpr std::uint32_t kWhite = 0xFFFFFFFFu;

void FillAll(PxBitmap& b, std::uint32_t colour) {
  for (int y = 0; y < b.Height(); ++y)
    for (int x = 0; x < b.Width(); ++x) b.Row(y)[x] = colour;
}

int Count(const PxBitmap& b, std::uint32_t colour) {
  int n = 0;
  for (int y = 0; y < b.Height(); ++y)
    for (int x = 0; x < b.Width(); ++x) n += b.Row(y)[x] == colour;
  return n;
}

// Distance of the pixel from the infinite line through both points.
double Off(int x, int y, double x1, double y1, double x2, double y2) {
  return std::fabs((x2 - x1) * (y1 - y) - (x1 - x) * (y2 - y1)) / std::hypot(x2 - x1, y2 - y1);
}

TEST(PxLine, EveryDirectionDrawsBothEndsAndOnePixelPerStep) {
  const int ends[][4] = {{1, 1, 8, 4}, {8, 4, 1, 1}, {2, 9, 4, 0}, {4, 0, 2, 9},
                         {0, 5, 9, 5}, {5, 9, 5, 0}, {9, 0, 0, 9}, {3, 3, 3, 3}};
  for (const auto& e : ends) {
    SCOPED_TRACE(::testing::Message() << e[0] << "," << e[1] << " to " << e[2] << "," << e[3]);
    PxMemBitmap b(10, 10);
    FillAll(b, 0);
    PxLine(b, e[0], e[1], e[2], e[3], kWhite, 1.0, kPxCopy, false);
    EXPECT_EQ(b.Row(e[1])[e[0]], kWhite);
    EXPECT_EQ(b.Row(e[3])[e[2]], kWhite);
    EXPECT_EQ(Count(b, kWhite), std::max(std::abs(e[2] - e[0]), std::abs(e[3] - e[1])) + 1);
    for (int y = 0; y < 10; ++y)
      for (int x = 0; x < 10; ++x)
        if (b.Row(y)[x] == kWhite && (e[0] != e[2] || e[1] != e[3])) {
          EXPECT_LE(Off(x, y, e[0], e[1], e[2], e[3]), 0.75) << x << "," << y;
        }
  }
}

TEST(PxLine, EndsOutsideMoveOntoTheBorder) {
  PxMemBitmap b(10, 10);
  FillAll(b, 0);
  PxLine(b, -100, 5, 100, 5, kWhite, 1.0, kPxCopy, false);
  EXPECT_EQ(Count(b, kWhite), 10);
  for (int x = 0; x < 10; ++x) EXPECT_EQ(b.Row(5)[x], kWhite);

  FillAll(b, 0);
  const int far = std::numeric_limits<int>::max();
  PxLine(b, -far, -far, far, far, kWhite, 1.0, kPxCopy, false);  // the diagonal
  EXPECT_EQ(Count(b, kWhite), 10);
  for (int i = 0; i < 10; ++i) EXPECT_EQ(b.Row(i)[i], kWhite);

  FillAll(b, 0);
  PxLine(b, 3, -50, 6, 60, kWhite, 1.0, kPxCopy, false);  // steep, through top and bottom
  int rows = 0;
  for (int y = 0; y < 10; ++y)
    for (int x = 0; x < 10; ++x)
      if (b.Row(y)[x] == kWhite) {
        ++rows;
        EXPECT_LE(Off(x, y, 3, -50, 6, 60), 0.75) << x << "," << y;
      }
  EXPECT_EQ(rows, 10);

  FillAll(b, 0);
  PxLine(b, 20, 0, 30, 9, kWhite, 1.0, kPxCopy, false);  // misses the bitmap
  PxLine(b, -6, 5, 5, -6, kWhite, 1.0, kPxCopy, false);  // passes beyond a corner
  PxLine(b, 0, 0, 9, 9, kWhite, 0.0, kPxCopy, false);
  EXPECT_EQ(Count(b, 0), 100);
}

TEST(PxLine, OnlyTheOperationCountsAndAntialiasingSharesEachStep) {
  PxMemBitmap b(12, 8);
  FillAll(b, 0xFF000000u);
  PxLine(b, 0, 0, 11, 0, 0x00FFFFFFu, 1.0, kPxAlpha | kPxCopy, false);  // alpha flag ignored
  EXPECT_EQ(b.Row(0)[5], 0x00FFFFFFu);
  PxLine(b, 0, 1, 11, 1, kWhite, 0.5, kPxCopy, false);
  EXPECT_EQ(b.Row(1)[5], 0xFE7F7F7Fu);  // alpha halved too

  PxLine(b, 2, 3, 9, 3, kWhite, 1.0, kPxCopy, true);  // on a row: the pixels themselves
  for (int x = 2; x <= 9; ++x) EXPECT_EQ(b.Row(3)[x], kWhite) << x;
  EXPECT_EQ(b.Row(3)[1], 0xFF000000u);
  EXPECT_EQ(b.Row(2)[5], 0xFF000000u);
  EXPECT_EQ(b.Row(4)[5], 0xFF000000u);

  FillAll(b, 0);
  PxLine(b, 0, 4, 10, 7, kWhite, 1.0, kPxCopy, true);  // shallow: two pixels per column
  for (int x = 0; x <= 10; ++x) {
    int sum = 0, touched = 0;
    for (int y = 0; y < 8; ++y) {
      sum += static_cast<int>(b.Row(y)[x] & 0xFF);
      touched += b.Row(y)[x] != 0;
    }
    EXPECT_NEAR(sum, 255, 2) << x;
    EXPECT_LE(touched, 2) << x;
  }
}

TEST(PxPlainLines, ClampedAndInclusive) {
  PxMemBitmap d(10, 10);
  FillAll(d, 0);
  PxHorizontalLine(d, 1, 9, 5, 50);  // past the right edge: stops at the last column
  EXPECT_EQ(Count(d, 1), 5);
  EXPECT_EQ(d.Row(9)[5], 1u);
  EXPECT_EQ(d.Row(9)[9], 1u);
  PxHorizontalLine(d, 2, 50, -7, 0);  // the row clamped to the last, both ends to column 0
  EXPECT_EQ(Count(d, 2), 1);
  EXPECT_EQ(d.Row(9)[0], 2u);
  PxHorizontalLine(d, 3, 4, 6, 5);  // upper end below the lower: nothing
  EXPECT_EQ(Count(d, 3), 0);
  PxVerticalLine(d, 0x00ABCDEFu, -3, -4, 3);  // x clamped to 0; written as it is
  for (int y = 0; y <= 3; ++y) EXPECT_EQ(d.Row(y)[0], 0x00ABCDEFu);
  EXPECT_EQ(Count(d, 0x00ABCDEFu), 4);
  PxVerticalLine(d, 4, 20, 8, 2);
  EXPECT_EQ(Count(d, 4), 0);
  PxVerticalLine(d, 5, 20, 8, 30);  // last column, rows 8 and 9
  EXPECT_EQ(d.Row(8)[9], 5u);
  EXPECT_EQ(Count(d, 5), 2);

  PxPutPixel(d, 4, 4, kWhite, 0.5, kPxCopy);
  EXPECT_EQ(PxGetPixel(d, 4, 4), 0x7F7F7F7Fu);
  PxPutPixel(d, 10, 4, kWhite, 1.0, kPxCopy);
  PxPutPixel(d, -1, 4, kWhite, 1.0, kPxCopy);
  EXPECT_EQ(PxGetPixel(d, 10, 4), 0u);
  EXPECT_EQ(PxGetPixel(d, 0, -1), 0u);
  EXPECT_EQ(Count(d, kWhite), 0);
}

TEST(PxShapes, CirclesAndArcsBlendEachPixelOnce) {
  PxMemBitmap b(21, 21);
  for (int r : {0, 1, 5, 8}) {
    SCOPED_TRACE(r);
    FillAll(b, 0);
    PxCircle(b, 10, 10, r, kWhite, 0.5, kPxCopy, false);
    // Drawn twice, a pixel would be 0xBF...: every lit pixel is half white.
    EXPECT_EQ(Count(b, 0x7F7F7F7Fu) + Count(b, 0), 21 * 21);
    for (auto [x, y] : {std::pair{10, 10 - r}, {10 + r, 10}, {10, 10 + r}, {10 - r, 10}})
      EXPECT_EQ(b.Row(y)[x], 0x7F7F7F7Fu);
    for (int y = 0; y < 21; ++y)
      for (int x = 0; x < 21; ++x)
        if (b.Row(y)[x] != 0) {
          EXPECT_NEAR(std::hypot(x - 10, y - 10), r, 0.6);
        }
  }
  FillAll(b, 0);
  PxCircle(b, 0, 0, 30, kWhite, 1.0, kPxCopy, false);  // holds the bitmap: nothing shows
  PxCircle(b, 100, 100, 5, kWhite, 1.0, kPxCopy, false);
  PxCircle(b, 10, 10, std::numeric_limits<int>::max(), kWhite, 1.0, kPxCopy, true);
  EXPECT_EQ(Count(b, 0), 21 * 21);
  PxCircle(b, 0, 10, 8, kWhite, 1.0, kPxCopy, false);  // half outside
  EXPECT_EQ(b.Row(10)[8], kWhite);
  EXPECT_EQ(b.Row(2)[0], kWhite);

  FillAll(b, 0);
  PxArc(b, 10, 10, 8, 0, 90, kWhite, 1.0, kPxCopy, false);  // noon to three o'clock
  EXPECT_EQ(b.Row(2)[10], kWhite);
  EXPECT_EQ(b.Row(10)[18], kWhite);
  for (int y = 0; y < 21; ++y)
    for (int x = 0; x < 21; ++x)
      if (b.Row(y)[x] != 0) {
        EXPECT_GE(x, 10);
        EXPECT_LE(y, 10);
      }
  const int quarter = Count(b, kWhite);
  FillAll(b, 0);
  PxArc(b, 10, 10, 8, 0, 1e12, kWhite, 0.5, kPxCopy, false);  // one turn, once
  EXPECT_EQ(Count(b, 0x7F7F7F7Fu) + Count(b, 0), 21 * 21);
  EXPECT_GT(Count(b, 0x7F7F7F7Fu), 3 * quarter);
  FillAll(b, 0);
  PxArc(b, 10, 10, 8, std::nan(""), 90, kWhite, 1.0, kPxCopy, false);
  PxArc(b, 10, 10, 8, 90, 0, kWhite, 1.0, kPxCopy, false);
  EXPECT_EQ(Count(b, 0), 21 * 21);
  PxArc(b, 10, 10, 8, 180, 180, kWhite, 1.0, kPxCopy, true);  // one point, six o'clock
  EXPECT_EQ(b.Row(18)[10], kWhite);
}

TEST(PxShapes, TrianglesFillInsideAndOnTheirEdges) {
  PxMemBitmap b(8, 8);
  FillAll(b, 0);
  PxFillTriangle(b, 0, 0, 4, 0, 0, 4, kWhite, 1.0, kPxCopy);
  EXPECT_EQ(Count(b, kWhite), 15);  // x + y <= 4
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 8; ++x) EXPECT_EQ(b.Row(y)[x] == kWhite, x + y <= 4) << x << "," << y;
  FillAll(b, 0);
  PxFillTriangle(b, 0, 4, 4, 0, 0, 0, kWhite, 0.5, kPxCopy);  // the other winding, half
  EXPECT_EQ(Count(b, 0x7F7F7F7Fu), 15);
  FillAll(b, 0);
  PxFillTriangle(b, -8, -8, 20, 3, -8, 20, kWhite, 1.0, kPxCopy);  // holds the bitmap
  EXPECT_EQ(Count(b, kWhite), 64);
  FillAll(b, 0);
  PxFillTriangle(b, 4, -4, 12, 4, 4, 4, kWhite, 1.0, kPxCopy);  // two corners outside
  EXPECT_EQ(Count(b, kWhite), 20);                              // columns 4 to 7, rows 0 to 4
  EXPECT_EQ(b.Row(0)[4], kWhite);
  EXPECT_EQ(b.Row(4)[7], kWhite);
  EXPECT_EQ(b.Row(0)[3], 0u);
  EXPECT_EQ(b.Row(5)[5], 0u);
  FillAll(b, 0);
  PxFillTriangle(b, 0, 0, 3, 3, 6, 6, kWhite, 1.0, kPxCopy);  // no area
  const int huge = std::numeric_limits<int>::max();
  PxFillTriangle(b, -huge, -huge, huge, 0, 0, huge, kWhite, 1.0, kPxCopy);
  EXPECT_EQ(Count(b, 0), 64);
}

}  // namespace
