// The effect's handlers, loader and processing loop, seen through the values
// it keeps for its editor. The instance is driven through its effect record
// where a host would drive it, and directly where the editor will.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>
#include <memory>
#include <thread>

#include "effect/Stretch.h"
#include "tests/audio/TestAudioFiles.h"
#include "tools/SoundMeasures.h"

namespace {

// The spectrograph's frames as the editor would see them now.
const FftBufferList* LeasedFrames(const StretchDisplays& displays) {
  return StretchDisplays::SpectrumLease(displays).Frames();
}

using D = StretchDisplays;

std::string WriteStereo(const std::string& name, const std::vector<double>& left,
                        const std::vector<double>& right) {
  WaveLayout layout;
  std::vector<std::int64_t> values;
  for (std::size_t i = 0; i < left.size(); ++i) {
    values.push_back(std::lround(left[i] * 32767));
    values.push_back(std::lround(right[i] * 32767));
  }
  return WriteTemp(name, MakeWave(layout, values));
}

class StretchTest : public ::testing::Test {
 protected:
  void SetUp() override {
    stretch = std::make_unique<Stretch>(nullptr);
    Dispatch(effOpen);
  }

  VstIntPtr Dispatch(VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0, void* ptr = nullptr,
                     float opt = 0.f) {
    AEffect* e = stretch->Effect();
    return e->dispatcher(e, opcode, index, value, ptr, opt);
  }
  // As the editor changes a value: exact, in real units.
  void Set(int index, double value) {
    stretch->Param(index)->SetValue(value);
    stretch->ParamChanged(index);
  }
  const char* Text(D::Control control) { return stretch->Displays().State(control).text; }
  bool Grayed(D::Control control) { return stretch->Displays().State(control).grayed; }
  bool Hidden(D::Control control) { return stretch->Displays().State(control).hidden; }

  // Processing blocks straight into the effect (no time information: playing).
  std::vector<double> Process(int n, std::vector<double>* right = nullptr) {
    std::vector<double> l(n), r(n);
    double* outs[2] = {l.data(), r.data()};
    stretch->ProcessBlock(nullptr, outs, n);
    if (right != nullptr) *right = r;
    return l;
  }
  void LoadAndAnalyse(const std::string& path) {
    stretch->LoadFile(path.c_str());
    ASSERT_EQ(stretch->FilePath(), path);
    while (stretch->Engine().analysisPending) Process(512);
  }
  // Runs the analysis of the current clip, then plays n frames at the
  // default rate of 1x, in blocks of 512.
  std::vector<double> AnalyseAndPlay(int n, std::vector<double>* right = nullptr) {
    while (stretch->Engine().analysisPending) Process(512);
    std::vector<double> left;
    std::vector<double> blockRight;
    while (static_cast<int>(left.size()) < n) {
      const std::vector<double> block = Process(512, &blockRight);
      left.insert(left.end(), block.begin(), block.end());
      if (right != nullptr) right->insert(right->end(), blockRight.begin(), blockRight.end());
    }
    return left;
  }
  const AudioFile& Current() { return stretch->Clip(stretch->CurrentClip()); }

  // 1.5 s at 44.1 kHz; trunc(48000 / 44100 x 66150) at 48 kHz.
  static constexpr int kToneFrames = 66150;
  static constexpr int kToneFramesAt48k = 72000;
  // Played: 1.2 s at 48 kHz, measured after the first 0.1 s.
  static constexpr int kPlayedFrames = 57600;
  static constexpr int kSettleFrames = 4800;

  std::unique_ptr<Stretch> stretch;
};

TEST_F(StretchTest, OpenRunsEveryHandler) {
  const StretchEngine& engine = stretch->Engine();
  EXPECT_EQ(engine.nominalRate, 1.0);
  EXPECT_EQ(engine.transientRate, 1.0);
  EXPECT_STREQ(Text(D::kRateNominalReadout), "1.00 x");
  EXPECT_STREQ(Text(D::kRateTransientReadout), "1.00 x");
  EXPECT_STREQ(Text(D::kBlurNominalReadout), "10.0 ms");
  EXPECT_STREQ(Text(D::kBlurTransientReadout), "10.0 ms");
  EXPECT_EQ(engine.transientShape, 1.0);
  for (const HarmonicVoice& voice : engine.voices) EXPECT_EQ(voice.summedRatio, 2.0);
  for (D::Control c : {D::kRateTransientFader, D::kBlurNominalFader, D::kBlurTransientFader,
                       D::kBlurSameSwitch, D::kBlurNominalReadout})
    EXPECT_FALSE(Grayed(c)) << c;
  EXPECT_FALSE(Hidden(D::kRateNominalReadout));
  EXPECT_TRUE(Hidden(D::kProgressBar));
  // The envelope's initial shape: full volume over the whole clip.
  ASSERT_EQ(stretch->Contour().SegmentCount(), 1);
  const VolumeContour::Segment& s = stretch->Contour().SegmentAt(0);
  EXPECT_EQ(s.x0, 0.0);
  EXPECT_EQ(s.x1, 1.0);
  EXPECT_EQ(s.y0, 1.0);
  EXPECT_EQ(s.slope, 0.0);
  EXPECT_EQ(stretch->TenthSecondFrames(), 4410);
}

TEST_F(StretchTest, RatesAndTheirReadouts) {
  const StretchEngine& engine = stretch->Engine();
  Set(kRateNom, 1.0);
  EXPECT_NEAR(engine.nominalRate, 1e-3, 1e-15);
  EXPECT_EQ(engine.currentRate, engine.nominalRate);
  EXPECT_STREQ(Text(D::kRateNominalReadout), "1000.00 x");

  Set(kRateXtrm, 1);
  Set(kRateNom, 0.5);
  EXPECT_NEAR(engine.nominalRate, std::pow(10.0, -4.5), 1e-18);
  EXPECT_STREQ(Text(D::kRateNominalReadout), "31622.78 x");
  Set(kRateTran, 0.25);
  EXPECT_NEAR(engine.transientRate, std::pow(10.0, -2.25), 1e-15);

  Set(kRateSame, 1);
  EXPECT_STREQ(Text(D::kRateTransientReadout), "---");
  EXPECT_TRUE(Grayed(D::kRateTransientFader));
  EXPECT_EQ(engine.transientRate, engine.nominalRate);
  Set(kRateNom, 0.1);
  EXPECT_EQ(engine.transientRate, engine.nominalRate);
  Set(kRateSame, 0);
  EXPECT_FALSE(Grayed(D::kRateTransientFader));
  EXPECT_STREQ(Text(D::kRateTransientReadout), "177.83 x");
}

TEST_F(StretchTest, BlurSettingsGrayTheirControls) {
  const StretchEngine& engine = stretch->Engine();
  Set(kBlurNom, 250);
  Set(kBlurTran, 40);
  EXPECT_EQ(engine.blurNominalMs, 250.0);
  EXPECT_EQ(engine.blurTransientMs, 40.0);
  EXPECT_STREQ(Text(D::kBlurTransientReadout), "40.0 ms");

  Set(kBlurSame, 1);
  EXPECT_EQ(engine.blurTransientMs, 250.0);
  EXPECT_STREQ(Text(D::kBlurTransientReadout), "---");
  EXPECT_TRUE(Grayed(D::kBlurTransientFader));
  EXPECT_TRUE(Grayed(D::kBlurTransientReadout));
  EXPECT_FALSE(Grayed(D::kBlurNominalFader));
  EXPECT_FALSE(Grayed(D::kBlurSameSwitch));

  Set(kBlurSame, 0);
  Set(kBlurPure, 1);
  EXPECT_TRUE(engine.blurPure);
  for (D::Control c : {D::kBlurNominalFader, D::kBlurNominalReadout, D::kBlurTransientFader,
                       D::kBlurTransientReadout, D::kBlurSameSwitch})
    EXPECT_TRUE(Grayed(c)) << c;
  Set(kBlurPure, 0);
  EXPECT_FALSE(Grayed(D::kBlurTransientFader));

  Set(kShowAll, 0);
  for (D::Control c : {D::kRateNominalReadout, D::kRateTransientReadout, D::kBlurNominalReadout,
                       D::kBlurTransientReadout})
    EXPECT_TRUE(Hidden(c)) << c;
  Set(kShowAll, 1);
  EXPECT_FALSE(Hidden(D::kBlurTransientReadout));
}

TEST_F(StretchTest, ShapePitchAndVoices) {
  const StretchEngine& engine = stretch->Engine();
  const double shapes[][2] = {{0, 8}, {0.25, 4.5}, {0.5, 1}, {0.75, -4.5}, {1, -8}};
  for (const auto& shape : shapes) {
    Set(kTrScale, shape[0]);
    EXPECT_DOUBLE_EQ(engine.transientShape, shape[1]) << shape[0];
  }
  Set(kHPitch1, 1.5);
  EXPECT_DOUBLE_EQ(engine.voices[0].summedRatio, 2.5);  // a sum, not a product
  Set(kPitch, 0.5);
  EXPECT_DOUBLE_EQ(engine.voices[0].summedRatio, 2.0);
  EXPECT_DOUBLE_EQ(engine.voices[2].summedRatio, 1.5);
  Set(kHEnab2, 1);
  Set(kHGain3, 0.25);
  EXPECT_TRUE(engine.voices[1].enabled);
  EXPECT_FALSE(engine.voices[0].enabled);
  EXPECT_EQ(engine.voices[2].gain, 0.25);
  Set(kDir, 3);
  EXPECT_EQ(engine.direction, StretchEngine::kRandomWalk);
}

TEST_F(StretchTest, LoadsAlternateBetweenTheClipsAndFailuresChangeNothing) {
  const std::string first = WriteMonoWave("first.wav", Tone(3000, 440));
  const std::string second = WriteMonoWave("second.wav", Tone(5000, 440));
  EXPECT_EQ(stretch->CurrentClip(), 0);
  stretch->LoadFile(first.c_str());
  EXPECT_EQ(stretch->CurrentClip(), 1);
  EXPECT_EQ(stretch->Clip(1).length, 3000);
  EXPECT_TRUE(stretch->Engine().analysisPending);
  stretch->LoadFile(second.c_str());
  EXPECT_EQ(stretch->CurrentClip(), 0);
  EXPECT_EQ(stretch->Clip(0).length, 5000);
  EXPECT_EQ(stretch->Clip(1).length, 0);  // the old clip is emptied

  for (const char* bad : {"", "/nonexistent/x.wav"}) {
    stretch->LoadFile(bad);
    EXPECT_EQ(stretch->CurrentClip(), 0);
    EXPECT_EQ(stretch->FilePath(), second);
    EXPECT_EQ(stretch->Clip(0).length, 5000);
  }
  stretch->LoadFile(nullptr);
  EXPECT_EQ(stretch->FilePath(), second);

  // Conversion to the host's rate happens at load time (the rate change also
  // converts the clip loaded before it, into the other slot).
  stretch->SetRate(48000);
  EXPECT_EQ(stretch->CurrentClip(), 1);
  stretch->LoadFile(first.c_str());
  EXPECT_EQ(stretch->CurrentClip(), 0);
  EXPECT_EQ(stretch->Clip(0).length, 3265);  // trunc(48000 / 44100 x 3000)
  EXPECT_EQ(stretch->Engine().clipLength, 3265);

  stretch->FileDropped(second.c_str());
  EXPECT_EQ(stretch->FilePath(), second);
  EXPECT_EQ(stretch->CurrentClip(), 1);
}

// A clip loaded at 44.1 kHz follows the host to 48 kHz: read again from its
// file at the new rate, a 1 kHz tone plays at 1 kHz rather than 8.8 % sharp.
TEST_F(StretchTest, RateChangeReadsTheClipAgainFromItsFile) {
  const std::string path = WriteMonoWave("rate-file.wav", Tone(kToneFrames, 1000));
  LoadAndAnalyse(path);
  const int slot = stretch->CurrentClip();
  const std::string shown = Text(D::kFileNameText);

  Dispatch(effSetSampleRate, 0, 0, nullptr, 48000.f);
  EXPECT_NE(stretch->CurrentClip(), slot);
  EXPECT_EQ(stretch->Clip(slot).length, 0);  // the old clip is emptied
  EXPECT_EQ(Current().sampleRate, 48000.0);
  EXPECT_EQ(Current().length, kToneFramesAt48k);
  EXPECT_EQ(Current().left.length, kToneFramesAt48k);
  EXPECT_EQ(stretch->Engine().clipLength, kToneFramesAt48k);
  EXPECT_TRUE(stretch->Engine().analysisPending);
  EXPECT_EQ(stretch->FilePath(), path);
  EXPECT_EQ(Text(D::kFileNameText), shown);

  const std::vector<double> played = AnalyseAndPlay(kPlayedFrames);
  EXPECT_NEAR(ToneFrequencyHz(played, kSettleFrames, played.size(), 48000, 1000), 1000.0, 0.5);
}

// With its file gone the clip is converted from its own samples; both
// channels carry over, and the saved state still names the file.
TEST_F(StretchTest, RateChangeConvertsTheClipInMemoryWhenItsFileIsGone) {
  std::vector<double> right = Tone(kToneFrames, 1500);
  for (double& v : right) v *= 0.6;
  const std::string path = WriteStereo("rate-memory.wav", Tone(kToneFrames, 1000), right);
  LoadAndAnalyse(path);
  ASSERT_EQ(std::remove(path.c_str()), 0);
  const int slot = stretch->CurrentClip();

  Dispatch(effSetSampleRate, 0, 0, nullptr, 48000.f);
  EXPECT_NE(stretch->CurrentClip(), slot);
  EXPECT_EQ(stretch->Clip(slot).length, 0);
  EXPECT_EQ(Current().sampleRate, 48000.0);
  EXPECT_EQ(Current().length, kToneFramesAt48k);
  EXPECT_EQ(Current().left.length, kToneFramesAt48k);
  EXPECT_EQ(Current().right.length, kToneFramesAt48k);
  EXPECT_EQ(Current().channels, 2);
  EXPECT_EQ(Current().fileLength, kToneFrames);
  EXPECT_EQ(Current().fileSampleRate, 44100.0);
  EXPECT_EQ(stretch->Engine().clipLength, kToneFramesAt48k);
  EXPECT_EQ(stretch->FilePath(), path);
  StateChunk chunk;
  ASSERT_TRUE(stretch->SaveState(chunk));
  std::string saved;
  chunk.ReadText(51 * 8, &saved);
  EXPECT_EQ(saved, path);

  std::vector<double> playedRight;
  const std::vector<double> played = AnalyseAndPlay(kPlayedFrames, &playedRight);
  EXPECT_NEAR(ToneFrequencyHz(played, kSettleFrames, played.size(), 48000, 1000), 1000.0, 0.5);
  EXPECT_NEAR(ToneFrequencyHz(playedRight, kSettleFrames, playedRight.size(), 48000, 1500), 1500.0,
              0.5);
}

TEST_F(StretchTest, RatesThatNeedNoOrAllowNoConversionKeepTheClip) {
  const std::string path = WriteMonoWave("rate-kept.wav", Tone(8000, 1000));
  LoadAndAnalyse(path);
  const int slot = stretch->CurrentClip();
  auto unchanged = [&](const char* step) {
    EXPECT_EQ(stretch->CurrentClip(), slot) << step;
    EXPECT_EQ(Current().length, 8000) << step;
    EXPECT_EQ(Current().sampleRate, 44100.0) << step;
    EXPECT_FALSE(stretch->Engine().analysisPending) << step;
  };
  Dispatch(effSetSampleRate, 0, 0, nullptr, 44100.f);
  Dispatch(effMainsChanged, 0, 0);
  Dispatch(effMainsChanged, 0, 1);
  stretch->SetRate(44100);
  unchanged("same rate");
  for (double bad : {0.0, -48000.0, std::numeric_limits<double>::quiet_NaN(),
                     std::numeric_limits<double>::infinity()})
    stretch->SetRate(bad);
  unchanged("invalid rates");
  // Beyond what any conversion serves, neither the file nor the clip can be
  // converted: the old clip keeps playing.
  stretch->SetRate(44100.0 * 300);
  unchanged("unreachable rate");
  ASSERT_EQ(std::remove(path.c_str()), 0);
  stretch->SetRate(44100.0 * 400);
  unchanged("unreachable rate, file gone");

  // The rate set before any clip is loaded: the load alone converts.
  Stretch fresh(nullptr);
  fresh.Effect()->dispatcher(fresh.Effect(), effOpen, 0, 0, nullptr, 0.f);
  fresh.Effect()->dispatcher(fresh.Effect(), effSetSampleRate, 0, 0, nullptr, 48000.f);
  const std::string other = WriteMonoWave("rate-first.wav", Tone(3000, 1000));
  fresh.LoadFile(other.c_str());
  EXPECT_EQ(fresh.CurrentClip(), 1);
  fresh.Effect()->dispatcher(fresh.Effect(), effMainsChanged, 0, 0, nullptr, 0.f);
  fresh.Effect()->dispatcher(fresh.Effect(), effMainsChanged, 0, 1, nullptr, 0.f);
  EXPECT_EQ(fresh.CurrentClip(), 1);
  EXPECT_EQ(fresh.Clip(1).length, 3265);
}

TEST_F(StretchTest, LongPathsShowTheirLastSixtyFourCharacters) {
  const std::string base = WriteMonoWave("p.wav", Tone(100, 440));
  const std::string dir = base.substr(0, base.rfind('/') + 1);
  for (std::size_t length : {64u, 65u, 100u}) {
    ASSERT_LT(dir.size() + 4, length);
    const std::string path = dir + std::string(length - dir.size() - 4, 'n') + ".wav";
    ASSERT_EQ(path.size(), length);
    WriteMonoWave(path.substr(dir.size()), Tone(100, 440));
    stretch->LoadFile(path.c_str());
    const std::string shown = Text(D::kFileNameText);
    if (length <= 64)
      EXPECT_EQ(shown, path);
    else
      EXPECT_EQ(shown, "..." + path.substr(length - 64));
  }
}

// A restored state whose file cannot be loaded (a drive not mounted, a project
// moved) still names it: the path stays for the next save, the name is shown
// as not found, and the clip that was playing stops. Drops and picks that fail
// change nothing; a later load that works replaces the path.
TEST_F(StretchTest, RestoredStateKeepsThePathOfAFileThatCannotBeLoaded) {
  const std::string present = WriteMonoWave("present.wav", Tone(9000, 440));
  LoadAndAnalyse(present);
  const std::vector<double> playing = AnalyseAndPlay(4096);
  ASSERT_GT(*std::max_element(playing.begin(), playing.end()), 0.3);
  auto restore = [](Stretch& effect, const std::string& path) {
    StateChunk chunk;
    for (int i = 0; i < kStretchParamCount; ++i) chunk.AppendDouble(effect.Param(i)->Value());
    chunk.AppendText(path);
    EXPECT_GT(effect.LoadState(chunk, 0), 0);
    effect.FinishStateLoad();  // what the host's state call does once the lock is let go
  };
  auto saved = [](Stretch& effect, std::int32_t* status) {
    StateChunk chunk;
    EXPECT_TRUE(effect.SaveState(chunk));
    std::string path;
    const int end = chunk.ReadText(51 * 8, &path);
    chunk.ReadInt32(end + 4 + 4 + 64, status);
    return path;
  };
  std::int32_t status = -1;
  EXPECT_EQ(saved(*stretch, &status), present);
  EXPECT_EQ(status, 1);

  const std::string missing = "/media/offline/takes/missing.wav";
  restore(*stretch, missing);
  EXPECT_TRUE(stretch->FileMissing());
  EXPECT_EQ(stretch->FilePath(), missing);
  EXPECT_STREQ(Text(D::kFileNameText), "/media/offline/takes/missing.wav (not found)");
  EXPECT_EQ(saved(*stretch, &status), missing);
  EXPECT_EQ(status, 2);
  EXPECT_EQ(Current().length, 0);
  EXPECT_FALSE(stretch->Engine().analysisPending);
  for (double v : AnalyseAndPlay(4096)) ASSERT_EQ(v, 0.0);
  D& displays = stretch->Displays();
  EXPECT_EQ(LeasedFrames(displays)->Count(), 0);
  for (double v : displays.waveform.values) ASSERT_EQ(v, 0.0);

  // Nothing a drop, a pick, an empty path or a rate change does loses it.
  stretch->FileDropped("/media/offline/other.wav");
  displays.ChooseFile("/media/offline/picked.wav");
  Set(kFileLoad, 1);
  restore(*stretch, "");
  Dispatch(effSetSampleRate, 0, 0, nullptr, 48000.f);
  EXPECT_EQ(saved(*stretch, &status), missing);
  EXPECT_EQ(status, 2);
  EXPECT_STREQ(Text(D::kFileNameText), "/media/offline/takes/missing.wav (not found)");

  // The mark takes room from the path: the text is as wide as a found file's.
  const std::string longer = "/media/offline/" + std::string(60, 'n') + "/deep.wav";
  restore(*stretch, longer);
  EXPECT_EQ(std::string(Text(D::kFileNameText)),
            "..." + longer.substr(longer.size() - 52) + " (not found)");

  // A load that works replaces the path.
  stretch->FileDropped(present.c_str());
  EXPECT_FALSE(stretch->FileMissing());
  EXPECT_EQ(saved(*stretch, &status), present);
  EXPECT_EQ(status, 1);
  EXPECT_EQ(std::string(Text(D::kFileNameText)), present);

  // A fresh instance keeps the path just the same.
  Stretch fresh(nullptr);
  fresh.Effect()->dispatcher(fresh.Effect(), effOpen, 0, 0, nullptr, 0.f);
  restore(fresh, missing);
  EXPECT_EQ(saved(fresh, &status), missing);
  EXPECT_EQ(status, 2);
  EXPECT_EQ(saved(*stretch, &status), present);
}

// FileLoad changes come from the file selector, from host automation, from
// program changes and from state loads; only a file the user has just picked
// in the dialog is loaded, once.
TEST_F(StretchTest, FileLoadLoadsOnlyAFilePickedInTheDialog) {
  const std::string picked = WriteMonoWave("picked.wav", Tone(2000, 440));
  const std::string dropped = WriteMonoWave("dropped.wav", Tone(3000, 440));
  D& displays = stretch->Displays();

  // A path the selector holds without a pick loads nothing.
  displays.chosenPath = picked;
  Set(kFileLoad, 1);
  EXPECT_EQ(stretch->FilePath(), "");
  EXPECT_EQ(stretch->Param(kFileLoad)->Value(), 0.0);

  // A state whose FileLoad is on loads nothing either, and FileLoad rests.
  StateChunk onState;
  for (int i = 0; i < kStretchParamCount; ++i)
    onState.AppendDouble(i == kFileLoad ? 1.0 : stretch->Param(i)->Value());
  onState.AppendText("");
  EXPECT_GT(stretch->LoadState(onState, 0), 0);
  EXPECT_EQ(stretch->FilePath(), "");
  EXPECT_EQ(stretch->Param(kFileLoad)->Value(), 0.0);
  EXPECT_TRUE(stretch->stateJustLoaded);
  Process(64);
  EXPECT_FALSE(stretch->stateJustLoaded);

  // The pick loads, read when the editor next lets it, outside the lock.
  displays.ChooseFile(picked);
  Set(kFileLoad, 1);
  EXPECT_EQ(stretch->FilePath(), "");
  stretch->RunPendingLoad();
  EXPECT_EQ(stretch->FilePath(), picked);
  EXPECT_EQ(stretch->Param(kFileLoad)->Value(), 0.0);

  // After another file was dropped, neither a program change (which runs
  // every handler), nor automation, nor a new open brings the pick back.
  stretch->FileDropped(dropped.c_str());
  const int clip = stretch->CurrentClip();
  Dispatch(effSetProgram, 0, 2);
  Set(kFileLoad, 1);
  Dispatch(effOpen);
  EXPECT_EQ(stretch->FilePath(), dropped);
  EXPECT_EQ(stretch->CurrentClip(), clip);
  EXPECT_EQ(Current().length, 3000);

  // Picking the same file again loads it again.
  displays.ChooseFile(picked);
  Set(kFileLoad, 1);
  stretch->RunPendingLoad();
  EXPECT_EQ(stretch->FilePath(), picked);
  EXPECT_NE(stretch->CurrentClip(), clip);
}

TEST_F(StretchTest, AuditionTurnedOnTwiceResetsThePositionOnce) {
  LoadAndAnalyse(WriteMonoWave("twice.wav", Tone(4000, 440)));
  Set(kAudition, 1);
  EXPECT_TRUE(stretch->Auditioning());
  Process(512);
  EXPECT_EQ(stretch->Engine().playPosition, 512.0);
  Set(kAudition, 1);
  EXPECT_EQ(stretch->Engine().playPosition, 512.0);
  Set(kAudition, 0);
  EXPECT_FALSE(stretch->Auditioning());
  EXPECT_EQ(stretch->Engine().playPosition, 0.0);
  EXPECT_EQ(stretch->Displays().State(D::kAuditionSwitch).value, 0.0);

  // Without a clip audition switches itself off at the next block.
  Stretch empty(nullptr);
  empty.Effect()->dispatcher(empty.Effect(), effOpen, 0, 0, nullptr, 0.f);
  empty.Effect()->setParameter(empty.Effect(), kAudition, 1.f);
  EXPECT_TRUE(empty.Auditioning());
  std::vector<double> l(64), r(64);
  double* outs[2] = {l.data(), r.data()};
  empty.ProcessBlock(nullptr, outs, 64);
  EXPECT_FALSE(empty.Auditioning());
  EXPECT_EQ(empty.Param(kAudition)->Value(), 0.0);
}

TEST_F(StretchTest, AnalysisFeedsTheDisplays) {
  // 1250 samples over 500 columns: the first 250 columns take 3, the rest 2.
  std::vector<double> samples(1250);
  for (int i = 0; i < 1250; ++i) samples[i] = (i % 7) / 8.0 - 0.5;
  const std::string path = WriteMonoWave("feeds.wav", samples);
  stretch->LoadFile(path.c_str());
  const D& displays = stretch->Displays();
  const std::uint32_t before = displays.waveform.revision.load();
  Process(512);
  EXPECT_FALSE(displays.State(D::kProgressBar).hidden);
  EXPECT_EQ(displays.State(D::kProgressBar).value, 0.0);
  while (stretch->Engine().analysisPending) Process(512);
  EXPECT_NE(displays.waveform.revision.load(), before);

  int position = 0;
  for (int column = 0; column < D::ColumnDisplay::kColumns; ++column) {
    const int take = column < 250 ? 3 : 2;
    double largest = -1;
    for (int k = 0; k < take; ++k)
      largest = std::max(largest, std::round(samples[position++] * 32767) / 32768);
    ASSERT_NEAR(displays.waveform.values[column], largest, 1e-4) << column;
  }
  EXPECT_EQ(LeasedFrames(displays), &stretch->Engine().frames[0]);
  const int frames = stretch->Engine().transientCurve.count;
  ASSERT_GT(frames, 0);
  const double step = 500.0 / frames;
  for (int k = 0; k < frames; ++k)
    EXPECT_EQ(displays.contour.values[static_cast<int>(k * step)],
              stretch->Engine().transientCurve.data[k]);

  // The next block hides the bar; TrScale refills the contour.
  Process(512);
  EXPECT_TRUE(displays.State(D::kProgressBar).hidden);
  Set(kTrScale, 0.0);
  for (int k = 0; k < frames; ++k)
    EXPECT_EQ(displays.contour.values[static_cast<int>(k * step)],
              stretch->Engine().transientCurve.data[k]);

  Set(kRegStart, 0.25);
  Set(kRegEnd, 0.752);
  EXPECT_EQ(displays.waveform.bandStart, 125);
  EXPECT_EQ(displays.waveform.bandEnd, 376);
}

// The spectrograph draws the frames without a lock: from the load that clears
// them until the analysis has grown them all again, it has no source.
TEST_F(StretchTest, SpectrographHasNoFramesWhileTheyAreClearedOrGrow) {
  const D& displays = stretch->Displays();
  const FftBufferList* const frames = &stretch->Engine().frames[0];
  auto analyseWatching = [&](const char* step) {
    ASSERT_TRUE(stretch->Engine().analysisPending) << step;
    while (stretch->Engine().analysisPending) {
      ASSERT_EQ(LeasedFrames(displays), nullptr) << step;
      Process(512);
    }
    EXPECT_EQ(LeasedFrames(displays), frames) << step;
    EXPECT_GT(frames->Count(), 0) << step;
  };
  const std::string first = WriteMonoWave("spectrum-first.wav", Tone(9000, 440));
  stretch->LoadFile(first.c_str());
  analyseWatching("first load");

  std::uint32_t revision = displays.spectrumRevision.load();
  stretch->LoadFile(WriteMonoWave("spectrum-second.wav", Tone(12000, 660)).c_str());
  EXPECT_NE(displays.spectrumRevision.load(), revision);
  analyseWatching("second load");

  // A failed load leaves the finished frames in place.
  stretch->LoadFile("/nonexistent/spectrum.wav");
  EXPECT_EQ(LeasedFrames(displays), frames);

  // A rate change analyses the converted clip again.
  revision = displays.spectrumRevision.load();
  Dispatch(effSetSampleRate, 0, 0, nullptr, 48000.f);
  EXPECT_NE(displays.spectrumRevision.load(), revision);
  analyseWatching("rate change");
}

TEST_F(StretchTest, DisplayTickEveryTenthOfASecond) {
  LoadAndAnalyse(WriteMonoWave("tick.wav", Tone(44100, 440)));
  Set(kRateSame, 1);
  Set(kRateNom, 1.0 / 3);  // factor 10 throughout
  D& displays = stretch->Displays();
  displays.waveform.cursorVisible = false;
  const std::uint32_t xy = displays.xyRevision.load();
  // Blocks until the next tick, which the waveform's revision shows.
  std::uint32_t revision = displays.waveform.revision.load();
  int blocks = 0;
  while (displays.waveform.revision.load() == revision) {
    ASSERT_LE(++blocks, 11);
    Process(441);
  }
  revision = displays.waveform.revision.load();
  for (int k = 0; k < 9; ++k) Process(441);
  EXPECT_EQ(displays.waveform.revision.load(), revision);
  Process(441);  // 4410 frames after the last tick
  EXPECT_NE(displays.waveform.revision.load(), revision);
  EXPECT_TRUE(displays.waveform.cursorVisible);
  EXPECT_NE(displays.xyRevision.load(), xy);
  const double r = std::log10(1.0 / stretch->Engine().currentRate) / 3;
  EXPECT_NEAR(displays.State(D::kRateMeter).value, r, 1e-9);
  EXPECT_NEAR(r, 1.0 / 3, 1e-6);  // no transients in a steady tone
  EXPECT_NEAR(displays.xyY, 1 - r, 1e-12);
  EXPECT_EQ(displays.xyX, 0.0);  // 10 ms of blur
  const int frames = stretch->Engine().frames[0].Count();
  EXPECT_EQ(displays.waveform.cursorColumn,
            static_cast<int>(500 * stretch->Engine().playPosition / frames));

  // The period follows the host's rate.
  Dispatch(effSetSampleRate, 0, 0, nullptr, 96000.f);
  EXPECT_EQ(stretch->TenthSecondFrames(), 9600);
  EXPECT_EQ(displays.spectrumSampleRate, 96000.0);
  stretch->SetRate(-5);
  stretch->SetRate(0);
  EXPECT_EQ(stretch->SampleRate(), 96000.0);
}

TEST_F(StretchTest, EnvelopePointsShapeThePlaybackGain) {
  LoadAndAnalyse(WriteMonoWave("contour.wav", Tone(44100, 440)));
  std::vector<double> steady;
  for (int k = 0; k < 8; ++k) steady = Process(1024);
  const double full = *std::max_element(steady.begin(), steady.end());
  ASSERT_GT(full, 0.3);

  // E2 moved to (0.5, 1): the gain rises from 0 at the start to 1 at the middle.
  double* c = stretch->Displays().envelopeControl;
  c[0] = 0.5;
  c[1] = 1.0;
  Set(kVolumeEnvelope, 1);
  ASSERT_EQ(stretch->Contour().SegmentCount(), 2);
  Set(kAlgo, 0);  // back to the clip's start
  const int frames = stretch->Engine().frames[0].Count();
  for (int k = 0; k < 40; ++k) {
    const std::vector<double> block = Process(1024);
    const double position = stretch->Engine().playPosition / frames;
    const double peak = *std::max_element(block.begin(), block.end());
    if (k > 4) {
      EXPECT_NEAR(peak, full * std::min(1.0, 2 * position), 0.08) << k;
    }
  }
}

// The points of a shaped envelope follow the path in the state: a fresh
// instance gets them back into the editor's handles and the contour. States
// without them, or with damaged ones, give the initial shape.
TEST_F(StretchTest, EnvelopePointsTravelInTheStateAfterThePath) {
  // Handles E2, E3, E1, E4 as the control keeps them.
  const double shaped[8] = {0.25, 1.0, 0.75, 0.5, 0.1, 0.2, 0.9, 0.0};
  std::copy(shaped, shaped + 8, stretch->Displays().envelopeControl);
  Set(kVolumeEnvelope, 1);
  StateChunk chunk;
  ASSERT_TRUE(stretch->SaveState(chunk));
  const int trailer = 51 * 8 + 4;  // values, then an empty path
  ASSERT_EQ(chunk.Size(), trailer + 4 + 4 + 64 + 4);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(chunk.Data()) + trailer, 4), "DxSt");
  std::int32_t version = 0;
  chunk.ReadInt32(trailer + 4, &version);
  EXPECT_EQ(version, 1);
  const double leftToRight[8] = {0.1, 0.2, 0.25, 1.0, 0.75, 0.5, 0.9, 0.0};
  for (int k = 0; k < 8; ++k) {
    double v = -1;
    chunk.ReadDouble(trailer + 8 + 8 * k, &v);
    EXPECT_EQ(v, leftToRight[k]) << k;
  }

  Stretch fresh(nullptr);
  fresh.Effect()->dispatcher(fresh.Effect(), effOpen, 0, 0, nullptr, 0.f);
  const std::uint32_t revision = fresh.Displays().envelopeRevision.load();
  EXPECT_EQ(fresh.LoadState(chunk, 0), trailer);
  EXPECT_NE(fresh.Displays().envelopeRevision.load(), revision);
  for (int k = 0; k < 8; ++k) EXPECT_EQ(fresh.Displays().envelopeControl[k], shaped[k]) << k;
  // (0, 0) to E1 rises with slope 2; E3 to E4 falls from 0.5 to 0.
  ASSERT_EQ(fresh.Contour().SegmentCount(), 5);
  VolumeContour contour = fresh.Contour();
  EXPECT_DOUBLE_EQ(contour.GainAt(0.05), 0.1);
  EXPECT_DOUBLE_EQ(contour.GainAt(0.5), 0.75);
  EXPECT_NEAR(contour.GainAt(0.825), 0.25, 1e-12);
  StateChunk again;
  ASSERT_TRUE(fresh.SaveState(again));
  EXPECT_EQ(std::vector<std::uint8_t>(again.Data(), again.Data() + again.Size()),
            std::vector<std::uint8_t>(chunk.Data(), chunk.Data() + chunk.Size()));

  // A later version with more after the points is read for what it shares.
  StateChunk later;
  later.Resize(trailer + 4);
  std::copy(chunk.Data(), chunk.Data() + trailer + 4, later.Data());
  later.AppendInt32(2);
  for (double v : leftToRight) later.AppendDouble(v);
  later.AppendInt32(7);
  StretchDisplays& seam = fresh.Displays();
  std::fill(seam.envelopeControl, seam.envelopeControl + 8, 0.5);
  EXPECT_GE(fresh.LoadState(later, 0), 0);
  for (int k = 0; k < 8; ++k) EXPECT_EQ(seam.envelopeControl[k], shaped[k]) << k;

  auto expectInitialShape = [&](const char* what) {
    const double initial[8] = {0.0, 1.0, 1.0, 1.0, 0.0, 0.0, 1.0, 0.0};
    for (int k = 0; k < 8; ++k) EXPECT_EQ(seam.envelopeControl[k], initial[k]) << what << k;
    ASSERT_EQ(fresh.Contour().SegmentCount(), 1) << what;
    EXPECT_EQ(fresh.Contour().SegmentAt(0).y0, 1.0) << what;
    EXPECT_EQ(fresh.Contour().SegmentAt(0).slope, 0.0) << what;
  };
  // An older state ends with the path.
  StateChunk old;
  old.Resize(trailer);
  std::copy(chunk.Data(), chunk.Data() + trailer, old.Data());
  EXPECT_EQ(fresh.LoadState(old, 0), trailer);
  expectInitialShape("no trailer");

  // Damaged trailers: each is ignored as a whole.
  struct Damage {
    const char* what;
    int offset;  // into the trailer
    double value;
  };
  const Damage damages[] = {{"point out of order", 8 + 0, 0.3},  // E1 right of E2
                            {"point above 1", 8 + 8 * 3, 1.5},
                            {"point below 0", 8 + 8 * 6, -0.25},
                            {"not a number", 8 + 8 * 7, std::nan("")}};
  for (const Damage& damage : damages) {
    ASSERT_GE(fresh.LoadState(chunk, 0), 0);
    ASSERT_EQ(seam.envelopeControl[0], shaped[0]);
    StateChunk bad;
    bad.Resize(chunk.Size());
    std::copy(chunk.Data(), chunk.Data() + chunk.Size(), bad.Data());
    std::memcpy(bad.Data() + trailer + damage.offset, &damage.value, 8);
    fresh.LoadState(bad, 0);
    expectInitialShape(damage.what);
  }
  for (int cut : {1, 60}) {
    ASSERT_GE(fresh.LoadState(chunk, 0), 0);
    StateChunk shortened;
    shortened.Resize(chunk.Size() - cut);
    std::copy(chunk.Data(), chunk.Data() + shortened.Size(), shortened.Data());
    fresh.LoadState(shortened, 0);
    expectInitialShape("cut short");
  }
  for (const std::int32_t word : {0, 1}) {  // tag 0, then version 0
    ASSERT_GE(fresh.LoadState(chunk, 0), 0);
    StateChunk bad;
    bad.Resize(chunk.Size());
    std::copy(chunk.Data(), chunk.Data() + chunk.Size(), bad.Data());
    const std::int32_t zero = 0;
    std::memcpy(bad.Data() + trailer + 4 * word, &zero, 4);
    fresh.LoadState(bad, 0);
    expectInitialShape(word == 0 ? "no tag" : "version 0");
  }
}

}  // namespace

TEST(VolumeContour, SegmentsSkipVerticalStepsAndEvaluateInOrder) {
  VolumeContour contour;
  EXPECT_EQ(contour.GainAt(0.5), 0.0);  // nothing built yet

  const double initial[8] = {0, 0, 0, 1, 1, 1, 1, 0};
  contour.Build(initial);
  ASSERT_EQ(contour.SegmentCount(), 1);
  for (double f : {0.0, 0.3, 1.0}) EXPECT_EQ(contour.GainAt(f), 1.0);

  const double ramp[8] = {0, 0, 0.5, 1, 1, 1, 1, 0};
  contour.Build(ramp);
  ASSERT_EQ(contour.SegmentCount(), 2);
  EXPECT_DOUBLE_EQ(contour.GainAt(0.0), 0.0);
  EXPECT_DOUBLE_EQ(contour.GainAt(0.25), 0.5);
  EXPECT_DOUBLE_EQ(contour.GainAt(0.75), 1.0);
  EXPECT_DOUBLE_EQ(contour.GainAt(0.1), 0.2);  // back into the first segment

  // Four distinct x values give five segments, including both fixed ends.
  const double full[8] = {0.1, 0.5, 0.4, 1, 0.6, 0.2, 0.9, 0.8};
  contour.Build(full);
  ASSERT_EQ(contour.SegmentCount(), 5);
  EXPECT_DOUBLE_EQ(contour.GainAt(0.05), 0.25);
  EXPECT_NEAR(contour.GainAt(0.95), 0.4, 1e-12);
  // Outside every segment the last used one carries on.
  EXPECT_NEAR(contour.GainAt(1.5), -4.0, 1e-12);
}

// The overview is filled as the analysis reads the clip: a column waits for
// the last sample of its run, and filling in pieces gives what filling at once
// does.
TEST(StretchDisplays, OverviewFilledInPiecesAsSamplesArrive) {
  ExtensibleSampleBuffer<double> samples;
  std::vector<double> ramp(1234);
  for (int i = 0; i < 1234; ++i) ramp[i] = std::sin(i * 0.01) * (i % 7);
  samples.Append(1234, ramp.data());
  StretchDisplays once, pieces;
  EXPECT_EQ(once.waveform.FillOverview(samples, 0, 1234), 500);
  // Runs of three samples for the first 234 columns, then of two.
  EXPECT_EQ(pieces.waveform.FillOverview(samples, 0, 5), 1);
  EXPECT_EQ(pieces.waveform.FillOverview(samples, 1, 6), 2);
  EXPECT_EQ(pieces.waveform.FillOverview(samples, 2, 703), 234);
  EXPECT_EQ(pieces.waveform.FillOverview(samples, 234, 704), 235);
  int next = 235;
  for (int available = 800; available <= 1234; available += 100)
    next = pieces.waveform.FillOverview(samples, next, std::min(available, 1234));
  next = pieces.waveform.FillOverview(samples, next, 1234);
  EXPECT_EQ(next, 500);
  for (int column = 0; column < 500; ++column)
    ASSERT_EQ(pieces.waveform.values[column], once.waveform.values[column]) << column;
  EXPECT_EQ(once.waveform.values[0], std::max({ramp[0], ramp[1], ramp[2]}));
  EXPECT_EQ(once.waveform.values[499], std::max(ramp[1232], ramp[1233]));
}

TEST(StretchDisplays, ColumnsOfShortClipsAndSparseCurves) {
  StretchDisplays displays;
  ExtensibleSampleBuffer<double> samples;
  const double few[3] = {-0.5, -0.25, 0.75};
  samples.Append(3, few);
  EXPECT_EQ(displays.waveform.FillOverview(samples, 0, 3), 500);
  // Three samples left over: each of the first three columns takes one more
  // than none, so two columns hold samples; the largest signed value counts.
  EXPECT_EQ(displays.waveform.values[0], -0.25);
  EXPECT_EQ(displays.waveform.values[1], 0.75);
  for (int column = 2; column < 500; ++column) ASSERT_EQ(displays.waveform.values[column], 0.0);

  const double curve[4] = {0.5, 0.25, 1.0, 0.75};
  displays.contour.FillCurve(curve, 4);
  for (int column = 0; column < 500; ++column) {
    const double expected = column % 125 == 0 ? curve[column / 125] : 0.0;
    ASSERT_EQ(displays.contour.values[column], expected) << column;
  }
  std::vector<double> dense(1000);
  for (int k = 0; k < 1000; ++k) dense[k] = k % 2 == 0 ? 0.1 : 0.9;
  displays.contour.FillCurve(dense.data(), 1000);
  for (int column = 0; column < 500; ++column) ASSERT_EQ(displays.contour.values[column], 0.9);
  displays.contour.FillCurve(nullptr, 0);
  EXPECT_EQ(displays.contour.values[0], 0.0);

  displays.SetText(StretchDisplays::kFileNameText, "a");
  const std::uint32_t revision = displays.State(StretchDisplays::kFileNameText).revision.load();
  displays.SetText(StretchDisplays::kFileNameText, "a");  // unchanged text: no redraw
  EXPECT_EQ(displays.State(StretchDisplays::kFileNameText).revision.load(), revision);
}

namespace {

// The editor reads the spectrograph's frames without the plug-in lock, inside
// a lease: a detach (a new load clearing the frames) must wait for it.
TEST(StretchDisplays, DetachingTheSpectrumWaitsForALeaseUnderWay) {
  StretchDisplays displays;
  FftBufferList frames;
  displays.AttachSpectrumFrames(&frames);
  std::atomic<bool> detached{false};
  std::thread loader;
  {
    const StretchDisplays::SpectrumLease lease(displays);
    ASSERT_EQ(lease.Frames(), &frames);
    loader = std::thread([&] {
      displays.DetachSpectrumFrames();
      detached = true;
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_FALSE(detached.load());
  }
  loader.join();
  EXPECT_TRUE(detached.load());
  EXPECT_EQ(StretchDisplays::SpectrumLease(displays).Frames(), nullptr);
  // Without a lease the detach returns at once.
  displays.AttachSpectrumFrames(&frames);
  displays.DetachSpectrumFrames();
  EXPECT_EQ(StretchDisplays::SpectrumLease(displays).Frames(), nullptr);
}

}  // namespace
