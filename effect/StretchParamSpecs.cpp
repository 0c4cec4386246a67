#include "effect/StretchParamSpecs.h"

#include <cmath>

namespace {

using K = StretchParamSpec;

// About -3 dB: the square root of the inverse of the +6 dB amplitude ratio.
const double kLevelDefault = std::sqrt(std::exp(0.0) / std::exp(0.6907755278982));

constexpr StretchParamSpec Double(const char* name, int index, double def, double min,
                                  double max, double step) {
  return {name, index, nullptr, K::kDouble, def, min, max, step, 0, 0, {}};
}

constexpr StretchParamSpec Bool(const char* name, int index, bool on) {
  return {name, index, nullptr, K::kBool, 0, 0, 0, 0, on ? 1 : 0, 0, {}};
}

}  // namespace

const StretchParamSpec StretchParamSpecs[kStretchParamSpecCount] = {
    Double("Level", kLevel, kLevelDefault, 0, 1, 0.01),
    Bool("Sync", kSync, false),
    Bool("ShowAll", kShowAll, true),
    {"FFT_Size", kFftSize, nullptr, K::kEnum, 0, 0, 0, 0, 1, 3, {"512", "1024", "2048"}},
    Double("RateTran", kRateTran, 0, 0, 1, 0.0025),
    Double("RateNom", kRateNom, 0, 0, 1, 0.0025),
    Bool("RateSame", kRateSame, false),
    Bool("RateXtrm", kRateXtrm, false),
    Double("BlurTran", kBlurTran, 10, 0, 1000, 0.01),
    Double("BlurNom", kBlurNom, 10, 0, 1000, 0.01),
    Bool("BlurSame", kBlurSame, false),
    {"Algo", kAlgo, nullptr, K::kEnum, 0, 0, 0, 0, 0, 1, {"New"}},
    {"Dir", kDir, nullptr, K::kEnum, 0, 0, 0, 0, 0, 4, {"Fwd", "Rev", "Fwd-Rev", "Rand Walk"}},
    Bool("Audition", kAudition, false),
    Double("TrScale", kTrScale, 0.5, 0, 1, 0.01),
    Double("Pitch", kPitch, 1, 0.5, 2, 0.01),
    Double("Wander", kWander, 0, 0, 1, 0.01),
    Bool("VolumeEnvelope", kVolumeEnvelope, false),
    Bool("BlurPure", kBlurPure, false),
    Bool("H.Enab1", kHEnab1, false),
    Bool("H.Enab2", kHEnab2, false),
    Bool("H.Enab3", kHEnab3, false),
    Double("H.Pitch1", kHPitch1, 1, 0.25, 2, 0.01),
    Double("H.Pitch2", kHPitch2, 1, 0.25, 2, 0.01),
    Double("H.Pitch3", kHPitch3, 1, 0.25, 2, 0.01),
    Double("H.Gain1", kHGain1, 1, 0, 1, 0.01),
    Double("H.Gain2", kHGain2, 1, 0, 1, 0.01),
    Double("H.Gain3", kHGain3, 1, 0, 1, 0.01),
    Double("RegStart", kRegStart, 0, 0, 1, 0.01),
    Double("RegEnd", kRegEnd, 1, 0, 1, 0.01),
    Bool("FileLoad", kFileLoad, false),
};
