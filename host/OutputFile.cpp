#include "host/OutputFile.h"

#if defined(_WIN32)
#include <io.h>

#include "platform/WideText.h"
#else
#include <unistd.h>
#endif

#include <cerrno>
#include <cstring>

#include "host/PathKind.h"
#include "platform/HiddenFile.h"

namespace {

#if defined(_WIN32)

std::FILE* OpenDirect(const std::string& path) {
  return _wfopen(WideFromUtf8(path).c_str(), L"wb");
}
std::FILE* StreamOf(int fd) { return _fdopen(fd, "wb"); }
int SyncToDisk(std::FILE* stream) { return _commit(_fileno(stream)); }
void CloseDescriptor(int fd) { _close(fd); }

#else

std::FILE* OpenDirect(const std::string& path) { return std::fopen(path.c_str(), "wb"); }
std::FILE* StreamOf(int fd) { return fdopen(fd, "wb"); }
int SyncToDisk(std::FILE* stream) { return fsync(fileno(stream)); }
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
  const int fd = CreateHiddenFile(path, &workingPath);
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
  if (!direct && !ReplaceWithHidden(workingPath, target)) return Fail("cannot write", errno, error);
  workingPath.clear();
  return true;
}

void OutputFile::Abandon() {
  if (stream != nullptr) {
    std::fclose(stream);
    stream = nullptr;
  }
  if (!direct && !workingPath.empty()) RemoveFile(workingPath);
  workingPath.clear();
  direct = false;
}
