#include "effect/SpectralPeaks.h"

#include <algorithm>

bool SpectralPeaks::Allocate(int bins) {
  count = 0;
  capacity = 0;
  if (bins < 1 || !peakBins.Allocate(bins) || !owner.Allocate(bins)) return false;
  capacity = bins;
  std::fill(owner.data, owner.data + bins, -1);
  return true;
}

void SpectralPeaks::Find(const double* m, int bins) {
  bins = std::min(bins, capacity);
  count = 0;
  for (int b = 1; b + 1 < bins; ++b) {
    const double v = m[b];
    // Strictly above the lower neighbours, not below the upper ones: a flat
    // top counts once, at its first bin.
    if (v > m[b - 1] && v >= m[b + 1] && (b < 2 || v > m[b - 2]) &&
        (b + 2 >= bins || v >= m[b + 2]))
      peakBins.data[count++] = b;
  }
  std::int32_t* own = owner.data;
  if (count == 0) {
    std::fill(own, own + bins, -1);
    return;
  }
  int from = 0;
  for (int i = 0; i + 1 < count; ++i) {
    const int p = peakBins.data[i], q = peakBins.data[i + 1];
    int quietest = p + 1;
    for (int b = p + 2; b < q; ++b)
      if (m[b] < m[quietest]) quietest = b;
    std::fill(own + from, own + quietest + 1, p);
    from = quietest + 1;
  }
  std::fill(own + from, own + bins, peakBins.data[count - 1]);
}
