#include <gtest/gtest.h>

#include "tests/host/PluginFixture.h"

namespace {

std::vector<double> DefaultValues() {
  std::vector<double> v(51, 0.0);
  v[0] = 0.7079457843841428;
  for (int i : {2, 12, 16, 19, 23, 24, 25, 26, 27, 28}) v[i] = 1.0;
  v[7] = v[8] = 10.0;
  v[15] = 0.5;
  return v;
}

TEST_F(PluginTest, NewInstanceSavesTheDefaultChunk) {
  for (bool program : {false, true}) {
    const std::vector<unsigned char> chunk = host.GetChunk(program);
    ASSERT_EQ(chunk.size(), 420u + kTrailerBytes);
    const unsigned char header[] = {0x74, 0x66, 0x66, 0x70, 0x00, 0x00, 0x01, 0x00};
    EXPECT_EQ(std::memcmp(chunk.data(), header, 8), 0);
    EXPECT_EQ(Values(chunk), DefaultValues());
    const unsigned char zero[4] = {};
    EXPECT_EQ(std::memcmp(chunk.data() + 416, zero, 4), 0);
    // The envelope's initial shape: full volume over the whole clip.
    EXPECT_EQ(TrailerPoints(chunk), (std::vector<double>{0, 0, 0, 1, 1, 1, 1, 0}));
    EXPECT_EQ(TrailerStatus(chunk), 0);  // no file
  }
  EXPECT_EQ(host.Dispatch(effGetChunk, 0, 0, nullptr), 0);
}

TEST_F(PluginTest, ChunkWithPathRoundTrips) {
  std::vector<double> values = DefaultValues();
  values[4] = 0.25;
  values[13] = 3;
  values[50] = 1;
  const std::string path = WriteClip("round-trip.wav", std::vector<double>(3000, 0.25));
  ASSERT_EQ(host.SetChunk(MakeChunk(values, path), false), 1);
  const std::vector<unsigned char> saved = host.GetChunk(false);
  ASSERT_EQ(saved.size(), 420u + path.size() + kTrailerBytes);
  EXPECT_EQ(Values(saved), values);
  EXPECT_EQ(StatePath(host), path);
  EXPECT_EQ(TrailerStatus(saved), 1);
  EXPECT_EQ(host.ParamDisplay(13), "Rand Walk");

  // Loading it into a fresh instance gives the same state.
  VstHost other;
  std::string error;
  ASSERT_TRUE(other.Load(DILATORIX_PLUGIN_PATH, &error)) << error;
  ASSERT_EQ(other.SetChunk(saved, true), 1);
  EXPECT_EQ(other.GetChunk(false), saved);

  // An empty path keeps the file that is loaded.
  ASSERT_EQ(host.SetChunk(MakeChunk(DefaultValues(), ""), false), 1);
  const std::vector<unsigned char> kept = host.GetChunk(false);
  EXPECT_EQ(StatePath(host), path);
  EXPECT_EQ(Values(kept), DefaultValues());

  // A path that names no file is kept all the same, marked as not loaded.
  ASSERT_EQ(host.SetChunk(MakeChunk(DefaultValues(), path + ".missing"), false), 1);
  EXPECT_EQ(StatePath(host), path + ".missing");
  EXPECT_EQ(TrailerStatus(host.GetChunk(false)), 2);
}

TEST_F(PluginTest, ChunksWithoutHeaderOrCutShort) {
  std::vector<double> values = DefaultValues();
  values[3] = 0.5;
  values[8] = 5000;  // beyond BlurNom's range
  ASSERT_EQ(host.SetChunk(MakeChunk(values, "", false), false), 1);
  EXPECT_EQ(host.ParamDisplay(3), "0.5000");
  EXPECT_EQ(host.ParamDisplay(8), "1000.00");

  // Only the magic: nothing is read and the call fails.
  const std::vector<unsigned char> magic = {0x74, 0x66, 0x66, 0x70};
  EXPECT_EQ(host.SetChunk(magic, false), 0);
  EXPECT_EQ(host.ParamDisplay(3), "0.5000");

  // The values without a length word: all are loaded, the call still fails.
  std::vector<unsigned char> noLength = MakeChunk(DefaultValues(), "");
  noLength.resize(416);
  EXPECT_EQ(host.SetChunk(noLength, false), 0);
  EXPECT_EQ(host.ParamDisplay(3), "0");
  EXPECT_EQ(host.ParamDisplay(8), "10.00");

  // Cut inside the values: those that fit load, the next reads as 0.
  values = DefaultValues();
  values[0] = 0.5;
  std::vector<unsigned char> cut = MakeChunk(values, "");
  cut.resize(8 + 2 * 8 + 3);
  EXPECT_EQ(host.SetChunk(cut, false), 0);
  EXPECT_EQ(host.ParamDisplay(0), "0.50");
  EXPECT_EQ(host.ParamDisplay(2), "512");  // the value at which reading failed

  // A path whose bytes are cut short counts as loaded with no path.
  std::vector<unsigned char> shortPath = MakeChunk(DefaultValues(), "/a/long/path.wav");
  shortPath.resize(shortPath.size() - 4);
  EXPECT_EQ(host.SetChunk(shortPath, false), 1);
  const std::vector<unsigned char> after = host.GetChunk(false);
  EXPECT_EQ(after.size(), 420u + kTrailerBytes);

  // A negative path length is corrupt.
  std::vector<unsigned char> negative = MakeChunk(DefaultValues(), "");
  const std::int32_t minusOne = -1;
  std::memcpy(negative.data() + 416, &minusOne, 4);
  EXPECT_EQ(host.SetChunk(negative, false), 0);

  EXPECT_EQ(host.Dispatch(effSetChunk, 0, 0, const_cast<unsigned char*>(magic.data())), 0);
  EXPECT_EQ(host.Dispatch(effSetChunk, 0, -5, const_cast<unsigned char*>(magic.data())), 0);
  EXPECT_EQ(host.Dispatch(effSetChunk, 0, 420, nullptr), 0);
}

TEST_F(PluginTest, ProgramSlots) {
  EXPECT_EQ(host.Dispatch(effGetProgram), 0);
  EXPECT_EQ(host.ProgramName(), "- 1 -");
  for (int i = 0; i < 6; ++i) EXPECT_EQ(host.ProgramNameIndexed(i), "- " + std::to_string(i + 1) + " -");
  EXPECT_EQ(host.ProgramNameIndexed(6), "");
  EXPECT_EQ(host.Dispatch(effGetProgramNameIndexed, 6, 0, nullptr), 0);

  host.SetParameter(16, 1.0f);  // Pitch 2
  host.Dispatch(effSetProgram, 0, 2);
  EXPECT_EQ(host.Dispatch(effGetProgram), 2);
  EXPECT_EQ(host.ProgramName(), "user preset 1");
  host.SetParameter(16, 0.0f);  // Pitch 0.5
  host.Dispatch(effSetProgram, 0, 4);
  EXPECT_EQ(host.ProgramNameIndexed(4), "user preset 2");
  host.Dispatch(effSetProgram, 0, 2);
  EXPECT_EQ(host.ParamDisplay(16), "2.00");  // restored from the slot
  host.Dispatch(effSetProgram, 0, 4);
  EXPECT_EQ(host.ParamDisplay(16), "0.50");

  // Renaming stores the current values into the current slot.
  host.SetParameter(16, 1.0f / 3.0f);
  char name[] = "Renamed";
  host.Dispatch(effSetProgramName, 0, 0, name);
  EXPECT_EQ(host.ProgramName(), "Renamed");
  host.Dispatch(effSetProgram, 0, 2);
  host.Dispatch(effSetProgram, 0, 4);
  EXPECT_EQ(host.ParamDisplay(16), "1.00");

  host.Dispatch(effSetProgram, 0, 6);
  host.Dispatch(effSetProgram, 0, -1);
  host.Dispatch(effSetProgram, 0, static_cast<VstIntPtr>(1) << 33);  // not slot 0
  EXPECT_EQ(host.Dispatch(effGetProgram), 4);
}

TEST_F(PluginTest, BankChunkStoresTheCurrentValuesIntoTheCurrentSlot) {
  host.Dispatch(effSetProgram, 0, 1);  // captures the defaults
  host.SetParameter(16, 1.0f);
  host.GetChunk(false);  // a bank request
  host.SetParameter(16, 0.0f);
  host.Dispatch(effSetProgram, 0, 1);
  EXPECT_EQ(host.ParamDisplay(16), "2.00");

  host.SetParameter(16, 0.0f);
  host.GetChunk(true);  // a program request leaves the slot alone
  host.Dispatch(effSetProgram, 0, 1);
  EXPECT_EQ(host.ParamDisplay(16), "2.00");
}

}  // namespace
