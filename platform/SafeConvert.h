// Conversions of doubles that may come from a host or a chunk: out-of-range and
// NaN values saturate instead of being undefined.
#pragma once

#include <cmath>
#include <cstdint>

// Truncates toward zero; NaN gives 0, values beyond the int32 range saturate.
inline std::int32_t TruncToInt32(double v) {
  if (std::isnan(v)) return 0;
  if (v >= 2147483647.0) return INT32_MAX;
  if (v <= -2147483648.0) return INT32_MIN;
  return static_cast<std::int32_t>(v);
}

// Clamps into [lo, hi]; NaN gives lo.
inline double ClampValue(double v, double lo, double hi) {
  if (!(v >= lo)) return lo;
  if (v > hi) return hi;
  return v;
}
