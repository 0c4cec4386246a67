#include "raster/PngWriter.h"

#include <png.h>

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

// The rows are converted one at a time into the caller's scratch row; no C++
// object with a destructor lives across the setjmp.
bool Encode(png_structp png, png_infop info, const std::uint32_t* pixels, int width, int height,
            int rowSpan, unsigned char* row) {
  if (setjmp(png_jmpbuf(png)) != 0) return false;
  png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), 8,
               PNG_COLOR_TYPE_RGB_ALPHA, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
               PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
  for (int y = 0; y < height; ++y) {
    const std::uint32_t* source = pixels + static_cast<std::ptrdiff_t>(y) * rowSpan;
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

}  // namespace

bool EncodePng(const std::uint32_t* pixels, int width, int height, int rowSpan,
               std::vector<unsigned char>* out) {
  if (pixels == nullptr || out == nullptr || width <= 0 || height <= 0 || rowSpan < width)
    return false;
  out->clear();
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, Fail, Quiet);
  if (png == nullptr) return false;
  png_infop info = png_create_info_struct(png);
  std::vector<unsigned char> row(static_cast<std::size_t>(width) * 4);
  bool done = false;
  if (info != nullptr) {
    png_set_write_fn(png, out, Append, Flush);
    done = Encode(png, info, pixels, width, height, rowSpan, row.data());
  }
  png_destroy_write_struct(&png, &info);
  if (!done) out->clear();
  return done;
}

bool WritePng(const std::uint32_t* pixels, int width, int height, int rowSpan,
              const std::string& path) {
  std::vector<unsigned char> bytes;
  if (!EncodePng(pixels, width, height, rowSpan, &bytes)) return false;
  const std::string partial = path + ".partial";
  std::FILE* file = std::fopen(partial.c_str(), "wb");
  if (file == nullptr) return false;
  const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
  const bool closed = std::fclose(file) == 0;
  if (!written || !closed || std::rename(partial.c_str(), path.c_str()) != 0) {
    std::remove(partial.c_str());
    return false;
  }
  return true;
}
