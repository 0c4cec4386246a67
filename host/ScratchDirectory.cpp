#include "host/ScratchDirectory.h"

#if defined(_WIN32)
#include <io.h>

#include <random>

#include "platform/WideText.h"
#else
#include <dirent.h>
#include <unistd.h>

#include <cstdlib>
#endif

#if defined(_WIN32)

// Under the user's temporary folder; six random letters and digits, tried
// until a name is free.
ScratchDirectory::ScratchDirectory(const std::string& prefix) {
  wchar_t base[MAX_PATH + 1];
  const DWORD n = GetTempPathW(MAX_PATH + 1, base);
  if (n == 0 || n > MAX_PATH) return;
  const std::string folder = Utf8FromWide(std::wstring(base, n));
  static const char kLetters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
  std::random_device seed;
  std::mt19937 pick(seed());
  for (int attempt = 0; attempt < 100; ++attempt) {
    std::string name = folder + prefix + "-";
    for (int i = 0; i < 6; ++i) name += kLetters[pick() % 36];
    if (CreateDirectoryW(WideFromUtf8(name).c_str(), nullptr)) {
      path = name;
      return;
    }
    if (GetLastError() != ERROR_ALREADY_EXISTS) return;
  }
}

ScratchDirectory::~ScratchDirectory() {
  if (path.empty()) return;
  for (const std::string& name : Names()) _wunlink(WideFromUtf8(path + "/" + name).c_str());
  RemoveDirectoryW(WideFromUtf8(path).c_str());
}

std::vector<std::string> ScratchDirectory::Names() const {
  std::vector<std::string> names;
  if (path.empty()) return names;
  WIN32_FIND_DATAW entry;
  const HANDLE search = FindFirstFileW(WideFromUtf8(path + "/*").c_str(), &entry);
  if (search == INVALID_HANDLE_VALUE) return names;
  do {
    const std::string name = Utf8FromWide(entry.cFileName);
    if (name != "." && name != "..") names.push_back(name);
  } while (FindNextFileW(search, &entry));
  FindClose(search);
  return names;
}

#else

ScratchDirectory::ScratchDirectory(const std::string& prefix) {
  const char* base = std::getenv("TMPDIR");
  std::string pattern =
      std::string(base != nullptr && *base != '\0' ? base : "/tmp") + "/" + prefix + "-XXXXXX";
  std::vector<char> buffer(pattern.begin(), pattern.end());
  buffer.push_back('\0');
  if (mkdtemp(buffer.data()) != nullptr) path = buffer.data();
}

ScratchDirectory::~ScratchDirectory() {
  if (path.empty()) return;
  for (const std::string& name : Names()) unlink((path + "/" + name).c_str());
  rmdir(path.c_str());
}

std::vector<std::string> ScratchDirectory::Names() const {
  std::vector<std::string> names;
  if (path.empty()) return names;
  if (DIR* dir = opendir(path.c_str())) {
    while (const dirent* entry = readdir(dir)) {
      const std::string name = entry->d_name;
      if (name != "." && name != "..") names.push_back(name);
    }
    closedir(dir);
  }
  return names;
}

#endif
