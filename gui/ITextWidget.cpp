#include "gui/ITextWidget.h"

#include <algorithm>

#include "gui/ICanvas.h"
#include "platform/TextCopy.h"

ITextWidget::ITextWidget(IEffectForEditor* plug, const PixelRect& rect, const TextStyle& textStyle,
                         const char* initial, int paramIndex)
    : IWidget(plug, rect, paramIndex),
      style(textStyle),
      normal(textStyle.color),
      dimmed(255, std::max(textStyle.color.R - 128, 0), std::max(textStyle.color.G - 128, 0),
             std::max(textStyle.color.B - 128, 0)),
      text(initial != nullptr ? initial : "") {
  CopyText(style.face, textStyle.face);
}

bool ITextWidget::Draw(ICanvas& graphics) {
  if (text.empty()) return true;
  return graphics.DrawText(style, text.c_str(), drawRect);
}

void ITextWidget::GrayOut(bool gray) {
  IWidget::GrayOut(gray);
  style.color = gray ? dimmed : normal;
}

void ITextWidget::SetTextFromPlug(const char* newText) {
  if (newText == nullptr) newText = "";
  if (text == newText) return;
  MarkDirty(false);
  text = newText;
}
