// Runs the built dilatorix-render as a user would and checks its exits, messages
// and files.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <fstream>
#include <sstream>

#include "tests/audio/TestAudioFiles.h"
#include "tests/host/RenderTestFiles.h"
#include "tests/support/CommandRun.h"
#include "tests/support/TestFifo.h"

namespace {

class RenderCommandTest : public ::testing::Test {
 protected:
  // Runs the renderer in dir (or in cwd when given) with args.
  CommandResult Run(const std::vector<std::string>& args, const std::string& cwd = "") {
    std::string command = "cd " + ShellQuote(cwd.empty() ? dir.Path() : cwd) + " && " +
                          ShellQuote(DILATORIX_RENDER_PATH);
    for (const std::string& arg : args) command += " " + ShellQuote(arg);
    return RunCommand(command, logs);
  }

  // Renders args into dir/name and reads it back.
  WavContents Render(std::vector<std::string> args, const std::string& name = "out.wav") {
    args.push_back("-o");
    args.push_back(dir / name);
    const CommandResult result = Run(args);
    EXPECT_EQ(result.exitCode, 0) << result.err;
    return ReadWav(dir / name);
  }

  static std::vector<double> Sine(double hz, double seconds, double rate = 44100) {
    std::vector<double> x(static_cast<std::size_t>(seconds * rate));
    for (std::size_t i = 0; i < x.size(); ++i) x[i] = 0.5 * std::sin(2 * M_PI * hz * i / rate);
    return x;
  }

  // The strongest frequency of a window, on a 10 Hz grid.
  static double Dominant(const std::vector<double>& x, std::size_t from, double low, double high) {
    double best = low, bestPower = -1;
    for (double hz = low; hz <= high; hz += 10) {
      const double power = PowerAt(x, from, 4096, hz, 44100);
      if (power > bestPower) {
        bestPower = power;
        best = hz;
      }
    }
    return best;
  }

  static double Rms(const std::vector<double>& x, std::size_t from, std::size_t n) {
    double sum = 0;
    for (std::size_t i = from; i < from + n && i < x.size(); ++i) sum += x[i] * x[i];
    return std::sqrt(sum / n);
  }

  ScratchDirectory dir, logs;
};

// 700,000 frames at 1 kHz: 700 KB, but past the longest clip at 192 kHz.
std::string TooLongAtHighRates() {
  WaveLayout slow;
  slow.channels = 1;
  slow.bits = 8;
  slow.rate = 1000;
  return WriteTemp("too-long-at-high-rates.wav",
                   MakeWave(slow, std::vector<std::int64_t>(700000, 5)));
}

TEST_F(RenderCommandTest, FailuresExitWithOneLineAndLeaveNoFile) {
  { std::ofstream(dir / "notes.txt") << "not audio\n"; }
  struct Case {
    std::vector<std::string> args;
    std::string message;
  };
  const std::string out = dir / "out.wav";
  const std::vector<Case> cases = {
      {{dir / "missing.wav", "-o", out},
       "cannot open input " + (dir / "missing.wav") + ": No such file or directory"},
      {{dir / "notes.txt", "-o", out}, "is not a WAVE or AIFF file"},
      {{dir.Path(), "-o", out}, "is a directory"},
      {{"--param", "Bogus=1", "-o", out}, "no parameter named 'Bogus'"},
      {{"--param", "Pitch=3", "-o", out}, "Pitch must be within 0.5..2, not 3"},
      {{"--stretch", "0.5", "-o", out}, "--stretch must be within 1..1e9, not 0.5"},
      {{"--frobnicate", "-o", out}, "unknown option --frobnicate"},
      {{"--blur", "soft", "-o", out}, "--blur needs a number, not 'soft'"},
      {{"--stretch"}, "--stretch needs a value"},
      {{"--plugin", dir / "none.so", "--duration", "0.1", "-o", out}, "cannot load"},
      {{"--duration", "0.1", "-o", dir / "no/such/dir/out.wav"},
       "cannot write " + (dir / "no/such/dir/out.wav") + ": No such file or directory"},
      {{"--duration", "0.1", "-o", dir.Path()}, "cannot write " + dir.Path() + ": Is a directory"},
      {{"--duration", "2", "-o", "/dev/full"}, "cannot write /dev/full: No space left on device"},
      {{"--rate", "192000", TooLongAtHighRates(), "-o", out},
       "is too long: 134400000 frames at 192000 Hz, and a clip holds at most 134217728"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.args[0] + " " + (c.args.size() > 1 ? c.args[1] : ""));
    const CommandResult result = Run(c.args);
    EXPECT_NE(result.exitCode, 0);
    EXPECT_EQ(result.err.rfind("dilatorix-render: ", 0), 0u) << result.err;
    EXPECT_NE(result.err.find(c.message), std::string::npos) << result.err;
    EXPECT_EQ(std::count(result.err.begin(), result.err.end(), '\n'), 1) << result.err;
    EXPECT_EQ(dir.Names(), std::vector<std::string>{"notes.txt"});
  }
}

// A FIFO or a device could keep the renderer waiting in its open for ever.
TEST_F(RenderCommandTest, InputsThatAreNotRegularFilesAreRefusedAtOnce) {
  TestFifo fifo(dir / "input.wav");
  ASSERT_TRUE(fifo.Made());
  for (const std::string& input : {fifo.Path(), std::string("/dev/zero")}) {
    SCOPED_TRACE(input);
    const auto start = std::chrono::steady_clock::now();
    const CommandResult result = Run({input, "-o", dir / "out.wav"});
    EXPECT_LT(TestFifo::MsSince(start), TestFifo::kPatienceMs);
    EXPECT_NE(result.exitCode, 0);
    EXPECT_EQ(result.err, "dilatorix-render: input " + input + " is not a regular file\n");
    EXPECT_EQ(dir.Names(), std::vector<std::string>{"input.wav"});
  }
}

TEST_F(RenderCommandTest, ListsParametersHelpAndVersion) {
  const CommandResult list = Run({"--list-params"});
  ASSERT_EQ(list.exitCode, 0) << list.err;
  EXPECT_EQ(std::count(list.out.begin(), list.out.end(), '\n'), 1 + 30);
  for (const char* line : {"\nLevel           0 .. 1                     0.7079\n",
                           "\nRateNom         0 .. 1                     0\n",
                           "\nDir             Fwd|Rev|Fwd-Rev|Rand Walk  Fwd\n",
                           "\nFFT_Size        512|1024|2048              1024\n",
                           "\nBlurNom         0 .. 1000                  10\n",
                           "\nRateXtrm        off|on                     off\n",
                           "\nH.Pitch1        0.25 .. 2                  1\n",
                           "\nVolumeEnvelope  off|on                     off\n"})
    EXPECT_NE(list.out.find(line), std::string::npos) << line;
  EXPECT_EQ(list.out.find("FileLoad"), std::string::npos);

  const CommandResult help = Run({"--help"});
  EXPECT_EQ(help.exitCode, 0);
  EXPECT_EQ(help.out.rfind("usage: dilatorix-render", 0), 0u);
  const CommandResult version = Run({"--version"});
  EXPECT_EQ(version.exitCode, 0);
  EXPECT_EQ(version.out.rfind("dilatorix-render ", 0), 0u);
}

TEST_F(RenderCommandTest, FloatAnd24BitFilesParseBackAndAgree) {
  const WavContents f = Render({"--duration", "0.5"}, "float.wav");
  ASSERT_TRUE(f.valid);
  EXPECT_EQ(f.formatTag, 3);
  EXPECT_EQ(f.fmtSize, 18u);
  EXPECT_TRUE(f.hasFact);
  EXPECT_EQ(f.factFrames, 22050u);
  EXPECT_EQ(f.channels, 2);
  EXPECT_EQ(f.sampleRate, 44100u);
  EXPECT_EQ(f.bits, 32);
  EXPECT_EQ(f.Frames(), 22050u);
  EXPECT_EQ(f.riffSize + 8, f.fileSize);

  const WavContents i = Render({"--duration", "0.5", "--bits", "24"}, "int.wav");
  ASSERT_TRUE(i.valid);
  EXPECT_EQ(i.formatTag, 1);
  EXPECT_EQ(i.fmtSize, 16u);
  EXPECT_FALSE(i.hasFact);
  EXPECT_EQ(i.bits, 24);
  EXPECT_EQ(i.Frames(), 22050u);
  EXPECT_EQ(i.riffSize + 8, i.fileSize);

  // The same render: the integer file is the float one rounded to 24 bits.
  double worst = 0, energy = 0;
  for (int c = 0; c < 2; ++c) {
    for (std::size_t s = 0; s < f.Frames(); ++s) {
      worst = std::max(worst, std::fabs(f.samples[c][s] - i.samples[c][s]));
      energy += f.samples[c][s] * f.samples[c][s];
    }
  }
  EXPECT_LE(worst, 0.5 / 8388608 + 1e-9);
  EXPECT_GT(energy, 1.0);  // the demo phrase, not silence

  // Another host rate and an odd block size.
  const WavContents r = Render(
      {"--duration", "0.25", "--rate", "48000", "--block", "300", "--bits", "24"}, "rate.wav");
  EXPECT_EQ(r.sampleRate, 48000u);
  EXPECT_EQ(r.Frames(), 12000u);
}

TEST_F(RenderCommandTest, DefaultLengthAndNameFollowTheInput) {
  ASSERT_TRUE(WriteMonoAsStereo(dir / "tone.wav", Sine(440, 1.0)));
  const CommandResult whole = Run({"tone.wav", "--stretch", "2"});
  ASSERT_EQ(whole.exitCode, 0) << whole.err;
  EXPECT_EQ(ReadWav(dir / "tone-stretched.wav").Frames(), 88200u);

  EXPECT_EQ(Render({"tone.wav", "--stretch", "2", "--region", "0.25", "0.75"}).Frames(), 44100u);
  EXPECT_EQ(Render({"tone.wav", "--stretch", "2", "--duration", "0.1"}).Frames(), 4410u);
  // The rate a --param gives counts: RateNom 0 plays at the clip's own speed.
  EXPECT_EQ(Render({"tone.wav", "--stretch", "2", "--param", "RateNom=0"}).Frames(), 44100u);
}

TEST_F(RenderCommandTest, AnalysisEndsBeforePlaybackWhateverTheBlockSize) {
  ASSERT_TRUE(WriteMonoAsStereo(dir / "a440.wav", Sine(440, 1.0)));
  const WavContents a = Render({"a440.wav", "--stretch", "2", "--duration", "0.5"}, "a.wav");
  const WavContents b =
      Render({"a440.wav", "--stretch", "2", "--duration", "0.5", "--block", "97"}, "b.wav");
  ASSERT_EQ(a.Frames(), 22050u);
  EXPECT_EQ(a.samples, b.samples);
  // Sound from the first transform's length on: no playing call went to analysis.
  for (std::size_t at = 4096; at + 1024 <= a.Frames(); at += 1024)
    EXPECT_GT(Rms(a.samples[0], at, 1024), 0.03) << at;
}

TEST_F(RenderCommandTest, ReportsOnlyOnATerminalOrWhenAsked) {
  const CommandResult silent = Run({"--duration", "0.1", "-o", dir / "a.wav"});
  EXPECT_EQ(silent.exitCode, 0);
  EXPECT_EQ(silent.out, "");
  EXPECT_EQ(silent.err, "");

  const CommandResult shown = Run({"--duration", "0.1", "--progress", "-o", dir / "b.wav"});
  EXPECT_EQ(shown.exitCode, 0);
  EXPECT_EQ(shown.out.rfind("rendered demo-phrase.wav", 0), 0u) << shown.out;
  EXPECT_EQ(std::count(shown.out.begin(), shown.out.end(), '\n'), 1);
  EXPECT_NE(shown.err.find("analysing: 0% 25% 50% 75% 100%"), std::string::npos) << shown.err;
  EXPECT_NE(shown.err.find("rendering: 0% 25% 50% 75% 100%"), std::string::npos) << shown.err;
}

TEST_F(RenderCommandTest, TenfoldStretchKeepsASinesPitch) {
  ASSERT_TRUE(WriteMonoAsStereo(dir / "a440.wav", Sine(440, 1.0)));
  const WavContents wav = Render({"a440.wav", "--stretch", "10"});
  ASSERT_EQ(wav.Frames(), 441000u);
  for (double second : {2.0, 5.0, 8.0}) {
    SCOPED_TRACE(second);
    const std::size_t at = static_cast<std::size_t>(second * 44100);
    const std::vector<double>& left = wav.samples[0];
    EXPECT_GT(Rms(left, at, 4096), 0.05);
    const double peak = PowerAt(left, at, 4096, 440, 44100);
    for (double other : {220.0, 330.0, 400.0, 480.0, 550.0, 660.0, 880.0})
      EXPECT_GT(peak, 100 * PowerAt(left, at, 4096, other, 44100)) << other;
    EXPECT_EQ(wav.samples[1][at], left[at]);
  }
}

TEST_F(RenderCommandTest, ReverseDirectionPlaysASweepBackwards) {
  // One second rising exponentially from 400 Hz to 2400 Hz.
  std::vector<double> sweep(44100);
  double phase = 0;
  for (std::size_t i = 0; i < sweep.size(); ++i) {
    phase += 2 * M_PI * 400 * std::pow(6.0, i / 44100.0) / 44100;
    sweep[i] = 0.5 * std::sin(phase);
  }
  ASSERT_TRUE(WriteMonoAsStereo(dir / "sweep.wav", sweep));
  for (const char* direction : {"fwd", "rev"}) {
    SCOPED_TRACE(direction);
    const WavContents wav = Render({"sweep.wav", "--stretch", "4", "--direction", direction});
    ASSERT_EQ(wav.Frames(), 4u * 44100);
    const double early = Dominant(wav.samples[0], 44100 / 2, 300, 2600);
    const double late = Dominant(wav.samples[0], 44100 * 3, 300, 2600);
    if (direction[0] == 'r')
      EXPECT_GT(early, 1.5 * late) << early << " " << late;
    else
      EXPECT_LT(1.5 * early, late) << early << " " << late;
  }
}

}  // namespace
