#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <vector>

#include "audio/AudioClip.h"
#include "audio/AudioFile.h"
#include "audio/SafeString.h"
#include "tests/audio/TestAudioFiles.h"

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
  clip.fileBitsPerSample = 24;
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
  EXPECT_EQ(clip.fileBitsPerSample, 0);
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

// Interleaved integer samples of a few tones, one per channel, at 3/4 of
// full scale for the depth.
std::vector<std::int64_t> Tones(int frames, int channels, int bits) {
  std::vector<std::int64_t> samples;
  const double full = std::ldexp(0.75, bits - 1);
  for (int f = 0; f < frames; ++f)
    for (int c = 0; c < channels; ++c)
      samples.push_back(std::lround(full * std::sin(0.01 * (c + 1) * f + c)));
  return samples;
}

void ExpectSameClip(const AudioClip& converted, const AudioClip& loaded) {
  EXPECT_EQ(converted.channels, loaded.channels);
  EXPECT_EQ(converted.sampleRate, loaded.sampleRate);
  EXPECT_EQ(converted.length, loaded.length);
  EXPECT_EQ(converted.fileLength, loaded.fileLength);
  EXPECT_EQ(converted.fileSampleRate, loaded.fileSampleRate);
  EXPECT_EQ(converted.fileBitsPerSample, loaded.fileBitsPerSample);
  ASSERT_EQ(converted.left.length, loaded.left.length);
  ASSERT_EQ(converted.right.length, loaded.right.length);
  for (int i = 0; i < loaded.left.length; ++i)
    ASSERT_EQ(converted.left.At(i), loaded.left.At(i)) << i;
  for (int i = 0; i < loaded.right.length; ++i)
    ASSERT_EQ(converted.right.At(i), loaded.right.At(i)) << i;
}

// A clip loaded at its file's own rate holds the file's samples, so converting
// it in memory must give exactly what loading the file at the new rate gives:
// the same resampler for the depth, the same length, every channel stored.
TEST(AudioClipConvert, FromTheFileRateEqualsALoadAtTheNewRate) {
  struct Case {
    int channels, bits;
    std::uint32_t rate;
    double target;
  };
  for (const Case& c : {Case{2, 16, 44100, 48000}, Case{1, 24, 44100, 32000},
                        Case{6, 16, 48000, 44100}, Case{1, 8, 22050, 44100}}) {
    SCOPED_TRACE(testing::Message()
                 << c.channels << " x " << c.bits << " bits, " << c.rate << " to " << c.target);
    WaveLayout layout;
    layout.channels = c.channels;
    layout.bits = c.bits;
    layout.rate = c.rate;
    std::vector<std::int64_t> samples = Tones(5001, c.channels, c.bits);
    if (c.bits == 8)
      for (std::int64_t& v : samples) v += 128;  // 8-bit WAVE samples are unsigned
    const std::string path = WriteTemp("convert.wav", MakeWave(layout, samples));
    AudioFile atFileRate, atTarget, converted;
    ASSERT_TRUE(atFileRate.Load(path, c.rate));
    ASSERT_TRUE(atTarget.Load(path, c.target));
    EXPECT_EQ(atTarget.fileBitsPerSample, c.bits);
    ASSERT_TRUE(converted.ConvertFrom(atFileRate, c.target));
    ExpectSameClip(converted, atTarget);
  }
}

// Without a known depth the deeper resampler is used: a 16-bit clip whose
// depth is forgotten converts as the same samples in a 24-bit file would.
TEST(AudioClipConvert, UnknownDepthTakesTheDeeperResampler) {
  WaveLayout shallow;
  shallow.channels = 1;
  const std::vector<std::int64_t> samples = Tones(3000, 1, 16);
  std::vector<std::int64_t> widened;
  for (std::int64_t v : samples) widened.push_back(v * 256);  // the same values at 24 bits
  WaveLayout deep = shallow;
  deep.bits = 24;
  AudioFile source, deepAtTarget, shallowAtTarget, converted;
  ASSERT_TRUE(source.Load(WriteTemp("shallow.wav", MakeWave(shallow, samples)), 44100));
  ASSERT_TRUE(deepAtTarget.Load(WriteTemp("deep.wav", MakeWave(deep, widened)), 48000));
  ASSERT_TRUE(shallowAtTarget.Load(WriteTemp("shallow.wav", MakeWave(shallow, samples)), 48000));
  source.fileBitsPerSample = 0;
  ASSERT_TRUE(converted.ConvertFrom(source, 48000));
  EXPECT_EQ(converted.fileBitsPerSample, 0);
  ASSERT_EQ(converted.left.length, deepAtTarget.left.length);
  int differentFromShallow = 0;
  for (int i = 0; i < converted.left.length; ++i) {
    ASSERT_EQ(converted.left.At(i), deepAtTarget.left.At(i)) << i;
    differentFromShallow += converted.left.At(i) != shallowAtTarget.left.At(i);
  }
  EXPECT_GT(differentFromShallow, 0);  // the two resamplers do differ
}

// Without the file's numbers the length follows the clip's own; a clip at one
// rate converted onward keeps the file's.
TEST(AudioClipConvert, LengthFromTheFileOrElseFromTheClip) {
  AudioClip source;
  const std::vector<double> samples(4410, 0.25);
  ASSERT_TRUE(source.left.Append(4410, samples.data()));
  source.channels = 1;
  source.sampleRate = 44100;
  source.length = 4410;
  AudioClip converted;
  ASSERT_TRUE(converted.ConvertFrom(source, 48000));
  EXPECT_EQ(converted.length, 4800);
  EXPECT_EQ(converted.left.length, 4800);
  EXPECT_EQ(converted.right.length, 0);
  EXPECT_NEAR(converted.left.At(2400), 0.25, 1e-6);

  // A file of 1001 frames at 96 kHz, held at 44.1 kHz as trunc(459.8) frames:
  // at 48 kHz it has the trunc(500.5) frames a load would give, not the
  // trunc(499.6) the clip's own length scales to.
  source.fileSampleRate = 96000;
  source.fileLength = 1001;
  source.left.Clear();
  ASSERT_TRUE(source.left.Append(459, samples.data()));
  source.length = 459;
  ASSERT_TRUE(converted.ConvertFrom(source, 48000));
  EXPECT_EQ(converted.length, 500);
  EXPECT_EQ(converted.left.length, 500);
  EXPECT_EQ(converted.fileLength, 1001);
  EXPECT_EQ(converted.fileSampleRate, 96000);
}

TEST(AudioClipConvert, FailuresLeaveTheTargetEmpty) {
  WaveLayout layout;
  AudioFile source;
  ASSERT_TRUE(source.Load(WriteTemp("fail.wav", MakeWave(layout, Tones(2000, 2, 16))), 44100));
  AudioFile target;
  auto expectEmpty = [&target](const char* why) {
    EXPECT_EQ(target.length, 0.0) << why;
    EXPECT_EQ(target.channels, 0) << why;
    EXPECT_EQ(target.sampleRate, 0.0) << why;
    EXPECT_EQ(target.left.length, 0) << why;
    EXPECT_EQ(target.right.length, 0) << why;
  };
  for (double rate : {44100.0 * 300, 44100.0 / 300, 0.0, -1.0, std::nan(""), HUGE_VAL}) {
    ASSERT_TRUE(target.ConvertFrom(source, 48000));
    EXPECT_FALSE(target.ConvertFrom(source, rate)) << rate;
    expectEmpty("rate");
  }
  EXPECT_FALSE(source.ConvertFrom(source, 48000));  // onto itself
  EXPECT_EQ(source.length, 2000);
  AudioFile empty;
  EXPECT_FALSE(target.ConvertFrom(empty, 48000));
  expectEmpty("empty source");
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
