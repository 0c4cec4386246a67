// A FIFO for tests of code that must never wait on one. Once the patience has
// passed, a watcher thread keeps opening the FIFO's writing end, which lets go
// of any reader stuck in its open: code that waits then fails its test's
// timing check instead of hanging the suite.
#pragma once

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <string>
#include <thread>

class TestFifo {
 public:
  static constexpr double kPatienceMs = 2000;

  static double MsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
        .count();
  }

  explicit TestFifo(std::string fifoPath) : path(std::move(fifoPath)) {
    unlink(path.c_str());
    made = mkfifo(path.c_str(), 0600) == 0;
    if (made) watcher = std::thread([this] { Watch(); });
  }
  ~TestFifo() {
    done = true;
    if (watcher.joinable()) watcher.join();
    if (made) unlink(path.c_str());
  }
  TestFifo(const TestFifo&) = delete;
  TestFifo& operator=(const TestFifo&) = delete;

  bool Made() const { return made; }
  const std::string& Path() const { return path; }

 private:
  void Watch() {
    const auto start = std::chrono::steady_clock::now();
    while (!done) {
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
      if (MsSince(start) < kPatienceMs) continue;
      // Succeeds only while a reader has the FIFO open; closing at once gives
      // that reader an end of file.
      const int fd = open(path.c_str(), O_WRONLY | O_NONBLOCK);
      if (fd >= 0) close(fd);
    }
  }

  std::string path;
  bool made = false;
  std::atomic<bool> done{false};
  std::thread watcher;
};
