// The standard controls' behaviour: switch, fader, knob, text, spinner and
// file button.
#include "gui/IBitmapWidget.h"
#include "gui/IFaderWidget.h"
#include "gui/IFileButtonWidget.h"
#include "gui/IKnobStripWidget.h"
#include "gui/ISpinnerWidget.h"
#include "gui/ISwitchWidget.h"
#include "gui/ITextWidget.h"
#include "tests/gui/GuiTestSupport.h"

namespace guitest {
namespace {

const MouseMods kLeft{true};
const MouseMods kRight{false, true};
const MouseMods kShift{true, false, true};

TEST_F(GuiTest, SwitchesStepThroughTheirFramesAndWrap) {
  auto two = FramesImage(14, 14, {0xFF000000u, 0xFFFFFFFFu});
  auto three = FramesImage(14, 14, {1u, 2u, 3u});
  ISwitchWidget* toggle = Attach(std::make_unique<ISwitchWidget>(&plug, 0, 0, 2, Framed(*two, 2)));
  ISwitchWidget* stepper =
      Attach(std::make_unique<ISwitchWidget>(&plug, 20, 0, -1, Framed(*three, 3)));
  EXPECT_EQ(toggle->DrawRect(), PixelRect(0, 0, 14, 14));
  EXPECT_EQ(toggle->Frame(), 1);
  canvas->MouseDown(5, 5, kLeft);
  EXPECT_EQ(toggle->Value(), 1.0);
  EXPECT_EQ(toggle->Frame(), 2);
  EXPECT_EQ(plug.Param(2)->Value(), 1.0);
  canvas->MouseDown(5, 5, kLeft);  // 1 + 1 > 1.001: back to 0
  EXPECT_EQ(toggle->Value(), 0.0);
  canvas->MouseDown(5, 5, kRight);
  EXPECT_EQ(toggle->Value(), 0.0);
  EXPECT_EQ(canvas->prompted.size(), 1u);

  std::vector<int> frames;
  for (int k = 0; k < 4; ++k) {
    canvas->MouseDown(25, 5, kLeft);
    frames.push_back(stepper->Frame());
  }
  EXPECT_EQ(frames, (std::vector<int>{2, 3, 1, 2}));
}

TEST_F(GuiTest, FadersSnapTheHandleCentreAndClamp) {
  auto handle = FramesImage(20, 10, {0xFFFFFFFFu});
  IFaderWidget* h =
      Attach(std::make_unique<IFaderWidget>(&plug, 10, 10, 120, 0, Framed(*handle, 1)));
  EXPECT_EQ(h->DrawRect(), PixelRect(10, 10, 130, 20));
  canvas->MouseDown(70, 15, kLeft);  // (70 - 10 - 10) / 100
  EXPECT_DOUBLE_EQ(h->Value(), 0.5);
  EXPECT_EQ(h->HandleRect(), PixelRect(60, 10, 80, 20));
  canvas->MouseDrag(12, 15, kLeft);  // left of the track's start
  EXPECT_EQ(h->Value(), 0.0);
  canvas->MouseDrag(129, 15, kLeft);
  EXPECT_EQ(h->Value(), 1.0);
  canvas->MouseUp(129, 15, kLeft);
  EXPECT_EQ(plug.Param(0)->Value(), 10.0);
  canvas->MouseDown(70, 15, kRight);
  EXPECT_EQ(h->Value(), 1.0);
  EXPECT_EQ(canvas->prompted.size(), 1u);

  IFaderWidget* v = Attach(std::make_unique<IFaderWidget>(&plug, 150, 0, 90, 4, Framed(*handle, 1),
                                                          IFaderWidget::kVertical));
  EXPECT_EQ(v->DrawRect(), PixelRect(150, 0, 170, 90));
  canvas->MouseDown(160, 5 + 20, kLeft);  // 1 - (25 - 5 - 0) / 80
  EXPECT_DOUBLE_EQ(v->Value(), 0.75);
  EXPECT_EQ(v->HandleRect().T, 20);
}

// A press that snaps the handle moves the parameter inside the gesture, so a
// host recording touches keeps the first value too.
TEST_F(GuiTest, APressThatMovesAFaderIsInsideItsGesture) {
  std::vector<HostRecord> records;
  hostCalls = &records;
  auto handle = FramesImage(20, 10, {0xFFFFFFFFu});
  Attach(std::make_unique<IFaderWidget>(&plug, 10, 10, 120, 0, Framed(*handle, 1)));
  canvas->MouseDown(70, 15, kLeft);
  canvas->MouseUp(70, 15, kLeft);
  hostCalls = nullptr;
  ASSERT_EQ(records.size(), 3u);
  EXPECT_EQ(records[0].opcode, audioMasterBeginEdit);
  EXPECT_EQ(records[1].opcode, audioMasterAutomate);
  EXPECT_FLOAT_EQ(records[1].value, 0.5f);
  EXPECT_EQ(records[2].opcode, audioMasterEndEdit);
}

TEST_F(GuiTest, KnobsTurnUpwardsAndFinelyWithShift) {
  auto strip = FramesImage(32, 32, std::vector<std::uint32_t>(101, 0xFF808080u));
  IKnobStripWidget* knob =
      Attach(std::make_unique<IKnobStripWidget>(&plug, 0, 0, 0, Framed(*strip, 101)));
  EXPECT_EQ(knob->DrawRect(), PixelRect(0, 0, 32, 32));
  canvas->MouseDown(10, 10, kLeft);
  canvas->MouseDrag(10, -22, kLeft);  // 32 pixels up: a quarter of the range
  EXPECT_DOUBLE_EQ(knob->Value(), 0.25);
  EXPECT_EQ(knob->Frame(), 26);
  canvas->MouseDrag(10, -54, kShift);  // ten times finer
  EXPECT_DOUBLE_EQ(knob->Value(), 0.275);
  canvas->MouseDrag(10, 500, kLeft);
  EXPECT_EQ(knob->Value(), 0.0);
  EXPECT_EQ(knob->Frame(), 1);
}

TEST_F(GuiTest, TextRedrawsOnlyOnChangeAndDimsWhenGrayed) {
  TextStyle style;
  style.color = ArgbColor(255, 240, 100, 20);
  ITextWidget* text = Attach(std::make_unique<ITextWidget>(&plug, PixelRect(0, 0, 80, 16), style));
  text->MarkClean();
  text->SetTextFromPlug("1.00 x");
  EXPECT_TRUE(text->IsDirty());
  text->MarkClean();
  text->SetTextFromPlug("1.00 x");
  EXPECT_FALSE(text->IsDirty());
  EXPECT_EQ(text->DimmedColor(), ArgbColor(255, 112, 0, 0));
  text->GrayOut(true);
  EXPECT_EQ(text->Style().color, text->DimmedColor());
  text->GrayOut(false);
  EXPECT_EQ(text->Style().color, style.color);
}

TEST_F(GuiTest, SpinnersWrapAndStepByTheParameter) {
  TextStyle style;
  ISpinnerWidget* ints =
      Attach(std::make_unique<ISpinnerWidget>(&plug, PixelRect(0, 0, 80, 16), 4, style));
  canvas->MouseWheel(5, 5, MouseMods{}, 1);  // a step of the 0..4 range
  EXPECT_DOUBLE_EQ(ints->Value(), 0.25);
  ints->SetValueFromHost(1.0);
  canvas->MouseWheel(5, 5, MouseMods{}, 1);  // past the top: wraps to the bottom
  EXPECT_EQ(ints->Value(), 0.0);
  canvas->MouseWheel(5, 5, MouseMods{}, -1);
  EXPECT_EQ(ints->Value(), 1.0);
  ints->GrayOut(true);
  canvas->MouseWheel(5, 5, MouseMods{}, -1);  // grayed: never hit
  ints->MouseWheel(5, 5, MouseMods{}, -1);    // and ignored when reached directly
  EXPECT_EQ(ints->Value(), 1.0);

  ISpinnerWidget* doubles =
      Attach(std::make_unique<ISpinnerWidget>(&plug, PixelRect(0, 20, 80, 36), 0, style));
  canvas->MouseWheel(5, 25, MouseMods{}, 2);
  EXPECT_NEAR(doubles->Value(), 0.02, 1e-12);
  canvas->MouseWheel(5, 25, MouseMods{false, false, true}, 1);
  EXPECT_NEAR(doubles->Value(), 0.021, 1e-12);
  canvas->MouseDown(5, 25, kLeft);
  canvas->MouseDrag(5, 25 - 64, kLeft);  // 16-pixel control, gearing 8: 64 pixels is half
  EXPECT_NEAR(doubles->Value(), 0.521, 1e-12);

  canvas->MouseUp(5, 25 - 64, kLeft);
  doubles->Draw(*canvas);
  EXPECT_EQ(doubles->Text(), "5.2 dB");  // 0..10, one decimal, and the label
}

// Dragged between two steps, the control holds 16.99 / 29 of the range while
// the parameter rounds to choice 17: the text names the choice that plays.
TEST_F(GuiTest, SpinnersShowTheChoiceTheParameterTook) {
  ISpinnerWidget* choice =
      Attach(std::make_unique<ISpinnerWidget>(&plug, PixelRect(0, 0, 80, 16), 1, TextStyle()));
  canvas->MouseDown(5, 5, kLeft);
  canvas->MouseDrag(5, 5 - 75, kLeft);  // 75 / 128 of the range
  canvas->MouseUp(5, 5 - 75, kLeft);
  EXPECT_EQ(plug.Param(1)->Value(), 17.0);
  choice->Draw(*canvas);
  EXPECT_EQ(choice->Text(), "c17 ");  // the choice, a space and the empty label

  // A value from the host shows its choice too.
  canvas->SetParameterFromPlug(1, 3.0, false);
  plug.Param(1)->SetValue(3.0);
  choice->Draw(*canvas);
  EXPECT_EQ(choice->Text(), "c3 ");
}

// Learns each choice before the parameter changes.
class ChoosingButton : public IFileButtonWidget {
 public:
  using IFileButtonWidget::IFileButtonWidget;
  std::vector<std::pair<std::string, double>> choices;  // path, parameter then

 protected:
  void Chosen(const std::string& path) override {
    choices.emplace_back(path, Plug()->Param(ParamIndex())->Value());
  }
};

TEST_F(GuiTest, FileButtonTellsItsOwnerTheChoiceBeforeTheChange) {
  auto image = FramesImage(30, 20, {0xFF111111u, 0xFF222222u});
  ChoosingButton* button = Attach(
      std::make_unique<ChoosingButton>(&plug, PixelRect(12, 40, 42, 60), 3, Framed(*image, 2)));
  canvas->SetFileDialogAnswer("/music/take.wav");
  canvas->MouseDown(20, 50, kLeft);
  canvas->SetFileDialogAnswer("");
  canvas->MouseDown(20, 50, kLeft);
  using Choice = std::pair<std::string, double>;
  EXPECT_EQ(button->choices, (std::vector<Choice>{{"/music/take.wav", 0.0}, {"", 1.0}}));
  EXPECT_EQ(plug.Param(3)->Value(), 0.0);
}

TEST_F(GuiTest, FileButtonRunsTheDialogAndTogglesItsParameter) {
  auto image = FramesImage(30, 20, {0xFF111111u, 0xFF222222u});
  IFileButtonWidget* button = Attach(
      std::make_unique<IFileButtonWidget>(&plug, PixelRect(12, 40, 42, 60), 3, Framed(*image, 2)));
  canvas->SetFileDialogAnswer("/music/take.wav");
  canvas->MouseDown(20, 50, kLeft);
  EXPECT_EQ(canvas->FileDialogCount(), 1);
  std::string path;
  button->LastChosenPath(&path);
  EXPECT_EQ(path, "/music/take.wav");
  EXPECT_EQ(button->Value(), 1.0);
  EXPECT_EQ(plug.Param(3)->Value(), 1.0);
  EXPECT_EQ(button->CurrentState(), IFileButtonWidget::kDone);

  // Dirty, then once more after the choice.
  button->MarkClean();
  EXPECT_TRUE(button->IsDirty());
  EXPECT_EQ(button->CurrentState(), IFileButtonWidget::kIdle);
  EXPECT_FALSE(button->IsDirty());

  // A cancelled dialog still toggles, with an empty path; a right press opens
  // the dialog too.
  canvas->SetFileDialogAnswer("");
  canvas->MouseDown(20, 50, kRight);
  button->LastChosenPath(&path);
  EXPECT_EQ(path, "");
  EXPECT_EQ(button->Value(), 0.0);
  EXPECT_EQ(plug.Param(3)->Value(), 0.0);
  EXPECT_TRUE(canvas->prompted.empty());
}

}  // namespace
}  // namespace guitest
