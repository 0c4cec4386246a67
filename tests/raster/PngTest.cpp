// PNG decoding of every colour type into 0xAARRGGBB, refusal of broken input,
// the writer's round trip, the embedded skin resources and the image cache.
#include <gtest/gtest.h>
#include <png.h>

#include <csetjmp>
#include <cstdio>
#include <thread>
#include <vector>

#include "platform/PngResources.h"
#include "raster/ImageCache.h"
#include "raster/PngDecoder.h"
#include "raster/PngWriter.h"

namespace {

void Append(png_structp png, png_bytep data, png_size_t n) {
  auto* out = static_cast<std::vector<unsigned char>*>(png_get_io_ptr(png));
  out->insert(out->end(), data, data + n);
}

// A 2 x 1 image of any colour type written with libpng; rows hold raw bytes.
std::vector<unsigned char> Make(int colourType, int depth, const std::vector<unsigned char>& row,
                                const std::vector<png_color>& palette = {},
                                const std::vector<png_byte>& paletteAlpha = {},
                                const png_color_16* transparent = nullptr) {
  std::vector<unsigned char> out;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  if (setjmp(png_jmpbuf(png)) != 0) {
    png_destroy_write_struct(&png, &info);
    return {};
  }
  png_set_write_fn(png, &out, Append, nullptr);
  png_set_IHDR(png, info, 2, 1, depth, colourType, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
               PNG_FILTER_TYPE_DEFAULT);
  if (!palette.empty()) png_set_PLTE(png, info, palette.data(), static_cast<int>(palette.size()));
  if (!paletteAlpha.empty())
    png_set_tRNS(png, info, paletteAlpha.data(), static_cast<int>(paletteAlpha.size()), nullptr);
  if (transparent != nullptr) png_set_tRNS(png, info, nullptr, 0, transparent);
  png_write_info(png, info);
  std::vector<unsigned char> copy = row;
  png_write_row(png, copy.data());
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  return out;
}

std::vector<std::uint32_t> Decoded(const std::vector<unsigned char>& bytes) {
  std::unique_ptr<PxMemBitmap> bitmap = DecodePng(bytes.data(), bytes.size());
  if (!bitmap) return {};
  return {bitmap->Row(0)[0], bitmap->Row(0)[1]};
}

using Pixels = std::vector<std::uint32_t>;

TEST(PngDecoder, EveryColourTypeEndsAsArgb) {
  EXPECT_EQ(Decoded(Make(PNG_COLOR_TYPE_RGB, 8, {10, 20, 30, 40, 50, 60})),
            (Pixels{0xFF0A141Eu, 0xFF28323Cu}));
  EXPECT_EQ(Decoded(Make(PNG_COLOR_TYPE_RGBA, 8, {10, 20, 30, 0, 40, 50, 60, 128})),
            (Pixels{0x000A141Eu, 0x8028323Cu}));
  EXPECT_EQ(Decoded(Make(PNG_COLOR_TYPE_RGB, 16, {10, 1, 20, 2, 30, 3, 40, 4, 50, 5, 60, 6})),
            (Pixels{0xFF0A141Eu, 0xFF28323Cu}));
  const png_color_16 key = {0, 10, 20, 30, 0};  // RGB with a transparent colour
  EXPECT_EQ(Decoded(Make(PNG_COLOR_TYPE_RGB, 8, {10, 20, 30, 40, 50, 60}, {}, {}, &key)),
            (Pixels{0x000A141Eu, 0xFF28323Cu}));
  const std::vector<png_color> palette = {{1, 2, 3}, {200, 100, 50}};
  EXPECT_EQ(Decoded(Make(PNG_COLOR_TYPE_PALETTE, 8, {1, 0}, palette)),
            (Pixels{0xFFC86432u, 0xFF010203u}));
  EXPECT_EQ(Decoded(Make(PNG_COLOR_TYPE_PALETTE, 8, {1, 0}, palette, {255, 64})),
            (Pixels{0x40C86432u, 0xFF010203u}));
  EXPECT_EQ(Decoded(Make(PNG_COLOR_TYPE_PALETTE, 1, {0x40}, palette)),  // bits 0, 1
            (Pixels{0xFF010203u, 0xFFC86432u}));
  EXPECT_EQ(Decoded(Make(PNG_COLOR_TYPE_GRAY, 8, {0, 200})), (Pixels{0xFF000000u, 0xFFC8C8C8u}));
  EXPECT_EQ(Decoded(Make(PNG_COLOR_TYPE_GRAY, 1, {0x40})), (Pixels{0xFF000000u, 0xFFFFFFFFu}));
  EXPECT_EQ(Decoded(Make(PNG_COLOR_TYPE_GRAY, 2, {0x70})), (Pixels{0xFF555555u, 0xFFFFFFFFu}));
  EXPECT_EQ(Decoded(Make(PNG_COLOR_TYPE_GRAY, 4, {0x0F})), (Pixels{0xFF000000u, 0xFFFFFFFFu}));
  EXPECT_EQ(Decoded(Make(PNG_COLOR_TYPE_GRAY, 16, {0x12, 0x34, 0xAB, 0xCD})),
            (Pixels{0xFF121212u, 0xFFABABABu}));
  EXPECT_EQ(Decoded(Make(PNG_COLOR_TYPE_GRAY_ALPHA, 8, {100, 50, 200, 255})),
            (Pixels{0x32646464u, 0xFFC8C8C8u}));
}

TEST(PngDecoder, BrokenInputGivesNothing) {
  const std::vector<unsigned char> good = Make(PNG_COLOR_TYPE_RGB, 8, {1, 2, 3, 4, 5, 6});
  ASSERT_FALSE(good.empty());
  for (std::size_t cut : {std::size_t{0}, std::size_t{7}, std::size_t{8}, std::size_t{20},
                          good.size() / 2, good.size() - 13})
    EXPECT_EQ(DecodePng(good.data(), cut), nullptr) << cut;
  EXPECT_EQ(DecodePng(nullptr, 100), nullptr);
  const std::vector<unsigned char> text(100, 'x');
  EXPECT_EQ(DecodePng(text.data(), text.size()), nullptr);
  std::vector<unsigned char> corrupt = good;
  corrupt[30] ^= 0xFF;  // inside the header: its checksum fails
  EXPECT_EQ(DecodePng(corrupt.data(), corrupt.size()), nullptr);
}

TEST(PngWriter, RoundTripsAndLeavesNothingOnFailure) {
  const std::uint32_t pixels[6] = {0x80FF0000u, 0xFF00FF00u, 0,
                                   0x000000FFu, 0xFFFFFFFFu, 0x01020304u};
  const std::string path = ::testing::TempDir() + "round-trip.PNG";
  ASSERT_TRUE(WritePng(pixels, 2, 2, 3, path));  // row span 3: the third word is skipped
  std::unique_ptr<PxMemBitmap> back = DecodePngFile(path, true);
  ASSERT_NE(back, nullptr);
  EXPECT_EQ(back->Row(0)[0], 0x80FF0000u);
  EXPECT_EQ(back->Row(0)[1], 0xFF00FF00u);
  EXPECT_EQ(back->Row(1)[0], 0x000000FFu);
  EXPECT_EQ(back->Row(1)[1], 0xFFFFFFFFu);
  EXPECT_EQ(DecodePngFile(path + ".bmp", true), nullptr);  // extension checked when asked

  const std::string missing = ::testing::TempDir() + "no-such-folder/x.png";
  EXPECT_FALSE(WritePng(pixels, 2, 2, 2, missing));
  EXPECT_EQ(std::fopen((missing + ".partial").c_str(), "rb"), nullptr);
  EXPECT_FALSE(WritePng(pixels, 0, 2, 2, path));
  ASSERT_EQ(ImageFileLoaderCount(), 1);
  EXPECT_STREQ(ImageFileLoaderAt(0).description, "PNG files (*.PNG)");
}

TEST(PngResources, EverySkinImageIsEmbeddedWithItsSize) {
  const struct {
    int id, w, h;
  } images[] = {{100, 720, 650}, {101, 30, 40},    {102, 24, 24},    {103, 14, 28},   {104, 12, 16},
                {105, 24, 48},   {106, 100, 4040}, {107, 400, 3200}, {108, 32, 3232}, {110, 80, 80},
                {112, 12, 12},   {113, 14, 28},    {114, 14, 28},    {115, 14, 28}};
  for (const auto& image : images) {
    const unsigned char* data = nullptr;
    std::size_t size = 0;
    ASSERT_TRUE(FindPngResource(image.id, &data, &size)) << image.id;
    std::unique_ptr<PxMemBitmap> bitmap = DecodePng(data, size);
    ASSERT_NE(bitmap, nullptr) << image.id;
    EXPECT_EQ(bitmap->Width(), image.w) << image.id;
    EXPECT_EQ(bitmap->Height(), image.h) << image.id;
  }
  const unsigned char* data = nullptr;
  std::size_t size = 0;
  for (int id : {-1, 99, 109, 111, 116}) EXPECT_FALSE(FindPngResource(id, &data, &size)) << id;
}

TEST(ImageCache, SameIdSameBitmapFromAnyThread) {
  PxBitmap* first = ImageCache::Add(9001, std::make_unique<PxMemBitmap>(2, 2));
  EXPECT_EQ(ImageCache::Find(9001), first);
  EXPECT_EQ(ImageCache::Add(9001, std::make_unique<PxMemBitmap>(3, 3)), first);
  std::vector<std::thread> threads;
  std::vector<PxBitmap*> seen(4);
  for (int t = 0; t < 4; ++t)
    threads.emplace_back([t, &seen] {
      for (int k = 0; k < 200; ++k) {
        PxBitmap* derived = ImageCache::Retain(std::make_unique<PxMemBitmap>(1, 1));
        ImageCache::Release(derived);
        seen[t] = ImageCache::Add(9002, std::make_unique<PxMemBitmap>(1, 1));
      }
    });
  for (std::thread& thread : threads) thread.join();
  for (PxBitmap* bitmap : seen) EXPECT_EQ(bitmap, seen[0]);
  EXPECT_TRUE(ImageCache::Release(first));
  EXPECT_EQ(ImageCache::Find(9001), nullptr);
  EXPECT_FALSE(ImageCache::Release(first));
}

}  // namespace
