// The WAVE writer's encodings and failures, and the output file that appears only
// when complete.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cerrno>
#include <fstream>

#include "tests/host/RenderTestFiles.h"

namespace {

TEST(WavWriterTest, TwentyFourBitSamplesRoundAndClamp) {
  ScratchDirectory dir;
  const std::vector<double> left = {0.0, 0.5, -0.5, 1.0, -1.0, 2.0, -2.0, 1.4 / 8388608, NAN};
  const std::vector<double> right = {1.6 / 8388608, -1.6 / 8388608, 0.25, 0, 0, 0, 0, 0, 0};
  FILE* file = std::fopen((dir / "a.wav").c_str(), "wb");
  ASSERT_NE(file, nullptr);
  WavWriter writer;
  const double* channels[2] = {left.data(), right.data()};
  ASSERT_TRUE(writer.Begin(file, 2, 96000, WavWriter::Encoding::kPcm24, 9));
  ASSERT_TRUE(writer.WriteFrames(channels, 4));
  ASSERT_TRUE(writer.WriteFrames(channels, 0));
  const double* rest[2] = {left.data() + 4, right.data() + 4};
  ASSERT_TRUE(writer.WriteFrames(rest, 5));
  EXPECT_FALSE(writer.WriteFrames(channels, 1));  // beyond the announced length
  EXPECT_FALSE(writer.Finish());
  std::fclose(file);

  const WavContents wav = ReadWav(dir / "a.wav");
  ASSERT_TRUE(wav.valid);
  EXPECT_EQ(wav.sampleRate, 96000u);
  const double step = 1.0 / 8388608;
  const std::vector<double> expectLeft = {0, 0.5, -0.5, 1 - step, -1, 1 - step, -1, step, 0};
  EXPECT_EQ(wav.samples[0], expectLeft);
  EXPECT_EQ(wav.samples[1][0], 2 * step);
  EXPECT_EQ(wav.samples[1][1], -2 * step);
  EXPECT_EQ(wav.samples[1][2], 0.25);
}

TEST(WavWriterTest, MonoOddLengthIsPaddedAndShortWritesFail) {
  ScratchDirectory dir;
  FILE* file = std::fopen((dir / "m.wav").c_str(), "wb");
  ASSERT_NE(file, nullptr);
  const std::vector<double> samples = {0.1, 0.2, 0.3};
  const double* channels[1] = {samples.data()};
  WavWriter writer;
  ASSERT_TRUE(writer.Begin(file, 1, 44100, WavWriter::Encoding::kPcm24, 3));
  ASSERT_TRUE(writer.WriteFrames(channels, 3));
  ASSERT_TRUE(writer.Finish());
  std::fclose(file);
  const WavContents wav = ReadWav(dir / "m.wav");
  EXPECT_EQ(wav.fileSize, 44u + 9 + 1);
  EXPECT_EQ(wav.riffSize + 8, wav.fileSize);
  EXPECT_EQ(wav.Frames(), 3u);

  // Fewer frames than announced is not a finished file.
  file = std::fopen((dir / "short.wav").c_str(), "wb");
  ASSERT_TRUE(writer.Begin(file, 1, 44100, WavWriter::Encoding::kFloat32, 4));
  ASSERT_TRUE(writer.WriteFrames(channels, 3));
  EXPECT_FALSE(writer.Finish());
  std::fclose(file);

  // More than four gigabytes does not fit.
  EXPECT_EQ(WavWriter::MaxFrames(2, WavWriter::Encoding::kFloat32), (0xFFFFFFFFull - 51) / 8);
  EXPECT_FALSE(writer.Begin(stdout, 2, 44100, WavWriter::Encoding::kFloat32,
                            WavWriter::MaxFrames(2, WavWriter::Encoding::kFloat32) + 1));
}

TEST(WavWriterTest, FullDeviceReportsItsError) {
  FILE* full = std::fopen("/dev/full", "wb");
  if (full == nullptr) GTEST_SKIP() << "no /dev/full";
  std::vector<double> samples(1 << 16, 0.25);
  const double* channels[2] = {samples.data(), samples.data()};
  WavWriter writer;
  bool ok = writer.Begin(full, 2, 44100, WavWriter::Encoding::kFloat32, samples.size());
  ok = ok && writer.WriteFrames(channels, static_cast<int>(samples.size()));
  ok = ok && writer.Finish();
  EXPECT_FALSE(ok);
  EXPECT_EQ(writer.ErrorNumber(), ENOSPC);
  EXPECT_FALSE(writer.WriteFrames(channels, 1));  // stays failed
  std::fclose(full);
}

TEST(OutputFileTest, TargetAppearsOnlyOnCommit) {
  ScratchDirectory dir;
  { std::ofstream(dir / "old.wav") << "previous take"; }
  std::string error;
  {
    OutputFile output;
    ASSERT_TRUE(output.Open(dir / "old.wav", &error)) << error;
    std::fputs("new", output.Stream());
    EXPECT_EQ(dir.Names().size(), 2u);  // the old file and a hidden one beside it
  }  // dropped: the old file is untouched and nothing else is left
  EXPECT_EQ(dir.Names(), std::vector<std::string>{"old.wav"});
  EXPECT_EQ(ReadBytes(dir / "old.wav").size(), 13u);

  OutputFile output;
  ASSERT_TRUE(output.Open(dir / "old.wav", &error)) << error;
  std::fputs("new", output.Stream());
  ASSERT_TRUE(output.Commit(&error)) << error;
  EXPECT_EQ(dir.Names(), std::vector<std::string>{"old.wav"});
  EXPECT_EQ(ReadBytes(dir / "old.wav").size(), 3u);
  struct stat info;
  ASSERT_EQ(stat((dir / "old.wav").c_str(), &info), 0);
  const mode_t mask = umask(0);
  umask(mask);
  EXPECT_EQ(info.st_mode & 0777, 0666 & ~mask);  // not left private as a temporary

  EXPECT_FALSE(output.Open(dir / "none/x.wav", &error));
  EXPECT_EQ(error, "cannot write " + (dir / "none/x.wav") + ": No such file or directory");
  EXPECT_FALSE(output.Open(dir.Path(), &error));
  EXPECT_EQ(error, "cannot write " + dir.Path() + ": Is a directory");

  // A device is written in place.
  ASSERT_TRUE(output.Open("/dev/null", &error)) << error;
  EXPECT_EQ(output.WorkingPath(), "/dev/null");
  std::fputs("x", output.Stream());
  EXPECT_TRUE(output.Commit(&error)) << error;
  struct stat null;
  ASSERT_EQ(stat("/dev/null", &null), 0);
  EXPECT_TRUE(S_ISCHR(null.st_mode));
}

}  // namespace
