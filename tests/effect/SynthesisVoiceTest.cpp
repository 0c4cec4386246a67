#include "effect/SynthesisVoice.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <vector>

namespace {

constexpr int kSize = 4096;
constexpr int kHop = 1024;
constexpr int kTop = kSize / 2;

// The engine's windows and scratch, built the way it builds them.
struct Workspace {
  Workspace() {
    analysis.MakeHann(kSize, true);
    synthesis.MakeHann(kSize, true);
    synthesis.Scale(2.0 / ((kSize / 2) * 4));
    grain.Allocate(kSize + 2 * SynthesisVoice::kReach);
    double unity = 0.0;
    for (int j = 0; j < kSize; j += kHop)
      unity += analysis.values.data[j + kHop / 2] * synthesis.values.data[j + kHop / 2];
    work = {&spectrum, &grain, &analysis, &synthesis, unity};
  }
  Window analysis, synthesis;
  ComplexFrame spectrum{kSize};
  ResizableBuffer<double> grain;
  GrainWorkspace work{};
};

// A spectrum of peaks every 40 bins, each holding the bins around it, over
// free noise bins.
struct Source {
  explicit Source(unsigned seed) {
    std::mt19937 rng(seed);
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    const double step = 2 * M_PI * kHop / kSize;
    for (int b = 0; b <= kTop; ++b) {
      magnitude[b] = b % 40 == 20 ? 100.0 : unit(rng);
      absolutePhase[b] = 2 * M_PI * unit(rng) - M_PI;
      advance[b] = b * step + unit(rng) - 0.5;
      const int peak = b / 40 * 40 + 20;
      lock[b] = b % 40 != 20 && std::abs(b - peak) <= 3 && peak <= kTop ? peak : -1;
    }
  }
  GrainSource Grain(bool repeated) const {
    return {magnitude.data(), absolutePhase.data(), advance.data(), lock.data(), repeated};
  }
  std::vector<double> magnitude = std::vector<double>(kTop + 1);
  std::vector<double> absolutePhase = std::vector<double>(kTop + 1);
  std::vector<double> advance = std::vector<double>(kTop + 1);
  std::vector<std::int32_t> lock = std::vector<std::int32_t>(kTop + 1);
};

// A voice told that its source repeats turns its last grain instead of making
// it anew: the hops sound as those of a voice told nothing, to rounding, over
// a long hold, across a change of source and at a ratio that resamples.
TEST(SynthesisVoice, RepeatedSourcesSoundAsGrainsMadeAnew) {
  Workspace space;
  const Source first(1), second(2);
  for (double ratio : {1.0, 1.5}) {
    SynthesisVoice turned, made;
    ASSERT_TRUE(turned.Allocate(kSize, kHop));
    ASSERT_TRUE(made.Allocate(kSize, kHop));
    std::vector<double> a(kHop), b(kHop);
    double worst = 0.0, peak = 0.0;
    for (int k = 0; k < 600; ++k) {
      const Source& source = k < 400 ? first : second;
      const bool repeated = k != 0 && k != 400;
      turned.AddGrain(0, source.Grain(repeated), ratio, space.work);
      made.AddGrain(0, source.Grain(false), ratio, space.work);
      std::fill(a.begin(), a.end(), 0.0);
      std::fill(b.begin(), b.end(), 0.0);
      turned.TakeHop(0, 1.0, space.work, a.data());
      made.TakeHop(0, 1.0, space.work, b.data());
      for (int t = 0; t < kHop; ++t) {
        worst = std::max(worst, std::abs(a[t] - b[t]));
        peak = std::max(peak, std::abs(b[t]));
      }
    }
    EXPECT_GT(peak, 0.1) << ratio;
    EXPECT_LT(worst, 1e-10 * peak) << ratio;
  }
}

}  // namespace
