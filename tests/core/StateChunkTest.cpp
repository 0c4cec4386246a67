#include "core/StateChunk.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

TEST(StateChunk, AppendsLittleEndianAndReadsBack) {
  StateChunk chunk;
  EXPECT_EQ(chunk.AppendInt32(0x70666674), 4);
  EXPECT_EQ(chunk.AppendDouble(0.5), 12);
  EXPECT_EQ(chunk.AppendText("ab"), 18);
  const unsigned char expected[] = {0x74, 0x66, 0x66, 0x70};
  EXPECT_EQ(std::memcmp(chunk.Data(), expected, 4), 0);

  std::int32_t i = 0;
  double d = 0;
  std::string text;
  EXPECT_EQ(chunk.ReadInt32(0, &i), 4);
  EXPECT_EQ(i, 0x70666674);
  EXPECT_EQ(chunk.ReadDouble(4, &d), 12);
  EXPECT_EQ(d, 0.5);
  EXPECT_EQ(chunk.ReadText(12, &text), 18);
  EXPECT_EQ(text, "ab");
}

TEST(StateChunk, ReadsOutsideTheChunkFail) {
  StateChunk chunk;
  chunk.AppendDouble(1.0);
  double d = 7;
  std::int32_t i = 7;
  EXPECT_EQ(chunk.ReadDouble(1, &d), -1);
  EXPECT_EQ(chunk.ReadDouble(-1, &d), -1);
  EXPECT_EQ(chunk.ReadInt32(5, &i), -1);
  EXPECT_EQ(chunk.ReadInt32(4, &i), 8);
  EXPECT_EQ(d, 7.0);
}

TEST(StateChunk, ResizeZeroesNewBytesAndReportsOldSize) {
  StateChunk chunk;
  chunk.AppendInt32(-1);
  EXPECT_EQ(chunk.Resize(8), 4);
  std::int32_t tail = 1;
  chunk.ReadInt32(4, &tail);
  EXPECT_EQ(tail, 0);
  EXPECT_EQ(chunk.Resize(-3), 8);
  EXPECT_EQ(chunk.Size(), 0);
}

TEST(StateChunk, TextLengthEdgeCases) {
  std::string text = "unchanged";
  StateChunk cut;  // declares 10 bytes, holds 3
  cut.AppendInt32(10);
  cut.AppendInt32(0x00636261);
  cut.Resize(7);
  EXPECT_EQ(cut.ReadText(0, &text), 14);  // position after the declared length
  EXPECT_EQ(text, "");

  StateChunk zero;  // stops at the first zero byte
  zero.AppendText(std::string("ab\0cd", 5));
  EXPECT_EQ(zero.ReadText(0, &text), 9);
  EXPECT_EQ(text, "ab");

  StateChunk empty;
  empty.AppendText("");
  EXPECT_EQ(empty.ReadText(0, &text), 4);
  EXPECT_EQ(text, "");

  StateChunk negative;  // a negative length is corrupt, not a shorter position
  negative.AppendInt32(-2);
  negative.AppendInt32(0);
  EXPECT_EQ(negative.ReadText(0, &text), -1);

  StateChunk huge;  // a length past the position range does not overflow
  huge.AppendInt32(0x7FFFFFFF);
  EXPECT_EQ(huge.ReadText(0, &text), -1);

  StateChunk none;
  EXPECT_EQ(none.ReadText(0, &text), -1);
}

}  // namespace
