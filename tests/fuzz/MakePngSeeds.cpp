// Writes the PNG decoder fuzzer's seed files: tiny images of every colour
// type and depth, interlaced and not, with and without transparency, written
// by the tests' own libpng-based helper.
#include <cstdio>
#include <string>

#include "tests/raster/TestPngFiles.h"

namespace {

bool Write(const std::string& dir, const std::string& name, const TestPng& image) {
  const std::vector<unsigned char> bytes = EncodeTestPng(image);
  std::FILE* f = bytes.empty() ? nullptr : std::fopen((dir + "/" + name).c_str(), "wb");
  if (f == nullptr) return false;
  const bool written = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  return std::fclose(f) == 0 && written;
}

// A 7 x 5 image of that type with varied samples; palettes have every entry
// their depth allows, so any index is in range.
TestPng Sample(int colourType, int depth, bool interlaced) {
  TestPng image;
  image.width = 7;
  image.height = 5;
  image.colourType = colourType;
  image.depth = depth;
  image.interlaced = interlaced;
  image.rows.resize(TestPngRowBytes(image) * image.height);
  for (std::size_t i = 0; i < image.rows.size(); ++i)
    image.rows[i] = static_cast<unsigned char>(i * 37 % 256);
  if (colourType == PNG_COLOR_TYPE_PALETTE) {
    for (int i = 0; i < (1 << depth); ++i)
      image.palette.push_back({static_cast<png_byte>(i * 40), static_cast<png_byte>(255 - i),
                               static_cast<png_byte>(i * 7)});
  }
  return image;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: dilatorix-fuzz-png-seeds DIR\n");
    return 2;
  }
  const std::string dir = argv[1];
  const struct {
    const char* name;
    int colourType;
    int depths[5];
  } kinds[] = {{"grey", PNG_COLOR_TYPE_GRAY, {1, 2, 4, 8, 16}},
               {"palette", PNG_COLOR_TYPE_PALETTE, {1, 2, 4, 8, 0}},
               {"rgb", PNG_COLOR_TYPE_RGB, {8, 16, 0, 0, 0}},
               {"grey-alpha", PNG_COLOR_TYPE_GRAY_ALPHA, {8, 16, 0, 0, 0}},
               {"rgba", PNG_COLOR_TYPE_RGB_ALPHA, {8, 16, 0, 0, 0}}};
  bool ok = true;
  for (const auto& kind : kinds)
    for (int depth : kind.depths) {
      if (depth == 0) break;
      const std::string tag = std::string(kind.name) + std::to_string(depth);
      ok = Write(dir, tag + ".png", Sample(kind.colourType, depth, false)) && ok;
      ok = Write(dir, tag + "-interlaced.png", Sample(kind.colourType, depth, true)) && ok;
    }
  TestPng palette = Sample(PNG_COLOR_TYPE_PALETTE, 4, false);
  palette.paletteAlpha = {0, 128, 255, 7};
  ok = Write(dir, "palette4-trns.png", palette) && ok;
  TestPng rgb = Sample(PNG_COLOR_TYPE_RGB, 8, false);
  rgb.hasKey = true;
  rgb.key.red = rgb.rows[0];
  rgb.key.green = rgb.rows[1];
  rgb.key.blue = rgb.rows[2];
  ok = Write(dir, "rgb8-trns.png", rgb) && ok;
  TestPng grey = Sample(PNG_COLOR_TYPE_GRAY, 2, true);
  grey.hasKey = true;
  grey.key.gray = 1;
  ok = Write(dir, "grey2-trns-interlaced.png", grey) && ok;
  if (!ok) std::fprintf(stderr, "dilatorix-fuzz-png-seeds: could not write every seed\n");
  return ok ? 0 : 1;
}
