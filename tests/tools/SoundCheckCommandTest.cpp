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

namespace {

struct Result {
  int exitCode = -1;
  std::string out;
  std::string err;
};

std::string Quote(const std::string& text) {
  std::string quoted = "'";
  for (char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

std::string ReadText(const std::string& path) {
  std::ifstream in(path);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

// Runs the tool with args and TMPDIR pointing into tmp.
Result RunTool(const std::vector<std::string>& args, const ScratchDirectory& tmp,
               const ScratchDirectory& logs) {
  std::string command = "TMPDIR=" + Quote(tmp.Path()) + " " + Quote(DILATORIX_SOUND_CHECK_PATH);
  for (const std::string& arg : args) command += " " + Quote(arg);
  command += " >" + Quote(logs / "out") + " 2>" + Quote(logs / "err") + " </dev/null";
  Result result;
  const int status = std::system(command.c_str());
  if (WIFEXITED(status)) result.exitCode = WEXITSTATUS(status);
  result.out = ReadText(logs / "out");
  result.err = ReadText(logs / "err");
  return result;
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
    const Result result = RunTool(c.args, tmp, logs);
    EXPECT_EQ(result.exitCode, 1) << c.message;
    EXPECT_EQ(result.out, "") << c.message;
    EXPECT_EQ(result.err.rfind("dilatorix-sound-check: " + c.message, 0), 0u) << result.err;
    EXPECT_EQ(std::count(result.err.begin(), result.err.end(), '\n'), 1) << result.err;
  }
  EXPECT_TRUE(tmp.Names().empty());
}

TEST(SoundCheckCommand, RunsOneSectionAndLeavesNoClipsBehind) {
  ScratchDirectory tmp, logs;
  const Result result = RunTool({"--section", "rate"}, tmp, logs);
  EXPECT_EQ(result.exitCode, 0) << result.err;
  EXPECT_EQ(result.err, "");
  EXPECT_NE(result.out.find("Host rate change"), std::string::npos) << result.out;
  EXPECT_NE(result.out.find("measured "), std::string::npos) << result.out;
  EXPECT_EQ(result.out.find("Steady tone"), std::string::npos) << result.out;
  EXPECT_EQ(result.out.find("Pink noise"), std::string::npos) << result.out;
  EXPECT_TRUE(tmp.Names().empty());

  const Result help = RunTool({"--help"}, tmp, logs);
  EXPECT_EQ(help.exitCode, 0);
  EXPECT_EQ(help.out.rfind("usage: dilatorix-sound-check", 0), 0u) << help.out;
}

TEST(SoundCheckCommand, RemovesItsClipsWhenTheTableIsCutShort) {
  ScratchDirectory tmp;
  // head leaves after the first byte; the rows that follow meet a closed pipe.
  const std::string command = "TMPDIR=" + Quote(tmp.Path()) + " " +
                              Quote(DILATORIX_SOUND_CHECK_PATH) +
                              " --section pitch 2>/dev/null | head -c 1 >/dev/null";
  EXPECT_EQ(std::system(command.c_str()), 0);
  EXPECT_TRUE(tmp.Names().empty());
}

}  // namespace
