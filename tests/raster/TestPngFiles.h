// Test helper: small PNG files of any colour type, depth and interlacing,
// written with libpng's own writing API, so the decoder is checked against
// files it did not make. Shared by the decoder tests and the fuzzer's seed
// maker. libpng may jump out of the writing frame, which holds no object with
// a destructor.
#pragma once

#include <png.h>

#include <csetjmp>
#include <cstddef>
#include <vector>

struct TestPng {
  int width = 2, height = 1;
  int colourType = PNG_COLOR_TYPE_RGB;
  int depth = 8;
  bool interlaced = false;
  // height rows of packed samples, big-endian for 16 bits, (width x channels x
  // depth + 7) / 8 bytes each.
  std::vector<unsigned char> rows;
  std::vector<png_color> palette;
  std::vector<png_byte> paletteAlpha;  // tRNS of a palette image
  bool hasKey = false;                 // tRNS of a grey or RGB image
  png_color_16 key{};
};

namespace test_png {

inline void Append(png_structp png, png_bytep data, png_size_t n) {
  auto* out = static_cast<std::vector<unsigned char>*>(png_get_io_ptr(png));
  out->insert(out->end(), data, data + n);
}

inline void Flush(png_structp) {}

inline int Channels(int colourType) {
  switch (colourType) {
    case PNG_COLOR_TYPE_RGB:
      return 3;
    case PNG_COLOR_TYPE_RGB_ALPHA:
      return 4;
    case PNG_COLOR_TYPE_GRAY_ALPHA:
      return 2;
    default:
      return 1;
  }
}

inline bool WriteInto(png_structp png, png_infop info, const TestPng& image, png_bytepp rows,
                      std::vector<unsigned char>* out) {
  if (setjmp(png_jmpbuf(png)) != 0) return false;
  png_set_write_fn(png, out, Append, Flush);
  png_set_IHDR(png, info, static_cast<png_uint_32>(image.width),
               static_cast<png_uint_32>(image.height), image.depth, image.colourType,
               image.interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  if (!image.palette.empty())
    png_set_PLTE(png, info, image.palette.data(), static_cast<int>(image.palette.size()));
  if (!image.paletteAlpha.empty())
    png_set_tRNS(png, info, image.paletteAlpha.data(), static_cast<int>(image.paletteAlpha.size()),
                 nullptr);
  if (image.hasKey) png_set_tRNS(png, info, nullptr, 0, &image.key);
  png_write_info(png, info);
  png_write_image(png, rows);
  png_write_end(png, nullptr);
  return true;
}

}  // namespace test_png

inline std::size_t TestPngRowBytes(const TestPng& image) {
  return (static_cast<std::size_t>(image.width) * test_png::Channels(image.colourType) *
              image.depth +
          7) /
         8;
}

// The encoded file; empty when libpng refuses the image.
inline std::vector<unsigned char> EncodeTestPng(const TestPng& image) {
  std::vector<unsigned char> out;
  const std::size_t rowBytes = TestPngRowBytes(image);
  if (image.rows.size() < rowBytes * image.height) return out;
  std::vector<unsigned char> pixels = image.rows;  // libpng's rows are not const
  std::vector<png_bytep> rows(image.height);
  for (int y = 0; y < image.height; ++y) rows[y] = pixels.data() + rowBytes * y;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png != nullptr ? png_create_info_struct(png) : nullptr;
  const bool written = info != nullptr && test_png::WriteInto(png, info, image, rows.data(), &out);
  png_destroy_write_struct(&png, &info);
  if (!written) out.clear();
  return out;
}
