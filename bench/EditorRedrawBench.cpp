// A full redraw of an editor-sized scene: a background, 20 bitmap controls with
// alpha and 6 text controls, drawn by the headless canvas.
#include <benchmark/benchmark.h>

#include <memory>
#include <vector>

#include "gui/HeadlessCanvas.h"
#include "gui/IBitmapWidget.h"
#include "gui/ITextWidget.h"
#include "raster/PxMemBitmap.h"

namespace {

std::unique_ptr<PxMemBitmap> Filled(int w, int h, std::uint32_t (*colour)(int x, int y)) {
  auto image = std::make_unique<PxMemBitmap>(w, h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) image->Row(y)[x] = colour(x, y);
  return image;
}

void BM_FullEditorRedraw(benchmark::State& state) {
  auto background = Filled(720, 650, [](int x, int y) {
    return 0xFF000000u | static_cast<std::uint32_t>((x ^ y) & 0x3F) * 0x010101u;
  });
  auto knob = Filled(32, 32, [](int x, int y) {
    const int dx = x - 16, dy = y - 16;
    return dx * dx + dy * dy < 225 ? 0xFFC0C0C0u : 0x00000000u;
  });
  auto handle =
      Filled(24, 24, [](int x, int) { return 0x80FFFFFFu | static_cast<std::uint32_t>(x); });

  HeadlessCanvas canvas(nullptr, 720, 650);
  canvas.PrepareDraw();
  canvas.AttachControl(std::make_unique<IBitmapWidget>(nullptr, PixelRect(0, 0, 720, 650), -1,
                                                       FrameBitmap{background.get(), 720, 650, 1},
                                                       BlendSpec(BlendSpec::kClobber, 1.0f)));
  for (int i = 0; i < 20; ++i) {
    PxMemBitmap& image = i % 2 == 0 ? *knob : *handle;
    const int size = image.Width();
    canvas.AttachControl(std::make_unique<IBitmapWidget>(
        nullptr, 30 + (i % 5) * 130, 40 + (i / 5) * 140, -1, FrameBitmap{&image, size, size, 1}));
  }
  TextStyle style;
  style.size = 14;
  style.color = colors::kWhite;
  for (int i = 0; i < 6; ++i)
    canvas.AttachControl(std::make_unique<ITextWidget>(
        nullptr, PixelRect(560, 150 + 30 * i, 640, 166 + 30 * i), style, "123.45 x"));

  const PixelRect all(0, 0, 720, 650);
  for (auto _ : state) {
    canvas.SetAllControlsDirty();
    benchmark::DoNotOptimize(canvas.Draw(all));
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_FullEditorRedraw)->Unit(benchmark::kMicrosecond);

}  // namespace
