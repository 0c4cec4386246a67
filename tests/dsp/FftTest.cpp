#include "dsp/Fft.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <complex>
#include <functional>
#include <random>
#include <thread>
#include <vector>

#include "dsp/ComplexFrame.h"

namespace {

using Complex = std::complex<double>;
const double kPi = std::acos(-1.0);

std::vector<double> RandomSignal(int n, unsigned seed) {
  std::mt19937 rng(seed);
  std::uniform_real_distribution<double> dist(-1.0, 1.0);
  std::vector<double> x(2 * static_cast<std::size_t>(n));
  for (double& v : x) v = dist(rng);
  return x;
}

// A direct DFT in long double, from a table of the N roots of unity.
std::vector<Complex> DirectDft(const std::vector<double>& x, double sign) {
  const int n = static_cast<int>(x.size() / 2);
  const long double pi = std::acos(-1.0L);
  std::vector<long double> rootCos(n), rootSin(n);
  for (int m = 0; m < n; ++m) {
    rootCos[m] = std::cos(2 * pi * m / n);
    rootSin[m] = sign * std::sin(2 * pi * m / n);
  }
  std::vector<Complex> out(n);
  for (int k = 0; k < n; ++k) {
    long double re = 0, im = 0;
    for (int t = 0, m = 0; t < n; ++t, m = (m + k) % n) {
      const long double xr = x[2 * t], xi = x[2 * t + 1];
      re += xr * rootCos[m] - xi * rootSin[m];
      im += xr * rootSin[m] + xi * rootCos[m];
    }
    out[k] = Complex(static_cast<double>(re), static_cast<double>(im));
  }
  return out;
}

// Largest error against a direct DFT, relative to the output's RMS magnitude.
double RelativeError(const std::vector<double>& input, double sign) {
  std::vector<double> x = input;
  EXPECT_TRUE(FftSetSize(static_cast<int>(x.size() / 2)));
  FftTransform(x.data(), sign);
  const std::vector<Complex> expected = DirectDft(input, sign);
  double worst = 0, power = 0;
  for (std::size_t k = 0; k < expected.size(); ++k) {
    worst = std::max(worst, std::abs(Complex(x[2 * k], x[2 * k + 1]) - expected[k]));
    power += std::norm(expected[k]);
  }
  return worst / std::sqrt(power / expected.size());
}

TEST(Fft, MatchesDirectDftForEverySizeBothWays) {
  for (int levels = 0; levels <= kFftMaxLevels; ++levels) {
    const int n = 1 << levels;
    const double tolerance = 1e-13 * std::sqrt(std::max(1, levels));
    EXPECT_LT(RelativeError(RandomSignal(n, n), -1.0), tolerance) << n;
    EXPECT_LT(RelativeError(RandomSignal(n, n + 1), +1.0), tolerance) << n;
  }
}

// The complex inverse at a given size against a direct inverse DFT; the
// thread's size stays as it was.
TEST(Fft, ComplexInverseAtAGivenSizeLeavesTheThreadsSize) {
  ASSERT_TRUE(FftSetSize(64));
  for (int levels = 1; levels <= kFftMaxLevels; ++levels) {
    const int n = 1 << levels;
    const std::vector<double> input = RandomSignal(n, 3 * n);
    const std::vector<Complex> expected = DirectDft(input, +1.0);
    std::vector<double> x = input;
    ASSERT_TRUE(FftInverseComplex(x.data(), n));
    double worst = 0, power = 0;
    for (int k = 0; k < n; ++k) {
      worst = std::max(worst, std::abs(Complex(x[2 * k], x[2 * k + 1]) - expected[k]));
      power += std::norm(expected[k]);
    }
    EXPECT_LT(worst / std::sqrt(power / n), 1e-13 * levels) << n;
  }
  EXPECT_EQ(FftCurrentPlan().size, 64);
  std::vector<double> untouched(20, 1.0);
  for (int n : {0, 1, 6, 16384}) EXPECT_FALSE(FftInverseComplex(untouched.data(), n)) << n;
  for (double v : untouched) EXPECT_EQ(v, 1.0);
}

// The one-sided inverse against the real part of a direct inverse DFT of the
// bins padded with zeros, at every size; the thread's size stays as it was.
TEST(Fft, OneSidedInverseMatchesDirectDftForEverySize) {
  ASSERT_TRUE(FftSetSize(64));
  for (int levels = 1; levels <= kFftMaxLevels; ++levels) {
    const int n = 1 << levels;
    const std::vector<double> bins = RandomSignal(n / 2 + 1, 7 * n);
    std::vector<double> padded(2 * static_cast<std::size_t>(n), 0.0);
    std::copy(bins.begin(), bins.end(), padded.begin());
    const std::vector<Complex> expected = DirectDft(padded, +1.0);
    std::vector<double> x = bins;
    ASSERT_TRUE(FftInverseOneSided(x.data(), n));
    double worst = 0, power = 0;
    for (int t = 0; t < n; ++t) {
      worst = std::max(worst, std::abs(x[t] - expected[t].real()));
      power += expected[t].real() * expected[t].real();
    }
    EXPECT_LT(worst / std::sqrt(power / n), 1e-13 * levels) << n;
  }
  EXPECT_EQ(FftCurrentPlan().size, 64);
  std::vector<double> untouched(20, 1.0);
  for (int n : {0, 1, 6, 16384}) EXPECT_FALSE(FftInverseOneSided(untouched.data(), n)) << n;
  for (double v : untouched) EXPECT_EQ(v, 1.0);
}

// The real forward transform against a direct DFT of the samples, at every
// size; its bins back through the one-sided inverse give the samples again,
// scaled by n / 2 (the inverse counts the bins between the ends once).
TEST(Fft, RealForwardMatchesDirectDftForEverySize) {
  ASSERT_TRUE(FftSetSize(64));
  for (int levels = 1; levels <= kFftMaxLevels; ++levels) {
    const int n = 1 << levels;
    const std::vector<double> samples = RandomSignal(n / 2, 11 * n);  // n reals
    std::vector<double> complexInput(2 * static_cast<std::size_t>(n), 0.0);
    for (int t = 0; t < n; ++t) complexInput[2 * t] = samples[t];
    const std::vector<Complex> expected = DirectDft(complexInput, -1.0);
    std::vector<double> x(samples);
    x.resize(n + 2);
    ASSERT_TRUE(FftForwardReal(x.data(), n));
    double worst = 0, power = 0;
    for (int k = 0; k <= n / 2; ++k) {
      worst = std::max(worst, std::abs(Complex(x[2 * k], x[2 * k + 1]) - expected[k]));
      power += std::norm(expected[k]);
    }
    EXPECT_LT(worst / std::sqrt(power / (n / 2 + 1)), 1e-13 * levels) << n;
    for (int k = 1; k < n / 2; ++k) {
      x[2 * k] *= 2;
      x[2 * k + 1] *= 2;
    }
    ASSERT_TRUE(FftInverseOneSided(x.data(), n));
    for (int t = 0; t < n; ++t) ASSERT_NEAR(x[t], n * samples[t], 1e-11 * n) << n << " " << t;
  }
  EXPECT_EQ(FftCurrentPlan().size, 64);
  std::vector<double> untouched(20, 1.0);
  for (int n : {0, 1, 6, 16384}) EXPECT_FALSE(FftForwardReal(untouched.data(), n)) << n;
  for (double v : untouched) EXPECT_EQ(v, 1.0);
}

// The whole spectrum times factors against the direct DFT of the samples
// times the same factors, at every size: the bins above n/2 and the middle
// bin n/4, where both halves of the unfolding meet, included.
TEST(Fft, RealForwardTimesFactorsMatchesDirectDftForEverySize) {
  ASSERT_TRUE(FftSetSize(64));
  for (int levels = 1; levels <= kFftMaxLevels; ++levels) {
    const int n = 1 << levels;
    const std::vector<double> samples = RandomSignal(n / 2, 13 * n);  // n reals
    const std::vector<double> g = RandomSignal(n, 17 * n);            // n complex factors
    std::vector<double> complexInput(2 * static_cast<std::size_t>(n), 0.0);
    for (int t = 0; t < n; ++t) complexInput[2 * t] = samples[t];
    const std::vector<Complex> spectrum = DirectDft(complexInput, -1.0);
    std::vector<double> x(samples);
    x.resize(2 * static_cast<std::size_t>(n));
    ASSERT_TRUE(FftForwardRealTimes(x.data(), n, g.data()));
    double worst = 0, power = 0;
    for (int k = 0; k < n; ++k) {
      const Complex expected = spectrum[k] * Complex(g[2 * k], g[2 * k + 1]);
      worst = std::max(worst, std::abs(Complex(x[2 * k], x[2 * k + 1]) - expected));
      power += std::norm(expected);
    }
    EXPECT_LT(worst / std::sqrt(power / n), 1e-13 * levels) << n;
  }
  EXPECT_EQ(FftCurrentPlan().size, 64);
  std::vector<double> untouched(20, 1.0);
  const std::vector<double> g(20, 1.0);
  for (int n : {0, 1, 6, 16384}) EXPECT_FALSE(FftForwardRealTimes(untouched.data(), n, g.data()));
  for (double v : untouched) EXPECT_EQ(v, 1.0);
}

TEST(Fft, ForwardThenInverseScalesByN) {
  for (int n = 1; n <= kFftMaxSize; n *= 2) {
    const std::vector<double> input = RandomSignal(n, 3);
    std::vector<double> x = input;
    ASSERT_TRUE(FftSetSize(n));
    FftTransform(x.data(), -1.0);
    FftTransform(x.data(), +1.0);
    for (std::size_t i = 0; i < x.size(); ++i) ASSERT_NEAR(x[i], n * input[i], 1e-9 * n) << n;
  }
}

TEST(Fft, ImpulseAndComplexExponential) {
  const int n = 64;
  ASSERT_TRUE(FftSetSize(n));
  for (double sign : {-1.0, 1.0}) {
    std::vector<double> x(2 * n, 0.0);
    x[0] = 1.0;
    FftTransform(x.data(), sign);
    for (int k = 0; k < n; ++k) {
      EXPECT_NEAR(x[2 * k], 1.0, 1e-15);
      EXPECT_NEAR(x[2 * k + 1], 0.0, 1e-15);
    }
  }
  for (int m : {0, 5}) {
    for (double sign : {-1.0, 1.0}) {
      std::vector<double> x(2 * n);
      for (int t = 0; t < n; ++t) {
        x[2 * t] = std::cos(2 * kPi * m * t / n);
        x[2 * t + 1] = std::sin(2 * kPi * m * t / n);
      }
      FftTransform(x.data(), sign);
      const int peak = sign < 0 ? m : (n - m) % n;
      for (int k = 0; k < n; ++k) {
        EXPECT_NEAR(x[2 * k], k == peak ? n : 0.0, 1e-12) << m << " " << sign << " " << k;
        EXPECT_NEAR(x[2 * k + 1], 0.0, 1e-12);
      }
    }
  }
}

TEST(Fft, PlanShapesAndRefusedSizes) {
  // 8192 = 2 * 2^11 * 2: the pairs name each of the 2048 middle values once.
  ASSERT_TRUE(FftSetSize(8192));
  EXPECT_EQ(FftCurrentPlan().levels, 13);
  std::vector<int> named(2048, 0);
  for (int k = 0; k < FftCurrentPlan().pairCount; ++k) {
    const std::uint32_t b = FftCurrentPlan().pairs[k] >> 16,
                        reversed = FftCurrentPlan().pairs[k] & 0xFFFF;
    ASSERT_LE(b, reversed);
    ASSERT_LT(reversed, 2048u);
    ++named[b];
    if (reversed != b) ++named[reversed];
  }
  EXPECT_EQ(std::count(named.begin(), named.end(), 1), 2048);
  ASSERT_TRUE(FftSetSize(1));
  EXPECT_EQ(FftCurrentPlan().pairCount, 0);
  EXPECT_EQ(FftCurrentPlan().levels, 0);
  double one[2] = {0.25, -0.5};
  FftTransform(one, -1.0);
  EXPECT_EQ(one[0], 0.25);
  EXPECT_EQ(one[1], -0.5);

  EXPECT_FALSE(FftSetSize(3000));
  EXPECT_FALSE(FftSetSize(16384));
  EXPECT_FALSE(FftSetSize(0));
  EXPECT_EQ(FftCurrentPlan().size, 1);  // unchanged by refused sizes

  std::thread fresh([] { EXPECT_EQ(FftCurrentPlan().size, 1024); });
  fresh.join();
}

// Two threads transform frames of different sizes at once while a third keeps
// choosing sizes for itself: every result stays correct.
TEST(Fft, ConcurrentTransformsStayCorrect) {
  struct Job {
    int size;
    std::vector<double> input, reference;
  };
  Job jobs[] = {{4096, {}, {}}, {512, {}, {}}};
  for (Job& job : jobs) {
    job.input = RandomSignal(job.size, 11);
    job.reference = job.input;
    ASSERT_TRUE(FftSetSize(job.size));
    FftTransform(job.reference.data(), -1.0);
  }

  std::atomic<bool> stop{false};
  std::atomic<int> wrong{0};
  auto worker = [&](const Job& job) {
    ComplexFrame frame(job.size);
    for (int round = 0; round < 400; ++round) {
      FftSetSize(job.size);
      std::copy(job.input.begin(), job.input.end(), frame.data);
      FftTransform(frame.data, -1.0);
      for (std::size_t i = 0; i < job.reference.size(); ++i)
        if (frame.data[i] != job.reference[i]) {
          ++wrong;
          break;
        }
    }
  };
  std::thread resizer([&] {
    for (int sizes = 0; !stop; ++sizes) FftSetSize(sizes % 2 == 0 ? 8192 : 2);
  });
  std::thread a(worker, std::cref(jobs[0])), b(worker, std::cref(jobs[1]));
  a.join();
  b.join();
  stop = true;
  resizer.join();
  EXPECT_EQ(wrong, 0);
}

}  // namespace
