// Once a clip is analysed, processing blocks allocate nothing: not while
// playing stretched, nor in audition, nor on the display ticks.
#include <gtest/gtest.h>

#include <cmath>

#include "effect/Stretch.h"
#include "tests/audio/TestAudioFiles.h"
#include "tests/support/AllocationCounter.h"

TEST(StretchAllocation, PlaybackAuditionAndDisplayTicksAllocateNothing) {
  WaveLayout layout;
  std::vector<std::int64_t> samples;
  for (int i = 0; i < 30000; ++i) {
    const double v = 0.4 * std::sin(0.05 * i) * (i % 5000 < 200 ? 2.0 : 1.0);
    samples.push_back(std::lround(v * 32767));
    samples.push_back(std::lround(-v * 32767));
  }
  const std::string path = WriteTemp("allocation.wav", MakeWave(layout, samples));

  Stretch stretch(nullptr);
  stretch.Effect()->dispatcher(stretch.Effect(), effOpen, 0, 0, nullptr, 0.f);
  stretch.LoadFile(path.c_str());
  std::vector<double> left(512), right(512);
  double* outs[2] = {left.data(), right.data()};
  while (stretch.Engine().analysisPending) stretch.ProcessBlock(nullptr, outs, 512);
  stretch.Param(kRateNom)->SetValue(0.3);
  stretch.ParamChanged(kRateNom);
  stretch.Param(kDir)->SetValue(3);
  stretch.ParamChanged(kDir);

  AllocationCounter counter;
  for (int k = 0; k < 60; ++k) stretch.ProcessBlock(nullptr, outs, 512);
  stretch.Param(kAudition)->SetValue(1);
  stretch.ParamChanged(kAudition);
  for (int k = 0; k < 80; ++k) stretch.ProcessBlock(nullptr, outs, 512);  // runs past the end
  EXPECT_FALSE(stretch.Auditioning());
  EXPECT_EQ(counter.Count(), 0);
}
