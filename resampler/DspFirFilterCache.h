// Linear-phase low-pass filters for the resampler's block convolvers, designed
// as windowed sincs under a power-raised Kaiser window and kept already
// transformed at the convolver's FFT length. Each resampler owns one cache;
// stages asking for equal filters share one. The cache's lock guards the list,
// the counts and the building of a filter.
#pragma once

#include <cstdint>
#include <mutex>
#include <vector>

namespace resamp {

// The numbers a design derives from a request, before any tap is computed.
struct DspFilterPlan {
  double correctedAttenuation;  // A2, dB
  double windowPower;           // g
  double halfLength;            // R
  std::int32_t kernelLength;    // 2 M + 1
  std::int32_t transformBits;   // bits to write kernelLength - 1; N = 2^(bits + 1)
  double cutoff;                // radians per sample
};

struct DspFirFilter {
  // The request: frequency as a fraction of Nyquist, transition band in percent,
  // attenuation in dB, gain.
  double frequency, transitionBand, attenuation, gain;
  std::int32_t useCount = 0;
  std::int32_t kernelLength = 0;
  std::int32_t transformBits = 0;  // the plan's, or one more where the transform allows
  std::int32_t latency = 0;  // M, half the kernel
  // The real FFT (packed) of the zero-phase kernel, N = 2^(transformBits + 1).
  std::vector<double> spectrum;
  DspFirFilter* next = nullptr;
};

// The design numbers for a request, or false for requests outside the family
// this system designs (transition bands of 10 to 25 percent, or window powers
// too small for the fitted formulas).
bool PlanFilter(double frequency, double transitionBand, double attenuation, DspFilterPlan* plan);

class DspFirFilterCache {
 public:
  DspFirFilterCache() = default;
  DspFirFilterCache(const DspFirFilterCache&) = delete;
  DspFirFilterCache& operator=(const DspFirFilterCache&) = delete;
  virtual ~DspFirFilterCache();

  // An equal filter from the list (moved to the front), else a new one; null
  // when the request cannot be designed or the memory cannot be had.
  const DspFirFilter* AcquireFilter(double frequency, double transitionBand, double attenuation,
                                    double gain);
  void ReleaseFilter(const DspFirFilter* filter);

  int Count() const { return count; }
  int UseCount(const DspFirFilter* filter) const;

 private:
  static DspFirFilter* Build(double frequency, double transitionBand, double attenuation,
                             double gain);

  mutable std::recursive_mutex lock;
  DspFirFilter* head = nullptr;
  std::int32_t count = 0;
};

}  // namespace resamp
