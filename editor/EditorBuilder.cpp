#include "editor/EditorBuilder.h"

#include "editor/EffectLinkedControls.h"
#include "editor/SpectrographDisplay.h"
#include "editor/WaveformDisplay.h"
#include "editor/XyDisplay.h"
#include "effect/StretchParamSpecs.h"
#include "gui/IBitmapWidget.h"
#include "gui/ICanvas.h"
#include "gui/IFaderWidget.h"
#include "gui/IKnobStripWidget.h"
#include "gui/ISpinnerWidget.h"
#include "gui/ISwitchWidget.h"
#include "gui/ITextWidget.h"

namespace {

const ArgbColor kAmber(255, 240, 163, 77);

}  // namespace

const EditorBuilder::ImageEntry EditorBuilder::kImages[14] = {
    {kBackground, "img/Stretch-bg.png", 1},
    {kLoadButton, "img/load-file-button.png", 2},
    {kFaderHandle, "img/horiz-fader-handle-eye.png", 1},
    {kOnOff, "img/on-off-14x14.png", 2},
    {kRangeHandle, "img/range-fader-handle.png", 1},
    {kListenButton, "img/listen-button.png", 2},
    {kProgressBar, "img/progress-bar.png", 101},
    {kRateNeedle, "img/rate-meter-needle.png", 400},
    {kKnob, "img/plain-knob.png", 101},
    {kXyPad, "img/X-Y-pad-blue.png", 1},
    {kRingMarker, "img/ring-marker-2.png", 1},
    {kEnableDisable, "img/enable-disable.png", 2},
    {kLitWhenFalse, "img/lit-when-false-14x14.png", 2},
    {kLitWhenTrue, "img/lit-when-true-14x14.png", 2},
};

const EditorBuilder::ColorEntry EditorBuilder::kColors[3] = {
    {0, colors::kWhite},
    {1, kAmber},
    {2, ArgbColor(127, 40, 123, 155)},
};

const EditorBuilder::StyleEntry EditorBuilder::kStyles[14] = {
    {0, 24, kAmber, TextStyle::kNormal, TextStyle::kLeft},
    {1, 20, colors::kWhite, TextStyle::kNormal, TextStyle::kCentre},
    {2, 20, colors::kWhite, TextStyle::kNormal, TextStyle::kLeft},
    {3, 18, colors::kWhite, TextStyle::kNormal, TextStyle::kLeft},
    {4, 16, colors::kWhite, TextStyle::kNormal, TextStyle::kLeft},
    {5, 16, colors::kWhite, TextStyle::kNormal, TextStyle::kCentre},
    {6, 14, colors::kWhite, TextStyle::kNormal, TextStyle::kLeft},
    {7, 20, kAmber, TextStyle::kNormal, TextStyle::kCentre},
    {8, 16, kAmber, TextStyle::kNormal, TextStyle::kCentre},
    {9, 14, kAmber, TextStyle::kNormal, TextStyle::kLeft},
    {10, 14, colors::kGray, TextStyle::kNormal, TextStyle::kLeft},
    {11, 14, colors::kWhite, TextStyle::kNormal, TextStyle::kCentre},
    {12, 14, colors::kWhite, TextStyle::kNormal, TextStyle::kRight},
    {13, 12, colors::kWhite, TextStyle::kNormal, TextStyle::kCentre},
};

EditorBuilder::EditorBuilder(ICanvas& target, IStretchForEditor& linked)
    : canvas(target), plug(target.Plug()), effect(linked) {}

FrameBitmap EditorBuilder::LoadImage(int id) {
  for (const ImageEntry& image : kImages)
    if (image.id == id) return canvas.LoadBitmap(id, image.name, image.frames);
  return {};
}

ArgbColor EditorBuilder::Color(int key) {
  for (const ColorEntry& entry : kColors)
    if (entry.key == key) return entry.color;
  return colors::kBlack;
}

TextStyle EditorBuilder::Style(int key) {
  TextStyle style;
  style.color = colors::kWhite;
  for (const StyleEntry& entry : kStyles) {
    if (entry.key != key) continue;
    style.size = entry.size;
    style.color = entry.color;
    style.style = entry.style;
    style.align = entry.align;
  }
  return style;
}

template <typename Control>
Control* EditorBuilder::Attach(std::unique_ptr<Control> control) {
  Control* attached = control.get();
  canvas.AttachControl(std::move(control));
  paramControls.Record(attached);
  return attached;
}

ISwitchWidget* EditorBuilder::Switch(int x, int y, int param, int imageId) {
  return Attach(std::make_unique<ISwitchWidget>(plug, x, y, param, LoadImage(imageId)));
}

IBitmapWidget* EditorBuilder::Bitmap(int x, int y, int imageId) {
  return Attach(std::make_unique<IBitmapWidget>(plug, x, y, -1, LoadImage(imageId)));
}

IFaderWidget* EditorBuilder::Fader(int x, int y, int length, int param, int imageId) {
  return Attach(std::make_unique<IFaderWidget>(plug, x, y, length, param, LoadImage(imageId)));
}

IKnobStripWidget* EditorBuilder::Knob(int x, int y, int param) {
  return Attach(std::make_unique<IKnobStripWidget>(plug, x, y, param, LoadImage(kKnob)));
}

ISpinnerWidget* EditorBuilder::Spinner(int x, int y, int param) {
  return Attach(
      std::make_unique<ISpinnerWidget>(plug, PixelRect(x, y, x + 80, y + 16), param, Style(4)));
}

ITextWidget* EditorBuilder::Text(int x, int y, int width, int styleKey) {
  return Attach(
      std::make_unique<ITextWidget>(plug, PixelRect(x, y, x + width, y + 16), Style(styleKey)));
}

PickingFileButton* EditorBuilder::FileButton() {
  return Attach(std::make_unique<PickingFileButton>(plug, effect, PixelRect(12, 40, 42, 60),
                                                    kFileLoad, LoadImage(kLoadButton)));
}

WaveformDisplay* EditorBuilder::Waveform(int top, int height) {
  return Attach(std::make_unique<WaveformDisplay>(plug, PixelRect(100, top, 600, top + height)));
}

EditedEnvelopeControl* EditorBuilder::Envelope() {
  return Attach(std::make_unique<EditedEnvelopeControl>(plug, effect, PixelRect(94, 34, 606, 116),
                                                        kVolumeEnvelope, LoadImage(kRingMarker)));
}

SpectrographDisplay* EditorBuilder::Spectrograph() {
  return Attach(std::make_unique<SpectrographDisplay>(plug, PixelRect(100, 425, 600, 645)));
}

XyDisplay* EditorBuilder::Xy() {
  return Attach(std::make_unique<XyDisplay>(plug, PixelRect(10, 500, 90, 580), LoadImage(kXyPad),
                                            LoadImage(kRingMarker)));
}
