#include "dsp/Fft.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <complex>
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

std::vector<Complex> DirectDft(const std::vector<double>& x, double sign) {
  const int n = static_cast<int>(x.size() / 2);
  std::vector<Complex> out(n);
  for (int k = 0; k < n; ++k) {
    Complex sum = 0;
    for (int t = 0; t < n; ++t) {
      const double angle = sign * 2.0 * kPi * static_cast<double>((static_cast<long long>(k) * t) % n) / n;
      sum += Complex(x[2 * t], x[2 * t + 1]) * Complex(std::cos(angle), std::sin(angle));
    }
    out[k] = sum;
  }
  return out;
}

// Largest error against a direct DFT, relative to the largest output magnitude.
double RelativeError(const std::vector<double>& input, double sign) {
  std::vector<double> x = input;
  EXPECT_TRUE(FftSetSize(static_cast<int>(x.size() / 2)));
  FftTransform(x.data(), sign);
  const std::vector<Complex> expected = DirectDft(input, sign);
  double worst = 0, largest = 0;
  for (std::size_t k = 0; k < expected.size(); ++k) {
    worst = std::max(worst, std::abs(Complex(x[2 * k], x[2 * k + 1]) - expected[k]));
    largest = std::max(largest, std::abs(expected[k]));
  }
  return worst / largest;
}

TEST(Fft, MatchesDirectDftForEveryPowerOfTwo) {
  for (int n = 2; n <= 1024; n *= 2) {
    EXPECT_LT(RelativeError(RandomSignal(n, n), -1.0), 1e-13) << n;
    EXPECT_LT(RelativeError(RandomSignal(n, n + 1), +1.0), 1e-13) << n;
  }
}

TEST(Fft, AccurateAt4096) {
  EXPECT_LT(RelativeError(RandomSignal(4096, 7), -1.0), 1e-12);
  EXPECT_LT(RelativeError(RandomSignal(4096, 8), +1.0), 1e-12);
}

TEST(Fft, ForwardThenInverseScalesByN) {
  for (int n : {2, 8, 2048, 8192}) {
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
  ASSERT_TRUE(FftSetSize(8192));
  EXPECT_EQ(FftCurrentPlan().swapCount, 4032);
  EXPECT_EQ(FftCurrentPlan().levels, 13);
  // Each entry: smaller index high, both even, each pair a bit reversal.
  for (int k = 0; k < FftCurrentPlan().swapCount; ++k) {
    const std::uint32_t hi = FftCurrentPlan().swaps[k] >> 16, lo = FftCurrentPlan().swaps[k] & 0xFFFF;
    ASSERT_LT(hi, lo);
    ASSERT_EQ(hi % 2, 0u);
  }
  ASSERT_TRUE(FftSetSize(1));
  EXPECT_EQ(FftCurrentPlan().swapCount, 0);
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

// Two threads transform 4096-point frames while a third keeps choosing sizes:
// every result stays correct.
TEST(Fft, ConcurrentTransformsStayCorrect) {
  const std::vector<double> input = RandomSignal(4096, 11);
  std::vector<double> reference = input;
  ASSERT_TRUE(FftSetSize(4096));
  FftTransform(reference.data(), -1.0);

  std::atomic<bool> stop{false};
  std::atomic<int> wrong{0};
  auto worker = [&] {
    ComplexFrame frame(4096);
    for (int round = 0; round < 200; ++round) {
      FftSetSize(4096);
      std::copy(input.begin(), input.end(), frame.data);
      FftTransform(frame.data, -1.0);
      for (std::size_t i = 0; i < reference.size(); ++i)
        if (frame.data[i] != reference[i]) {
          ++wrong;
          break;
        }
    }
  };
  std::thread resizer([&] {
    for (int sizes = 0; !stop; ++sizes) FftSetSize(sizes % 2 == 0 ? 4096 : 512);
  });
  std::thread a(worker), b(worker);
  a.join();
  b.join();
  stop = true;
  resizer.join();
  EXPECT_EQ(wrong, 0);
}

}  // namespace
