#include "effect/StretchParamSpecs.h"

#include <cmath>

#include "effect/Stretch.h"

namespace {

using K = StretchParamSpec;

// About -3 dB: the square root of the inverse of the +6 dB amplitude ratio.
const double kLevelDefault = std::sqrt(std::exp(0.0) / std::exp(0.6907755278982));

constexpr StretchParamSpec Double(const char* name, int index, StretchChangeHandler handler,
                                  double def, double min, double max, double step) {
  return {name, index, handler, K::kDouble, def, min, max, step, 0, 0, {}};
}

constexpr StretchParamSpec Bool(const char* name, int index, StretchChangeHandler handler,
                                bool on) {
  return {name, index, handler, K::kBool, 0, 0, 0, 0, on ? 1 : 0, 0, {}};
}

}  // namespace

const StretchParamSpec StretchParamSpecs[kStretchParamSpecCount] = {
    Double("Level", kLevel, nullptr, kLevelDefault, 0, 1, 0.01),
    Bool("Sync", kSync, nullptr, false),
    Bool("ShowAll", kShowAll, &Stretch::OnShowAll, true),
    {"FFT_Size", kFftSize, &Stretch::OnFftSize, K::kEnum, 0, 0, 0, 0, 1, 3, {"512", "1024", "2048"}},
    Double("RateTran", kRateTran, &Stretch::OnRateTran, 0, 0, 1, 0.0025),
    Double("RateNom", kRateNom, &Stretch::OnRateNom, 0, 0, 1, 0.0025),
    Bool("RateSame", kRateSame, &Stretch::OnRateSame, false),
    Bool("RateXtrm", kRateXtrm, &Stretch::OnRateXtrm, false),
    Double("BlurTran", kBlurTran, &Stretch::OnBlur, 10, 0, 1000, 0.01),
    Double("BlurNom", kBlurNom, &Stretch::OnBlur, 10, 0, 1000, 0.01),
    Bool("BlurSame", kBlurSame, &Stretch::OnBlurSame, false),
    {"Algo", kAlgo, &Stretch::OnAlgo, K::kEnum, 0, 0, 0, 0, 0, 1, {"New"}},
    {"Dir", kDir, &Stretch::OnDir, K::kEnum, 0, 0, 0, 0, 0, 4, {"Fwd", "Rev", "Fwd-Rev", "Rand Walk"}},
    Bool("Audition", kAudition, &Stretch::OnAudition, false),
    Double("TrScale", kTrScale, &Stretch::OnTrScale, 0.5, 0, 1, 0.01),
    Double("Pitch", kPitch, &Stretch::OnPitch, 1, 0.5, 2, 0.01),
    Double("Wander", kWander, &Stretch::OnWander, 0, 0, 1, 0.01),
    Bool("VolumeEnvelope", kVolumeEnvelope, &Stretch::OnVolumeEnvelope, false),
    Bool("BlurPure", kBlurPure, &Stretch::OnBlurPure, false),
    Bool("H.Enab1", kHEnab1, &Stretch::OnVoiceEnable, false),
    Bool("H.Enab2", kHEnab2, &Stretch::OnVoiceEnable, false),
    Bool("H.Enab3", kHEnab3, &Stretch::OnVoiceEnable, false),
    Double("H.Pitch1", kHPitch1, &Stretch::OnVoicePitch, 1, 0.25, 2, 0.01),
    Double("H.Pitch2", kHPitch2, &Stretch::OnVoicePitch, 1, 0.25, 2, 0.01),
    Double("H.Pitch3", kHPitch3, &Stretch::OnVoicePitch, 1, 0.25, 2, 0.01),
    Double("H.Gain1", kHGain1, &Stretch::OnVoiceGain, 1, 0, 1, 0.01),
    Double("H.Gain2", kHGain2, &Stretch::OnVoiceGain, 1, 0, 1, 0.01),
    Double("H.Gain3", kHGain3, &Stretch::OnVoiceGain, 1, 0, 1, 0.01),
    Double("RegStart", kRegStart, &Stretch::OnRegStart, 0, 0, 1, 0.01),
    Double("RegEnd", kRegEnd, &Stretch::OnRegEnd, 1, 0, 1, 0.01),
    Bool("FileLoad", kFileLoad, &Stretch::OnFileLoad, false),
};
