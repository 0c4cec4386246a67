// Runs one of our command-line tools through the shell, as a user would, and
// keeps its exit code and what it printed.
#pragma once

#include <sys/wait.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

#include "host/ScratchDirectory.h"

struct CommandResult {
  int exitCode = -1;
  std::string out;
  std::string err;
};

// text in single quotes for the shell.
inline std::string ShellQuote(const std::string& text) {
  std::string quoted = "'";
  for (char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

inline std::string ReadText(const std::string& path) {
  std::ifstream in(path);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

// Runs command with nothing on its input and its two outputs caught in logs.
inline CommandResult RunCommand(const std::string& command, const ScratchDirectory& logs) {
  const std::string redirected =
      command + " >" + ShellQuote(logs / "out") + " 2>" + ShellQuote(logs / "err") + " </dev/null";
  CommandResult result;
  const int status = std::system(redirected.c_str());
  if (WIFEXITED(status)) result.exitCode = WEXITSTATUS(status);
  result.out = ReadText(logs / "out");
  result.err = ReadText(logs / "err");
  return result;
}
