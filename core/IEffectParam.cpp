#include "core/IEffectParam.h"

#include <cmath>
#include <cstdio>
#include <cstring>

#include "platform/SafeConvert.h"
#include "platform/TextCopy.h"

void IEffectParam::InitDouble(const char* nameText, double defaultValue, double minValue,
                              double maxValue, double stepValue, const char* labelText) {
  if (type == kTypeNone) type = kTypeDouble;
  CopyText(name, nameText);
  CopyText(label, labelText);
  value = defaultValue;
  min = minValue;
  max = std::fmax(maxValue, minValue + stepValue);
  step = stepValue;
  // Decimal places of the step: 1 gives 0, 0.01 gives 2, 0.0025 gives 4.
  precision = 0;
  double scaled = stepValue;
  while (precision < 6 && scaled != std::floor(scaled)) {
    scaled *= 10.0;
    ++precision;
  }
}

void IEffectParam::InitInt(const char* nameText, int defaultValue, int minValue, int maxValue,
                           const char* labelText) {
  if (type == kTypeNone) type = kTypeInt;
  InitDouble(nameText, defaultValue, minValue, maxValue, 1.0, labelText);
}

void IEffectParam::InitEnum(const char* nameText, int defaultValue, int count) {
  if (type == kTypeNone) type = kTypeEnum;
  InitDouble(nameText, defaultValue, 0.0, count - 1, 1.0, "");
}

void IEffectParam::InitBool(const char* nameText, bool defaultValue) {
  if (type == kTypeNone) type = kTypeBool;
  InitDouble(nameText, defaultValue ? 1.0 : 0.0, 0.0, 1.0, 1.0, "");
  SetDisplayText(0, "off");
  SetDisplayText(1, "on");
}

void IEffectParam::SetDisplayText(int forValue, const char* text) {
  DisplayTextRecord record;
  record.value = forValue;
  CopyText(record.text, text);
  displayTexts.push_back(record);
}

void IEffectParam::SetNormalized(double normalized) {
  double v = min + std::pow(normalized, shape) * (max - min);
  if (type != kTypeDouble) v = std::floor(v / step + 0.5) * step;
  value = ClampValue(v, min, max);
}

double IEffectParam::ToNormalized(double v) const {
  const double clamped = ClampValue(v, min, max);
  return std::pow((clamped - min) / (max - min), 1.0 / shape);
}

double IEffectParam::GetNormalized() const { return ToNormalized(value); }

const char* IEffectParam::GetDisplayText(int forValue) const {
  for (const DisplayTextRecord& record : displayTexts)
    if (record.value == forValue) return record.text;
  return "";
}

bool IEffectParam::GetValueForText(const char* text, double* out) const {
  if (text == nullptr) return false;
  for (const DisplayTextRecord& record : displayTexts) {
    if (std::strcmp(record.text, text) == 0) {
      if (out != nullptr) *out = record.value;
      return true;
    }
  }
  return false;
}

void IEffectParam::DisplayText(double v, bool normalized, char (&out)[kParamTextSize]) const {
  if (normalized) v = min + std::pow(v, shape) * (max - min);
  const char* text = GetDisplayText(TruncToInt32(v));
  if (text[0] != '\0') {
    CopyText(out, text);
  } else if (v == 0.0) {
    CopyText(out, "0");
  } else if (precision == 0) {
    std::snprintf(out, sizeof out, "%d", static_cast<int>(TruncToInt32(v)));
  } else {
    std::snprintf(out, sizeof out, "%.*f", static_cast<int>(precision), v);
  }
}
