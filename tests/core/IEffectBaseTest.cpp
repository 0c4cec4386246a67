#include "core/IEffectBase.h"

#include <gtest/gtest.h>

#include <cstring>
#include <limits>
#include <vector>

namespace {

// The base with the host-facing operations answered locally.
class TestEffect : public IEffectBase {
 public:
  explicit TestEffect(const char* configs = "1-1 2-2", int presets = 3, int params = 4,
                      bool initParams = true)
      : IEffectBase(params, configs, presets, "Test", "Product", "Vendor", 0x00010203, 1, 2, 0,
                    true, false) {
    for (int i = 0; initParams && i < params; ++i) Param(i)->InitDouble("p", 0.25, 0, 1, 0.01, "");
  }
  void ParamChanged(int index) override { changed.push_back(index); }
  void BeginParamEdit(int) override {}
  void AutomateParam(int index, double value) override { automated.push_back({index, value}); }
  void EndParamEdit(int) override {}
  int HostSamplePos() override { return 0; }
  double HostTempo() override { return 0; }
  void HostTimeSig(int*, int*) override {}
  void HostTransport(TransportState*) override {}
  void EditorSizeChanged() override {}
  void HostSpecificSetup() override {}
  bool SendMidi(const MidiMessage&) override { return true; }
  bool SendMidiList(const std::vector<MidiMessage>&) override { return true; }

  std::vector<int> changed;
  std::vector<std::pair<int, double>> automated;
};

class FakeEditor : public IEffectEditor {
 public:
  struct Call {
    int index;
    double value;
    bool normalized;
  };
  explicit FakeEditor(std::vector<Call>* log) : log(log) {}
  void SetParameterFromPlug(int index, double value, bool normalized) override {
    log->push_back({index, value, normalized});
  }
  void PrepareDraw() override { log->push_back({-1, 0, false}); }
  int Width() const override { return 720; }
  int Height() const override { return 650; }
  bool OpenEditor(void*) override { return true; }
  void CloseEditor() override {}
  void IdleEditor() override {}
  std::vector<Call>* log;
};

TEST(IEffectBase, ChannelConfigurations) {
  TestEffect effect("1-1 2-2");
  ASSERT_EQ(effect.ChannelConfigs().size(), 2u);
  EXPECT_EQ(effect.InputCount(), 2);
  EXPECT_EQ(effect.OutputCount(), 2);
  EXPECT_TRUE(effect.LegalIO(1, -1));
  EXPECT_FALSE(effect.LegalIO(2, 1));
  EXPECT_TRUE(effect.LegalIO(-1, 2));

  TestEffect trailing("1-1 2-2 ");
  ASSERT_EQ(trailing.ChannelConfigs().size(), 3u);
  EXPECT_EQ(trailing.ChannelConfigs()[2].inputs, 0);
  EXPECT_EQ(trailing.ChannelConfigs()[2].outputs, 0);

  TestEffect partial("3 x-2");
  ASSERT_EQ(partial.ChannelConfigs().size(), 2u);
  EXPECT_EQ(partial.ChannelConfigs()[0].inputs, 3);
  EXPECT_EQ(partial.ChannelConfigs()[0].outputs, 0);
  EXPECT_EQ(partial.InputCount(), 3);
  EXPECT_EQ(partial.OutputCount(), 0);
}

TEST(IEffectBase, VersionAndIdentity) {
  TestEffect effect;
  EXPECT_EQ(effect.EffectVersion(false), 0x00010203);
  EXPECT_EQ(effect.EffectVersion(true), 10203);
  EXPECT_STREQ(effect.VendorName(), "Vendor");
  EXPECT_EQ(effect.GetHostKind(), -1);
  EXPECT_EQ(effect.SampleRateValue(), 44100.0);
  effect.SetSampleRateValue(0);
  effect.SetSampleRateValue(-48000);
  EXPECT_EQ(effect.SampleRateValue(), 44100.0);
  effect.SetSampleRateValue(48000);
  EXPECT_EQ(effect.SampleRateValue(), 48000.0);
}

// Processes one block of floats through the base with two host channels.
struct FloatBlock {
  explicit FloatBlock(int frames) : in{std::vector<float>(frames), std::vector<float>(frames)},
                                    out{std::vector<float>(frames, 9.f), std::vector<float>(frames, 9.f)} {
    for (int s = 0; s < frames; ++s) {
      in[0][s] = 0.25f + s;
      in[1][s] = -1.0f - s;
    }
  }
  float* inputs[2] = {nullptr, nullptr};
  float* outputs[2] = {nullptr, nullptr};
  float** In() {
    inputs[0] = in[0].data();
    inputs[1] = in[1].data();
    return inputs;
  }
  float** Out() {
    outputs[0] = out[0].data();
    outputs[1] = out[1].data();
    return outputs;
  }
  std::vector<float> in[2];
  std::vector<float> out[2];
};

TEST(IEffectBase, BlockFramesSizeAndZeroTheScratchBuffers) {
  TestEffect effect;
  effect.SetInputConnections(0, 2, true);
  effect.SetOutputConnections(0, 2, true);
  effect.SetBlockFrames(8);
  FloatBlock block(8);
  effect.ProcessHostFloat(block.In(), block.Out(), 8, false);
  EXPECT_EQ(block.out[1][7], -8.0f);

  effect.SetBlockFrames(8);  // same size: nothing happens
  EXPECT_EQ(effect.BlockFrames(), 8);
  effect.SetBlockFrames(0);
  effect.SetBlockFrames(-4);
  effect.SetBlockFrames(IEffectBase::kMaxBlockFrames + 1);
  EXPECT_EQ(effect.BlockFrames(), 8);

  // A new size leaves every scratch buffer zeroed: a disconnected input reads it.
  effect.SetBlockFrames(16);
  effect.SetInputConnections(1, 1, false);
  FloatBlock next(16);
  float* one[1] = {next.in[0].data()};
  effect.ProcessHostFloat(one, next.Out(), 16, false);
  for (int s = 0; s < 16; ++s) {
    EXPECT_EQ(next.out[0][s], next.in[0][s]);
    EXPECT_EQ(next.out[1][s], 0.0f);
  }
}

TEST(IEffectBase, DisconnectedInputReadsSilenceNotItsLastBlock) {
  TestEffect effect;
  effect.SetInputConnections(0, 2, true);
  effect.SetOutputConnections(0, 2, true);
  effect.SetBlockFrames(4);
  FloatBlock block(4);
  effect.ProcessHostFloat(block.In(), block.Out(), 4, false);
  effect.SetInputConnections(1, 5, false);  // clipped to the channel count
  EXPECT_FALSE(effect.InputConnected(1));
  EXPECT_TRUE(effect.InputConnected(0));
  float* one[1] = {block.in[0].data()};
  effect.ProcessHostFloat(one, block.Out(), 4, false);
  for (int s = 0; s < 4; ++s) EXPECT_EQ(block.out[1][s], 0.0f);
}

TEST(IEffectBase, LongHostCallsRunInSlicesOfTheBlockSize) {
  TestEffect effect;
  effect.SetInputConnections(0, 2, true);
  effect.SetOutputConnections(0, 2, true);
  effect.SetBlockFrames(4);
  FloatBlock block(11);
  effect.ProcessHostFloat(block.In(), block.Out(), 11, false);
  for (int s = 0; s < 11; ++s) {
    EXPECT_EQ(block.out[0][s], block.in[0][s]) << s;
    EXPECT_EQ(block.out[1][s], block.in[1][s]) << s;
  }
  effect.ProcessHostFloat(block.In(), block.Out(), 11, true);  // accumulating
  EXPECT_EQ(block.out[0][10], 2 * block.in[0][10]);

  std::vector<double> din(11, 0.5), dout(11, 3.0);
  double* dins[2] = {din.data(), din.data()};
  double* douts[2] = {dout.data(), nullptr};  // a null host buffer is discarded
  effect.ProcessHostDouble(dins, douts, 11);
  for (double v : dout) EXPECT_EQ(v, 0.5);
}

TEST(IEffectBase, SerializeAndUnserializeClampAndReportShortChunks) {
  TestEffect effect;
  StateChunk chunk;
  ASSERT_TRUE(effect.SerializeParams(chunk, false));
  EXPECT_EQ(chunk.Size(), 4 * 8);

  StateChunk values;
  values.AppendDouble(5.0);   // clamped to max
  values.AppendDouble(-1.0);  // clamped to min
  values.AppendDouble(std::numeric_limits<double>::quiet_NaN());
  effect.changed.clear();
  EXPECT_EQ(effect.UnserializeParams(values, 0, false), -1);
  EXPECT_EQ(effect.Param(0)->Value(), 1.0);
  EXPECT_EQ(effect.Param(1)->Value(), 0.0);
  EXPECT_EQ(effect.Param(2)->Value(), 0.0);  // NaN never reaches a parameter
  EXPECT_EQ(effect.Param(3)->Value(), 0.0);  // where reading failed: 0 clamped
  EXPECT_EQ(effect.changed, (std::vector<int>{0, 1, 2, 3}));

  effect.changed.clear();
  EXPECT_EQ(effect.UnserializeParams(values, -1, false), -1);
  EXPECT_EQ(effect.Param(0)->Value(), 1.0);  // nothing read from -1
  EXPECT_EQ(effect.changed.size(), 4u);
}

TEST(IEffectBase, PresetsCaptureNameAndRestore) {
  TestEffect effect;
  EXPECT_STREQ(effect.PresetName(0), "- 1 -");
  EXPECT_STREQ(effect.PresetName(2), "- 3 -");
  EXPECT_STREQ(effect.PresetName(3), "");

  effect.Param(0)->SetValue(0.75);
  EXPECT_TRUE(effect.RecallPreset(1));
  EXPECT_STREQ(effect.PresetName(1), "user preset 1");
  EXPECT_EQ(effect.CurrentPresetIndex(), 1);
  effect.Param(0)->SetValue(0.5);
  EXPECT_TRUE(effect.RecallPreset(2));
  EXPECT_STREQ(effect.PresetName(2), "user preset 2");
  EXPECT_TRUE(effect.RecallPreset(1));
  EXPECT_EQ(effect.Param(0)->Value(), 0.75);
  EXPECT_FALSE(effect.RecallPreset(3));
  EXPECT_FALSE(effect.RecallPreset(-1));
  EXPECT_EQ(effect.CurrentPresetIndex(), 1);

  effect.Param(0)->SetValue(0.1);
  effect.StorePreset("mine");
  EXPECT_STREQ(effect.PresetName(1), "mine");
  effect.Param(0)->SetValue(0.9);
  EXPECT_TRUE(effect.RecallPreset(1));
  EXPECT_EQ(effect.Param(0)->Value(), 0.1);

  effect.MakeDefaultPreset();  // a plug-in with presets keeps them
  EXPECT_EQ(effect.PresetCount(), 3);
  TestEffect none("1-1", 0);
  none.MakeDefaultPreset();
  ASSERT_EQ(none.PresetCount(), 1);
  EXPECT_STREQ(none.PresetName(0), "Default");
}

TEST(IEffectBase, EditorGetsValuesAndGuiChangesReachTheHost) {
  TestEffect effect;
  std::vector<FakeEditor::Call> log;
  effect.AttachEditor(nullptr);
  EXPECT_EQ(effect.Editor(), nullptr);
  effect.AttachEditor(std::make_unique<FakeEditor>(&log));
  ASSERT_EQ(log.size(), 5u);
  EXPECT_TRUE(log[0].normalized);
  EXPECT_DOUBLE_EQ(log[0].value, 0.25);
  EXPECT_EQ(log[4].index, -1);  // PrepareDraw after the values

  log.clear();
  effect.changed.clear();
  effect.SetParameterFromGUI(2, 0.5);
  EXPECT_EQ(effect.Param(2)->Value(), 0.5);
  ASSERT_EQ(effect.automated.size(), 1u);
  EXPECT_EQ(effect.automated[0].first, 2);
  EXPECT_EQ(effect.changed, std::vector<int>{2});
  EXPECT_TRUE(log.empty());  // the editor moved the control itself
  effect.SetParameterFromGUI(9, 0.5);
  EXPECT_EQ(effect.automated.size(), 1u);

  effect.RefreshEditorFromParams();
  ASSERT_EQ(log.size(), 4u);
  EXPECT_FALSE(log[2].normalized);
  EXPECT_EQ(log[2].value, 0.5);
}

TEST(IEffectBase, SaveValueListReadsIntegersForDiscreteKinds) {
  TestEffect effect("1-1", 0, 2, false);
  effect.Param(0)->InitDouble("d", 0, 0, 1, 0.01, "");
  effect.Param(1)->InitBool("b", false);
  unsigned char slots[16] = {};
  const double first = 0.375;
  const std::int32_t second = 1;
  std::memcpy(slots, &first, 8);
  std::memcpy(slots + 8, &second, 4);
  StateChunk chunk;
  effect.SaveValueList(chunk, slots);
  double a = 0, b = 0;
  chunk.ReadDouble(0, &a);
  chunk.ReadDouble(8, &b);
  EXPECT_EQ(a, 0.375);
  EXPECT_EQ(b, 1.0);
}

TEST(MidiMessage, KindIsTheChannelMessageNibble) {
  MidiMessage m;
  m.status = 0x93;
  EXPECT_EQ(m.Kind(), 9);
  m.status = 0xE0;
  EXPECT_EQ(m.Kind(), 14);
  m.status = 0xF8;
  EXPECT_EQ(m.Kind(), 0);
  m.status = 0x40;
  EXPECT_EQ(m.Kind(), 0);
}

}  // namespace
