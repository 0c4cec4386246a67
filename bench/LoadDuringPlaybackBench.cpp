// What the host's audio thread meets while a 10-minute stereo 24-bit file is
// handed over during playback. One thread plays 512-frame blocks at the pace of
// a 44.1 kHz device (each call starts a block's duration after the one before),
// already playing a minute-long clip; another hands over the long file, as a
// drop from the editor (argument 0) or as a state a host restores (argument 1).
// The counters: how long the hand-over took, how many calls started while it
// ran with the old clip still in place and the longest of them, which is the
// longest the audio thread waited on the plug-in's lock plus its own work.
// The call during which the new clip came in (its file name shown) is
// counted apart (switch_call_ms): it may wait for the swap itself and then
// starts analysing the new clip, within its share of the block by design;
// the calls after it are left out.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <string>
#include <thread>

#include "core/StateChunk.h"
#include "effect/Stretch.h"
#include "module/StretchAssembly.h"

namespace {

constexpr int kRate = 44100;
constexpr int kBlock = 512;

using Clock = std::chrono::steady_clock;

double Seconds(Clock::duration d) { return std::chrono::duration<double>(d).count(); }

void HandOver(Stretch& plug, const std::string& path, bool asState) {
  if (!asState) {
    plug.FileDropped(path.c_str());
    return;
  }
  StateChunk chunk;
  for (int i = 0; i < kStretchParamCount; ++i) chunk.AppendDouble(plug.Param(i)->Value());
  chunk.AppendText(path);
  AEffect* e = plug.Effect();
  e->dispatcher(e, effSetChunk, 0, chunk.Size(), chunk.Data(), 0.f);
}

void BM_AudioThreadDuringALoad(benchmark::State& state) {
  const bool asState = state.range(0) != 0;
  for (auto _ : state) {
    Stretch* plug = NewStretchWithEditor(nullptr, EditorWindows::kHeadless);
    if (plug == nullptr) {
      state.SkipWithError("no instance");
      return;
    }
    AEffect* e = plug->Effect();
    e->dispatcher(e, effOpen, 0, 0, nullptr, 0.f);
    e->dispatcher(e, effSetSampleRate, 0, 0, nullptr, static_cast<float>(kRate));
    e->dispatcher(e, effSetBlockSize, 0, kBlock, nullptr, 0.f);
    e->dispatcher(e, effMainsChanged, 0, 1, nullptr, 0.f);
    plug->FileDropped(DILATORIX_BENCH_CLIP);

    std::atomic<bool> loading{false}, stop{false};
    std::atomic<int> callsDuringLoad{0};
    std::atomic<double> longestSeconds{0.0}, switchSeconds{0.0};
    const std::atomic<std::uint32_t>& named =
        plug->Displays().State(StretchDisplays::kFileNameText).revision;
    std::uint32_t namedBefore = 0;
    std::thread audio([&] {
      float left[kBlock], right[kBlock];
      float* outputs[2] = {left, right};
      const auto block = std::chrono::duration_cast<Clock::duration>(
          std::chrono::duration<double>(static_cast<double>(kBlock) / kRate));
      Clock::time_point next = Clock::now();
      while (!stop) {
        std::this_thread::sleep_until(next);
        next += block;
        const bool during = loading && named.load(std::memory_order_acquire) == namedBefore;
        const Clock::time_point started = Clock::now();
        e->processReplacing(e, nullptr, outputs, kBlock);
        const double took = Seconds(Clock::now() - started);
        if (during && named.load(std::memory_order_acquire) == namedBefore) {
          ++callsDuringLoad;
          if (took > longestSeconds) longestSeconds = took;
        } else if (during) {
          switchSeconds = took;
        }
        // A late call does not make the next ones hurry.
        if (next < Clock::now()) next = Clock::now();
      }
    });
    // Let the first clip's analysis finish and playback settle.
    std::this_thread::sleep_for(std::chrono::seconds(2));
    namedBefore = named.load(std::memory_order_acquire);
    loading = true;
    const Clock::time_point handed = Clock::now();
    HandOver(*plug, DILATORIX_BENCH_LONG_CLIP, asState);
    const double loadSeconds = Seconds(Clock::now() - handed);
    loading = false;
    stop = true;
    audio.join();
    if (plug->FilePath() != DILATORIX_BENCH_LONG_CLIP) state.SkipWithError("the file did not load");
    state.counters["load_s"] = loadSeconds;
    state.counters["calls_during_load"] = callsDuringLoad.load();
    state.counters["longest_call_ms"] = longestSeconds.load() * 1e3;
    state.counters["switch_call_ms"] = switchSeconds.load() * 1e3;
    state.counters["block_share_pct"] =
        longestSeconds / (static_cast<double>(kBlock) / kRate) * 100;
    e->dispatcher(e, effMainsChanged, 0, 0, nullptr, 0.f);
    e->dispatcher(e, effClose, 0, 0, nullptr, 0.f);  // deletes the instance
  }
}
BENCHMARK(BM_AudioThreadDuringALoad)
    ->ArgName("state")
    ->Arg(0)
    ->Arg(1)
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

}  // namespace
