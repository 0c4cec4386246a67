#include "gui/IBitmapWidget.h"

#include <algorithm>

#include "gui/ICanvas.h"

IBitmapWidget::IBitmapWidget(IEffectForEditor* plug, const PixelRect& rect, int paramIndex,
                             const FrameBitmap& bitmap, BlendSpec blend)
    : IWidget(plug, rect, paramIndex, blend), image(bitmap) {}

IBitmapWidget::IBitmapWidget(IEffectForEditor* plug, int x, int y, int paramIndex,
                             const FrameBitmap& bitmap, BlendSpec blend)
    : IBitmapWidget(plug, PixelRect(x, y, x + bitmap.W, y + bitmap.FrameHeight()), paramIndex,
                    bitmap, blend) {}

int IBitmapWidget::Frame() const {
  if (image.N < 2) return 1;
  return std::clamp(static_cast<int>((image.N - 1) * value + 0.5) + 1, 1, image.N);
}

bool IBitmapWidget::Draw(ICanvas& graphics) {
  return graphics.DrawBitmap(image, drawRect, Frame(), blend);
}
