#include "audio/FileReader.h"

#if defined(_WIN32)
#include <sys/stat.h>

#include "platform/WideText.h"
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

#include <cmath>
#include <cstring>
#include <limits>

namespace {

#if defined(_WIN32)

// Paths are UTF-8 throughout; Windows opens them as UTF-16, so names outside
// the current code page open too. Anything but a regular file (a directory, a
// device name such as CON) is refused before it is opened.
std::FILE* OpenRegularFile(const std::string& path, std::int64_t* size) {
  const std::wstring wide = WideFromUtf8(path);
  struct _stat64 info;
  if (wide.empty() || _wstat64(wide.c_str(), &info) != 0 || (info.st_mode & _S_IFMT) != _S_IFREG)
    return nullptr;
  std::FILE* file = _wfopen(wide.c_str(), L"rb");
  if (file == nullptr) return nullptr;
  *size = info.st_size;
  return file;
}

int SeekTo(std::FILE* file, std::int64_t offset, int origin) {
  return _fseeki64(file, offset, origin);
}
std::int64_t Tell(std::FILE* file) { return _ftelli64(file); }

#else

// Opens path as a stream when it names a regular file, with its size. The open
// itself never waits: a FIFO without a writer or a device could otherwise hold
// the caller, and with it the plug-in lock and the audio, for ever. Anything but
// a regular file is refused before a byte is read.
std::FILE* OpenRegularFile(const std::string& path, std::int64_t* size) {
  const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return nullptr;
  struct stat info;
  const int flags = fcntl(fd, F_GETFL);
  // Reads go back to the usual blocking kind once the file is known to be regular.
  if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) || flags < 0 ||
      fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0) {
    close(fd);
    return nullptr;
  }
  std::FILE* file = fdopen(fd, "rb");
  if (file == nullptr) {
    close(fd);
    return nullptr;
  }
  *size = info.st_size;
  return file;
}

int SeekTo(std::FILE* file, std::int64_t offset, int origin) {
  return fseeko(file, offset, origin);
}
std::int64_t Tell(std::FILE* file) { return ftello(file); }

#endif

}  // namespace

FileReader::~FileReader() { Close(); }

bool FileReader::Open(const std::string& path) {
  Close();
  atEnd = failed = false;
  size = 0;
  file = OpenRegularFile(path, &size);
  if (file == nullptr) {
    atEnd = failed = true;
    return false;
  }
  return true;
}

void FileReader::Close() {
  if (file != nullptr) std::fclose(file);
  file = nullptr;
  atEnd = true;
}

bool FileReader::Seek(std::int64_t position) {
  if (file == nullptr || SeekTo(file, position, SEEK_SET) != 0) {
    failed = true;
    return false;
  }
  atEnd = false;
  return true;
}

std::int64_t FileReader::Position() const { return file != nullptr ? Tell(file) : 0; }

std::size_t FileReader::Read(void* bytes, std::size_t count) {
  std::size_t got = file != nullptr ? std::fread(bytes, 1, count, file) : 0;
  if (got < count) {
    std::memset(static_cast<unsigned char*>(bytes) + got, 0, count - got);
    if (file == nullptr || std::feof(file)) atEnd = true;
    if (file == nullptr || std::ferror(file)) failed = true;
  }
  return got;
}

std::uint32_t FileReader::ReadBigEndian32() {
  unsigned char b[4];
  Read(b, 4);
  return static_cast<std::uint32_t>(b[0]) << 24 | static_cast<std::uint32_t>(b[1]) << 16 |
         static_cast<std::uint32_t>(b[2]) << 8 | b[3];
}

std::uint32_t FileReader::ReadLittleEndian32() {
  unsigned char b[4];
  Read(b, 4);
  return static_cast<std::uint32_t>(b[3]) << 24 | static_cast<std::uint32_t>(b[2]) << 16 |
         static_cast<std::uint32_t>(b[1]) << 8 | b[0];
}

std::uint16_t FileReader::ReadBigEndian16() {
  unsigned char b[2];
  Read(b, 2);
  return static_cast<std::uint16_t>(b[0] << 8 | b[1]);
}

std::uint16_t FileReader::ReadLittleEndian16() {
  unsigned char b[2];
  Read(b, 2);
  return static_cast<std::uint16_t>(b[1] << 8 | b[0]);
}

double FileReader::ReadExtended() {
  unsigned char b[10];
  Read(b, 10);
  const bool negative = (b[0] & 0x80) != 0;
  const int exponent = (b[0] & 0x7F) << 8 | b[1];
  std::uint64_t mantissa = 0;
  for (int i = 2; i < 10; ++i) mantissa = mantissa << 8 | b[i];
  double value;
  if (exponent == 32767) {
    value = (mantissa << 1) == 0 ? std::numeric_limits<double>::infinity()
                                 : std::numeric_limits<double>::quiet_NaN();
  } else if (exponent == 0) {
    value = 0.0;
  } else {
    // The integer bit and the upper 52 fraction bits; the lower bits are dropped.
    value = std::ldexp(static_cast<double>(mantissa >> 11), exponent - 16383 - 52);
  }
  return negative ? -value : value;
}

void FileReader::Skip(std::int64_t count) {
  if (file == nullptr || SeekTo(file, count, SEEK_CUR) != 0) failed = true;
}
