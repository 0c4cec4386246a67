#include "gui/ISwitchWidget.h"

void ISwitchWidget::MouseDown(int x, int y, const MouseMods& mods) {
  if (mods.right) {
    IWidget::MouseDown(x, y, mods);
    return;
  }
  value += image.N < 2 ? 1.0 : 1.0 / (image.N - 1);
  if (value > 1.001) value = 0.0;
  MarkDirty(true);
}
