#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "resampler/DspFracInterpolator.h"

namespace {

const double kPi = std::acos(-1.0);
using Interpolator16 = resamp::DspFracInterpolator<18, 137>;
using Interpolator24 = resamp::DspFracInterpolator<24, 673>;

// Feeds the input in calls of `block` samples and collects every output.
template <typename Interpolator>
std::vector<double> Stream(Interpolator& stage, const std::vector<double>& input, int block) {
  std::vector<double> out;
  std::vector<double> buffer(stage.MaxOutputFor(block));
  for (std::size_t done = 0; done < input.size(); done += block) {
    const int n = static_cast<int>(std::min<std::size_t>(block, input.size() - done));
    double* where = buffer.data();
    const int produced = stage.Process(input.data() + done, n, where);
    EXPECT_LE(produced, stage.MaxOutputFor(n));
    out.insert(out.end(), where, where + produced);
  }
  return out;
}

double Sine(double hz, double rate, double position) {
  return std::sin(2 * kPi * hz * position / rate);
}

template <typename Interpolator>
void CheckTableRows(int fractionSteps) {
  const auto* table = Interpolator::Table();
  for (int row = 0; row <= fractionSteps; ++row) {
    double sum = 0;
    for (int t = 0; t < Interpolator::kHalf * 2; ++t) sum += table[row].c0[t];
    ASSERT_NEAR(sum, 1.0, 1e-12) << row;
  }
  // Row 0 is centred on a whole sample: a unit tap at M - 1.
  EXPECT_NEAR(table[0].c0[Interpolator::kHalf - 1], 1.0, 1e-9);
}

TEST(DspFracInterpolator, TableRowsSumToOne) {
  CheckTableRows<Interpolator16>(137);
  CheckTableRows<Interpolator24>(673);
}

template <typename Interpolator>
double WorstError(double inRate, double outRate, double hz, int block, double start = 0.0) {
  Interpolator stage(inRate, outRate, start);
  std::vector<double> input(20000);
  for (std::size_t i = 0; i < input.size(); ++i)
    input[i] = Sine(hz, inRate, static_cast<double>(i));
  const std::vector<double> out = Stream(stage, input, block);
  // Output k stands for input time k * S' / D; skip the edges the taps reach past.
  double worst = 0;
  for (std::size_t k = 100; k + 100 < out.size(); ++k) {
    const double expected = Sine(hz, inRate, k * inRate / outRate + start);
    worst = std::max(worst, std::abs(out[k] - expected));
  }
  return worst;
}

TEST(DspFracInterpolator, OutputsStandForExactInputTimes) {
  // Equal rates: the input again, output k for input k.
  EXPECT_LT(WorstError<Interpolator16>(44100, 44100, 1000, 1024), 3e-7);
  EXPECT_LT(WorstError<Interpolator24>(44100, 44100, 1000, 1024), 1e-8);
  // The ratios the resampler leaves to this stage, in calls of odd sizes that
  // cross the count's rebase after 1000 outputs.
  for (int block : {1024, 77, 1}) {
    // About -135 dB and -170 dB of error for the two classes.
    EXPECT_LT(WorstError<Interpolator16>(88200, 48000, 1000, block), 3e-7) << block;
    EXPECT_LT(WorstError<Interpolator16>(88200, 48000, 19000, block), 1e-6) << block;
    EXPECT_LT(WorstError<Interpolator24>(96000, 44100, 1000, block), 1e-8) << block;
    EXPECT_LT(WorstError<Interpolator24>(88200, 48000, 19000, block), 1e-8) << block;
  }
  // With a start fraction handed over, by evaluated filters (80 positions
  // repeat) and from the spline (a ratio whose positions repeat too rarely).
  EXPECT_EQ(Interpolator24(88200, 48000, 0.37).PhaseCount(), 80);
  EXPECT_EQ(Interpolator24(88200, 47999, 0.37).PhaseCount(), 0);
  EXPECT_EQ(Interpolator24(88200.5, 48000, 0.37).PhaseCount(), 0);
  for (int block : {1024, 77}) {
    EXPECT_LT(WorstError<Interpolator24>(88200, 48000, 5000, block, 0.37), 1e-8) << block;
    EXPECT_LT(WorstError<Interpolator24>(88200, 47999, 5000, block, 0.37), 1e-8) << block;
    EXPECT_LT(WorstError<Interpolator16>(16000, 44100, 2000, block, 0.81), 1e-6) << block;
  }
}

// The filter read at any position of a buffer: what grains are resampled with.
TEST(DspFracInterpolator, ReadsABufferAtAnyPosition) {
  std::vector<double> input(200);
  for (std::size_t i = 0; i < input.size(); ++i)
    input[i] = Sine(3000, 44100, static_cast<double>(i));
  double worst = 0;
  for (double position = 50; position < 150; position += 0.37) {
    const int whole = static_cast<int>(position);
    const double value =
        Interpolator24::At(input.data() + whole - (Interpolator24::kHalf - 1), position - whole);
    worst = std::max(worst, std::abs(value - Sine(3000, 44100, position)));
  }
  EXPECT_LT(worst, 1e-8);
}

TEST(DspFracInterpolator, StartsOnlyWithEnoughInputAndRestartsExactly) {
  Interpolator16 stage(88200, 48000, 0.0);
  std::vector<double> input(9, 0.5);
  std::vector<double> out(16);
  double* where = out.data();
  EXPECT_EQ(stage.Process(input.data(), 9, where), 0);  // M = 9 inputs are not enough
  const double one = 0.5;
  EXPECT_EQ(stage.Process(&one, 1, where), 1);

  // A constant comes out constant.
  std::vector<double> constant(5000, 0.25);
  Interpolator24 flat(96000, 44100, 0.0);
  const std::vector<double> level = Stream(flat, constant, 333);
  for (std::size_t k = 20; k + 20 < level.size(); ++k) ASSERT_NEAR(level[k], 0.25, 1e-7) << k;

  // Clear gives the same stream again.
  std::vector<double> sine(3000);
  for (std::size_t i = 0; i < sine.size(); ++i) sine[i] = Sine(700, 88200, static_cast<double>(i));
  Interpolator16 again(88200, 48000, 0.0);
  const std::vector<double> first = Stream(again, sine, 500);
  again.Clear();
  EXPECT_EQ(Stream(again, sine, 500), first);
  EXPECT_EQ(again.MaxOutputFor(1024), static_cast<int>(std::ceil(1024 * 48000.0 / 88200)) + 1);
  EXPECT_EQ(again.InputNeededFor(10), 19);
}

}  // namespace
