// Draws single lines of text with FreeType into 0xAARRGGBB pixels: the face
// fontconfig matches for the style's face name (Liberation Sans for "Arial" on
// Debian), at the style's size in pixels, colour, weight or slant and
// alignment; the line's top (the face's ascent) sits at the rectangle's top,
// with no clipping to the rectangle and no wrapping. Orientation is not
// supported (always horizontal). Each canvas owns one and uses it on its GUI
// thread only; it owns its FreeType library and the faces it opened.
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

  // Whether anything was drawn; false for empty text and when no font is there.
  bool Draw(std::uint32_t* pixels, int width, int height, int rowSpan, const TextStyle& style,
            const char* text, const PixelRect& rect);
  int MeasureWidth(const TextStyle& style, const char* text);
  // The first failure to find or open a font; empty while all went well.
  const std::string& FontError() const { return error; }

 private:
  void* FaceFor(const TextStyle& style);

  void* library = nullptr;  // FT_Library
  bool libraryFailed = false;
  std::map<std::pair<std::string, int>, void*> faces;  // FT_Face, or null after a failure
  std::string forcedFile;
  std::string error;
};
