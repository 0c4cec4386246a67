// A private directory under $TMPDIR (or /tmp; on Windows the user's temporary
// folder) that goes away with everything in it when the object does. Path() is
// empty when the directory could not be made.
// Only plain files are expected inside: subdirectories are not removed.
#pragma once

#include <string>
#include <vector>

class ScratchDirectory {
 public:
  // The directory's name starts with prefix and ends in six random characters.
  explicit ScratchDirectory(const std::string& prefix = "dilatorix-render");
  ~ScratchDirectory();
  ScratchDirectory(const ScratchDirectory&) = delete;
  ScratchDirectory& operator=(const ScratchDirectory&) = delete;

  const std::string& Path() const { return path; }
  std::string operator/(const std::string& name) const { return path + "/" + name; }
  // Every entry, hidden ones included.
  std::vector<std::string> Names() const;

 private:
  std::string path;
};
