// What the prompt tests under Xvfb share: a mapped top-level window standing
// in for the editor on the suite's private server, an event pump with a
// deadline, and reading pixels back.
#pragma once

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <gtest/gtest.h>
#include <poll.h>

#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <functional>
#include <memory>
#include <string>

#include "tests/support/X11DisplayTest.h"

namespace prompt_test {

class XDisplayTest : public X11DisplayTest {
 protected:
  void SetUp() override {
    X11DisplayTest::SetUp();
    if (HasFatalFailure()) return;
    editor =
        XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, 720, 650, 0, 0, 0x202020);
    XSelectInput(display, editor, KeyPressMask | StructureNotifyMask);
    XMapWindow(display, editor);
    ASSERT_TRUE(PumpUntil([](const XEvent&) {}, [this] { return mapped; }));
  }

  // Hands every event to handle until done() holds; false after the deadline.
  bool PumpUntil(const std::function<void(const XEvent&)>& handle,
                 const std::function<bool()>& done, int milliseconds = 3000) {
    const auto deadline =
        std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
    for (;;) {
      while (XPending(display) > 0) {
        XEvent event;
        XNextEvent(display, &event);
        if (event.type == MapNotify && event.xmap.window == editor) mapped = true;
        handle(event);
        if (done()) return true;
      }
      if (done()) return true;
      if (std::chrono::steady_clock::now() > deadline) return false;
      pollfd wait{ConnectionNumber(display), POLLIN, 0};
      poll(&wait, 1, 10);
    }
  }

  // Lets pending events arrive and go through handle for a short while.
  void Drain(const std::function<void(const XEvent&)>& handle, int milliseconds = 150) {
    PumpUntil(
        handle, [] { return false; }, milliseconds);
  }

  std::uint32_t PixelAt(Window window, int x, int y) {
    XImage* image = XGetImage(display, window, x, y, 1, 1, AllPlanes, ZPixmap);
    if (image == nullptr) return 0;
    const auto pixel = static_cast<std::uint32_t>(XGetPixel(image, 0, 0)) & 0xFFFFFFu;
    XDestroyImage(image);
    return pixel;
  }

  // The window's top-left corner on the root window.
  void RootPosition(Window window, int* x, int* y) {
    Window child;
    XTranslateCoordinates(display, window, DefaultRootWindow(display), 0, 0, x, y, &child);
  }

  Window editor = None;
  bool mapped = false;
};

}  // namespace prompt_test
