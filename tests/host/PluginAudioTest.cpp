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

TEST_F(PluginTest, ProcessEntriesPassInputsThrough) {
  host.Dispatch(effOpen);
  host.Dispatch(effSetSampleRate, 0, 0, nullptr, 48000.f);
  host.Dispatch(effSetBlockSize, 0, 512);
  host.Dispatch(effMainsChanged, 0, 1);

  Buffers<float> replacing(512, 7.0f);
  host.ProcessReplacing(replacing.ins, replacing.outs, 512);
  EXPECT_EQ(replacing.out[0], replacing.in[0]);
  EXPECT_EQ(replacing.out[1], replacing.in[1]);

  Buffers<float> accumulating(512, 1.0f);
  host.ProcessAccumulating(accumulating.ins, accumulating.outs, 512);
  for (int s = 0; s < 512; ++s) EXPECT_EQ(accumulating.out[1][s], 1.0f + accumulating.in[1][s]);

  Buffers<double> doubles(512, 7.0);
  host.ProcessDouble(doubles.ins, doubles.outs, 512);
  EXPECT_EQ(doubles.out[0], doubles.in[0]);
  EXPECT_EQ(doubles.out[1], doubles.in[1]);
}

TEST_F(PluginTest, DisconnectedInputReadsZeros) {
  host.Dispatch(effOpen);
  host.Dispatch(effSetBlockSize, 0, 256);
  Buffers<float> first(256);
  host.ProcessReplacing(first.ins, first.outs, 256);  // leaves audio in the scratch buffers

  VstSpeakerArrangement mono = {};
  mono.numChannels = 1;
  VstSpeakerArrangement stereo = {};
  stereo.numChannels = 2;
  EXPECT_EQ(host.Dispatch(effSetSpeakerArrangement, 0, reinterpret_cast<VstIntPtr>(&mono), &stereo), 1);
  Buffers<float> second(256, 5.0f);
  float* one[1] = {second.in[0].data()};
  host.ProcessReplacing(one, second.outs, 256);
  EXPECT_EQ(second.out[0], second.in[0]);
  for (float v : second.out[1]) EXPECT_EQ(v, 0.0f);

  Buffers<double> doubles(256, 5.0);
  double* oneDouble[1] = {doubles.in[0].data()};
  host.ProcessDouble(oneDouble, doubles.outs, 256);
  for (double v : doubles.out[1]) EXPECT_EQ(v, 0.0);
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

TEST_F(PluginTest, CallsLongerThanTheBlockSizeAreProcessedWhole) {
  host.Dispatch(effSetBlockSize, 0, 100);
  Buffers<float> floats(1000, 9.0f);
  host.ProcessReplacing(floats.ins, floats.outs, 1000);
  EXPECT_EQ(floats.out[0], floats.in[0]);
  EXPECT_EQ(floats.out[1], floats.in[1]);

  Buffers<double> doubles(777, 9.0);
  host.ProcessDouble(doubles.ins, doubles.outs, 777);
  EXPECT_EQ(doubles.out[1], doubles.in[1]);

  // Without any block size from the host, 1024 applies.
  VstHost fresh;
  std::string error;
  ASSERT_TRUE(fresh.Load(DILATORIX_PLUGIN_PATH, &error)) << error;
  Buffers<float> big(5000, 9.0f);
  fresh.ProcessReplacing(big.ins, big.outs, 5000);
  EXPECT_EQ(big.out[1], big.in[1]);
}

TEST_F(PluginTest, EventsGoBackToTheHost) {
  VstMidiEvent note = {};
  note.type = kVstMidiType;
  note.byteSize = sizeof note;
  note.midiData[0] = static_cast<char>(0x90);
  note.midiData[1] = 60;
  note.midiData[2] = 100;
  VstEvent sysex = {};
  sysex.type = 6;
  sysex.byteSize = sizeof sysex;
  struct {
    VstInt32 numEvents;
    VstIntPtr reserved;
    VstEvent* events[3];
  } list = {3, 0, {reinterpret_cast<VstEvent*>(&note), nullptr, &sysex}};
  EXPECT_EQ(host.Dispatch(effProcessEvents, 0, 0, &list), 1);
  EXPECT_EQ(host.Dispatch(effProcessEvents, 0, 0, nullptr), 0);
  // The base hands every MIDI message back; the product's own handling comes
  // with its parameter handlers.
  EXPECT_EQ(host.receivedEvents.size(), 1u);
  EXPECT_EQ(host.receivedEvents[0].type, 6);
  ASSERT_EQ(host.receivedMidi.size(), 1u);
  EXPECT_EQ(static_cast<unsigned char>(host.receivedMidi[0].midiData[0]), 0x90);
  EXPECT_EQ(host.receivedMidi[0].byteSize, 32);
}

}  // namespace
