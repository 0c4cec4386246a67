#include <gtest/gtest.h>

#include "tests/host/PluginFixture.h"

namespace {

// Two channels of host audio in a given sample type.
template <typename Sample>
struct Buffers {
  explicit Buffers(int frames, Sample fill = 0)
      : in{std::vector<Sample>(frames), std::vector<Sample>(frames)},
        out{std::vector<Sample>(frames, fill), std::vector<Sample>(frames, fill)} {
    for (int s = 0; s < frames; ++s) {
      in[0][s] = static_cast<Sample>(0.001 * s);
      in[1][s] = static_cast<Sample>(-0.002 * s);
    }
    ins[0] = in[0].data();
    ins[1] = in[1].data();
    outs[0] = out[0].data();
    outs[1] = out[1].data();
  }
  std::vector<Sample> in[2];
  std::vector<Sample> out[2];
  Sample* ins[2];
  Sample* outs[2];
};

TEST_F(PluginTest, WithoutAClipEveryEntryIsSilent) {
  Start(host, 48000.f);
  Buffers<float> replacing(512, 7.0f);
  host.ProcessReplacing(replacing.ins, replacing.outs, 512);
  for (int c = 0; c < 2; ++c)
    for (float v : replacing.out[c]) ASSERT_EQ(v, 0.0f);

  Buffers<float> accumulating(512, 1.0f);
  host.ProcessAccumulating(accumulating.ins, accumulating.outs, 512);
  for (int c = 0; c < 2; ++c)
    for (float v : accumulating.out[c]) ASSERT_EQ(v, 1.0f);

  Buffers<double> doubles(512, 7.0);
  host.ProcessDouble(doubles.ins, doubles.outs, 512);
  for (int c = 0; c < 2; ++c)
    for (double v : doubles.out[c]) ASSERT_EQ(v, 0.0);
}

TEST_F(PluginTest, NewBlockSizeZeroesScratch) {
  host.Dispatch(effSetBlockSize, 0, 128);
  Buffers<float> first(128);
  host.ProcessReplacing(first.ins, first.outs, 128);
  host.Dispatch(effSetBlockSize, 0, 64);
  VstSpeakerArrangement none = {};
  VstSpeakerArrangement stereo = {};
  stereo.numChannels = 2;
  host.Dispatch(effSetSpeakerArrangement, 0, reinterpret_cast<VstIntPtr>(&none), &stereo);
  Buffers<float> second(64, 3.0f);
  host.ProcessReplacing(nullptr, second.outs, 64);
  for (int c = 0; c < 2; ++c)
    for (float v : second.out[c]) EXPECT_EQ(v, 0.0f);
}

// Audition plays the clip raw, so every output sample of a long call can be
// checked against the file.
TEST_F(PluginTest, CallsLongerThanTheBlockSizeAreProcessedWhole) {
  std::vector<double> ramp(6000);
  for (std::size_t i = 0; i < ramp.size(); ++i) ramp[i] = (static_cast<int>(i % 200) - 100) / 128.0;
  const std::string path = WriteClip("long-calls.wav", ramp);
  auto expectClip = [&](const std::vector<float>& out, int from) {
    for (std::size_t i = 0; i < out.size(); ++i)
      ASSERT_NEAR(out[i], ramp[from + i], 1e-4) << i;
  };

  Start(host, 44100.f, 100);
  LoadByState(host, path);
  Analyse(host, 6000, 100);
  host.SetParameter(14, 1.0f);
  Buffers<float> floats(1000, 9.0f);
  host.ProcessReplacing(floats.ins, floats.outs, 1000);
  expectClip(floats.out[0], 0);

  Buffers<double> doubles(777, 9.0);
  host.ProcessDouble(doubles.ins, doubles.outs, 777);
  for (int i = 0; i < 777; ++i) ASSERT_NEAR(doubles.out[0][i], ramp[1000 + i], 1e-4) << i;

  // Without any block size from the host, 1024 applies.
  VstHost fresh;
  std::string error;
  ASSERT_TRUE(fresh.Load(DILATORIX_PLUGIN_PATH, &error)) << error;
  fresh.Dispatch(effOpen);
  LoadByState(fresh, path);
  Analyse(fresh, 6000, 1024);
  fresh.SetParameter(14, 1.0f);
  Buffers<float> big(5000, 9.0f);
  fresh.ProcessReplacing(big.ins, big.outs, 5000);
  expectClip(big.out[0], 0);
}

TEST_F(PluginTest, NotesAndControllersAreTakenOtherEventsGoBack) {
  auto midi = [](unsigned char status) {
    VstMidiEvent event = {};
    event.type = kVstMidiType;
    event.byteSize = sizeof event;
    event.midiData[0] = static_cast<char>(status);
    event.midiData[1] = 60;
    event.midiData[2] = 100;
    return event;
  };
  VstMidiEvent events[] = {midi(0x90), midi(0x80), midi(0xB0), midi(0xE0),
                           midi(0xA3), midi(0xC0), midi(0xD0), midi(0xF8)};
  VstEvent sysex = {};
  sysex.type = 6;
  sysex.byteSize = sizeof sysex;
  struct {
    VstInt32 numEvents;
    VstIntPtr reserved;
    VstEvent* events[10];
  } list = {10, 0, {}};
  for (int i = 0; i < 8; ++i) list.events[i] = reinterpret_cast<VstEvent*>(&events[i]);
  list.events[8] = nullptr;
  list.events[9] = &sysex;
  EXPECT_EQ(host.Dispatch(effProcessEvents, 0, 0, &list), 1);
  EXPECT_EQ(host.Dispatch(effProcessEvents, 0, 0, nullptr), 0);

  std::vector<unsigned> returned;
  for (const VstMidiEvent& event : host.receivedMidi) {
    returned.push_back(static_cast<unsigned char>(event.midiData[0]));
    EXPECT_EQ(event.byteSize, 32);
  }
  EXPECT_EQ(returned, (std::vector<unsigned>{0xE0, 0xA3, 0xC0, 0xD0, 0xF8}));
  ASSERT_EQ(host.receivedEvents.size(), 1u);
  EXPECT_EQ(host.receivedEvents[0].type, 6);
}

}  // namespace
