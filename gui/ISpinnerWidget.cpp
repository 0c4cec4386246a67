#include "gui/ISpinnerWidget.h"

#include "core/IEffectForEditor.h"
#include "core/IEffectParam.h"
#include "gui/ICanvas.h"

ISpinnerWidget::ISpinnerWidget(IEffectForEditor* plug, const PixelRect& rect, int paramIndex,
                               const TextStyle& style, bool value, bool label, int dir, double gear,
                               IEffectParam* own)
    : ITextWidget(plug, rect, style, "", paramIndex),
      direction(dir),
      gearing(gear),
      showValue(value),
      showLabel(label),
      ownParam(own) {}

IEffectParam* ISpinnerWidget::Param() const {
  if (paramIndex < 0) return ownParam;
  return plug != nullptr ? plug->Param(paramIndex) : nullptr;
}

void ISpinnerWidget::Wrap() {
  if (value > 1.0)
    value = 0.0;
  else if (value < 0.0)
    value = 1.0;
}

void ISpinnerWidget::MouseDrag(int, int, int dX, int dY, const MouseMods&) {
  if (grayed) return;
  if (direction == kVertical)
    value += dY / static_cast<double>(drawRect.T - drawRect.B) / gearing;
  else
    value += dX / static_cast<double>(drawRect.R - drawRect.L) / gearing;
  Wrap();
  MarkDirty(true);
}

void ISpinnerWidget::MouseWheel(int, int, const MouseMods& mods, int notches) {
  if (grayed) return;
  double step = notches * 0.01;
  const IEffectParam* param = Param();
  const double range = param != nullptr ? param->Max() - param->Min() : 0.0;
  const double paramStep = range != 0.0 ? param->Step() / range : 0.0;
  if (param != nullptr && param->GetType() != IEffectParam::kTypeDouble && paramStep != 0.0)
    step = notches * paramStep;
  else if (mods.shift || mods.control)
    step = notches * 0.001;
  value += step;
  Wrap();
  MarkDirty(true);
}

bool ISpinnerWidget::Draw(ICanvas& graphics) {
  IEffectParam* param = Param();
  if (param != nullptr && ownParam != nullptr && paramIndex < 0) param->SetNormalized(value);
  if (param != nullptr && showValue) {
    // The parameter's own value: it rounds a stepped value the control holds
    // between two steps, and the text must name the step that plays.
    char display[kParamTextSize];
    param->DisplayText(param->Value(), false, display);
    text = display;
    if (showLabel) {
      text += " ";
      text += param->Label();
    }
  }
  return ITextWidget::Draw(graphics);
}
