// What a musician waits for after handing a clip to the plug-in in a host
// playing at 512-frame blocks and 44.1 kHz: the state chunk naming a 60 s
// stereo 24-bit clip is set, then processing calls run with the transport
// playing until one sounds. Host time counts the state call's own time plus
// one block's duration per silent call; the longest call is what a host's
// deadline has to cover.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <string>

#include "host/Renderer.h"
#include "module/StretchAssembly.h"

namespace {

constexpr int kRate = 44100;
constexpr int kBlock = 512;

using Clock = std::chrono::steady_clock;

double Seconds(Clock::duration d) { return std::chrono::duration<double>(d).count(); }

void BM_FirstSoundAfterStateChunk(benchmark::State& state) {
  for (auto _ : state) {
    Renderer renderer;
    std::string error;
    if (!renderer.Open(NewStretchEffect, "the built-in Dilatorix", kRate, kBlock, &error)) {
      state.SkipWithError(error.c_str());
      return;
    }
    const Clock::time_point handed = Clock::now();
    if (!renderer.LoadClip(DILATORIX_BENCH_CLIP, renderer.Values(), &error)) {
      state.SkipWithError(error.c_str());
      return;
    }
    const double loadSeconds = Seconds(Clock::now() - handed);
    int silentCalls = 0;
    double longestSeconds = 0.0;
    Clock::time_point last = Clock::now();
    const Renderer::Sink sink = [&](const double* const* channels, int n) {
      const Clock::time_point now = Clock::now();
      longestSeconds = std::max(longestSeconds, Seconds(now - last));
      last = now;
      const bool sounds =
          std::any_of(channels[0], channels[0] + n, [](double v) { return v != 0.0; });
      if (!sounds) ++silentCalls;
      return !sounds && silentCalls < 60 * kRate / kBlock;  // false stops at the first sound
    };
    renderer.Render(60ull * kRate, sink, {}, &error);
    state.counters["load_ms"] = loadSeconds * 1e3;
    state.counters["silent_calls"] = silentCalls;
    state.counters["first_sound_s"] =
        loadSeconds + silentCalls * static_cast<double>(kBlock) / kRate;
    state.counters["longest_call_ms"] = longestSeconds * 1e3;
    state.counters["block_share_pct"] =
        longestSeconds / (static_cast<double>(kBlock) / kRate) * 100;
  }
}
BENCHMARK(BM_FirstSoundAfterStateChunk)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace
