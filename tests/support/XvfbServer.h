// A private X server for one test process: Xvfb on a free display number,
// 24-bit, no TCP. DISPLAY points at it while the object lives, so everything
// in the process that opens the default display (the editor among them) lands
// there, xdotool included. Xvfb ends with the object.
#pragma once

#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

extern char** environ;

class XvfbServer {
 public:
  XvfbServer() {
    int pipeEnds[2];
    if (pipe(pipeEnds) != 0) return;
    const std::string fd = std::to_string(pipeEnds[1]);
    const char* argv[] = {"Xvfb",         "-displayfd", fd.c_str(), "-screen",  "0",
                          "1280x1024x24", "-nolisten",  "tcp",      "-noreset", nullptr};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addclose(&actions, pipeEnds[0]);
    // Its outputs must not hold a test runner's pipe after a crashed test.
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    const int spawned =
        posix_spawnp(&pid, "Xvfb", &actions, nullptr, const_cast<char* const*>(argv), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(pipeEnds[1]);
    if (spawned != 0) {
      pid = -1;
      close(pipeEnds[0]);
      return;
    }
    // Xvfb writes the display number once it accepts connections.
    std::string number;
    pollfd wait{pipeEnds[0], POLLIN, 0};
    char c;
    while (poll(&wait, 1, 10000) == 1 && read(pipeEnds[0], &c, 1) == 1 && c != '\n') number += c;
    close(pipeEnds[0]);
    if (number.empty()) return;
    const char* old = std::getenv("DISPLAY");
    if (old != nullptr) previousDisplay = old, hadDisplay = true;
    name = ":" + number;
    setenv("DISPLAY", name.c_str(), 1);
  }
  ~XvfbServer() {
    if (hadDisplay)
      setenv("DISPLAY", previousDisplay.c_str(), 1);
    else
      unsetenv("DISPLAY");
    if (pid > 0) {
      kill(pid, SIGTERM);
      waitpid(pid, nullptr, 0);
    }
  }
  XvfbServer(const XvfbServer&) = delete;
  XvfbServer& operator=(const XvfbServer&) = delete;

  // Whether the server runs; the display name is then ":N".
  bool Running() const { return !name.empty(); }
  const std::string& DisplayName() const { return name; }

 private:
  pid_t pid = -1;
  std::string name;
  std::string previousDisplay;
  bool hadDisplay = false;
};

// The fixture of a suite that runs on one private server.
class PrivateXServerTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { server = new XvfbServer(); }
  static void TearDownTestSuite() {
    delete server;
    server = nullptr;
  }
  static bool ServerRunning() { return server != nullptr && server->Running(); }

  // Runs xdotool against the server; false when it failed or hung.
  static bool Xdo(const std::string& arguments) {
    return std::system(("timeout 5 xdotool " + arguments + " >/dev/null 2>&1").c_str()) == 0;
  }

 private:
  static inline XvfbServer* server = nullptr;
};
