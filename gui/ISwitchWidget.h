// A bitmap control that steps through its frames on each left click and wraps
// (a two-frame switch toggles); a right click opens value entry. GUI thread.
#pragma once

#include "gui/IBitmapWidget.h"

class ISwitchWidget : public IBitmapWidget {
 public:
  using IBitmapWidget::IBitmapWidget;
  void MouseDown(int x, int y, const MouseMods& mods) override;
};
