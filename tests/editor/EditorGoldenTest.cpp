// The editor as a host shows it, drawn by the snapshot tool's own code and
// compared pixel for pixel with committed golden images: before any file
// (black spectrograph, no progress bar, no waveform) and after the demo phrase
// is loaded, analysed and played with fixed blocks and parameters. Regenerate
// them only on purpose, with DILATORIX_UPDATE_GOLDEN=1 (see the README).
#include <gtest/gtest.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "editor/StretchEditor.h"
#include "host/EditorSnapshot.h"
#include "host/InputClip.h"
#include "host/RenderOptions.h"
#include "host/ScratchDirectory.h"
#include "tests/support/GoldenImage.h"

namespace {

const std::string kGoldenDir = std::string(DILATORIX_SOURCE_DIR) + "/tests/editor/golden/";

void ExpectEditorMatches(EditorSnapshot& snapshot, const std::string& name) {
  ExpectMatchesGolden(snapshot.Canvas(), StretchEditor::kWidth, StretchEditor::kHeight,
                      kGoldenDir + name);
}

TEST(EditorGoldenTest, BeforeAnyFile) {
  EditorSnapshot snapshot;
  std::string error;
  ASSERT_TRUE(snapshot.Open(44100, 512, &error)) << error;
  ExpectEditorMatches(snapshot, "before-any-file.png");
}

// As "dilatorix-snapshot --stretch 4 --blur 300 --region 0.1 0.9 --seconds 6"
// draws it. The editor shows the last 64 characters of a long path: a file
// name of 63 keeps the test's own folder out of the picture.
TEST(EditorGoldenTest, AfterTheDemoPhrasePlayed) {
  ScratchDirectory dir("dilatorix-golden");
  const std::string path = dir / "demo-phrase-under-a-name-long-enough-to-fill-the-shown-path.wav";
  ASSERT_EQ(path.size() - dir.Path().size(), 64u);
  ASSERT_EQ(symlink(DILATORIX_DEMO_CLIP, path.c_str()), 0) << DILATORIX_DEMO_CLIP;

  const char* args[] = {"dilatorix-snapshot", "--stretch", "4",   "--blur",    "300",
                        "--region",           "0.1",       "0.9", "--seconds", "6"};
  RenderOptions options;
  std::string error;
  ASSERT_TRUE(ParseSnapshotOptions(sizeof args / sizeof args[0], args, &options, &error)) << error;
  double frames = 0;
  ASSERT_TRUE(CheckInputClip(path, options.sampleRate, &frames, &error)) << error;
  EditorSnapshot snapshot;
  ASSERT_TRUE(snapshot.Open(options.sampleRate, options.blockSize, &error)) << error;
  ASSERT_TRUE(snapshot.Play(path, static_cast<std::int64_t>(frames), options.Assignments(),
                            options.duration, &error))
      << error;
  ExpectEditorMatches(snapshot, "after-the-demo-phrase-played.png");
}

}  // namespace
