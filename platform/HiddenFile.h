// Files that appear only when complete: written under a hidden name beside
// their target, then renamed over it, so a failure leaves no file and keeps
// any older one. The renderer's output file and the PNG writer use it, on any
// thread. Paths are UTF-8 (looked up as UTF-16 on Windows).
#pragma once

#include <string>

// Creates a new file only this call has, named "." + the target's name + a
// suffix unique in this process and across processes, beside the target, with
// the mode a plain create would give (0666 less the umask on POSIX systems).
// Returns its descriptor and sets hiddenPath; -1 with errno set when it cannot
// (EISDIR for a target that names no file).
int CreateHiddenFile(const std::string& target, std::string* hiddenPath);

// Renames hidden over target, replacing a file there (Windows' rename would
// refuse it); false with errno set.
bool ReplaceWithHidden(const std::string& hidden, const std::string& target);

// Removes a file, as after a failure; errors are of no interest then.
void RemoveFile(const std::string& path);
