// Phase arithmetic shared by the analysis and the resynthesis.
#pragma once

#include <cstdint>

#include "platform/SafeConvert.h"

// Brings x into [-pi, pi] by a whole, even number of half turns.
inline double WrapPhase(double x) {
  constexpr double kPi = 3.14159265358979323846;
  std::int32_t k = TruncToInt32(x / kPi);
  if (k % 2 != 0) k += k > 0 ? 1 : -1;
  return x - k * kPi;
}
