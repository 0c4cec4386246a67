#include "resampler/DspFirFilterCache.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "resampler/DspRealFft.h"

namespace {

using resamp::DspFilterPlan;
using resamp::DspFirFilter;
using resamp::DspFirFilterCache;

TEST(DspRealFft, MatchesADirectTransformAndInvertsTimesHalfN) {
  const double pi = std::acos(-1.0);
  for (int bits : {2, 3, 7, 12}) {
    resamp::DspRealFft fft(bits);
    const int n = fft.Size();
    std::mt19937 rng(bits);
    std::uniform_real_distribution<double> dist(-1, 1);
    std::vector<double> x(n);
    for (double& v : x) v = dist(rng);
    std::vector<double> y = x;
    fft.Forward(y.data());
    for (int k = 0; k <= n / 2; k += std::max(1, n / 64)) {
      double re = 0, im = 0;
      for (int t = 0; t < n; ++t) {
        re += x[t] * std::cos(2 * pi * k * t / n);
        im -= x[t] * std::sin(2 * pi * k * t / n);
      }
      const double gotRe = k == 0 ? y[0] : k == n / 2 ? y[1] : y[2 * k];
      const double gotIm = k == 0 || k == n / 2 ? 0.0 : y[2 * k + 1];
      ASSERT_NEAR(gotRe, re, 1e-10) << bits << " " << k;
      ASSERT_NEAR(gotIm, im, 1e-10) << bits << " " << k;
    }
    fft.Inverse(y.data());
    for (int t = 0; t < n; ++t) ASSERT_NEAR(y[t], x[t] * n / 2, 1e-10) << bits;
  }
}

TEST(DspFirFilterDesign, WorkedValues) {
  const struct {
    double tb, a, a2;
    int kernel, n;
  } cases[] = {
      {2.0, 136.45, 136.96612, 1081, 4096}, {2.0, 180.15, 180.61, 1417, 4096},
      {34.0, 136.45, 138.39653, 65, 256},   {34.0, 180.15, 181.88861, 83, 256},
      {45.0, 136.45, 138.39653, 49, 128},   {45.0, 180.15, 181.88861, 63, 128},
  };
  for (const auto& c : cases) {
    DspFilterPlan plan;
    ASSERT_TRUE(resamp::PlanFilter(0.5, c.tb, c.a, &plan)) << c.tb << " " << c.a;
    EXPECT_NEAR(plan.correctedAttenuation, c.a2, 1e-5) << c.tb << " " << c.a;
    EXPECT_GT(plan.windowPower, 0.067665322581);
    EXPECT_EQ(plan.kernelLength, c.kernel) << c.tb << " " << c.a;
    EXPECT_EQ(1 << (plan.transformBits + 1), c.n) << c.tb << " " << c.a;
    // Odd, and the transform at least twice the kernel.
    EXPECT_EQ(plan.kernelLength % 2, 1);
    EXPECT_LT(2 * (plan.kernelLength - 1), c.n);
    EXPECT_LE(c.n, 4 * (plan.kernelLength - 1));
  }
  DspFilterPlan plan;
  EXPECT_FALSE(resamp::PlanFilter(0.5, 15.0, 136.45, &plan));  // a band this system never asks for
  EXPECT_FALSE(resamp::PlanFilter(0.0, 2.0, 136.45, &plan));
}

// The response sampled at the transform's bins, relative to DC.
double WorstStopband(const DspFirFilter& f, double fromFraction) {
  const int n = static_cast<int>(f.spectrum.size());
  double worst = 0;
  for (int k = 1; k < n / 2; ++k)
    if (2.0 * k / n >= fromFraction) worst = std::max(worst, std::abs(f.spectrum[2 * k]));
  return 20 * std::log10(worst / f.spectrum[0]);
}

double WorstPassbandDb(const DspFirFilter& f, double toFraction) {
  const int n = static_cast<int>(f.spectrum.size());
  double worst = 0;
  for (int k = 1; k < n / 2 && 2.0 * k / n <= toFraction; ++k)
    worst = std::max(worst, std::abs(20 * std::log10(f.spectrum[2 * k] / f.spectrum[0])));
  return worst;
}

TEST(DspFirFilterDesign, ResponseMeetsTheRequest) {
  DspFirFilterCache cache;
  for (double a : {136.45, 180.15}) {
    const DspFirFilter* f = cache.AcquireFilter(0.5, 2.0, a, 2.0);
    ASSERT_NE(f, nullptr);
    const int n = static_cast<int>(f->spectrum.size());
    // DC carries the normalisation: gain times 2 / N, and no imaginary parts.
    EXPECT_NEAR(f->spectrum[0], 2.0 * 2.0 / n, 1e-15);
    for (int k = 1; k < n / 2; ++k) ASSERT_NEAR(f->spectrum[2 * k + 1], 0.0, 1e-12);
    EXPECT_LT(WorstStopband(*f, 0.5), -a) << a;
    EXPECT_LT(WorstPassbandDb(*f, 0.5 * 0.98 * 0.9), 0.001) << a;
  }
}

TEST(DspFirFilterCache, SharesEqualRequestsAndEvictsUnusedOnes) {
  DspFirFilterCache cache;
  const DspFirFilter* a = cache.AcquireFilter(0.5, 34.0, 136.45, 2.0);
  const DspFirFilter* b = cache.AcquireFilter(0.5, 34.0, 136.45, 2.0);
  EXPECT_EQ(a, b);
  EXPECT_EQ(cache.UseCount(a), 2);
  const DspFirFilter* other = cache.AcquireFilter(0.5, 34.0, 136.45, 1.0);
  EXPECT_NE(other, a);
  EXPECT_EQ(cache.Count(), 2);
  cache.ReleaseFilter(b);
  EXPECT_EQ(cache.UseCount(a), 1);
  EXPECT_EQ(cache.AcquireFilter(0.5, 15.0, 136.45, 1.0), nullptr);

  // About 96 filters at most; the ones in use are kept.
  cache.ReleaseFilter(other);
  for (int i = 0; i < 150; ++i) {
    const DspFirFilter* f = cache.AcquireFilter(0.5, 45.0, 136.45, 1.0 + i);
    ASSERT_NE(f, nullptr);
    cache.ReleaseFilter(f);
  }
  EXPECT_LE(cache.Count(), 97);
  EXPECT_EQ(cache.UseCount(a), 1);
  EXPECT_EQ(cache.AcquireFilter(0.5, 34.0, 136.45, 2.0), a);
}

}  // namespace
