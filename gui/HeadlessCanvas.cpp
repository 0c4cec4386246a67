#include "gui/HeadlessCanvas.h"

#include <cstdio>

#include "raster/PngWriter.h"

HeadlessCanvas::HeadlessCanvas(IEffectForEditor* plug, int w, int h, int fps)
    : ICanvasRaster(plug, w, h, fps) {
  SetWindowHost(this);
}

bool HeadlessCanvas::DrawText(const TextStyle& style, const char* string, const PixelRect& rect) {
  if (string == nullptr || string[0] == '\0') return true;
  const bool drawn = text.Draw(drawBitmap.Pixels(), drawBitmap.Width(), drawBitmap.Height(),
                               drawBitmap.RowSpan(), style, string, rect);
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
  return ::WritePng(drawBitmap.Pixels(), drawBitmap.Width(), drawBitmap.Height(),
                    drawBitmap.RowSpan(), path);
}
