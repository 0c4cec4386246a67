#include "gui/FileDialog.h"

#include <errno.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>

extern char** environ;

namespace {

constexpr std::chrono::milliseconds kTick(40);

// Appends whatever the pipe holds now; false once it reached its end.
bool ReadAvailable(int fd, std::string& out) {
  char chunk[4096];
  for (;;) {
    const ssize_t got = read(fd, chunk, sizeof chunk);
    if (got > 0) {
      out.append(chunk, static_cast<std::size_t>(got));
      continue;
    }
    if (got == 0) return false;
    if (errno == EINTR) continue;
    return errno == EAGAIN || errno == EWOULDBLOCK;
  }
}

// Starts the program with stdin from /dev/null, stdout into the pipe and
// stderr dropped (dialog toolkits chatter there). The child gets an empty
// signal mask and default dispositions whatever the host set for itself.
pid_t Spawn(const std::vector<std::string>& args, int outFd) {
  std::vector<char*> argv;
  for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
  argv.push_back(nullptr);

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_adddup2(&actions, outFd, 1);
  posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
#if defined(__GLIBC__) && (__GLIBC__ > 2 || (__GLIBC__ == 2 && __GLIBC_MINOR__ >= 34))
  // The host's other descriptors (audio devices, sockets) stay out of the dialog.
  posix_spawn_file_actions_addclosefrom_np(&actions, 3);
#endif
  posix_spawnattr_t attributes;
  posix_spawnattr_init(&attributes);
  sigset_t none, all;
  sigemptyset(&none);
  sigfillset(&all);
  posix_spawnattr_setsigmask(&attributes, &none);
  posix_spawnattr_setsigdefault(&attributes, &all);
  posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);

  pid_t pid = -1;
  const int failed = posix_spawn(&pid, argv[0], &actions, &attributes, argv.data(), environ);
  posix_spawnattr_destroy(&attributes);
  posix_spawn_file_actions_destroy(&actions);
  return failed == 0 ? pid : -1;
}

}  // namespace

std::string FileDialog::FindOnPath(const std::string& name) {
  if (name.empty() || name.find('/') != std::string::npos) return {};
  const char* path = std::getenv("PATH");
  const std::string dirs = path != nullptr ? path : "/usr/local/bin:/usr/bin:/bin";
  std::size_t start = 0;
  while (start <= dirs.size()) {
    std::size_t end = dirs.find(':', start);
    if (end == std::string::npos) end = dirs.size();
    const std::string dir = dirs.substr(start, end - start);
    start = end + 1;
    // An empty entry would mean the current directory: never searched here.
    if (dir.empty()) continue;
    const std::string candidate = dir + "/" + name;
    struct stat info;
    if (stat(candidate.c_str(), &info) == 0 && S_ISREG(info.st_mode) &&
        access(candidate.c_str(), X_OK) == 0)
      return candidate;
  }
  return {};
}

std::vector<std::string> FileDialog::CommandLine(int action, const std::string& directory) {
  const bool save = action == kSave;
  const std::string zenity = FindOnPath("zenity");
  if (!zenity.empty()) {
    std::vector<std::string> args{zenity, "--file-selection"};
    if (save) args.insert(args.end(), {"--save", "--confirm-overwrite"});
    // The trailing slash makes zenity open the folder rather than preselect it.
    if (!directory.empty())
      args.push_back("--filename=" + directory + (directory.back() == '/' ? "" : "/"));
    return args;
  }
  const std::string kdialog = FindOnPath("kdialog");
  if (!kdialog.empty()) {
    std::vector<std::string> args{kdialog, save ? "--getsavefilename" : "--getopenfilename"};
    if (!directory.empty()) args.push_back(directory);
    return args;
  }
  return {};
}

std::string FileDialog::Run(int action, const std::string& directory,
                            const std::function<void()>& whileOpen) {
  const std::vector<std::string> args = CommandLine(action, directory);
  if (args.empty()) {
    static std::atomic<bool> told{false};
    if (!told.exchange(true))
      std::fputs("dilatorix editor: no file dialog program (zenity or kdialog) found\n", stderr);
    return {};
  }
  int ends[2];
  if (pipe2(ends, O_CLOEXEC) != 0) return {};
  const pid_t pid = Spawn(args, ends[1]);
  close(ends[1]);
  if (pid < 0) {
    close(ends[0]);
    return {};
  }
  fcntl(ends[0], F_SETFL, fcntl(ends[0], F_GETFL) | O_NONBLOCK);

  std::string out;
  bool open = true;  // the pipe has not reached its end
  bool exited = false;
  bool statusKnown = false;
  int status = 0;
  auto nextTick = std::chrono::steady_clock::now() + kTick;
  while (!exited) {
    const auto now = std::chrono::steady_clock::now();
    const int wait = static_cast<int>(
        std::chrono::duration_cast<std::chrono::milliseconds>(nextTick - now).count());
    pollfd watch{ends[0], POLLIN, 0};
    // After the pipe's end there is nothing to watch: poll then only sleeps.
    if (poll(&watch, open ? 1 : 0, std::max(wait, 0)) > 0) open = ReadAvailable(ends[0], out);

    const pid_t waited = waitpid(pid, &status, WNOHANG);
    if (waited == pid) {
      exited = statusKnown = true;
    } else if (waited < 0 && errno == ECHILD) {
      // A host that ignores SIGCHLD, or reaps every child, took the status.
      exited = true;
    }
    if (exited) {
      // What the program wrote before it ended is all in the pipe now.
      if (open) ReadAvailable(ends[0], out);
      break;
    }
    if (std::chrono::steady_clock::now() >= nextTick) {
      if (whileOpen) whileOpen();
      nextTick = std::chrono::steady_clock::now() + kTick;
    }
  }
  close(ends[0]);
  if (statusKnown && !(WIFEXITED(status) && WEXITSTATUS(status) == 0)) return {};
  if (!out.empty() && out.back() == '\n') out.pop_back();
  return out;
}
