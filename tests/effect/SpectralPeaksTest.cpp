#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "effect/SpectralPeaks.h"

namespace {

const double kPi = std::acos(-1.0);

// Magnitudes of a Hann-windowed sinusoid at a fractional bin, side lobes and
// all (the window's transform, sampled at whole bins).
std::vector<double> Lobe(double centre, int bins, double height = 1.0) {
  std::vector<double> m(bins);
  for (int b = 0; b < bins; ++b) {
    const double x = b - centre;
    // sinc(x) / (1 - x^2), which tends to 1/2 at x = +-1.
    double value = 0.5;
    if (std::abs(x) < 1e-9)
      value = 1.0;
    else if (std::abs(std::abs(x) - 1.0) > 1e-9)
      value = std::sin(kPi * x) / (kPi * x) / (1.0 - x * x);
    m[b] = height * std::abs(value);
  }
  return m;
}

TEST(SpectralPeaks, OneLobeIsOnePeakOwningEveryBin) {
  SpectralPeaks peaks;
  ASSERT_TRUE(peaks.Allocate(200));
  for (double centre : {40.3, 40.5, 40.8, 41.2}) {
    const std::vector<double> m = Lobe(centre, 200);
    peaks.Find(m.data(), 200);
    ASSERT_EQ(peaks.Count(), 1) << centre;
    EXPECT_EQ(peaks.Bins()[0], static_cast<int>(std::lround(centre - 1e-9))) << centre;
    for (int b = 0; b < 200; ++b) ASSERT_EQ(peaks.Owner()[b], peaks.Bins()[0]) << b;
  }
}

TEST(SpectralPeaks, BinsBelongToTheirSideOfTheQuietestBinBetween) {
  SpectralPeaks peaks;
  ASSERT_TRUE(peaks.Allocate(100));
  std::vector<double> m = Lobe(30, 100);
  const std::vector<double> second = Lobe(50.4, 100, 0.5);
  for (int b = 0; b < 100; ++b) m[b] += second[b];
  peaks.Find(m.data(), 100);
  ASSERT_EQ(peaks.Count(), 2);
  EXPECT_EQ(peaks.Bins()[0], 30);
  EXPECT_EQ(peaks.Bins()[1], 50);
  int quietest = 31;
  for (int b = 32; b < 50; ++b)
    if (m[b] < m[quietest]) quietest = b;
  for (int b = 0; b < 100; ++b) ASSERT_EQ(peaks.Owner()[b], b <= quietest ? 30 : 50) << b;
}

TEST(SpectralPeaks, SilenceFlatTopsAndEdges) {
  SpectralPeaks peaks;
  ASSERT_TRUE(peaks.Allocate(16));
  const std::vector<double> silence(16, 0.0);
  peaks.Find(silence.data(), 16);
  EXPECT_EQ(peaks.Count(), 0);
  for (int b = 0; b < 16; ++b) EXPECT_EQ(peaks.Owner()[b], -1);

  // A flat top counts once, at its first bin; the loudest first and last
  // bins are never peaks.
  const std::vector<double> m = {9, 1, 2, 5, 5, 2, 1, 0, 0, 0, 0, 0, 1, 2, 3, 9};
  peaks.Find(m.data(), 16);
  ASSERT_EQ(peaks.Count(), 1);
  EXPECT_EQ(peaks.Bins()[0], 3);
  // More bins than it was sized for: only its own are read.
  peaks.Find(m.data(), 10);
  EXPECT_EQ(peaks.Count(), 1);
}

}  // namespace
