#include <dirent.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

#include "gui/FileDialog.h"

namespace {

// Fake dialog programs in a private folder that is the whole PATH, so a real
// zenity or kdialog on the machine is never found. The scripts use shell
// built-ins and absolute paths only.
class FileDialogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/dilatorix-dialog-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    folder = pattern;
    const char* path = std::getenv("PATH");
    if (path != nullptr) oldPath = path, hadPath = true;
    setenv("PATH", folder.c_str(), 1);
  }

  void TearDown() override {
    if (hadPath)
      setenv("PATH", oldPath.c_str(), 1);
    else
      unsetenv("PATH");
    if (DIR* dir = opendir(folder.c_str())) {
      while (dirent* entry = readdir(dir)) {
        const std::string name = entry->d_name;
        if (name != "." && name != "..") unlink((folder + "/" + name).c_str());
      }
      closedir(dir);
    }
    rmdir(folder.c_str());
  }

  // A program that saves its arguments, one a line, then runs body.
  void Fake(const std::string& name, const std::string& body) {
    const std::string file = folder + "/" + name;
    std::ofstream script(file);
    script << "#!/bin/sh\nfor a in \"$@\"; do printf '%s\\n' \"$a\"; done > '" << folder
           << "/args'\n"
           << body << "\n";
    script.close();
    chmod(file.c_str(), 0755);
  }

  std::string Arguments() const {
    std::ifstream in(folder + "/args");
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
  }

  static std::string Quoted(const std::string& text) {
    std::string quoted = "'";
    for (char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
  }

  std::string folder;
  std::string oldPath;
  bool hadPath = false;
};

const std::function<void()> kNothing = [] {};

}  // namespace

TEST_F(FileDialogTest, ZenityChoosesAnOpenPathOfAnyLength) {
  // Spaces, a quote and non-ASCII, and far past 255 bytes.
  std::string chosen = "/home/someone/My Samples/it's a \xC3\xA9t\xC3\xA9 loop";
  while (chosen.size() < 700) chosen += "/a folder with a long name";
  chosen += "/take 1.wav";
  Fake("zenity", "printf '%s\\n' " + Quoted(chosen));
  EXPECT_EQ(FileDialog::Run(FileDialog::kOpen, "/home/someone/My Samples", kNothing), chosen);
  EXPECT_EQ(Arguments(), "--file-selection\n--filename=/home/someone/My Samples/\n");
}

TEST_F(FileDialogTest, ZenityAsksForASaveTarget) {
  Fake("zenity", "printf '/tmp/out.wav\\n'");
  EXPECT_EQ(FileDialog::Run(FileDialog::kSave, "", kNothing), "/tmp/out.wav");
  EXPECT_EQ(Arguments(), "--file-selection\n--save\n--confirm-overwrite\n");
  // A folder that already ends in a slash gets no second one.
  EXPECT_EQ(FileDialog::Run(FileDialog::kSave, "/data/", kNothing), "/tmp/out.wav");
  EXPECT_EQ(Arguments(), "--file-selection\n--save\n--confirm-overwrite\n--filename=/data/\n");
}

TEST_F(FileDialogTest, KdialogStandsInWhenZenityIsMissing) {
  Fake("kdialog", "printf '/music/b.aif\\n'");
  EXPECT_EQ(FileDialog::Run(FileDialog::kOpen, "/music", kNothing), "/music/b.aif");
  EXPECT_EQ(Arguments(), "--getopenfilename\n/music\n");
  EXPECT_EQ(FileDialog::Run(FileDialog::kSave, "/music", kNothing), "/music/b.aif");
  EXPECT_EQ(Arguments(), "--getsavefilename\n/music\n");

  // Both there: zenity wins.
  Fake("zenity", "printf '/z\\n'");
  EXPECT_EQ(FileDialog::CommandLine(FileDialog::kOpen, "")[0], folder + "/zenity");
}

TEST_F(FileDialogTest, CancelOrFailureGivesNothing) {
  Fake("zenity", "exit 1");
  EXPECT_EQ(FileDialog::Run(FileDialog::kOpen, "/tmp", kNothing), "");
  // Output does not count when the program did not succeed.
  Fake("zenity", "printf '/half/written'; exit 5");
  EXPECT_EQ(FileDialog::Run(FileDialog::kOpen, "/tmp", kNothing), "");
  Fake("zenity", "kill -TERM $$");
  EXPECT_EQ(FileDialog::Run(FileDialog::kOpen, "/tmp", kNothing), "");
  // Only the one line break at the end goes.
  Fake("zenity", "printf '/no/newline'");
  EXPECT_EQ(FileDialog::Run(FileDialog::kOpen, "", kNothing), "/no/newline");
}

TEST_F(FileDialogTest, TheEditorIsKeptAliveWhileTheDialogIsOpen) {
  Fake("zenity", "/bin/sleep 0.3; printf '/slow/choice\\n'");
  int calls = 0;
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(FileDialog::Run(FileDialog::kOpen, "", [&calls] { ++calls; }), "/slow/choice");
  const auto took = std::chrono::steady_clock::now() - start;
  // About every 40 ms over some 300 ms.
  EXPECT_GE(calls, 4);
  EXPECT_LE(calls, 12);
  EXPECT_LT(took, std::chrono::seconds(2));
}

TEST_F(FileDialogTest, EndsWhenTheProgramEndsEvenIfAHelperKeepsItsOutputOpen) {
  Fake("zenity", "/bin/sleep 2 & printf '/quick\\n'");
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(FileDialog::Run(FileDialog::kOpen, "", kNothing), "/quick");
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(1500));
}

TEST_F(FileDialogTest, LeavesTheHostsSignalsAloneAndStartsTheDialogWithDefaults) {
  // A host that ignores SIGPIPE and blocks SIGUSR1 in its GUI thread.
  struct sigaction ignore {};
  ignore.sa_handler = SIG_IGN;
  struct sigaction previousPipe {};
  sigaction(SIGPIPE, &ignore, &previousPipe);
  sigset_t usr1, previousMask;
  sigemptyset(&usr1);
  sigaddset(&usr1, SIGUSR1);
  pthread_sigmask(SIG_BLOCK, &usr1, &previousMask);

  Fake("zenity",
       "while read -r k v; do case $k in SigBlk:|SigIgn:) printf '%s %s\\n' $k $v;; esac; done "
       "< /proc/$$/status");
  // Standard signals only: glibc keeps its two internal real-time signals
  // ignored in every child it spawns.
  const std::string seen = FileDialog::Run(FileDialog::kOpen, "", kNothing);
  unsigned long long blocked = ~0ull, ignored = ~0ull;
  ASSERT_EQ(std::sscanf(seen.c_str(), "SigBlk: %llx\nSigIgn: %llx", &blocked, &ignored), 2) << seen;
  EXPECT_EQ(blocked & 0x7FFFFFFFull, 0u);
  EXPECT_EQ(ignored & 0x7FFFFFFFull, 0u);

  struct sigaction nowPipe {};
  sigaction(SIGPIPE, nullptr, &nowPipe);
  EXPECT_EQ(nowPipe.sa_handler, SIG_IGN);
  sigset_t nowMask;
  pthread_sigmask(SIG_SETMASK, nullptr, &nowMask);
  EXPECT_TRUE(sigismember(&nowMask, SIGUSR1));

  pthread_sigmask(SIG_SETMASK, &previousMask, nullptr);
  sigaction(SIGPIPE, &previousPipe, nullptr);
}

TEST_F(FileDialogTest, AHostThatReapsEveryChildStillGetsThePath) {
  struct sigaction ignore {};
  ignore.sa_handler = SIG_IGN;
  struct sigaction previous {};
  sigaction(SIGCHLD, &ignore, &previous);
  Fake("zenity", "printf '/reaped/by/host\\n'");
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(FileDialog::Run(FileDialog::kOpen, "", kNothing), "/reaped/by/host");
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
  sigaction(SIGCHLD, &previous, nullptr);
}

TEST_F(FileDialogTest, WithoutADialogProgramItSaysSoOnceAndReturnsAtOnce) {
  testing::internal::CaptureStderr();
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(FileDialog::Run(FileDialog::kOpen, "/tmp", kNothing), "");
  EXPECT_EQ(FileDialog::Run(FileDialog::kSave, "/tmp", kNothing), "");
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(200));
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            "dilatorix editor: no file dialog program (zenity or kdialog) found\n");

  // Found on the PATH only as executable files.
  Fake("zenity", "exit 0");
  chmod((folder + "/zenity").c_str(), 0644);
  EXPECT_EQ(FileDialog::FindOnPath("zenity"), "");
  EXPECT_TRUE(FileDialog::CommandLine(FileDialog::kOpen, "").empty());
  chmod((folder + "/zenity").c_str(), 0755);
  EXPECT_EQ(FileDialog::FindOnPath("zenity"), folder + "/zenity");
}
