#include <gtest/gtest.h>

#include "tests/host/PluginFixture.h"

namespace {

TEST_F(PluginTest, EffectRecord) {
  EXPECT_EQ(effect->magic, kEffectMagic);
  EXPECT_EQ(effect->flags, 0x1139);
  EXPECT_EQ(effect->numParams, 49);
  EXPECT_EQ(effect->numPrograms, 6);
  EXPECT_EQ(effect->numInputs, 2);
  EXPECT_EQ(effect->numOutputs, 2);
  EXPECT_EQ(effect->uniqueID, FourCharCode('Z', 'q', 'm', 'w'));
  EXPECT_EQ(effect->version, 10000);
  EXPECT_EQ(effect->ioRatio, 1.0f);
  EXPECT_EQ(effect->initialDelay, 0);
  EXPECT_NE(effect->process, nullptr);
  EXPECT_NE(effect->processReplacing, nullptr);
  EXPECT_NE(effect->processDoubleReplacing, nullptr);
}

// The instance announces its 720 x 650 editor; an open without a window of
// the host's (no parent, or no X display here) fails and changes nothing.
TEST_F(PluginTest, EditorRectangleWithoutAWindow) {
  ERect* rect = nullptr;
  ASSERT_EQ(host.Dispatch(effEditGetRect, 0, 0, &rect), 1);
  ASSERT_NE(rect, nullptr);
  EXPECT_EQ(rect->top, 0);
  EXPECT_EQ(rect->left, 0);
  EXPECT_EQ(rect->bottom, 650);
  EXPECT_EQ(rect->right, 720);
  EXPECT_EQ(effect->flags, 0x1139);
  int parent = 0;
  EXPECT_EQ(host.Dispatch(effEditOpen, 0, 0, &parent), 0);
  EXPECT_EQ(host.Dispatch(effEditOpen), 0);
  EXPECT_EQ(effect->flags, 0x1139);
}

TEST_F(PluginTest, IdentityOpcodes) {
  EXPECT_EQ(host.Dispatch(effGetVstVersion), 2400);
  EXPECT_EQ(host.Dispatch(effIdentify), 0x4E764566);
  EXPECT_EQ(host.Dispatch(effGetPlugCategory), kPlugCategSynth);
  EXPECT_EQ(host.Dispatch(effGetVendorVersion), 0);
  EXPECT_EQ(host.EffectName(), "Dilatorix");
  EXPECT_EQ(host.VendorString(), "Brightloom");
  EXPECT_EQ(host.ProductString(), "");
  EXPECT_EQ(host.Dispatch(effGetEffectName), 0);  // no buffer
  EXPECT_EQ(host.Dispatch(effCanBeAutomated, 48), 1);
}

TEST_F(PluginTest, CanDoAnswers) {
  EXPECT_EQ(host.CanDo("receiveVstTimeInfo"), 1);
  EXPECT_EQ(host.CanDo("receiveVstTimeInfo!"), 0);
  EXPECT_EQ(host.CanDo("receiveVstTime"), 0);
  for (const char* midi : {"sendVstEvents", "sendVstMidiEvent", "receiveVstEvents",
                           "receiveVstMidiEvent", "bypass", "plugAsChannelInsert", ""})
    EXPECT_EQ(host.CanDo(midi), 0) << midi;
  EXPECT_EQ(host.Dispatch(effCanDo), 0);
}

TEST_F(PluginTest, PinProperties) {
  VstPinProperties pin = {};
  EXPECT_EQ(host.Dispatch(effGetInputProperties, 0, 0, &pin), 1);
  EXPECT_EQ(pin.flags, kVstPinIsActive | kVstPinIsStereo);
  EXPECT_STREQ(pin.label, "Input 1");
  EXPECT_EQ(host.Dispatch(effGetInputProperties, 1, 0, &pin), 1);
  EXPECT_EQ(pin.flags, kVstPinIsActive);
  EXPECT_STREQ(pin.label, "Input 2");
  EXPECT_EQ(host.Dispatch(effGetInputProperties, 2, 0, &pin), 0);
  EXPECT_EQ(host.Dispatch(effGetOutputProperties, 0, 0, &pin), 1);
  EXPECT_STREQ(pin.label, "Output 1");
  EXPECT_EQ(host.Dispatch(effGetOutputProperties, 1, 0, &pin), 1);
  EXPECT_STREQ(pin.label, "Output 2");
  EXPECT_EQ(host.Dispatch(effGetOutputProperties, -1, 0, &pin), 0);
  EXPECT_EQ(host.Dispatch(effGetOutputProperties, 0, 0, nullptr), 0);

  VstSpeakerArrangement* in = nullptr;
  VstSpeakerArrangement* out = nullptr;
  EXPECT_EQ(host.Dispatch(effGetSpeakerArrangement, 0, reinterpret_cast<VstIntPtr>(&in), &out), 1);
  ASSERT_NE(in, nullptr);
  ASSERT_NE(out, nullptr);
  EXPECT_EQ(in->type, kSpeakerArrStereo);
  EXPECT_EQ(out->numChannels, 2);
}

TEST_F(PluginTest, BothEntryNamesCreateInstances) {
  VstHost second;
  std::string error;
  ASSERT_TRUE(second.LoadEntry(DILATORIX_PLUGIN_PATH, "main", &error)) << error;
  EXPECT_NE(second.Effect(), effect);
  EXPECT_EQ(second.Effect()->numParams, 49);
  EXPECT_EQ(second.EffectName(), "Dilatorix");
}

TEST(PluginHostIdentification, ProductStringsAndVersions) {
  struct Case {
    const char* product;
    VstIntPtr version;
  };
  // The host kind has no visible effect for this channel layout: every host
  // keeps two connected inputs and outputs; what is checked is that it is asked
  // once, and for the version only when it names itself.
  for (const Case& c : {Case{"REAPER", 5020}, Case{"Cubase SX", 1040000}, Case{"Ableton Live", 1},
                        Case{"nuendo cubase", 1}, Case{"Forte", 1}, Case{"", 7}}) {
    VstHost host;
    host.productString = c.product;
    host.vendorVersion = c.version;
    std::string error;
    ASSERT_TRUE(host.Load(DILATORIX_PLUGIN_PATH, &error)) << error;
    host.Dispatch(effOpen);
    host.Dispatch(effOpen);
    EXPECT_EQ(host.CallCount(audioMasterGetProductString), 1) << c.product;
    EXPECT_EQ(host.CallCount(audioMasterGetVendorVersion), c.product[0] != '\0' ? 1 : 0)
        << c.product;
    EXPECT_EQ(host.Effect()->numInputs, 2);
    EXPECT_EQ(host.Effect()->numOutputs, 2);
    VstPinProperties pin = {};
    EXPECT_EQ(host.Dispatch(effGetInputProperties, 1, 0, &pin), 1);
  }
}

TEST(PluginNullCallback, EntryAndOpenDoNotCrash) {
  VstHost host;
  host.passNullCallback = true;
  std::string error;
  ASSERT_TRUE(host.Load(DILATORIX_PLUGIN_PATH, &error)) << error;
  host.Dispatch(effOpen);
  host.Dispatch(effSetSampleRate, 0, 0, nullptr, 48000.f);
  host.Dispatch(effMainsChanged, 0, 1);
  std::vector<float> buffer(256, 0.25f);
  float* channels[2] = {buffer.data(), buffer.data()};
  host.ProcessReplacing(channels, channels, 256);
  host.SetParameter(3, 0.5f);
  EXPECT_EQ(host.GetChunk(false).size(), 420u + kTrailerBytes);
  EXPECT_TRUE(host.calls.empty());
}

}  // namespace
