// Draws single lines of text with FreeType into 0xAARRGGBB pixels: the face
// fontconfig matches for the style's face name (Liberation Sans for "Arial" on
// Debian), at the style's size in pixels, colour, weight or slant and
// alignment; the line's top (the face's ascent) sits at the rectangle's top,
// with no clipping to the rectangle and no wrapping, clipped to the bitmap
// only. Orientation is ignored (always horizontal). Each canvas owns one and
// uses it on its GUI thread only: it is not thread-safe. It owns its FreeType
// library and the faces it opened; fontconfig is asked once per face name and
// style, and a failed lookup is remembered, so later draws fail fast.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <utility>

#include "gui/GraphicsTypes.h"

class TextRenderer {
 public:
  TextRenderer() = default;
  // Uses this font file instead of asking fontconfig (tests, or a bundled face).
  explicit TextRenderer(const std::string& fontFile) : forcedFile(fontFile) {}
  TextRenderer(const TextRenderer&) = delete;
  TextRenderer& operator=(const TextRenderer&) = delete;
  ~TextRenderer();

  // Blends UTF-8 text into pixels (rowSpan pixels per row): left, centred or
  // right inside rect, the baseline at rect.T plus the face's ascender. Whether
  // anything was drawn: false for empty text (nothing to do) and when no font
  // is there (see FontError).
  bool Draw(std::uint32_t* pixels, int width, int height, int rowSpan, const TextStyle& style,
            const char* text, const PixelRect& rect);
  // Pixels the pen advances over the text (kerning included); 0 without a font.
  int MeasureWidth(const TextStyle& style, const char* text);
  // The first failure to find or open a font; empty while all went well.
  const std::string& FontError() const { return error; }

 private:
  // The face for the style, set to its size; null when there is none.
  void* SizedFace(const TextStyle& style);
  void* FaceFor(const TextStyle& style);

  void* library = nullptr;  // FT_Library
  bool libraryFailed = false;
  std::map<std::pair<std::string, int>, void*> faces;  // FT_Face, or null after a failure
  std::string forcedFile;
  std::string error;
};
