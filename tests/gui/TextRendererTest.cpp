// Text drawing: clipping to the bitmap but not to the rectangle, styles, and a
// missing font reported once instead of crashing.
#include <gtest/gtest.h>

#include <vector>

#include "gui/TextRenderer.h"

namespace {

// A 100 x 40 bitmap inside a guard band of 8 pixels all round.
struct Guarded {
  static constexpr int kW = 100, kH = 40, kBand = 8, kSpan = kW + 2 * kBand;
  std::vector<std::uint32_t> memory =
      std::vector<std::uint32_t>(kSpan * (kH + 2 * kBand), 0xFF000000u);
  std::uint32_t* Pixels() { return memory.data() + kBand * kSpan + kBand; }
  int Lit(bool inGuard) {
    int n = 0;
    for (int y = 0; y < kH + 2 * kBand; ++y)
      for (int x = 0; x < kSpan; ++x) {
        const bool guard = y < kBand || y >= kH + kBand || x < kBand || x >= kW + kBand;
        if (guard == inGuard && memory[y * kSpan + x] != 0xFF000000u) ++n;
      }
    return n;
  }
};

TEST(TextRenderer, ClipsToTheBitmapNotToTheRectangle) {
  TextRenderer text;
  TextStyle style;
  style.size = 20;
  style.color = colors::kWhite;
  style.align = TextStyle::kLeft;
  Guarded narrow;
  // A rectangle far too narrow for the text: all of it is still drawn.
  ASSERT_TRUE(text.Draw(narrow.Pixels(), Guarded::kW, Guarded::kH, Guarded::kSpan, style, "Wide",
                        PixelRect(5, 5, 10, 20)));
  const int whole = narrow.Lit(false);
  EXPECT_GT(whole, 40);
  Guarded edge;  // half off the left and top of the bitmap
  text.Draw(edge.Pixels(), Guarded::kW, Guarded::kH, Guarded::kSpan, style, "Wide",
            PixelRect(-20, -10, 80, 6));
  EXPECT_GT(edge.Lit(false), 0);
  EXPECT_EQ(edge.Lit(true), 0);
  EXPECT_FALSE(text.Draw(edge.Pixels(), Guarded::kW, Guarded::kH, Guarded::kSpan, style, "",
                         PixelRect(0, 0, 10, 10)));
  EXPECT_TRUE(text.FontError().empty());
}

TEST(TextRenderer, SizesAndWeights) {
  TextRenderer text;
  TextStyle style;
  style.size = 12;
  const int small = text.MeasureWidth(style, "Dilation");
  style.size = 24;
  EXPECT_GT(text.MeasureWidth(style, "Dilation"), small * 3 / 2);
  Guarded normal, bold;
  style.color = colors::kWhite;
  text.Draw(normal.Pixels(), Guarded::kW, Guarded::kH, Guarded::kSpan, style, "Hm",
            PixelRect(0, 0, 100, 24));
  style.style = TextStyle::kBold;
  text.Draw(bold.Pixels(), Guarded::kW, Guarded::kH, Guarded::kSpan, style, "Hm",
            PixelRect(0, 0, 100, 24));
  EXPECT_GT(bold.Lit(false), normal.Lit(false));
  // Malformed UTF-8 is skipped, not a crash.
  EXPECT_GT(text.MeasureWidth(style,
                              "a\xC3\x28\xFF"
                              "b"),
            0);
}

TEST(TextRenderer, AMissingFontIsAnErrorNotACrash) {
  TextRenderer text("/nonexistent/font.ttf");
  TextStyle style;
  Guarded bitmap;
  EXPECT_FALSE(text.Draw(bitmap.Pixels(), Guarded::kW, Guarded::kH, Guarded::kSpan, style, "Hi",
                         PixelRect(0, 0, 50, 16)));
  const std::string first = text.FontError();
  EXPECT_NE(first.find("Arial"), std::string::npos);
  EXPECT_FALSE(text.Draw(bitmap.Pixels(), Guarded::kW, Guarded::kH, Guarded::kSpan, style, "Hi",
                         PixelRect(0, 0, 50, 16)));
  EXPECT_EQ(text.FontError(), first);
  EXPECT_EQ(text.MeasureWidth(style, "Hi"), 0);
  EXPECT_EQ(bitmap.Lit(false) + bitmap.Lit(true), 0);
}

}  // namespace
