#include "dsp/SpectralFrame.h"

#include <cmath>

void SpectralFrame::Store(const double* polar) {
  const int count = BinCount();
  for (int b = 0; b < count; ++b) Set(b, polar[2 * b], polar[2 * b + 1]);
}

std::uint16_t SpectralFrame::RadiansToTurns(double phase) {
  // Whole turns drop out with the step count's high bits. llrint answers an
  // unspecified value, never undefined behaviour, for a phase that is not a
  // number or lies beyond 2^63 steps.
  return static_cast<std::uint16_t>(std::llrint(phase * (1.0 / kRadiansPerStep)));
}

std::uint16_t SpectralFrame::MagnitudeToCode(double magnitude) {
  constexpr double kLargest = 65536.0;
  if (!(magnitude > 0.0)) return 0;
  if (magnitude >= kLargest) return 0xffff;
  const float single = static_cast<float>(magnitude);
  std::uint32_t bits;
  std::memcpy(&bits, &single, sizeof bits);
  // Rounding to the nearest kept mantissa may carry into the exponent, which
  // is the next code up.
  const std::int64_t above =
      static_cast<std::int64_t>(bits) - kFloorBits + (1 << (kDroppedBits - 1));
  if (above < 0) return 0;
  const std::int64_t steps = above >> kDroppedBits;
  return static_cast<std::uint16_t>(steps < 0xfffe ? steps + 1 : 0xffff);
}
