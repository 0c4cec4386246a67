// The PNG writer: exact round trips through libpng's reader (alpha and the
// colour under zero alpha included), row spans, memory and file output alike,
// and failures that leave no file behind and keep an older one.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "raster/PngWriter.h"
#include "tests/platform/PngReadBack.h"

namespace {

namespace fs = std::filesystem;

std::vector<unsigned char> FileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::vector<std::string> Names(const std::string& folder) {
  std::vector<std::string> names;
  std::error_code error;
  for (const fs::directory_entry& entry : fs::directory_iterator(folder, error))
    names.push_back(entry.path().filename().string());
  return names;
}

class PngWriterTest : public ::testing::Test {
 protected:
  // A new folder of the test's own under the temporary one.
  void SetUp() override {
    std::random_device seed;
    for (int attempt = 0; attempt < 100 && folder.empty(); ++attempt) {
      const std::string candidate = ::testing::TempDir() + "png-writer-" + std::to_string(seed());
      std::error_code error;
      if (fs::create_directory(candidate, error)) folder = candidate + "/";
    }
    ASSERT_FALSE(folder.empty());
  }
  void TearDown() override {
    std::error_code error;
    fs::remove_all(folder, error);
  }
  std::string folder;
};

// 3 x 2 pixels in rows of 4 words: the fourth word of each row is never written.
const std::uint32_t kPixels[8] = {0x80FF0000u, 0xFF00FF00u, 0x00123456u, 0xDEADBEEFu,
                                  0x000000FFu, 0xFFFFFFFFu, 0x01020304u, 0xDEADBEEFu};

TEST_F(PngWriterTest, RoundTripsEveryChannelExactly) {
  const std::string path = folder + "round-trip.png";
  ASSERT_TRUE(WritePng(kPixels, 3, 2, 4, path));
  const std::vector<unsigned char> bytes = FileBytes(path);
  PngReadBack back;
  ASSERT_TRUE(ReadPngBack(bytes.data(), bytes.size(), &back));
  EXPECT_EQ(back.width, 3);
  EXPECT_EQ(back.height, 2);
  EXPECT_EQ(back.bitDepth, 8);
  EXPECT_EQ(back.colourType, PNG_COLOR_TYPE_RGB_ALPHA);
  EXPECT_EQ(back.argb, (std::vector<std::uint32_t>{0x80FF0000u, 0xFF00FF00u, 0x00123456u,
                                                   0x000000FFu, 0xFFFFFFFFu, 0x01020304u}));

  std::vector<unsigned char> memory = {1, 2, 3};  // replaced, not appended to
  ASSERT_TRUE(EncodePng(kPixels, 3, 2, 4, &memory));
  EXPECT_EQ(memory, bytes);
  EXPECT_EQ(Names(folder), std::vector<std::string>{"round-trip.png"});
}

TEST_F(PngWriterTest, LargeImagesRoundTrip) {
  const int width = 720, height = 650;
  std::vector<std::uint32_t> pixels(static_cast<std::size_t>(width) * height);
  std::uint32_t state = 12345;  // noise: compresses badly, so libpng writes many chunks
  for (std::uint32_t& p : pixels) p = state = state * 1664525u + 1013904223u;
  std::vector<unsigned char> bytes;
  ASSERT_TRUE(EncodePng(pixels.data(), width, height, width, &bytes));
  PngReadBack back;
  ASSERT_TRUE(ReadPngBack(bytes.data(), bytes.size(), &back));
  EXPECT_EQ(back.argb, pixels);
}

TEST_F(PngWriterTest, ReplacesAnOlderFileOnlyWhenComplete) {
  const std::string path = folder + "image.png";
  const std::uint32_t red = 0xFFFF0000u, blue = 0xFF0000FFu;
  ASSERT_TRUE(WritePng(&red, 1, 1, 1, path));
  ASSERT_TRUE(WritePng(&blue, 1, 1, 1, path));
  const std::vector<unsigned char> second = FileBytes(path);
  PngReadBack back;
  ASSERT_TRUE(ReadPngBack(second.data(), second.size(), &back));
  EXPECT_EQ(back.At(0, 0), blue);

  EXPECT_FALSE(WritePng(&red, 1, 0, 1, path));
  EXPECT_EQ(FileBytes(path), second);
  EXPECT_EQ(Names(folder), std::vector<std::string>{"image.png"});
}

TEST_F(PngWriterTest, RefusesUnwritableTargetsLeavingNothing) {
  const std::uint32_t pixel = 0xFF808080u;
  EXPECT_FALSE(WritePng(&pixel, 1, 1, 1, folder + "no-such-folder/x.png"));
  EXPECT_FALSE(WritePng(&pixel, 1, 1, 1, ""));
  EXPECT_FALSE(WritePng(&pixel, 1, 1, 1, folder));  // a folder's own path
  ASSERT_TRUE(fs::create_directory(folder + "taken.png"));
  EXPECT_FALSE(WritePng(&pixel, 1, 1, 1, folder + "taken.png"));  // rename onto a folder fails
  EXPECT_EQ(Names(folder), std::vector<std::string>{"taken.png"});
  EXPECT_TRUE(fs::is_empty(folder + "taken.png"));
}

TEST_F(PngWriterTest, RefusesBadArgumentsAndImagesLibpngRefuses) {
  const std::uint32_t pixel = 0xFF808080u;
  std::vector<unsigned char> out = {9};
  EXPECT_FALSE(EncodePng(nullptr, 1, 1, 1, &out));
  EXPECT_TRUE(out.empty());
  EXPECT_FALSE(EncodePng(&pixel, 0, 1, 1, &out));
  EXPECT_FALSE(EncodePng(&pixel, 1, -1, 1, &out));
  EXPECT_FALSE(EncodePng(&pixel, 2, 1, 1, &out));  // row span shorter than a row
  EXPECT_FALSE(EncodePng(&pixel, 1, 1, 1, nullptr));

  // Wider than libpng's default limit of a million: its error handler jumps
  // out of the encoder, which must still report failure and clean up.
  const int tooWide = 1000001;
  std::vector<std::uint32_t> row(tooWide, pixel);
  out = {9};
  EXPECT_FALSE(EncodePng(row.data(), tooWide, 1, tooWide, &out));
  EXPECT_TRUE(out.empty());
  EXPECT_FALSE(WritePng(row.data(), tooWide, 1, tooWide, folder + "wide.png"));
  EXPECT_TRUE(Names(folder).empty());
  EXPECT_TRUE(EncodePng(row.data(), 1000000, 1, tooWide, &out));
}

}  // namespace
