#include "gui/ParamEntry.h"

#include <cstdlib>

#include "core/IEffectParam.h"
#include "gui/IWidget.h"

namespace {

std::string ShownText(IEffectParam& param) {
  char text[kParamTextSize];
  param.DisplayText(param.Value(), false, text);
  return text;
}

}  // namespace

PixelRect ParamEntry::FieldFor(const PixelRect& r) {
  const int anchorX = static_cast<int>((r.L + r.R) / 2.0f);
  const int anchorY = static_cast<int>((r.T + r.B) / 2.0f);
  return PixelRect(anchorX - 18, anchorY - 8, anchorX + 54, anchorY + 12);
}

std::string ParamEntry::Begin(IWidget* c, IEffectParam* p) {
  control = c;
  param = p;
  shown = ShownText(*param);
  return shown;
}

void ParamEntry::End() {
  control = nullptr;
  param = nullptr;
  shown.clear();
}

bool ParamEntry::ChoosesText() const { return param != nullptr && param->DisplayTextCount() > 0; }

bool ParamEntry::MovedText(std::string* text) {
  if (param == nullptr) return false;
  const std::string now = ShownText(*param);
  if (now == shown) return false;
  shown = now;
  *text = now;
  return true;
}

void ParamEntry::Commit(const std::string& typed) {
  if (param == nullptr || control == nullptr) return;
  double value = 0.0;
  if (param->DisplayTextCount() > 0) {
    if (!param->GetValueForText(typed.c_str(), &value)) value = 0.0;
  } else {
    value = std::strtod(typed.c_str(), nullptr);
  }
  control->SetValueFromUserInput(param->ToNormalized(value));
}
