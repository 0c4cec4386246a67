// Resampler throughput in input samples per second (one channel), ours against
// libsoxr's very-high-quality preset on the same conversions in the same run.
#include <benchmark/benchmark.h>
#include <soxr.h>

#include <cmath>
#include <vector>

#include "resampler/DspResampler.h"

namespace {

std::vector<double> Signal(int n) {
  std::vector<double> x(n);
  for (int i = 0; i < n; ++i) x[i] = 0.5 * std::sin(0.0712 * i) + 0.25 * std::sin(0.9 * i);
  return x;
}

template <typename Resampler>
void BM_Resampler(benchmark::State& state) {
  const double from = static_cast<double>(state.range(0)), to = static_cast<double>(state.range(1));
  Resampler resampler(from, to);
  const std::vector<double> input = Signal(1024);
  for (auto _ : state) {
    double* out = nullptr;
    benchmark::DoNotOptimize(resampler.Process(input.data(), 1024, out));
    benchmark::DoNotOptimize(out);
  }
  state.SetItemsProcessed(state.iterations() * 1024);
}
BENCHMARK_TEMPLATE(BM_Resampler, resamp::DspResampler16)->Args({44100, 48000})->Args({48000, 44100});
BENCHMARK_TEMPLATE(BM_Resampler, resamp::DspResampler24)->Args({44100, 48000})->Args({48000, 44100});

void BM_SoxrVeryHighQuality(benchmark::State& state) {
  const double from = static_cast<double>(state.range(0)), to = static_cast<double>(state.range(1));
  soxr_error_t error = nullptr;
  const soxr_io_spec_t io = soxr_io_spec(SOXR_FLOAT64_I, SOXR_FLOAT64_I);
  const soxr_quality_spec_t quality = soxr_quality_spec(SOXR_VHQ, 0);
  soxr_t soxr = soxr_create(from, to, 1, &error, &io, &quality, nullptr);
  if (error != nullptr) {
    state.SkipWithError("soxr_create failed");
    return;
  }
  const std::vector<double> input = Signal(1024);
  std::vector<double> output(4096);
  for (auto _ : state) {
    std::size_t consumed = 0, produced = 0;
    soxr_process(soxr, input.data(), 1024, &consumed, output.data(), output.size(), &produced);
    benchmark::DoNotOptimize(output.data());
  }
  state.SetItemsProcessed(state.iterations() * 1024);
  soxr_delete(soxr);
}
BENCHMARK(BM_SoxrVeryHighQuality)->Args({44100, 48000})->Args({48000, 44100});

}  // namespace
