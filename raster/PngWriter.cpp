#include "raster/PngWriter.h"

#include <fcntl.h>
#include <png.h>

#if defined(_WIN32)
#include <io.h>
#include <process.h>
#include <sys/stat.h>

#include "platform/WideText.h"
#else
#include <unistd.h>
#endif

#include <atomic>
#include <cerrno>
#include <csetjmp>
#include <cstdio>
#include <cstring>

namespace {

void Append(png_structp png, png_bytep data, png_size_t count) {
  auto* out = static_cast<std::vector<unsigned char>*>(png_get_io_ptr(png));
  out->insert(out->end(), data, data + count);
}

void Flush(png_structp) {}

void Fail(png_structp png, png_const_charp) { png_longjmp(png, 1); }

void Quiet(png_structp, png_const_charp) {}

// Everything libpng may jump out of happens in here. Rows are converted one at
// a time into the caller's scratch row; no object with a destructor lives in
// this frame, so the jump back to the setjmp skips none.
bool Encode(png_structp png, png_infop info, const std::uint32_t* pixels, int width, int height,
            int rowSpanPixels, unsigned char* row) {
  if (setjmp(png_jmpbuf(png)) != 0) return false;
  png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), 8,
               PNG_COLOR_TYPE_RGB_ALPHA, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
               PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
  for (int y = 0; y < height; ++y) {
    const std::uint32_t* source = pixels + static_cast<std::ptrdiff_t>(y) * rowSpanPixels;
    for (int x = 0; x < width; ++x) {
      const std::uint32_t p = source[x];
      row[4 * x] = static_cast<unsigned char>(p >> 16);
      row[4 * x + 1] = static_cast<unsigned char>(p >> 8);
      row[4 * x + 2] = static_cast<unsigned char>(p);
      row[4 * x + 3] = static_cast<unsigned char>(p >> 24);
    }
    png_write_row(png, row);
  }
  png_write_end(png, nullptr);
  return true;
}

#if defined(_WIN32)
constexpr const char* kSeparators = "/\\";
long ProcessId() { return static_cast<long>(_getpid()); }

int CreateNew(const std::string& path) {
  return _wopen(WideFromUtf8(path).c_str(), _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY,
                _S_IREAD | _S_IWRITE);
}
bool WriteAll(int fd, const unsigned char* data, std::size_t size) {
  while (size > 0) {
    const unsigned chunk = size > (1u << 30) ? (1u << 30) : static_cast<unsigned>(size);
    const int done = _write(fd, data, chunk);
    if (done <= 0) return false;
    data += done;
    size -= static_cast<std::size_t>(done);
  }
  return true;
}
bool CloseFile(int fd) { return _close(fd) == 0; }
// Windows' rename refuses an existing target; this replaces it.
bool ReplaceFile(const std::string& from, const std::string& to) {
  return MoveFileExW(WideFromUtf8(from).c_str(), WideFromUtf8(to).c_str(),
                     MOVEFILE_REPLACE_EXISTING) != 0;
}
void RemoveFile(const std::string& path) { _wunlink(WideFromUtf8(path).c_str()); }
#else
constexpr const char* kSeparators = "/";
long ProcessId() { return static_cast<long>(getpid()); }

int CreateNew(const std::string& path) {
  return open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
}
bool WriteAll(int fd, const unsigned char* data, std::size_t size) {
  while (size > 0) {
    const ssize_t done = write(fd, data, size);
    if (done < 0 && errno == EINTR) continue;
    if (done <= 0) return false;
    data += done;
    size -= static_cast<std::size_t>(done);
  }
  return true;
}
bool CloseFile(int fd) { return close(fd) == 0; }
bool ReplaceFile(const std::string& from, const std::string& to) {
  return std::rename(from.c_str(), to.c_str()) == 0;
}
void RemoveFile(const std::string& path) { std::remove(path.c_str()); }
#endif

// A hidden name in the target's folder, unique among writers in this process
// (the counter) and across processes (the process id).
std::string PartialName(const std::string& path) {
  static std::atomic<unsigned> counter{0};
  const std::size_t slash = path.find_last_of(kSeparators);
  const std::size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
  char suffix[48];
  std::snprintf(suffix, sizeof suffix, ".%ld.%u.partial", ProcessId(), counter.fetch_add(1));
  return path.substr(0, nameStart) + "." + path.substr(nameStart) + suffix;
}

}  // namespace

bool EncodePng(const std::uint32_t* pixels, int width, int height, int rowSpanPixels,
               std::vector<unsigned char>* out) {
  if (out == nullptr) return false;
  out->clear();
  if (pixels == nullptr || width <= 0 || height <= 0 || rowSpanPixels < width) return false;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, Fail, Quiet);
  if (png == nullptr) return false;
  png_infop info = png_create_info_struct(png);
  std::vector<unsigned char> row(static_cast<std::size_t>(width) * 4);
  bool done = false;
  if (info != nullptr) {
    png_set_write_fn(png, out, Append, Flush);
    done = Encode(png, info, pixels, width, height, rowSpanPixels, row.data());
  }
  png_destroy_write_struct(&png, &info);
  if (!done) out->clear();
  return done;
}

bool WritePng(const std::uint32_t* pixels, int width, int height, int rowSpanPixels,
              const std::string& path) {
  if (path.empty() || std::strchr(kSeparators, path.back()) != nullptr) return false;
  std::vector<unsigned char> bytes;
  if (!EncodePng(pixels, width, height, rowSpanPixels, &bytes)) return false;
  const std::string partial = PartialName(path);
  // 0666 less the umask: the same mode a newly created file would get.
  const int fd = CreateNew(partial);
  if (fd < 0) return false;
  const bool written = WriteAll(fd, bytes.data(), bytes.size());
  const bool closed = CloseFile(fd);
  if (!written || !closed || !ReplaceFile(partial, path)) {
    RemoveFile(partial);
    return false;
  }
  return true;
}
