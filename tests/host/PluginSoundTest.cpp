// The sound the module makes of a steady tone when stretched far, started in a
// region and shifted in pitch, as a host hears it through the entry.
#include <gtest/gtest.h>

#include <cmath>

#include "tests/host/PluginFixture.h"
#include "tools/SoundMeasures.h"

namespace {

constexpr double kRate = 44100;
// Parameter indices, as the host knows them.
constexpr int kRateNom = 4, kRateSame = 5, kRateXtrm = 6, kRegStart = 11, kPitch = 16;

std::vector<double> Tone(int frames, double hz) {
  std::vector<double> samples(frames);
  for (int i = 0; i < frames; ++i) samples[i] = 0.5 * std::sin(2 * M_PI * hz * i / kRate);
  return samples;
}

class SoundTest : public PluginTest {
 protected:
  void SetUp() override {
    PluginTest::SetUp();
    Start(host);
  }

  // Loads the clip with the changes, analyses it and plays seconds of it.
  std::vector<double> Render(const std::string& path, int clipFrames,
                             const std::vector<std::pair<int, double>>& changes, double seconds) {
    LoadByState(host, path, changes);
    Analyse(host, clipFrames);
    host.transport.playing = true;
    std::vector<double> out;
    while (out.size() < seconds * kRate) {
      const std::vector<double> block = Block(host, 512);
      out.insert(out.end(), block.begin(), block.end());
    }
    host.transport.playing = false;
    return out;
  }
};

TEST_F(SoundTest, ToneKeepsItsLevelAndStaysALineFarStretched) {
  const std::string path = WriteClip("steady.wav", Tone(4 * 44100, 440));
  const std::vector<double> reference = Render(path, 4 * 44100, {}, 3.0);
  const double inOrderDb = MeasureLevel(reference, 44100, reference.size(), kRate).levelDb;
  // RateNom 2/3 is a hundredfold stretch, or a millionfold in the extreme range.
  for (bool extreme : {false, true}) {
    const std::vector<double> out =
        Render(path, 4 * 44100, {{kRateNom, 2.0 / 3}, {kRateSame, 1}, {kRateXtrm, extreme}}, 4.0);
    const LevelStats level = MeasureLevel(out, 44100, out.size(), kRate);
    EXPECT_NEAR(level.levelDb, inOrderDb, 1.0) << extreme;
    EXPECT_LT(level.rippleDb, 1.0) << extreme;
    EXPECT_LT(SpanOutOfBandDb(out, 44100, out.size(), kRate, {440}), -60.0) << extreme;
  }
}

TEST_F(SoundTest, StretchedPlaybackStartsInTheRegion) {
  // 440 Hz up to 90 % of the clip, 660 Hz in the last tenth.
  std::vector<double> samples = Tone(4 * 44100, 440);
  const std::vector<double> last = Tone(4 * 44100, 660);
  const int split = 4 * 44100 * 9 / 10;
  std::copy(last.begin() + split, last.end(), samples.begin() + split);
  const std::vector<double> out =
      Render(WriteClip("region.wav", samples), 4 * 44100,
             {{kRateNom, 2.0 / 3}, {kRateSame, 1}, {kRegStart, 0.92}}, 2.0);
  EXPECT_NEAR(ToneFrequencyHz(out, 22050, out.size(), kRate, 550, 200), 660, 0.5);
}

TEST_F(SoundTest, PitchShiftKeepsATone) {
  const std::string path = WriteClip("pitch.wav", Tone(4 * 44100, 1000));
  for (double ratio : {0.5, 1.5, 2.0}) {
    const std::vector<double> out =
        Render(path, 4 * 44100, {{kRateNom, std::log10(2.0) / 3}, {kPitch, ratio}}, 3.0);
    EXPECT_LT(SpanOutOfBandDb(out, 44100, out.size(), kRate, {1000 * ratio}), -45.0) << ratio;
    EXPECT_NEAR(ToneFrequencyHz(out, 44100, out.size(), kRate, 1000 * ratio), 1000 * ratio, 0.5)
        << ratio;
  }
}

}  // namespace
