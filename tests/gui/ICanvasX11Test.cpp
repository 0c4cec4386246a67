// The X11 window host on its own: a canvas with one control that records what
// reaches it, opened inside a top-level window on a private X server, with
// real key and button events from xdotool.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "core/IEffectForEditor.h"
#include "core/IEffectParam.h"
#include "gui/ICanvasX11.h"
#include "gui/IWidget.h"
#include "gui/X11Support.h"
#include "tests/support/XdndSource.h"
#include "tests/support/XvfbServer.h"

// After gtest: Xlib defines None and Bool as macros.
#include <X11/Xutil.h>  // NOLINT(build/include_order)

namespace {

struct Received {
  enum Kind { kDown, kUp, kDouble, kWheel, kKey, kDrag };
  Kind kind;
  int a;  // key code, notches, or x
};

class RecordingControl : public IWidget {
 public:
  RecordingControl(std::vector<Received>* log, const PixelRect& rect)
      : IWidget(nullptr, rect), log(log) {}
  bool Draw(ICanvas& canvas) override {
    return canvas.FillRect(ArgbColor::Unpacked(0xFF336699u), drawRect, BlendSpec());
  }
  void MouseDown(int x, int, const MouseMods&) override { log->push_back({Received::kDown, x}); }
  void MouseUp(int x, int, const MouseMods&) override { log->push_back({Received::kUp, x}); }
  void MouseDoubleClick(int x, int, const MouseMods&) override {
    log->push_back({Received::kDouble, x});
  }
  void MouseDrag(int x, int, int, int, const MouseMods&) override {
    log->push_back({Received::kDrag, x});
  }
  void MouseWheel(int, int, const MouseMods&, int notches) override {
    log->push_back({Received::kWheel, notches});
  }
  void KeyDown(int, int, int key) override { log->push_back({Received::kKey, key}); }
  std::vector<Received>* log;
};

class CanvasX11Test : public PrivateXServerTest {
 protected:
  void SetUp() override {
    ASSERT_TRUE(ServerRunning());
    display = XOpenDisplay(nullptr);
    ASSERT_NE(display, nullptr);
    top = XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, 200, 100, 0, 0, 0);
    XSelectInput(display, top, StructureNotifyMask);
    XMapWindow(display, top);
    for (XEvent event;;) {
      XNextEvent(display, &event);
      if (event.type == MapNotify) break;
    }
    canvas = std::make_unique<ICanvasX11>(nullptr, 200, 100);
    canvas->PrepareDraw();
    canvas->AttachControl(std::make_unique<RecordingControl>(&log, PixelRect(0, 0, 200, 100)));
    ASSERT_NE(canvas->OpenWindow(reinterpret_cast<void*>(top)), nullptr);
    Pump(100);
    log.clear();
  }

  void TearDown() override {
    canvas.reset();
    if (display != nullptr) XCloseDisplay(display);
  }

  void Pump(int milliseconds) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
    while (std::chrono::steady_clock::now() < end) {
      canvas->Pump();
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
  }

  std::vector<int> Of(Received::Kind kind) const {
    std::vector<int> values;
    for (const Received& r : log)
      if (r.kind == kind) values.push_back(r.a);
    return values;
  }

  Display* display = nullptr;
  Window top = 0;
  std::vector<Received> log;
  std::unique_ptr<ICanvasX11> canvas;
};

TEST_F(CanvasX11Test, KeysReachControlsByTheirCodesAndOthersNot) {
  ASSERT_TRUE(Xdo("mousemove 50 50 click 1"));  // takes the focus
  ASSERT_TRUE(Xdo("key space Up Down Left Right 0 7 a z shift+q F1 F11 Escape Return Tab F12"));
  Pump(150);
  EXPECT_EQ(Of(Received::kKey), (std::vector<int>{0, 1, 2, 3, 4, 5, 12, 15, 40, 31, 30, 40}));
}

TEST_F(CanvasX11Test, WheelNotchesAndDoubleClicks) {
  ASSERT_TRUE(Xdo("mousemove 50 50 click 4 click 4 click 5"));
  Pump(100);
  EXPECT_EQ(Of(Received::kWheel), (std::vector<int>{1, 1, -1}));
  EXPECT_TRUE(Of(Received::kDown).empty());  // wheel buttons are not presses

  ASSERT_TRUE(Xdo("click --repeat 2 --delay 80 1"));
  Pump(100);
  EXPECT_EQ(Of(Received::kDown).size(), 1u);
  EXPECT_EQ(Of(Received::kDouble).size(), 1u);
  EXPECT_EQ(Of(Received::kUp).size(), 2u);

  // Too slow for a double click, and too far apart.
  log.clear();
  ASSERT_TRUE(Xdo("click 1 sleep 0.6 click 1 mousemove 60 50 click 1"));
  Pump(100);
  EXPECT_EQ(Of(Received::kDown).size(), 3u);
  EXPECT_TRUE(Of(Received::kDouble).empty());
}

TEST_F(CanvasX11Test, ADragLeavingTheWindowKeepsComingUntilRelease) {
  ASSERT_TRUE(Xdo("mousemove 20 50 mousedown 1 mousemove 150 50 mousemove 500 300 mouseup 1"));
  ASSERT_TRUE(Xdo("mousemove 120 60"));
  Pump(100);
  EXPECT_EQ(Of(Received::kDrag), (std::vector<int>{150, 500}));
  EXPECT_EQ(Of(Received::kUp), (std::vector<int>{500}));
}

TEST_F(CanvasX11Test, OpenWindowCountFollowsOpensAndCloses) {
  EXPECT_EQ(ICanvasX11::OpenWindowCount(), 1);
  ICanvasX11 other(nullptr, 50, 50);
  ASSERT_NE(other.OpenWindow(reinterpret_cast<void*>(top)), nullptr);
  EXPECT_EQ(ICanvasX11::OpenWindowCount(), 2);
  other.CloseWindow();
  EXPECT_EQ(ICanvasX11::OpenWindowCount(), 1);
  EXPECT_TRUE(canvas->IsWindowOpen());
  canvas->CloseWindow();
  EXPECT_EQ(ICanvasX11::OpenWindowCount(), 0);
  EXPECT_EQ(ICanvasX11::TimerFramesPerSecond(), 24);
}

// Both ways of copying pixels show the same picture, also for rectangles
// taller than one band of plain requests and off the window's edge.
TEST_F(CanvasX11Test, SharedAndPlainCopiesShowTheSamePixels) {
  const int w = 700, h = 300;
  std::vector<std::uint32_t> pixels(static_cast<std::size_t>(w) * h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
      pixels[static_cast<std::size_t>(y) * w + x] =
          0x7F000000u | static_cast<std::uint32_t>((x * 7) & 0xFF) << 16 |
          static_cast<std::uint32_t>((y * 3) & 0xFF) << 8 |
          (static_cast<std::uint32_t>(x ^ y) & 0xFF);
  for (bool shared : {true, false}) {
    Window target = X11CreateRasterWindow(display, DefaultRootWindow(display), 0, 0, w, h, 0);
    XMapWindow(display, target);
    XSync(display, False);
    GC gc = XCreateGC(display, target, 0, nullptr);
    X11Image image;
    ASSERT_TRUE(image.Create(display, w, h, shared));
    EXPECT_EQ(image.UsesSharedMemory(), shared);
    image.Put(target, gc, pixels.data(), w, PixelRect(0, 0, w, h / 2));
    image.Put(target, gc, pixels.data(), w, PixelRect(0, h / 2, w + 50, h + 50));
    XSync(display, False);
    XImage* shown = XGetImage(display, target, 0, 0, w, h, AllPlanes, ZPixmap);
    ASSERT_NE(shown, nullptr);
    int differing = 0;
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x)
        differing += (XGetPixel(shown, x, y) & 0xFFFFFFu) !=
                     (pixels[static_cast<std::size_t>(y) * w + x] & 0xFFFFFFu);
    EXPECT_EQ(differing, 0) << (shared ? "shared" : "plain");
    XDestroyImage(shown);
    image.Destroy();
    XFreeGC(display, gc);
    XDestroyWindow(display, target);
  }
}

// A plug-in with one parameter (0 to 1) that records what its editor sends.
class DropRecorder : public IEffectForEditor {
 public:
  DropRecorder() { param.InitDouble("Amount", 0.5, 0, 1, 0.01, ""); }
  IEffectParam* Param(int index) override { return index == 0 ? &param : nullptr; }
  void SetParameterFromGUI(int, double normalized) override { set.push_back(normalized); }
  void BeginParamEdit(int) override {}
  void EndParamEdit(int) override {}
  void FileDropped(const char* path) override { dropped.push_back(path); }
  void SecondFileDropped(const char*) override {}
  void EditorSizeChanged() override {}
  IEffectParam param;
  std::vector<std::string> dropped;
  std::vector<double> set;
};

// A control of parameter 0 over the whole editor.
class ParamControl : public IWidget {
 public:
  explicit ParamControl(IEffectForEditor* plug) : IWidget(plug, PixelRect(0, 0, 100, 100), 0) {}
  bool Draw(ICanvas& canvas) override {
    return canvas.FillRect(ArgbColor::Unpacked(0xFF224466u), drawRect, BlendSpec());
  }
};

// Redraws while someone types (meters move during playback) must not undo
// the typing; only a change of the parameter shows in the field.
TEST_F(CanvasX11Test, AnEntryKeepsWhatIsTypedThroughRedrawsButShowsAParameterThatMoved) {
  DropRecorder plug;
  ICanvasX11 editor(&plug, 100, 100);
  editor.PrepareDraw();
  editor.AttachControl(std::make_unique<ParamControl>(&plug));
  ASSERT_NE(editor.OpenWindow(reinterpret_cast<void*>(top)), nullptr);
  const auto pumpRedrawing = [&editor](int milliseconds) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
    while (std::chrono::steady_clock::now() < end) {
      editor.SetAllControlsDirty();
      editor.Pump();
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
  };
  pumpRedrawing(100);
  ASSERT_TRUE(Xdo("mousemove 50 50 click 3"));
  pumpRedrawing(100);
  ASSERT_TRUE(Xdo("type 0.3"));
  pumpRedrawing(200);
  ASSERT_TRUE(Xdo("key Return"));
  pumpRedrawing(100);
  ASSERT_FALSE(plug.set.empty());
  EXPECT_DOUBLE_EQ(plug.set.back(), 0.3);

  plug.set.clear();
  ASSERT_TRUE(Xdo("mousemove 50 50 click 3"));
  pumpRedrawing(100);
  ASSERT_TRUE(Xdo("type 0.6"));
  pumpRedrawing(100);
  plug.param.SetValue(0.9);  // automation moves it
  pumpRedrawing(200);
  ASSERT_TRUE(Xdo("key Return"));
  pumpRedrawing(100);
  ASSERT_FALSE(plug.set.empty());
  EXPECT_DOUBLE_EQ(plug.set.back(), 0.9);
}

TEST_F(CanvasX11Test, DropsGoToThePlugInOnlyWhileTheFlagIsOn) {
  DropRecorder plug;
  ICanvasX11 editor(&plug, 100, 100);
  editor.PrepareDraw();
  ASSERT_NE(editor.OpenWindow(reinterpret_cast<void*>(top)), nullptr);
  XdndSource source;
  ASSERT_TRUE(source.Ready());
  source.SetUris({"file:///tmp/a%20b.wav"});
  const auto pump = [&editor] { editor.Pump(); };
  EXPECT_FALSE(source.Drag(editor.WindowId(), 20, 20, pump));
  EXPECT_TRUE(plug.dropped.empty());
  editor.SetAcceptFileDrops(true);
  EXPECT_TRUE(source.Drag(editor.WindowId(), 20, 20, pump));
  EXPECT_EQ(plug.dropped, std::vector<std::string>{"/tmp/a b.wav"});
}

// The host's audio thread may automate a parameter while the GUI thread
// draws: its value reaches the control at the next timer tick, on the GUI
// thread; the GUI thread's own calls, and any call while closed, go at once.
TEST_F(CanvasX11Test, ValuesFromOtherThreadsWaitForTheTimerTickWhileOpen) {
  DropRecorder plug;
  ICanvasX11 editor(&plug, 100, 100);
  editor.PrepareDraw();
  editor.AttachControl(std::make_unique<ParamControl>(&plug));
  IWidget* control = editor.Control(0);
  std::thread([&editor] { editor.SetParameterFromPlug(0, 0.2, true); }).join();
  EXPECT_DOUBLE_EQ(control->Value(), 0.2);

  ASSERT_NE(editor.OpenWindow(reinterpret_cast<void*>(top)), nullptr);
  std::thread([&editor] { editor.SetParameterFromPlug(0, 0.8, true); }).join();
  EXPECT_DOUBLE_EQ(control->Value(), 0.2);
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  editor.Pump();
  EXPECT_DOUBLE_EQ(control->Value(), 0.8);

  editor.SetParameterFromPlug(0, 0.4, true);
  EXPECT_DOUBLE_EQ(control->Value(), 0.4);
  std::thread([&editor] { editor.SetParameterFromPlug(0, 0.6, true); }).join();
  editor.CloseWindow();  // nothing waiting is lost
  EXPECT_DOUBLE_EQ(control->Value(), 0.6);
}

}  // namespace
