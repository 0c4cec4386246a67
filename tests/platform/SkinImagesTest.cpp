// What the editor reads out of the embedded skin frames: the needle's x in
// each meter frame, the progress bar's fill, the knob pointer's angle, which
// switch frame is lit, and where handles and markers are transparent.
#include <gtest/gtest.h>

#include <cmath>

#include "platform/PngResources.h"
#include "tests/platform/PngReadBack.h"

namespace {

PngReadBack Skin(int id) {
  const unsigned char* data = nullptr;
  std::size_t size = 0;
  PngReadBack image;
  EXPECT_TRUE(FindPngResource(id, &data, &size) && ReadPngBack(data, size, &image)) << id;
  return image;
}

int Alpha(std::uint32_t p) { return static_cast<int>(p >> 24); }
int Red(std::uint32_t p) { return static_cast<int>(p >> 16 & 255); }
int Blue(std::uint32_t p) { return static_cast<int>(p & 255); }
int Brightness(std::uint32_t p) {
  return Alpha(p) * (Red(p) + static_cast<int>(p >> 8 & 255) + Blue(p)) / 255;
}
// The warm accent the pointers and fills are drawn in; the greys are not.
bool Warm(std::uint32_t p) { return Alpha(p) > 128 && Red(p) > Blue(p) + 64; }

TEST(SkinImages, OpaqueWhereTheEditorDrawsNothingBehind) {
  for (int id : {100, 110}) {
    const PngReadBack image = Skin(id);
    ASSERT_FALSE(image.argb.empty()) << id;
    int transparent = 0;
    for (std::uint32_t p : image.argb) transparent += Alpha(p) != 255;
    EXPECT_EQ(transparent, 0) << id;
  }
}

TEST(SkinImages, NeedleFrameKStandsAtXKMinusOne) {
  const PngReadBack strip = Skin(107);
  ASSERT_EQ(strip.argb.size(), 400u * 3200u);
  for (int f = 0; f < 400; ++f) {
    SCOPED_TRACE(f);
    for (int y = 0; y < 8; ++y) EXPECT_GT(Alpha(strip.At(f, f * 8 + y)), 200);
    for (int y = 0; y < 8; ++y)
      for (int x = 0; x < 400; ++x) {
        if (std::abs(x - f) >= 5) {
          ASSERT_EQ(Alpha(strip.At(x, f * 8 + y)), 0) << x << "," << y;
        }
      }
  }
}

TEST(SkinImages, ProgressFrameKIsKMinusOnePercentFilled) {
  const PngReadBack strip = Skin(106);
  ASSERT_EQ(strip.argb.size(), 100u * 4040u);
  const int fillRow = 29;  // across the bar, below the percentage
  int previous = -1;
  for (int f = 0; f <= 100; ++f) {
    int filled = 0;
    for (int x = 0; x < 100; ++x) filled += Warm(strip.At(x, f * 40 + fillRow));
    EXPECT_NEAR(filled, 88 * f / 100, 2) << f;
    EXPECT_GE(filled, previous) << f;
    previous = filled;
  }
}

TEST(SkinImages, KnobFrameKPointsAtItsAngle) {
  const PngReadBack strip = Skin(108);
  ASSERT_EQ(strip.argb.size(), 32u * 3232u);
  for (int f = 0; f <= 100; ++f) {
    double sumX = 0, sumY = 0;
    int count = 0;
    for (int y = 0; y < 32; ++y)
      for (int x = 0; x < 32; ++x)
        if (Warm(strip.At(x, f * 32 + y))) {
          sumX += x + 0.5 - 16;
          sumY += y + 0.5 - 16;
          ++count;
        }
    ASSERT_GT(count, 8) << f;
    // Clockwise from straight up, in degrees.
    const double angle = std::atan2(sumX / count, -sumY / count) * 180 / std::acos(-1.0);
    EXPECT_NEAR(angle, -135.0 + 2.7 * f, 3.0) << f;
    EXPECT_EQ(Alpha(strip.At(0, f * 32)), 0) << f;  // round: the corners are clear
    EXPECT_EQ(Alpha(strip.At(31, f * 32 + 31)), 0) << f;
  }
}

// The lit frame of a lamp is brighter at its centre than the dark one.
TEST(SkinImages, SwitchesLightTheRightFrame) {
  const struct {
    int id, size;
    bool litWhenOn;
  } switches[] = {{113, 14, true}, {114, 14, false}, {115, 14, true}, {105, 24, true}};
  for (const auto& s : switches) {
    const PngReadBack strip = Skin(s.id);
    ASSERT_EQ(strip.height, 2 * s.size) << s.id;
    const int c = s.size / 2;
    const int off = Brightness(strip.At(c + 2, c + 2));
    const int on = Brightness(strip.At(c + 2, s.size + c + 2));
    EXPECT_GT(s.litWhenOn ? on - off : off - on, 60) << s.id;
  }
  for (int id : {101, 103}) {  // the load button and the toggle change, whichever way
    const PngReadBack strip = Skin(id);
    const int frame = strip.height / 2;
    int differing = 0;
    for (int y = 0; y < frame; ++y)
      for (int x = 0; x < strip.width; ++x) differing += strip.At(x, y) != strip.At(x, y + frame);
    EXPECT_GT(differing, strip.width * frame / 5) << id;
  }
}

TEST(SkinImages, HandlesAndMarkersAreCutOut) {
  const PngReadBack eye = Skin(102);
  ASSERT_EQ(eye.width, 24);
  EXPECT_EQ(Alpha(eye.At(0, 0)), 0);
  EXPECT_EQ(Alpha(eye.At(12, 12)), 255);

  const PngReadBack range = Skin(104);
  ASSERT_EQ(range.width, 12);
  EXPECT_EQ(Alpha(range.At(0, 15)), 0);
  EXPECT_EQ(Alpha(range.At(11, 15)), 0);
  EXPECT_EQ(Alpha(range.At(6, 4)), 255);

  const PngReadBack ring = Skin(112);
  ASSERT_EQ(ring.width, 12);
  EXPECT_EQ(Alpha(ring.At(0, 0)), 0);
  EXPECT_EQ(Alpha(ring.At(5, 5)), 0);  // the hollow centre
  EXPECT_EQ(Alpha(ring.At(6, 6)), 0);
  EXPECT_EQ(Alpha(ring.At(10, 6)), 255);  // the ring itself
  EXPECT_EQ(Alpha(ring.At(6, 1)), 255);
}

}  // namespace
