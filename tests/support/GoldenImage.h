// Compares what a headless canvas drew with a committed golden image, pixel
// for pixel as a window shows them (alpha aside). With DILATORIX_UPDATE_GOLDEN
// set, the picture is written as the new golden image and the test is skipped:
// golden images are regenerated only on purpose, and looked at before they
// are committed.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>

#include "gui/HeadlessCanvas.h"
#include "raster/PngDecoder.h"

inline void ExpectMatchesGolden(HeadlessCanvas& canvas, int width, int height,
                                const std::string& golden) {
  if (std::getenv("DILATORIX_UPDATE_GOLDEN") != nullptr) {
    ASSERT_TRUE(canvas.WritePng(golden));
    GTEST_SKIP() << "golden image written to " << golden;
  }
  std::unique_ptr<PxMemBitmap> expected = DecodePngFile(golden, true);
  ASSERT_NE(expected, nullptr) << golden;
  ASSERT_EQ(expected->Width(), width);
  ASSERT_EQ(expected->Height(), height);
  int differing = 0;
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x)
      differing +=
          (canvas.GetPixel(x, y).Packed() | 0xFF000000u) != (expected->Row(y)[x] | 0xFF000000u);
  EXPECT_EQ(differing, 0) << golden;
}
