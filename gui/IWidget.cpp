#include "gui/IWidget.h"

#include <cstring>

#include "core/IEffectForEditor.h"
#include "core/IEffectParam.h"
#include "gui/IWindowHost.h"
#include "platform/SafeConvert.h"

IWidget::IWidget(IEffectForEditor* plugIn, const PixelRect& rect, int index, BlendSpec blendSpec)
    : plug(plugIn), drawRect(rect), targetRect(rect), paramIndex(index), blend(blendSpec) {}

void IWidget::MouseDown(int, int, const MouseMods& mods) {
  if (mods.right) PromptUserInput();
}

void IWidget::MouseUp(int, int, const MouseMods&) {}

void IWidget::MouseDrag(int, int, int, int, const MouseMods&) {}

void IWidget::MouseDoubleClick(int, int, const MouseMods&) {
  if (defaultValue >= 0.0) {
    value = defaultValue;
    MarkDirty(true);
  }
}

void IWidget::MouseWheel(int, int, const MouseMods& mods, int notches) {
  value += notches * (mods.shift || mods.control ? 0.001 : 0.01);
  MarkDirty(true);
}

void IWidget::KeyDown(int, int, int) {}

void IWidget::MouseOver(int, int, const MouseMods&) {}

void IWidget::MouseOut() {}

void IWidget::SetValueFromHost(double v) {
  if (defaultValue < 0.0)
    defaultValue = v;
  else if (v == value)
    return;
  value = v;
  MarkDirty(false);
  redrawPending = true;
}

void IWidget::Hide(bool hide) {
  hidden = hide;
  redrawPending = true;
  MarkDirty(false);
}

void IWidget::GrayOut(bool gray) {
  grayed = gray;
  blend.weight = gray ? kGrayedWeight : 1.0f;
  MarkDirty(false);
}

bool IWidget::HitTest(int x, int y) { return targetRect.Contains(x, y); }

void IWidget::MarkDirty(bool push) {
  value = ClampValue(value, clampLow, clampHigh);
  dirty = true;
  SetChanged();
  if (push && plug != nullptr && paramIndex >= 0) plug->SetParameterFromGUI(paramIndex, value);
}

void IWidget::MarkClean() {
  dirty = redrawPending;
  redrawPending = false;
}

bool IWidget::IsDirty() { return dirty; }

void IWidget::ResetToDefault() {
  value = defaultValue;
  MarkDirty(true);
  redrawPending = true;
}

std::unique_ptr<IMenuModel> IWidget::MakeParamMenu() {
  IEffectParam* param = plug != nullptr ? plug->Param(paramIndex) : nullptr;
  if (param == nullptr) return nullptr;
  const IEffectParam::Type type = param->GetType();
  const int texts = param->DisplayTextCount();
  if (type != IEffectParam::kTypeEnum && !(type == IEffectParam::kTypeBool && texts > 0))
    return nullptr;
  char current[kParamTextSize];
  param->DisplayText(param->Value(), false, current);
  auto menu = std::make_unique<IMenuModel>();
  int inColumn = 0;
  for (int i = 0; i < texts; ++i) {
    const char* text = param->DisplayTextAt(i);
    std::int32_t flags = std::strcmp(text, current) == 0 ? IMenuModel::kChecked : 0;
    if (++inColumn == kMenuColumnItems) {
      flags |= IMenuModel::kColumnBreak;
      inColumn = 0;
    }
    menu->AddText(text, flags);
  }
  return menu;
}

void IWidget::FreeParamMenu(std::unique_ptr<IMenuModel>) {}

void IWidget::SetValueFromMenuItem(const IMenuModel&, int item) {
  IEffectParam* param = plug != nullptr ? plug->Param(paramIndex) : nullptr;
  if (param == nullptr || param->DisplayTextCount() < 1) return;
  const double range = param->Max() - param->Min();
  const double v = param->GetType() == IEffectParam::kTypeDouble || range == 0.0
                       ? 0.0
                       : item * param->Step() / range;
  if (v == value) return;
  value = v;
  MarkDirty(true);
  redrawPending = true;
}

void IWidget::PromptUserInput() {
  if (paramIndex < 0 || promptDisabled || windowHost == nullptr) return;
  windowHost->PromptUserInput(this, plug != nullptr ? plug->Param(paramIndex) : nullptr, false);
  redrawPending = true;
}

void IWidget::SetValueFromUserInput(double v) {
  if (v == value) return;
  value = v;
  MarkDirty(true);
  redrawPending = true;
}
