#include "gui/IFaderWidget.h"

#include "gui/ICanvas.h"

namespace {

PixelRect FaderRect(int x, int y, int length, const FrameBitmap& handle, int direction) {
  if (direction == IFaderWidget::kHorizontal) return {x, y, x + length, y + handle.FrameHeight()};
  return {x, y, x + handle.W, y + length};
}

}  // namespace

IFaderWidget::IFaderWidget(IEffectForEditor* plug, int x, int y, int length, int paramIndex,
                           const FrameBitmap& handleImage, int dir, BlendSpec blend)
    : IWidget(plug, FaderRect(x, y, length, handleImage, dir), paramIndex, blend),
      travelLength(length),
      handleSize(dir == kHorizontal ? handleImage.W : handleImage.FrameHeight()),
      handle(handleImage),
      direction(dir) {}

void IFaderWidget::SnapTo(int x, int y) {
  const double travel = travelLength - handleSize;
  if (travel <= 0) return;
  if (direction == kHorizontal)
    value = (x - handleSize / 2 - drawRect.L) / travel;
  else
    value = 1.0 - (y - handleSize / 2 - drawRect.T) / travel;
  MarkDirty(true);
}

void IFaderWidget::MouseDown(int x, int y, const MouseMods& mods) {
  if (mods.right) {
    PromptUserInput();
    return;
  }
  SnapTo(x, y);
}

void IFaderWidget::MouseDrag(int x, int y, int, int, const MouseMods&) { SnapTo(x, y); }

PixelRect IFaderWidget::HandleRect() const {
  const int travel = travelLength - handleSize;
  if (direction == kHorizontal) {
    const int left = drawRect.L + static_cast<int>(travel * value);
    return {left, drawRect.T, left + handle.W, drawRect.T + handle.FrameHeight()};
  }
  const int top = drawRect.T + static_cast<int>(travel * (1.0 - value));
  return {drawRect.L, top, drawRect.L + handle.W, top + handle.FrameHeight()};
}

bool IFaderWidget::Draw(ICanvas& graphics) {
  return graphics.DrawBitmap(handle, HandleRect(), 1, blend);
}
