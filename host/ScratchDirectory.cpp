#include "host/ScratchDirectory.h"

#include <dirent.h>
#include <unistd.h>

#include <cstdlib>

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
