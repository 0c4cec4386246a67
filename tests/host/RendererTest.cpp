// The renderer's drive of the plug-in: the state it reads, the check that a
// clip was taken, renders in parts with automation between them, and a device
// rate change.
#include <gtest/gtest.h>

#include <fstream>

#include "host/ParamText.h"
#include "host/Renderer.h"
#include "tests/host/RenderTestFiles.h"
#include "tests/support/TestFifo.h"

namespace {

TEST(RendererTest, ReadsTheDefaultsAndNoticesAClipNotTaken) {
  Renderer renderer;
  std::string error;
  ASSERT_TRUE(renderer.Open(DILATORIX_PLUGIN_PATH, 44100, 256, &error)) << error;
  ASSERT_EQ(renderer.Values().size(), 51u);
  for (const StretchParamSpec* record : SettableStretchParams())
    EXPECT_DOUBLE_EQ(renderer.Values()[record->index], ParamDefault(*record)) << record->name;

  ScratchDirectory dir;
  { std::ofstream(dir / "text.wav") << "RIFF but not really"; }
  TestFifo fifo(dir / "fifo.wav");
  ASSERT_TRUE(fifo.Made());
  std::vector<double> values = renderer.Values();
  values[kPitch] = 1.5;
  // The plug-in keeps the path of a file it could not load; the state it
  // gives back says it is not playing.
  for (const std::string& path : {dir / "missing.wav", dir / "text.wav", fifo.Path()}) {
    EXPECT_FALSE(renderer.LoadClip(path, values, &error));
    EXPECT_EQ(error, "the plug-in could not load " + path);
  }

  std::vector<double> tone(4096, 0.25);
  ASSERT_TRUE(WriteMonoAsStereo(dir / "tone.wav", tone));
  ASSERT_TRUE(renderer.LoadClip(dir / "tone.wav", values, &error)) << error;
  EXPECT_EQ(renderer.Values()[kPitch], 1.5);  // read back from the plug-in
  EXPECT_FALSE(renderer.LoadClip(dir / "tone.wav", std::vector<double>(50), &error));

  // A module that is not a VST 2 plug-in.
  Renderer other;
  EXPECT_FALSE(other.Open(dir / "text.wav", 44100, 256, &error));
  EXPECT_EQ(error.rfind("cannot load " + (dir / "text.wav"), 0), 0u) << error;
}

std::vector<double> Tone(double hz, std::size_t frames) {
  std::vector<double> x(frames);
  for (std::size_t i = 0; i < frames; ++i) x[i] = 0.5 * std::sin(2 * M_PI * hz * i / 44100);
  return x;
}

TEST(RendererTest, RendersInPartsWithAutomationBetween) {
  ScratchDirectory dir;
  ASSERT_TRUE(WriteMonoAsStereo(dir / "tone.wav", Tone(440, 88200)));
  Renderer renderer;
  std::string error;
  ASSERT_TRUE(renderer.Open(DILATORIX_PLUGIN_PATH, 44100, 512, &error)) << error;
  ASSERT_TRUE(renderer.LoadClip(dir / "tone.wav", renderer.Values(), &error)) << error;
  ASSERT_TRUE(renderer.Analyse(88200, nullptr, &error)) << error;

  std::vector<double> left, right;
  const Renderer::Sink sink = [&](const double* const* channels, int frames) {
    left.insert(left.end(), channels[0], channels[0] + frames);
    right.insert(right.end(), channels[1], channels[1] + frames);
    return true;
  };
  ASSERT_TRUE(renderer.Render(30000, sink, nullptr, &error)) << error;
  // Values sent as a host sends them (normalised) and read back in real units.
  ASSERT_TRUE(renderer.SetParameter(kPitch, 1.5, &error)) << error;
  EXPECT_NEAR(renderer.Values()[kPitch], 1.5, 1e-6);
  ASSERT_TRUE(renderer.SetParameter(kRegStart, 0.6, &error)) << error;
  EXPECT_NEAR(renderer.Values()[kRegStart], 0.6, 1e-6);
  ASSERT_TRUE(renderer.SetParameter(kDir, 3, &error)) << error;
  EXPECT_EQ(renderer.Values()[kDir], 3);
  ASSERT_TRUE(renderer.SetParameter(kHEnab1, 1, &error)) << error;
  EXPECT_EQ(renderer.Values()[kHEnab1], 1);
  ASSERT_TRUE(renderer.SetParameter(kHEnab1, 0, &error)) << error;
  ASSERT_TRUE(renderer.Render(30001, sink, nullptr, &error)) << error;
  ASSERT_EQ(left.size(), 60001u);
  EXPECT_EQ(left, right);  // a mono clip plays alike on both sides

  // The pitch change reached the sound: 440 Hz before, 660 Hz after.
  EXPECT_GT(PowerAt(left, 20000, 8192, 440, 44100), 100 * PowerAt(left, 20000, 8192, 660, 44100));
  EXPECT_GT(PowerAt(left, 50000, 8192, 660, 44100), 100 * PowerAt(left, 50000, 8192, 440, 44100));

  EXPECT_FALSE(renderer.SetParameter(kPitch, 3, &error));
  EXPECT_EQ(error, "Pitch must be within 0.5..2, not 3");
  EXPECT_FALSE(renderer.SetParameter(kFileLoad, 1, &error));
  EXPECT_EQ(error, "no parameter 49 to set");
  const Renderer::Sink refuse = [](const double* const*, int) { return false; };
  EXPECT_FALSE(renderer.Render(100, refuse, nullptr, &error));
  EXPECT_EQ(error, "write failed");
}

TEST(RendererTest, KeepsPlayingAcrossADeviceRateChange) {
  ScratchDirectory dir;
  ASSERT_TRUE(WriteMonoAsStereo(dir / "tone.wav", Tone(440, 44100)));
  Renderer renderer;
  std::string error;
  EXPECT_FALSE(renderer.SetSampleRate(48000, &error));
  EXPECT_EQ(error, "no plug-in is open");
  ASSERT_TRUE(renderer.Open(DILATORIX_PLUGIN_PATH, 44100, 512, &error)) << error;
  ASSERT_TRUE(renderer.LoadClip(dir / "tone.wav", renderer.Values(), &error)) << error;
  ASSERT_TRUE(renderer.SetSampleRate(48000, &error)) << error;
  ASSERT_TRUE(renderer.Analyse(48000, nullptr, &error)) << error;
  std::vector<double> out;
  const Renderer::Sink sink = [&](const double* const* channels, int frames) {
    out.insert(out.end(), channels[0], channels[0] + frames);
    return true;
  };
  ASSERT_TRUE(renderer.Render(24000, sink, nullptr, &error)) << error;
  double sum = 0;
  for (std::size_t i = 12000; i < out.size(); ++i) sum += out[i] * out[i];
  EXPECT_GT(sum / 12000, 0.01);  // the clip still sounds
}

}  // namespace
