// The interpolator's inner products against sums in long double: the spline
// evaluated tap by tap for every tap count from 1 to 40 (the remainders beyond
// whole vector registers included) and fractions across the row; evaluated
// filters for batches of every size from 1 to 11 (the remainders beyond four
// outputs included), each output with its own filter and samples; whole
// periods of phases, from one to nine periods (the remainders beyond four).
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <vector>

#include "resampler/DspDotKernels.h"

namespace {

struct Random {
  unsigned seed = 12345;
  double operator()() {
    seed = seed * 1664525u + 1013904223u;
    return static_cast<double>(seed >> 8) / 8388608.0 - 1.0;
  }
};

TEST(DspDotRows, EachOutputIsItsOwnFilterOverItsOwnSamples) {
  Random next;
  for (int n : {4, 8, 20, 24}) {
    for (int count = 1; count <= 11; ++count) {
      // Filters and sample runs at unaligned, overlapping places of two pools.
      std::vector<double> filterPool(13 * 24 + 3), samplePool(13 * 24 + 3);
      for (double& v : filterPool) v = next();
      for (double& v : samplePool) v = next();
      std::vector<const double*> taps(count), x(count);
      for (int i = 0; i < count; ++i) {
        taps[i] = filterPool.data() + (i * 7 + 1) % 40;
        x[i] = samplePool.data() + (i * 13 + 3) % 50;
      }
      std::vector<double> out(count + 1, 99.0);
      resamp::DspDotRows(taps.data(), x.data(), n, count, out.data());
      for (int i = 0; i < count; ++i) {
        long double expected = 0.0L, magnitude = 0.0L;
        for (int t = 0; t < n; ++t) {
          expected += static_cast<long double>(taps[i][t]) * x[i][t];
          magnitude += std::fabs(taps[i][t] * x[i][t]);
        }
        ASSERT_NEAR(out[i], static_cast<double>(expected), 1e-15 * static_cast<double>(magnitude))
            << n << " taps, output " << i << " of " << count;
      }
      EXPECT_EQ(out[count], 99.0) << "written past the batch";
    }
  }
}

TEST(DspDotPeriods, EachPhaseServesEveryPeriod) {
  Random next;
  for (int n : {4, 20, 24}) {
    for (int periods : {1, 3, 4, 5, 9}) {
      const int phases = 5, period = 11;
      const std::int32_t offsets[phases] = {0, 2, 4, 7, 9};
      std::vector<double> taps(phases * n), x(periods * period + 9 + n);
      for (double& v : taps) v = next();
      for (double& v : x) v = next();
      std::vector<double> out(phases * periods + 1, 99.0);
      resamp::DspDotPeriods(taps.data(), offsets, phases, x.data(), period, periods, n, out.data());
      for (int m = 0; m < periods; ++m) {
        for (int j = 0; j < phases; ++j) {
          long double expected = 0.0L, magnitude = 0.0L;
          for (int t = 0; t < n; ++t) {
            const double product = taps[j * n + t] * x[m * period + offsets[j] + t];
            expected += static_cast<long double>(taps[j * n + t]) * x[m * period + offsets[j] + t];
            magnitude += std::fabs(product);
          }
          ASSERT_NEAR(out[m * phases + j], static_cast<double>(expected),
                      1e-15 * static_cast<double>(magnitude))
              << n << " taps, " << periods << " periods, phase " << j << " of period " << m;
        }
      }
      EXPECT_EQ(out[phases * periods], 99.0) << "written past the periods";
    }
  }
}

TEST(DspSplineDot, MatchesTheSplineEvaluatedTapByTap) {
  Random next;
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
