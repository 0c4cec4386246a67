// A small plug-in, a recording host and a headless canvas for the editor
// framework's tests, plus images made in memory.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "gui/HeadlessCanvas.h"
#include "gui/IWidget.h"
#include "raster/PxMemBitmap.h"
#include "vst/IEffectVst.h"

namespace guitest {

struct HostRecord {
  VstInt32 opcode;
  VstInt32 index;
  float value;
};
inline std::vector<HostRecord>* hostCalls = nullptr;

inline VstIntPtr VST_CALL RecordingHost(AEffect*, VstInt32 opcode, VstInt32 index, VstIntPtr, void*,
                                        float opt) {
  if (hostCalls != nullptr && (opcode == audioMasterAutomate || opcode == audioMasterBeginEdit ||
                               opcode == audioMasterEndEdit))
    hostCalls->push_back({opcode, index, opt});
  return 0;
}

// Parameters: 0 a double 0..10, 1 an enum of 30 choices, 2 a bool with texts,
// 3 a bool (with the default "off"/"on" texts), 4 an int 0..4.
class TestPlug : public IEffectVst {
 public:
  TestPlug()
      : IEffectVst(&RecordingHost, 5, "1-1 2-2", 1, "T", "", "V", 0x00010000, 1, 2, 0, false, false,
                   false) {
    Param(0)->InitDouble("Amount", 0, 0, 10, 0.5, "dB");
    Param(1)->InitEnum("Choice", 0, 30);
    for (int i = 0; i < 30; ++i) Param(1)->SetDisplayText(i, ("c" + std::to_string(i)).c_str());
    Param(2)->InitBool("Lit", false);
    Param(2)->SetDisplayText(0, "dark");
    Param(2)->SetDisplayText(1, "lit");
    Param(3)->InitBool("Plain", false);
    Param(4)->InitInt("Steps", 0, 0, 4, "");
  }
  void ParamChanged(int index) override { changed.push_back(index); }
  void FileDropped(const char* path) override { dropped.push_back(path); }

  std::vector<int> changed;
  std::vector<std::string> dropped;
};

// Records value-entry requests.
class TestCanvas : public HeadlessCanvas {
 public:
  using HeadlessCanvas::HeadlessCanvas;
  void PromptUserInput(IWidget* control, IEffectParam*, bool) override {
    prompted.push_back(control);
  }
  std::vector<IWidget*> prompted;
};

// A w x h image of `frames` frames, frame k filled with colours[k - 1].
inline std::unique_ptr<PxMemBitmap> FramesImage(int w, int frameHeight,
                                                const std::vector<std::uint32_t>& colours) {
  const int frames = static_cast<int>(colours.size());
  auto image = std::make_unique<PxMemBitmap>(w, frameHeight * frames);
  for (int y = 0; y < frameHeight * frames; ++y)
    for (int x = 0; x < w; ++x) image->Row(y)[x] = colours[y / frameHeight];
  return image;
}

inline FrameBitmap Framed(PxBitmap& image, int frames) {
  return {&image, image.Width(), image.Height(), frames};
}

class GuiTest : public ::testing::Test {
 protected:
  void SetUp() override {
    hostCalls = &calls;
    canvas = std::make_unique<TestCanvas>(&plug, 200, 100);
    canvas->PrepareDraw();
  }
  void TearDown() override { hostCalls = nullptr; }

  template <typename Widget>
  Widget* Attach(std::unique_ptr<Widget> widget) {
    Widget* raw = widget.get();
    canvas->AttachControl(std::move(widget));
    return raw;
  }

  int Count(VstInt32 opcode) const {
    int n = 0;
    for (const HostRecord& call : calls) n += call.opcode == opcode;
    return n;
  }

  std::vector<HostRecord> calls;
  TestPlug plug;
  std::unique_ptr<TestCanvas> canvas;
};

}  // namespace guitest
