#include "host/ExecutableDirectory.h"

#if defined(_WIN32)
#include <vector>

#include "platform/WideText.h"
#else
#include <unistd.h>

#include <climits>
#endif

#include "platform/PathSeparator.h"

namespace {

std::string FolderOf(const std::string& path) {
  const std::size_t slash = LastSeparator(path);
  return slash == std::string::npos ? "." : path.substr(0, slash);
}

}  // namespace

#if defined(_WIN32)
std::string ExecutableDirectory() {
  std::vector<wchar_t> path(32768);
  const DWORD n = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
  if (n == 0 || n >= path.size()) return ".";
  return FolderOf(Utf8FromWide(std::wstring(path.data(), n)));
}
#else
std::string ExecutableDirectory() {
  char path[PATH_MAX];
  const ssize_t n = readlink("/proc/self/exe", path, sizeof path - 1);
  if (n <= 0) return ".";
  path[n] = '\0';
  return FolderOf(path);
}
#endif
