// An encoded image that decodes on first use: its size is known before any
// pixel is, the pixels match what the decoder gives, several threads asking at
// once share one decoding, and a header that lies or a broken image leaves a
// bitmap that drawing skips.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdint>
#include <thread>
#include <vector>

#include "raster/PngDecoder.h"
#include "raster/PngWriter.h"
#include "raster/PxBlit.h"
#include "raster/PxMemBitmap.h"
#include "raster/PxPngBitmap.h"

namespace {

std::vector<unsigned char> Encoded(int width, int height) {
  std::vector<std::uint32_t> pixels(static_cast<std::size_t>(width) * height);
  for (std::size_t i = 0; i < pixels.size(); ++i)
    pixels[i] = 0xFF000000u | static_cast<std::uint32_t>(i * 2654435761u >> 8);
  std::vector<unsigned char> bytes;
  EXPECT_TRUE(EncodePng(pixels.data(), width, height, width, &bytes));
  return bytes;
}

void PutBigEndian32(unsigned char* p, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = static_cast<unsigned char>(v >> (24 - 8 * i));
}

TEST(PxPngBitmap, KnowsItsSizeBeforeDecodingAndDecodesLikeTheDecoder) {
  const std::vector<unsigned char> bytes = Encoded(13, 7);
  std::unique_ptr<PxPngBitmap> image = PxPngBitmap::FromEncoded(bytes.data(), bytes.size());
  ASSERT_NE(image, nullptr);
  EXPECT_EQ(image->Width(), 13);
  EXPECT_EQ(image->Height(), 7);
  EXPECT_FALSE(image->IsDecoded());

  std::unique_ptr<PxMemBitmap> expected = DecodePng(bytes.data(), bytes.size());
  ASSERT_NE(expected, nullptr);
  ASSERT_NE(image->Pixels(), nullptr);
  EXPECT_TRUE(image->IsDecoded());
  EXPECT_EQ(image->RowSpan(), expected->RowSpan());
  for (int y = 0; y < 7; ++y)
    for (int x = 0; x < 13; ++x) ASSERT_EQ(image->Row(y)[x], expected->Row(y)[x]) << x << "," << y;
  EXPECT_FALSE(image->Resize(20, 20));
  EXPECT_EQ(image->Width(), 13);
}

TEST(PxPngBitmap, ThreadsAskingAtOnceShareOneDecoding) {
  const std::vector<unsigned char> bytes = Encoded(300, 200);
  std::unique_ptr<PxPngBitmap> image = PxPngBitmap::FromEncoded(bytes.data(), bytes.size());
  ASSERT_NE(image, nullptr);
  constexpr int kThreads = 4;
  std::vector<std::uint32_t*> seen(kThreads);
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) threads.emplace_back([&, t] { seen[t] = image->Pixels(); });
  for (std::thread& thread : threads) thread.join();
  ASSERT_NE(seen[0], nullptr);
  for (int t = 1; t < kThreads; ++t) EXPECT_EQ(seen[t], seen[0]);
}

TEST(PxPngBitmap, RefusesWhatIsNoPngHeaderOfAnAcceptableSize) {
  const std::vector<unsigned char> good = Encoded(4, 3);
  EXPECT_EQ(PxPngBitmap::FromEncoded(nullptr, 100), nullptr);
  EXPECT_EQ(PxPngBitmap::FromEncoded(good.data(), 23), nullptr);  // header cut short
  std::vector<unsigned char> bytes = good;
  bytes[1] = 'Q';
  EXPECT_EQ(PxPngBitmap::FromEncoded(bytes.data(), bytes.size()), nullptr);
  for (const std::uint32_t side : {0u, static_cast<std::uint32_t>(kPngMaxSide) + 1, 0x80000000u}) {
    bytes = good;
    PutBigEndian32(&bytes[16], side);
    EXPECT_EQ(PxPngBitmap::FromEncoded(bytes.data(), bytes.size()), nullptr) << side;
  }
  bytes = good;  // each side allowed, the area not
  PutBigEndian32(&bytes[16], kPngMaxSide);
  PutBigEndian32(&bytes[20], kPngMaxSide);
  EXPECT_EQ(PxPngBitmap::FromEncoded(bytes.data(), bytes.size()), nullptr);
}

TEST(PxPngBitmap, AnImageThatFailsToDecodeHasNoPixelsAndIsNotDrawn) {
  std::vector<unsigned char> bytes = Encoded(4, 3);
  bytes.resize(bytes.size() - 20);  // the image data ends early
  std::unique_ptr<PxPngBitmap> cut = PxPngBitmap::FromEncoded(bytes.data(), bytes.size());
  ASSERT_NE(cut, nullptr);
  EXPECT_EQ(cut->Pixels(), nullptr);
  EXPECT_EQ(cut->Pixels(), nullptr);  // not tried again
  EXPECT_FALSE(cut->IsDecoded());
  EXPECT_EQ(cut->RowSpan(), 0);

  PxMemBitmap target(8, 8);
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 8; ++x) target.Row(y)[x] = 0xFF123456u;
  PxBlit(target, *cut, 0, 0, 0, 0, 4, 3, 1.0, kPxCopy);
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 8; ++x) ASSERT_EQ(target.Row(y)[x], 0xFF123456u);
}

}  // namespace
