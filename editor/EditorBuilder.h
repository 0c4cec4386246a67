// Builds the product's controls onto a canvas from its skin: the image,
// colour and text-style tables, and one operation per kind of control. Each
// operation attaches the new control in front of those made before it and
// records it under its parameter. The editor owns one and builds with it once,
// on the thread that creates the instance, before any window exists; the
// canvas owns the controls, the builder the record of which belong to which
// parameter.
#pragma once

#include <memory>

#include "editor/ParamControlsList.h"
#include "gui/GraphicsTypes.h"

class EditedEnvelopeControl;
class ICanvas;
class IBitmapWidget;
class IEffectForEditor;
class IFaderWidget;
class IKnobStripWidget;
class ISpinnerWidget;
class IStretchForEditor;
class ISwitchWidget;
class ITextWidget;
class IWidget;
class PickingFileButton;
class SpectrographDisplay;
class WaveformDisplay;
class XyDisplay;

class EditorBuilder {
 public:
  // The skin's images by resource id.
  enum Image : int {
    kBackground = 100,
    kLoadButton = 101,
    kFaderHandle = 102,
    kOnOff = 103,
    kRangeHandle = 104,
    kListenButton = 105,
    kProgressBar = 106,
    kRateNeedle = 107,
    kKnob = 108,
    kXyPad = 110,
    kRingMarker = 112,
    kEnableDisable = 113,
    kLitWhenFalse = 114,
    kLitWhenTrue = 115,
  };
  struct ImageEntry {
    int id;
    const char* name;
    int frames;
  };
  struct ColorEntry {
    int key;
    ArgbColor color;
  };
  struct StyleEntry {
    int key;
    int size;
    ArgbColor color;
    int style;
    int align;
  };
  static const ImageEntry kImages[14];
  static const ColorEntry kColors[3];
  static const StyleEntry kStyles[14];

  EditorBuilder(ICanvas& canvas, IStretchForEditor& effect);

  // The image with its frames, from the process-wide cache; none for an id
  // the table lacks.
  FrameBitmap LoadImage(int id);
  // Colour of a key; opaque black for a missing one.
  static ArgbColor Color(int key);
  // Style of a key in "Arial"; a missing key gives 14 pixels, centred, white.
  static TextStyle Style(int key);

  // The control kinds, each at the size of its image's frame unless given.
  ISwitchWidget* Switch(int x, int y, int param, int imageId);
  IBitmapWidget* Bitmap(int x, int y, int imageId);
  // Horizontal, the handle image's height.
  IFaderWidget* Fader(int x, int y, int length, int param, int imageId);
  IKnobStripWidget* Knob(int x, int y, int param);
  // 80 x 16 in style 4, with the value and its label.
  ISpinnerWidget* Spinner(int x, int y, int param);
  // 16 pixels high, empty.
  ITextWidget* Text(int x, int y, int width, int styleKey);
  PickingFileButton* FileButton();
  // 500 pixels wide, from x 100.
  WaveformDisplay* Waveform(int top, int height);
  EditedEnvelopeControl* Envelope();
  SpectrographDisplay* Spectrograph();
  XyDisplay* Xy();

  const ParamControlsList& ParamControls() const { return paramControls; }

 private:
  template <typename Control>
  Control* Attach(std::unique_ptr<Control> control);

  ICanvas& canvas;
  IEffectForEditor* plug;
  IStretchForEditor& effect;
  ParamControlsList paramControls;
};
