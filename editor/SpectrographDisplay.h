// A still spectrogram of the whole loaded clip: the effect's analysed frames of
// the first channel left to right, frequency bottom to top on a logarithmic
// scale, brightness from the level in decibels and hue from the height. It
// reads the frames' magnitudes and transforms nothing itself; no parameter, no
// mouse behaviour. Its frame source is attached by the editor on the GUI thread
// once an analysis has finished and detached before the frames change, so it
// never reads frames that are being cleared or grown. The frames stay put
// between analyses, so the picture made from them is kept and redrawn as it is
// (a full pass costs a log10 per bin per column, far more than a redraw may)
// until RebuildRowMap says the frames or the rate have changed.
#pragma once

#include <cstdint>

#include "dsp/FftBufferList.h"
#include "dsp/VariableLengthArray.h"
#include "gui/IWidget.h"
#include "raster/PxMemBitmap.h"

class SpectrographDisplay : public IWidget {
 public:
  struct Magnitude {
    double sum = 0.0;        // levels in dB added up
    std::int32_t count = 0;  // bins added
  };

  SpectrographDisplay(IEffectForEditor* plug, const PixelRect& rect, BlendSpec blend = {0, 1.0f});

  bool Draw(ICanvas& canvas) override;
  // Maps every bin of the source's frames to its row; after the source or the
  // sample rate changes (each finished analysis). The next draw then makes the
  // picture anew from the frames.
  void RebuildRowMap();

  const FftBufferList* frameSource = nullptr;  // not owned
  std::int32_t margin = 2;
  double sampleRate = 44100.0;  // Hz, the host's
  VariableLengthArray<int, 32> rowMap;
  VariableLengthArray<Magnitude, 32> accumulator;

 private:
  // Makes the picture of the rows and columns inside the margin from the
  // frames; false when its memory cannot be had.
  bool Render();

  // The area inside the margin as last made from the frames; columns past the
  // last frame stay transparent.
  PxMemBitmap picture;
  bool pictureMade = false;
};
