// Draws single lines of text into 0xAARRGGBB pixels: the face named by the
// style (on Linux the face fontconfig matches, Liberation Sans for "Arial" on
// Debian, drawn with FreeType; on Windows the GDI font of that name), at the
// style's size in pixels, colour, weight or slant and alignment; the line's
// top (the face's ascent) sits at the rectangle's top, with no clipping to the
// rectangle and no wrapping, clipped to the bitmap only. Orientation is
// ignored (always horizontal). Each canvas owns one and uses it on its GUI
// thread only: it is not thread-safe. It owns its fonts (FreeType faces, or
// GDI fonts and the mask GDI draws into); a face is looked up once per name
// and style, and a failed lookup is remembered, so later draws fail fast.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <utility>

#include "gui/GraphicsTypes.h"

class TextRenderer {
 public:
  TextRenderer() = default;
#if !defined(_WIN32)
  // Uses this font file instead of asking fontconfig (tests, or a bundled face).
  explicit TextRenderer(const std::string& fontFile) : forcedFile(fontFile) {}
#endif
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
  // "regular", "bold" or "italic", for messages.
  static const char* StyleName(int style) {
    return style == TextStyle::kBold ? "bold" : style == TextStyle::kItalic ? "italic" : "regular";
  }
  // A colour component kept inside 0..255, so it cannot spill into another.
  static int Clamp255(int v) { return v < 0 ? 0 : v > 255 ? 255 : v; }
  // Blends colour (B, G, R components 0..255) into a pixel with weight
  // a / (255 * 255); the result is opaque.
  static std::uint32_t Blend(std::uint32_t d, const int colour[3], int a) {
    std::uint32_t result = 0xFF000000u;
    for (int i = 0; i < 3; ++i) {
      const int dc = static_cast<int>(d >> (8 * i) & 255);
      result |= static_cast<std::uint32_t>(dc + (colour[i] - dc) * a / (255 * 255)) << (8 * i);
    }
    return result;
  }

#if defined(_WIN32)
  // The GDI font for the style (face, weight or slant, size), selected into
  // the mask's context; false when there is none.
  bool SelectFont(const TextStyle& style);
  // The mask grown to at least w x h and cleared; false when it cannot be.
  bool PrepareMask(int w, int h);

  void* context = nullptr;  // HDC the mask is drawn in
  void* mask = nullptr;     // HBITMAP, a top-down 32-bit DIB section
  std::uint32_t* maskPixels = nullptr;
  int maskWidth = 0, maskHeight = 0;
  std::map<std::pair<std::string, std::pair<int, int>>, void*> fonts;  // HFONT, or null
#else
  // The face for the style, set to its size; null when there is none.
  void* SizedFace(const TextStyle& style);
  void* FaceFor(const TextStyle& style);

  void* library = nullptr;  // FT_Library
  bool libraryFailed = false;
  std::map<std::pair<std::string, int>, void*> faces;  // FT_Face, or null after a failure
  std::string forcedFile;
#endif
  std::string error;
};
