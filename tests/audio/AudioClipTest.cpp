#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "audio/AudioClip.h"
#include "audio/AudioFile.h"
#include "audio/SafeString.h"

namespace {

TEST(AudioClip, ClearZeroesTheFieldsAndReloadReusesTheBlocks) {
  AudioClip clip;
  EXPECT_EQ(clip.channels, 0);
  EXPECT_EQ(clip.sampleRate, 0.0);
  EXPECT_EQ(clip.left.capacity, 1024);
  EXPECT_EQ(clip.right.capacity, 1024);
  const std::vector<double> samples(5000, 0.5);
  clip.channels = 6;  // more than two in the file: only two are stored
  clip.sampleRate = 48000;
  clip.fileSampleRate = 44100;
  clip.length = 5000;
  clip.fileLength = 4594;
  ASSERT_TRUE(clip.left.Append(5000, samples.data()));
  ASSERT_TRUE(clip.right.Append(5000, samples.data()));
  const int leftAllocated = clip.left.Pool()->allocatedCount;
  const int rightAllocated = clip.right.Pool()->allocatedCount;

  clip.Clear();
  EXPECT_EQ(clip.channels, 0);
  EXPECT_EQ(clip.sampleRate, 0.0);
  EXPECT_EQ(clip.fileSampleRate, 0.0);
  EXPECT_EQ(clip.length, 0.0);
  EXPECT_EQ(clip.fileLength, 0.0);
  EXPECT_EQ(clip.left.BlockCount(), 0);
  EXPECT_EQ(clip.right.BlockCount(), 0);
  EXPECT_EQ(clip.left.capacity, 0);

  // A mono reload of no more blocks than the clip held takes nothing from the heap.
  clip.channels = 1;
  ASSERT_TRUE(clip.left.Append(3000, samples.data()));
  EXPECT_EQ(clip.left.Pool()->allocatedCount, leftAllocated);
  EXPECT_EQ(clip.right.Pool()->allocatedCount, rightAllocated);
  EXPECT_EQ(clip.right.length, 0);
  EXPECT_EQ(clip.left.At(2999), 0.5);
}

TEST(AudioFile, ClearThroughTheBaseAlsoEmptiesTheName) {
  AudioFile file;
  EXPECT_EQ(file.name.Get(), nullptr);
  ASSERT_TRUE(file.name.Set("take.wav"));
  file.channels = 2;
  file.length = 10.0;
  AudioClip& clip = file;
  clip.Clear();
  EXPECT_EQ(file.name.Get(), nullptr);
  EXPECT_EQ(file.channels, 0);
  EXPECT_EQ(file.length, 0.0);
}

TEST(SafeString, HoldsACopyOrNothing) {
  SafeString text;
  EXPECT_EQ(text.Get(), nullptr);
  char source[] = "abc";
  ASSERT_TRUE(text.Set(source));
  source[0] = 'x';
  EXPECT_STREQ(text.Get(), "abc");
  // Setting from its own text must copy before the old text is freed.
  ASSERT_TRUE(text.Set(text.Get()));
  EXPECT_STREQ(text.Get(), "abc");
  ASSERT_TRUE(text.Set(""));
  EXPECT_STREQ(text.Get(), "");
  ASSERT_TRUE(text.Set(nullptr));
  EXPECT_EQ(text.Get(), nullptr);
  ASSERT_TRUE(text.Set("again"));
  text.Release();
  EXPECT_EQ(text.Get(), nullptr);
  text.Release();  // twice is harmless
}

}  // namespace
