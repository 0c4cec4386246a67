// The renderer's drive of the plug-in: the state it reads and the check that a
// clip was taken.
#include <gtest/gtest.h>

#include <fstream>

#include "host/ParamText.h"
#include "host/Renderer.h"
#include "tests/host/RenderTestFiles.h"

namespace {

TEST(RendererTest, ReadsTheDefaultsAndNoticesAClipNotTaken) {
  Renderer renderer;
  std::string error;
  ASSERT_TRUE(renderer.Open(DILATORIX_PLUGIN_PATH, 44100, 256, &error)) << error;
  ASSERT_EQ(renderer.Values().size(), 51u);
  for (const StretchParamSpec* record : SettableStretchParams())
    EXPECT_DOUBLE_EQ(renderer.Values()[record->index], ParamDefault(*record)) << record->name;

  ScratchDirectory dir;
  { std::ofstream(dir / "text.wav") << "RIFF but not really"; }
  std::vector<double> values = renderer.Values();
  values[kPitch] = 1.5;
  for (const std::string& path : {dir / "missing.wav", dir / "text.wav"}) {
    EXPECT_FALSE(renderer.LoadClip(path, values, &error));
    EXPECT_EQ(error, "the plug-in could not load " + path);
  }

  std::vector<double> tone(4096, 0.25);
  ASSERT_TRUE(WriteMonoAsStereo(dir / "tone.wav", tone));
  ASSERT_TRUE(renderer.LoadClip(dir / "tone.wav", values, &error)) << error;
  EXPECT_EQ(renderer.Values()[kPitch], 1.5);  // read back from the plug-in
  EXPECT_FALSE(renderer.LoadClip(dir / "tone.wav", std::vector<double>(50), &error));

  // A module that is not a VST 2 plug-in.
  Renderer other;
  EXPECT_FALSE(other.Open(dir / "text.wav", 44100, 256, &error));
  EXPECT_EQ(error.rfind("cannot load " + (dir / "text.wav"), 0), 0u) << error;
}

}  // namespace
