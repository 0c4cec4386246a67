#include <gtest/gtest.h>

#include <cmath>

#include "dsp/ComplexFrame.h"
#include "dsp/FftBufferList.h"
#include "dsp/ResizableBuffer.h"
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

TEST(FftBufferList, GrowsByEightAndOwnsItsFrames) {
  FftBufferList list;
  EXPECT_EQ(list.Capacity(), 24);
  for (int i = 0; i < 24; ++i) ASSERT_TRUE(list.Add(std::make_unique<ComplexFrame>(8)));
  EXPECT_EQ(list.Capacity(), 24);
  ComplexFrame* first = list.At(0);
  ASSERT_TRUE(list.Add(std::make_unique<ComplexFrame>(8)));
  EXPECT_EQ(list.Capacity(), 33);
  EXPECT_EQ(list.Count(), 25);
  EXPECT_EQ(list.At(0), first);
  list.Clear();
  EXPECT_EQ(list.Count(), 0);
  EXPECT_EQ(list.Capacity(), 33);
  ASSERT_TRUE(list.Add(std::make_unique<ComplexFrame>()));
  EXPECT_EQ(list.At(0)->size, 512);
}

TEST(ComplexFrame, ZeroFilledOfTheRequestedSize) {
  ComplexFrame frame(4096);
  ASSERT_NE(frame.data, nullptr);
  EXPECT_EQ(frame.size, 4096);
  for (int i = 0; i < 2 * 4096; ++i) ASSERT_EQ(frame.data[i], 0.0);
  ComplexFrame none(0);
  EXPECT_EQ(none.data, nullptr);
  EXPECT_EQ(none.size, 0);
}

TEST(Window, HannShapesAndSynthesisScale) {
  Window fresh;
  EXPECT_EQ(fresh.type, Window::kRectangular);
  EXPECT_EQ(fresh.length, 4);
  EXPECT_EQ(fresh.values.capacity, 36);
  EXPECT_EQ(fresh.values.data[3], 1.0);

  Window periodic;
  ASSERT_TRUE(periodic.MakeHann(4096, true));
  EXPECT_EQ(periodic.type, Window::kHannPeriodic);
  EXPECT_EQ(periodic.values.data[0], 0.0);
  EXPECT_EQ(periodic.values.data[2048], 1.0);
  EXPECT_NEAR(periodic.values.data[1024], 0.5, 1e-15);
  EXPECT_GT(periodic.values.data[4095], 0.0);

  Window symmetric;
  ASSERT_TRUE(symmetric.MakeHann(4096, false));
  EXPECT_EQ(symmetric.type, Window::kHannSymmetric);
  EXPECT_EQ(symmetric.values.data[0], 0.0);
  EXPECT_EQ(symmetric.values.data[4095], 0.0);

  // The periodic window's squares overlap-add to a constant at a hop of a
  // quarter (the symmetric one's do not); scaling divides every value.
  for (int i = 0; i < 1024; ++i) {
    double sum = 0;
    for (int k = 0; k < 4; ++k) sum += std::pow(periodic.values.data[i + 1024 * k], 2);
    ASSERT_NEAR(sum, 1.5, 1e-12) << i;
  }
  Window synthesis;
  ASSERT_TRUE(synthesis.MakeHann(4096, true));
  synthesis.Scale(2.0 / (2048 * 4));
  EXPECT_EQ(synthesis.values.data[2048], 1.0 / 4096);

  // Between its values the window follows its own curve, scale included, and
  // is 0 outside.
  EXPECT_NEAR(synthesis.At(2048.0), 1.0 / 4096, 1e-18);
  EXPECT_NEAR(synthesis.At(1000.0), synthesis.values.data[1000], 1e-18);
  EXPECT_NEAR(periodic.At(1024.5), 0.5 - 0.5 * std::cos(2 * kPi * 1024.5 / 4096), 1e-15);
  EXPECT_NEAR(symmetric.At(4095.0), 0.0, 1e-15);
  EXPECT_EQ(periodic.At(-0.5), 0.0);
  EXPECT_EQ(periodic.At(4095.5), 0.0);
  EXPECT_FALSE(synthesis.MakeHann(1, true));
}

}  // namespace
