#include "raster/PngWriter.h"

#include <png.h>

#if defined(_WIN32)
#include <io.h>
#else
#include <unistd.h>
#endif

#include <cerrno>
#include <csetjmp>

#include "platform/HiddenFile.h"

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
#else
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
#endif

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
  std::vector<unsigned char> bytes;
  if (!EncodePng(pixels, width, height, rowSpanPixels, &bytes)) return false;
  std::string partial;
  const int fd = CreateHiddenFile(path, &partial);
  if (fd < 0) return false;
  const bool written = WriteAll(fd, bytes.data(), bytes.size());
  const bool closed = CloseFile(fd);
  if (!written || !closed || !ReplaceWithHidden(partial, path)) {
    RemoveFile(partial);
    return false;
  }
  return true;
}
