// A knob turned by dragging: moving up (or right) raises the value, a whole
// range over gearing x its travel in pixels; shift or control gives a ten
// times finer gearing. Drawing is left to derived knobs. GUI thread.
#pragma once

#include "gui/IWidget.h"

class IKnobWidget : public IWidget {
 public:
  enum Direction : int { kVertical = 0, kHorizontal = 1 };

  IKnobWidget(IEffectForEditor* plug, const PixelRect& rect, int paramIndex,
              int direction = kVertical, double gearing = 4.0, BlendSpec blend = {});

  void MouseDrag(int x, int y, int dX, int dY, const MouseMods& mods) override;

 protected:
  int direction;
  double gearing;
};
