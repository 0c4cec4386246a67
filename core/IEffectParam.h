// One automatable value of the plug-in. The plug-in base owns an ordered list of
// them and a parameter's index in that list is its identity everywhere. The value
// is kept in real units; hosts and editor controls see it normalised to 0..1.
// No lock of its own: callers hold the plug-in lock (editor drawing only reads).
#pragma once

#include <cstdint>
#include <vector>

constexpr int kParamTextSize = 32;  // names, labels and display texts: 31 characters

class IEffectParam {
 public:
  enum Type : std::int32_t {
    kTypeNone = 0,
    kTypeBool = 1,
    kTypeInt = 2,
    kTypeEnum = 3,
    kTypeDouble = 4
  };

  struct DisplayTextRecord {
    std::int32_t value;
    char text[kParamTextSize];
  };

  // Each initialiser sets the type only while it is still none, so a specific
  // initialiser that calls a more general one keeps its own type.
  void InitDouble(const char* name, double defaultValue, double min, double max, double step,
                  const char* label);
  void InitInt(const char* name, int defaultValue, int min, int max, const char* label);
  void InitEnum(const char* name, int defaultValue, int count);
  void InitBool(const char* name, bool defaultValue);
  // Appends a record; an existing record for the same value stays the one found.
  void SetDisplayText(int value, const char* text);

  // Host values outside 0..1 (and NaN) never leave the value outside [min, max].
  void SetNormalized(double normalized);
  double GetNormalized() const;
  double ToNormalized(double value) const;

  int DisplayTextCount() const { return static_cast<int>(displayTexts.size()); }
  // The first record's text for value, or the empty text.
  const char* GetDisplayText(int value) const;
  // The text of the record at that position, in the order they were set.
  const char* DisplayTextAt(int position) const { return displayTexts[position].text; }
  bool GetValueForText(const char* text, double* value) const;

  // The text the host sees for v (real units, or normalised when asked).
  void DisplayText(double v, bool normalized, char (&out)[kParamTextSize]) const;

  const char* Name() const { return name; }
  const char* Label() const { return label; }
  Type GetType() const { return type; }
  double Value() const { return value; }
  void SetValue(double v) { value = v; }
  double Min() const { return min; }
  double Max() const { return max; }
  double Step() const { return step; }
  int Precision() const { return precision; }

 private:
  Type type = kTypeNone;
  double value = 0.0;
  double min = 0.0;
  double max = 1.0;
  double step = 1.0;
  double shape = 1.0;
  std::int32_t precision = 0;
  char name[kParamTextSize] = {};
  char label[kParamTextSize] = {};
  std::vector<DisplayTextRecord> displayTexts;
};
