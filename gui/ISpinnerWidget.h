// A text control that shows a parameter's display text (and label) for the
// parameter's own value, and changes it by dragging or the wheel, wrapping
// round at both ends. The parameter is
// the plug-in's at the control's index, or an own one (not owned) when the
// index is negative. Ignores drag and wheel while grayed. GUI thread.
#pragma once

#include "gui/ITextWidget.h"

class IEffectParam;

class ISpinnerWidget : public ITextWidget {
 public:
  enum Direction : int { kVertical = 0, kHorizontal = 1 };

  ISpinnerWidget(IEffectForEditor* plug, const PixelRect& rect, int paramIndex,
                 const TextStyle& style, bool showValue = true, bool showLabel = true,
                 int direction = kVertical, double gearing = 8.0, IEffectParam* ownParam = nullptr);

  void MouseDrag(int x, int y, int dX, int dY, const MouseMods& mods) override;
  void MouseWheel(int x, int y, const MouseMods& mods, int notches) override;
  bool Draw(ICanvas& graphics) override;

 private:
  IEffectParam* Param() const;
  void Wrap();

  int direction;
  double gearing;
  bool showValue;
  bool showLabel;
  IEffectParam* ownParam;
};
