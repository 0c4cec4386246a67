#include "gui/IKnobWidget.h"

IKnobWidget::IKnobWidget(IEffectForEditor* plug, const PixelRect& rect, int paramIndex, int dir,
                         double gear, BlendSpec blend)
    : IWidget(plug, rect, paramIndex, blend), direction(dir), gearing(gear) {}

void IKnobWidget::MouseDrag(int, int, int dX, int dY, const MouseMods& mods) {
  const double gear = mods.shift || mods.control ? gearing * 10.0 : gearing;
  if (direction == kVertical)
    value += dY / static_cast<double>(drawRect.T - drawRect.B) / gear;
  else
    value += dX / static_cast<double>(drawRect.R - drawRect.L) / gear;
  MarkDirty(true);
}
