#include "platform/HiddenFile.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <atomic>
#include <cerrno>
#include <cstdio>

#include "platform/PathSeparator.h"

#if defined(_WIN32)
#include <io.h>
#include <process.h>

#include "platform/WideText.h"
#else
#include <unistd.h>
#endif

namespace {

#if defined(_WIN32)
long ProcessId() { return static_cast<long>(_getpid()); }
int CreateNew(const std::string& path) {
  return _wopen(WideFromUtf8(path).c_str(), _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY,
                _S_IREAD | _S_IWRITE);
}
#else
long ProcessId() { return static_cast<long>(getpid()); }
int CreateNew(const std::string& path) {
  return open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
}
#endif

}  // namespace

int CreateHiddenFile(const std::string& target, std::string* hiddenPath) {
  static std::atomic<unsigned> counter{0};
  const std::size_t slash = LastSeparator(target);
  const std::size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
  if (nameStart == target.size()) {
    errno = EISDIR;
    return -1;
  }
  // The process id tells writers of different processes apart, the counter
  // those of this one; a name still taken (a leftover of a crash) is skipped.
  for (int attempt = 0; attempt < 100; ++attempt) {
    char suffix[48];
    std::snprintf(suffix, sizeof suffix, ".%ld.%u.partial", ProcessId(), counter.fetch_add(1));
    const std::string name = target.substr(0, nameStart) + "." + target.substr(nameStart) + suffix;
    const int fd = CreateNew(name);
    if (fd >= 0) {
      *hiddenPath = name;
      return fd;
    }
    if (errno != EEXIST) return -1;
  }
  return -1;
}

#if defined(_WIN32)
bool ReplaceWithHidden(const std::string& hidden, const std::string& target) {
  if (MoveFileExW(WideFromUtf8(hidden).c_str(), WideFromUtf8(target).c_str(),
                  MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
    return true;
  errno = GetLastError() == ERROR_ACCESS_DENIED ? EACCES : EIO;
  return false;
}

void RemoveFile(const std::string& path) { _wunlink(WideFromUtf8(path).c_str()); }
#else
bool ReplaceWithHidden(const std::string& hidden, const std::string& target) {
  return std::rename(hidden.c_str(), target.c_str()) == 0;
}

void RemoveFile(const std::string& path) { unlink(path.c_str()); }
#endif
