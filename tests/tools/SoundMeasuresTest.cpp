// The sound check's measures on signals whose figures are known in closed form:
// a clean sine, amplitude modulation, two tones, band levels of sines and of
// white and pink noise, and frequency estimates.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "tools/SoundMeasures.h"
#include "tools/SoundSignals.h"

namespace {

constexpr double kRate = 44100;
const double kPi = std::acos(-1.0);

std::vector<double> Modulated(double depth, double modulationHz, std::size_t frames) {
  std::vector<double> x = Sine(440, 0.5, frames, kRate);
  for (std::size_t j = 0; j < frames; ++j)
    x[j] *= 1 + depth * std::sin(2 * kPi * modulationHz * static_cast<double>(j) / kRate);
  return x;
}

std::vector<double> Sum(const std::vector<double>& a, const std::vector<double>& b) {
  std::vector<double> x = a;
  for (std::size_t j = 0; j < x.size(); ++j) x[j] += b[j];
  return x;
}

TEST(SoundMeasuresLevel, CleanSineIsSteadyAtItsRms) {
  const std::vector<double> x = Sine(440, 0.5, 10 * 44100, kRate, 0.3);
  const LevelStats stats = MeasureLevel(x, 44100, 9 * 44100, kRate);
  EXPECT_NEAR(stats.levelDb, 20 * std::log10(0.5 / std::sqrt(2.0)), 0.001);
  EXPECT_EQ(stats.windows, 80);
  EXPECT_LT(stats.rippleDb, 0.005);
  // A partial last window counts for the level and not the ripple.
  EXPECT_EQ(MeasureLevel(x, 0, 4410 * 3 + 100, kRate).windows, 3);
  EXPECT_TRUE(std::isnan(MeasureLevel(x, 100, 100, kRate).levelDb));
}

// Window gains of 1 + m·sin(2π·f·t) swing by ±m times the mean of a sine over
// the window's length, at most 2·|sin(Θ/2)|/Θ for Θ = 2π·f·100 ms.
double ModulationRippleDb(double depth, double modulationHz) {
  const double turn = 2 * kPi * modulationHz * 0.1;
  const double swing = depth * 2 * std::fabs(std::sin(turn / 2)) / turn;
  return 20 * std::log10((1 + swing) / (1 - swing));
}

TEST(SoundMeasuresLevel, RippleSeesSlowModulationAndAveragesFastModulation) {
  // 1 % at 5 Hz: each window holds half a cycle, starting at a zero crossing.
  const double slowDb = ModulationRippleDb(0.01, 5);
  EXPECT_NEAR(MeasureLevel(Modulated(0.01, 5, 441000), 0, 441000, kRate).rippleDb, slowDb, 0.002);
  // At 43 Hz a window holds 4.3 cycles and only the odd 0.3 shows: a tenth.
  const double fastDb = ModulationRippleDb(0.01, 43);
  EXPECT_LT(fastDb, slowDb / 9);
  EXPECT_NEAR(MeasureLevel(Modulated(0.01, 43, 441000), 0, 441000, kRate).rippleDb, fastDb,
              0.1 * fastDb);
}

TEST(SoundMeasuresOutOfBand, CleanSinesStayInsideTheirBands) {
  for (double hz : {440.0, 1000.0, 1500.0, 12345.6}) {
    const std::vector<double> x = Sine(hz, 0.5, 200000, kRate, 1.0);
    EXPECT_LT(OutOfBandDb(x, 1000, kOutOfBandBlockFrames, kRate, {hz}), -85) << hz;
    EXPECT_LT(SpanOutOfBandDb(x, 1000, 200000, kRate, {hz}), -85) << hz;
  }
  // Slow modulation keeps its sidebands within ±20 Hz.
  EXPECT_LT(SpanOutOfBandDb(Modulated(0.01, 5, 441000), 0, 441000, kRate, {440}), -85);
}

TEST(SoundMeasuresOutOfBand, CountsWhatLiesBeyondTheBand) {
  // 1 % modulation at 43 Hz puts two sidebands of amplitude 0.005 · 0.5 at
  // 397 and 483 Hz: m²/2 of the carrier's power.
  const double sidebandsDb = 10 * std::log10(0.5e-4 / (1 + 0.5e-4));
  EXPECT_NEAR(SpanOutOfBandDb(Modulated(0.01, 43, 441000), 0, 441000, kRate, {440}), sidebandsDb,
              0.05);

  // Two tones: one line leaves the other tone's share outside, both lines none.
  const std::vector<double> two =
      Sum(Sine(1000, 0.5, 300000, kRate), Sine(1500, 0.25, 300000, kRate, 2.0));
  EXPECT_NEAR(SpanOutOfBandDb(two, 0, 300000, kRate, {1000}), 10 * std::log10(0.0625 / 0.3125),
              0.01);
  EXPECT_NEAR(SpanOutOfBandDb(two, 0, 300000, kRate, {1500}), 10 * std::log10(0.25 / 0.3125), 0.01);
  EXPECT_LT(SpanOutOfBandDb(two, 0, 300000, kRate, {1000, 1500}), -85);

  // A tone 25 Hz off the line is outside; 15 Hz off is inside.
  const std::vector<double> off = Sine(465, 0.5, 100000, kRate);
  EXPECT_GT(SpanOutOfBandDb(off, 0, 100000, kRate, {440}), -0.01);
  EXPECT_LT(SpanOutOfBandDb(Sine(455, 0.5, 100000, kRate), 0, 100000, kRate, {440}), -85);

  // Half the power as white noise spread over 22 kHz: all but 40 Hz of it lies outside.
  const std::vector<double> noisy =
      Sum(Sine(440, 0.5, 441000, kRate), WhiteNoise(441000, 0.5 / std::sqrt(2.0), 7));
  EXPECT_NEAR(SpanOutOfBandDb(noisy, 0, 441000, kRate, {440}),
              10 * std::log10(0.5 * (1 - 40 / 22050.0)), 0.05);

  EXPECT_TRUE(
      std::isnan(SpanOutOfBandDb(std::vector<double>(100000, 0.0), 0, 100000, kRate, {440})));
}

TEST(SoundMeasuresFrequency, FindsTonesWithinHundredthsOfAHertz) {
  for (double hz : {440.37, 500.0, 999.91, 1088.44, 2000.2}) {
    for (double rate : {44100.0, 48000.0}) {
      const std::vector<double> x = Sine(hz, 0.5, 3 * static_cast<std::size_t>(rate), rate, 0.7);
      EXPECT_NEAR(ToneFrequencyHz(x, 1000, x.size(), rate, std::round(hz / 100) * 100), hz, 0.005)
          << hz << " at " << rate;
    }
  }
  // One second is enough; a weaker neighbour 120 Hz away and noise do not pull it.
  std::vector<double> x = Sum(Sine(750.25, 0.5, 44100, kRate), Sine(870, 0.1, 44100, kRate));
  x = Sum(x, WhiteNoise(44100, 0.05, 3));
  EXPECT_NEAR(ToneFrequencyHz(x, 0, x.size(), kRate, 800), 750.25, 0.05);
  EXPECT_TRUE(std::isnan(ToneFrequencyHz(x, 0, 4000, kRate, 800)));
}

TEST(SoundMeasuresBands, SineReadsItsRmsInItsBand) {
  std::vector<double> x = Sum(Sine(250, 0.1, 441000, kRate), Sine(2000, 0.02, 441000, kRate, 1));
  const std::vector<double> levels = ThirdOctaveLevelsDb(x, 0, x.size(), kRate);
  ASSERT_EQ(levels.size(), static_cast<std::size_t>(kThirdOctaveBands));
  EXPECT_NEAR(ThirdOctaveCentreHz(0), 99.2, 0.05);
  EXPECT_NEAR(ThirdOctaveCentreHz(21), 12699, 1);
  EXPECT_NEAR(levels[4], 20 * std::log10(0.1 / std::sqrt(2.0)), 0.05);    // 250 Hz
  EXPECT_NEAR(levels[13], 20 * std::log10(0.02 / std::sqrt(2.0)), 0.05);  // 2 kHz
  EXPECT_LT(levels[8], levels[4] - 60);
  EXPECT_TRUE(ThirdOctaveLevelsDb(x, 0, 8000, kRate).empty());
}

// Least-squares slope of the band levels, dB per band.
double Slope(const std::vector<double>& levels) {
  const double n = static_cast<double>(levels.size()), mid = (n - 1) / 2;
  double num = 0, den = 0;
  for (std::size_t i = 0; i < levels.size(); ++i) {
    num += (i - mid) * levels[i];
    den += (i - mid) * (i - mid);
  }
  return num / den;
}

TEST(SoundMeasuresBands, WhiteNoiseRisesAThirdOfThreeDecibelsABandAndPinkNoiseIsLevel) {
  const std::vector<double> white = WhiteNoise(441000, 0.2, 11);
  const std::vector<double> whiteLevels = ThirdOctaveLevelsDb(white, 0, white.size(), kRate);
  // Bandwidth grows by 2^(1/3) a band.
  EXPECT_NEAR(Slope(whiteLevels), 10 * std::log10(std::cbrt(2.0)), 0.05);
  // The bands hold their share of the total power: bandwidth over 22.05 kHz.
  EXPECT_NEAR(
      whiteLevels[10],
      10 * std::log10(0.04 * 1000 * (std::pow(2.0, 1 / 6.0) - std::pow(2.0, -1 / 6.0)) / 22050),
      0.3);

  const std::vector<double> pink = PinkNoise(441000, 0.2, 5);
  const std::vector<double> pinkLevels = ThirdOctaveLevelsDb(pink, 0, pink.size(), kRate);
  EXPECT_NEAR(Slope(pinkLevels), 0, 0.1);
  std::vector<double> flat(kThirdOctaveBands, 0.0);
  EXPECT_LT(BandDeviation(flat, pinkLevels).deviationDb, 1.5);
}

TEST(SoundMeasuresBands, DeviationRemovesTheMeanGain) {
  const BandComparison same = BandDeviation({-20, -30, -25}, {-23, -33, -28});
  EXPECT_DOUBLE_EQ(same.gainDb, -3);
  EXPECT_NEAR(same.deviationDb, 0, 1e-12);
  const BandComparison tilted = BandDeviation({0, 0, 0, 0}, {3, 3, 4, 2});
  EXPECT_DOUBLE_EQ(tilted.gainDb, 3);
  EXPECT_DOUBLE_EQ(tilted.deviationDb, 1);
  EXPECT_TRUE(std::isnan(BandDeviation({0, 0}, {0}).gainDb));
  EXPECT_TRUE(std::isnan(BandDeviation({}, {}).deviationDb));
}

}  // namespace
