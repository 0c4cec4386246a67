// The interpolator's inner product against the spline evaluated tap by tap, in
// long double, for every tap count from 1 to 40 (the remainders beyond whole
// vector registers included) and fractions across the row.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "resampler/DspSplineDot.h"

namespace {

TEST(DspSplineDot, MatchesTheSplineEvaluatedTapByTap) {
  unsigned seed = 12345;
  auto next = [&seed] {
    seed = seed * 1664525u + 1013904223u;
    return static_cast<double>(seed >> 8) / 8388608.0 - 1.0;
  };
  for (int n = 1; n <= 40; ++n) {
    std::vector<double> c0(n), c1(n), c2(n), x(n);
    for (int t = 0; t < n; ++t) {
      c0[t] = next();
      c1[t] = 0.1 * next();
      c2[t] = 0.01 * next();
      x[t] = next();
    }
    for (double d : {0.0, 0.25, 0.5, 0.999}) {
      long double expected = 0.0L, magnitude = 0.0L;
      for (int t = 0; t < n; ++t) {
        const long double k = c0[t] + (c1[t] + static_cast<long double>(c2[t]) * d) * d;
        expected += k * x[t];
        magnitude += std::fabs(static_cast<double>(k * x[t]));
      }
      const double got = resamp::DspSplineDot(c0.data(), c1.data(), c2.data(), x.data(), n, d);
      ASSERT_NEAR(got, static_cast<double>(expected),
                  1e-15 * static_cast<double>(magnitude) + 1e-300)
          << n << " taps at " << d;
    }
  }
}

}  // namespace
