#include "dsp/Fft.h"

#include <cmath>
#include <vector>

namespace {

struct FftTables {
  double stageCos[kFftMaxLevels];
  double stageSin[kFftMaxLevels];
  std::vector<std::uint32_t> swaps[kFftMaxLevels + 1];  // by log2 of the size
  FftPlan plans[kFftMaxLevels + 1];

  FftTables() {
    const double pi = std::acos(-1.0);
    for (int k = 0; k < kFftMaxLevels; ++k) {
      stageCos[k] = std::cos(pi / (1 << k));
      stageSin[k] = std::sin(pi / (1 << k));
    }
    for (int levels = 0; levels <= kFftMaxLevels; ++levels) {
      const int n = 1 << levels;
      // i and v are interleaved indices (twice the complex index); v is i with
      // its complex index's bits reversed. Each exchange is listed once.
      for (int i = 2; i < 2 * n - 2; i += 2) {
        int v = 0;
        for (int c = 2; c < 2 * n; c *= 2) v = (v + ((i & c) != 0 ? 1 : 0)) * 2;
        if (i < v) swaps[levels].push_back(static_cast<std::uint32_t>(i) << 16 | v);
      }
      plans[levels] = {n, levels, static_cast<std::int32_t>(swaps[levels].size()),
                       swaps[levels].data()};
    }
  }
};

const FftTables& Tables() {
  static const FftTables tables;
  return tables;
}

// Built when the library loads, before any transform.
const FftTables& loadedTables = Tables();

thread_local const FftPlan* currentPlan = &loadedTables.plans[10];

}  // namespace

bool FftSetSize(int n) {
  if (n < 1 || n > kFftMaxSize || (n & (n - 1)) != 0) return false;
  int levels = 0;
  while ((1 << levels) < n) ++levels;
  currentPlan = &Tables().plans[levels];
  return true;
}

const FftPlan& FftCurrentPlan() { return *currentPlan; }

void FftTransform(double* x, double sign) {
  const FftPlan& plan = *currentPlan;
  const FftTables& tables = Tables();
  for (int k = 0; k < plan.swapCount; ++k) {
    const std::uint32_t hi = plan.swaps[k] >> 16;
    const std::uint32_t lo = plan.swaps[k] & 0xFFFF;
    const double re = x[hi], im = x[hi + 1];
    x[hi] = x[lo];
    x[hi + 1] = x[lo + 1];
    x[lo] = re;
    x[lo + 1] = im;
  }
  const int n = plan.size;
  for (int level = 0; level < plan.levels; ++level) {
    const int half = 1 << level;
    const int span = 2 * half;
    const double c = tables.stageCos[level];
    const double s = sign * tables.stageSin[level];
    double wr = 1.0, wi = 0.0;
    for (int j = 0; j < half; ++j) {
      for (int g = j; g < n; g += span) {
        double* a = x + 2 * g;
        double* b = x + 2 * (g + half);
        const double tr = b[0] * wr - b[1] * wi;
        const double ti = b[1] * wr + b[0] * wi;
        b[0] = a[0] - tr;
        b[1] = a[1] - ti;
        a[0] += tr;
        a[1] += ti;
      }
      // The next column's twiddle by one complex multiply, not a table.
      const double next = c * wr - s * wi;
      wi = c * wi + s * wr;
      wr = next;
    }
  }
}
