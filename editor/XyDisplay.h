// A square pad with a marker at two values in 0..1 (x from the blur, y from
// the playback rate). A passive indicator: no parameter, no mouse behaviour.
// The editor writes the values on the GUI thread from the effect's display
// values and marks it dirty.
#pragma once

#include "gui/IWidget.h"

class XyDisplay : public IWidget {
 public:
  XyDisplay(IEffectForEditor* plug, const PixelRect& rect, const FrameBitmap& pad,
            const FrameBitmap& marker, BlendSpec blend = {0, 1.0f});

  // The pad, then the marker with its lower-left corner on the point (values
  // pinned into 0..1, so at 1 the marker lies just outside the pad).
  bool Draw(ICanvas& canvas) override;

  bool drawPad = true;
  FrameBitmap pad;
  FrameBitmap marker;
  double yValue = 0.0;
  double xValue = 0.0;
};
