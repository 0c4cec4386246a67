// Load time of a 5-minute stereo 24-bit WAVE file, at equal rates and
// converted from 44.1 to 48 kHz.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "audio/AudioFile.h"

namespace {

constexpr int kFrames = 44100 * 300;

void Put(std::vector<std::uint8_t>& b, std::uint32_t v, int n) {
  for (int i = 0; i < n; ++i) b.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}

const std::string& FiveMinuteFile() {
  static const std::string path = [] {
    const std::string name = "/tmp/dilatorix-bench-5min-24bit.wav";
    std::vector<std::uint8_t> b;
    const std::uint32_t dataBytes = kFrames * 2 * 3;
    b.insert(b.end(), {'R', 'I', 'F', 'F'});
    Put(b, 36 + dataBytes, 4);
    b.insert(b.end(), {'W', 'A', 'V', 'E', 'f', 'm', 't', ' '});
    Put(b, 16, 4);
    Put(b, 1, 2);
    Put(b, 2, 2);
    Put(b, 44100, 4);
    Put(b, 44100 * 6, 4);
    Put(b, 6, 2);
    Put(b, 24, 2);
    b.insert(b.end(), {'d', 'a', 't', 'a'});
    Put(b, dataBytes, 4);
    b.reserve(b.size() + dataBytes);
    for (int f = 0; f < kFrames; ++f) {
      Put(b, static_cast<std::uint32_t>((f * 2654435761u) >> 8), 3);
      Put(b, static_cast<std::uint32_t>((f * 40503u) << 4), 3);
    }
    std::FILE* file = std::fopen(name.c_str(), "wb");
    if (file != nullptr) {
      std::fwrite(b.data(), 1, b.size(), file);
      std::fclose(file);
    }
    return name;
  }();
  return path;
}

// Arguments: the target rate, and whether the clip's memory is the one an
// earlier load used (1: the second load into an instance) or fresh from the
// system (0: the first, which has its memory mapped).
void BM_LoadFiveMinuteStereo24(benchmark::State& state) {
  const std::string& path = FiveMinuteFile();
  const double target = static_cast<double>(state.range(0));
  const bool warm = state.range(1) != 0;
  AudioFile reused;
  if (warm && !reused.Load(path, target)) state.SkipWithError("load failed");
  for (auto _ : state) {
    if (warm) {
      if (!reused.Load(path, target)) state.SkipWithError("load failed");
    } else {
      AudioFile fresh;
      if (!fresh.Load(path, target)) state.SkipWithError("load failed");
      state.PauseTiming();  // giving the memory back is not part of the load
    }
    if (!warm) state.ResumeTiming();
  }
  state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(kFrames) * 2);
}
BENCHMARK(BM_LoadFiveMinuteStereo24)
    ->ArgNames({"rate", "warm"})
    ->Args({44100, 1})
    ->Args({44100, 0})
    ->Args({48000, 1})
    ->Args({48000, 0})
    ->Iterations(3)
    ->Unit(benchmark::kMillisecond);

}  // namespace
