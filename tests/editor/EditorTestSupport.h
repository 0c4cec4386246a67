// A plug-in that records what the editor's controls send it, an editor-sized
// headless canvas with a backdrop of one known colour, and solid images made in
// memory, for the product's own controls.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "core/IEffectForEditor.h"
#include "gui/HeadlessCanvas.h"
#include "gui/IWidget.h"
#include "raster/PxMemBitmap.h"

namespace editortest {

struct EditCall {
  enum Kind { kBegin, kSet, kEnd };
  Kind kind;
  int index;
  double value;  // for kSet
  bool operator==(const EditCall& o) const {
    return kind == o.kind && index == o.index && value == o.value;
  }
};

class RecordingPlug : public IEffectForEditor {
 public:
  IEffectParam* Param(int) override { return nullptr; }
  void SetParameterFromGUI(int index, double normalized) override {
    calls.push_back({EditCall::kSet, index, normalized});
  }
  void BeginParamEdit(int index) override { calls.push_back({EditCall::kBegin, index, 0.0}); }
  void EndParamEdit(int index) override { calls.push_back({EditCall::kEnd, index, 0.0}); }
  void FileDropped(const char*) override {}
  void SecondFileDropped(const char*) override {}
  void EditorSizeChanged() override {}

  std::vector<EditCall> calls;
};

// Fills its rectangle with one colour, so that what a control leaves alone shows.
class Backdrop : public IWidget {
 public:
  Backdrop(const PixelRect& rect, const ArgbColor& colour)
      : IWidget(nullptr, rect), colour(colour) {}
  bool Draw(ICanvas& canvas) override {
    return canvas.FillRect(colour, drawRect, BlendSpec(BlendSpec::kClobber, 1.0f));
  }
  ArgbColor colour;
};

inline std::unique_ptr<PxMemBitmap> SolidImage(int w, int h, std::uint32_t colour) {
  auto image = std::make_unique<PxMemBitmap>(w, h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) image->Row(y)[x] = colour;
  return image;
}

inline FrameBitmap Framed(PxBitmap& image) { return {&image, image.Width(), image.Height(), 1}; }

class EditorTest : public ::testing::Test {
 protected:
  static constexpr std::uint32_t kBackdrop = 0xFF102030u;

  void SetUp() override {
    canvas = std::make_unique<HeadlessCanvas>(&plug, 720, 650);
    canvas->PrepareDraw();
    canvas->AttachControl(
        std::make_unique<Backdrop>(PixelRect(0, 0, 720, 650), ArgbColor::Unpacked(kBackdrop)));
  }

  template <typename Widget>
  Widget* Attach(std::unique_ptr<Widget> widget) {
    Widget* raw = widget.get();
    canvas->AttachControl(std::move(widget));
    return raw;
  }

  void DrawAll() { canvas->Draw(PixelRect(0, 0, 720, 650)); }
  std::uint32_t Pixel(int x, int y) { return canvas->GetPixel(x, y).Packed(); }

  RecordingPlug plug;
  std::unique_ptr<HeadlessCanvas> canvas;
};

}  // namespace editortest
