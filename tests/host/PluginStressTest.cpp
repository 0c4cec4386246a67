// Many instances on many threads, as a busy host drives them: each instance
// is played by an audio thread while a second thread moves its parameters
// (also to values outside 0..1 and NaN) and reads them back with their texts,
// and a third restores states naming a good clip, a malformed file, a file
// that is not there, or no file. Nothing may crash, the output must stay
// finite and every parameter inside 0..1. The sanitizer builds run it too.
// It runs DILATORIX_STRESS_SECONDS seconds (2 by default).
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <memory>
#include <random>
#include <thread>
#include <vector>

#include "tests/host/PluginFixture.h"

namespace {

struct Counts {
  std::atomic<long> blocks{0}, badSamples{0}, parameterSets{0}, badParameters{0}, chunks{0},
      refusedChunks{0};
};

double StressSeconds() {
  const char* text = std::getenv("DILATORIX_STRESS_SECONDS");
  const double seconds = text != nullptr ? std::atof(text) : 2.0;
  return seconds > 0 ? seconds : 2.0;
}

class PluginStressTest : public PluginTest {
 protected:
  static void Play(VstHost& h, const std::atomic<bool>& stop, Counts& counts) {
    std::vector<float> l(512), r(512);
    float* outs[2] = {l.data(), r.data()};
    std::vector<float> silence(512, 0.f);
    float* ins[2] = {silence.data(), silence.data()};
    while (!stop) {
      h.ProcessReplacing(ins, outs, 512);
      for (int i = 0; i < 512; ++i)
        if (!std::isfinite(l[i]) || !std::isfinite(r[i])) ++counts.badSamples;
      ++counts.blocks;
    }
  }

  static void MoveParameters(VstHost& h, unsigned seed, const std::atomic<bool>& stop,
                             Counts& counts) {
    std::mt19937 random(seed);
    const int n = h.Effect()->numParams;
    const float odd[] = {-1.f, 2.f, NAN, INFINITY, -0.f, 1e-30f};
    while (!stop) {
      const int index = static_cast<int>(random() % static_cast<unsigned>(n));
      const float value = random() % 8 == 0 ? odd[random() % 6]
                                            : std::uniform_real_distribution<float>(0, 1)(random);
      h.SetParameter(index, value);
      const float read = h.GetParameter(index);
      if (!(read >= 0.f && read <= 1.f)) ++counts.badParameters;
      h.ParamDisplay(index);
      ++counts.parameterSets;
    }
  }

  static void RestoreStates(VstHost& h, const std::vector<std::vector<unsigned char>>& states,
                            const std::atomic<bool>& stop, Counts& counts) {
    for (std::size_t k = 0; !stop; ++k) {
      if (h.SetChunk(states[k % states.size()], k % 3 == 0) != 1) ++counts.refusedChunks;
      h.GetChunk(false);
      ++counts.chunks;
    }
  }
};

TEST_F(PluginStressTest, FourInstancesOnThreeThreadsEachHoldTogether) {
  constexpr int kInstances = 4;
  std::vector<std::unique_ptr<VstHost>> hosts;
  for (int i = 0; i < kInstances; ++i) {
    hosts.push_back(std::make_unique<VstHost>());
    std::string error;
    ASSERT_TRUE(hosts.back()->Load(DILATORIX_PLUGIN_PATH, &error)) << error;
    // The callback records nothing: several threads call it at once.
    hosts.back()->keepRecords = false;
    hosts.back()->transport.playing = true;
    Start(*hosts.back(), i % 2 == 0 ? 44100.f : 48000.f);
  }
  const std::vector<double> defaults = Values(hosts[0]->GetChunk(false));
  const std::string good = WriteClip("stress good.wav", Tone(20000, 440));
  const std::string malformed = WriteTemp("stress malformed.wav", Bytes{'R', 'I', 'F', 'F', 9, 9});
  const std::vector<std::vector<unsigned char>> states = {
      MakeChunk(defaults, good), MakeChunk(defaults, malformed),
      MakeChunk(defaults, good + ".missing"), MakeChunk(defaults, "")};

  Counts counts;
  std::atomic<bool> stop{false};
  std::vector<std::thread> threads;
  for (int i = 0; i < kInstances; ++i) {
    VstHost& h = *hosts[i];
    threads.emplace_back([&h, &stop, &counts] { Play(h, stop, counts); });
    threads.emplace_back([&h, i, &stop, &counts] { MoveParameters(h, 17u + i, stop, counts); });
    threads.emplace_back([&h, &states, &stop, &counts] { RestoreStates(h, states, stop, counts); });
  }
  const double seconds = StressSeconds();
  std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
  stop = true;
  for (std::thread& t : threads) t.join();
  std::printf("stress: %.1f s, %ld blocks, %ld parameter changes, %ld states restored\n", seconds,
              counts.blocks.load(), counts.parameterSets.load(), counts.chunks.load());

  EXPECT_EQ(counts.badSamples, 0);
  EXPECT_EQ(counts.badParameters, 0);
  EXPECT_EQ(counts.refusedChunks, 0);
  EXPECT_GT(counts.blocks, 0);
  EXPECT_GT(counts.parameterSets, 0);
  EXPECT_GT(counts.chunks, 0);
  // Every instance still plays and answers afterwards.
  for (auto& h : hosts) {
    ASSERT_EQ(h->SetChunk(MakeChunk(defaults, good), false), 1);
    h->Dispatch(effClose);
  }
}

}  // namespace
