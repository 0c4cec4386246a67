#include "raster/PngDecoder.h"

#include <png.h>

#include <cctype>
#include <csetjmp>
#include <cstdio>
#include <cstring>

namespace {

struct MemoryReader {
  const unsigned char* data;
  std::size_t size;
  std::size_t position;
};

void ReadFromMemory(png_structp png, png_bytep out, png_size_t count) {
  auto* reader = static_cast<MemoryReader*>(png_get_io_ptr(png));
  if (count > reader->size - reader->position) png_error(png, "read past the end of the image");
  std::memcpy(out, reader->data + reader->position, count);
  reader->position += count;
}

void ReadFromFile(png_structp png, png_bytep out, png_size_t count) {
  auto* file = static_cast<std::FILE*>(png_get_io_ptr(png));
  if (std::fread(out, 1, count, file) != count) png_error(png, "read past the end of the file");
}

void Quiet(png_structp, png_const_charp) {}

void Fail(png_structp png, png_const_charp) { png_longjmp(png, 1); }

// Runs the whole decode on one libpng state. Between setjmp and the end no C++
// object with a destructor is alive: the error path frees by hand.
PxMemBitmap* Decode(png_structp png, png_infop info) {
  PxMemBitmap* volatile bitmap = nullptr;
  png_bytep* volatile rows = nullptr;
  if (setjmp(png_jmpbuf(png)) != 0) {
    delete[] rows;
    delete bitmap;
    return nullptr;
  }
  png_read_info(png, info);
  png_uint_32 width = 0, height = 0;
  int depth = 0, colourType = 0;
  png_get_IHDR(png, info, &width, &height, &depth, &colourType, nullptr, nullptr, nullptr);
  if (width == 0 || height == 0 || width > kPngMaxSide || height > kPngMaxSide ||
      static_cast<std::uint64_t>(width) * height > kPngMaxPixels)
    png_error(png, "image size refused");

  if (colourType == PNG_COLOR_TYPE_PALETTE) png_set_palette_to_rgb(png);
  if (colourType == PNG_COLOR_TYPE_GRAY && depth < 8) png_set_expand_gray_1_2_4_to_8(png);
  const bool transparency = png_get_valid(png, info, PNG_INFO_tRNS) != 0;
  if (transparency) png_set_tRNS_to_alpha(png);
  if (depth == 16) png_set_strip_16(png);
  if (depth < 8) png_set_packing(png);
  if (colourType == PNG_COLOR_TYPE_GRAY || colourType == PNG_COLOR_TYPE_GRAY_ALPHA)
    png_set_gray_to_rgb(png);
  // Every colour type ends as bytes A, R, G, B: an opaque filler where there
  // is no alpha, alpha moved first where there is.
  if ((colourType & PNG_COLOR_MASK_ALPHA) != 0 || transparency)
    png_set_swap_alpha(png);
  else
    png_set_filler(png, 0xFF, PNG_FILLER_BEFORE);
  png_set_interlace_handling(png);
  png_read_update_info(png, info);
  if (png_get_rowbytes(png, info) != static_cast<png_size_t>(width) * 4)
    png_error(png, "unexpected row layout");

  bitmap = new (std::nothrow) PxMemBitmap(static_cast<int>(width), static_cast<int>(height));
  if (bitmap == nullptr || bitmap->Pixels() == nullptr) png_error(png, "no memory");
  rows = new (std::nothrow) png_bytep[height];
  if (rows == nullptr) png_error(png, "no memory");
  for (png_uint_32 y = 0; y < height; ++y)
    rows[y] = reinterpret_cast<png_bytep>(bitmap->Row(static_cast<int>(y)));
  png_read_image(png, rows);
  png_read_end(png, nullptr);
  delete[] rows;
  rows = nullptr;

  // Bytes A, R, G, B into the word 0xAARRGGBB, whatever the machine's byte order.
  for (png_uint_32 y = 0; y < height; ++y) {
    std::uint32_t* row = bitmap->Row(static_cast<int>(y));
    const unsigned char* bytes = reinterpret_cast<const unsigned char*>(row);
    for (png_uint_32 x = 0; x < width; ++x, bytes += 4)
      row[x] = std::uint32_t{bytes[0]} << 24 | std::uint32_t{bytes[1]} << 16 |
               std::uint32_t{bytes[2]} << 8 | bytes[3];
  }
  return bitmap;
}

std::unique_ptr<PxMemBitmap> DecodeFrom(void* source, png_rw_ptr reader) {
  png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, Fail, Quiet);
  if (png == nullptr) return nullptr;
  png_infop info = png_create_info_struct(png);
  if (info == nullptr) {
    png_destroy_read_struct(&png, nullptr, nullptr);
    return nullptr;
  }
  png_set_read_fn(png, source, reader);
  PxMemBitmap* bitmap = Decode(png, info);
  png_destroy_read_struct(&png, &info, nullptr);
  return std::unique_ptr<PxMemBitmap>(bitmap);
}

}  // namespace

bool HasPngExtension(const std::string& path) {
  const std::size_t cut = path.find_last_of("./\\");
  if (cut == std::string::npos || path[cut] != '.') return false;
  std::string ext = path.substr(cut);
  for (char& c : ext) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return ext == ".png";
}

std::unique_ptr<PxMemBitmap> DecodePng(const unsigned char* data, std::size_t size) {
  if (data == nullptr || size < 8 || png_sig_cmp(data, 0, 8) != 0) return nullptr;
  MemoryReader reader{data, size, 0};
  return DecodeFrom(&reader, ReadFromMemory);
}

std::unique_ptr<PxMemBitmap> DecodePngFile(const std::string& path, bool checkExtension) {
  if (checkExtension && !HasPngExtension(path)) return nullptr;
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) return nullptr;
  unsigned char signature[8];
  std::unique_ptr<PxMemBitmap> bitmap;
  if (std::fread(signature, 1, 8, file) == 8 && png_sig_cmp(signature, 0, 8) == 0) {
    std::rewind(file);
    bitmap = DecodeFrom(file, ReadFromFile);
  }
  std::fclose(file);
  return bitmap;
}

const char* PngFileLoaderDescription() { return "PNG files (*.PNG)"; }

const std::vector<ImageFileLoader>& ImageFileLoaders() {
  // Made once, on the first call from any thread; read-only afterwards.
  static const std::vector<ImageFileLoader> loaders = {{PngFileLoaderDescription(), DecodePngFile}};
  return loaders;
}
