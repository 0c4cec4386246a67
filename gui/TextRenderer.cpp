#include "gui/TextRenderer.h"

#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H

#include <cstring>

namespace {

// The file fontconfig picks for a family and style, or empty.
std::string MatchFont(const char* family, int style) {
  if (FcInit() == FcFalse) return {};
  FcPattern* pattern = FcPatternCreate();
  if (pattern == nullptr) return {};
  FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(family));
  FcPatternAddInteger(pattern, FC_WEIGHT,
                      style == TextStyle::kBold ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
  FcPatternAddInteger(pattern, FC_SLANT,
                      style == TextStyle::kItalic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
  FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
  FcDefaultSubstitute(pattern);
  FcResult result = FcResultNoMatch;
  FcPattern* match = FcFontMatch(nullptr, pattern, &result);
  std::string file;
  FcChar8* path = nullptr;
  if (match != nullptr && FcPatternGetString(match, FC_FILE, 0, &path) == FcResultMatch)
    file = reinterpret_cast<const char*>(path);
  if (match != nullptr) FcPatternDestroy(match);
  FcPatternDestroy(pattern);
  return file;
}

// Next code point of UTF-8 text; malformed bytes are skipped one at a time.
std::uint32_t NextCodePoint(const unsigned char*& p) {
  const unsigned char c = *p++;
  if (c < 0x80) return c;
  const int extra = c >= 0xF5 ? -1 : c >= 0xF0 ? 3 : c >= 0xE0 ? 2 : c >= 0xC0 ? 1 : -1;
  if (extra < 0) return 0xFFFD;
  std::uint32_t code = c & (0x3F >> extra);
  for (int i = 0; i < extra; ++i) {
    if ((*p & 0xC0) != 0x80) return 0xFFFD;
    code = code << 6 | (*p++ & 0x3F);
  }
  return code;
}

// The pen moves between two glyphs in 26.6 fixed point, 0 without kerning.
long Kerning(FT_Face face, FT_UInt previous, FT_UInt glyph) {
  if (previous == 0 || glyph == 0 || !FT_HAS_KERNING(face)) return 0;
  FT_Vector kern;
  return FT_Get_Kerning(face, previous, glyph, FT_KERNING_DEFAULT, &kern) == 0 ? kern.x : 0;
}

// 26.6 fixed point to whole pixels, rounding toward minus infinity also for
// pens left of the bitmap.
long FloorDiv64(long v) { return v >= 0 ? v / 64 : -((-v + 63) / 64); }

}  // namespace

TextRenderer::~TextRenderer() {
  for (auto& entry : faces)
    if (entry.second != nullptr) FT_Done_Face(static_cast<FT_Face>(entry.second));
  if (library != nullptr) FT_Done_FreeType(static_cast<FT_Library>(library));
}

void* TextRenderer::FaceFor(const TextStyle& style) {
  if (library == nullptr && !libraryFailed) {
    FT_Library lib = nullptr;
    if (FT_Init_FreeType(&lib) == 0) {
      library = lib;
    } else {
      libraryFailed = true;
      if (error.empty()) error = "the FreeType library could not start";
    }
  }
  if (library == nullptr) return nullptr;
  // The name field need not be terminated when it is full.
  const auto key =
      std::make_pair(std::string(style.face, strnlen(style.face, sizeof style.face)), style.style);
  const auto found = faces.find(key);
  if (found != faces.end()) return found->second;

  const std::string file =
      forcedFile.empty() ? MatchFont(key.first.c_str(), style.style) : forcedFile;
  FT_Face face = nullptr;
  if (file.empty() || FT_New_Face(static_cast<FT_Library>(library), file.c_str(), 0, &face) != 0) {
    face = nullptr;
    if (error.empty()) error = "no font for \"" + key.first + "\" (" + StyleName(style.style) + ")";
  }
  faces[key] = face;  // a failure is remembered: no lookup on every draw
  return face;
}

void* TextRenderer::SizedFace(const TextStyle& style) {
  if (style.size <= 0) return nullptr;
  auto face = static_cast<FT_Face>(FaceFor(style));
  if (face != nullptr) FT_Set_Pixel_Sizes(face, 0, static_cast<FT_UInt>(style.size));
  return face;
}

int TextRenderer::MeasureWidth(const TextStyle& style, const char* text) {
  if (text == nullptr) return 0;
  auto face = static_cast<FT_Face>(SizedFace(style));
  if (face == nullptr) return 0;
  long advance = 0;
  FT_UInt previous = 0;
  for (auto p = reinterpret_cast<const unsigned char*>(text); *p != 0;) {
    const FT_UInt glyph = FT_Get_Char_Index(face, NextCodePoint(p));
    advance += Kerning(face, previous, glyph);
    if (FT_Load_Glyph(face, glyph, FT_LOAD_DEFAULT) == 0) advance += face->glyph->advance.x;
    previous = glyph;
  }
  return static_cast<int>(FloorDiv64(advance + 32));
}

bool TextRenderer::Draw(std::uint32_t* pixels, int width, int height, int rowSpan,
                        const TextStyle& style, const char* text, const PixelRect& rect) {
  if (text == nullptr || text[0] == '\0' || pixels == nullptr) return false;
  auto face = static_cast<FT_Face>(SizedFace(style));
  if (face == nullptr) return false;
  int penX = rect.L;
  if (style.align == TextStyle::kCentre) penX = rect.L + (rect.W() - MeasureWidth(style, text)) / 2;
  if (style.align == TextStyle::kRight) penX = rect.R - MeasureWidth(style, text);
  const int baseline = rect.T + static_cast<int>((face->size->metrics.ascender + 32) >> 6);

  // Components outside 0..255 would spill into their neighbours.
  const int alpha = Clamp255(style.color.A);
  const int colour[3] = {Clamp255(style.color.B), Clamp255(style.color.G), Clamp255(style.color.R)};
  long pen = static_cast<long>(penX) * 64;  // 26.6 fixed point
  FT_UInt previous = 0;
  bool drawn = false;
  for (auto p = reinterpret_cast<const unsigned char*>(text); *p != 0;) {
    const FT_UInt glyph = FT_Get_Char_Index(face, NextCodePoint(p));
    pen += Kerning(face, previous, glyph);
    previous = glyph;
    if (FT_Load_Glyph(face, glyph, FT_LOAD_RENDER) != 0) continue;
    const FT_GlyphSlot slot = face->glyph;
    const FT_Bitmap& bitmap = slot->bitmap;
    // Anti-aliased coverage, or one bit per pixel from fonts with bitmap strikes;
    // colour glyphs are left out.
    const bool mono = bitmap.pixel_mode == FT_PIXEL_MODE_MONO;
    if ((!mono && bitmap.pixel_mode != FT_PIXEL_MODE_GRAY) || bitmap.pitch < 0) {
      pen += slot->advance.x;
      continue;
    }
    const int left = static_cast<int>(FloorDiv64(pen + 32)) + slot->bitmap_left;
    const int top = baseline - slot->bitmap_top;
    for (unsigned row = 0; row < bitmap.rows; ++row) {
      const int y = top + static_cast<int>(row);
      if (y < 0 || y >= height) continue;
      const unsigned char* coverage =
          bitmap.buffer + static_cast<std::ptrdiff_t>(row) * bitmap.pitch;
      std::uint32_t* out = pixels + static_cast<std::ptrdiff_t>(y) * rowSpan;
      for (unsigned col = 0; col < bitmap.width; ++col) {
        const int x = left + static_cast<int>(col);
        const int cover = mono ? (coverage[col >> 3] >> (7 - (col & 7)) & 1) * 255 : coverage[col];
        const int a = cover * alpha;
        if (x < 0 || x >= width || a == 0) continue;
        out[x] = Blend(out[x], colour, a);
        drawn = true;
      }
    }
    pen += slot->advance.x;
  }
  return drawn;
}
