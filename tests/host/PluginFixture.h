// Loads the built plug-in through the test host, as a host would.
#pragma once

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "host/VstHost.h"
#include "tests/audio/TestAudioFiles.h"
#include "tests/host/StateChunks.h"

// What follows the path in the plug-in's chunks: tag, version, the envelope's
// points left to right, the clip status.
constexpr std::size_t kTrailerBytes = 4 + 4 + 8 * 8 + 4;

class PluginTest : public ::testing::Test {
 protected:
  void SetUp() override { Load(); }

  void Load() {
    std::string error;
    ASSERT_TRUE(host.Load(DILATORIX_PLUGIN_PATH, &error)) << error;
    effect = host.Effect();
  }

  // The bank chunk's 51 values.
  static std::vector<double> Values(const std::vector<unsigned char>& chunk) {
    return ChunkValues(chunk);
  }
  // A chunk as older builds write one: header, 51 values, path.
  static std::vector<unsigned char> MakeChunk(const std::vector<double>& values,
                                              const std::string& path, bool header = true) {
    return MakeStateChunk(values, path, header);
  }

  // Opens the instance as a host does before playing.
  static void Start(VstHost& h, float rate = 44100.f, int block = 512) {
    h.Dispatch(effOpen);
    h.Dispatch(effSetSampleRate, 0, 0, nullptr, rate);
    h.Dispatch(effSetBlockSize, 0, block);
    h.Dispatch(effMainsChanged, 0, 1);
  }

  // A 16-bit WAVE file of the given samples (per channel, in -1..1).
  static std::string WriteClip(const std::string& name, const std::vector<double>& left,
                               const std::vector<double>& right = {}, std::uint32_t rate = 44100) {
    WaveLayout layout;
    layout.channels = right.empty() ? 1 : 2;
    layout.rate = rate;
    std::vector<std::int64_t> samples;
    for (std::size_t i = 0; i < left.size(); ++i) {
      samples.push_back(std::lround(left[i] * 32767));
      if (!right.empty()) samples.push_back(std::lround(right[i] * 32767));
    }
    return WriteTemp(name, MakeWave(layout, samples));
  }

  // The trailer's points, or none when the chunk has no trailer after its path.
  static std::vector<double> TrailerPoints(const std::vector<unsigned char>& chunk) {
    const std::size_t at = 420 + StatePath(chunk).size();
    if (chunk.size() < at + kTrailerBytes || std::memcmp(chunk.data() + at, "DxSt", 4) != 0)
      return {};
    std::vector<double> points(8);
    std::memcpy(points.data(), chunk.data() + at + 8, 64);
    return points;
  }

  // The trailer's clip status: 0 no file, 1 the file is playing, 2 it could not
  // be loaded; -1 without a trailer.
  static std::int32_t TrailerStatus(const std::vector<unsigned char>& chunk) {
    const std::size_t at = 420 + StatePath(chunk).size();
    if (chunk.size() < at + kTrailerBytes || std::memcmp(chunk.data() + at, "DxSt", 4) != 0)
      return -1;
    std::int32_t status = -1;
    std::memcpy(&status, chunk.data() + at + 72, 4);
    return status;
  }

  // Hands the host a state naming the file, with the instance's current values
  // changed as given (index, value in real units).
  static void LoadByState(VstHost& h, const std::string& path,
                          const std::vector<std::pair<int, double>>& changes = {}) {
    std::vector<double> values = Values(h.GetChunk(false));
    for (const auto& change : changes) values[change.first] = change.second;
    ASSERT_EQ(h.SetChunk(MakeChunk(values, path), false), 1);
  }

  static std::string StatePath(const std::vector<unsigned char>& chunk) {
    std::int32_t length = 0;
    if (chunk.size() >= 420) std::memcpy(&length, chunk.data() + 416, 4);
    if (length <= 0 || chunk.size() < 420 + static_cast<std::size_t>(length)) return std::string();
    return std::string(chunk.begin() + 420, chunk.begin() + 420 + length);
  }
  static std::string StatePath(VstHost& h) { return StatePath(h.GetChunk(false)); }

  // One stereo block of double output.
  static std::vector<double> Block(VstHost& h, int frames, std::vector<double>* right = nullptr) {
    std::vector<double> l(frames, 9.0), r(frames, 9.0);
    double* outs[2] = {l.data(), r.data()};
    h.ProcessDouble(nullptr, outs, frames);
    if (right != nullptr) *right = r;
    return l;
  }

  // Runs the silent analysis blocks of a clip of the given length, with the
  // transport stopped: 2048 clip frames per call, then one call to finish.
  static void Analyse(VstHost& h, int clipFrames, int block = 512) {
    const bool playing = h.transport.playing;
    h.transport.playing = false;
    for (int k = 0; k < (clipFrames + 2047) / 2048 + 1; ++k) Block(h, block);
    h.transport.playing = playing;
  }

  VstHost host;
  AEffect* effect = nullptr;
};
