// TextRenderer on Windows: GDI draws the line white on black, antialiased in
// grey levels, into a mask of its own; the mask's levels are then blended in
// the style's colour like FreeType's coverage, so text keeps the colour's
// alpha and leaves the pixels' alpha opaque, which GDI drawing straight into
// the bitmap would not.
#include <algorithm>
#include <cstring>
#include <string>

#include "gui/TextRenderer.h"
#include "platform/WideText.h"

TextRenderer::~TextRenderer() {
  if (context != nullptr) DeleteDC(static_cast<HDC>(context));
  if (mask != nullptr) DeleteObject(static_cast<HBITMAP>(mask));
  for (auto& entry : fonts)
    if (entry.second != nullptr) DeleteObject(static_cast<HFONT>(entry.second));
}

bool TextRenderer::SelectFont(const TextStyle& style) {
  if (style.size <= 0) return false;
  if (context == nullptr) {
    context = CreateCompatibleDC(nullptr);
    if (context == nullptr) {
      if (error.empty()) error = "no drawing context for text";
      return false;
    }
  }
  // The name field need not be terminated when it is full.
  const std::string face(style.face, strnlen(style.face, sizeof style.face));
  const auto key = std::make_pair(face, std::make_pair(style.style, style.size));
  auto found = fonts.find(key);
  if (found == fonts.end()) {
    // A negative height asks for the em size in pixels, as FreeType's pixel size.
    HFONT font =
        CreateFontW(-style.size, 0, 0, 0, style.style == TextStyle::kBold ? FW_BOLD : FW_NORMAL,
                    style.style == TextStyle::kItalic, FALSE, FALSE, DEFAULT_CHARSET,
                    OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, ANTIALIASED_QUALITY,
                    DEFAULT_PITCH | FF_DONTCARE, WideFromUtf8(face).c_str());
    if (font == nullptr && error.empty())
      error = "no font for \"" + face + "\" (" + StyleName(style.style) + ")";
    found = fonts.emplace(key, font).first;  // a failure is remembered
  }
  if (found->second == nullptr) return false;
  SelectObject(static_cast<HDC>(context), static_cast<HFONT>(found->second));
  return true;
}

bool TextRenderer::PrepareMask(int w, int h) {
  if (w > maskWidth || h > maskHeight) {
    if (mask != nullptr) DeleteObject(static_cast<HBITMAP>(mask));
    mask = nullptr;
    maskPixels = nullptr;
    maskWidth = maskHeight = 0;
    void* bits = nullptr;
    HBITMAP section = NewTopDownSection(nullptr, w, h, &bits);
    if (section == nullptr) return false;
    mask = section;
    maskPixels = static_cast<std::uint32_t*>(bits);
    maskWidth = w;
    maskHeight = h;
    SelectObject(static_cast<HDC>(context), section);
  }
  GdiFlush();
  std::fill(maskPixels, maskPixels + static_cast<std::size_t>(maskWidth) * maskHeight, 0u);
  return true;
}

int TextRenderer::MeasureWidth(const TextStyle& style, const char* text) {
  if (text == nullptr || text[0] == '\0' || !SelectFont(style)) return 0;
  const std::wstring wide = WideFromUtf8(text, true);
  SIZE extent = {};
  if (!GetTextExtentPoint32W(static_cast<HDC>(context), wide.c_str(), static_cast<int>(wide.size()),
                             &extent))
    return 0;
  return extent.cx;
}

bool TextRenderer::Draw(std::uint32_t* pixels, int width, int height, int rowSpan,
                        const TextStyle& style, const char* text, const PixelRect& rect) {
  if (text == nullptr || text[0] == '\0' || pixels == nullptr || !SelectFont(style)) return false;
  HDC dc = static_cast<HDC>(context);
  const std::wstring wide = WideFromUtf8(text, true);
  const int count = static_cast<int>(wide.size());
  SIZE extent = {};
  TEXTMETRICW metrics = {};
  if (count == 0 || !GetTextExtentPoint32W(dc, wide.c_str(), count, &extent) ||
      !GetTextMetricsW(dc, &metrics))
    return false;
  // Room for ink beyond the advance: italic overhang, glyphs' side bearings.
  const int margin = style.size;
  const int maskW = extent.cx + 2 * margin, maskH = metrics.tmHeight + 2;
  if (maskW <= 0 || maskH <= 0 || !PrepareMask(maskW, maskH)) return false;
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, RGB(255, 255, 255));
  SetTextAlign(dc, TA_LEFT | TA_TOP | TA_NOUPDATECP);
  if (!TextOutW(dc, margin, 0, wide.c_str(), count)) return false;
  GdiFlush();

  int penX = rect.L;
  if (style.align == TextStyle::kCentre) penX = rect.L + (rect.W() - extent.cx) / 2;
  if (style.align == TextStyle::kRight) penX = rect.R - extent.cx;
  const int left = penX - margin;
  // Components outside 0..255 would spill into their neighbours.
  const int alpha = Clamp255(style.color.A);
  const int colour[3] = {Clamp255(style.color.B), Clamp255(style.color.G), Clamp255(style.color.R)};
  bool drawn = false;
  for (int row = 0; row < maskH; ++row) {
    const int y = rect.T + row;
    if (y < 0 || y >= height) continue;
    const std::uint32_t* coverage = maskPixels + static_cast<std::ptrdiff_t>(row) * maskWidth;
    std::uint32_t* out = pixels + static_cast<std::ptrdiff_t>(y) * rowSpan;
    for (int col = 0; col < maskW; ++col) {
      const int x = left + col;
      // Grey levels: any channel is the coverage; take the strongest.
      const std::uint32_t m = coverage[col];
      const int cover = static_cast<int>(std::max({m >> 16 & 255, m >> 8 & 255, m & 255}));
      const int a = cover * alpha;
      if (x < 0 || x >= width || a == 0) continue;
      out[x] = Blend(out[x], colour, a);
      drawn = true;
    }
  }
  return drawn;
}
