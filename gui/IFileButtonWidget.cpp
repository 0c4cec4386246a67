#include "gui/IFileButtonWidget.h"

#include "gui/ICanvas.h"
#include "gui/IWindowHost.h"

IFileButtonWidget::IFileButtonWidget(IEffectForEditor* plug, const PixelRect& rect, int paramIndex,
                                     const FrameBitmap& bitmap, int fileAction)
    : IWidget(plug, rect, paramIndex), image(bitmap), action(fileAction) {}

void IFileButtonWidget::MouseDown(int, int, const MouseMods&) {
  if (windowHost == nullptr) return;
  state = kSelecting;
  MarkDirty(false);
  windowHost->PromptForFile(&chosenPath, action, directory);
  Chosen(chosenPath);
  value += 1.0;
  if (value > 1.0) value = 0.0;
  state = kDone;
  MarkDirty(true);
}

bool IFileButtonWidget::IsDirty() {
  if (dirty) return true;
  if (state == kDone) {
    state = kIdle;
    return true;
  }
  return false;
}

bool IFileButtonWidget::Draw(ICanvas& graphics) {
  if (state == kSelecting) return graphics.DrawBitmap(image, drawRect, 2, blend);
  if (image.N >= 2) return graphics.DrawBitmap(image, drawRect, 1, blend);
  return true;
}
