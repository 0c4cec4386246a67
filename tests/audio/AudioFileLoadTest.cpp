#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <cstring>

#include "audio/AudioFile.h"
#include "audio/FileReader.h"
#include "tests/audio/TestAudioFiles.h"
#include "tests/support/TestFifo.h"

namespace {

std::vector<std::int64_t> Ramp16(int frames, int channels) {
  std::vector<std::int64_t> s;
  for (int f = 0; f < frames; ++f)
    for (int c = 0; c < channels; ++c) s.push_back(static_cast<std::int16_t>((f * 37 + c * 1000) % 65536 - 32768));
  return s;
}

TEST(AudioFileLoad, SixteenBitStereoAtEqualRatesIsExact) {
  const int frames = 5000;
  const std::vector<std::int64_t> samples = Ramp16(frames, 2);
  const std::string path = WriteTemp("stereo16.wav", MakeWave(WaveLayout(), samples));
  AudioFile clip;
  ASSERT_TRUE(clip.Load(path, 44100));
  EXPECT_EQ(clip.channels, 2);
  EXPECT_EQ(clip.length, frames);
  EXPECT_EQ(clip.fileLength, frames);
  EXPECT_EQ(clip.sampleRate, 44100);
  EXPECT_EQ(clip.fileSampleRate, 44100);
  ASSERT_EQ(clip.left.length, frames);
  ASSERT_EQ(clip.right.length, frames);
  for (int f = 0; f < frames; ++f) {
    ASSERT_EQ(clip.left.At(f), samples[2 * f] * std::ldexp(1.0, -15)) << f;
    ASSERT_EQ(clip.right.At(f), samples[2 * f + 1] * std::ldexp(1.0, -15)) << f;
  }
}

TEST(AudioFileLoad, ConvertedLengthIsExactlyTheExpectedOne) {
  struct Case {
    std::uint32_t rate;
    double target;
  };
  for (const Case& c : {Case{44100, 48000}, Case{48000, 44100}, Case{44100, 96000}}) {
    WaveLayout layout;
    layout.rate = c.rate;
    const int frames = 30001;
    const std::string path = WriteTemp("rate.wav", MakeWave(layout, Ramp16(frames, 2)));
    AudioFile clip;
    ASSERT_TRUE(clip.Load(path, c.target));
    const int expected = static_cast<int>(c.target / c.rate * frames);
    EXPECT_EQ(clip.length, expected) << c.rate << " " << c.target;
    EXPECT_EQ(clip.left.length, expected);
    EXPECT_EQ(clip.right.length, expected);
    EXPECT_EQ(clip.sampleRate, c.target);
    EXPECT_EQ(clip.fileSampleRate, c.rate);
    EXPECT_EQ(clip.fileLength, frames);
  }
}

TEST(AudioFileLoad, ChannelCountsAndLayouts) {
  WaveLayout mono;
  mono.channels = 1;
  AudioFile clip;
  ASSERT_TRUE(clip.Load(WriteTemp("mono.wav", MakeWave(mono, Ramp16(100, 1))), 44100));
  EXPECT_EQ(clip.channels, 1);
  EXPECT_EQ(clip.right.length, 0);
  EXPECT_EQ(clip.left.length, 100);

  WaveLayout six;
  six.channels = 6;
  const std::vector<std::int64_t> samples = Ramp16(300, 6);
  ASSERT_TRUE(clip.Load(WriteTemp("six.wav", MakeWave(six, samples)), 44100));
  EXPECT_EQ(clip.channels, 6);
  EXPECT_EQ(clip.left.At(7), samples[6 * 7] / 32768.0);
  EXPECT_EQ(clip.right.At(7), samples[6 * 7 + 1] / 32768.0);

  // An 18-byte format chunk and an odd-sized unknown chunk with its pad byte.
  WaveLayout extended;
  extended.fmtSize = 18;
  PutId(extended.chunkBeforeData, "LIST");
  PutLittle(extended.chunkBeforeData, 3, 4);
  extended.chunkBeforeData.insert(extended.chunkBeforeData.end(), {'a', 'b', 'c', 0});
  const std::vector<std::int64_t> stereo = Ramp16(64, 2);
  ASSERT_TRUE(clip.Load(WriteTemp("ext.wav", MakeWave(extended, stereo)), 44100));
  EXPECT_EQ(clip.left.length, 64);
  EXPECT_EQ(clip.right.At(63), stereo[127] / 32768.0);

  // A longer format chunk is passed over by its size.
  WaveLayout longer;
  longer.fmtSize = 26;
  ASSERT_TRUE(clip.Load(WriteTemp("long.wav", MakeWave(longer, stereo)), 44100));
  EXPECT_EQ(clip.left.At(10), stereo[20] / 32768.0);
}

TEST(AudioFileLoad, SampleEncodingsAtTheirExtremes) {
  AudioFile clip;
  WaveLayout eight;
  eight.channels = 1;
  eight.bits = 8;
  ASSERT_TRUE(clip.Load(WriteTemp("u8.wav", MakeWave(eight, {0, 128, 255})), 44100));
  EXPECT_EQ(clip.left.At(0), -1.0);
  EXPECT_EQ(clip.left.At(1), 0.0);
  EXPECT_EQ(clip.left.At(2), 127.0 / 128);

  ASSERT_TRUE(clip.Load(WriteTemp("s8.aiff", MakeAiff(1, 8, 44100, {0x80, 0x7F, 0})), 44100));
  EXPECT_EQ(clip.fileSampleRate, 44100.0);
  EXPECT_EQ(clip.left.At(0), -1.0);
  EXPECT_EQ(clip.left.At(1), 127.0 / 128);

  WaveLayout deep;
  deep.channels = 1;
  deep.bits = 24;
  ASSERT_TRUE(clip.Load(WriteTemp("24.wav", MakeWave(deep, {0x800000, 0x7FFFFF, 1})), 44100));
  EXPECT_EQ(clip.left.At(0), -1.0);
  EXPECT_EQ(clip.left.At(1), 1.0 - std::ldexp(1.0, -23));
  EXPECT_EQ(clip.left.At(2), std::ldexp(1.0, -23));
  ASSERT_TRUE(clip.Load(WriteTemp("24.aiff", MakeAiff(1, 24, 44100, {0x800000, 0x7FFFFF})), 44100));
  EXPECT_EQ(clip.left.At(0), -1.0);
  EXPECT_EQ(clip.left.At(1), 1.0 - std::ldexp(1.0, -23));

  // 32-bit data is not silence: integers scale by 2^-31, floats as stored.
  WaveLayout int32;
  int32.channels = 1;
  int32.bits = 32;
  ASSERT_TRUE(clip.Load(WriteTemp("i32.wav", MakeWave(int32, {0x80000000, 0x40000000})), 44100));
  EXPECT_EQ(clip.left.At(0), -1.0);
  EXPECT_EQ(clip.left.At(1), 0.5);
  ASSERT_TRUE(clip.Load(WriteTemp("i32.aiff", MakeAiff(1, 32, 44100, {0xC0000000})), 44100));
  EXPECT_EQ(clip.left.At(0), -0.5);
  WaveLayout float32 = int32;
  float32.formatTag = 3;
  const float quarter = -0.25f;
  std::uint32_t bits32;
  std::memcpy(&bits32, &quarter, 4);
  ASSERT_TRUE(clip.Load(WriteTemp("f32.wav", MakeWave(float32, {bits32})), 44100));
  EXPECT_EQ(clip.left.At(0), -0.25);
  WaveLayout float64 = float32;
  float64.bits = 64;
  const double third = 1.0 / 3;
  std::int64_t bits64;
  std::memcpy(&bits64, &third, 8);
  ASSERT_TRUE(clip.Load(WriteTemp("f64.wav", MakeWave(float64, {bits64})), 44100));
  EXPECT_EQ(clip.left.At(0), third);

  // The extensible form takes its format from the sub-format.
  WaveLayout extensible = float32;
  extensible.formatTag = 0xFFFE;
  extensible.fmtSize = 40;
  extensible.subFormat = 3;
  ASSERT_TRUE(clip.Load(WriteTemp("ext32.wav", MakeWave(extensible, {bits32})), 44100));
  EXPECT_EQ(clip.left.At(0), -0.25);
  extensible.bits = 24;
  extensible.subFormat = 1;
  ASSERT_TRUE(clip.Load(WriteTemp("ext24.wav", MakeWave(extensible, {0x400000})), 44100));
  EXPECT_EQ(clip.left.At(0), 0.5);
}

TEST(AudioFileLoad, FailuresAndDamagedFiles) {
  AudioFile clip;
  EXPECT_FALSE(clip.Load(::testing::TempDir() + "missing.wav", 44100));
  for (int delta : {1, -1}) {
    WaveLayout off;
    off.riffSizeDelta = delta;
    EXPECT_FALSE(clip.Load(WriteTemp("off.wav", MakeWave(off, Ramp16(10, 2))), 44100)) << delta;
  }
  WaveLayout zeroRate;
  zeroRate.rate = 0;
  EXPECT_FALSE(clip.Load(WriteTemp("rate0.wav", MakeWave(zeroRate, Ramp16(10, 2))), 44100));
  EXPECT_FALSE(clip.Load(WriteTemp("rate0.aiff", MakeAiff(1, 16, 0.0, {1, 2})), 44100));

  // No data chunk: false. An unsupported depth: true, with nothing stored.
  Bytes noData = MakeWave(WaveLayout(), {});
  noData.resize(noData.size() - 8);
  noData[4] = static_cast<std::uint8_t>(noData.size() - 8);
  EXPECT_FALSE(clip.Load(WriteTemp("nodata.wav", noData), 44100));
  WaveLayout twelve;
  twelve.bits = 12;
  EXPECT_TRUE(clip.Load(WriteTemp("12.wav", MakeWave(twelve, Ramp16(10, 2))), 44100));
  EXPECT_EQ(clip.left.length, 0);
  EXPECT_EQ(clip.length, 0);

  // A file cut short: frames are capped by what is there, missing samples are
  // zero, and the load still succeeds.
  WaveLayout cut;
  cut.cutBytes = 3;  // the last frame loses one whole sample and one byte
  const std::vector<std::int64_t> samples = Ramp16(100, 2);
  Bytes shortFile = MakeWave(cut, samples);
  ASSERT_TRUE(clip.Load(WriteTemp("cut.wav", shortFile), 44100)) << "RIFF size matches the cut file";
  EXPECT_EQ(clip.left.length, 100);
  EXPECT_EQ(clip.right.At(99), 0.0);
  EXPECT_EQ(clip.left.At(98), samples[196] / 32768.0);

  // A header claiming far more frames than the file holds.
  Bytes claim = MakeWave(WaveLayout(), Ramp16(50, 2));
  const std::size_t dataSize = claim.size() - 4 - 200;
  claim[dataSize] = 0xFF;
  claim[dataSize + 1] = 0xFF;
  claim[dataSize + 2] = 0xFF;
  claim[dataSize + 3] = 0x7F;
  ASSERT_TRUE(clip.Load(WriteTemp("claim.wav", claim), 44100));
  EXPECT_EQ(clip.left.length, 50);

  // A rate no conversion can serve is refused before anything is stored.
  WaveLayout absurd;
  absurd.rate = 4000000000u;
  EXPECT_FALSE(clip.Load(WriteTemp("absurd.wav", MakeWave(absurd, Ramp16(10, 2))), 44100));
  absurd.rate = 3;
  EXPECT_FALSE(clip.Load(WriteTemp("slow.wav", MakeWave(absurd, Ramp16(10, 2))), 44100));
  EXPECT_EQ(clip.left.length, 0);

  // Long paths.
  const std::string longName(300, 'x');
  ASSERT_TRUE(clip.Load(WriteTemp(longName.substr(0, 200) + ".wav", MakeWave(WaveLayout(), Ramp16(10, 2))), 44100));
}

// Measuring reads the headers alone and tells what a load would: the same
// answer, channels, rates and lengths, with no sample stored.
TEST(AudioFileLoad, MeasuringAgreesWithLoading) {
  WaveLayout mono;
  mono.channels = 1;
  WaveLayout deep;
  deep.bits = 24;
  deep.rate = 48000;
  WaveLayout cut;
  cut.cutBytes = 3;
  WaveLayout twelve;
  twelve.bits = 12;
  WaveLayout absurd;
  absurd.rate = 4000000000u;
  Bytes claim = MakeWave(WaveLayout(), Ramp16(50, 2));
  claim[claim.size() - 4 - 200 + 3] = 0x7F;  // a data size far beyond the file
  const std::string files[] = {
      WriteTemp("measure-stereo.wav", MakeWave(WaveLayout(), Ramp16(1000, 2))),
      WriteTemp("measure-mono.wav", MakeWave(mono, Ramp16(777, 1))),
      WriteTemp("measure-24.wav", MakeWave(deep, Ramp16(4801, 2))),
      WriteTemp("measure-cut.wav", MakeWave(cut, Ramp16(100, 2))),
      WriteTemp("measure-claim.wav", claim),
      WriteTemp("measure-12.wav", MakeWave(twelve, Ramp16(10, 2))),
      WriteTemp("measure-absurd.wav", MakeWave(absurd, Ramp16(10, 2))),
      WriteTemp("measure.aiff", MakeAiff(2, 16, 22050, Ramp16(999, 2))),
      ::testing::TempDir() + "measure-missing.wav",
  };
  for (const std::string& path : files) {
    for (double rate : {44100.0, 48000.0, 96000.0}) {
      AudioFile loaded, measured;
      const bool loads = loaded.Load(path, rate);
      ASSERT_EQ(measured.Measure(path, rate), loads) << path << " at " << rate;
      EXPECT_EQ(measured.channels, loaded.channels) << path;
      EXPECT_EQ(measured.length, loaded.length) << path << " at " << rate;
      EXPECT_EQ(measured.fileLength, loaded.fileLength) << path;
      EXPECT_EQ(measured.sampleRate, loaded.sampleRate) << path;
      EXPECT_EQ(measured.fileSampleRate, loaded.fileSampleRate) << path;
      EXPECT_EQ(measured.left.length, 0) << path;
      EXPECT_EQ(measured.right.length, 0) << path;
    }
  }
}

// A small file at a low rate played at a high one would make a clip longer
// than any clip may be: it measures, with its length, but does not load, and
// nothing of its size is taken. A clip converted to such a rate fails too.
TEST(AudioFileLoad, ClipsLongerThanTheCapAreRefused) {
  WaveLayout slow;
  slow.channels = 1;
  slow.bits = 8;
  slow.rate = 1000;
  const std::string path =
      WriteTemp("too-long.wav", MakeWave(slow, std::vector<std::int64_t>(700000, 5)));
  AudioFile measured, loaded;
  ASSERT_TRUE(measured.Measure(path, 192000.0));
  EXPECT_EQ(measured.length, 134400000.0);
  EXPECT_GT(measured.length, AudioClip::kMaxFrames);
  EXPECT_FALSE(loaded.Load(path, 192000.0));
  EXPECT_EQ(loaded.length, 0.0);
  EXPECT_LE(loaded.left.capacity, 1 << 20);  // nothing near the claimed size was taken

  ASSERT_TRUE(loaded.Load(path, 44100.0));
  AudioClip converted;
  EXPECT_FALSE(converted.ConvertFrom(loaded, 192000.0));
  EXPECT_EQ(converted.length, 0.0);
}

// A FIFO without a writer, a device or a directory is refused at once, before
// anything is read: opening some of them would wait for ever.
TEST(AudioFileLoad, OnlyRegularFilesAreOpened) {
  TestFifo fifo(::testing::TempDir() + "dilatorix-load-" + std::to_string(getpid()) + ".fifo");
  ASSERT_TRUE(fifo.Made());
  for (const std::string& path : {fifo.Path(), std::string("/dev/zero"), ::testing::TempDir()}) {
    SCOPED_TRACE(path);
    const auto start = std::chrono::steady_clock::now();
    AudioFile clip;
    EXPECT_FALSE(clip.Load(path, 44100));
    FileReader reader;
    EXPECT_FALSE(reader.Open(path));
    EXPECT_TRUE(reader.atEnd && reader.failed);
    EXPECT_LT(TestFifo::MsSince(start), TestFifo::kPatienceMs / 2);
    EXPECT_EQ(clip.length, 0);
  }
  // A link to a regular file is read as the file.
  const std::string target = WriteTemp("linked.wav", MakeWave(WaveLayout(), Ramp16(10, 2)));
  const std::string link =
      ::testing::TempDir() + "dilatorix-link-" + std::to_string(getpid()) + ".wav";
  unlink(link.c_str());
  ASSERT_EQ(symlink(target.c_str(), link.c_str()), 0);
  AudioFile clip;
  EXPECT_TRUE(clip.Load(link, 44100));
  EXPECT_EQ(clip.length, 10);
  unlink(link.c_str());
}

}  // namespace

namespace {

TEST(FileReader, ExtendedValuesAndByteOrders) {
  Bytes b;
  for (double v : {44100.0, 1.0, 0.5, 96000.0, 1e-300}) PutExtended(b, v);
  b.insert(b.end(), {0x80, 0x00, 0, 0, 0, 0, 0, 0, 0, 0});           // negative zero
  b.insert(b.end(), {0x7F, 0xFF, 0x80, 0, 0, 0, 0, 0, 0, 0});        // infinity
  b.insert(b.end(), {0x7F, 0xFF, 0xC0, 0, 0, 0, 0, 0, 0, 1});        // NaN
  b.insert(b.end(), {0xC0, 0x00, 0xA0, 0, 0, 0, 0, 0, 0, 0});        // -2.5
  b.insert(b.end(), {0x12, 0x34, 0x56, 0x78, 0x12, 0x34, 0x56, 0x78});
  FileReader reader;
  ASSERT_TRUE(reader.Open(WriteTemp("extended.bin", b)));
  EXPECT_EQ(reader.size, static_cast<std::int64_t>(b.size()));
  EXPECT_EQ(reader.ReadExtended(), 44100.0);
  EXPECT_EQ(reader.ReadExtended(), 1.0);
  EXPECT_EQ(reader.ReadExtended(), 0.5);
  EXPECT_EQ(reader.ReadExtended(), 96000.0);
  EXPECT_EQ(reader.ReadExtended(), 1e-300);
  const double zero = reader.ReadExtended();
  EXPECT_EQ(zero, 0.0);
  EXPECT_TRUE(std::signbit(zero));
  EXPECT_TRUE(std::isinf(reader.ReadExtended()));
  EXPECT_TRUE(std::isnan(reader.ReadExtended()));
  EXPECT_EQ(reader.ReadExtended(), -2.5);
  EXPECT_EQ(reader.ReadBigEndian32(), 0x12345678u);
  EXPECT_EQ(reader.ReadLittleEndian32(), 0x78563412u);
  EXPECT_FALSE(reader.atEnd);
  EXPECT_EQ(reader.ReadLittleEndian16(), 0);  // past the end: zeros, atEnd set
  EXPECT_TRUE(reader.atEnd);
  EXPECT_FALSE(reader.failed);
  FileReader missing;
  EXPECT_FALSE(missing.Open(::testing::TempDir() + "no-such-file"));
  EXPECT_TRUE(missing.atEnd && missing.failed);
}

}  // namespace
