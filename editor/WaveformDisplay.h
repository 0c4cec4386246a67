// One value per pixel column, drawn centred (the clip's overview) or as bars
// from the bottom (the transient contour), with an optional shaded region band
// and a one-pixel play cursor. A passive control: no parameter, no mouse
// behaviour of its own. The editor writes its fields on the GUI thread (copied
// from the effect's display values on the timer tick) and marks it dirty; the
// canvas draws it on the same thread.
#pragma once

#include <cstdint>
#include <vector>

#include "gui/IWidget.h"

class WaveformDisplay : public IWidget {
 public:
  enum Mode : std::int32_t { kBars = 0, kCentred = 1 };

  WaveformDisplay(IEffectForEditor* plug, const PixelRect& rect, BlendSpec blend = {0, 1.0f});

  bool Draw(ICanvas& canvas) override;

  int ColumnCount() const { return static_cast<int>(values.size()); }

  std::vector<double> values;  // one per column (the rectangle's width), 0 at first
  std::int32_t mode = kBars;
  bool cursorVisible = false;
  std::int32_t cursorColumn = 0;
  bool bandOn = false;
  std::int32_t bandStart = 0, bandEnd = 0;
  ArgbColor backgroundColor = colors::kBlack;
  ArgbColor frameColor = colors::kWhite;
  ArgbColor cursorColor = colors::kRed;
  ArgbColor bandColor = colors::kGray;
  ArgbColor waveformColor = colors::kWhite;
};
