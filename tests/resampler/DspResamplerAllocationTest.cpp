#include <gtest/gtest.h>

#include <vector>

#include "resampler/DspResampler.h"
#include "tests/support/AllocationCounter.h"

namespace {

TEST(AllocationCounter, SeesAnAllocation) {
  AllocationCounter counter;
  std::vector<double> grown(100, 1.0);
  EXPECT_EQ(counter.Count(), 1);
  EXPECT_EQ(grown[99], 1.0);
}

TEST(DspResampler, ProcessAllocatesNothing) {
  std::vector<double> input(1024, 0.25);
  resamp::DspResampler24 up(44100, 48000), down(192000, 44100);
  resamp::DspResampler16 half(88200, 44100);
  AllocationCounter counter;
  for (int i = 0; i < 20; ++i) {
    double* out = nullptr;
    up.Process(input.data(), 1024, out);
    down.Process(input.data(), 1024, out);
    half.Process(input.data(), 1000, out);
  }
  EXPECT_EQ(counter.Count(), 0);
}

}  // namespace
