// Test helpers: reads a PNG back with libpng's own reading API (not the
// project's decoder), so the writer and the committed images are checked
// against an independent reader. Everything libpng may jump out of runs in a
// frame that holds no object with a destructor.
#pragma once

#include <png.h>

#include <csetjmp>
#include <cstdint>
#include <cstring>
#include <vector>

struct PngReadBack {
  int width = 0, height = 0;
  int bitDepth = 0, colourType = -1, interlace = -1;
  std::vector<std::uint32_t> argb;  // 0xAARRGGBB, filled for 8-bit RGBA only
  std::uint32_t At(int x, int y) const { return argb[static_cast<std::size_t>(y) * width + x]; }
};

namespace png_read_back {

struct Source {
  const unsigned char* data;
  std::size_t size, at;
};

inline void Read(png_structp png, png_bytep out, png_size_t count) {
  auto* source = static_cast<Source*>(png_get_io_ptr(png));
  if (source->size - source->at < count) png_error(png, "truncated");
  std::memcpy(out, source->data + source->at, count);
  source->at += count;
}

inline void Fail(png_structp png, png_const_charp) { png_longjmp(png, 1); }
inline void Quiet(png_structp, png_const_charp) {}

inline bool ReadInto(png_structp png, png_infop info, PngReadBack* image,
                     std::vector<unsigned char>* row) {
  if (setjmp(png_jmpbuf(png)) != 0) return false;
  png_read_info(png, info);
  image->width = static_cast<int>(png_get_image_width(png, info));
  image->height = static_cast<int>(png_get_image_height(png, info));
  image->bitDepth = png_get_bit_depth(png, info);
  image->colourType = png_get_color_type(png, info);
  image->interlace = png_get_interlace_type(png, info);
  if (image->bitDepth != 8 || image->colourType != PNG_COLOR_TYPE_RGB_ALPHA ||
      image->interlace != PNG_INTERLACE_NONE)
    return true;  // the caller checks the header; no pixels
  row->resize(png_get_rowbytes(png, info));
  image->argb.resize(static_cast<std::size_t>(image->width) * image->height);
  for (int y = 0; y < image->height; ++y) {
    png_read_row(png, row->data(), nullptr);
    for (int x = 0; x < image->width; ++x) {
      const unsigned char* p = row->data() + 4 * x;
      image->argb[static_cast<std::size_t>(y) * image->width + x] =
          std::uint32_t{p[3]} << 24 | std::uint32_t{p[0]} << 16 | std::uint32_t{p[1]} << 8 | p[2];
    }
  }
  png_read_end(png, nullptr);
  return true;
}

}  // namespace png_read_back

// False when libpng refuses the bytes (broken, truncated, not a PNG).
inline bool ReadPngBack(const unsigned char* data, std::size_t size, PngReadBack* image) {
  *image = PngReadBack();
  if (size < 8 || png_sig_cmp(data, 0, 8) != 0) return false;
  png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, png_read_back::Fail,
                                           png_read_back::Quiet);
  if (png == nullptr) return false;
  png_infop info = png_create_info_struct(png);
  png_read_back::Source source{data, size, 0};
  std::vector<unsigned char> row;
  bool done = false;
  if (info != nullptr) {
    png_set_read_fn(png, &source, png_read_back::Read);
    done = png_read_back::ReadInto(png, info, image, &row);
  }
  png_destroy_read_struct(&png, &info, nullptr);
  return done;
}
