#include "host/ParamText.h"

#include <strings.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace {

bool SameName(const std::string& a, const char* b) { return strcasecmp(a.c_str(), b) == 0; }

// Shortest text that reads back as the same double, without an exponent for
// whole numbers.
std::string NumberText(double value) {
  char text[32];
  if (value == std::trunc(value) && std::fabs(value) < 1e15) {
    std::snprintf(text, sizeof text, "%.0f", value);
    return text;
  }
  for (int digits = 1; digits <= 17; ++digits) {
    std::snprintf(text, sizeof text, "%.*g", digits, value);
    if (std::strtod(text, nullptr) == value) break;
  }
  return text;
}

}  // namespace

const StretchParamSpec* StretchParamAt(int index) {
  for (const StretchParamSpec& record : StretchParamSpecs)
    if (record.index == index && index != kFileLoad) return &record;
  return nullptr;
}

const StretchParamSpec* FindStretchParam(const std::string& name) {
  for (const StretchParamSpec& record : StretchParamSpecs)
    if (record.index != kFileLoad && SameName(name, record.name)) return &record;
  return nullptr;
}

std::vector<const StretchParamSpec*> SettableStretchParams() {
  std::vector<const StretchParamSpec*> list;
  for (int index = 0; index < kStretchParamCount; ++index)
    if (const StretchParamSpec* record = StretchParamAt(index)) list.push_back(record);
  return list;
}

bool ParseNumber(const std::string& text, double* value) {
  if (text.empty() || std::isspace(static_cast<unsigned char>(text[0]))) return false;
  errno = 0;
  char* end = nullptr;
  const double parsed = std::strtod(text.c_str(), &end);
  if (*end != '\0' || errno == ERANGE || !std::isfinite(parsed)) return false;
  *value = parsed;
  return true;
}

bool ParseInteger(const std::string& text, long long* value) {
  if (text.empty() || std::isspace(static_cast<unsigned char>(text[0]))) return false;
  errno = 0;
  char* end = nullptr;
  const long long parsed = std::strtoll(text.c_str(), &end, 10);
  if (*end != '\0' || errno == ERANGE) return false;
  *value = parsed;
  return true;
}

bool ParseParamValue(const StretchParamSpec& record, const std::string& text, double* value,
                     std::string* error) {
  const std::string what = record.name;
  switch (record.kind) {
    case StretchParamSpec::kBool:
      if (SameName(text, "on") || SameName(text, "true") || text == "1") {
        *value = 1;
        return true;
      }
      if (SameName(text, "off") || SameName(text, "false") || text == "0") {
        *value = 0;
        return true;
      }
      *error = what + " is on or off (1 or 0), not '" + text + "'";
      return false;
    case StretchParamSpec::kEnum: {
      for (int i = 0; i < record.choiceCount; ++i) {
        if (SameName(text, record.choiceTexts[i])) {
          *value = i;
          return true;
        }
      }
      long long index = 0;
      if (ParseInteger(text, &index) && index >= 0 && index < record.choiceCount) {
        *value = static_cast<double>(index);
        return true;
      }
      *error = what + " is one of " + ParamRangeText(record) + " (or its index 0.." +
               std::to_string(record.choiceCount - 1) + "), not '" + text + "'";
      return false;
    }
    case StretchParamSpec::kInt:
    case StretchParamSpec::kDouble: {
      double number = 0;
      if (!ParseNumber(text, &number)) {
        *error = what + " needs a number, not '" + text + "'";
        return false;
      }
      if (!CheckParamValue(record, number, what, error)) return false;
      *value = record.kind == StretchParamSpec::kInt ? std::round(number) : number;
      return true;
    }
  }
  *error = what + " cannot be set";
  return false;
}

bool CheckParamValue(const StretchParamSpec& record, double value, const std::string& what,
                     std::string* error) {
  double low = record.min, high = record.max;
  if (record.kind == StretchParamSpec::kBool) low = 0, high = 1;
  if (record.kind == StretchParamSpec::kEnum) low = 0, high = record.choiceCount - 1;
  if (std::isfinite(value) && value >= low && value <= high) return true;
  *error = what + " must be within " + NumberText(low) + ".." + NumberText(high) + ", not " +
           NumberText(value);
  return false;
}

double ParamDefault(const StretchParamSpec& record) {
  if (record.kind == StretchParamSpec::kBool) return record.initialChoice != 0 ? 1 : 0;
  if (record.kind == StretchParamSpec::kEnum) return record.initialChoice;
  return record.defaultValue;
}

double ParamNormalized(const StretchParamSpec& record, double value) {
  double low = record.min, high = record.max;
  if (record.kind == StretchParamSpec::kBool) low = 0, high = 1;
  if (record.kind == StretchParamSpec::kEnum) low = 0, high = std::max(record.choiceCount - 1, 1);
  return high > low ? std::clamp((value - low) / (high - low), 0.0, 1.0) : 0.0;
}

std::string ParamRangeText(const StretchParamSpec& record) {
  switch (record.kind) {
    case StretchParamSpec::kBool:
      return "off|on";
    case StretchParamSpec::kEnum: {
      std::string text;
      for (int i = 0; i < record.choiceCount; ++i)
        text += (i > 0 ? "|" : "") + std::string(record.choiceTexts[i]);
      return text;
    }
    case StretchParamSpec::kInt:
    case StretchParamSpec::kDouble:
      break;
  }
  return NumberText(record.min) + " .. " + NumberText(record.max);
}

std::string ParamValueText(const StretchParamSpec& record, double value) {
  if (record.kind == StretchParamSpec::kBool) return value != 0 ? "on" : "off";
  if (record.kind == StretchParamSpec::kEnum) {
    const int choice = static_cast<int>(value);
    if (choice >= 0 && choice < record.choiceCount && choice < 4) return record.choiceTexts[choice];
  }
  char text[32];
  std::snprintf(text, sizeof text, "%.4g", value);
  return text;
}

void PrintParamList(std::FILE* stream) {
  std::fprintf(stream, "%-15s %-26s %s\n", "name", "values", "default");
  for (const StretchParamSpec* record : SettableStretchParams())
    std::fprintf(stream, "%-15s %-26s %s\n", record->name, ParamRangeText(*record).c_str(),
                 ParamValueText(*record, ParamDefault(*record)).c_str());
}
