// Runs the built dilatorix-sound-check as a user would: its refusals, one short
// section, and the scratch clips gone afterwards, also when its output is cut.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "host/ScratchDirectory.h"
#include "tests/support/CommandRun.h"

namespace {

// Runs the tool with args and TMPDIR pointing into tmp.
CommandResult RunTool(const std::vector<std::string>& args, const ScratchDirectory& tmp,
                      const ScratchDirectory& logs) {
  std::string command =
      "TMPDIR=" + ShellQuote(tmp.Path()) + " " + ShellQuote(DILATORIX_SOUND_CHECK_PATH);
  for (const std::string& arg : args) command += " " + ShellQuote(arg);
  return RunCommand(command, logs);
}

TEST(SoundCheckCommand, RefusesWhatItCannotRunWithOneLine) {
  ScratchDirectory tmp, logs;
  const struct {
    std::vector<std::string> args;
    std::string message;
  } cases[] = {
      {{"--plugin", tmp / "missing.so"}, "cannot load " + (tmp / "missing.so")},
      {{"--section", "loops"}, "--section is tone, noise, pitch or rate, not 'loops'"},
      {{"--plugin"}, "--plugin needs a value"},
      {{"--fast"}, "unknown argument --fast (see --help)"},
  };
  for (const auto& c : cases) {
    const CommandResult result = RunTool(c.args, tmp, logs);
    EXPECT_EQ(result.exitCode, 1) << c.message;
    EXPECT_EQ(result.out, "") << c.message;
    EXPECT_EQ(result.err.rfind("dilatorix-sound-check: " + c.message, 0), 0u) << result.err;
    EXPECT_EQ(std::count(result.err.begin(), result.err.end(), '\n'), 1) << result.err;
  }
  EXPECT_TRUE(tmp.Names().empty());
}

TEST(SoundCheckCommand, RunsOneSectionAndLeavesNoClipsBehind) {
  ScratchDirectory tmp, logs;
  const CommandResult result = RunTool({"--section", "rate"}, tmp, logs);
  EXPECT_EQ(result.exitCode, 0) << result.err;
  EXPECT_EQ(result.err, "");
  EXPECT_NE(result.out.find("Host rate change"), std::string::npos) << result.out;
  EXPECT_NE(result.out.find("measured "), std::string::npos) << result.out;
  EXPECT_EQ(result.out.find("Steady tone"), std::string::npos) << result.out;
  EXPECT_EQ(result.out.find("Pink noise"), std::string::npos) << result.out;
  EXPECT_TRUE(tmp.Names().empty());

  const CommandResult help = RunTool({"--help"}, tmp, logs);
  EXPECT_EQ(help.exitCode, 0);
  EXPECT_EQ(help.out.rfind("usage: dilatorix-sound-check", 0), 0u) << help.out;
}

TEST(SoundCheckCommand, RemovesItsClipsWhenTheTableIsCutShort) {
  ScratchDirectory tmp;
  // head leaves after the first byte; the rows that follow meet a closed pipe.
  const std::string command = "TMPDIR=" + ShellQuote(tmp.Path()) + " " +
                              ShellQuote(DILATORIX_SOUND_CHECK_PATH) +
                              " --section pitch 2>/dev/null | head -c 1 >/dev/null";
  EXPECT_EQ(std::system(command.c_str()), 0);
  EXPECT_TRUE(tmp.Names().empty());
}

}  // namespace
