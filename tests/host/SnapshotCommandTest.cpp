// Runs the built dilatorix-snapshot as a user would and checks its exits,
// messages and pictures.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <memory>

#include "raster/PngDecoder.h"
#include "tests/host/RenderTestFiles.h"
#include "tests/support/CommandRun.h"

namespace {

constexpr int kWidth = 720, kHeight = 650;
// The waveform overview: 500 columns from x 100, its middle row.
constexpr int kOverviewLeft = 100, kOverviewColumns = 500, kOverviewRow = 75;

class SnapshotCommandTest : public ::testing::Test {
 protected:
  CommandResult Run(const std::vector<std::string>& args) {
    std::string command =
        "cd " + ShellQuote(dir.Path()) + " && " + ShellQuote(DILATORIX_SNAPSHOT_PATH);
    for (const std::string& arg : args) command += " " + ShellQuote(arg);
    return RunCommand(command, logs);
  }

  // Draws args into dir/name and reads the picture back.
  std::unique_ptr<PxMemBitmap> Snapshot(std::vector<std::string> args,
                                        const std::string& name = "out.png") {
    args.push_back("-o");
    args.push_back(dir / name);
    const CommandResult result = Run(args);
    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(result.err, "");
    return DecodePngFile(dir / name, true);
  }

  // The overview's columns drawn in the cursor's red.
  static std::vector<int> CursorColumns(const PxMemBitmap& picture) {
    std::vector<int> columns;
    for (int c = 0; c < kOverviewColumns; ++c)
      if ((picture.Row(kOverviewRow)[kOverviewLeft + c] & 0xFFFFFF) == 0xFF0000)
        columns.push_back(c);
    return columns;
  }

  ScratchDirectory dir{"dilatorix-snapshot"}, logs{"dilatorix-snapshot-logs"};
};

TEST_F(SnapshotCommandTest, FailuresExitWithOneLineAndLeaveNoFile) {
  { std::ofstream(dir / "notes.txt") << "not audio\n"; }
  struct Case {
    std::vector<std::string> args;
    std::string message;
  };
  const std::string out = dir / "out.png";
  const std::vector<Case> cases = {
      {{dir / "missing.wav", "-o", out},
       "cannot open input " + (dir / "missing.wav") + ": No such file or directory"},
      {{dir / "notes.txt", "-o", out}, "is not a WAVE or AIFF file"},
      {{dir.Path(), "-o", out}, "is a directory"},
      {{"--param", "Bogus=1", "-o", out}, "no parameter named 'Bogus'"},
      {{"--seconds", "-1", "-o", out}, "--seconds must be within 0..3600, not -1"},
      {{"--seconds", "soon", "-o", out}, "--seconds needs a number, not 'soon'"},
      {{"--bits", "24", "-o", out}, "unknown option --bits"},
      {{"--seconds", "0", "-o", dir / "no/such/dir/out.png"},
       "cannot write " + (dir / "no/such/dir/out.png") + ": No such file or directory"},
      {{"--seconds", "0", "-o", dir.Path()}, "cannot write " + dir.Path() + ": Is a directory"},
      {{"--seconds", "0", "-o", "/dev/full"}, "cannot write /dev/full: No space left on device"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.args[0] + " " + (c.args.size() > 1 ? c.args[1] : ""));
    const CommandResult result = Run(c.args);
    EXPECT_NE(result.exitCode, 0);
    EXPECT_EQ(result.err.rfind("dilatorix-snapshot: ", 0), 0u) << result.err;
    EXPECT_NE(result.err.find(c.message), std::string::npos) << result.err;
    EXPECT_EQ(std::count(result.err.begin(), result.err.end(), '\n'), 1) << result.err;
    EXPECT_EQ(dir.Names(), std::vector<std::string>{"notes.txt"});
  }

  // A clip is never overwritten by its own picture.
  ASSERT_TRUE(WriteMonoAsStereo(dir / "tone.wav", std::vector<double>(4410, 0.25)));
  const CommandResult same = Run({"tone.wav", "-o", "tone.wav"});
  EXPECT_NE(same.exitCode, 0);
  EXPECT_EQ(same.err, "dilatorix-snapshot: the output tone.wav is the input\n");
}

// The picture is the whole editor, opaque, with the play cursor where the
// seconds played at the given stretch have carried it (the display moves
// every tenth of a second of output, so it may trail by that much).
TEST_F(SnapshotCommandTest, TheCursorShowsHowFarTheDemoPhrasePlayed) {
  struct Case {
    const char* seconds;
    const char* stretch;
    int column;  // -1: none drawn
  };
  const double phraseSeconds = 5.0;
  for (const Case& c :
       {Case{"0", "1", -1}, Case{"2.5", "1", 250}, Case{"2.5", "2", 125}, Case{"4", "4", 100}}) {
    SCOPED_TRACE(std::string(c.seconds) + " s at " + c.stretch + "x");
    const std::unique_ptr<PxMemBitmap> picture =
        Snapshot({"--seconds", c.seconds, "--stretch", c.stretch});
    ASSERT_NE(picture, nullptr);
    ASSERT_EQ(picture->Width(), kWidth);
    ASSERT_EQ(picture->Height(), kHeight);
    bool opaque = true;
    for (int y = 0; y < kHeight; ++y)
      for (int x = 0; x < kWidth; ++x) opaque = opaque && picture->Row(y)[x] >> 24 == 0xFF;
    EXPECT_TRUE(opaque);
    const std::vector<int> cursor = CursorColumns(*picture);
    if (c.column < 0) {
      EXPECT_TRUE(cursor.empty());
      continue;
    }
    ASSERT_EQ(cursor.size(), 1u);
    const double trail = 0.1 / std::stod(c.stretch) / phraseSeconds * kOverviewColumns;
    EXPECT_LE(cursor[0], c.column);
    EXPECT_GE(cursor[0], c.column - trail - 1);
  }
}

// Ctrl-C in a long run ends it as a failure, with the hidden file removed.
TEST_F(SnapshotCommandTest, AnInterruptLeavesNoFile) {
  const std::string command = "cd " + ShellQuote(dir.Path()) +
                              " && timeout --preserve-status -s INT 1 " +
                              ShellQuote(DILATORIX_SNAPSHOT_PATH) + " --seconds 3600 -o out.png";
  const CommandResult result = RunCommand(command, logs);
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_EQ(result.err, "dilatorix-snapshot: interrupted\n");
  EXPECT_TRUE(dir.Names().empty());
}

TEST_F(SnapshotCommandTest, NamesThePictureAfterTheInputAndListsLikeTheRenderer) {
  ASSERT_TRUE(WriteMonoAsStereo(dir / "tone.wav", std::vector<double>(22050, 0.25)));
  const CommandResult drawn = Run({"tone.wav", "--seconds", "0.2"});
  ASSERT_EQ(drawn.exitCode, 0) << drawn.err;
  EXPECT_NE(DecodePngFile(dir / "tone-editor.png", true), nullptr);

  const CommandResult list = Run({"--list-params"});
  EXPECT_EQ(list.exitCode, 0);
  EXPECT_EQ(std::count(list.out.begin(), list.out.end(), '\n'), 1 + 30);
  const CommandResult help = Run({"--help"});
  EXPECT_EQ(help.exitCode, 0);
  EXPECT_EQ(help.out.rfind("usage: dilatorix-snapshot", 0), 0u);
  EXPECT_NE(help.out.find("--seconds S"), std::string::npos);
  EXPECT_NE(help.out.find("--stretch F"), std::string::npos);
}

}  // namespace
