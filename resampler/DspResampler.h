// Sample-rate conversion of one stream: a chain of FFT block convolvers (low
// passes that may up- or downsample by 2), then a fractional-delay interpolator
// for what is left of the ratio. Every stage consumes its own delay, so output
// sample k stands for input time k x source rate / destination rate. Built for
// one rate pair and one stream, used by one thread; owns its stages, its
// interpolator and its filter cache. Process allocates nothing.
#pragma once

#include <memory>
#include <vector>

#include "resampler/DspBlockConvolver.h"
#include "resampler/DspFirFilterCache.h"
#include "resampler/DspFracInterpolator.h"
#include "resampler/DspProcessor.h"

namespace resamp {

template <typename Interpolator>
class DspResampler : public DspProcessor {
 public:
  static constexpr int kMaxInput = 1024;  // per Process call
  static constexpr int kMaxStages = 8;
  static constexpr double kMaxFactor = 256.0;

  DspResampler(double sourceRate, double destinationRate, double attenuation,
               double transitionBand)
      : sourceRate(sourceRate), destinationRate(destinationRate) {
    if (sourceRate == destinationRate) return;
    // Conversions beyond a factor of 256 either way are refused: no audio file
    // needs them, and their buffers would grow with the factor.
    if (!(sourceRate > 0 && destinationRate > 0) || sourceRate > destinationRate * kMaxFactor ||
        destinationRate > sourceRate * kMaxFactor) {
      valid = false;
      return;
    }
    filterCache = std::make_unique<DspFirFilterCache>();
    const double s = sourceRate, d = destinationRate, t = transitionBand;
    if (d * 2 > s) {
      AddStage(d > s ? 0.5 : 0.5 * d / s, t, attenuation, 2.0, 2, 1);
      double doubled = 2 * s;
      int power = 1;
      while (doubled < d) {
        doubled *= 2;
        ++power;
      }
      if (doubled == d) {
        for (int i = 2; i <= power; ++i) AddStage(0.5, i == 2 ? 34.0 : 45.0, attenuation, 2.0, 2, 1);
      } else {
        AddInterpolator(2 * s, d);
      }
    } else {
      double c = 1;
      while (c * 4 * d <= s) {
        c *= 2;
        AddStage(0.5, c * 4 * d > s ? 34.0 : 45.0, attenuation, 1.0, 1, 2);
      }
      const double f = c * d / s;
      const bool halves = f == 0.5;
      AddStage(f, t, attenuation, 1.0, 1, halves ? 2 : 1);
      if (!halves) AddInterpolator(s / c, d);
    }
  }

  // False when a stage could not be built (the resampler then gives nothing).
  bool Valid() const { return valid; }
  int StageCount() const { return static_cast<int>(stages.size()); }
  bool HasInterpolator() const { return interpolator != nullptr; }

  int InputNeededFor(int outputs) const override { return outputs; }
  int MaxOutputFor(int maxInput) const override {
    if (stages.empty()) return maxInput;
    int n = maxInput;
    for (const auto& stage : stages) n = stage->MaxOutputFor(n);
    return interpolator != nullptr ? interpolator->MaxOutputFor(n) : n;
  }

  void Clear() override {
    for (auto& stage : stages) stage->Clear();
    if (interpolator != nullptr) interpolator->Clear();
  }

  // count <= kMaxInput. With equal rates the input comes back as it is.
  int Process(const double* input, int count, double*& output) override {
    if (stages.empty() && valid) {
      output = const_cast<double*>(input);
      return count;
    }
    if (!valid) {
      output = const_cast<double*>(input);
      return 0;
    }
    const double* in = input;
    int n = count;
    double* stageOutput = nullptr;
    for (auto& stage : stages) {
      n = stage->Process(in, n, stageOutput);
      in = stageOutput;
    }
    if (interpolator == nullptr) {
      output = stageOutput;
      return n;
    }
    output = interpolatorOutput.data();
    return interpolator->Process(in, n, output);
  }

 private:
  void AddStage(double f, double tb, double attenuation, double gain, int up, int down) {
    if (static_cast<int>(stages.size()) >= kMaxStages) {
      valid = false;
      return;
    }
    const double previous = stages.empty() ? 0.0 : stages.back()->GetDelayFraction();
    auto stage = std::make_unique<DspBlockConvolver>(*filterCache, f, tb, attenuation, gain, up,
                                                     down, previous, maxBlock);
    if (!stage->Valid()) valid = false;
    maxBlock = stage->MaxOutputFor(maxBlock);
    stages.push_back(std::move(stage));
  }

  void AddInterpolator(double from, double to) {
    const double previous = stages.empty() ? 0.0 : stages.back()->GetDelayFraction();
    interpolator = std::make_unique<Interpolator>(from, to, previous);
    interpolatorOutput.assign(static_cast<std::size_t>(interpolator->MaxOutputFor(maxBlock)), 0.0);
  }

  double sourceRate, destinationRate;
  std::unique_ptr<DspFirFilterCache> filterCache;  // destroyed after the stages
  std::vector<std::unique_ptr<DspBlockConvolver>> stages;
  std::unique_ptr<Interpolator> interpolator;
  std::vector<double> interpolatorOutput;
  int maxBlock = kMaxInput;
  bool valid = true;
};

// 16-bit sources: 136.45 dB; 24- and 32-bit sources: 180.15 dB. Both with a
// transition band of 2 percent.
class DspResampler16 : public DspResampler<DspFracInterpolator<18, 137>> {
 public:
  DspResampler16(double sourceRate, double destinationRate)
      : DspResampler(sourceRate, destinationRate, 136.45, 2.0) {}
};

class DspResampler24 : public DspResampler<DspFracInterpolator<24, 673>> {
 public:
  DspResampler24(double sourceRate, double destinationRate)
      : DspResampler(sourceRate, destinationRate, 180.15, 2.0) {}
};

}  // namespace resamp
