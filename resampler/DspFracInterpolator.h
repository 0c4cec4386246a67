// The last resampling stage for ratios that are not a power of two: every output
// is a short windowed-sinc filter evaluated at the exact fractional input
// position. The filters for all fractional positions are precomputed once per
// program run as second-order spline coefficients, so an output costs one table
// row: three dot products over the taps, joined by the spline's polynomial.
// When the rates are whole numbers whose ratio is p / q with q up to
// kMaxPhases (every pair of the usual audio rates), the positions repeat
// every q outputs: the object evaluates those q filters from the spline once,
// and an output costs one dot product. The spline table is shared, read-only,
// by every object of an instance; each object has its own line, position and
// filters, and is used by one thread at a time.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <numeric>
#include <vector>

#include "resampler/BesselI0.h"
#include "resampler/DspDotKernels.h"
#include "resampler/DspProcessor.h"

namespace resamp {

template <int TapCount, int FractionSteps>
class DspFracInterpolator : public DspProcessor {
 public:
  static constexpr int kHalf = TapCount / 2;  // M
  // Inputs are gathered in a line of this many samples, moved back to its
  // start when full (only the taps' reach is kept then).
  static constexpr int kLine = 8192;
  static constexpr int kRows = FractionSteps + 8;
  static constexpr int kMaxPhases = 1024;
  // A phase's filter, padded with zero taps to whole vector registers.
  static constexpr int kPaddedTaps = (TapCount + 3) / 4 * 4;

  // A row's spline coefficients, tap by tap: value, slope and curvature.
  struct Row {
    double c0[TapCount], c1[TapCount], c2[TapCount];
  };

  // inputRate S' and outputRate D in Hz; startFraction is the fractional
  // latency the stage before hands over.
  DspFracInterpolator(double inputRate, double outputRate, double startFraction)
      : inputRate(inputRate), outputRate(outputRate), startFraction(startFraction) {
    BuildPhases();
    Clear();
  }

  // The number of filters evaluated ahead, 0 when every output is taken from
  // the spline.
  int PhaseCount() const { return static_cast<int>(phaseStep.size()); }

  void Clear() override {
    // The silent history before the first input.
    for (int i = 0; i < kHalf - 1; ++i) line[i] = 0.0;
    have = kHalf - 1;
    read = 0;
    outputCount = 0;
    wholePosition = 0;
    fraction = positionOffset = startFraction;
    phase = 0;
  }

  int MaxOutputFor(int maxInput) const override {
    return static_cast<int>(std::ceil(maxInput * outputRate / inputRate)) + 1;
  }
  int InputNeededFor(int outputs) const override { return outputs + kHalf; }

  // Writes into output, which must hold MaxOutputFor(count) values (it may be
  // the input buffer when the rate goes down).
  int Process(const double* input, int count, double*& output) override {
    int produced = 0;
    for (int consumed = 0; consumed < count;) {
      if (have == kLine) {
        // Fewer than TapCount samples are still to be read.
        std::copy(line.begin() + read, line.begin() + have, line.begin());
        have -= read;
        read = 0;
      }
      const int c = std::min(count - consumed, kLine - have);
      std::copy(input + consumed, input + consumed + c, line.begin() + have);
      consumed += c;
      have += c;
      produced += phaseStep.empty() ? FromSpline(output + produced) : FromPhases(output + produced);
    }
    return produced;
  }

  // The value at fraction (0 <= fraction < 1) past sample kHalf - 1 of first,
  // from the TapCount samples first[0 .. TapCount - 1].
  static double At(const double* first, double fraction) {
    return Filter(Table(), first, fraction);
  }

  // Rows 0..FractionSteps hold the spline of each tap; row k is centred on a
  // fractional delay of 1 - k / FractionSteps.
  static const Row* Table() {
    static const TableBuilder built;
    return built.rows;
  }

 private:
  // Finds q with inputRate / outputRate = p / q and evaluates the filter of
  // each output position k = 0 .. q - 1 (at k p / q + startFraction), with
  // the whole input samples to move on after it.
  void BuildPhases() {
    const double limit = 4294967296.0;
    if (!(inputRate > 0 && inputRate < limit && outputRate > 0 && outputRate < limit) ||
        inputRate != std::floor(inputRate) || outputRate != std::floor(outputRate))
      return;
    const std::int64_t in = static_cast<std::int64_t>(inputRate);
    const std::int64_t out = static_cast<std::int64_t>(outputRate);
    const std::int64_t divisor = std::gcd(in, out);
    const std::int64_t p = in / divisor, q = out / divisor;
    if (q > kMaxPhases) return;
    const Row* table = Table();
    const int count = static_cast<int>(q);
    phaseTaps.assign(static_cast<std::size_t>(count) * kPaddedTaps, 0.0);
    phaseStep.assign(static_cast<std::size_t>(count), 0);
    phaseOffset.assign(static_cast<std::size_t>(count), 0);
    std::int64_t previousWhole = 0;
    for (int k = 0; k <= count; ++k) {
      const std::int64_t numerator = k * p;
      double f = static_cast<double>(numerator % q) / static_cast<double>(q) + startFraction;
      std::int64_t whole = numerator / q;
      if (f >= 1.0) {
        f -= 1.0;
        ++whole;
      }
      if (k > 0) phaseStep[k - 1] = static_cast<std::int32_t>(whole - previousWhole);
      previousWhole = whole;
      if (k == count) break;
      double d;
      const Row& r = RowAt(table, f, &d);
      double* taps = phaseTaps.data() + static_cast<std::size_t>(k) * kPaddedTaps;
      for (int t = 0; t < TapCount; ++t) taps[t] = r.c0[t] + (r.c1[t] + r.c2[t] * d) * d;
    }
    for (int k = 1; k < count; ++k) phaseOffset[k] = phaseOffset[k - 1] + phaseStep[k - 1];
    period = static_cast<int>(p);
    // Whole periods are taken four at a time while the line holds them.
    if (4 * p + phaseOffset[count - 1] + kPaddedTaps > kLine - TapCount) periodsFit = false;
  }

  // Every output the line's samples allow; returns how many. From the first
  // phase on, whole periods go to the kernel that lets each filter serve
  // several periods; outputs before and after them are taken in batches
  // whose sums the kernel runs side by side.
  int FromPhases(double* output) {
    const int phaseCount = PhaseCount();
    const int lastOffset = phaseOffset[phaseCount - 1];
    int produced = 0;
    while (have - read >= TapCount) {
      if (phase == 0 && periodsFit) {
        const int periods = (have - read - lastOffset - TapCount) / period + 1;
        if (periods >= 4) {
          DspDotPeriods(phaseTaps.data(), phaseOffset.data(), phaseCount, line.data() + read,
                        period, periods, kPaddedTaps, output + produced);
          produced += periods * phaseCount;
          read += periods * period;
          continue;
        }
      }
      constexpr int kBatch = 32;
      const double* taps[kBatch];
      const double* samples[kBatch];
      int n = 0;
      do {
        taps[n] = phaseTaps.data() + phase * kPaddedTaps;
        samples[n] = line.data() + read;
        read += phaseStep[phase];
        if (++phase == phaseCount) phase = 0;
        ++n;
      } while (n < kBatch && have - read >= TapCount && !(phase == 0 && periodsFit));
      DspDotRows(taps, samples, kPaddedTaps, n, output + produced);
      produced += n;
    }
    return produced;
  }

  // Every output the line's samples allow, each filter taken from the spline
  // at its position; returns how many.
  int FromSpline(double* output) {
    const Row* table = Table();
    const double ratio = inputRate / outputRate;
    int produced = 0;
    while (have - read >= TapCount) {
      output[produced++] = Filter(table, line.data() + read, fraction);
      // From a count times the ratio, never by adding the ratio up.
      ++outputCount;
      const double position = outputCount * ratio + positionOffset;
      const std::int32_t whole = static_cast<std::int32_t>(position);
      read += whole - wholePosition;
      wholePosition = whole;
      fraction = position - whole;
    }
    if (outputCount > 1000) {  // keep the count small
      positionOffset = fraction;
      outputCount = 0;
      wholePosition = 0;
    }
    return produced;
  }

  struct TableBuilder {
    Row rows[kRows];
    TableBuilder() {
      const double pi = std::acos(-1.0);
      for (int e = FractionSteps + 3; e >= -4; --e) {
        Row& row = rows[FractionSteps + 3 - e];
        const double phi = static_cast<double>(e) / FractionSteps;
        double sum = 0.0;
        for (int t = 0; t < TapCount; ++t) {
          const double x = t - kHalf + phi;
          double value = 0.0;
          if (x >= -kHalf && x <= kHalf) {
            const double w = Window(x, pi);
            value = std::fabs(x) <= 1e-13 ? w : w * std::sin(pi * x) / (pi * x);
          }
          row.c0[t] = value;
          sum += value;
        }
        for (int t = 0; t < TapCount; ++t) row.c0[t] /= sum;
      }
      // The spline pass reads c0 of rows k..k+7; row k's own c0 is rewritten
      // only after every row that reads it is done.
      for (int k = 0; k <= FractionSteps; ++k) {
        for (int t = 0; t < TapCount; ++t) {
          const double xm3 = rows[k].c0[t], xm2 = rows[k + 1].c0[t], xm1 = rows[k + 2].c0[t];
          const double x0 = rows[k + 3].c0[t], x1 = rows[k + 4].c0[t], x2 = rows[k + 5].c0[t];
          const double x3 = rows[k + 6].c0[t], x4 = rows[k + 7].c0[t];
          rows[k].c1[t] = (61 * (x1 - xm1) + 16 * (xm2 - x2) + 3 * (x3 - xm3)) / 76;
          rows[k].c2[t] =
              (106 * (xm1 + x1) + 10 * x3 + 6 * xm3 - 3 * x4 - 29 * (xm2 + x2) - 167 * x0) / 76;
          rows[k].c0[t] = x0;
        }
      }
    }
  };

  // The table row a fraction falls in, and where in the row (0 <= d < 1).
  static const Row& RowAt(const Row* table, double fraction, double* d) {
    const double x = fraction * FractionSteps;
    const int row = static_cast<int>(x);
    *d = x - row;
    return table[row];
  }

  static double Filter(const Row* table, const double* first, double fraction) {
    double d;
    const Row& r = RowAt(table, fraction, &d);
    return DspSplineDot(r.c0, r.c1, r.c2, first, TapCount, d);
  }

  // The 18-tap instance uses a product of raised cosines, the 24-tap one a
  // Kaiser window; both are raised to a power.
  static double Window(double x, double pi) {
    if (TapCount == 18) {
      const double p[4] = {0.27930548, 0.94898807, 0.70335882, 0.3208018};
      const double power = 0.59102482;
      double w = 1.0;
      int exponent = 1;
      for (int k = 0; k < 4; ++k, exponent *= 2)
        w *= std::pow((1.0 + std::cos(p[k] * pi * x / kHalf)) / 2.0, exponent);
      return w < 0 ? -std::pow(-w, power) : std::pow(w, power);
    }
    const double beta = 12.55262798, power = 1.51553897;
    const double r = x / kHalf;
    return std::pow(BesselI0(beta * std::sqrt(std::fmax(0.0, 1.0 - r * r))) / BesselI0(beta),
                    power);
  }

  double inputRate;
  double outputRate;
  double startFraction;
  // The padded taps reach up to kPaddedTaps - TapCount samples past the line.
  std::vector<double> line = std::vector<double>(kLine + kPaddedTaps, 0.0);
  std::int32_t have = 0;  // samples in the line
  std::int32_t read = 0;  // the next output's first tap
  std::int32_t outputCount = 0;
  std::int32_t wholePosition = 0;
  double fraction = 0.0;
  double positionOffset = 0.0;
  std::vector<double> phaseTaps;  // PhaseCount() rows of kPaddedTaps
  std::vector<std::int32_t> phaseStep;    // input samples to move on after each phase
  std::vector<std::int32_t> phaseOffset;  // each phase's first tap from its period's start
  int period = 0;                         // input samples a period of phases moves on
  bool periodsFit = true;
  int phase = 0;
};

// Both tables are built when the program starts, not on the first call.
inline const auto* const kInterpolatorTable18 = DspFracInterpolator<18, 137>::Table();
inline const auto* const kInterpolatorTable24 = DspFracInterpolator<24, 673>::Table();

}  // namespace resamp
