// Full redraws of an editor-sized scene drawn by the headless canvas: a
// background, 20 bitmap controls with alpha and 6 text controls; then the same
// scene with the product's displays on it (waveform, contour, envelope, XY pad
// and a spectrograph of 600 frames of 4096 bins), and the spectrograph's own
// first draw after an analysis, when it reads every frame. Then the product's
// own editor, as the snapshot tool makes it, after the demo phrase was loaded,
// analysed and played: a full redraw of every control, the same when the
// spectrograph's picture is made anew after an analysis, and a timer tick with
// nothing to redraw.
#include <benchmark/benchmark.h>

#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "editor/SpectrographDisplay.h"
#include "editor/VolumeEnvelopeControl.h"
#include "editor/WaveformDisplay.h"
#include "editor/XyDisplay.h"
#include "gui/HeadlessCanvas.h"
#include "gui/IBitmapWidget.h"
#include "gui/ITextWidget.h"
#include "host/EditorSnapshot.h"
#include "host/InputClip.h"
#include "host/RenderOptions.h"
#include "raster/PxMemBitmap.h"

namespace {

std::unique_ptr<PxMemBitmap> Filled(int w, int h, std::uint32_t (*colour)(int x, int y)) {
  auto image = std::make_unique<PxMemBitmap>(w, h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) image->Row(y)[x] = colour(x, y);
  return image;
}

FrameBitmap Whole(PxMemBitmap& image) { return {&image, image.Width(), image.Height(), 1}; }

// The images outlive the canvas that draws them.
struct Images {
  std::unique_ptr<PxMemBitmap> background = Filled(720, 650, [](int x, int y) {
    return 0xFF000000u | static_cast<std::uint32_t>((x ^ y) & 0x3F) * 0x010101u;
  });
  std::unique_ptr<PxMemBitmap> knob = Filled(32, 32, [](int x, int y) {
    const int dx = x - 16, dy = y - 16;
    return dx * dx + dy * dy < 225 ? 0xFFC0C0C0u : 0x00000000u;
  });
  std::unique_ptr<PxMemBitmap> handle =
      Filled(24, 24, [](int x, int) { return 0x80FFFFFFu | static_cast<std::uint32_t>(x); });
  std::unique_ptr<PxMemBitmap> pad = Filled(80, 80, [](int, int) { return 0xFF203060u; });
  std::unique_ptr<PxMemBitmap> marker = Filled(12, 12, [](int x, int y) {
    const int dx = x - 6, dy = y - 6;
    return dx * dx + dy * dy < 30 ? 0xFFFFFFFFu : 0x00000000u;
  });
};

void AttachScene(HeadlessCanvas& canvas, Images& images) {
  canvas.PrepareDraw();
  canvas.AttachControl(std::make_unique<IBitmapWidget>(nullptr, PixelRect(0, 0, 720, 650), -1,
                                                       Whole(*images.background),
                                                       BlendSpec(BlendSpec::kClobber, 1.0f)));
  for (int i = 0; i < 20; ++i) {
    PxMemBitmap& image = i % 2 == 0 ? *images.knob : *images.handle;
    canvas.AttachControl(std::make_unique<IBitmapWidget>(nullptr, 30 + (i % 5) * 130,
                                                         40 + (i / 5) * 140, -1, Whole(image)));
  }
  TextStyle style;
  style.size = 14;
  style.color = colors::kWhite;
  for (int i = 0; i < 6; ++i)
    canvas.AttachControl(std::make_unique<ITextWidget>(
        nullptr, PixelRect(560, 150 + 30 * i, 640, 166 + 30 * i), style, "123.45 x"));
}

// Frames of a clip with a falling tone over pink-ish noise.
void FillFrames(FftBufferList& frames, int count, int n) {
  for (int f = 0; f < count; ++f) {
    SpectralFrame* frame = frames.Append(n);
    if (frame == nullptr) return;
    const int tone = 40 + (count - f) * 3;
    for (int k = 0; k <= n / 2; ++k) {
      const double noise = n * 0.01 / (1.0 + k) * (1.0 + 0.5 * std::sin(f * 0.37 + k * 1.3));
      frame->Set(k, std::abs(k - tone) < 3 ? n * 0.25 : noise, k * 0.5);
    }
  }
}

SpectrographDisplay* AttachDisplays(HeadlessCanvas& canvas, Images& images,
                                    const FftBufferList& frames) {
  auto waveform = std::make_unique<WaveformDisplay>(nullptr, PixelRect(100, 40, 600, 110));
  waveform->mode = WaveformDisplay::kCentred;
  waveform->bandOn = true;
  waveform->bandStart = 50;
  waveform->bandEnd = 400;
  waveform->bandColor = ArgbColor(127, 40, 123, 155);
  waveform->cursorVisible = true;
  waveform->cursorColumn = 250;
  for (int i = 0; i < waveform->ColumnCount(); ++i) waveform->values[i] = std::sin(i * 0.05);
  canvas.AttachControl(std::move(waveform));
  canvas.AttachControl(std::make_unique<VolumeEnvelopeControl>(nullptr, PixelRect(94, 34, 606, 116),
                                                               50, Whole(*images.marker)));
  auto contour = std::make_unique<WaveformDisplay>(nullptr, PixelRect(100, 222, 600, 272));
  for (int i = 0; i < contour->ColumnCount(); ++i) contour->values[i] = (i % 37) / 37.0;
  canvas.AttachControl(std::move(contour));
  auto spectrograph = std::make_unique<SpectrographDisplay>(nullptr, PixelRect(100, 425, 600, 645));
  SpectrographDisplay* display = spectrograph.get();
  display->frameSource = &frames;
  display->RebuildRowMap();
  canvas.AttachControl(std::move(spectrograph));
  auto xy = std::make_unique<XyDisplay>(nullptr, PixelRect(10, 500, 90, 580), Whole(*images.pad),
                                        Whole(*images.marker));
  xy->xValue = 0.3;
  xy->yValue = 0.6;
  canvas.AttachControl(std::move(xy));
  return display;
}

void BM_FullEditorRedraw(benchmark::State& state) {
  Images images;
  HeadlessCanvas canvas(nullptr, 720, 650);
  AttachScene(canvas, images);
  const PixelRect all(0, 0, 720, 650);
  for (auto _ : state) {
    canvas.SetAllControlsDirty();
    benchmark::DoNotOptimize(canvas.Draw(all));
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_FullEditorRedraw)->Unit(benchmark::kMicrosecond);

// A timer tick during playback: the dirty area (the union of the cursor, the
// XY pad and the progress bar) takes in the spectrograph, which is redrawn
// from its picture.
void BM_FullEditorRedrawWithDisplays(benchmark::State& state) {
  Images images;
  FftBufferList frames;
  FillFrames(frames, 600, 4096);
  HeadlessCanvas canvas(nullptr, 720, 650);
  AttachScene(canvas, images);
  AttachDisplays(canvas, images, frames);
  const PixelRect all(0, 0, 720, 650);
  canvas.Draw(all);  // the spectrograph's picture
  for (auto _ : state) {
    canvas.SetAllControlsDirty();
    benchmark::DoNotOptimize(canvas.Draw(all));
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_FullEditorRedrawWithDisplays)->Unit(benchmark::kMicrosecond);

// Once per analysed file: the spectrograph reads a frame per column.
void BM_SpectrographFirstDraw(benchmark::State& state) {
  Images images;
  FftBufferList frames;
  FillFrames(frames, 600, 4096);
  HeadlessCanvas canvas(nullptr, 720, 650);
  AttachScene(canvas, images);
  SpectrographDisplay* display = AttachDisplays(canvas, images, frames);
  const PixelRect area = display->DrawRect();
  for (auto _ : state) {
    display->RebuildRowMap();
    display->MarkDirty(false);
    benchmark::DoNotOptimize(canvas.Draw(area));
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_SpectrographFirstDraw)->Unit(benchmark::kMillisecond);

// The product's editor after the demo phrase played for 3 s at 4x; null, with
// the reason, when it cannot be had.
std::unique_ptr<EditorSnapshot> PlayedEditor(std::string* error) {
  auto snapshot = std::make_unique<EditorSnapshot>();
  double frames = 0;
  std::vector<ParamAssignment> stretch;
  if (!CheckInputClip(DILATORIX_DEMO_CLIP, 44100, &frames, error) ||
      !StretchAssignments(4, &stretch, error) || !snapshot->Open(44100, 512, error) ||
      !snapshot->Play(DILATORIX_DEMO_CLIP, static_cast<std::int64_t>(frames), stretch, 3, error))
    return nullptr;
  return snapshot;
}

// The played editor's canvas; null, with the benchmark skipped, when there is
// none.
HeadlessCanvas* PlayedCanvas(benchmark::State& state, std::unique_ptr<EditorSnapshot>* editor) {
  std::string error;
  *editor = PlayedEditor(&error);
  if (*editor == nullptr) {
    state.SkipWithError(error.c_str());
    return nullptr;
  }
  return &(*editor)->Canvas();
}

// Every control of the editor, the spectrograph's picture of the phrase among
// them, as when a window is first shown or uncovered.
void BM_StretchEditorFullRedraw(benchmark::State& state) {
  std::unique_ptr<EditorSnapshot> editor;
  HeadlessCanvas* played = PlayedCanvas(state, &editor);
  if (played == nullptr) return;
  HeadlessCanvas& canvas = *played;
  const PixelRect all(0, 0, canvas.Width(), canvas.Height());
  for (auto _ : state) {
    canvas.SetAllControlsDirty();
    benchmark::DoNotOptimize(canvas.Draw(all));
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_StretchEditorFullRedraw)->Unit(benchmark::kMicrosecond);

// The same after an analysis, when the spectrograph makes its picture anew
// from the phrase's frames: once per loaded file.
void BM_StretchEditorRedrawAfterAnalysis(benchmark::State& state) {
  std::unique_ptr<EditorSnapshot> editor;
  HeadlessCanvas* played = PlayedCanvas(state, &editor);
  if (played == nullptr) return;
  HeadlessCanvas& canvas = *played;
  SpectrographDisplay* spectrograph = nullptr;
  for (int i = 0; i < canvas.ControlCount() && spectrograph == nullptr; ++i)
    spectrograph = dynamic_cast<SpectrographDisplay*>(canvas.Control(i));
  const PixelRect all(0, 0, canvas.Width(), canvas.Height());
  for (auto _ : state) {
    spectrograph->RebuildRowMap();
    canvas.SetAllControlsDirty();
    benchmark::DoNotOptimize(canvas.Draw(all));
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_StretchEditorRedrawAfterAnalysis)->Unit(benchmark::kMillisecond);

// A timer tick while nothing moves (the transport stopped): the refresher finds
// no revision changed and no control is dirty.
void BM_StretchEditorIdleTick(benchmark::State& state) {
  std::unique_ptr<EditorSnapshot> editor;
  HeadlessCanvas* played = PlayedCanvas(state, &editor);
  if (played == nullptr) return;
  HeadlessCanvas& canvas = *played;
  canvas.Tick();
  const int presented = canvas.PresentedCount();
  for (auto _ : state) benchmark::DoNotOptimize(canvas.Tick());
  if (canvas.PresentedCount() != presented) state.SkipWithError("an idle tick drew");
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_StretchEditorIdleTick)->Unit(benchmark::kMicrosecond);

}  // namespace
