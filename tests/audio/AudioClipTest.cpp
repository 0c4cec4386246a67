#include <gtest/gtest.h>

#include <vector>

#include "audio/AudioClip.h"
#include "audio/AudioFile.h"
#include "audio/SafeString.h"

namespace {

TEST(AudioClip, NewAndClearedClipsAreEmpty) {
  AudioFile clip;
  EXPECT_EQ(clip.channels, 0);
  EXPECT_EQ(clip.length, 0.0);
  EXPECT_EQ(clip.left.capacity, 1024);
  EXPECT_EQ(clip.right.capacity, 1024);

  const std::vector<double> samples(3000, 0.5);
  clip.channels = 1;
  clip.sampleRate = 48000;
  clip.fileSampleRate = 44100;
  clip.length = clip.fileLength = 3000;
  ASSERT_TRUE(clip.left.Append(3000, samples.data()));
  EXPECT_EQ(clip.right.length, 0);  // mono leaves the second channel empty
  ASSERT_TRUE(clip.name.Set("take.wav"));

  AudioClip& base = clip;
  base.Clear();  // through the base: the file's name goes too
  EXPECT_EQ(clip.name.Get(), nullptr);
  EXPECT_EQ(clip.channels, 0);
  EXPECT_EQ(clip.sampleRate, 0.0);
  EXPECT_EQ(clip.fileSampleRate, 0.0);
  EXPECT_EQ(clip.length, 0.0);
  EXPECT_EQ(clip.fileLength, 0.0);
  EXPECT_EQ(clip.left.BlockCount(), 0);
  EXPECT_EQ(clip.right.BlockCount(), 0);

  // A reload of no more blocks than the clip held takes nothing from the heap.
  const int allocated = clip.left.pool->allocatedCount;
  ASSERT_TRUE(clip.left.Append(3000, samples.data()));
  EXPECT_EQ(clip.left.pool->allocatedCount, allocated);
}

TEST(SafeString, HoldsACopyOrNothing) {
  SafeString text;
  EXPECT_EQ(text.Get(), nullptr);
  char source[] = "abc";
  ASSERT_TRUE(text.Set(source));
  source[0] = 'x';
  EXPECT_STREQ(text.Get(), "abc");
  ASSERT_TRUE(text.Set(nullptr));
  EXPECT_EQ(text.Get(), nullptr);
  text.Set("again");
  text.Release();
  EXPECT_EQ(text.Get(), nullptr);
}

}  // namespace
