#include "gui/HeadlessCanvas.h"

#include "raster/PngWriter.h"

HeadlessCanvas::HeadlessCanvas(IEffectForEditor* plug, int w, int h, int fps)
    : ICanvasRaster(plug, w, h, fps) {
  SetWindowHost(this);
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
