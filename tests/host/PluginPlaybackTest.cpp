// Playing a loaded file through the module's entry, as a host would.
#include <gtest/gtest.h>
#include <xmmintrin.h>

#include <algorithm>
#include <cmath>

#include "effect/Stretch.h"
#include "tests/host/PluginFixture.h"
#include "tools/SoundMeasures.h"

namespace {

std::vector<double> Tone(int frames, double hz, double level = 0.5, double rate = 44100) {
  std::vector<double> samples(frames);
  for (int i = 0; i < frames; ++i) samples[i] = level * std::sin(2 * M_PI * hz * i / rate);
  return samples;
}

double Peak(const std::vector<double>& block) {
  double peak = 0;
  for (double v : block) peak = std::max(peak, std::fabs(v));
  return peak;
}

class PlaybackTest : public PluginTest {
 protected:
  void SetUp() override {
    PluginTest::SetUp();
    Start(host);
  }
};

// Each call analyses for a share of its block's duration, and at least two
// hops a channel: single-frame calls take 2048 frames each, and the call after
// the last of them finishes the analysis, silent like them even while the
// transport plays. A call of ten seconds has time for a whole 2 s clip.
TEST_F(PlaybackTest, AnalysisIsSilentAndTakesTheBlocksShareOfTime) {
  const std::vector<double> left = Tone(88200, 440), right = Tone(88200, 660);
  auto sounds = [this] {
    double peak = 0;
    for (int k = 0; k < 8; ++k) peak = std::max(peak, Peak(Block(host, 512)));
    return peak > 0.2;
  };
  LoadByState(host, WriteClip("analysis.wav", left, right));
  host.transport.playing = true;
  const int analysisCalls = (88200 + 2047) / 2048;
  for (int k = 0; k < analysisCalls; ++k) ASSERT_EQ(Peak(Block(host, 1)), 0.0) << k;
  EXPECT_EQ(Peak(Block(host, 1)), 0.0);  // the finishing call
  EXPECT_TRUE(sounds());

  // The module hands on calls of at most the block size the host declared.
  host.Dispatch(effMainsChanged, 0, 0);
  host.Dispatch(effSetBlockSize, 0, 441000);
  host.Dispatch(effMainsChanged, 0, 1);
  LoadByState(host, WriteClip("analysis-at-once.wav", left, right));
  EXPECT_EQ(Peak(Block(host, 441000)), 0.0);
  EXPECT_EQ(Peak(Block(host, 1)), 0.0);
  EXPECT_TRUE(sounds());
}

// A host exporting offline has no deadline: the first call analyses the
// whole clip and the next one sounds.
TEST_F(PlaybackTest, AnOfflineHostGetsTheWholeAnalysisInTheFirstCall) {
  host.processLevel = kVstProcessLevelOffline;
  LoadByState(host, WriteClip("offline.wav", Tone(200000, 440)));
  host.transport.playing = true;
  EXPECT_EQ(Peak(Block(host, 512)), 0.0);
  double peak = 0;
  for (int k = 0; k < 20; ++k) peak = std::max(peak, Peak(Block(host, 512)));
  EXPECT_GT(peak, 0.2);
}

// Nothing random moves while the transport stands, so an instance that pauses
// continues exactly as one that never paused.
TEST_F(PlaybackTest, StoppedTransportIsSilentAndHoldsThePosition) {
  const std::string path = WriteClip("pause.wav", Tone(30000, 300));
  VstHost steady;
  std::string error;
  ASSERT_TRUE(steady.Load(DILATORIX_PLUGIN_PATH, &error)) << error;
  Start(steady);
  for (VstHost* h : {&host, &steady}) {
    LoadByState(*h, path, {{4, 0.1}});
    Analyse(*h, 30000);
    h->transport.playing = true;
  }
  for (int k = 0; k < 6; ++k) ASSERT_EQ(Block(host, 512), Block(steady, 512)) << k;
  host.transport.playing = false;
  for (int k = 0; k < 5; ++k) ASSERT_EQ(Peak(Block(host, 512)), 0.0);
  host.transport.playing = true;
  for (int k = 0; k < 6; ++k) ASSERT_EQ(Block(host, 512), Block(steady, 512)) << k;

  // A host without time information counts as playing.
  host.transport.hasTimeInfo = false;
  EXPECT_EQ(Block(host, 512), Block(steady, 512));
}

TEST_F(PlaybackTest, MonoClipSoundsOnBothOutputs) {
  LoadByState(host, WriteClip("mono.wav", Tone(12000, 660)));
  Analyse(host, 12000);
  host.transport.playing = true;
  double peak = 0;
  for (int k = 0; k < 12; ++k) {
    std::vector<double> right;
    const std::vector<double> left = Block(host, 512, &right);
    ASSERT_EQ(left, right);
    peak = std::max(peak, Peak(left));
  }
  EXPECT_GT(peak, 0.2);
}

TEST_F(PlaybackTest, AuditionPlaysTheClipRawOnceThenSwitchesItselfOff) {
  std::vector<double> left(1000), right(1000);
  for (int i = 0; i < 1000; ++i) {
    left[i] = (i % 100 + 1) / 128.0;
    right[i] = -left[i];
  }
  LoadByState(host, WriteClip("audition.wav", left, right));
  Analyse(host, 1000);
  host.SetParameter(14, 1.0f);
  std::vector<double> outRight;
  std::vector<double> first = Block(host, 512, &outRight);
  for (int i = 0; i < 512; ++i) {
    ASSERT_NEAR(first[i], left[i], 1e-4);
    ASSERT_NEAR(outRight[i], right[i], 1e-4);
  }
  EXPECT_EQ(host.GetParameter(14), 1.0f);
  std::vector<double> second = Block(host, 512, &outRight);
  for (int i = 0; i < 488; ++i) ASSERT_NEAR(second[i], left[512 + i], 1e-4);
  for (int i = 488; i < 512; ++i) ASSERT_EQ(second[i], 0.0);
  EXPECT_EQ(host.GetParameter(14), 0.0f);
  EXPECT_EQ(Peak(Block(host, 512)), 0.0);  // stopped transport, audition over

  // It starts again from the clip's first sample.
  host.SetParameter(14, 1.0f);
  first = Block(host, 512);
  EXPECT_NEAR(first[0], left[0], 1e-4);
  EXPECT_NEAR(first[100], left[100], 1e-4);
}

TEST_F(PlaybackTest, AuditionOfAMonoClipUsesTheFirstOutputOnly) {
  LoadByState(host, WriteClip("mono-audition.wav", std::vector<double>(3000, 0.5)));
  Analyse(host, 3000);
  host.SetParameter(14, 1.0f);
  std::vector<double> right;
  EXPECT_NEAR(Peak(Block(host, 512, &right)), 0.5, 1e-4);
  EXPECT_EQ(Peak(right), 0.0);
}

TEST_F(PlaybackTest, FilesLoadAtTheHostRate) {
  VstHost fast;
  std::string error;
  ASSERT_TRUE(fast.Load(DILATORIX_PLUGIN_PATH, &error)) << error;
  Start(fast, 48000.f);
  const std::string path = WriteClip("rate.wav", std::vector<double>(4410, 0.5));
  LoadByState(fast, path);
  EXPECT_EQ(StatePath(fast), path);
  // 4410 frames at 44.1 kHz are 4800 at 48 kHz: audition sounds that long.
  const int converted = 4800;
  Analyse(fast, converted);
  fast.SetParameter(14, 1.0f);
  int sounding = 0;
  for (int k = 0; k < 10; ++k)
    for (double v : Block(fast, 512)) sounding += std::fabs(v) > 0.25;
  EXPECT_NEAR(sounding, converted, 40);
}

// A state naming a file that cannot be loaded (missing, or not audio) gives
// that path back on the next save, on a fresh instance as on one that was
// playing another file, and nothing plays; restored again, it names the same
// file. A state naming a readable file plays it again.
TEST_F(PlaybackTest, StateNamingAnUnreadableFileKeepsItsPathAndPlaysNothing) {
  const std::string present = WriteClip("present.wav", Tone(12000, 440));
  const std::string missing = present + ".missing";
  const std::string notAudio = WriteTemp("not-audio.wav", Bytes(100, 'x'));
  auto sounds = [](VstHost& h) {
    Analyse(h, 12000);
    h.transport.playing = true;
    double peak = 0;
    for (int k = 0; k < 8; ++k) peak = std::max(peak, Peak(Block(h, 512)));
    return peak > 0.2;
  };
  for (bool fresh : {true, false}) {
    SCOPED_TRACE(fresh ? "fresh instance" : "after another file");
    VstHost h;
    std::string error;
    ASSERT_TRUE(h.Load(DILATORIX_PLUGIN_PATH, &error)) << error;
    Start(h);
    if (!fresh) {
      LoadByState(h, present);
      EXPECT_TRUE(sounds(h));
    }
    for (const std::string& path : {missing, notAudio}) {
      LoadByState(h, path, {{kPitch, 1.5}});
      const std::vector<unsigned char> chunk = h.GetChunk(false);
      EXPECT_EQ(StatePath(chunk), path);
      EXPECT_EQ(TrailerStatus(chunk), 2);
      EXPECT_EQ(Values(chunk)[kPitch], 1.5);
      h.transport.playing = true;
      for (int k = 0; k < 4; ++k)
        for (double v : Block(h, 512)) ASSERT_EQ(v, 0.0) << k;

      VstHost reopened;
      ASSERT_TRUE(reopened.Load(DILATORIX_PLUGIN_PATH, &error)) << error;
      Start(reopened);
      ASSERT_EQ(reopened.SetChunk(chunk, false), 1);
      EXPECT_EQ(reopened.GetChunk(false), chunk);
    }
    LoadByState(h, present);
    EXPECT_EQ(TrailerStatus(h.GetChunk(false)), 1);
    EXPECT_TRUE(sounds(h));
  }
}

// A host that restores the state before it sets its rate: the clip loaded at
// 44.1 kHz is converted to 48 kHz and a 1 kHz tone plays at 1 kHz.
TEST_F(PlaybackTest, StateLoadedBeforeTheRateChangePlaysAtPitch) {
  LoadByState(host, WriteClip("rate-change.wav", Tone(66150, 1000)));
  host.Dispatch(effMainsChanged, 0, 0);
  host.Dispatch(effSetSampleRate, 0, 0, nullptr, 48000.f);
  host.Dispatch(effMainsChanged, 0, 1);
  Analyse(host, 72000);  // 1.5 s at 48 kHz
  host.transport.playing = true;
  std::vector<double> played;
  for (int k = 0; k < 113; ++k) {  // 1.2 s
    const std::vector<double> block = Block(host, 512);
    played.insert(played.end(), block.begin(), block.end());
  }
  EXPECT_NEAR(ToneFrequencyHz(played, 4800, played.size(), 48000, 1000), 1000.0, 0.5);
}

TEST_F(PlaybackTest, StateRoundTripReloadsTheFileWithTheSameValues) {
  const std::string path = WriteClip("state.wav", Tone(9000, 500), Tone(9000, 750));
  LoadByState(host, path, {{4, 0.2}, {13, 1}, {16, 1.5}});
  const std::vector<unsigned char> saved = host.GetChunk(false);

  VstHost reopened;
  std::string error;
  ASSERT_TRUE(reopened.Load(DILATORIX_PLUGIN_PATH, &error)) << error;
  Start(reopened);
  ASSERT_EQ(reopened.SetChunk(saved, false), 1);
  EXPECT_EQ(reopened.GetChunk(false), saved);
  EXPECT_EQ(reopened.ParamDisplay(13), "Rev");
  for (VstHost* h : {&host, &reopened}) {
    Analyse(*h, 9000);
    h->transport.playing = true;
  }
  for (int k = 0; k < 8; ++k) ASSERT_EQ(Block(host, 512), Block(reopened, 512)) << k;
}

// The editor's envelope control writes its handles into the effect's seam and
// flips VolumeEnvelope (the test does that as the module's own editor does);
// the contour sets the level, travels in the chunk, and an instance restored
// from that chunk plays it alike. An older chunk gives the initial shape.
TEST_F(PlaybackTest, ShapedEnvelopeSetsTheLevelAndTravelsInTheChunk) {
  constexpr int kFrames = 44100;
  const std::string path = WriteClip("envelope.wav", Tone(kFrames, 440));
  // Quarter volume over the first half, full volume over the second: E1 at
  // (0, 0.25), E2 (0.5, 0.25), E3 (0.5, 1), E4 (1, 1). The control keeps
  // them as E2, E3, E1, E4.
  const double control[8] = {0.5, 0.25, 0.5, 1.0, 0.0, 0.25, 1.0, 1.0};
  const std::vector<double> leftToRight = {0.0, 0.25, 0.5, 0.25, 0.5, 1.0, 1.0, 1.0};
  // Levels in dB over 10..40 % and 60..90 % of the clip played once at 1x.
  auto levels = [](VstHost& h) {
    Analyse(h, kFrames);
    h.transport.playing = true;
    std::vector<double> out;
    while (out.size() < kFrames) {
      const std::vector<double> block = Block(h, 512);
      out.insert(out.end(), block.begin(), block.end());
    }
    h.transport.playing = false;
    return std::make_pair(MeasureLevel(out, kFrames / 10, kFrames * 4 / 10, 44100).levelDb,
                          MeasureLevel(out, kFrames * 6 / 10, kFrames * 9 / 10, 44100).levelDb);
  };
  const double quarterDb = 20 * std::log10(0.25);

  LoadByState(host, path);
  auto* seam = &static_cast<Stretch*>(static_cast<IEffectVst*>(effect->object))->Displays();
  std::copy(control, control + 8, seam->envelopeControl);
  host.SetParameter(kVolumeEnvelope, 1.0f);
  const auto shaped = levels(host);
  EXPECT_NEAR(shaped.first - shaped.second, quarterDb, 0.2);
  const std::vector<unsigned char> chunk = host.GetChunk(false);
  EXPECT_EQ(TrailerPoints(chunk), leftToRight);

  VstHost restored;
  std::string error;
  ASSERT_TRUE(restored.Load(DILATORIX_PLUGIN_PATH, &error)) << error;
  Start(restored);
  ASSERT_EQ(restored.SetChunk(chunk, false), 1);
  EXPECT_EQ(restored.GetChunk(false), chunk);
  const auto again = levels(restored);
  EXPECT_NEAR(again.first, shaped.first, 0.01);
  EXPECT_NEAR(again.second, shaped.second, 0.01);

  // A chunk of an older build, 420 bytes with no path, still loads and gives
  // the initial shape; with the path it plays the clip at full volume again.
  const std::vector<double> initial = {0, 0, 0, 1, 1, 1, 1, 0};
  const std::vector<unsigned char> old = MakeChunk(Values(chunk), "");
  ASSERT_EQ(old.size(), 420u);
  ASSERT_EQ(restored.SetChunk(old, false), 1);
  EXPECT_EQ(TrailerPoints(restored.GetChunk(false)), initial);
  EXPECT_EQ(StatePath(restored), path);
  ASSERT_EQ(restored.SetChunk(MakeChunk(Values(chunk), path), false), 1);
  const auto full = levels(restored);
  EXPECT_NEAR(full.first, full.second, 0.2);
  EXPECT_NEAR(shaped.second, full.second, 0.2);
}

TEST_F(PlaybackTest, CallerFloatingPointStateSurvivesEveryProcessCall) {
  LoadByState(host, WriteClip("fp.wav", Tone(5000, 440)));
  const unsigned caller = _mm_getcsr();
  // Round toward zero with every exception masked, and no flags raised.
  const unsigned custom = 0x7F80;
  _mm_setcsr(custom);
  std::vector<float> out(512);
  float* outs[2] = {out.data(), out.data()};
  std::vector<double> outDouble(512);
  double* doubleOuts[2] = {outDouble.data(), outDouble.data()};
  host.transport.playing = true;
  for (int k = 0; k < 12; ++k) {
    host.ProcessReplacing(nullptr, outs, 512);
    EXPECT_EQ(_mm_getcsr(), custom);
    host.ProcessAccumulating(nullptr, outs, 512);
    EXPECT_EQ(_mm_getcsr(), custom);
    host.ProcessDouble(nullptr, doubleOuts, 512);
    EXPECT_EQ(_mm_getcsr(), custom);
  }
  _mm_setcsr(caller);
}

}  // namespace
