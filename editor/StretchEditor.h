// The product's editor: the skin and its 30 controls on a canvas, and the copy
// of what the effect shows into the controls it drives. The composition point
// creates the canvas, builds the editor onto it and attaches the canvas to the
// effect. The canvas owns the editor as its tick refresher, so the editor
// lives exactly as long as the controls it points at. Building runs once, on
// the thread that creates the instance, before any window exists; Refresh runs
// on the GUI thread at each timer tick: it lets the effect read a file picked
// in the dialog, outside the plug-in lock, and reads the effect's displays
// without a lock, copying a part only when its revision has moved.
#pragma once

#include <cstdint>

#include "editor/EditorBuilder.h"
#include "effect/StretchDisplays.h"
#include "gui/ITickRefresher.h"

class StretchEditor : public ITickRefresher {
 public:
  static constexpr int kWidth = 720;
  static constexpr int kHeight = 650;

  // Builds the editor onto an empty canvas of kWidth x kHeight and hands it
  // to the canvas as its refresher.
  static void Build(ICanvas& canvas, IStretchForEditor& effect);

  void Refresh() override;

 private:
  // A control whose look the effect drives, and what of it.
  struct Driven {
    IWidget* control = nullptr;
    ITextWidget* text = nullptr;  // takes the effect's text when set
    bool takesValue = false;
  };
  // The revisions last copied; 0 matches a part the effect never wrote.
  struct Seen {
    std::uint32_t controls[StretchDisplays::kControlCount] = {};
    std::uint32_t waveform = 0, contour = 0, spectrum = 0, xy = 0, envelope = 0;
  };

  StretchEditor(ICanvas& canvas, IStretchForEditor& effect);
  void BuildControls();
  void Drive(StretchDisplays::Control which, IWidget* control, ITextWidget* text = nullptr,
             bool takesValue = false);

  IStretchForEditor& effect;
  const StretchDisplays& displays;
  EditorBuilder builder;
  Driven driven[StretchDisplays::kControlCount];
  WaveformDisplay* waveform = nullptr;
  WaveformDisplay* contour = nullptr;
  SpectrographDisplay* spectrograph = nullptr;
  XyDisplay* xy = nullptr;
  EditedEnvelopeControl* envelope = nullptr;
  Seen seen;
};
