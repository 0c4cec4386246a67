#include "gui/IKnobStripWidget.h"

#include <algorithm>

#include "gui/ICanvas.h"

IKnobStripWidget::IKnobStripWidget(IEffectForEditor* plug, int x, int y, int paramIndex,
                                   const FrameBitmap& image, int dir, double gear, BlendSpec blend)
    : IKnobWidget(plug, PixelRect(x, y, x + image.W, y + image.FrameHeight()), paramIndex, dir,
                  gear, blend),
      strip(image) {}

int IKnobStripWidget::Frame() const {
  const int i = static_cast<int>((strip.N - 1) * value + 0.5);
  return i < 0 ? 1 : std::min(strip.N, i + 1);
}

bool IKnobStripWidget::Draw(ICanvas& graphics) {
  return graphics.DrawBitmap(strip, drawRect, Frame(), blend);
}
