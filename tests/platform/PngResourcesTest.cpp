// The embedded skin images: every id the editor asks for is there with the
// committed file's bytes and its exact size; other ids are refused.
#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "platform/PngResources.h"

namespace {

struct SkinImage {
  int id;
  const char* file;
  std::uint32_t width, height;
};

const SkinImage kSkin[] = {
    {100, "Stretch-bg.png", 720, 650},           {101, "load-file-button.png", 30, 40},
    {102, "horiz-fader-handle-eye.png", 24, 24}, {103, "on-off-14x14.png", 14, 28},
    {104, "range-fader-handle.png", 12, 16},     {105, "listen-button.png", 24, 48},
    {106, "progress-bar.png", 100, 4040},        {107, "rate-meter-needle.png", 400, 3200},
    {108, "plain-knob.png", 32, 3232},           {110, "X-Y-pad-blue.png", 80, 80},
    {112, "ring-marker-2.png", 12, 12},          {113, "enable-disable.png", 14, 28},
    {114, "lit-when-false-14x14.png", 14, 28},   {115, "lit-when-true-14x14.png", 14, 28},
};

std::uint32_t BigEndian(const unsigned char* p) {
  return std::uint32_t{p[0]} << 24 | std::uint32_t{p[1]} << 16 | std::uint32_t{p[2]} << 8 | p[3];
}

TEST(PngResources, EveryIdHoldsAPngOfItsImageSize) {
  const unsigned char signature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  for (const SkinImage& image : kSkin) {
    SCOPED_TRACE(image.file);
    const unsigned char* data = nullptr;
    std::size_t size = 0;
    ASSERT_TRUE(FindPngResource(image.id, &data, &size));
    ASSERT_NE(data, nullptr);
    ASSERT_GE(size, 33u);  // signature and the whole header chunk
    EXPECT_EQ(std::memcmp(data, signature, 8), 0);
    EXPECT_EQ(std::memcmp(data + 12, "IHDR", 4), 0);
    EXPECT_EQ(BigEndian(data + 16), image.width);
    EXPECT_EQ(BigEndian(data + 20), image.height);
  }
}

// A stale table (an image repainted, the build not re-embedding it) shows here.
TEST(PngResources, EmbeddedBytesAreTheCommittedFiles) {
  for (const SkinImage& image : kSkin) {
    SCOPED_TRACE(image.file);
    std::ifstream in(std::string(DILATORIX_SOURCE_DIR) + "/img/" + image.file, std::ios::binary);
    ASSERT_TRUE(in.good());
    const std::vector<unsigned char> file{std::istreambuf_iterator<char>(in),
                                          std::istreambuf_iterator<char>()};
    const unsigned char* data = nullptr;
    std::size_t size = 0;
    ASSERT_TRUE(FindPngResource(image.id, &data, &size));
    ASSERT_EQ(size, file.size());
    EXPECT_EQ(std::memcmp(data, file.data(), size), 0);
  }
}

TEST(PngResources, UnknownIdsAreRefusedWithoutTouchingTheOutputs) {
  for (int id : {99, 109, 111, 116, -1, 0, INT_MIN, INT_MAX, 0x10000 + 100}) {
    const unsigned char marker = 0;
    const unsigned char* data = &marker;
    std::size_t size = 12345;
    EXPECT_FALSE(FindPngResource(id, &data, &size)) << id;
    EXPECT_EQ(data, &marker) << id;
    EXPECT_EQ(size, 12345u) << id;
  }
}

}  // namespace
