#include "gui/HeadlessCanvas.h"

#include <cstdio>

#include "raster/PngWriter.h"

HeadlessCanvas::HeadlessCanvas(IEffectForEditor* plug, int w, int h, int fps)
    : ICanvasRaster(plug, w, h, fps) {
  SetWindowHost(this);
}

bool HeadlessCanvas::DrawText(const TextStyle& style, const char* string, const PixelRect& rect) {
  if (string == nullptr || string[0] == '\0') return true;
  // Only the area being redrawn had what lies under the text drawn again; text
  // beyond it would blend over its own earlier pixels and thicken.
  const PixelRect clip =
      DrawClip().Intersect(PixelRect(0, 0, drawBitmap.Width(), drawBitmap.Height()));
  if (clip.Empty()) return false;
  const int span = drawBitmap.RowSpan();
  const PixelRect moved(rect.L - clip.L, rect.T - clip.T, rect.R - clip.L, rect.B - clip.T);
  const bool drawn =
      text.Draw(drawBitmap.Pixels() + static_cast<std::ptrdiff_t>(clip.T) * span + clip.L, clip.W(),
                clip.H(), span, style, string, moved);
  if (!drawn && !fontErrorReported && !text.FontError().empty()) {
    fontErrorReported = true;
    std::fprintf(stderr, "dilatorix editor: %s; text is not drawn\n", text.FontError().c_str());
  }
  return drawn;
}

void* HeadlessCanvas::OpenWindow(void*) { return nullptr; }

void HeadlessCanvas::CloseWindow() {}

bool HeadlessCanvas::PresentRect(const PixelRect&) {
  ++presented;
  return true;
}

void HeadlessCanvas::PromptUserInput(IWidget*, IEffectParam*, bool) {}

void HeadlessCanvas::PromptForFile(std::string* path, int, const std::string&) {
  ++fileDialogs;
  *path = fileAnswer;
}

bool HeadlessCanvas::WritePng(const std::string& path) const {
  const std::vector<std::uint32_t> pixels = ShownPixels();
  return ::WritePng(pixels.data(), drawBitmap.Width(), drawBitmap.Height(), drawBitmap.Width(),
                    path);
}

bool HeadlessCanvas::EncodePng(std::vector<unsigned char>* out) const {
  const std::vector<std::uint32_t> pixels = ShownPixels();
  return ::EncodePng(pixels.data(), drawBitmap.Width(), drawBitmap.Height(), drawBitmap.Width(),
                     out);
}

// Blends leave partial alpha in the draw bitmap; the screen copy ignores it.
std::vector<std::uint32_t> HeadlessCanvas::ShownPixels() const {
  const int width = drawBitmap.Width(), height = drawBitmap.Height();
  std::vector<std::uint32_t> pixels(static_cast<std::size_t>(width) * height);
  for (int y = 0; y < height; ++y) {
    const std::uint32_t* row =
        drawBitmap.Pixels() + static_cast<std::size_t>(y) * drawBitmap.RowSpan();
    for (int x = 0; x < width; ++x)
      pixels[static_cast<std::size_t>(y) * width + x] = row[x] | 0xFF000000u;
  }
  return pixels;
}
