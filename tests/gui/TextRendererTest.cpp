// Text drawing: where the ink lands (alignment, top placement, size, weight),
// that only the text's colour is blended in, clipping to the bitmap but not to
// the rectangle, and a missing font reported once instead of crashing. The
// checks look at ink positions, not glyph images, so newer font builds pass.
#include <fontconfig/fontconfig.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "gui/TextRenderer.h"

namespace {

constexpr std::uint32_t kBackground = 0xFF000000u;

struct Ink {
  int left = 1 << 20, top = 1 << 20, right = -(1 << 20), bottom = -(1 << 20);  // inclusive
  int count = 0;
  long weight = 0;  // summed channel change
  bool Empty() const { return count == 0; }
};

// A kW x kH bitmap inside a guard band of kBand pixels all round.
struct Guarded {
  static constexpr int kW = 200, kH = 60, kBand = 8, kSpan = kW + 2 * kBand;
  explicit Guarded(std::uint32_t fill = kBackground) : background(fill) {}
  std::uint32_t background;
  std::vector<std::uint32_t> memory =
      std::vector<std::uint32_t>(kSpan * (kH + 2 * kBand), background);
  std::uint32_t* Pixels() { return memory.data() + kBand * kSpan + kBand; }
  std::uint32_t At(int x, int y) const { return memory[(y + kBand) * kSpan + x + kBand]; }

  bool Draw(TextRenderer& text, const TextStyle& style, const char* words, const PixelRect& rect) {
    return text.Draw(Pixels(), kW, kH, kSpan, style, words, rect);
  }
  // Changed pixels inside the bitmap, in its coordinates.
  Ink Inside() const {
    Ink ink;
    for (int y = 0; y < kH; ++y)
      for (int x = 0; x < kW; ++x) {
        const std::uint32_t p = At(x, y);
        if (p == background) continue;
        ink.left = std::min(ink.left, x);
        ink.right = std::max(ink.right, x);
        ink.top = std::min(ink.top, y);
        ink.bottom = std::max(ink.bottom, y);
        ++ink.count;
        ink.weight += (p >> 16 & 255) + (p >> 8 & 255) + (p & 255);
      }
    return ink;
  }
  int ChangedInGuard() const {
    int n = 0;
    for (int y = -kBand; y < kH + kBand; ++y)
      for (int x = -kBand; x < kW + kBand; ++x) {
        const bool inside = x >= 0 && x < kW && y >= 0 && y < kH;
        if (!inside && At(x, y) != background) ++n;
      }
    return n;
  }
};

// The file fontconfig picks for Arial, asked independently of the renderer.
std::string ArialFile() {
  FcPattern* pattern = FcNameParse(reinterpret_cast<const FcChar8*>("Arial"));
  FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
  FcDefaultSubstitute(pattern);
  FcResult result = FcResultNoMatch;
  FcPattern* match = FcFontMatch(nullptr, pattern, &result);
  FcChar8* file = nullptr;
  std::string path;
  if (match != nullptr && FcPatternGetString(match, FC_FILE, 0, &file) == FcResultMatch)
    path = reinterpret_cast<const char*>(file);
  if (match != nullptr) FcPatternDestroy(match);
  FcPatternDestroy(pattern);
  return path;
}

TextStyle White(int size, int align = TextStyle::kLeft) {
  TextStyle style;
  style.size = size;
  style.color = colors::kWhite;
  style.align = align;
  return style;
}

TEST(TextRenderer, BlendsOnlyTheTextColourWithItsAlpha) {
  TextRenderer text;
  TextStyle style = White(20);
  style.color = ArgbColor(255, 200, 0, 0);
  Guarded opaque(0x00000000u);  // transparent black: drawn pixels become opaque
  ASSERT_TRUE(opaque.Draw(text, style, "Hello", PixelRect(10, 10, 190, 40)));
  const Ink ink = opaque.Inside();
  ASSERT_GT(ink.count, 50);
  int maxRed = 0;
  for (int y = 0; y < Guarded::kH; ++y)
    for (int x = 0; x < Guarded::kW; ++x) {
      const std::uint32_t p = opaque.At(x, y);
      if (p == opaque.background) continue;
      EXPECT_EQ(p & 0xFF00FFFFu, 0xFF000000u) << "another hue at " << x << "," << y;
      maxRed = std::max(maxRed, static_cast<int>(p >> 16 & 255));
    }
  EXPECT_EQ(maxRed, 200);  // fully covered pixels take the colour itself
  // All ink lies in the line box next to the pen, nothing elsewhere.
  EXPECT_GE(ink.left, 8);
  EXPECT_LE(ink.right, 10 + text.MeasureWidth(style, "Hello") + 2);
  EXPECT_GE(ink.top, 10);
  EXPECT_LT(ink.bottom, 10 + 30);

  // Half the colour's alpha: at most half-way from the background.
  style.color.A = 128;
  Guarded half;
  half.Draw(text, style, "Hello", PixelRect(10, 10, 190, 40));
  int halfRed = 0;
  for (int y = 0; y < Guarded::kH; ++y)
    for (int x = 0; x < Guarded::kW; ++x)
      halfRed = std::max(halfRed, static_cast<int>(half.At(x, y) >> 16 & 255));
  EXPECT_NEAR(halfRed, 100, 1);
  EXPECT_EQ(half.Inside().left, ink.left);
}

TEST(TextRenderer, AlignsLeftCentreAndRightInsideTheRectangle) {
  TextRenderer text;
  const PixelRect rect(20, 10, 180, 40);
  Ink ink[3];
  for (int align = 0; align < 3; ++align) {
    Guarded bitmap;
    ASSERT_TRUE(bitmap.Draw(text, White(16, align), "Hello", rect));
    ink[align] = bitmap.Inside();
    EXPECT_EQ(bitmap.ChangedInGuard(), 0);
  }
  const int width = text.MeasureWidth(White(16), "Hello");
  ASSERT_GT(width, 20);
  ASSERT_LT(width, rect.W());
  EXPECT_NEAR(ink[TextStyle::kLeft].left, rect.L, 2);
  EXPECT_NEAR(ink[TextStyle::kRight].right + 1, rect.R, 2);
  const int centreTwice = ink[TextStyle::kCentre].left + ink[TextStyle::kCentre].right + 1;
  EXPECT_NEAR(centreTwice, rect.L + rect.R, 4);
  // The same line moved by whole pixels: identical ink, shifted.
  EXPECT_EQ(ink[TextStyle::kCentre].left - ink[TextStyle::kLeft].left, (rect.W() - width) / 2);
  EXPECT_EQ(ink[TextStyle::kRight].left - ink[TextStyle::kLeft].left, rect.W() - width);
  EXPECT_EQ(ink[TextStyle::kRight].count, ink[TextStyle::kLeft].count);
  EXPECT_EQ(ink[TextStyle::kRight].top, ink[TextStyle::kLeft].top);
}

TEST(TextRenderer, PutsTheAscentLineAtTheTopAndGrowsWithSize) {
  TextRenderer text;
  int inkHeight[2] = {0, 0};
  const int sizes[2] = {12, 30};
  for (int i = 0; i < 2; ++i) {
    Guarded bitmap;
    ASSERT_TRUE(bitmap.Draw(text, White(sizes[i]), "H", PixelRect(10, 12, 100, 14)));
    const Ink ink = bitmap.Inside();
    EXPECT_GE(ink.top, 12) << "size " << sizes[i];
    EXPECT_LE(ink.top, 12 + sizes[i] / 3) << "size " << sizes[i];
    inkHeight[i] = ink.bottom - ink.top + 1;
  }
  EXPECT_GT(inkHeight[1], inkHeight[0] * 2);
  EXPECT_GT(text.MeasureWidth(White(30), "Dilation"), text.MeasureWidth(White(12), "Dilation") * 2);
  // Moving the rectangle down moves the ink by as much.
  Guarded high, low;
  high.Draw(text, White(20), "Hg", PixelRect(0, 0, 100, 20));
  low.Draw(text, White(20), "Hg", PixelRect(0, 7, 100, 27));
  EXPECT_EQ(low.Inside().top - high.Inside().top, 7);
  EXPECT_EQ(low.Inside().count, high.Inside().count);
}

TEST(TextRenderer, ClipsToTheBitmapNotToTheRectangle) {
  TextRenderer text;
  Guarded wide, narrow;
  wide.Draw(text, White(20), "Wide", PixelRect(5, 5, 195, 30));
  // A rectangle far too narrow and low for the text: all of it is still drawn.
  ASSERT_TRUE(narrow.Draw(text, White(20), "Wide", PixelRect(5, 5, 10, 8)));
  EXPECT_EQ(narrow.Inside().count, wide.Inside().count);
  EXPECT_EQ(narrow.Inside().right, wide.Inside().right);
  EXPECT_EQ(narrow.Inside().bottom, wide.Inside().bottom);

  // Half off each edge: drawn inside, nothing written into the guard band.
  const PixelRect offEdges[] = {PixelRect(-20, -10, 80, 6), PixelRect(170, 45, 260, 70),
                                PixelRect(-500, 20, -400, 40)};
  for (const PixelRect& rect : offEdges) {
    Guarded edge;
    edge.Draw(text, White(24), "Wide", rect);
    EXPECT_EQ(edge.ChangedInGuard(), 0) << rect.L << "," << rect.T;
  }
  Guarded left, right;
  EXPECT_TRUE(left.Draw(text, White(24), "Wide", offEdges[0]));
  EXPECT_TRUE(right.Draw(text, White(24), "Wide", offEdges[1]));
  EXPECT_EQ(left.Inside().left, 0);
  EXPECT_EQ(right.Inside().right, Guarded::kW - 1);
  EXPECT_TRUE(text.FontError().empty());
}

TEST(TextRenderer, BoldIsHeavierAndItalicLeansRight) {
  TextRenderer text;
  TextStyle style = White(24);
  Guarded normal, bold, italic;
  normal.Draw(text, style, "Hm", PixelRect(10, 5, 190, 30));
  const int normalWidth = text.MeasureWidth(style, "Hm");
  style.style = TextStyle::kBold;
  bold.Draw(text, style, "Hm", PixelRect(10, 5, 190, 30));
  EXPECT_GT(bold.Inside().weight, normal.Inside().weight * 6 / 5);
  EXPECT_GT(text.MeasureWidth(style, "Hm"), normalWidth);
  EXPECT_GE(bold.Inside().right - bold.Inside().left, normal.Inside().right - normal.Inside().left);

  // An upright "l": its top row's ink starts right of its bottom row's in italic.
  style.style = TextStyle::kItalic;
  ASSERT_TRUE(italic.Draw(text, style, "l", PixelRect(10, 5, 190, 30)));
  const Ink ink = italic.Inside();
  auto firstInkIn = [&](int y) {
    for (int x = 0; x < Guarded::kW; ++x)
      if (italic.At(x, y) != kBackground) return x;
    return -1;
  };
  EXPECT_GE(firstInkIn(ink.top + 1) - firstInkIn(ink.bottom - 1), 2);
  EXPECT_TRUE(text.FontError().empty());
}

TEST(TextRenderer, DecodesUtf8AndSurvivesMalformedBytes) {
  TextRenderer text;
  const TextStyle style = White(16);
  // Two bytes for one character: one advance, like its plain letter.
  EXPECT_EQ(text.MeasureWidth(style, "caf\xC3\xA9"), text.MeasureWidth(style, "cafe"));
  EXPECT_GT(text.MeasureWidth(style,
                              "a\xC3\x28\xFF\x80"
                              "b"),
            text.MeasureWidth(style, "ab"));
  Guarded bitmap;
  EXPECT_TRUE(bitmap.Draw(text, style, "x\xF8\xE2\x82", PixelRect(0, 0, 100, 20)));
  EXPECT_EQ(bitmap.ChangedInGuard(), 0);
}

TEST(TextRenderer, EmptyTextAndUnknownFaces) {
  TextRenderer text;
  Guarded bitmap;
  EXPECT_FALSE(bitmap.Draw(text, White(16), "", PixelRect(0, 0, 100, 20)));
  EXPECT_TRUE(bitmap.Inside().Empty());
  EXPECT_EQ(text.MeasureWidth(White(16), ""), 0);
  // A face nobody has still gets fontconfig's fallback.
  TextStyle unknown = White(16);
  std::snprintf(unknown.face, sizeof unknown.face, "No Such Face 7f3a");
  EXPECT_TRUE(bitmap.Draw(text, unknown, "Hi", PixelRect(0, 0, 100, 20)));
  EXPECT_TRUE(text.FontError().empty());
}

TEST(TextRenderer, AMissingFontIsAnErrorNotACrash) {
  TextRenderer text("/nonexistent/font.ttf");
  TextStyle style;
  Guarded bitmap;
  EXPECT_FALSE(bitmap.Draw(text, style, "Hi", PixelRect(0, 0, 50, 16)));
  const std::string first = text.FontError();
  EXPECT_EQ(first, "no font for \"Arial\" (regular)");
  EXPECT_FALSE(bitmap.Draw(text, style, "Hi", PixelRect(0, 0, 50, 16)));
  style.style = TextStyle::kBold;  // another failing face: the first message stays
  EXPECT_FALSE(bitmap.Draw(text, style, "Hi", PixelRect(0, 0, 50, 16)));
  EXPECT_EQ(text.FontError(), first);
  EXPECT_EQ(text.MeasureWidth(style, "Hi"), 0);
  EXPECT_TRUE(bitmap.Inside().Empty());
  EXPECT_EQ(bitmap.ChangedInGuard(), 0);

  // The failure is remembered: a font that turns up later at the path is not
  // opened by the renderer that failed, only by a new one.
  const std::string path = ::testing::TempDir() + "dilatorix-late-font.ttf";
  std::remove(path.c_str());
  TextRenderer early(path);
  EXPECT_FALSE(early.Draw(bitmap.Pixels(), Guarded::kW, Guarded::kH, Guarded::kSpan, White(16),
                          "Hi", PixelRect(0, 0, 50, 16)));
  {
    std::ifstream in(ArialFile(), std::ios::binary);
    std::ofstream out(path, std::ios::binary);
    out << in.rdbuf();
  }
  EXPECT_EQ(early.MeasureWidth(White(16), "Hi"), 0);
  EXPECT_GT(TextRenderer(path).MeasureWidth(White(16), "Hi"), 0);
  std::remove(path.c_str());

  // A full name field without a terminator is read no further than the field.
  TextRenderer unterminated("/nonexistent/font.ttf");
  std::fill(std::begin(style.face), std::end(style.face), 'x');
  EXPECT_EQ(unterminated.MeasureWidth(style, "Hi"), 0);
  EXPECT_EQ(unterminated.FontError(), "no font for \"" + std::string(32, 'x') + "\" (bold)");
}

}  // namespace
