// Appending a 10-minute stereo clip in 1024-sample pieces, and random reads.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <vector>

#include "audio/AudioClip.h"

namespace {

constexpr int kTenMinuteFrames = 44100 * 600;

void BM_AppendTenMinuteStereo(benchmark::State& state) {
  AudioClip clip;
  std::vector<double> piece(1024);
  for (int i = 0; i < 1024; ++i) piece[i] = (i % 97) / 97.0;
  for (auto _ : state) {
    clip.Clear();  // the pools keep the blocks: later rounds reuse them
    for (int done = 0; done < kTenMinuteFrames; done += 1024) {
      const int n = std::min(1024, kTenMinuteFrames - done);
      clip.left.Append(n, piece.data());
      clip.right.Append(n, piece.data());
    }
    benchmark::DoNotOptimize(clip.left.At(kTenMinuteFrames - 1));
  }
  state.SetItemsProcessed(state.iterations() * 2LL * kTenMinuteFrames);
}
BENCHMARK(BM_AppendTenMinuteStereo)->Unit(benchmark::kMillisecond);

void BM_RandomRead(benchmark::State& state) {
  ExtensibleSampleBuffer<double> channel;
  std::vector<double> piece(1024, 0.5);
  for (int done = 0; done < kTenMinuteFrames; done += 1024) channel.Append(1024, piece.data());
  std::uint32_t x = 2463534242u;
  double sum = 0;
  for (auto _ : state) {
    for (int k = 0; k < 1024; ++k) {
      x ^= x << 13;
      x ^= x >> 17;
      x ^= x << 5;
      sum += channel.At(static_cast<int>(x % kTenMinuteFrames));
    }
    benchmark::DoNotOptimize(sum);
  }
  state.SetItemsProcessed(state.iterations() * 1024);
}
BENCHMARK(BM_RandomRead);

}  // namespace
