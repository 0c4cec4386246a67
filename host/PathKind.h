// What a path names, for our tools' checks before they read or write it:
// nothing (errno says why), a directory, a regular file or anything else (a
// device, a pipe). Paths are UTF-8; on Windows they are looked up as UTF-16.
#pragma once

#include <string>

enum class PathKind { kMissing, kDirectory, kRegular, kOther };

PathKind KindOf(const std::string& path);
