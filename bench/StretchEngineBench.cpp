// The engine's costs: analysis per hop and channel, synthesis per hop and channel
// (blend or random pick, short or long blur), and the real-time factor of stereo
// playback at a tenfold stretch.
#include <benchmark/benchmark.h>

#include <cmath>
#include <vector>

#include "effect/StretchEngine.h"

namespace {

constexpr int kRate = 44100;

void FillStereo(AudioClip& clip, int frames) {
  clip.Clear();
  clip.channels = 2;
  clip.sampleRate = kRate;
  clip.length = frames;
  std::vector<double> l(frames), r(frames);
  for (int i = 0; i < frames; ++i) {
    l[i] = 0.4 * std::sin(0.031 * i) + 0.1 * std::sin(0.77 * i);
    r[i] = 0.4 * std::sin(0.029 * i) * std::cos(0.0001 * i);
  }
  clip.left.Append(frames, l.data());
  clip.right.Append(frames, r.data());
}

void Analyse(StretchEngine& engine, const AudioClip& clip) {
  engine.ResetAnalysis(&clip, static_cast<int>(clip.length));
  while (engine.analysisProgress < engine.clipLength) engine.AnalyseStep();
  engine.FinishAnalysis();
}

// One AnalyseStep is two hops on each of two channels.
void BM_AnalysisPerHopAndChannel(benchmark::State& state) {
  AudioClip clip;
  FillStereo(clip, kRate * 10);
  StretchEngine engine;
  engine.ResetAnalysis(&clip, static_cast<int>(clip.length));
  for (auto _ : state) {
    if (engine.analysisProgress >= engine.clipLength) {
      state.PauseTiming();
      engine.ResetAnalysis(&clip, static_cast<int>(clip.length));
      state.ResumeTiming();
    }
    engine.AnalyseStep();
  }
  state.SetItemsProcessed(state.iterations() * 4);
}
BENCHMARK(BM_AnalysisPerHopAndChannel);

// Arguments: blend on (1) or off (0), blur in ms. One mono hop per iteration.
void BM_SynthesisPerHopAndChannel(benchmark::State& state) {
  AudioClip clip;
  FillStereo(clip, kRate * 10);
  clip.channels = 1;
  StretchEngine engine;
  engine.blurPure = state.range(0) != 0;
  engine.blurNominalMs = engine.blurTransientMs = static_cast<double>(state.range(1));
  engine.nominalRate = engine.transientRate = engine.currentRate = 0.1;
  Analyse(engine, clip);
  std::vector<double> l(StretchEngine::kHop), r(StretchEngine::kHop);
  for (auto _ : state) {
    engine.PullOutput(l.data(), r.data(), StretchEngine::kHop);
    benchmark::DoNotOptimize(l.data());
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_SynthesisPerHopAndChannel)
    ->ArgNames({"pure", "blurMs"})
    ->Args({1, 10})
    ->Args({0, 10})
    ->Args({1, 1000})
    ->Args({0, 1000});

// Output seconds per CPU second for stereo at rate 0.1 with the default blur.
void BM_StereoPlaybackRealTimeFactor(benchmark::State& state) {
  AudioClip clip;
  FillStereo(clip, kRate * 10);
  StretchEngine engine;
  engine.nominalRate = engine.transientRate = engine.currentRate = 0.1;
  Analyse(engine, clip);
  std::vector<double> l(512), r(512);
  for (auto _ : state) {
    engine.PullOutput(l.data(), r.data(), 512);
    benchmark::DoNotOptimize(l.data());
  }
  state.counters["realtime_x"] = benchmark::Counter(
      static_cast<double>(state.iterations()) * 512 / kRate, benchmark::Counter::kIsRate);
}
BENCHMARK(BM_StereoPlaybackRealTimeFactor);

}  // namespace
