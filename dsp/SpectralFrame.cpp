#include "dsp/SpectralFrame.h"

#include <cmath>

void SpectralFrame::Store(const double* polar) {
  const int count = BinCount();
  for (int b = 0; b < count; ++b) {
    bins[b].magnitude = static_cast<float>(polar[2 * b]);
    bins[b].phase = RadiansToTurns(polar[2 * b + 1]);
  }
}

std::uint32_t SpectralFrame::RadiansToTurns(double phase) {
  // Whole turns drop out with the step count's high bits. llrint answers an
  // unspecified value, never undefined behaviour, for a phase that is not a
  // number or lies beyond 2^63 steps.
  return static_cast<std::uint32_t>(std::llrint(phase * (1.0 / kRadiansPerStep)));
}
