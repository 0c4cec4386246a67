// A knob drawn as one frame of a strip of pre-rendered positions. GUI thread.
#pragma once

#include "gui/IKnobWidget.h"

class IKnobStripWidget : public IKnobWidget {
 public:
  // At (x, y) with the size of one frame.
  IKnobStripWidget(IEffectForEditor* plug, int x, int y, int paramIndex, const FrameBitmap& strip,
                   int direction = kVertical, double gearing = 4.0, BlendSpec blend = {});

  bool Draw(ICanvas& graphics) override;
  int Frame() const;

 private:
  FrameBitmap strip;
};
