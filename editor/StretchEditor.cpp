#include "editor/StretchEditor.h"

#include <algorithm>
#include <cstring>
#include <memory>

#include "editor/EffectLinkedControls.h"
#include "editor/SpectrographDisplay.h"
#include "editor/WaveformDisplay.h"
#include "editor/XyDisplay.h"
#include "effect/IStretchForEditor.h"
#include "effect/StretchParamSpecs.h"
#include "gui/IBitmapWidget.h"
#include "gui/ICanvas.h"
#include "gui/IFaderWidget.h"
#include "gui/ISwitchWidget.h"
#include "gui/ITextWidget.h"

namespace {

using D = StretchDisplays;
using B = EditorBuilder;

// True once for each move of the revision.
bool Moved(const std::atomic<std::uint32_t>& revision, std::uint32_t& seen) {
  const std::uint32_t now = revision.load(std::memory_order_acquire);
  if (now == seen) return false;
  seen = now;
  return true;
}

void CopyColumns(const D::ColumnDisplay& from, WaveformDisplay& to) {
  const int columns = std::min(to.ColumnCount(), D::ColumnDisplay::kColumns);
  std::copy(from.values, from.values + columns, to.values.begin());
  to.cursorVisible = from.cursorVisible;
  to.cursorColumn = from.cursorColumn;
  to.bandStart = from.bandStart;
  to.bandEnd = from.bandEnd;
  to.MarkDirty(false);
}

}  // namespace

void StretchEditor::Build(ICanvas& canvas, IStretchForEditor& effect) {
  canvas.SetTickRefresher(std::unique_ptr<StretchEditor>(new StretchEditor(canvas, effect)));
}

StretchEditor::StretchEditor(ICanvas& canvas, IStretchForEditor& effect)
    : effect(effect), displays(effect.Displays()), builder(canvas, effect) {
  canvas.AttachBackground(B::kBackground, "img/Stretch-bg.png");
  canvas.SetAcceptFileDrops(true);
  canvas.SetAcceptFileDrops2(false);
  BuildControls();
}

// The attachment order is the drawing order: later controls lie in front and
// take the mouse first.
void StretchEditor::BuildControls() {
  builder.Switch(626, 20, kShowAll, B::kOnOff);
  builder.FileButton();
  ISwitchWidget* audition = builder.Switch(60, 40, kAudition, B::kListenButton);
  builder.Fader(100, 24, 500, kRegStart, B::kRangeHandle);
  builder.Fader(100, 10, 500, kRegEnd, B::kRangeHandle);
  waveform = builder.Waveform(40, 70);
  envelope = builder.Envelope();
  IBitmapWidget* progress = builder.Bitmap(200, 60, B::kProgressBar);
  progress->Hide(true);
  ITextWidget* fileName = builder.Text(100, 118, 400, 4);
  contour = builder.Waveform(222, 50);
  spectrograph = builder.Spectrograph();
  builder.Spinner(154, 279, kAlgo);
  builder.Spinner(260, 300, kDir);
  builder.Fader(120, 152, 400, kRateNom, B::kFaderHandle);
  ITextWidget* rateNominal = builder.Text(560, 156, 80, 6);
  IFaderWidget* rateTransientFader = builder.Fader(120, 182, 400, kRateTran, B::kFaderHandle);
  ITextWidget* rateTransient = builder.Text(560, 186, 80, 6);
  builder.Switch(34, 187, kRateSame, B::kEnableDisable);
  builder.Switch(526, 136, kRateXtrm, B::kOnOff);
  IBitmapWidget* rateMeter = builder.Bitmap(120, 175, B::kRateNeedle);
  builder.Switch(170, 315, kBlurPure, B::kOnOff);
  IFaderWidget* blurNominalFader = builder.Fader(120, 340, 400, kBlurNom, B::kFaderHandle);
  ITextWidget* blurNominal = builder.Text(560, 344, 80, 6);
  IFaderWidget* blurTransientFader = builder.Fader(120, 370, 400, kBlurTran, B::kFaderHandle);
  ITextWidget* blurTransient = builder.Text(560, 374, 80, 6);
  ISwitchWidget* blurSame = builder.Switch(34, 374, kBlurSame, B::kEnableDisable);
  builder.Knob(53, 236, kTrScale);
  xy = builder.Xy();
  builder.Knob(26, 420, kPitch);
  builder.Knob(372, 285, kWander);

  waveform->mode = WaveformDisplay::kCentred;
  waveform->bandOn = true;
  waveform->backgroundColor = colors::kBlack;
  waveform->frameColor = colors::kGray;
  waveform->cursorColor = colors::kRed;
  waveform->bandColor = B::Color(2);
  waveform->waveformColor = colors::kWhite;

  Drive(D::kRateNominalReadout, rateNominal, rateNominal);
  Drive(D::kRateTransientReadout, rateTransient, rateTransient);
  Drive(D::kBlurNominalReadout, blurNominal, blurNominal);
  Drive(D::kBlurTransientReadout, blurTransient, blurTransient);
  Drive(D::kRateTransientFader, rateTransientFader);
  Drive(D::kBlurNominalFader, blurNominalFader);
  Drive(D::kBlurTransientFader, blurTransientFader);
  Drive(D::kBlurSameSwitch, blurSame);
  Drive(D::kAuditionSwitch, audition, nullptr, true);
  Drive(D::kProgressBar, progress, nullptr, true);
  Drive(D::kRateMeter, rateMeter, nullptr, true);
  Drive(D::kFileNameText, fileName, fileName);
}

void StretchEditor::Drive(D::Control which, IWidget* control, ITextWidget* text, bool takesValue) {
  driven[which] = {control, text, takesValue};
}

void StretchEditor::Refresh() {
  effect.RunPendingLoad();
  for (int c = 0; c < D::kControlCount; ++c) {
    const D::ControlState& state = displays.State(static_cast<D::Control>(c));
    if (!Moved(state.revision, seen.controls[c])) continue;
    const Driven& d = driven[c];
    // Only a real change of look: the audio thread restates the progress
    // bar's on every block.
    if (d.control->IsGrayed() != state.grayed) d.control->GrayOut(state.grayed);
    if (d.control->IsHidden() != state.hidden) d.control->Hide(state.hidden);
    if (d.takesValue) d.control->SetValueFromHost(state.value);
    if (d.text != nullptr) {
      // The effect may be rewriting it: take a terminated copy.
      char text[sizeof state.text];
      std::memcpy(text, state.text, sizeof text);
      text[sizeof text - 1] = '\0';
      d.text->SetTextFromPlug(text);
    }
  }
  if (Moved(displays.waveform.revision, seen.waveform)) CopyColumns(displays.waveform, *waveform);
  if (Moved(displays.contour.revision, seen.contour)) CopyColumns(displays.contour, *contour);
  if (Moved(displays.spectrumRevision, seen.spectrum)) {
    // The picture is made from the frames inside the lease; a null source
    // while the effect rebuilds them shows black until the analysis ends.
    const StretchDisplays::SpectrumLease lease(displays);
    spectrograph->frameSource = lease.Frames();
    spectrograph->sampleRate = displays.spectrumSampleRate;
    spectrograph->RebuildRowMap();
    spectrograph->MarkDirty(false);
  }
  if (Moved(displays.xyRevision, seen.xy)) {
    xy->xValue = displays.xyX;
    xy->yValue = displays.xyY;
    xy->MarkDirty(false);
  }
  if (Moved(displays.envelopeRevision, seen.envelope))
    envelope->SetPoints(displays.envelopeControl);
}
