// Loads that read their file outside the plug-in lock: the audio thread keeps
// playing the old clip while a file is read, loads asked for from several
// threads at once end with one consistent clip, the one asked for last, and a
// rate change during a load leaves the clip at the new rate. Threads drive
// the instance through its effect record, as a host's would.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "core/StateChunk.h"
#include "effect/Stretch.h"
#include "tests/audio/TestAudioFiles.h"

namespace {

class StretchLoadingTest : public ::testing::Test {
 protected:
  void SetUp() override {
    stretch = std::make_unique<Stretch>(nullptr);
    Dispatch(effOpen);
    Dispatch(effMainsChanged, 0, 1);
  }

  VstIntPtr Dispatch(VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0, void* ptr = nullptr,
                     float opt = 0.f) {
    AEffect* e = stretch->Effect();
    return e->dispatcher(e, opcode, index, value, ptr, opt);
  }
  // One block through the host's entry, which takes the plug-in lock.
  void ProcessBlock() {
    float left[512] = {}, right[512] = {};
    float* outputs[2] = {left, right};
    AEffect* e = stretch->Effect();
    e->processReplacing(e, nullptr, outputs, 512);
  }
  // A state naming path, handed over as a host restores a project.
  void RestoreState(const std::string& path) {
    StateChunk chunk;
    for (int i = 0; i < kStretchParamCount; ++i) chunk.AppendDouble(stretch->Param(i)->Value());
    chunk.AppendText(path);
    Dispatch(effSetChunk, 0, chunk.Size(), chunk.Data());
  }
  const AudioFile& Current() { return stretch->Clip(stretch->CurrentClip()); }

  std::unique_ptr<Stretch> stretch;
};

TEST_F(StretchLoadingTest, TheAudioThreadKeepsPlayingWhileAFileIsRead) {
  const std::string small = WriteMonoWave("loading-small.wav", Tone(44100, 440));
  // Long enough, and converted to the host's rate, that reading it takes many
  // blocks' time.
  const std::string large = WriteMonoWave("loading-large.wav", Tone(44100 * 40, 660));
  Dispatch(effSetSampleRate, 0, 0, nullptr, 48000.f);
  stretch->LoadFile(small.c_str());
  ASSERT_EQ(stretch->FilePath(), small);

  std::atomic<bool> reading{false}, stop{false};
  std::atomic<int> blocksWhileReading{0};
  std::thread audio([&] {
    while (!stop) {
      const bool during = reading;
      ProcessBlock();
      if (during && reading) ++blocksWhileReading;
    }
  });
  reading = true;
  stretch->LoadFile(large.c_str());
  reading = false;
  stop = true;
  audio.join();

  EXPECT_GT(blocksWhileReading, 0);
  EXPECT_EQ(stretch->FilePath(), large);
  EXPECT_EQ(Current().length, std::trunc(48000.0 / 44100 * 44100 * 40));
}

TEST_F(StretchLoadingTest, LoadsFromTwoThreadsEndWithOneConsistentClip) {
  const std::string a = WriteMonoWave("loading-a.wav", Tone(30000, 440));
  const std::string b = WriteMonoWave("loading-b.wav", Tone(50000, 660));
  std::atomic<bool> stop{false};
  std::thread audio([&] {
    while (!stop) ProcessBlock();
  });
  std::thread dropper([&] {
    for (int i = 0; i < 12; ++i) stretch->FileDropped((i % 2 == 0 ? a : b).c_str());
  });
  for (int i = 0; i < 12; ++i) RestoreState(i % 2 == 0 ? b : a);
  dropper.join();
  stop = true;
  audio.join();

  const std::string path = stretch->FilePath();
  ASSERT_TRUE(path == a || path == b) << path;
  EXPECT_FALSE(stretch->FileMissing());
  EXPECT_EQ(Current().length, path == a ? 30000 : 50000);
  EXPECT_EQ(stretch->Clip(1 - stretch->CurrentClip()).length, 0);

  // Once the threads are done, the last one asked for is the one loaded.
  RestoreState(a);
  EXPECT_EQ(stretch->FilePath(), a);
  EXPECT_EQ(Current().length, 30000);
}

TEST_F(StretchLoadingTest, ALoadAskedForWhileAnotherIsReadReplacesIt) {
  const std::string large = WriteMonoWave("loading-first.wav", Tone(44100 * 30, 440));
  const std::string later = WriteMonoWave("loading-later.wav", Tone(20000, 660));
  Dispatch(effSetSampleRate, 0, 0, nullptr, 48000.f);
  std::thread first([&] { stretch->LoadFile(large.c_str()); });
  // Whether the first is still being read or already done, the later one wins.
  std::this_thread::sleep_for(std::chrono::milliseconds(20));
  stretch->LoadFile(later.c_str());
  first.join();
  EXPECT_EQ(stretch->FilePath(), later);
  EXPECT_EQ(Current().length, std::trunc(48000.0 / 44100 * 20000));
}

TEST_F(StretchLoadingTest, ARateChangeDuringALoadLeavesTheClipAtTheNewRate) {
  const std::string large = WriteMonoWave("loading-rate.wav", Tone(44100 * 20, 440));
  std::thread loader([&] { stretch->LoadFile(large.c_str()); });
  std::this_thread::sleep_for(std::chrono::milliseconds(5));
  Dispatch(effSetSampleRate, 0, 0, nullptr, 48000.f);
  loader.join();
  // The rate call may have come before the read, during it or after it.
  EXPECT_EQ(stretch->FilePath(), large);
  EXPECT_EQ(Current().sampleRate, 48000.0);
  EXPECT_EQ(Current().length, std::trunc(48000.0 / 44100 * 44100 * 20));
}

}  // namespace
