#include "resampler/DspFirFilterCache.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <new>

#include "dsp/Fft.h"
#include "resampler/BesselI0.h"
#include "resampler/DspRealFft.h"

namespace resamp {

namespace {

constexpr int kCacheLimit = 95;
constexpr double kKaiserBeta = 125.0;

// Fine corrections of the attenuation, by transition-band range. Only the
// entries this system's requests reach are known; the others correct nothing.
struct FineCorrection {
  int index;
  int value;
};
constexpr FineCorrection kNarrowBand[] = {{131, 60}, {197, 49}};
constexpr FineCorrection kWideBand[] = {{133, 35}, {199, 14}};

int FineCorrectionAt(const FineCorrection* table, int size, int j) {
  for (int i = 0; i < size; ++i)
    if (table[i].index == j) return table[i].value;
  return 0;
}

}  // namespace

bool PlanFilter(double f, double transitionBand, double attenuation, DspFilterPlan* plan) {
  const double x = transitionBand * 0.01;
  const bool narrow = x < 0.1, wide = x >= 0.25;
  if (!narrow && !wide) return false;
  if (!(f > 0.0) || !(f <= 1.0)) return false;

  const int column = attenuation >= 117 ? 0 : attenuation >= 60 ? 1 : 2;
  static const double kCoarse[3][3] = {{0.21, 0.25, 0.36}, {0.69, 0.73, 1.13}, {1.6, 1.91, 2.25}};
  const double a1 = attenuation + kCoarse[narrow ? 0 : 2][column];
  const int j = std::clamp(static_cast<int>(std::floor((a1 - 49) * 264 / 176.25 + 0.5)), 0, 264);
  const double a2 = narrow ? a1 + FineCorrectionAt(kNarrowBand, 2, j) / 196.0
                           : a1 + FineCorrectionAt(kWideBand, 2, j) / 101.0;

  const double b = -a2;
  const double g = 0.000102747434588003 * std::cos(0.103208573657699 * b + 0.633854318781239) *
                       std::cos(0.00785021930010397 * b) +
                   7.43932822146293e-8 * b * b - 0.00798132247867036 - 0.000903555213543865 * b -
                   0.0969365532127236 * std::exp(0.0779275237937911 * b) -
                   1.37304948662012e-5 * b * std::cos(0.00785021930010397 * b);
  if (!(g > 0.067665322581)) return false;

  double h, l;
  if (narrow) {
    h = (1.15990238966306 * g - 5.02124037125213 * g * g -
         0.158676856669827 * b * std::cos(1.1609073390614 * g - 6.33932586197475 * g * g * g)) /
        x;
    l = x * (0.0895511178735932 * std::atan(59.7538527741309 * g) + 0.052693817907757 * std::log(g) +
             0.867344453126885 - 0.0745653568081453 * g);
  } else {
    h = (158.556968859477 * std::tanh(57.9466246871383 * std::tanh(g)) * std::asinh(g) +
         1.50258368698213 - 0.0105440479814834 * b) /
        x;
    l = (-0.236282717577215 - 6.8724924545387 * std::sqrt(std::sin(g))) / h + 0.994024401639321 * x;
  }

  const double r = h * 0.25 / f;
  const int m = static_cast<int>(std::floor(r));
  int bits = 0;
  while ((2 * m) >> bits != 0) ++bits;
  plan->correctedAttenuation = a2;
  plan->windowPower = g;
  plan->halfLength = r;
  plan->kernelLength = 2 * m + 1;
  plan->transformBits = bits;
  plan->cutoff = (1.0 - l) * std::acos(-1.0) * f;
  return true;
}

DspFirFilter* DspFirFilterCache::Build(double f, double transitionBand, double attenuation,
                                       double gain) {
  DspFilterPlan plan;
  if (!PlanFilter(f, transitionBand, attenuation, &plan) || plan.transformBits + 1 > 30) return nullptr;
  std::unique_ptr<DspFirFilter> filter(new (std::nothrow) DspFirFilter);
  if (!filter) return nullptr;
  filter->frequency = f;
  filter->transitionBand = transitionBand;
  filter->attenuation = attenuation;
  filter->gain = gain;
  filter->useCount = 1;
  filter->kernelLength = plan.kernelLength;
  // Blocks of twice the shortest transform: the share of each block the
  // kernel's overlap takes goes down from up to a half to up to a quarter,
  // which pays for the longer transforms; not beyond the engine's largest.
  filter->transformBits =
      plan.transformBits + 2 <= kFftMaxLevels ? plan.transformBits + 1 : plan.transformBits;
  const int m = plan.kernelLength / 2;
  filter->latency = m;
  const int n = 1 << (filter->transformBits + 1);

  const double pi = std::acos(-1.0);
  const double i0Beta = BesselI0(kKaiserBeta);
  std::vector<double> taps(static_cast<std::size_t>(m) + 1);  // taps 0..M; the kernel is symmetric
  double sum = 0.0;
  for (int k = 0; k <= m; ++k) {
    const double sinc = k == 0 ? plan.cutoff / pi : std::sin(plan.cutoff * k) / (pi * k);
    const double ratio = k / plan.halfLength;
    const double window =
        std::pow(BesselI0(kKaiserBeta * std::sqrt(std::max(0.0, 1.0 - ratio * ratio))) / i0Beta,
                 plan.windowPower);
    taps[k] = sinc * window;
    sum += k == 0 ? taps[k] : 2.0 * taps[k];
  }
  // With the convolver's unscaled transforms this gives a DC gain of gain.
  const double scale = gain * 2.0 / n / sum;

  filter->spectrum.assign(static_cast<std::size_t>(n), 0.0);
  double* zeroPhase = filter->spectrum.data();
  zeroPhase[0] = taps[0] * scale;
  for (int k = 1; k <= m; ++k) zeroPhase[k] = zeroPhase[n - k] = taps[k] * scale;
  DspRealFft(filter->transformBits + 1).Forward(zeroPhase);
  return filter.release();
}

const DspFirFilter* DspFirFilterCache::AcquireFilter(double f, double transitionBand,
                                                     double attenuation, double gain) {
  std::lock_guard<std::recursive_mutex> guard(lock);
  DspFirFilter* previous = nullptr;
  for (DspFirFilter* entry = head; entry != nullptr;) {
    if (entry->frequency == f && entry->transitionBand == transitionBand &&
        entry->attenuation == attenuation && entry->gain == gain) {
      ++entry->useCount;
      if (previous != nullptr) {  // to the front
        previous->next = entry->next;
        entry->next = head;
        head = entry;
      }
      return entry;
    }
    DspFirFilter* following = entry->next;
    if (following == nullptr && count > kCacheLimit && previous != nullptr) {
      // The oldest entry leaves the list when unused, else it goes to the front.
      previous->next = nullptr;
      if (entry->useCount == 0) {
        delete entry;
        --count;
      } else {
        entry->next = head;
        head = entry;
      }
      break;
    }
    previous = entry;
    entry = following;
  }
  DspFirFilter* built = Build(f, transitionBand, attenuation, gain);
  if (built == nullptr) return nullptr;
  built->next = head;
  head = built;
  ++count;
  return built;
}

void DspFirFilterCache::ReleaseFilter(const DspFirFilter* filter) {
  std::lock_guard<std::recursive_mutex> guard(lock);
  for (DspFirFilter* entry = head; entry != nullptr; entry = entry->next)
    if (entry == filter && entry->useCount > 0) --entry->useCount;
}

int DspFirFilterCache::UseCount(const DspFirFilter* filter) const {
  std::lock_guard<std::recursive_mutex> guard(lock);
  for (const DspFirFilter* entry = head; entry != nullptr; entry = entry->next)
    if (entry == filter) return entry->useCount;
  return 0;
}

DspFirFilterCache::~DspFirFilterCache() {
  while (head != nullptr) {
    DspFirFilter* entry = head;
    head = entry->next;
    delete entry;
  }
}

}  // namespace resamp
