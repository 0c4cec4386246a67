// The PNG decoder: every colour type, depth and interlacing ends as exact
// 0xAARRGGBB words in rows of the bitmap's span; broken input, oversized
// images and wrong extensions give nothing.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "raster/PngDecoder.h"
#include "tests/raster/TestPngFiles.h"

namespace {

using Pixels = std::vector<std::uint32_t>;

TestPng Image(int colourType, int depth, std::vector<unsigned char> row) {
  TestPng image;
  image.colourType = colourType;
  image.depth = depth;
  image.rows = std::move(row);
  return image;
}

// Every pixel, row by row; empty when decoding fails.
Pixels Decoded(const std::vector<unsigned char>& bytes) {
  std::unique_ptr<PxMemBitmap> bitmap = DecodePng(bytes.data(), bytes.size());
  Pixels out;
  if (!bitmap) return out;
  for (int y = 0; y < bitmap->Height(); ++y)
    for (int x = 0; x < bitmap->Width(); ++x) out.push_back(bitmap->Row(y)[x]);
  return out;
}

Pixels Decoded(const TestPng& image) {
  const std::vector<unsigned char> bytes = EncodeTestPng(image);
  EXPECT_FALSE(bytes.empty());
  return Decoded(bytes);
}

const std::vector<png_color> kPalette = {{1, 2, 3}, {200, 100, 50}, {7, 8, 9}, {250, 0, 128}};

TEST(PngDecoder, TrueColourAndGreyEndAsArgb) {
  EXPECT_EQ(Decoded(Image(PNG_COLOR_TYPE_RGB, 8, {10, 20, 30, 40, 50, 60})),
            (Pixels{0xFF0A141Eu, 0xFF28323Cu}));
  EXPECT_EQ(Decoded(Image(PNG_COLOR_TYPE_RGBA, 8, {10, 20, 30, 0, 40, 50, 60, 128})),
            (Pixels{0x000A141Eu, 0x8028323Cu}));
  // 16 bits: the high byte stays.
  EXPECT_EQ(Decoded(Image(PNG_COLOR_TYPE_RGB, 16, {10, 1, 20, 2, 30, 3, 40, 4, 50, 5, 60, 6})),
            (Pixels{0xFF0A141Eu, 0xFF28323Cu}));
  EXPECT_EQ(Decoded(Image(PNG_COLOR_TYPE_RGBA, 16,
                          {10, 9, 20, 9, 30, 9, 0x7F, 0xFF, 40, 0, 50, 0, 60, 0, 0xFF, 0})),
            (Pixels{0x7F0A141Eu, 0xFF28323Cu}));
  EXPECT_EQ(Decoded(Image(PNG_COLOR_TYPE_GRAY, 8, {0, 200})), (Pixels{0xFF000000u, 0xFFC8C8C8u}));
  EXPECT_EQ(Decoded(Image(PNG_COLOR_TYPE_GRAY, 1, {0x40})), (Pixels{0xFF000000u, 0xFFFFFFFFu}));
  EXPECT_EQ(Decoded(Image(PNG_COLOR_TYPE_GRAY, 2, {0x70})), (Pixels{0xFF555555u, 0xFFFFFFFFu}));
  EXPECT_EQ(Decoded(Image(PNG_COLOR_TYPE_GRAY, 4, {0x3C})), (Pixels{0xFF333333u, 0xFFCCCCCCu}));
  EXPECT_EQ(Decoded(Image(PNG_COLOR_TYPE_GRAY, 16, {0x12, 0x34, 0xAB, 0xCD})),
            (Pixels{0xFF121212u, 0xFFABABABu}));
  EXPECT_EQ(Decoded(Image(PNG_COLOR_TYPE_GRAY_ALPHA, 8, {100, 50, 200, 255})),
            (Pixels{0x32646464u, 0xFFC8C8C8u}));
}

TEST(PngDecoder, TransparencyChunksBecomeAlpha) {
  TestPng rgb = Image(PNG_COLOR_TYPE_RGB, 8, {10, 20, 30, 40, 50, 60});
  rgb.hasKey = true;
  rgb.key.red = 10;
  rgb.key.green = 20;
  rgb.key.blue = 30;
  EXPECT_EQ(Decoded(rgb), (Pixels{0x000A141Eu, 0xFF28323Cu}));
  TestPng grey = Image(PNG_COLOR_TYPE_GRAY, 4, {0x3C});
  grey.hasKey = true;
  grey.key.gray = 0xC;
  EXPECT_EQ(Decoded(grey), (Pixels{0xFF333333u, 0x00CCCCCCu}));

  TestPng palette = Image(PNG_COLOR_TYPE_PALETTE, 8, {1, 0});
  palette.palette = kPalette;
  EXPECT_EQ(Decoded(palette), (Pixels{0xFFC86432u, 0xFF010203u}));
  palette.paletteAlpha = {255, 64};  // entries past the list stay opaque
  palette.rows = {1, 3};
  EXPECT_EQ(Decoded(palette), (Pixels{0x40C86432u, 0xFFFA0080u}));
  palette.paletteAlpha = {0};
  palette.rows = {0, 1};
  EXPECT_EQ(Decoded(palette), (Pixels{0x00010203u, 0xFFC86432u}));
  for (int depth : {1, 2, 4}) {
    SCOPED_TRACE(depth);
    palette.depth = depth;
    palette.palette.assign(kPalette.begin(), kPalette.begin() + (depth == 1 ? 2 : 4));
    palette.paletteAlpha.clear();
    palette.rows = {static_cast<unsigned char>(depth == 1 ? 0x40 : depth == 2 ? 0x30 : 0x03)};
    const std::uint32_t second = depth == 1 ? 0xFFC86432u : 0xFFFA0080u;
    EXPECT_EQ(Decoded(palette), (Pixels{0xFF010203u, second}));
  }
}

TEST(PngDecoder, RowsLandAtTheirSpanAndInterlacingIsUndone) {
  // 5 x 3 RGBA: rows of 5 pixels in a bitmap whose rows are 8 apart.
  TestPng image = Image(PNG_COLOR_TYPE_RGBA, 8, {});
  image.width = 5;
  image.height = 3;
  Pixels expected;
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 5; ++x) {
      const unsigned char r = static_cast<unsigned char>(x * 40), g = static_cast<unsigned char>(y),
                          b = static_cast<unsigned char>(x + y),
                          a = static_cast<unsigned char>(255 - x);
      image.rows.insert(image.rows.end(), {r, g, b, a});
      expected.push_back(std::uint32_t{a} << 24 | std::uint32_t{r} << 16 | g << 8 | b);
    }
  const std::vector<unsigned char> bytes = EncodeTestPng(image);
  std::unique_ptr<PxMemBitmap> bitmap = DecodePng(bytes.data(), bytes.size());
  ASSERT_NE(bitmap, nullptr);
  EXPECT_EQ(bitmap->Width(), 5);
  EXPECT_EQ(bitmap->Height(), 3);
  EXPECT_EQ(bitmap->RowSpan(), 8);
  EXPECT_EQ(bitmap->Row(1)[0], expected[5]);
  EXPECT_EQ(Decoded(bytes), expected);
  image.interlaced = true;
  EXPECT_EQ(Decoded(image), expected);
}

TEST(PngDecoder, BrokenOrOversizedInputGivesNothing) {
  const std::vector<unsigned char> good =
      EncodeTestPng(Image(PNG_COLOR_TYPE_RGB, 8, {1, 2, 3, 4, 5, 6}));
  ASSERT_FALSE(Decoded(good).empty());
  for (std::size_t cut = 0; cut < good.size(); ++cut)
    EXPECT_EQ(DecodePng(good.data(), cut), nullptr) << cut;  // the end chunk is checked too
  EXPECT_EQ(DecodePng(nullptr, 100), nullptr);
  const std::vector<unsigned char> text(100, 'x');
  EXPECT_EQ(DecodePng(text.data(), text.size()), nullptr);
  for (std::size_t at : {std::size_t{16}, std::size_t{30}, good.size() - 20}) {
    std::vector<unsigned char> corrupt = good;
    corrupt[at] ^= 0x55;  // a chunk's checksum no longer matches
    EXPECT_EQ(DecodePng(corrupt.data(), corrupt.size()), nullptr) << at;
  }

  TestPng wide = Image(PNG_COLOR_TYPE_GRAY, 1, {});
  wide.width = kPngMaxSide;
  wide.rows.assign(TestPngRowBytes(wide), 0);
  EXPECT_EQ(Decoded(wide).size(), static_cast<std::size_t>(kPngMaxSide));
  wide.width = kPngMaxSide + 1;
  wide.rows.assign(TestPngRowBytes(wide), 0);
  EXPECT_TRUE(Decoded(wide).empty());
  TestPng large = Image(PNG_COLOR_TYPE_GRAY, 1, {});
  large.width = 8192;
  large.height = static_cast<int>(kPngMaxPixels / 8192 + 1);
  large.rows.assign(TestPngRowBytes(large) * large.height, 0);
  EXPECT_TRUE(Decoded(large).empty());
}

TEST(PngDecoder, FilesAreReadWhenTheirExtensionIsPng) {
  const std::vector<unsigned char> bytes = EncodeTestPng(Image(PNG_COLOR_TYPE_GRAY, 8, {9, 90}));
  const std::string folder = ::testing::TempDir();
  auto write = [&](const std::string& name) {
    std::FILE* file = std::fopen((folder + name).c_str(), "wb");
    EXPECT_NE(file, nullptr);
    if (file == nullptr) return folder + name;
    std::fwrite(bytes.data(), 1, bytes.size(), file);
    std::fclose(file);
    return folder + name;
  };
  for (const char* name : {"decoder-a.png", "decoder-b.PnG"}) {
    std::unique_ptr<PxMemBitmap> bitmap = DecodePngFile(write(name), true);
    ASSERT_NE(bitmap, nullptr) << name;
    EXPECT_EQ(bitmap->Row(0)[1], 0xFF5A5A5Au);
  }
  const std::string other = write("decoder-c.png.bak");
  EXPECT_EQ(DecodePngFile(other, true), nullptr);
  EXPECT_NE(DecodePngFile(other, false), nullptr);
  EXPECT_EQ(DecodePngFile(folder + "decoder-missing.png", false), nullptr);
  EXPECT_EQ(DecodePngFile(folder, false), nullptr);               // a folder
  EXPECT_EQ(DecodePngFile(write("decoder-png"), true), nullptr);  // no extension at all

  ASSERT_EQ(ImageFileLoaders().size(), 1u);
  EXPECT_STREQ(ImageFileLoaders()[0].description, "PNG files (*.PNG)");
  EXPECT_STREQ(PngFileLoaderDescription(), "PNG files (*.PNG)");
  EXPECT_NE(ImageFileLoaders()[0].load(folder + "decoder-a.png", true), nullptr);
}

}  // namespace
