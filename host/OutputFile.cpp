#include "host/OutputFile.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <vector>

bool OutputFile::Fail(const std::string& what, int errorNumber, std::string* error) {
  *error = what + " " + target + ": " + std::strerror(errorNumber);
  Abandon();
  return false;
}

bool OutputFile::Open(const std::string& path, std::string* error) {
  Abandon();
  target = path;
  struct stat info;
  if (stat(path.c_str(), &info) == 0) {
    if (S_ISDIR(info.st_mode)) return Fail("cannot write", EISDIR, error);
    if (!S_ISREG(info.st_mode)) {
      direct = true;
      workingPath = path;
      stream = std::fopen(path.c_str(), "wb");
      return stream != nullptr || Fail("cannot write", errno, error);
    }
  }
  const std::size_t slash = path.rfind('/');
  const std::string directory = slash == std::string::npos ? "." : path.substr(0, slash + 1);
  const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
  if (name.empty()) return Fail("cannot write", EISDIR, error);
  std::string pattern = (slash == std::string::npos ? std::string() : directory) + "." + name +
                        ".XXXXXX";
  std::vector<char> buffer(pattern.begin(), pattern.end());
  buffer.push_back('\0');
  const int fd = mkstemp(buffer.data());
  if (fd < 0) return Fail("cannot write", errno, error);
  workingPath = buffer.data();
  // mkstemp makes the file private; give it the mode a plain create would.
  const mode_t mask = umask(0);
  umask(mask);
  if (fchmod(fd, 0666 & ~mask) != 0) {
    const int saved = errno;
    close(fd);
    return Fail("cannot write", saved, error);
  }
  stream = fdopen(fd, "wb");
  if (stream == nullptr) {
    const int saved = errno;
    close(fd);
    return Fail("cannot write", saved, error);
  }
  return true;
}

bool OutputFile::Commit(std::string* error) {
  if (stream == nullptr) return Fail("cannot write", EBADF, error);
  bool ok = std::fflush(stream) == 0 && !std::ferror(stream);
  int saved = ok ? 0 : errno;
  // On disk before the rename, so the target never names a partly written file.
  if (ok && !direct && fsync(fileno(stream)) != 0) {
    ok = false;
    saved = errno;
  }
  if (std::fclose(stream) != 0 && ok) {
    ok = false;
    saved = errno;
  }
  stream = nullptr;
  if (!ok) return Fail("cannot write", saved != 0 ? saved : EIO, error);
  if (!direct && std::rename(workingPath.c_str(), target.c_str()) != 0)
    return Fail("cannot write", errno, error);
  workingPath.clear();
  return true;
}

void OutputFile::Abandon() {
  if (stream != nullptr) {
    std::fclose(stream);
    stream = nullptr;
  }
  if (!direct && !workingPath.empty()) unlink(workingPath.c_str());
  workingPath.clear();
  direct = false;
}
