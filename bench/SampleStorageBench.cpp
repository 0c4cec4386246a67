// Loading a 10-minute 44.1 kHz stereo clip in 1024-sample pieces into a clip
// whose pools already hold the blocks, and reading one channel at random.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdint>
#include <vector>

#include "audio/AudioClip.h"

namespace {

constexpr int kTenMinuteFrames = 44100 * 600;

bool LoadTenMinutes(AudioClip& clip, const std::vector<double>& piece) {
  for (int done = 0; done < kTenMinuteFrames; done += 1024) {
    const int n = std::min(1024, kTenMinuteFrames - done);
    if (!clip.left.Append(n, piece.data()) || !clip.right.Append(n, piece.data())) return false;
  }
  return true;
}

void BM_AppendTenMinuteStereo(benchmark::State& state) {
  AudioClip clip;
  std::vector<double> piece(1024);
  for (int i = 0; i < 1024; ++i) piece[i] = (i % 97) / 97.0;
  // One untimed load first, so that every timed round reloads from the pools.
  if (!LoadTenMinutes(clip, piece)) {
    state.SkipWithError("out of memory");
    return;
  }
  for (auto _ : state) {
    clip.Clear();
    if (!LoadTenMinutes(clip, piece)) {
      state.SkipWithError("out of memory");
      break;
    }
    benchmark::DoNotOptimize(clip.left.At(kTenMinuteFrames - 1));
  }
  state.SetItemsProcessed(state.iterations() * 2LL * kTenMinuteFrames);
}
BENCHMARK(BM_AppendTenMinuteStereo)->Unit(benchmark::kMillisecond);

void BM_RandomRead(benchmark::State& state) {
  ExtensibleSampleBuffer<double> channel;
  std::vector<double> piece(1024, 0.5);
  for (int done = 0; done < kTenMinuteFrames; done += 1024) {
    if (!channel.Append(std::min(1024, kTenMinuteFrames - done), piece.data())) {
      state.SkipWithError("out of memory");
      return;
    }
  }
  // A fixed xorshift32 sequence, so every run reads the same positions.
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
