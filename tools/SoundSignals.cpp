#include "tools/SoundSignals.h"

#include <cmath>

namespace {

const double kPi = std::acos(-1.0);

// splitmix64: small, seedable and the same everywhere.
class Random {
 public:
  explicit Random(std::uint64_t seed) : state(seed) {}
  // Uniform in [-1, 1).
  double Next() {
    std::uint64_t z = (state += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    z ^= z >> 31;
    return static_cast<double>(z >> 11) / 4503599627370496.0 - 1.0;
  }

 private:
  std::uint64_t state;
};

void ScaleToRms(std::vector<double>& x, double rms) {
  double sum = 0;
  for (double v : x) sum += v * v;
  if (x.empty() || !(sum > 0)) return;
  const double gain = rms / std::sqrt(sum / static_cast<double>(x.size()));
  for (double& v : x) v *= gain;
}

}  // namespace

std::vector<double> Sine(double hz, double amplitude, std::size_t frames, double rateHz,
                         double phase) {
  std::vector<double> x(frames);
  for (std::size_t j = 0; j < frames; ++j)
    x[j] = amplitude * std::sin(2 * kPi * hz * static_cast<double>(j) / rateHz + phase);
  return x;
}

std::vector<double> WhiteNoise(std::size_t frames, double rms, std::uint64_t seed) {
  Random random(seed);
  std::vector<double> x(frames);
  for (double& v : x) v = random.Next();
  ScaleToRms(x, rms);
  return x;
}

std::vector<double> PinkNoise(std::size_t frames, double rms, std::uint64_t seed) {
  constexpr int kRows = 16;
  Random random(seed);
  double rows[kRows];
  double sum = 0;
  for (double& row : rows) sum += row = random.Next();
  std::vector<double> x(frames);
  for (std::size_t j = 0; j < frames; ++j) {
    // The row to redraw is the count of trailing zeros of the sample number.
    const std::uint64_t count = j + 1;
    int r = 0;
    while (r < kRows && ((count >> r) & 1) == 0) ++r;
    if (r < kRows) {
      sum -= rows[r];
      rows[r] = random.Next();
      sum += rows[r];
    }
    x[j] = sum + random.Next();
  }
  ScaleToRms(x, rms);
  return x;
}
