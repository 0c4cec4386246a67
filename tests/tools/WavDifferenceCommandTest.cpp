// Runs the built dilatorix-wav-difference on files of known difference: equal
// ones, a copy scaled by 1 + 10^-3 (-60 dB), a shorter copy, a missing file.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "host/ScratchDirectory.h"
#include "host/WavWriter.h"
#include "tests/support/CommandRun.h"

namespace {

// A stereo 32-bit float file of frames samples of a 440 Hz tone times gain.
void WriteTone(const std::string& path, int frames, double gain) {
  std::vector<double> left(frames), right(frames);
  for (int i = 0; i < frames; ++i) {
    left[i] = gain * 0.5 * std::sin(2 * M_PI * 440 * i / 44100.0);
    right[i] = -left[i];
  }
  std::FILE* stream = std::fopen(path.c_str(), "wb");
  ASSERT_NE(stream, nullptr);
  WavWriter writer;
  const double* channels[2] = {left.data(), right.data()};
  ASSERT_TRUE(writer.Begin(stream, 2, 44100, WavWriter::Encoding::kFloat32, frames));
  ASSERT_TRUE(writer.WriteFrames(channels, frames));
  ASSERT_TRUE(writer.Finish());
  std::fclose(stream);
}

CommandResult Compare(const std::vector<std::string>& args, const ScratchDirectory& logs) {
  std::string command = ShellQuote(DILATORIX_WAV_DIFFERENCE_PATH);
  for (const std::string& arg : args) command += " " + ShellQuote(arg);
  return RunCommand(command, logs);
}

TEST(WavDifferenceCommand, MeasuresAndJudgesKnownDifferences) {
  ScratchDirectory files, logs;
  const std::string a = files / "a.wav", same = files / "same.wav", scaled = files / "scaled.wav",
                    shorter = files / "shorter.wav";
  WriteTone(a, 4000, 1.0);
  WriteTone(same, 4000, 1.0);
  WriteTone(scaled, 4000, 1.001);
  WriteTone(shorter, 3000, 1.0);

  CommandResult r = Compare({"--max-db", "-100", a, same}, logs);
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_EQ(r.out, "identical over 4000 frames\n");

  // 32-bit float rounding moves the ratio a little off exactly -60 dB.
  r = Compare({a, scaled}, logs);
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_EQ(r.out.rfind("difference -60.0 dB re the first file's RMS over 4000 frames", 0), 0u)
      << r.out;
  EXPECT_EQ(Compare({"--max-db", "-59", a, scaled}, logs).exitCode, 0);
  EXPECT_EQ(Compare({"--max-db", "-61", a, scaled}, logs).exitCode, 1);

  r = Compare({"--max-db", "0", a, shorter}, logs);
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_EQ(r.out, "identical over 3000 frames (lengths differ)\n");

  r = Compare({a, files / "missing.wav"}, logs);
  EXPECT_EQ(r.exitCode, 2);
  EXPECT_EQ(r.out, "");
  EXPECT_EQ(r.err.rfind("dilatorix-wav-difference: cannot read", 0), 0u) << r.err;

  EXPECT_EQ(Compare({"--max-db", "x", a, same}, logs).exitCode, 2);
}

}  // namespace
