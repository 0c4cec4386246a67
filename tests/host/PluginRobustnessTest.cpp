#include <gtest/gtest.h>

#if !defined(_WIN32)
#include <unistd.h>
#endif

#include <chrono>
#include <climits>
#include <cmath>
#include <limits>

#include "tests/host/PluginFixture.h"
#if !defined(_WIN32)
#include "tests/support/TestFifo.h"
#endif

namespace {

// What a host can observe of the state: the chunk, the programs and their names.
struct Snapshot {
  std::vector<unsigned char> chunk;
  VstIntPtr program;
  std::vector<std::string> names;
  bool operator==(const Snapshot& o) const {
    return chunk == o.chunk && program == o.program && names == o.names;
  }
};

Snapshot Take(VstHost& host) {
  Snapshot s;
  s.chunk = host.GetChunk(true);
  s.program = host.Dispatch(effGetProgram);
  for (int i = 0; i < 6; ++i) s.names.push_back(host.ProgramNameIndexed(i));
  return s;
}

// Every opcode with null pointers and out-of-range indices and values: no crash,
// no change, 0 where the opcode has no answer of its own. Opcodes whose value
// is a pointer (speaker arrangements) get 0 there; effClose comes last.
TEST_F(PluginTest, DispatcherSweepWithNullPointersAndBadArguments) {
  host.Dispatch(effOpen);
  const Snapshot before = Take(host);
  const VstInt32 indices[] = {-1, 51, 1000, INT_MIN, INT_MAX};
  const VstIntPtr values[] = {0, -1, 6, INT_MAX, static_cast<VstIntPtr>(INT_MIN) - 1};
  const float opts[] = {0.0f, -1.0f, std::numeric_limits<float>::quiet_NaN()};
  for (VstInt32 opcode = 0; opcode <= 80; ++opcode) {
    if (opcode == effClose) continue;
    const bool valueIsPointer = opcode == effSetSpeakerArrangement || opcode == effGetSpeakerArrangement;
    for (VstInt32 index : indices) {
      for (VstIntPtr value : values) {
        if (valueIsPointer && value != 0) continue;
        // Program 0 and a block of 6 frames are valid requests, not bad ones.
        if ((opcode == effSetProgram && value == 0) || (opcode == effSetBlockSize && value == 6))
          continue;
        for (float opt : opts) {
          const VstIntPtr answer = host.Dispatch(opcode, index, value, nullptr, opt);
          switch (opcode) {
            case effGetProgram: EXPECT_EQ(answer, 0); break;
            case effIdentify: EXPECT_EQ(answer, 0x4E764566); break;
            case effCanBeAutomated: EXPECT_EQ(answer, 1); break;
            case effGetPlugCategory: EXPECT_EQ(answer, kPlugCategSynth); break;
            case effSetSpeakerArrangement: EXPECT_EQ(answer, 1); break;
            case effGetVstVersion: EXPECT_EQ(answer, 2400); break;
            case effGetSpeakerArrangement: EXPECT_EQ(answer, 1); break;
            case effEditClose: EXPECT_EQ(answer, 1); break;  // there is an editor, never open
            default: EXPECT_EQ(answer, 0) << "opcode " << opcode; break;
          }
        }
      }
    }
  }
  EXPECT_TRUE(Take(host) == before);
  EXPECT_EQ(host.Effect()->numInputs, 2);
  EXPECT_EQ(host.Effect()->flags, 0x1139);

  // The instance still works afterwards.
  std::vector<float> in(2048, 0.5f), out(2048, 7.0f);
  float* ins[2] = {in.data(), in.data()};
  float* outs[2] = {out.data(), out.data()};
  host.ProcessReplacing(ins, outs, 2048);
  EXPECT_EQ(out[2047], 0.0f);  // no clip: silence, whatever the inputs
  host.Close();
}

TEST_F(PluginTest, CallsWithoutAnInstanceAreIgnored) {
  AEffect orphan = *effect;
  orphan.object = nullptr;
  EXPECT_EQ(orphan.dispatcher(&orphan, effGetVstVersion, 0, 0, nullptr, 0), 0);
  EXPECT_EQ(orphan.dispatcher(&orphan, effClose, 0, 0, nullptr, 0), 0);
  EXPECT_EQ(orphan.dispatcher(nullptr, effOpen, 0, 0, nullptr, 0), 0);
  orphan.setParameter(&orphan, 0, 0.5f);
  EXPECT_EQ(orphan.getParameter(&orphan, 0), 0.0f);
  orphan.processReplacing(&orphan, nullptr, nullptr, 64);
  orphan.processDoubleReplacing(&orphan, nullptr, nullptr, 64);
  orphan.process(&orphan, nullptr, nullptr, 64);
}

TEST_F(PluginTest, ProcessCallsWithBadArgumentsAreHarmless) {
  std::vector<float> out(64, 2.0f);
  float* outs[2] = {out.data(), nullptr};
  host.ProcessReplacing(nullptr, outs, 64);  // no input array: silence in
  for (float v : out) EXPECT_EQ(v, 0.0f);
  host.ProcessReplacing(nullptr, nullptr, 64);
  host.ProcessReplacing(nullptr, outs, 0);
  host.ProcessReplacing(nullptr, outs, -5);
  host.ProcessDouble(nullptr, nullptr, 64);
  host.ProcessAccumulating(nullptr, nullptr, 64);
}

// Hosts that break the protocol's order or its promises: processing before
// resume, suspending twice, blocks far longer than declared, absurd sample
// rates, speaker arrangements and editor calls with nothing behind them. The
// instance plays a clip through all of it, its output always finite.
TEST_F(PluginTest, HostMisuseIsHarmless) {
  const std::string clip = WriteClip("misuse.wav", Tone(30000, 330));
  host.Dispatch(effOpen);
  host.Dispatch(effSetBlockSize, 0, 512);
  LoadByState(host, clip);
  host.transport.playing = true;
  auto finite = [this](int frames) {
    std::vector<float> l(frames, 0.f), r(frames, 0.f);
    float* outs[2] = {l.data(), r.data()};
    host.ProcessReplacing(nullptr, outs, frames);
    for (int i = 0; i < frames; ++i)
      if (!std::isfinite(l[i]) || !std::isfinite(r[i])) return false;
    return true;
  };
  EXPECT_TRUE(finite(512));  // before any resume
  host.Dispatch(effMainsChanged, 0, 0);
  host.Dispatch(effMainsChanged, 0, 0);  // suspended twice
  host.Dispatch(effMainsChanged, 0, 1);
  host.Dispatch(effMainsChanged, 0, 1);  // resumed twice
  for (int frames : {1, 7, 511, 513, 4096, 100000}) EXPECT_TRUE(finite(frames)) << frames;
  for (float rate : {1.f, 0.f, -44100.f, 1e9f, NAN, INFINITY, 44100.f}) {
    host.Dispatch(effMainsChanged, 0, 0);
    host.Dispatch(effSetSampleRate, 0, 0, nullptr, rate);
    host.Dispatch(effMainsChanged, 0, 1);
    EXPECT_TRUE(finite(512)) << rate;
  }
  for (VstInt32 frames : {0, -1, 1 << 30}) host.Dispatch(effSetBlockSize, 0, frames);
  host.Dispatch(effSetBlockSize, 0, 512);
  EXPECT_TRUE(finite(512));
  host.Dispatch(effSetSpeakerArrangement, 0, 0, nullptr);
  VstSpeakerArrangement* in = nullptr;
  VstSpeakerArrangement* out = nullptr;
  host.Dispatch(effGetSpeakerArrangement, 0, reinterpret_cast<VstIntPtr>(&in), &out);
  EXPECT_EQ(host.Dispatch(effEditIdle), 0);  // no editor open
  host.Dispatch(effEditClose);
  host.Dispatch(effEditClose);
  EXPECT_TRUE(finite(512));
  EXPECT_EQ(StatePath(host), clip);
}

// A state naming a FIFO (a device name on Windows), a device or a directory:
// the host's call comes back at once (it holds the plug-in lock, and the audio
// with it) and nothing plays.
TEST_F(PluginTest, StatesNamingWhatIsNotAFileReturnAtOnce) {
#if defined(_WIN32)
  const std::vector<std::string> paths = {"CON", "NUL", ::testing::TempDir()};
#else
  TestFifo fifo(::testing::TempDir() + "dilatorix-state-" + std::to_string(getpid()) + ".fifo");
  ASSERT_TRUE(fifo.Made());
  const std::vector<std::string> paths = {fifo.Path(), "/dev/zero", ::testing::TempDir()};
#endif
  for (const std::string& path : paths) {
    SCOPED_TRACE(path);
    VstHost h;
    std::string error;
    ASSERT_TRUE(h.Load(DILATORIX_PLUGIN_PATH, &error)) << error;
    Start(h);
    const auto start = std::chrono::steady_clock::now();
    LoadByState(h, path);
    // Well before the FIFO's watcher would give up and open its other end.
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1));
    EXPECT_EQ(StatePath(h), path);  // kept, as for any file that cannot be loaded
    EXPECT_EQ(TrailerStatus(h.GetChunk(false)), 2);
    h.transport.playing = true;
    for (int k = 0; k < 8; ++k)
      for (double v : Block(h, 512)) ASSERT_EQ(v, 0.0) << k;
  }
}

}  // namespace
