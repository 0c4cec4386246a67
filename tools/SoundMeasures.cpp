#include "tools/SoundMeasures.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "dsp/Fft.h"

namespace {

const double kPi = std::acos(-1.0);
const double kNan = std::numeric_limits<double>::quiet_NaN();
constexpr double kFloorDb = -200;
constexpr int kWelchFrames = 8192;
constexpr int kCoarseFrames = 8192;
// The phasors of a direct transform are taken afresh from their exact angle this
// often, so their rounding never builds up.
constexpr std::size_t kReseedFrames = 4096;

double PowerDb(double power) { return power > 0 ? 10 * std::log10(power) : kFloorDb; }

// The 4-term Blackman-Harris window of length n, periodic (sidelobes near -92 dB).
std::vector<double> BlackmanHarris(std::size_t n) {
  std::vector<double> w(n);
  for (std::size_t j = 0; j < n; ++j) {
    const double a = 2 * kPi * static_cast<double>(j) / static_cast<double>(n);
    w[j] = 0.35875 - 0.48829 * std::cos(a) + 0.14128 * std::cos(2 * a) - 0.01168 * std::cos(3 * a);
  }
  return w;
}

std::vector<double> Windowed(const std::vector<double>& x, std::size_t from, std::size_t n) {
  std::vector<double> y = BlackmanHarris(n);
  for (std::size_t j = 0; j < n; ++j) y[j] *= x[from + j];
  return y;
}

// |Σ y[j]·e^(-2πi·c·j)|² for each c in cycles (cycles per sample), all in one
// pass over y.
std::vector<double> DftPowers(const std::vector<double>& y, const std::vector<double>& cycles) {
  const std::size_t m = cycles.size();
  std::vector<double> re(m, 0.0), im(m, 0.0), zr(m), zi(m), rr(m), ri(m);
  for (std::size_t b = 0; b < m; ++b) {
    rr[b] = std::cos(2 * kPi * cycles[b]);
    ri[b] = -std::sin(2 * kPi * cycles[b]);
  }
  for (std::size_t start = 0; start < y.size(); start += kReseedFrames) {
    for (std::size_t b = 0; b < m; ++b) {
      const double turns = std::fmod(cycles[b] * static_cast<double>(start), 1.0);
      zr[b] = std::cos(2 * kPi * turns);
      zi[b] = -std::sin(2 * kPi * turns);
    }
    const std::size_t end = std::min(y.size(), start + kReseedFrames);
    for (std::size_t j = start; j < end; ++j) {
      const double v = y[j];
      for (std::size_t b = 0; b < m; ++b) {
        re[b] += v * zr[b];
        im[b] += v * zi[b];
        const double r = zr[b] * rr[b] - zi[b] * ri[b];
        zi[b] = zr[b] * ri[b] + zi[b] * rr[b];
        zr[b] = r;
      }
    }
  }
  std::vector<double> power(m);
  for (std::size_t b = 0; b < m; ++b) power[b] = re[b] * re[b] + im[b] * im[b];
  return power;
}

struct BandEnergy {
  double total = 0;
  double inBand = 0;
};

BandEnergy BlockEnergy(const std::vector<double>& x, std::size_t from, std::size_t n, double rateHz,
                       const std::vector<double>& linesHz) {
  BandEnergy energy;
  const std::vector<double> y = Windowed(x, from, n);
  double sum = 0;
  for (double v : y) sum += v * v;
  energy.total = sum * static_cast<double>(n);  // Parseval: Σ|X(k)|² = n·Σy²

  // Positive bins within the half width of any line, each once.
  const double binsPerHz = static_cast<double>(n) / rateHz;
  const long long top = static_cast<long long>(n / 2) - 1;
  std::vector<long long> bins;
  for (double line : linesHz) {
    const long long lo = std::max(
        1LL, static_cast<long long>(std::ceil((line - kOutOfBandHalfWidthHz) * binsPerHz)));
    const long long hi = std::min(
        top, static_cast<long long>(std::floor((line + kOutOfBandHalfWidthHz) * binsPerHz)));
    for (long long k = lo; k <= hi; ++k) bins.push_back(k);
  }
  std::sort(bins.begin(), bins.end());
  bins.erase(std::unique(bins.begin(), bins.end()), bins.end());
  std::vector<double> cycles;
  for (long long k : bins) cycles.push_back(static_cast<double>(k) / static_cast<double>(n));
  for (double p : DftPowers(y, cycles)) energy.inBand += 2 * p;  // and the mirrored bin
  return energy;
}

double OutsideDb(const BandEnergy& energy) {
  if (!(energy.total > 0)) return kNan;
  const double outside = energy.total - energy.inBand;
  return outside > 0 ? std::max(kFloorDb, 10 * std::log10(outside / energy.total)) : kFloorDb;
}

std::size_t SpanEnd(const std::vector<double>& x, std::size_t to) { return std::min(to, x.size()); }

}  // namespace

LevelStats MeasureLevel(const std::vector<double>& x, std::size_t from, std::size_t to,
                        double rateHz) {
  LevelStats stats;
  to = SpanEnd(x, to);
  if (to <= from) {
    stats.levelDb = stats.rippleDb = kNan;
    return stats;
  }
  const std::size_t window = static_cast<std::size_t>(std::lround(0.1 * rateHz));
  double sum = 0, low = 0, high = 0;
  for (std::size_t start = from; start < to;) {
    const std::size_t end = std::min(to, start + window);
    double part = 0;
    for (std::size_t j = start; j < end; ++j) part += x[j] * x[j];
    sum += part;
    if (end - start == window && window > 0) {
      const double level = PowerDb(part / static_cast<double>(window));
      low = stats.windows == 0 ? level : std::min(low, level);
      high = stats.windows == 0 ? level : std::max(high, level);
      ++stats.windows;
    }
    start = end;
  }
  stats.levelDb = PowerDb(sum / static_cast<double>(to - from));
  stats.rippleDb = high - low;
  return stats;
}

double OutOfBandDb(const std::vector<double>& x, std::size_t from, std::size_t length,
                   double rateHz, const std::vector<double>& linesHz) {
  const std::size_t to = SpanEnd(x, from + length);
  if (to <= from + 16) return kNan;
  return OutsideDb(BlockEnergy(x, from, to - from, rateHz, linesHz));
}

double SpanOutOfBandDb(const std::vector<double>& x, std::size_t from, std::size_t to,
                       double rateHz, const std::vector<double>& linesHz) {
  to = SpanEnd(x, to);
  if (to <= from + 16) return kNan;
  const std::size_t span = to - from;
  if (span <= kOutOfBandBlockFrames) return OutOfBandDb(x, from, span, rateHz, linesHz);
  const std::size_t blocks = (span + kOutOfBandBlockFrames - 1) / kOutOfBandBlockFrames;
  const double step = static_cast<double>(span - kOutOfBandBlockFrames) / (blocks - 1);
  BandEnergy sum;
  for (std::size_t i = 0; i < blocks; ++i) {
    const std::size_t start = from + static_cast<std::size_t>(std::lround(i * step));
    const BandEnergy block = BlockEnergy(x, start, kOutOfBandBlockFrames, rateHz, linesHz);
    sum.total += block.total;
    sum.inBand += block.inBand;
  }
  return OutsideDb(sum);
}

double ToneFrequencyHz(const std::vector<double>& x, std::size_t from, std::size_t to,
                       double rateHz, double expectedHz, double searchHz) {
  to = SpanEnd(x, to);
  if (to < from + kCoarseFrames || !(rateHz > 0)) return kNan;
  const std::size_t n = std::min(to - from, kToneWindowMaxFrames);

  // Coarse: the strongest bin of averaged 8192-point spectra, interpolated on
  // log power between its neighbours.
  const std::vector<double> window = BlackmanHarris(kCoarseFrames);
  std::vector<double> power(kCoarseFrames / 2, 0.0), data(2 * kCoarseFrames);
  if (!FftSetSize(kCoarseFrames)) return kNan;
  for (std::size_t start = from; start + kCoarseFrames <= from + n; start += kCoarseFrames / 2) {
    for (int j = 0; j < kCoarseFrames; ++j) {
      data[2 * j] = x[start + j] * window[j];
      data[2 * j + 1] = 0;
    }
    FftTransform(data.data(), -1.0);
    for (int k = 0; k < kCoarseFrames / 2; ++k)
      power[k] += data[2 * k] * data[2 * k] + data[2 * k + 1] * data[2 * k + 1];
  }
  const double coarseBinHz = rateHz / kCoarseFrames;
  const int lo = std::max(1, static_cast<int>(std::floor((expectedHz - searchHz) / coarseBinHz)));
  const int hi = std::min(kCoarseFrames / 2 - 2,
                          static_cast<int>(std::ceil((expectedHz + searchHz) / coarseBinHz)));
  if (lo > hi) return kNan;
  int peak = lo;
  for (int k = lo; k <= hi; ++k)
    if (power[k] > power[peak]) peak = k;
  if (!(power[peak] > 0)) return kNan;
  const double a = std::log(power[peak - 1] + 1e-300), b = std::log(power[peak]),
               c = std::log(power[peak + 1] + 1e-300);
  const double bend = a - 2 * b + c;
  const double offset = bend < 0 ? std::clamp(0.5 * (a - c) / bend, -0.5, 0.5) : 0.0;
  const double coarseHz = (peak + offset) * coarseBinHz;

  // Fine: the exact windowed transform of the whole window, scanned at a
  // quarter of its bin across one coarse bin either side, then narrowed by
  // golden section around the best point.
  const std::vector<double> y = Windowed(x, from, n);
  const double stepHz = rateHz / static_cast<double>(n) / 4;
  const int steps = static_cast<int>(std::ceil(coarseBinHz / stepHz));
  std::vector<double> cycles;
  for (int i = -steps; i <= steps; ++i) cycles.push_back((coarseHz + i * stepHz) / rateHz);
  const std::vector<double> scan = DftPowers(y, cycles);
  const std::size_t best = std::max_element(scan.begin(), scan.end()) - scan.begin();
  auto at = [&](double hz) { return DftPowers(y, {hz / rateHz})[0]; };
  const double ratio = (std::sqrt(5.0) - 1) / 2;
  double left = cycles[best] * rateHz - stepHz, right = cycles[best] * rateHz + stepHz;
  double p = right - ratio * (right - left), q = left + ratio * (right - left);
  double fp = at(p), fq = at(q);
  while (right - left > 1e-6) {
    if (fp < fq) {
      left = p;
      p = q;
      fp = fq;
      q = left + ratio * (right - left);
      fq = at(q);
    } else {
      right = q;
      q = p;
      fq = fp;
      p = right - ratio * (right - left);
      fp = at(p);
    }
  }
  return 0.5 * (left + right);
}

double ThirdOctaveCentreHz(int band) { return 1000.0 * std::pow(2.0, (band - 10) / 3.0); }

std::vector<double> ThirdOctaveLevelsDb(const std::vector<double>& x, std::size_t from,
                                        std::size_t to, double rateHz) {
  to = SpanEnd(x, to);
  if (to < from + kWelchFrames || !(rateHz > 0) || !FftSetSize(kWelchFrames)) return {};
  std::vector<double> window(kWelchFrames), power(kWelchFrames / 2, 0.0), data(2 * kWelchFrames);
  double windowEnergy = 0;
  for (int j = 0; j < kWelchFrames; ++j) {
    window[j] = 0.5 - 0.5 * std::cos(2 * kPi * j / kWelchFrames);
    windowEnergy += window[j] * window[j];
  }
  int segments = 0;
  for (std::size_t start = from; start + kWelchFrames <= to; start += kWelchFrames / 2) {
    for (int j = 0; j < kWelchFrames; ++j) {
      data[2 * j] = x[start + j] * window[j];
      data[2 * j + 1] = 0;
    }
    FftTransform(data.data(), -1.0);
    for (int k = 1; k < kWelchFrames / 2; ++k)
      power[k] += data[2 * k] * data[2 * k] + data[2 * k + 1] * data[2 * k + 1];
    ++segments;
  }
  // One-sided mean square per bin: a sine's bins add up to A²/2.
  const double scale = 2.0 / (segments * kWelchFrames * windowEnergy);
  std::vector<double> levels(kThirdOctaveBands);
  for (int band = 0; band < kThirdOctaveBands; ++band) {
    const double centre = ThirdOctaveCentreHz(band);
    const double lowHz = centre * std::pow(2.0, -1.0 / 6), highHz = centre * std::pow(2.0, 1.0 / 6);
    double sum = 0;
    for (int k = 1; k < kWelchFrames / 2; ++k) {
      const double hz = k * rateHz / kWelchFrames;
      if (hz >= lowHz && hz < highHz) sum += power[k] * scale;
    }
    levels[band] = PowerDb(sum);
  }
  return levels;
}

BandComparison BandDeviation(const std::vector<double>& inputDb,
                             const std::vector<double>& outputDb) {
  BandComparison result;
  if (inputDb.empty() || inputDb.size() != outputDb.size()) {
    result.gainDb = result.deviationDb = kNan;
    return result;
  }
  double sum = 0;
  for (std::size_t i = 0; i < inputDb.size(); ++i) sum += outputDb[i] - inputDb[i];
  result.gainDb = sum / static_cast<double>(inputDb.size());
  for (std::size_t i = 0; i < inputDb.size(); ++i)
    result.deviationDb =
        std::max(result.deviationDb, std::fabs(outputDb[i] - inputDb[i] - result.gainDb));
  return result;
}
