// Where a path's last folder separator is: '/' everywhere, '\' too on
// Windows. npos when the path names no folder.
#pragma once

#include <string>

inline std::size_t LastSeparator(const std::string& path) {
#if defined(_WIN32)
  return path.find_last_of("/\\");
#else
  return path.rfind('/');
#endif
}
