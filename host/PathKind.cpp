#include "host/PathKind.h"

#include <sys/stat.h>

#include <cerrno>

#if defined(_WIN32)
#include "platform/WideText.h"

PathKind KindOf(const std::string& path) {
  struct _stat64 info;
  const std::wstring wide = WideFromUtf8(path);
  if (wide.empty()) {
    errno = ENOENT;
    return PathKind::kMissing;
  }
  if (_wstat64(wide.c_str(), &info) != 0) return PathKind::kMissing;
  const int type = info.st_mode & _S_IFMT;
  return type == _S_IFDIR   ? PathKind::kDirectory
         : type == _S_IFREG ? PathKind::kRegular
                            : PathKind::kOther;
}
#else
PathKind KindOf(const std::string& path) {
  struct stat info;
  if (stat(path.c_str(), &info) != 0) return PathKind::kMissing;
  return S_ISDIR(info.st_mode)   ? PathKind::kDirectory
         : S_ISREG(info.st_mode) ? PathKind::kRegular
                                 : PathKind::kOther;
}
#endif
