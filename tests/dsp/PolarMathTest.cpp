#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>
#include <vector>

#include "dsp/PolarMath.h"

namespace {

const double kPi = std::acos(-1.0);
const double kInf = std::numeric_limits<double>::infinity();
const double kNaN = std::numeric_limits<double>::quiet_NaN();

// Equal to the standard library's value within a few units in the last place;
// NaN where it gives NaN, and the same sign of zero where it gives zero.
void ExpectClose(double got, double want, const char* what, double arg) {
  if (std::isnan(want)) {
    EXPECT_TRUE(std::isnan(got)) << what << " of " << arg;
  } else if (want == 0.0 || std::isinf(want)) {
    EXPECT_EQ(got, want) << what << " of " << arg;
    EXPECT_EQ(std::signbit(got), std::signbit(want)) << what << " of " << arg;
  } else {
    EXPECT_LE(std::abs(got - want), 1e-14 * std::abs(want)) << what << " of " << arg;
  }
}

void CheckSinCos(const std::vector<double>& x) {
  const int n = static_cast<int>(x.size());
  std::vector<double> s(n), c(n);
  SinCos(x.data(), s.data(), c.data(), n);
  for (int i = 0; i < n; ++i) {
    ExpectClose(s[i], std::sin(x[i]), "sin", x[i]);
    ExpectClose(c[i], std::cos(x[i]), "cos", x[i]);
  }
}

TEST(PolarMathTest, SinCosMatchesTheLibraryOverThePhaseRangeAndBeyond) {
  std::vector<double> x;
  for (int i = -40000; i <= 40000; ++i) x.push_back(i * (4 * kPi / 40000));  // +-4 pi, dense
  // Multiples of pi/4 and their neighbours, where quadrants and zeros meet.
  for (int k = -4000; k <= 4000; ++k) {
    const double at = k * (kPi / 4);
    x.insert(x.end(), {at, std::nextafter(at, -kInf), std::nextafter(at, kInf)});
  }
  std::mt19937 rng(7);
  std::uniform_real_distribution<double> wide(-1.1e6, 1.1e6), unit(-1.0, 1.0);
  for (int i = 0; i < 100000; ++i) x.push_back(wide(rng));
  for (int e = -1074; e <= 1023; e += 7) x.push_back(unit(rng) * std::ldexp(1.0, e));
  // Around the limit of the fast reduction, far past it, and the values that
  // are not finite.
  for (double v :
       {1048575.9, 1048576.0, 1048576.1, 1e7, 1e15, 1e300, 0.0, -0.0, 5e-324, kInf, -kInf, kNaN})
    x.insert(x.end(), {v, -v});
  CheckSinCos(x);
}

TEST(PolarMathTest, AnyCountAndPositionGivesTheSameValues) {
  // Every count from 0 up, so that each kernel's leftover pairs are covered;
  // each value must come out the same wherever it sits.
  std::mt19937 rng(3);
  std::uniform_real_distribution<double> dist(-10.0, 10.0);
  std::vector<double> all(16);
  for (double& v : all) v = dist(rng);
  std::vector<double> s0(16), c0(16), rect0(32), polar0(32);
  std::vector<double> ones(16, 2.0);
  SinCos(all.data(), s0.data(), c0.data(), 16);
  PolarToRect(ones.data(), all.data(), rect0.data(), 16);
  for (int i = 0; i < 16; ++i) polar0[2 * i] = 1.0, polar0[2 * i + 1] = all[i];
  RectToPolar(polar0.data(), 16);
  for (int n = 0; n <= 9; ++n)
    for (int start = 0; start + n <= 16; start += 3) {
      std::vector<double> s(n + 1, 99.0), c(n + 1, 99.0), rect(2 * n + 1, 99.0);
      std::vector<double> polar(2 * n + 1, 99.0);
      SinCos(all.data() + start, s.data(), c.data(), n);
      PolarToRect(ones.data(), all.data() + start, rect.data(), n);
      for (int i = 0; i < n; ++i) polar[2 * i] = 1.0, polar[2 * i + 1] = all[start + i];
      RectToPolar(polar.data(), n);
      for (int i = 0; i < n; ++i) {
        EXPECT_EQ(s[i], s0[start + i]);
        EXPECT_EQ(c[i], c0[start + i]);
        EXPECT_EQ(rect[2 * i], rect0[2 * (start + i)]);
        EXPECT_EQ(rect[2 * i + 1], rect0[2 * (start + i) + 1]);
        EXPECT_EQ(polar[2 * i], polar0[2 * (start + i)]);
        EXPECT_EQ(polar[2 * i + 1], polar0[2 * (start + i) + 1]);
      }
      // Nothing past the count is written.
      EXPECT_EQ(s[n], 99.0);
      EXPECT_EQ(c[n], 99.0);
      EXPECT_EQ(rect[2 * n], 99.0);
      EXPECT_EQ(polar[2 * n], 99.0);
    }
}

TEST(PolarMathTest, RectToPolarMatchesTheLibrary) {
  std::vector<double> re, im;
  // Every direction, at radii from the smallest normal numbers to the largest.
  for (int e = -1022; e <= 1023; e += 73)
    for (int i = 0; i < 2000; ++i) {
      const double r = std::ldexp(1.0, e), a = -kPi + i * (2 * kPi / 2000);
      re.push_back(r * std::cos(a));
      im.push_back(r * std::sin(a));
    }
  std::mt19937 rng(11);
  std::uniform_real_distribution<double> unit(-1.0, 1.0);
  std::uniform_int_distribution<int> exponent(-40, 40);
  for (int i = 0; i < 100000; ++i) {
    re.push_back(std::ldexp(unit(rng), exponent(rng)));
    im.push_back(std::ldexp(unit(rng), exponent(rng)));
  }
  // Axes and diagonals with both signs of zero, the boundaries of the angle's
  // reduction, denormals, huge values, infinities and NaN.
  const double special[] = {
      0.0,     -0.0,  1.0,    -1.0, 2.5,   -3.0, 0.2679491924311227, 0.5773502691896257, 1e-310,
      -4e-320, 1e305, -1e308, kInf, -kInf, kNaN};
  for (double a : special)
    for (double b : special) re.push_back(a), im.push_back(b);
  for (double t : {0.2679491924311227, 0.5773502691896257, 1.0})
    for (double step : {-1.0, 0.0, 1.0}) {
      const double v = t + step * 1e-16;
      re.insert(re.end(), {1.0, -1.0, v, -v});
      im.insert(im.end(), {v, -v, 1.0, 1.0});
    }

  const int n = static_cast<int>(re.size());
  std::vector<double> data(2 * n);
  for (int i = 0; i < n; ++i) data[2 * i] = re[i], data[2 * i + 1] = im[i];
  RectToPolar(data.data(), n);
  for (int i = 0; i < n; ++i) {
    // The magnitude rounds exactly as the plain expression does.
    const double magnitude = std::sqrt(re[i] * re[i] + im[i] * im[i]);
    if (std::isnan(magnitude))
      EXPECT_TRUE(std::isnan(data[2 * i]));
    else
      EXPECT_EQ(data[2 * i], magnitude) << re[i] << ", " << im[i];
    const double want = std::atan2(im[i], re[i]);
    if (std::isnan(want) || want == 0.0 || std::abs(want) < 1e-290) {
      ExpectClose(data[2 * i + 1], want, "atan2 (im, re = ...)", re[i]);
    } else {
      EXPECT_LE(std::abs(data[2 * i + 1] - want), 1e-14 * std::abs(want))
          << "atan2(" << im[i] << ", " << re[i] << ")";
    }
  }
}

TEST(PolarMathTest, PolarToRectInterleavesTheScaledCosineAndSine) {
  std::mt19937 rng(5);
  std::uniform_real_distribution<double> phase(-10.0, 10.0), level(0.0, 100.0);
  const int n = 4099;
  std::vector<double> m(n), p(n), data(2 * n);
  for (int i = 0; i < n; ++i) m[i] = level(rng), p[i] = phase(rng);
  p[0] = 0.0, p[1] = -0.0, p[2] = kPi, p[3] = 3e6, p[4] = kNaN, m[5] = 0.0;
  PolarToRect(m.data(), p.data(), data.data(), n);
  for (int i = 0; i < n; ++i) {
    ExpectClose(data[2 * i], m[i] * std::cos(p[i]), "m cos", p[i]);
    ExpectClose(data[2 * i + 1], m[i] * std::sin(p[i]), "m sin", p[i]);
  }
}

}  // namespace
