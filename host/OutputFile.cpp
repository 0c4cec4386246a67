#include "host/OutputFile.h"

#include <fcntl.h>
#include <sys/stat.h>

#if defined(_WIN32)
#include <io.h>

#include <string>

#include "platform/WideText.h"
#else
#include <unistd.h>
#endif

#include <cerrno>
#include <cstring>
#include <vector>

#include "host/PathKind.h"

namespace {

#if defined(_WIN32)

std::FILE* OpenDirect(const std::string& path) {
  return _wfopen(WideFromUtf8(path).c_str(), L"wb");
}

// A new file of its own beside the target: the first of the names
// ".<name>.<process>-<n>" that does not exist yet.
int CreateExclusive(const std::string& stem, std::string* created) {
  for (int n = 0; n < 1000; ++n) {
    const std::string name =
        stem + "." + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(n);
    const int fd = _wopen(WideFromUtf8(name).c_str(), _O_CREAT | _O_EXCL | _O_WRONLY | _O_BINARY,
                          _S_IREAD | _S_IWRITE);
    if (fd >= 0) {
      *created = name;
      return fd;
    }
    if (errno != EEXIST) return -1;
  }
  return -1;
}

std::FILE* StreamOf(int fd) { return _fdopen(fd, "wb"); }
int SyncToDisk(std::FILE* stream) { return _commit(_fileno(stream)); }

// Windows' rename refuses an existing target; this replaces it.
bool Replace(const std::string& from, const std::string& to) {
  if (MoveFileExW(WideFromUtf8(from).c_str(), WideFromUtf8(to).c_str(),
                  MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
    return true;
  errno = GetLastError() == ERROR_ACCESS_DENIED ? EACCES : EIO;
  return false;
}

void Remove(const std::string& path) { _wunlink(WideFromUtf8(path).c_str()); }
void CloseDescriptor(int fd) { _close(fd); }

#else

std::FILE* OpenDirect(const std::string& path) { return std::fopen(path.c_str(), "wb"); }

int CreateExclusive(const std::string& stem, std::string* created) {
  std::string pattern = stem + ".XXXXXX";
  std::vector<char> buffer(pattern.begin(), pattern.end());
  buffer.push_back('\0');
  const int fd = mkstemp(buffer.data());
  if (fd < 0) return -1;
  // mkstemp makes the file private; give it the mode a plain create would.
  const mode_t mask = umask(0);
  umask(mask);
  if (fchmod(fd, 0666 & ~mask) != 0) {
    const int saved = errno;
    close(fd);
    unlink(buffer.data());
    errno = saved;
    return -1;
  }
  *created = buffer.data();
  return fd;
}

std::FILE* StreamOf(int fd) { return fdopen(fd, "wb"); }
int SyncToDisk(std::FILE* stream) { return fsync(fileno(stream)); }
bool Replace(const std::string& from, const std::string& to) {
  return std::rename(from.c_str(), to.c_str()) == 0;
}
void Remove(const std::string& path) { unlink(path.c_str()); }
void CloseDescriptor(int fd) { close(fd); }

#endif

}  // namespace

bool OutputFile::Fail(const std::string& what, int errorNumber, std::string* error) {
  *error = what + " " + target + ": " + std::strerror(errorNumber);
  Abandon();
  return false;
}

bool OutputFile::Open(const std::string& path, std::string* error) {
  Abandon();
  target = path;
  const PathKind existing = KindOf(path);
  if (existing == PathKind::kDirectory) return Fail("cannot write", EISDIR, error);
  if (existing == PathKind::kOther) {
    direct = true;
    workingPath = path;
    stream = OpenDirect(path);
    return stream != nullptr || Fail("cannot write", errno, error);
  }
#if defined(_WIN32)
  const std::size_t slash = path.find_last_of("/\\");
#else
  const std::size_t slash = path.rfind('/');
#endif
  const std::string directory = slash == std::string::npos ? "" : path.substr(0, slash + 1);
  const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
  if (name.empty()) return Fail("cannot write", EISDIR, error);
  const int fd = CreateExclusive(directory + "." + name, &workingPath);
  if (fd < 0) return Fail("cannot write", errno, error);
  stream = StreamOf(fd);
  if (stream == nullptr) {
    const int saved = errno;
    CloseDescriptor(fd);
    return Fail("cannot write", saved, error);
  }
  return true;
}

bool OutputFile::Commit(std::string* error) {
  if (stream == nullptr) return Fail("cannot write", EBADF, error);
  bool ok = std::fflush(stream) == 0 && !std::ferror(stream);
  int saved = ok ? 0 : errno;
  // On disk before the rename, so the target never names a partly written file.
  if (ok && !direct && SyncToDisk(stream) != 0) {
    ok = false;
    saved = errno;
  }
  if (std::fclose(stream) != 0 && ok) {
    ok = false;
    saved = errno;
  }
  stream = nullptr;
  if (!ok) return Fail("cannot write", saved != 0 ? saved : EIO, error);
  if (!direct && !Replace(workingPath, target)) return Fail("cannot write", errno, error);
  workingPath.clear();
  return true;
}

void OutputFile::Abandon() {
  if (stream != nullptr) {
    std::fclose(stream);
    stream = nullptr;
  }
  if (!direct && !workingPath.empty()) Remove(workingPath);
  workingPath.clear();
  direct = false;
}
