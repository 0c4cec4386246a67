// A thin reader over a C stream for the audio file parser: fixed-width reads in
// either byte order, the 80-bit extended float of AIFF, skips. A short read
// sets atEnd (end of file) or failed (stream error) and leaves the missing bytes
// zero. Lives only for one load, on the loading thread.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

class FileReader {
 public:
  FileReader() = default;
  FileReader(const FileReader&) = delete;
  FileReader& operator=(const FileReader&) = delete;
  virtual ~FileReader();

  // False when the path cannot be opened or names anything but a regular file
  // (a directory, a device, a FIFO); then atEnd and failed are both set. The
  // open never blocks.
  bool Open(const std::string& path);
  void Close();
  bool Seek(std::int64_t position);
  std::int64_t Position() const;

  std::uint32_t ReadBigEndian32();
  std::uint32_t ReadLittleEndian32();
  std::uint16_t ReadBigEndian16();
  std::uint16_t ReadLittleEndian16();
  double ReadExtended();
  // Reads up to count bytes; the bytes not read are zero. Returns those read.
  std::size_t Read(void* bytes, std::size_t count);
  void Skip(std::int64_t count);

  bool atEnd = false;
  bool failed = false;
  std::int64_t size = 0;

 private:
  std::FILE* file = nullptr;
};
