// How the engine's sound holds up: a steady tone keeps its level and stays a
// line at any stretch and wherever playback comes from, pitch shifts keep a
// tone a line, noise keeps its spectrum, in-order playback gives the clip back
// and the blur still smears.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "effect/StretchEngine.h"
#include "tools/SoundMeasures.h"

namespace {

const double kPi = std::acos(-1.0);
constexpr double kRate = 44100.0;
constexpr int kHop = StretchEngine::kHop;

void FillClip(AudioClip& clip, const std::vector<double>& samples) {
  clip.Clear();
  clip.channels = 1;
  clip.sampleRate = kRate;
  clip.length = static_cast<double>(samples.size());
  clip.left.Append(static_cast<int>(samples.size()), samples.data());
}

std::vector<double> Tone(double hz, double seconds, double amplitude = 0.5) {
  std::vector<double> x(static_cast<std::size_t>(seconds * kRate));
  for (std::size_t i = 0; i < x.size(); ++i) x[i] = amplitude * std::sin(2 * kPi * hz * i / kRate);
  return x;
}

void Analyse(StretchEngine& engine, const AudioClip& clip) {
  engine.ResetAnalysis(&clip, static_cast<int>(clip.length));
  while (engine.analysisProgress < engine.clipLength) engine.AnalyseStep();
  engine.FinishAnalysis();
}

void SetRate(StretchEngine& engine, double rate) {
  engine.nominalRate = engine.transientRate = engine.currentRate = rate;
}

std::vector<double> Play(StretchEngine& engine, double seconds) {
  const int n = static_cast<int>(seconds * kRate);
  std::vector<double> left(n), right(n);
  for (int done = 0; done < n; done += 512)
    engine.PullOutput(left.data() + done, right.data() + done, std::min(512, n - done));
  return left;
}

// What in-order playback of a sine of amplitude 0.5 gives: three quarters of it.
const double kInOrderDb = 20 * std::log10(0.75 * 0.5 / std::sqrt(2.0));

struct Scenario {
  const char* name;
  // Prepares an analysed engine at the rate and plays up to the point where
  // the measurement starts.
  std::function<void(StretchEngine&, double rate)> lead;
};

TEST(StretchEngineSound, SteadyToneKeepsItsLevelAndStaysALineAtEveryStretch) {
  AudioClip clip;
  FillClip(clip, Tone(440, 6));
  // A two-frame region a few hops before its end, so loops and turns come soon
  // at any stretch.
  auto nearTheEnd = [](StretchEngine& e, double rate) {
    e.SetRegion(100.5 / e.frameCount, 102.5 / e.frameCount);
    e.playPosition = e.regionEndFrame - 4.5 * rate;
  };
  const Scenario scenarios[] = {
      {"clip start", [](StretchEngine&, double) {}},
      {"region start", [](StretchEngine& e, double) { e.SetRegion(0.5, 0.9); }},
      {"loop",
       [&](StretchEngine& e, double rate) {
         nearTheEnd(e, rate);
         Play(e, 0.5);
       }},
      {"turn",
       [&](StretchEngine& e, double rate) {
         e.direction = StretchEngine::kForwardReverse;
         nearTheEnd(e, rate);
         Play(e, 5 * kHop / kRate);
         EXPECT_EQ(e.directionState, 1);
         Play(e, 0.5);
       }},
      {"region jump",
       [](StretchEngine& e, double) {
         e.SetRegion(0.1, 0.9);
         Play(e, 1.0);
         e.SetRegion(0.6, 0.9);
       }},
      {"random walk",
       [](StretchEngine& e, double) {
         e.direction = StretchEngine::kRandomWalk;
         e.SetRegion(0.4, 0.6);
       }},
  };
  for (double stretch : {4.0, 16.0, 100.0, 1000.0, 1e6}) {
    for (const Scenario& scenario : scenarios) {
      StretchEngine engine;
      Analyse(engine, clip);
      SetRate(engine, 1.0 / stretch);
      scenario.lead(engine, 1.0 / stretch);
      const std::vector<double> out = Play(engine, 3.5);
      const std::size_t from = static_cast<std::size_t>(kRate), to = out.size();
      const LevelStats level = MeasureLevel(out, from, to, kRate);
      const std::string what = std::string(scenario.name) + " at " + std::to_string(stretch);
      EXPECT_NEAR(level.levelDb, kInOrderDb, 1.0) << what;
      EXPECT_LT(level.rippleDb, 1.0) << what;
      EXPECT_LT(SpanOutOfBandDb(out, from, to, kRate, {440.0}), -60.0) << what;
    }
  }
}

// A burst of noise before the tone spoils the frames that straddle it; once
// playback has held them, the tone after must still come back whole.
TEST(StretchEngineSound, ToneAfterAnOnsetComesBackWhole) {
  std::vector<double> samples = Tone(440, 6);
  std::mt19937 random(3);
  std::uniform_real_distribution<double> noise(-0.85, 0.85);
  const int burst = 2205;  // 50 ms
  for (int i = 0; i < burst; ++i) samples[i] = noise(random);
  AudioClip clip;
  FillClip(clip, samples);
  for (double stretch : {4.0, 100.0, 1e6}) {
    StretchEngine engine;
    Analyse(engine, clip);
    SetRate(engine, 1.0 / stretch);
    // Held on the burst's frames, then on to the first frame after them:
    // frame 6, whose increments were measured against frame 5, which the
    // burst's last samples still reach into.
    engine.playPosition = 2;
    Play(engine, 1.0);
    engine.playPosition = 6;
    const std::vector<double> out = Play(engine, 3.0);
    const LevelStats level = MeasureLevel(out, 44100, out.size(), kRate);
    EXPECT_NEAR(level.levelDb, kInOrderDb, 1.0) << stretch;
    EXPECT_LT(level.rippleDb, 1.0) << stretch;
    EXPECT_LT(SpanOutOfBandDb(out, 44100, out.size(), kRate, {440.0}), -60.0) << stretch;
  }
}

TEST(StretchEngineSound, PositionsOutsideTheRegionEnterItOnTheNextHop) {
  AudioClip clip;
  FillClip(clip, Tone(440, 4));
  std::vector<double> left(kHop), right(kHop);
  const struct {
    int direction;
    int state;
    double expected;  // in frames past the region's start
  } cases[] = {
      {StretchEngine::kForward, 0, 0.0},
      {StretchEngine::kReverse, 1, 10 - 0.01},
      {StretchEngine::kForwardReverse, 0, 0.0},
      {StretchEngine::kForwardReverse, 1, 10 - 0.01},
  };
  for (const auto& c : cases) {
    for (double start : {0.0, 150.0}) {
      StretchEngine engine;
      Analyse(engine, clip);
      engine.SetRegion(100.5 / engine.frameCount, 110.5 / engine.frameCount);
      SetRate(engine, 0.01);
      engine.direction = c.direction;
      engine.directionState = c.state;
      engine.playPosition = start;
      engine.PullOutput(left.data(), right.data(), kHop);
      EXPECT_NEAR(engine.playPosition, 100 + c.expected, 1e-9) << c.direction << " from " << start;
    }
  }
}

TEST(StretchEngineSound, InOrderPlaybackGivesTheClipBackAtThreeQuarters) {
  // A tone, a glide and a sudden 3 kHz burst: onsets and moving partials
  // (nothing at 0 Hz or half the rate, which one-sided resynthesis doubles).
  std::vector<double> samples(3 * 44100);
  for (std::size_t i = 0; i < samples.size(); ++i) {
    const double t = i / kRate;
    samples[i] =
        0.3 * std::sin(2 * kPi * 330 * t) + 0.2 * std::sin(2 * kPi * (500 * t + 400 * t * t));
    if (t > 1.5 && t < 1.55) samples[i] += 0.3 * std::sin(2 * kPi * 3000 * t);
  }
  AudioClip clip;
  FillClip(clip, samples);
  StretchEngine engine;
  engine.blurPure = true;
  Analyse(engine, clip);
  const std::vector<double> out = Play(engine, 2.9);
  // Output sample o holds clip sample o - 3072; the clip's first hop lacks one
  // grain, so compare from its second.
  double error = 0, energy = 0;
  for (std::size_t o = 3072 + kHop; o < out.size(); ++o) {
    const double expected = 0.75 * samples[o - 3072];
    error += (out[o] - expected) * (out[o] - expected);
    energy += expected * expected;
  }
  EXPECT_LT(10 * std::log10(error / energy), -60.0);
}

TEST(StretchEngineSound, PitchAndTheHarmonicVoiceKeepATone) {
  AudioClip clip;
  FillClip(clip, Tone(1000, 5));
  for (double ratio : {0.5, 0.75, 1.26, 1.5, 2.0}) {
    StretchEngine engine;
    Analyse(engine, clip);
    SetRate(engine, 0.5);
    engine.pitchRatio = ratio;
    const std::vector<double> out = Play(engine, 3.0);
    EXPECT_NEAR(ToneFrequencyHz(out, 44100, out.size(), kRate, 1000 * ratio), 1000 * ratio, 0.1)
        << ratio;
    EXPECT_LT(SpanOutOfBandDb(out, 44100, out.size(), kRate, {1000 * ratio}), -45.0) << ratio;
    EXPECT_NEAR(MeasureLevel(out, 44100, out.size(), kRate).levelDb, kInOrderDb, 1.0) << ratio;
  }
  // The voice sounds at the sum of its ratio and the pitch, beside the tone.
  for (double summed : {1.5, 2.0, 2.5}) {
    StretchEngine engine;
    Analyse(engine, clip);
    SetRate(engine, 0.5);
    engine.voices[0].enabled = true;
    engine.voices[0].summedRatio = summed;
    engine.voices[0].gain = 0.5;
    const std::vector<double> out = Play(engine, 3.0);
    EXPECT_LT(SpanOutOfBandDb(out, 44100, out.size(), kRate, {1000, 1000 * summed}), -45.0)
        << summed;
    EXPECT_NEAR(ToneFrequencyHz(out, 44100, out.size(), kRate, 1000 * summed, 100), 1000 * summed,
                0.1)
        << summed;
  }
}

TEST(StretchEngineSound, PinkNoiseKeepsItsSpectrum) {
  // Pink noise from white noise through a sum of one-pole filters.
  std::mt19937 random(7);
  std::normal_distribution<double> white(0, 1);
  std::vector<double> samples(10 * 44100);
  const double poles[] = {0.99886, 0.99332, 0.969, 0.8665, 0.55};
  const double gains[] = {0.0555179, 0.0750759, 0.153852, 0.3104856, 0.5329522};
  double state[5] = {};
  for (double& x : samples) {
    const double w = white(random);
    x = 0.5362 * w;
    for (int k = 0; k < 5; ++k) x += (state[k] = poles[k] * state[k] + gains[k] * w);
    x *= 0.05;
  }
  AudioClip clip;
  FillClip(clip, samples);
  const std::vector<double> input = ThirdOctaveLevelsDb(samples, 0, 44100 * 4, kRate);
  StretchEngine engine;
  Analyse(engine, clip);
  SetRate(engine, 0.1);
  // 30 s of output: the clip's first three seconds.
  const std::vector<double> out = Play(engine, 30.0);
  const BandComparison bands =
      BandDeviation(input, ThirdOctaveLevelsDb(out, 44100, out.size(), kRate));
  EXPECT_LT(bands.deviationDb, 1.0);
  // Held frames of noise add up less coherently than the clip played in order,
  // but far from the 3 dB of grains that do not add up at all.
  EXPECT_NEAR(bands.gainDb, 20 * std::log10(0.75), 2.0);
}

// Amplitude of the component at hz in x[from, to), under a Hann window.
double AmplitudeAt(const std::vector<double>& x, std::size_t from, std::size_t to, double hz) {
  double re = 0, im = 0, weight = 0;
  for (std::size_t i = from; i < to; ++i) {
    const double w = 0.5 - 0.5 * std::cos(2 * kPi * (i - from) / (to - from));
    re += w * x[i] * std::cos(2 * kPi * hz * i / kRate);
    im += w * x[i] * std::sin(2 * kPi * hz * i / kRate);
    weight += w;
  }
  return 2 * std::hypot(re, im) / weight;
}

// The blur picks each bin from a frame up to the blur time ahead: a change in
// the clip is heard that much earlier, smeared over the time before it.
TEST(StretchEngineSound, BlurSmearsAChangeOverItsTime) {
  std::vector<double> samples = Tone(600, 4);
  const std::vector<double> later = Tone(900, 2);
  std::copy(later.begin(), later.end(), samples.begin() + 2 * 44100);
  AudioClip clip;
  FillClip(clip, samples);
  auto earlyDb = [&](double blurMs) {
    StretchEngine engine;
    engine.blurNominalMs = engine.blurTransientMs = blurMs;
    Analyse(engine, clip);
    const std::vector<double> out = Play(engine, 2.3);
    // From 150 ms up to 50 ms before the change reaches the output (3072
    // samples late): the new tone against the old.
    const std::size_t change = 2 * 44100 + 3072;
    const std::size_t from = change - 6615, to = change - 2205;
    return 20 * std::log10(AmplitudeAt(out, from, to, 900) / AmplitudeAt(out, from, to, 600));
  };
  EXPECT_LT(earlyDb(10.0), -40.0);
  EXPECT_GT(earlyDb(200.0), -12.0);
}

}  // namespace
