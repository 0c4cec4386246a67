#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <new>
#include <thread>
#include <vector>

#include "dsp/PhaseWrap.h"
#include "effect/StretchEngine.h"
#include "tests/support/AllocationCounter.h"

namespace {

const double kPi = std::acos(-1.0);

void FillClip(AudioClip& clip, int channels, int frames, double (*signal)(int, int)) {
  clip.Clear();
  clip.channels = channels;
  clip.sampleRate = 44100;
  clip.length = frames;
  for (int c = 0; c < std::min(channels, 2); ++c) {
    std::vector<double> samples(frames);
    for (int i = 0; i < frames; ++i) samples[i] = signal(c, i);
    (c == 0 ? clip.left : clip.right).Append(frames, samples.data());
  }
}

double Sine1k(int, int i) { return 0.5 * std::sin(2 * kPi * 1000.0 * i / 44100.0); }
double Silence(int, int) { return 0.0; }

void Analyse(StretchEngine& engine, const AudioClip& clip) {
  engine.ResetAnalysis(&clip, static_cast<int>(clip.length));
  while (engine.analysisProgress < engine.clipLength) engine.AnalyseStep();
  engine.FinishAnalysis();
}

std::vector<double> Play(StretchEngine& engine, int n, std::vector<double>* right = nullptr) {
  std::vector<double> left(n), other(n);
  for (int done = 0; done < n; done += 512) {
    const int m = std::min(512, n - done);
    engine.PullOutput(left.data() + done, other.data() + done, m);
  }
  if (right != nullptr) *right = other;
  return left;
}

double Rms(const std::vector<double>& x, int from, int to) {
  double sum = 0;
  for (int i = from; i < to; ++i) sum += x[i] * x[i];
  return std::sqrt(sum / (to - from));
}

// Frequency from the count of upward zero crossings.
double ZeroCrossingHz(const std::vector<double>& x, int from, int to) {
  int crossings = 0;
  for (int i = from + 1; i < to; ++i)
    if (x[i - 1] < 0 && x[i] >= 0) ++crossings;
  return crossings * 44100.0 / (to - from);
}

TEST(StretchEngine, RandomGeneratorAndWrap) {
  StretchEngine engine;
  EXPECT_DOUBLE_EQ(engine.Random(), 0.4140495645518494);
  EXPECT_DOUBLE_EQ(engine.Random(), 0.46589725115404446);
  EXPECT_DOUBLE_EQ(engine.Random(), 0.7202990856939042);
  // Skipping a hop's draws lands where drawing them does, from any state.
  for (int round = 0; round < 3; ++round) {
    StretchEngine stepped;
    for (int k = 0; k < 1000 * round; ++k) stepped.Random();
    StretchEngine skipped;
    for (int k = 0; k < 1000 * round; ++k) skipped.Random();
    for (int k = 0; k < StretchEngine::kHopDraws; ++k) stepped.Random();
    skipped.SkipHopDraws();
    for (int k = 0; k < 5; ++k) ASSERT_EQ(skipped.Random(), stepped.Random()) << round;
  }
  for (int i = 0; i < 1000; ++i) {
    const double r = engine.Random();
    ASSERT_GE(r, 0.0);
    ASSERT_LT(r, 1.0);
  }
  EXPECT_NEAR(WrapPhase(1.5 * kPi), -0.5 * kPi, 1e-12);
  EXPECT_NEAR(WrapPhase(-1.5 * kPi), 0.5 * kPi, 1e-12);
  EXPECT_NEAR(WrapPhase(7.25 * kPi), -0.75 * kPi, 1e-12);
  EXPECT_EQ(WrapPhase(0.5), 0.5);
  for (double x = -40; x < 40; x += 0.37) {
    const double w = WrapPhase(x);
    ASSERT_LE(std::abs(w), kPi + 1e-12);
    ASSERT_NEAR(std::remainder(x - w, 2 * kPi), 0.0, 1e-9);
  }
}

TEST(StretchEngine, AnalysisFrameCountsAndFirstFrame) {
  AudioClip clip;
  StretchEngine engine;
  for (const auto& c : {std::pair<int, int>{500, 1}, {1024, 1}, {1025, 2}, {5000, 5}}) {
    FillClip(clip, 2, c.first, Sine1k);
    Analyse(engine, clip);
    EXPECT_EQ(engine.frameCount, c.second) << c.first;
    EXPECT_EQ(engine.frames[1].Count(), c.second) << c.first;
    EXPECT_FALSE(engine.analysisPending);
  }
  // Each step takes two hops per channel.
  FillClip(clip, 1, 10000, Sine1k);
  engine.ResetAnalysis(&clip, 10000);
  engine.AnalyseStep();
  EXPECT_EQ(engine.analysisProgress, 2048);
  EXPECT_EQ(engine.frames[0].Count(), 2);
  EXPECT_EQ(engine.frames[1].Count(), 0);  // mono: one channel analysed
  // With time to spare, a step goes on to the clip's end, and no further.
  engine.AnalyseStep(std::chrono::steady_clock::now() + std::chrono::seconds(60));
  EXPECT_EQ(engine.analysisProgress, 10000);
  EXPECT_EQ(engine.frames[0].Count(), 10);
  engine.AnalyseStep(std::chrono::steady_clock::now() + std::chrono::seconds(60));
  EXPECT_EQ(engine.frames[0].Count(), 10);
  engine.FinishAnalysis();
  EXPECT_EQ(engine.hfc.count, 10);
  EXPECT_EQ(engine.transientCurve.count, 10);

  // An impulse at sample 0 sits at 3072 of the first frame: every magnitude is
  // the window there (0.5), bin b's phase is b quarter turns, and the first
  // frame's increments are its phases. In the second frame the impulse sits a
  // hop earlier, at 2048: each bin turns by b quarter turns more.
  FillClip(clip, 1, 1024, [](int, int i) { return i == 0 ? 1.0 : 0.0; });
  Analyse(engine, clip);
  ASSERT_EQ(engine.frames[0].Count(), 1);
  const SpectralFrame& first = *engine.frames[0].At(0);
  ASSERT_EQ(first.BinCount(), 2049);
  for (int b = 0; b <= 2048; ++b) {
    ASSERT_NEAR(first.Magnitude(b), 0.5, 1e-7) << b;
    ASSERT_NEAR(std::remainder(first.Phase(b) - b * 0.5 * kPi, 2 * kPi), 0.0, 1e-9) << b;
    ASSERT_EQ(first.Increment(nullptr, b), first.Phase(b));
  }
  FillClip(clip, 1, 2048, [](int, int i) { return i == 0 ? 1.0 : 0.0; });
  Analyse(engine, clip);
  ASSERT_EQ(engine.frames[0].Count(), 2);
  const SpectralFrame& second = *engine.frames[0].At(1);
  for (int b = 1; b < 2048; ++b) {
    const double increment = second.Increment(engine.frames[0].At(0), b);
    ASSERT_NEAR(std::remainder(increment - b * 0.5 * kPi, 2 * kPi), 0.0, 1e-9) << b;
  }
}

TEST(StretchEngine, TransientCurveShapesAndGuards) {
  AudioClip clip;
  StretchEngine engine;
  FillClip(clip, 1, 20000, Silence);
  engine.nominalRate = engine.currentRate = 0.5;
  engine.transientRate = 1.0;
  Analyse(engine, clip);
  for (int k = 0; k < engine.hfc.count; ++k) EXPECT_EQ(engine.transientCurve.data[k], 0.0);
  std::vector<double> l(1024), r(1024);
  for (int hop = 0; hop < 30; ++hop) {  // no transient: the nominal rate throughout
    engine.PullOutput(l.data(), r.data(), 1024);
    ASSERT_EQ(engine.currentRate, 0.5);
  }
  engine.nominalRate = engine.transientRate = engine.currentRate = 1.0;

  // Clicks in silence: the curve marks them, normalised to 0..1.
  FillClip(clip, 1, 20 * 1024, [](int, int i) { return i % 5120 == 100 ? 1.0 : 0.0; });
  Analyse(engine, clip);
  double lo = 1, hi = 0;
  for (int k = 0; k < engine.hfc.count; ++k) {
    lo = std::min(lo, engine.hfc.data[k]);
    hi = std::max(hi, engine.hfc.data[k]);
  }
  EXPECT_EQ(lo, 0.0);
  EXPECT_EQ(hi, 1.0);
  for (double shape : {8.0, 1.0, -8.0}) {
    engine.transientShape = shape;
    engine.RebuildTransientCurve();
    for (int k = 0; k < engine.hfc.count; ++k) {
      const double h = engine.hfc.data[k];
      const double expected = shape >= 0 ? std::pow(h, shape) : 1 - std::pow(1 - h, -shape);
      ASSERT_DOUBLE_EQ(engine.transientCurve.data[k], expected);
    }
  }

  // One frame, or all frames alike: nothing to normalise by, no transient.
  FillClip(clip, 1, 700, Sine1k);
  Analyse(engine, clip);
  ASSERT_EQ(engine.hfc.count, 1);
  EXPECT_EQ(engine.transientCurve.data[0], 0.0);
}

TEST(StretchEngine, SteadySinePlaysAtItsFrequencyWithGainNearThreeQuarters) {
  AudioClip clip;
  FillClip(clip, 1, 44100 * 3, Sine1k);
  StretchEngine engine;
  engine.blurPure = true;
  Analyse(engine, clip);
  const std::vector<double> out = Play(engine, 3 * 44100 - 4096);
  for (int i = 0; i < 1024; ++i) ASSERT_EQ(out[i], 0.0);  // one hop of lag
  const double reference = 0.5 / std::sqrt(2.0);
  EXPECT_NEAR(Rms(out, 8192, 40000) / reference, 0.75, 0.01);
  EXPECT_NEAR(Rms(out, 80000, 120000) / reference, 0.75, 0.01);
  EXPECT_NEAR(ZeroCrossingHz(out, 8192, 120000), 1000.0, 2.0);
}

// Frames at the clip's edges see the padding; their phase increments must not
// pile up when playback repeats frames (any stretch), loops or jumps, or a
// steady tone loses two thirds of its level.
TEST(StretchEngine, SteadySineKeepsItsLevelWhenFramesRepeatLoopOrJump) {
  AudioClip clip;
  FillClip(clip, 1, 44100 * 2, Sine1k);
  const double inOrder = 0.75 * 0.5 / std::sqrt(2.0);
  const struct {
    double rate;
    double start;
    int direction;
    int from;
  } cases[] = {
      {0.5, 0, StretchEngine::kForward, 44100},      // every frame twice
      {0.1, 20, StretchEngine::kForward, 8192},      // a jump, then tenfold
      {1.0, 0, StretchEngine::kForward, 44100 * 2},  // past the loop back to the start
      {0.3, 60, StretchEngine::kReverse, 8192},      // backwards
  };
  for (const auto& c : cases) {
    StretchEngine engine;
    engine.blurPure = true;
    Analyse(engine, clip);
    engine.nominalRate = engine.transientRate = engine.currentRate = c.rate;
    engine.direction = c.direction;
    engine.playPosition = c.start;
    const std::vector<double> out = Play(engine, c.from + 44100);
    EXPECT_GT(Rms(out, c.from, c.from + 44100) / inOrder, 0.9) << c.rate << " " << c.start;
    EXPECT_LT(Rms(out, c.from, c.from + 44100) / inOrder, 1.05) << c.rate << " " << c.start;
  }
}

TEST(StretchEngine, PitchMovesUpAnOctaveAndLosesTheTopHalf) {
  AudioClip clip;
  FillClip(clip, 1, 44100 * 2, Sine1k);
  StretchEngine engine;
  engine.blurPure = true;
  engine.pitchRatio = 2.0;
  Analyse(engine, clip);
  const std::vector<double> up = Play(engine, 44100);
  EXPECT_NEAR(ZeroCrossingHz(up, 8192, 40000), 2000.0, 10.0);
  EXPECT_GT(Rms(up, 8192, 40000), 0.1);

  FillClip(clip, 1, 44100 * 2,
           [](int, int i) { return 0.5 * std::sin(2 * kPi * 13000.0 * i / 44100.0); });
  StretchEngine high;
  high.blurPure = true;
  high.pitchRatio = 2.0;
  Analyse(high, clip);
  const std::vector<double> gone = Play(high, 44100);
  EXPECT_LT(Rms(gone, 8192, 40000), 1e-3);
}

TEST(StretchEngine, NominalRateSetsTheStretch) {
  AudioClip clip;
  FillClip(clip, 1, 44100, Sine1k);
  StretchEngine engine;
  engine.blurPure = true;
  engine.nominalRate = engine.transientRate = engine.currentRate = 0.1;
  Analyse(engine, clip);
  const int frames = engine.frameCount;  // 44 frames: 1 s of clip
  std::vector<double> l(1024), r(1024);
  engine.PullOutput(l.data(), r.data(), 1024);
  EXPECT_NEAR(engine.playPosition, 0.1, 1e-12);
  int hops = 1;
  double last = engine.playPosition;
  while (hops < 1000) {
    engine.PullOutput(l.data(), r.data(), 1024);
    ++hops;
    if (engine.playPosition < last) break;  // the forward wrap
    EXPECT_NEAR(engine.playPosition - last, 0.1, 1e-9);
    last = engine.playPosition;
  }
  // The clip's frames last ten times as many hops.
  EXPECT_NEAR(hops, frames / 0.1, 1.5);
}

// Steps the position hop by hop and returns it after each hop.
std::vector<double> Positions(StretchEngine& engine, int hops) {
  std::vector<double> positions;
  std::vector<double> l(1024), r(1024);
  for (int i = 0; i < hops; ++i) {
    engine.PullOutput(l.data(), r.data(), 1024);
    positions.push_back(engine.playPosition);
  }
  return positions;
}

TEST(StretchEngine, DirectionsAndTheirWrapRules) {
  AudioClip clip;
  FillClip(clip, 1, 40 * 1024, Sine1k);
  StretchEngine engine;
  engine.regionStartFraction = 10.0 / 40;
  engine.regionEndFraction = 20.0 / 40;
  Analyse(engine, clip);
  ASSERT_EQ(engine.regionStartFrame, 10);
  ASSERT_EQ(engine.regionEndFrame, 20);

  engine.direction = StretchEngine::kForwardReverse;
  engine.playPosition = 17;
  const std::vector<double> turns = Positions(engine, 14);
  EXPECT_EQ(turns[0], 18);
  EXPECT_EQ(turns[1], 19);
  EXPECT_EQ(turns[2], 19);  // reaching 20 turns back to 19
  EXPECT_EQ(turns[3], 18);
  EXPECT_EQ(turns[11], 10);
  EXPECT_EQ(turns[12], 11);  // going below 10 turns forward at 11
  EXPECT_EQ(turns[13], 12);

  engine.direction = StretchEngine::kReverse;
  engine.playPosition = 10.5;
  const std::vector<double> reverse = Positions(engine, 2);
  EXPECT_EQ(reverse[0], 19.5);  // below the start: wrapped by the region length
  EXPECT_EQ(reverse[1], 18.5);

  engine.direction = StretchEngine::kForward;
  engine.playPosition = 19.5;
  EXPECT_EQ(Positions(engine, 1)[0], 10.5);

  // The random walk steps by the generator's draws (blending draws nothing).
  StretchEngine walker, twin;
  walker.regionStartFraction = 10.0 / 40;
  walker.regionEndFraction = 20.0 / 40;
  walker.blurPure = true;
  Analyse(walker, clip);
  walker.direction = StretchEngine::kRandomWalk;
  walker.playPosition = 15;
  const std::vector<double> walk = Positions(walker, 20);
  double expected = 15;
  for (int i = 0; i < 20; ++i) {
    expected += twin.Random() < 0.5 ? -1 : 1;
    if (expected < 10) expected += 10;
    if (expected >= 20) expected -= 10;
    ASSERT_EQ(walk[i], expected) << i;
  }
}

TEST(StretchEngine, EmptyRegionsAndNoFramesPlaySilence) {
  AudioClip clip;
  FillClip(clip, 1, 44100, Sine1k);
  StretchEngine engine;
  EXPECT_EQ(Rms(Play(engine, 8192), 0, 8192), 0.0);  // nothing analysed

  Analyse(engine, clip);
  engine.SetRegion(0.6, 0.4);  // end before start
  engine.playPosition = 5;
  EXPECT_EQ(Rms(Play(engine, 8192), 0, 8192), 0.0);
  EXPECT_EQ(engine.playPosition, 5);

  engine.SetRegion(0.5, 0.51);  // one sample span, no whole frame
  ASSERT_EQ(engine.regionEndFrame, engine.regionStartFrame);
  ASSERT_LT(engine.regionStartSample, engine.regionEndSample);
  EXPECT_EQ(Rms(Play(engine, 8192), 0, 8192), 0.0);
  EXPECT_EQ(engine.playPosition, 5);

  // A region moved under the position still names a frame that exists.
  engine.SetRegion(0.0, 1.0);
  engine.playPosition = 1e6;
  Play(engine, 4096);
  EXPECT_LT(engine.frameIndex, engine.frameCount);
}

TEST(StretchEngine, BlurWindow) {
  AudioClip clip;
  FillClip(clip, 2, 44100,
           [](int c, int i) { return std::sin(0.01 * i * (c + 1)) * std::cos(0.0003 * i); });
  // One frame of blur picks frame frameIndex for every bin: at whole positions
  // it plays exactly what the blend plays.
  StretchEngine blurred, pure;
  blurred.blurNominalMs = blurred.blurTransientMs = 0.0;
  pure.blurPure = true;
  Analyse(blurred, clip);
  Analyse(pure, clip);
  std::vector<double> rightBlurred, rightPure;
  EXPECT_EQ(Play(blurred, 20000, &rightBlurred), Play(pure, 20000, &rightPure));
  EXPECT_EQ(rightBlurred, rightPure);
  EXPECT_NE(Rms(rightPure, 4096, 20000), 0.0);

  EXPECT_EQ(StretchEngine::BlurFrames(1000.0, 44100.0), 43);
  EXPECT_EQ(StretchEngine::BlurFrames(10.0, 44100.0), 1);
  EXPECT_EQ(StretchEngine::BlurFrames(0.0, 44100.0), 1);
  // 1000 ms at 44100 Hz is 43 frames: the draws then differ from frame to frame.
  StretchEngine wide;
  wide.blurNominalMs = wide.blurTransientMs = 1000.0;
  Analyse(wide, clip);
  EXPECT_NE(Play(wide, 20000), Play(pure, 20000));
  EXPECT_EQ(wide.blurCurrentMs, 1000.0);
}

TEST(StretchEngine, PlaybackAllocatesNothing) {
  AudioClip clip;
  FillClip(clip, 2, 44100, Sine1k);
  StretchEngine engine;
  engine.voices[0].enabled = true;
  engine.voices[0].summedRatio = 2.5;
  engine.direction = StretchEngine::kRandomWalk;
  Analyse(engine, clip);
  std::vector<double> l(4096), r(4096);
  AllocationCounter counter;
  for (int i = 0; i < 50; ++i) engine.PullOutput(l.data(), r.data(), 4096);
  EXPECT_EQ(counter.Count(), 0);
}

TEST(StretchEngine, EnginesOnTwoThreadsMatchTheirOutputAlone) {
  AudioClip clip;
  FillClip(clip, 2, 44100, Sine1k);
  auto render = [&clip](double rate) {
    StretchEngine engine;
    engine.nominalRate = engine.transientRate = engine.currentRate = rate;
    engine.blurNominalMs = 200;
    Analyse(engine, clip);
    return Play(engine, 30000);
  };
  const std::vector<double> aloneA = render(0.3), aloneB = render(1.0);
  std::vector<double> a, b;
  std::thread ta([&] { a = render(0.3); });
  std::thread tb([&] { b = render(1.0); });
  ta.join();
  tb.join();
  EXPECT_EQ(a, aloneA);
  EXPECT_EQ(b, aloneB);
}

}  // namespace
