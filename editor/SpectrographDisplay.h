// A still spectrogram of the whole loaded clip: the effect's analysed frames of
// the first channel left to right, frequency bottom to top on a logarithmic
// scale, brightness from the level in decibels and hue from the height. It
// reads the frames' magnitudes and transforms nothing itself; no parameter, no
// mouse behaviour. The frames are read only inside RebuildRowMap, which the
// editor calls on the GUI thread while it holds a lease on them (the effect
// waits for the lease before it clears or grows them); it makes the picture
// there (a full pass costs a log10 per bin per column, far more than a redraw
// may), and Draw only ever copies that picture, or black while there is none.
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
  // Maps every bin of the source's frames to its row and makes the picture
  // from them; after the source or the sample rate changes (each finished
  // analysis, and a source let go of).
  void RebuildRowMap();

  const FftBufferList* frameSource = nullptr;  // not owned
  std::int32_t margin = 2;
  double sampleRate = 44100.0;  // Hz, the host's
  VariableLengthArray<int, 32> rowMap;
  VariableLengthArray<Magnitude, 32> accumulator;

 private:
  void MapRows();
  // Makes the picture of the rows and columns inside the margin from the
  // frames; false when its memory cannot be had.
  bool Render();

  // The area inside the margin as last made from the frames; columns past the
  // last frame stay transparent.
  PxMemBitmap picture;
  bool pictureMade = false;
};
