#include "gui/HeadlessCanvas.h"

#include <cstdio>

#include "raster/PngWriter.h"

HeadlessCanvas::HeadlessCanvas(IEffectForEditor* plug, int w, int h, int fps)
    : ICanvasRaster(plug, w, h, fps) {}

bool HeadlessCanvas::PresentRect(const PixelRect&) {
  ++presented;
  return true;
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

bool HeadlessCanvas::BuildNativeMenu(void*, int*, const IMenuModel&) { return false; }

void HeadlessCanvas::PromptUserInput(IWidget*, IEffectParam*, bool) {}

void HeadlessCanvas::HostDirectory(std::string* path) { path->clear(); }

void HeadlessCanvas::PluginDirectory(std::string* path) { path->clear(); }

void HeadlessCanvas::PromptForFile(std::string* path, int, const std::string&) { path->clear(); }

bool HeadlessCanvas::PromptForColor(ArgbColor*, const char*) { return false; }

bool HeadlessCanvas::OpenUrl(const char*, const char*, const char*, const char*) { return false; }

void* HeadlessCanvas::OpenWindow(void*) { return nullptr; }

void HeadlessCanvas::CloseWindow() {}

void* HeadlessCanvas::GetWindowHandle() { return nullptr; }

void HeadlessCanvas::PopupParamMenu(IWidget*, IEffectParam*, int) {}

bool HeadlessCanvas::WritePng(const std::string& path) const {
  return ::WritePng(drawBitmap.Pixels(), drawBitmap.Width(), drawBitmap.Height(),
                    drawBitmap.RowSpan(), path);
}
