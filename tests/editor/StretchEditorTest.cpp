// The product's editor as the module builds it: a Stretch with its editor on
// the headless window host, driven through the canvas as a user would and
// through the effect record as a host would. What reaches the effect is
// checked in the effect; what reaches the controls after the window host's
// timer tick, in the controls.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "editor/ParamControlsList.h"
#include "editor/SpectrographDisplay.h"
#include "editor/VolumeEnvelopeControl.h"
#include "editor/WaveformDisplay.h"
#include "editor/XyDisplay.h"
#include "gui/HeadlessCanvas.h"
#include "gui/IFaderWidget.h"
#include "gui/IFileButtonWidget.h"
#include "gui/IKnobStripWidget.h"
#include "gui/ISpinnerWidget.h"
#include "gui/ISwitchWidget.h"
#include "module/StretchAssembly.h"
#include "tests/audio/TestAudioFiles.h"
#include "tools/SoundSignals.h"

namespace {

const MouseMods kLeft{true};

std::string WriteTone(const std::string& name, int frames) {
  return WriteMonoWave(name, Sine(440, 0.5, frames, 44100));
}

class StretchEditorTest : public ::testing::Test {
 protected:
  void SetUp() override {
    stretch.reset(NewStretchWithEditor(nullptr));
    ASSERT_NE(stretch, nullptr);
    canvas = dynamic_cast<HeadlessCanvas*>(stretch->Editor());
    ASSERT_NE(canvas, nullptr);
    Dispatch(effOpen);
    canvas->Tick();
  }

  VstIntPtr Dispatch(VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0, void* ptr = nullptr,
                     float opt = 0.f) {
    AEffect* e = stretch->Effect();
    return e->dispatcher(e, opcode, index, value, ptr, opt);
  }
  // As a host automates a parameter.
  void Automate(int index, float normalized) {
    stretch->Effect()->setParameter(stretch->Effect(), index, normalized);
  }
  void Click(int x, int y) {
    canvas->MouseDown(x, y, kLeft);
    canvas->MouseUp(x, y, kLeft);
  }
  void Drag(int x0, int y0, int x1, int y1) {
    canvas->MouseDown(x0, y0, kLeft);
    canvas->MouseDrag(x1, y1, kLeft);
    canvas->MouseUp(x1, y1, kLeft);
  }
  // Processing blocks straight into the effect (no time information: playing).
  std::vector<double> Process(int n) {
    std::vector<double> left(n), right(n);
    double* outs[2] = {left.data(), right.data()};
    stretch->ProcessBlock(nullptr, outs, n);
    return left;
  }
  void Analyse() {
    for (int blocks = 0; stretch->Engine().analysisPending; ++blocks) {
      ASSERT_LT(blocks, 200);
      Process(512);
    }
  }
  double Value(int index) { return stretch->Param(index)->Value(); }

  // The controls by their place in the build order (0 is the background).
  template <typename Control>
  Control* At(int i) {
    return dynamic_cast<Control*>(canvas->Control(i));
  }
  ITextWidget* Text(int i) { return At<ITextWidget>(i); }

  std::unique_ptr<Stretch> stretch;
  HeadlessCanvas* canvas = nullptr;
};

template <typename Control>
bool Is(IWidget* control) {
  return dynamic_cast<Control*>(control) != nullptr;
}
bool IsPlainBitmap(IWidget* control) {
  return Is<IBitmapWidget>(control) && !Is<ISwitchWidget>(control);
}
bool IsPlainText(IWidget* control) {
  return Is<ITextWidget>(control) && !Is<ISpinnerWidget>(control);
}

// The layout: each control's kind, rectangle and parameter, in build order.
TEST_F(StretchEditorTest, ThirtyControlsInTheirPlaces) {
  struct Expected {
    bool (*kind)(IWidget*);
    PixelRect rect;
    int param;
    int frames;  // of a bitmap or switch image
  };
  const Expected layout[30] = {
      {Is<ISwitchWidget>, {626, 20, 640, 34}, kShowAll, 2},
      {Is<IFileButtonWidget>, {12, 40, 42, 60}, kFileLoad, 0},
      {Is<ISwitchWidget>, {60, 40, 84, 64}, kAudition, 2},
      {Is<IFaderWidget>, {100, 24, 600, 40}, kRegStart, 0},
      {Is<IFaderWidget>, {100, 10, 600, 26}, kRegEnd, 0},
      {Is<WaveformDisplay>, {100, 40, 600, 110}, -1, 0},
      {Is<VolumeEnvelopeControl>, {94, 34, 606, 116}, kVolumeEnvelope, 0},
      {IsPlainBitmap, {200, 60, 300, 100}, -1, 101},
      {IsPlainText, {100, 118, 500, 134}, -1, 0},
      {Is<WaveformDisplay>, {100, 222, 600, 272}, -1, 0},
      {Is<SpectrographDisplay>, {100, 425, 600, 645}, -1, 0},
      {Is<ISpinnerWidget>, {154, 279, 234, 295}, kAlgo, 0},
      {Is<ISpinnerWidget>, {260, 300, 340, 316}, kDir, 0},
      {Is<IFaderWidget>, {120, 152, 520, 176}, kRateNom, 0},
      {IsPlainText, {560, 156, 640, 172}, -1, 0},
      {Is<IFaderWidget>, {120, 182, 520, 206}, kRateTran, 0},
      {IsPlainText, {560, 186, 640, 202}, -1, 0},
      {Is<ISwitchWidget>, {34, 187, 48, 201}, kRateSame, 2},
      {Is<ISwitchWidget>, {526, 136, 540, 150}, kRateXtrm, 2},
      {IsPlainBitmap, {120, 175, 520, 183}, -1, 400},
      {Is<ISwitchWidget>, {170, 315, 184, 329}, kBlurPure, 2},
      {Is<IFaderWidget>, {120, 340, 520, 364}, kBlurNom, 0},
      {IsPlainText, {560, 344, 640, 360}, -1, 0},
      {Is<IFaderWidget>, {120, 370, 520, 394}, kBlurTran, 0},
      {IsPlainText, {560, 374, 640, 390}, -1, 0},
      {Is<ISwitchWidget>, {34, 374, 48, 388}, kBlurSame, 2},
      {Is<IKnobStripWidget>, {53, 236, 85, 268}, kTrScale, 0},
      {Is<XyDisplay>, {10, 500, 90, 580}, -1, 0},
      {Is<IKnobStripWidget>, {26, 420, 58, 452}, kPitch, 0},
      {Is<IKnobStripWidget>, {372, 285, 404, 317}, kWander, 0},
  };
  ASSERT_EQ(canvas->ControlCount(), 31);
  EXPECT_EQ(canvas->Control(0)->DrawRect(), PixelRect(0, 0, 720, 650));
  for (int i = 1; i <= 30; ++i) {
    const Expected& e = layout[i - 1];
    IWidget* control = canvas->Control(i);
    EXPECT_EQ(control->DrawRect(), e.rect) << i;
    EXPECT_EQ(control->ParamIndex(), e.param) << i;
    EXPECT_TRUE(e.kind(control)) << i;
    if (e.frames > 0) {
      ASSERT_NE(At<IBitmapWidget>(i)->Image().bitmap, nullptr) << i;
      EXPECT_EQ(At<IBitmapWidget>(i)->Image().N, e.frames) << i;
    }
  }
  EXPECT_TRUE(canvas->AcceptsFileDrops());
  EXPECT_FALSE(canvas->AcceptsFileDrops2());

  // The overview is centred with its band on, in its own colours; the contour
  // keeps the display's bars and colours.
  const WaveformDisplay& overview = *At<WaveformDisplay>(6);
  EXPECT_EQ(overview.mode, WaveformDisplay::kCentred);
  EXPECT_TRUE(overview.bandOn);
  EXPECT_EQ(overview.backgroundColor, colors::kBlack);
  EXPECT_EQ(overview.frameColor, colors::kGray);
  EXPECT_EQ(overview.cursorColor, colors::kRed);
  EXPECT_EQ(overview.bandColor, ArgbColor(127, 40, 123, 155));
  EXPECT_EQ(overview.waveformColor, colors::kWhite);
  const WaveformDisplay& contour = *At<WaveformDisplay>(10);
  EXPECT_EQ(contour.mode, WaveformDisplay::kBars);
  EXPECT_FALSE(contour.bandOn);
  EXPECT_EQ(contour.frameColor, colors::kWhite);
  EXPECT_EQ(contour.bandColor, colors::kGray);

  // Readouts and the file name in their text styles.
  EXPECT_EQ(Text(9)->Style().size, 16);
  EXPECT_EQ(Text(9)->Style().align, TextStyle::kLeft);
  EXPECT_EQ(Text(15)->Style().size, 14);
  EXPECT_EQ(Text(15)->Style().color, colors::kWhite);
  EXPECT_EQ(At<ISpinnerWidget>(13)->Style().size, 16);
}

TEST(ParamControlsList, RecordsControlsFromParameterOneInOrder) {
  struct Plain : IWidget {
    using IWidget::IWidget;
    bool Draw(ICanvas&) override { return true; }
  };
  Plain none(nullptr, PixelRect(), -1), zero(nullptr, PixelRect(), 0);
  Plain a(nullptr, PixelRect(), 3), b(nullptr, PixelRect(), 3), c(nullptr, PixelRect(), 1);
  ParamControlsList list;
  for (IWidget* control :
       {static_cast<IWidget*>(&none), static_cast<IWidget*>(&zero), static_cast<IWidget*>(&a),
        static_cast<IWidget*>(&c), static_cast<IWidget*>(&b)})
    list.Record(control);
  EXPECT_EQ(list.Find(-1), nullptr);
  EXPECT_EQ(list.Find(0), nullptr);
  EXPECT_EQ(list.Find(2), nullptr);
  EXPECT_EQ(list.Find(4), nullptr);
  ASSERT_NE(list.Find(3), nullptr);
  EXPECT_EQ(list.Find(3)->index, 3);
  EXPECT_EQ(list.Find(3)->controls, (std::vector<IWidget*>{&a, &b}));
  EXPECT_EQ(list.Find(1)->controls, (std::vector<IWidget*>{&c}));
}

// Where controls overlap, the one built later takes the mouse; the progress
// bar lies over the envelope but only while a file is analysed.
TEST_F(StretchEditorTest, OverlapsGoToTheFrontControl) {
  // y 34..39 lies in both the region-start fader and the envelope.
  Click(300, 36);
  EXPECT_EQ(Value(kRegStart), 0.0);
  EXPECT_EQ(Value(kVolumeEnvelope), 1.0);  // every release flips it
  Click(300, 30);                          // the fader alone
  EXPECT_NEAR(Value(kRegStart), (300 - 6 - 100) / 488.0, 1e-9);

  IBitmapWidget* progress = At<IBitmapWidget>(8);
  EXPECT_TRUE(progress->IsHidden());
  Click(250, 80);
  EXPECT_EQ(Value(kVolumeEnvelope), 0.0);

  // Single-frame blocks leave time for no more than the two hops a call that
  // every call analyses.
  canvas->DropFile(WriteTone("progress.wav", 22050).c_str());
  Process(1);
  Process(1);
  EXPECT_TRUE(progress->IsHidden());  // until the tick
  canvas->Tick();
  EXPECT_FALSE(progress->IsHidden());
  EXPECT_GT(progress->Value(), 0.0);
  EXPECT_LT(progress->Value(), 0.5);
  Click(250, 80);
  EXPECT_EQ(Value(kVolumeEnvelope), 0.0);  // the bar took it

  Analyse();
  Process(512);
  canvas->Tick();
  EXPECT_TRUE(progress->IsHidden());
  Click(250, 80);
  EXPECT_EQ(Value(kVolumeEnvelope), 1.0);
}

TEST_F(StretchEditorTest, FileNamesOfSixtyFourCharactersShowWhole) {
  const std::string base = WriteTone("p.wav", 100);
  const std::string dir = base.substr(0, base.rfind('/') + 1);
  for (std::size_t length : {64u, 65u}) {
    ASSERT_LT(dir.size() + 4, length);
    const std::string path = dir + std::string(length - dir.size() - 4, 'n') + ".wav";
    ASSERT_EQ(path.size(), length);
    WriteTone(path.substr(dir.size()), 100);
    const std::string before = Text(9)->Text();
    canvas->DropFile(path.c_str());
    EXPECT_EQ(Text(9)->Text(), before);  // until the tick
    canvas->Tick();
    EXPECT_EQ(Text(9)->Text(), length == 64 ? path : "..." + path.substr(1));
  }
}

// A handle dragged through the canvas reaches the contour: moving E2 from the
// top-left corner to the middle makes the level rise from 0 at the clip's
// start to full at its middle.
TEST_F(StretchEditorTest, DraggedEnvelopeShapesTheRenderedLevel) {
  canvas->DropFile(WriteTone("contour.wav", 44100).c_str());
  Analyse();
  std::vector<double> steady;
  for (int k = 0; k < 8; ++k) steady = Process(1024);
  const double full = *std::max_element(steady.begin(), steady.end());
  ASSERT_GT(full, 0.3);

  Drag(100, 40, 350, 40);  // E2's centre to x 350 of the inner 100..600
  EXPECT_EQ(Value(kVolumeEnvelope), 1.0);
  ASSERT_EQ(stretch->Contour().SegmentCount(), 2);
  Automate(kAlgo, 0.f);  // back to the clip's start
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

// The readouts' texts and the gray-outs and hiding the handlers decide reach
// the controls at the next tick, not before.
TEST_F(StretchEditorTest, ReadoutsAndStatesFollowTheEffectAtTheTick) {
  EXPECT_EQ(Text(15)->Text(), "1.00 x");
  EXPECT_EQ(Text(17)->Text(), "1.00 x");
  EXPECT_EQ(Text(23)->Text(), "10.0 ms");
  EXPECT_EQ(Text(25)->Text(), "10.0 ms");

  Automate(kRateNom, 1.f / 3);
  Automate(kRateSame, 1.f);
  EXPECT_EQ(Text(15)->Text(), "1.00 x");
  EXPECT_FALSE(canvas->Control(16)->IsGrayed());
  canvas->Tick();
  EXPECT_EQ(Text(15)->Text(), "10.00 x");
  EXPECT_EQ(Text(17)->Text(), "---");
  EXPECT_TRUE(canvas->Control(16)->IsGrayed());
  EXPECT_FALSE(Text(17)->IsGrayed());
  Automate(kRateSame, 0.f);
  canvas->Tick();
  EXPECT_FALSE(canvas->Control(16)->IsGrayed());
  EXPECT_EQ(Text(17)->Text(), "1.00 x");

  auto grayed = [this] {
    std::vector<int> found;
    for (int i = 1; i < canvas->ControlCount(); ++i)
      if (canvas->Control(i)->IsGrayed()) found.push_back(i);
    return found;
  };
  Automate(kBlurSame, 1.f);
  canvas->Tick();
  EXPECT_EQ(grayed(), (std::vector<int>{24, 25}));
  EXPECT_EQ(Text(25)->Text(), "---");
  Automate(kBlurPure, 1.f);
  canvas->Tick();
  EXPECT_EQ(grayed(), (std::vector<int>{22, 23, 24, 25, 26}));
  Click(300, 352);  // a grayed fader takes no clicks
  EXPECT_EQ(Value(kBlurNom), 10.0);
  Automate(kBlurPure, 0.f);
  Automate(kBlurSame, 0.f);
  canvas->Tick();
  EXPECT_TRUE(grayed().empty());

  Automate(kShowAll, 0.f);
  EXPECT_FALSE(Text(15)->IsHidden());
  canvas->Tick();
  for (int readout : {15, 17, 23, 25}) EXPECT_TRUE(Text(readout)->IsHidden()) << readout;
  Automate(kShowAll, 1.f);
  canvas->Tick();
  for (int readout : {15, 17, 23, 25}) EXPECT_FALSE(Text(readout)->IsHidden()) << readout;
}

// The audio thread's meter, XY values, cursor and switch reach the controls at
// the tick after the display refresh.
TEST_F(StretchEditorTest, PlaybackValuesFollowAtTheTick) {
  canvas->DropFile(WriteTone("meter.wav", 44100).c_str());
  Analyse();
  for (int k = 0; k < 10; ++k) Process(441);  // a display refresh at 1x
  canvas->Tick();
  Automate(kRateSame, 1.f);
  Automate(kRateNom, 1.f / 3);  // ten times slower throughout
  Automate(kBlurSame, 1.f);
  Automate(kBlurNom, 0.505f);                 // 505 ms, half way along the pad
  for (int k = 0; k < 20; ++k) Process(441);  // two display refreshes
  XyDisplay* xy = At<XyDisplay>(28);
  IBitmapWidget* meter = At<IBitmapWidget>(20);
  WaveformDisplay* overview = At<WaveformDisplay>(6);
  EXPECT_EQ(xy->yValue, 1.0);  // at 1x, as the last tick found it
  EXPECT_EQ(meter->Value(), 0.0);
  canvas->Tick();
  EXPECT_NEAR(meter->Value(), 1.0 / 3, 1e-6);
  EXPECT_NEAR(xy->yValue, 2.0 / 3, 1e-6);
  EXPECT_NEAR(xy->xValue, 0.5, 1e-6);
  EXPECT_TRUE(overview->cursorVisible);
  EXPECT_GT(overview->values[250], 0.4);  // the tone's overview

  // Audition ends at the clip's end and its switch goes back off.
  Click(70, 50);
  EXPECT_EQ(Value(kAudition), 1.0);
  for (int k = 0; k < 100 && stretch->Auditioning(); ++k) Process(512);
  EXPECT_FALSE(stretch->Auditioning());
  EXPECT_EQ(canvas->Control(3)->Value(), 1.0);
  canvas->Tick();
  EXPECT_EQ(canvas->Control(3)->Value(), 0.0);
}

// The spectrograph holds the analysed frames only while no analysis rebuilds
// them, and follows the host's rate.
TEST_F(StretchEditorTest, SpectrographLetsGoOfFramesWhileTheyAreRebuilt) {
  SpectrographDisplay* spectrum = At<SpectrographDisplay>(11);
  EXPECT_EQ(spectrum->frameSource, nullptr);
  const std::string path = WriteTone("spectrum.wav", 22050);
  canvas->DropFile(path.c_str());
  Analyse();
  EXPECT_EQ(spectrum->frameSource, nullptr);
  canvas->Tick();
  EXPECT_EQ(spectrum->frameSource, &stretch->Engine().frames[0]);
  canvas->DropFile(path.c_str());
  canvas->Tick();
  EXPECT_EQ(spectrum->frameSource, nullptr);
  Process(512);
  canvas->Tick();
  EXPECT_EQ(spectrum->frameSource, nullptr);
  Analyse();
  canvas->Tick();
  EXPECT_EQ(spectrum->frameSource, &stretch->Engine().frames[0]);

  Dispatch(effSetSampleRate, 0, 0, nullptr, 48000.f);
  EXPECT_EQ(spectrum->sampleRate, 44100.0);
  canvas->Tick();
  EXPECT_EQ(spectrum->sampleRate, 48000.0);
}

// A file picked with the load button loads once: neither a program change
// nor automation of FileLoad loads it again, and a cancelled dialog loads
// nothing.
TEST_F(StretchEditorTest, PickedFileLoadsOnce) {
  const std::string path = WriteTone("picked.wav", 2000);
  canvas->SetFileDialogAnswer(path);
  const int clip = stretch->CurrentClip();
  Click(20, 50);
  EXPECT_EQ(canvas->FileDialogCount(), 1);
  EXPECT_EQ(Value(kFileLoad), 0.0);
  EXPECT_EQ(stretch->CurrentClip(), clip);  // read at the next timer tick, outside the lock
  canvas->Tick();
  EXPECT_EQ(stretch->FilePath(), path);
  EXPECT_NE(stretch->CurrentClip(), clip);
  ASSERT_LE(path.size(), 64u);
  EXPECT_EQ(Text(9)->Text(), path);

  Dispatch(effSetProgram, 0, 2);
  Automate(kFileLoad, 1.f);
  Automate(kFileLoad, 0.f);
  EXPECT_NE(stretch->CurrentClip(), clip);  // still the pick's clip: no second load

  canvas->SetFileDialogAnswer("");
  Click(20, 50);
  EXPECT_EQ(canvas->FileDialogCount(), 2);
  EXPECT_EQ(stretch->FilePath(), path);
  EXPECT_NE(stretch->CurrentClip(), clip);
}

// Dragged between two steps, the direction spinner names the direction the
// effect plays.
TEST_F(StretchEditorTest, DirectionSpinnerNamesTheDirectionThatPlays) {
  Drag(300, 308, 300, 308 - 77);  // 77 / 128 of the range: 1.8 of 3 steps
  EXPECT_EQ(Value(kDir), 2.0);
  EXPECT_EQ(stretch->Engine().direction, 2);
  canvas->Tick();
  EXPECT_EQ(At<ISpinnerWidget>(13)->Text(), "Fwd-Rev ");
}

// A restored state moves the handles to its points at the next tick.
TEST_F(StretchEditorTest, RestoredEnvelopeMovesTheHandles) {
  Drag(100, 40, 350, 60);
  const double* shaped = At<VolumeEnvelopeControl>(7)->Points();
  const std::vector<double> expected(shaped, shaped + 8);
  StateChunk chunk;
  ASSERT_TRUE(stretch->SaveState(chunk));

  std::unique_ptr<Stretch> restored(NewStretchWithEditor(nullptr));
  auto* other = dynamic_cast<HeadlessCanvas*>(restored->Editor());
  auto* handles = dynamic_cast<VolumeEnvelopeControl*>(other->Control(7));
  const std::vector<double> initial(handles->Points(), handles->Points() + 8);
  ASSERT_NE(initial, expected);
  ASSERT_GT(restored->LoadState(chunk, 0), 0);
  EXPECT_EQ(std::vector<double>(handles->Points(), handles->Points() + 8), initial);
  other->Tick();
  EXPECT_EQ(std::vector<double>(handles->Points(), handles->Points() + 8), expected);
  EXPECT_EQ(restored->Contour().SegmentCount(), stretch->Contour().SegmentCount());
}

}  // namespace
