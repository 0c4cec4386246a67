#include "vst/IEffectVst.h"

#include <gtest/gtest.h>

#include <string>
#include <thread>

namespace {

// A host callback whose answers the test sets through globals (the binding calls
// it with its own effect record, so there is no other place to keep them).
struct FakeHost {
  std::string product;
  VstIntPtr vendorVersion = 0;
  VstTimeInfo time = {};
  bool hasTime = true;
  int productQueries = 0;
  int versionQueries = 0;
  VstInt32 lastTimeFilter = -1;
};
FakeHost* host = nullptr;

VstIntPtr VST_CALL Callback(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr value, void* ptr,
                            float) {
  switch (opcode) {
    case audioMasterGetProductString:
      ++host->productQueries;
      std::snprintf(static_cast<char*>(ptr), 256, "%s", host->product.c_str());
      return 1;
    case audioMasterGetVendorVersion:
      ++host->versionQueries;
      return host->vendorVersion;
    case audioMasterGetTime:
      host->lastTimeFilter = static_cast<VstInt32>(value);
      return host->hasTime ? reinterpret_cast<VstIntPtr>(&host->time) : 0;
    default:
      return 0;
  }
}

class IEffectVstTest : public ::testing::Test {
 protected:
  void SetUp() override { host = &fake; }
  void TearDown() override { host = nullptr; }

  static std::unique_ptr<IEffectVst> Make(const char* configs) {
    return std::make_unique<IEffectVst>(&Callback, 2, configs, 1, "T", "", "V", 0x00010000, 1,
                                        2, 0, false, false, false);
  }

  FakeHost fake;
};

TEST_F(IEffectVstTest, HostIsAskedOnceAndClassified) {
  fake.product = "Cakewalk SONAR";
  fake.vendorVersion = 5020;
  auto plug = Make("1-1 2-2");
  EXPECT_EQ(plug->GetHostKind(), 5);
  EXPECT_EQ(plug->HostVersion(), 0x00003214);
  fake.product = "REAPER";
  EXPECT_EQ(plug->GetHostKind(), 5);
  EXPECT_EQ(fake.productQueries, 1);

  fake.product = "";
  auto unknown = Make("1-1 2-2");
  EXPECT_EQ(unknown->GetHostKind(), 0);
  EXPECT_EQ(unknown->GetHostKind(), 0);
  EXPECT_EQ(fake.productQueries, 2);
  EXPECT_EQ(fake.versionQueries, 1);  // not asked for an empty product text
  EXPECT_EQ(unknown->HostVersion(), 0);
}

TEST_F(IEffectVstTest, HostsThatForceStereoGiveChannellessPluginsTwoByTwo) {
  fake.product = "Ableton Live";
  auto plug = Make("");
  EXPECT_EQ(plug->Effect()->numInputs, 0);
  plug->HostSpecificSetup();
  EXPECT_EQ(plug->Effect()->numInputs, 2);
  EXPECT_EQ(plug->Effect()->numOutputs, 2);
  EXPECT_EQ(plug->InputArrangement().numChannels, 2);
  EXPECT_EQ(plug->OutputArrangement().type, kSpeakerArrStereo);
  EXPECT_TRUE(plug->InputConnected(1));
  EXPECT_TRUE(plug->OutputConnected(1));
  EXPECT_TRUE(plug->LegalIO(2, 2));

  // The new channels work at the current block size.
  std::vector<float> in(1024, 0.5f), out(1024, 0.f);
  float* ins[2] = {in.data(), in.data()};
  float* outs[2] = {out.data(), out.data()};
  plug->ProcessHostFloat(ins, outs, 1024, false);
  EXPECT_EQ(out[1023], 0.5f);
}

TEST_F(IEffectVstTest, HostsThatLimitToStereoDropInputsPastTwo) {
  fake.product = "Forte";
  auto plug = Make("4-4");
  plug->SetOutputConnections(2, 2, false);
  plug->HostSpecificSetup();
  EXPECT_TRUE(plug->InputConnected(1));
  EXPECT_FALSE(plug->InputConnected(2));
  EXPECT_FALSE(plug->InputConnected(3));
  EXPECT_TRUE(plug->OutputConnected(3));
  EXPECT_EQ(plug->Effect()->numInputs, 4);
  EXPECT_EQ(plug->InputArrangement().type, kSpeakerArrUserDefined);

  for (const char* product : {"Forte", "Live", "REAPER", ""}) {
    fake.product = product;
    auto stereo = Make("1-1 2-2");
    stereo->HostSpecificSetup();
    EXPECT_EQ(stereo->Effect()->numInputs, 2) << product;
    EXPECT_EQ(stereo->Effect()->numOutputs, 2) << product;
    EXPECT_TRUE(stereo->InputConnected(0) && stereo->InputConnected(1)) << product;
    EXPECT_TRUE(stereo->OutputConnected(0) && stereo->OutputConnected(1)) << product;
  }
}

TEST_F(IEffectVstTest, TimeQueries) {
  auto plug = Make("1-1 2-2");
  fake.time.samplePos = 99.5;
  fake.time.tempo = 90;
  fake.time.timeSigNumerator = 3;
  fake.time.timeSigDenominator = 8;
  fake.time.flags = kVstTempoValid | kVstTimeSigValid | kVstTransportPlaying;
  EXPECT_EQ(plug->HostSamplePos(), 100);
  EXPECT_EQ(fake.lastTimeFilter, 0);
  EXPECT_EQ(plug->HostTempo(), 90.0);
  int num = 0, den = 0;
  plug->HostTimeSig(&num, &den);
  EXPECT_EQ(num, 3);
  EXPECT_EQ(den, 8);
  EXPECT_TRUE(plug->IsHostPlaying());

  TransportState state;
  plug->HostTransport(&state);
  EXPECT_EQ(fake.lastTimeFilter, 0x3E00);
  EXPECT_EQ(state.samplePosition, 99.5);
  EXPECT_EQ(state.tempo, 90.0);
  EXPECT_EQ(state.ppqPosition, -1.0);  // its flag is not set
  EXPECT_EQ(state.numerator, 3);
  EXPECT_TRUE(state.playing);
  EXPECT_FALSE(state.looping);

  fake.time.flags = kVstTempoValid;  // stopped
  EXPECT_FALSE(plug->IsHostPlaying());
  fake.time.flags = kVstTransportPlaying;  // none of the requested fields is valid
  plug->HostTransport(&state);
  EXPECT_EQ(state.samplePosition, -1.0);
  EXPECT_FALSE(state.playing);
  fake.time.flags = 0;
  EXPECT_TRUE(plug->IsHostPlaying());
  EXPECT_EQ(plug->HostTempo(), 0.0);
  fake.time.samplePos = -5;
  EXPECT_EQ(plug->HostSamplePos(), 0);
  fake.time.samplePos = 1e12;
  EXPECT_EQ(plug->HostSamplePos(), 2147483647);

  fake.hasTime = false;
  EXPECT_TRUE(plug->IsHostPlaying());
  EXPECT_EQ(plug->HostSamplePos(), 0);
  plug->HostTimeSig(&num, &den);
  EXPECT_EQ(num, 0);
  plug->HostTransport(&state);
  EXPECT_EQ(state.tempo, 120.0);
  EXPECT_EQ(state.numerator, 4);
}

class SizedEditor : public IEffectEditor {
 public:
  void SetParameterFromPlug(int, double, bool) override {}
  void PrepareDraw() override {}
  int Width() const override { return width; }
  int Height() const override { return 650; }
  bool OpenEditor(void* parent) override { return parent != nullptr; }
  void CloseEditor() override { ++closed; }
  // Whether another thread (the audio thread, say) could take the plug-in lock
  // while the host's idle call ran.
  void IdleEditor() override {
    ++idled;
    std::thread other([this] {
      lockFree = lock->try_lock();
      if (lockFree) lock->unlock();
    });
    other.join();
  }
  int width = 720;
  int closed = 0;
  int idled = 0;
  bool lockFree = false;
  std::recursive_mutex* lock = nullptr;
};

TEST_F(IEffectVstTest, AttachedEditorSetsRectAndOpens) {
  auto plug = Make("1-1 2-2");
  AEffect* e = plug->Effect();
  ERect* rect = nullptr;
  EXPECT_EQ(e->dispatcher(e, effEditGetRect, 0, 0, &rect, 0), 0);
  EXPECT_EQ(e->dispatcher(e, effEditOpen, 0, 0, &rect, 0), 0);
  EXPECT_EQ(e->flags & effFlagsHasEditor, 0);

  auto owned = std::make_unique<SizedEditor>();
  SizedEditor* editor = owned.get();
  editor->lock = &plug->Lock();
  plug->AttachEditor(std::move(owned));
  EXPECT_EQ(e->flags & effFlagsHasEditor, effFlagsHasEditor);
  EXPECT_EQ(e->dispatcher(e, effEditGetRect, 0, 0, &rect, 0), 1);
  ASSERT_NE(rect, nullptr);
  EXPECT_EQ(rect->bottom, 650);
  EXPECT_EQ(rect->right, 720);
  int parent = 0;
  EXPECT_EQ(e->dispatcher(e, effEditOpen, 0, 0, nullptr, 0), 0);
  EXPECT_EQ(e->dispatcher(e, effEditOpen, 0, 0, &parent, 0), 1);
  EXPECT_EQ(e->dispatcher(e, effEditIdle, 0, 0, nullptr, 0), 0);
  EXPECT_EQ(editor->idled, 1);
  EXPECT_TRUE(editor->lockFree);
  EXPECT_EQ(e->dispatcher(e, effEditClose, 0, 0, nullptr, 0), 1);
  EXPECT_EQ(editor->closed, 1);
  editor->width = 800;
  plug->EditorSizeChanged();
  EXPECT_EQ(rect->right, 800);
}

TEST_F(IEffectVstTest, NullCallbackIsNeverCalled) {
  auto plug = std::make_unique<IEffectVst>(nullptr, 2, "1-1 2-2", 1, "T", "", "V", 0x00010000,
                                           1, 2, 0, true, false, false);
  AEffect* e = plug->Effect();
  e->dispatcher(e, effOpen, 0, 0, nullptr, 0);
  EXPECT_EQ(plug->GetHostKind(), 0);
  EXPECT_TRUE(plug->IsHostPlaying());
  EXPECT_FALSE(plug->SendMidi(MidiMessage()));
  plug->AutomateParam(0, 0.5);
  std::vector<float> buffer(64);
  float* channels[2] = {buffer.data(), buffer.data()};
  e->processReplacing(e, channels, channels, 64);  // asks the host for MIDI
}

}  // namespace
