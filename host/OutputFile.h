// An output file that appears only when complete: Open creates a hidden
// temporary file beside the target, Commit closes it and renames it over the
// target, and anything else (Abandon, the destructor, a failed Commit) removes
// it. A target that exists and is not a regular file (a device such as
// /dev/stdout or /dev/full, a pipe) is written directly instead, since it cannot
// be replaced by a rename. Failures come back as false with a one-line reason.
#pragma once

#include <cstdio>
#include <string>

class OutputFile {
 public:
  OutputFile() = default;
  OutputFile(const OutputFile&) = delete;
  OutputFile& operator=(const OutputFile&) = delete;
  ~OutputFile() { Abandon(); }

  bool Open(const std::string& path, std::string* error);
  std::FILE* Stream() const { return stream; }
  bool Commit(std::string* error);
  void Abandon();

  // The file being written: the temporary one, or the target when direct.
  const std::string& WorkingPath() const { return workingPath; }

 private:
  bool Fail(const std::string& what, int errorNumber, std::string* error);

  std::string target;
  std::string workingPath;
  std::FILE* stream = nullptr;
  bool direct = false;
};
