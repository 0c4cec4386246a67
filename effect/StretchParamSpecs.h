// The product's parameter table: one record per initialised parameter, in the
// order the constructor initialises them. Built once when the module loads and
// never changed; read by the constructor and by the change dispatch.
#pragma once

#include <cstdint>

class Stretch;
struct StretchParamSpec;

using StretchChangeHandler = void (Stretch::*)(const StretchParamSpec& record, double value);

struct StretchParamSpec {
  enum Kind : std::int32_t { kDouble = 0, kInt = 1, kEnum = 2, kBool = 3 };

  const char* name;
  std::int32_t index;
  StretchChangeHandler changeHandler;  // null: the parameter drives nothing
  Kind kind;
  double defaultValue, min, max, step;  // kinds 0 and 1
  std::int32_t initialChoice;           // kinds 2 and 3 (bool: not 0 is on)
  std::int32_t choiceCount;             // kind 2
  const char* choiceTexts[4];           // kind 2
};

constexpr int kStretchParamSpecCount = 31;
constexpr int kStretchParamCount = 51;       // objects held, indices 0..50
constexpr int kStretchDeclaredParams = 49;   // announced to the host

extern const StretchParamSpec StretchParamSpecs[kStretchParamSpecCount];

// Parameter indices.
enum StretchParam : int {
  kLevel = 0, kSync = 1, kFftSize = 2, kRateTran = 3, kRateNom = 4, kRateSame = 5,
  kRateXtrm = 6, kBlurTran = 7, kBlurNom = 8, kBlurSame = 9, kAlgo = 10, kRegStart = 11,
  kRegEnd = 12, kDir = 13, kAudition = 14, kTrScale = 15, kPitch = 16, kWander = 17,
  kBlurPure = 18, kShowAll = 19, kHEnab1 = 20, kHEnab2 = 21, kHEnab3 = 22, kHPitch1 = 23,
  kHPitch2 = 24, kHPitch3 = 25, kHGain1 = 26, kHGain2 = 27, kHGain3 = 28,
  kFileLoad = 49, kVolumeEnvelope = 50,
};
