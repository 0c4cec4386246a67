// The XY display: the marker's lower-left corner sits on the point.
#include "editor/XyDisplay.h"
#include "tests/editor/EditorTestSupport.h"

namespace editortest {
namespace {

constexpr std::uint32_t kPad = 0xFF0000C0u, kMarker = 0xFFFFFF00u;

TEST_F(EditorTest, XyMarkerSitsWithItsLowerLeftCornerOnThePoint) {
  auto pad = SolidImage(80, 80, kPad);
  auto marker = SolidImage(12, 12, kMarker);
  XyDisplay* xy = Attach(std::make_unique<XyDisplay>(nullptr, PixelRect(10, 500, 90, 580),
                                                     Framed(*pad), Framed(*marker)));
  DrawAll();  // 0, 0: the pad's lower-left corner
  EXPECT_EQ(Pixel(10, 579), kMarker);
  EXPECT_EQ(Pixel(21, 568), kMarker);
  EXPECT_EQ(Pixel(22, 579), kPad);
  EXPECT_EQ(Pixel(10, 567), kPad);
  EXPECT_EQ(Pixel(89, 500), kPad);

  xy->xValue = 0.5;   // left at 10 + 40
  xy->yValue = 0.25;  // bottom edge at 580 - 20
  DrawAll();
  EXPECT_EQ(Pixel(50, 559), kMarker);
  EXPECT_EQ(Pixel(61, 548), kMarker);
  EXPECT_EQ(Pixel(49, 559), kPad);
  EXPECT_EQ(Pixel(50, 560), kPad);
  EXPECT_EQ(Pixel(10, 579), kPad);

  xy->xValue = xy->yValue = 1.0;  // just outside the pad's top-right corner
  DrawAll();
  EXPECT_EQ(Pixel(90, 499), kMarker);
  EXPECT_EQ(Pixel(101, 488), kMarker);
  EXPECT_EQ(Pixel(89, 500), kPad);

  xy->drawPad = false;
  DrawAll();
  EXPECT_EQ(Pixel(50, 540), kBackdrop);
  EXPECT_EQ(Pixel(90, 499), kMarker);
}

}  // namespace
}  // namespace editortest
