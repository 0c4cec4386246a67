#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "dsp/ComplexFrame.h"
#include "dsp/FftBufferList.h"
#include "dsp/ResizableBuffer.h"
#include "dsp/SpectralFrame.h"
#include "dsp/VariableLengthArray.h"
#include "dsp/Window.h"

namespace {

const double kPi = std::acos(-1.0);

TEST(ResizableBuffer, GrowsWithSlackAndKeepsItsArrayWhenLargeEnough) {
  ResizableBuffer<double> buffer;
  EXPECT_EQ(buffer.capacity, 0);
  ASSERT_TRUE(buffer.Allocate(4096));
  EXPECT_EQ(buffer.capacity, 4128);
  buffer.Fill(0.0);
  buffer.data[10] = 3.5;
  double* before = buffer.data;
  ASSERT_TRUE(buffer.Allocate(4100));
  EXPECT_EQ(buffer.data, before);
  EXPECT_EQ(buffer.data[10], 3.5);
}

TEST(VariableLengthArray, KeepsElementsAcrossGrowth) {
  VariableLengthArray<double, 32> curve;
  EXPECT_EQ(curve.capacity, 32);
  EXPECT_EQ(curve.count, 0);
  ASSERT_TRUE(curve.Resize(10));
  curve.count = 10;
  for (int i = 0; i < 10; ++i) curve.data[i] = i * 0.5;
  ASSERT_TRUE(curve.Resize(100));
  EXPECT_EQ(curve.capacity, 132);
  for (int i = 0; i < 10; ++i) EXPECT_EQ(curve.data[i], i * 0.5);
  curve.Release();
  EXPECT_EQ(curve.data, nullptr);
  EXPECT_EQ(curve.capacity, 0);
  ASSERT_TRUE(curve.Resize(5));
  EXPECT_EQ(curve.capacity, 37);

  struct Row {
    int first;
    double weight;
  };
  VariableLengthArray<Row, 4> rows;
  EXPECT_EQ(rows.capacity, 4);
  ASSERT_TRUE(rows.Resize(6));
  EXPECT_EQ(rows.capacity, 10);
}

// Frames come zeroed, stay where they are as the list grows past its pointer
// array and its blocks, and may differ in size.
TEST(FftBufferList, GrowsByEightAndKeepsItsFramesInPlace) {
  FftBufferList list;
  EXPECT_EQ(list.Capacity(), 24);
  EXPECT_EQ(list.Append(0), nullptr);
  EXPECT_EQ(list.Count(), 0);
  for (int i = 0; i < 24; ++i) ASSERT_NE(list.Append(8), nullptr);
  EXPECT_EQ(list.Capacity(), 24);
  SpectralFrame* first = list.At(0);
  first->Set(4, 2.5, 0.0);
  ASSERT_NE(list.Append(16), nullptr);
  EXPECT_EQ(list.Capacity(), 33);
  EXPECT_EQ(list.Count(), 25);
  EXPECT_EQ(list.At(0), first);
  EXPECT_EQ(list.At(24)->BinCount(), 9);
  for (int i = 0; i < 3 * FftBufferList::kFramesPerBlock; ++i) {
    SpectralFrame* frame = list.Append(4096);
    ASSERT_NE(frame, nullptr);
    ASSERT_EQ(frame->size, 4096);
    for (int b = 0; b < 2049; ++b) ASSERT_EQ(frame->Magnitude(b), 0.0) << i;
    frame->Set(0, i, 0.0);
    frame->bins[2048].phase = static_cast<std::uint16_t>(i);
  }
  for (int i = 0; i < 3 * FftBufferList::kFramesPerBlock; ++i) {
    ASSERT_EQ(list.At(25 + i)->Magnitude(0), i);
    ASSERT_EQ(list.At(25 + i)->bins[2048].phase, static_cast<std::uint16_t>(i));
  }
  EXPECT_EQ(first->Magnitude(4), 2.5);
  list.Clear();
  EXPECT_EQ(list.Count(), 0);
  EXPECT_EQ(list.Capacity(), 123);
  ASSERT_NE(list.Append(4096), nullptr);
  EXPECT_EQ(list.At(0)->Magnitude(0), 0.0);
}

// Memory reserved for one clip serves the next: frames of a reused block come
// zeroed again, and a list that is not empty takes no reservation.
TEST(FftBufferList, ReservedBlocksServeTheNextClipZeroed) {
  FftBufferList list;
  ASSERT_TRUE(list.Reserve(70, 4096));
  EXPECT_GE(list.Capacity(), 70);
  for (int i = 0; i < 70; ++i) {
    SpectralFrame* frame = list.Append(4096);
    ASSERT_NE(frame, nullptr);
    for (int b = 0; b < 2049; ++b) frame->Set(b, 1.0, 0.5);
  }
  EXPECT_FALSE(list.Reserve(10, 4096));
  list.Clear();
  ASSERT_TRUE(list.Reserve(40, 4096));
  for (int i = 0; i < 80; ++i) {  // past the reservation: blocks are taken as needed
    SpectralFrame* frame = list.Append(4096);
    ASSERT_NE(frame, nullptr);
    for (int b = 0; b < 2049; ++b) {
      ASSERT_EQ(frame->Magnitude(b), 0.0) << i;
      ASSERT_EQ(frame->Phase(b), 0.0) << i;
    }
    frame->Set(0, i, 0.0);
  }
  for (int i = 0; i < 80; ++i) ASSERT_EQ(list.At(i)->Magnitude(0), i);
  list.Clear();
  ASSERT_TRUE(list.Reserve(3, 64));  // another size: the old blocks go
  ASSERT_NE(list.Append(64), nullptr);
  EXPECT_EQ(list.At(0)->BinCount(), 33);
}

// A list reserved on one side is put in place by a swap: frames, blocks and
// the filling position change hands, and a released list starts from nothing.
TEST(FftBufferList, SwapTradesFramesAndReleaseGivesEverythingBack) {
  FftBufferList playing, prepared;
  for (int i = 0; i < 40; ++i) playing.Append(64)->Set(0, i + 1.0, 0.0);
  ASSERT_TRUE(prepared.Reserve(50, 4096));
  const int reservedCapacity = prepared.Capacity();

  playing.Swap(prepared);
  EXPECT_EQ(playing.Count(), 0);
  EXPECT_EQ(playing.Capacity(), reservedCapacity);
  ASSERT_EQ(prepared.Count(), 40);
  for (int i = 0; i < 40; ++i) ASSERT_EQ(prepared.At(i)->Magnitude(0), i + 1.0);
  for (int i = 0; i < 50; ++i) {
    SpectralFrame* frame = playing.Append(4096);
    ASSERT_NE(frame, nullptr);
    ASSERT_EQ(frame->Magnitude(100), 0.0);
  }

  prepared.Release();
  EXPECT_EQ(prepared.Count(), 0);
  ASSERT_NE(prepared.Append(64), nullptr);  // blocks are taken afresh
  EXPECT_EQ(prepared.At(0)->BinCount(), 33);
  EXPECT_EQ(playing.At(49)->size, 4096);
}

TEST(ComplexFrame, ZeroFilledOfTheRequestedSize) {
  ComplexFrame frame(4096);
  ASSERT_NE(frame.data, nullptr);
  EXPECT_EQ(frame.size, 4096);
  for (int i = 0; i < 2 * 4096; ++i) ASSERT_EQ(frame.data[i], 0.0);
  EXPECT_EQ(ComplexFrame().size, 512);
  ComplexFrame none(0);
  EXPECT_EQ(none.data, nullptr);
  EXPECT_EQ(none.size, 0);
}

// Magnitudes come back within 2^-12 of their value over 2^-16 .. 2^16, as
// zero below and clamped above; phases go in as radians and come out within
// half a 16-bit step of a turn; the increments between frames wrap into
// [-pi, pi) and add up, frame after frame, to the last phase without drifting.
TEST(SpectralFrame, KeepsTheUpperHalfOfTheBinsInFourBytesEach) {
  FftBufferList list;
  ASSERT_NE(list.Append(4096), nullptr);
  SpectralFrame& frame = *list.At(0);
  EXPECT_EQ(frame.BinCount(), 2049);
  const double halfStep = kPi / 65536;

  std::vector<double> polar(2 * 2049);
  for (int b = 0; b < 2049; ++b) {
    polar[2 * b] = std::pow(2.0, -16.0 + b * (31.0 / 2049)) * (1.0 + 0.37 * std::sin(b));
    polar[2 * b + 1] = -kPi + b * (2 * kPi / 2048);  // -pi .. pi
  }
  frame.Store(polar.data());
  for (int b = 0; b < 2049; ++b) {
    const double magnitude = polar[2 * b];
    if (magnitude < 1.0 / 65536) {
      ASSERT_LE(frame.Magnitude(b), 1.0 / 65536) << b;
    } else {
      ASSERT_NEAR(frame.Magnitude(b), magnitude, magnitude / 4096) << b;
    }
    ASSERT_NEAR(std::remainder(frame.Phase(b) - polar[2 * b + 1], 2 * kPi), 0.0, halfStep) << b;
    ASSERT_GE(frame.Phase(b), -kPi);
    ASSERT_LT(frame.Phase(b), kPi);
  }
  // The ends of the magnitude range, and what is not a magnitude.
  const double nan = std::nan("");
  const double edges[][2] = {{0.0, 0.0},
                             {-1.0, 0.0},
                             {nan, 0.0},
                             {0.99e-5, 0.0},
                             {1.0e-300, 0.0},
                             {1.0, 1.0},
                             {2048.0, 2048.0},
                             {65000.0, 65000.0},
                             {1.0 / 65536, 1.0 / 65536},
                             {1e9, 65536.0 * (1 - 1.0 / 2048)}};
  for (const auto& edge : edges) {
    frame.Set(7, edge[0], 0.0);
    EXPECT_NEAR(frame.Magnitude(7), edge[1], edge[1] / 4096) << edge[0];
  }
  // Whole turns drop out.
  EXPECT_NEAR(SpectralFrame::TurnsToRadians(SpectralFrame::RadiansToTurns(0.25 + 2e3 * kPi)), 0.25,
              halfStep);
  EXPECT_NEAR(SpectralFrame::TurnsToRadians(SpectralFrame::RadiansToTurns(-3 * kPi + 0.5)),
              -kPi + 0.5, halfStep);

  // A partial turning 3.5 rad per frame for 100000 frames: every increment
  // wraps to -2.783 rad, and their sum lands on the last stored phase.
  const double step = 3.5;
  std::vector<double> one(2 * 2049, 0.0);
  ASSERT_NE(list.Append(4096), nullptr);
  SpectralFrame* pair[2] = {list.At(0), list.At(1)};
  double sum = 0.0;
  for (int k = 0; k < 100000; ++k) {
    one[1] = std::remainder(k * step, 2 * kPi);
    SpectralFrame& after = *pair[k % 2];
    after.Store(one.data());
    const double increment = after.Increment(k > 0 ? pair[(k + 1) % 2] : nullptr, 0);
    if (k > 0) {
      ASSERT_NEAR(increment, step - 2 * kPi, 2 * halfStep) << k;
    }
    sum = std::remainder(sum + increment, 2 * kPi);
  }
  EXPECT_NEAR(std::remainder(sum - pair[99999 % 2]->Phase(0), 2 * kPi), 0.0, 1e-9);
  EXPECT_NEAR(std::remainder(sum - 99999 * step, 2 * kPi), 0.0, halfStep);
}

}  // namespace
