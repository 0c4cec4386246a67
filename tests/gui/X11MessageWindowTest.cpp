// The message window on a private X server without a window manager: the
// hints a window manager would read, where it opens, what it shows, and each
// way of closing it, driven by real input through xdotool where it matters.
// Google Test first: X11 defines None and Bool as macros.
// clang-format off
#include <gtest/gtest.h>
// clang-format on

#include <X11/Xatom.h>
#include <X11/Xutil.h>
#include <poll.h>

#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <functional>
#include <memory>
#include <string>

#include "gui/X11MessageWindow.h"
#include "gui/X11Support.h"
#include "tests/support/X11DisplayTest.h"

namespace {

constexpr char kText[] = "Dropping multiple files is not supported.";

class X11MessageWindowTest : public X11DisplayTest {
 protected:
  void TearDown() override {
    message.Close();
    X11DisplayTest::TearDown();
  }

  // Routes events to the window, as the editor's pump does, until done().
  bool PumpUntil(const std::function<bool()>& done, int timeoutMs = 2000) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (!done()) {
      if (std::chrono::steady_clock::now() > deadline) return false;
      while (XPending(display) > 0) {
        XEvent event;
        XNextEvent(display, &event);
        const bool ours = message.HandleEvent(event);
        if (ours && event.type == Expose) ++exposures;
        if (!ours) ++foreignEvents;
      }
      pollfd wait{ConnectionNumber(display), POLLIN, 0};
      if (!done()) poll(&wait, 1, 5);
    }
    return true;
  }
  bool OpenAndShow(Window owner = None) {
    exposures = 0;
    if (!message.Open(display, owner, kText)) return false;
    return PumpUntil([this] { return exposures > 0; });
  }
  // The window's place on the root (no window manager moves it).
  PixelRect Placement() {
    Window root = None, child = None;
    int x = 0, y = 0;
    unsigned width = 0, height = 0, border = 0, depth = 0;
    XGetGeometry(display, message.Id(), &root, &x, &y, &width, &height, &border, &depth);
    XTranslateCoordinates(display, message.Id(), root, 0, 0, &x, &y, &child);
    return PixelRect(x, y, x + static_cast<int>(width), y + static_cast<int>(height));
  }
  std::string ButtonCentre() {
    const PixelRect at = Placement(), button = message.ButtonRect();
    return std::to_string(at.L + (button.L + button.R) / 2) + " " +
           std::to_string(at.T + (button.T + button.B) / 2);
  }
  bool WindowExists(Window window) {
    X11ErrorTrap trap(display);
    XWindowAttributes attributes;
    return XGetWindowAttributes(display, window, &attributes) != 0 && !trap.Sync();
  }

  X11MessageWindow message;
  int exposures = 0;
  int foreignEvents = 0;
};

TEST_F(X11MessageWindowTest, TellsTheWindowManagerWhatItIs) {
  // The owner given is a child, as the editor is inside the host's window.
  const Window root = DefaultRootWindow(display);
  const Window host = X11CreateRasterWindow(display, root, 0, 0, 400, 300, 0);
  const Window editor = X11CreateRasterWindow(display, host, 10, 10, 100, 100, 0);
  ASSERT_TRUE(message.Open(display, editor, kText));
  const Window id = message.Id();

  char* name = nullptr;
  ASSERT_NE(XFetchName(display, id, &name), 0);
  EXPECT_STREQ(name, "Dilatorix");
  XFree(name);

  Window owner = None;
  ASSERT_NE(XGetTransientForHint(display, id, &owner), 0);
  EXPECT_EQ(owner, host);

  XSizeHints hints{};
  long supplied = 0;
  ASSERT_NE(XGetWMNormalHints(display, id, &hints, &supplied), 0);
  const PixelRect at = Placement();
  EXPECT_TRUE((hints.flags & (PMinSize | PMaxSize)) == (PMinSize | PMaxSize));
  EXPECT_EQ(hints.min_width, at.W());
  EXPECT_EQ(hints.max_width, at.W());
  EXPECT_EQ(hints.min_height, at.H());
  EXPECT_EQ(hints.max_height, at.H());

  Atom* protocols = nullptr;
  int count = 0;
  ASSERT_NE(XGetWMProtocols(display, id, &protocols, &count), 0);
  ASSERT_EQ(count, 1);
  EXPECT_EQ(protocols[0], XInternAtom(display, "WM_DELETE_WINDOW", False));
  XFree(protocols);

  // Centred on the 1280 x 1024 screen, wide enough for the text.
  EXPECT_NEAR(at.L + at.W() / 2, 640, 1);
  EXPECT_NEAR(at.T + at.H() / 2, 512, 1);
  EXPECT_GT(at.W(), 250);
  EXPECT_LT(at.W(), 640);

  // Without an owner there is no transient hint.
  ASSERT_TRUE(message.Open(display, None, kText));
  EXPECT_FALSE(WindowExists(id));
  EXPECT_EQ(XGetTransientForHint(display, message.Id(), &owner), 0);
}

TEST_F(X11MessageWindowTest, OpensCentredOnAPointInsideTheScreen) {
  ASSERT_TRUE(message.Open(display, None, kText, 700, 300));
  PixelRect at = Placement();
  EXPECT_NEAR(at.L + at.W() / 2, 700, 1);
  EXPECT_NEAR(at.T + at.H() / 2, 300, 1);

  ASSERT_TRUE(message.Open(display, None, kText, 5, 5));
  at = Placement();
  EXPECT_EQ(at.L, 0);
  EXPECT_EQ(at.T, 0);

  ASSERT_TRUE(message.Open(display, None, kText, 5000, 5000));
  at = Placement();
  EXPECT_EQ(at.R, 1280);
  EXPECT_EQ(at.B, 1024);
}

TEST_F(X11MessageWindowTest, ShowsTheTextAndTheButton) {
  ASSERT_TRUE(OpenAndShow());
  const PixelRect at = Placement(), button = message.ButtonRect();
  XImage* image = XGetImage(display, message.Id(), 0, 0, static_cast<unsigned>(at.W()),
                            static_cast<unsigned>(at.H()), AllPlanes, ZPixmap);
  ASSERT_NE(image, nullptr);
  const auto dark = [image](int x, int y) { return (XGetPixel(image, x, y) & 0xFF) < 100; };
  // Text ink in the upper part, spread across most of the line.
  int left = at.W(), right = 0;
  for (int y = 0; y < button.T; ++y)
    for (int x = 0; x < at.W(); ++x)
      if (dark(x, y)) left = std::min(left, x), right = std::max(right, x);
  EXPECT_LT(left, at.W() / 4);
  EXPECT_GT(right, at.W() * 3 / 4);
  // A framed button with a label inside and clear ground around it.
  const unsigned long corner = XGetPixel(image, 2, at.H() - 2);
  EXPECT_NE(XGetPixel(image, button.L, (button.T + button.B) / 2), corner);
  EXPECT_EQ(XGetPixel(image, button.L - 2, (button.T + button.B) / 2), corner);
  int label = 0;
  for (int y = button.T + 2; y < button.B - 2; ++y)
    for (int x = button.L + 2; x < button.R - 2; ++x) label += dark(x, y) ? 1 : 0;
  EXPECT_GT(label, 10);
  XDestroyImage(image);
}

TEST_F(X11MessageWindowTest, ClickOnOkCloses) {
  ASSERT_TRUE(OpenAndShow());
  const Window id = message.Id();
  // Pressed on OK but let go elsewhere: nothing happens.
  ASSERT_TRUE(Xdo("mousemove " + ButtonCentre() + " mousedown 1 mousemove 10 10 mouseup 1"));
  EXPECT_FALSE(PumpUntil([this] { return !message.IsOpen(); }, 200));
  // A press outside that ends on OK is no click either.
  const PixelRect at = Placement();
  ASSERT_TRUE(Xdo("mousemove " + std::to_string(at.L + 5) + " " + std::to_string(at.T + 5) +
                  " mousedown 1 mousemove " + ButtonCentre() + " mouseup 1"));
  EXPECT_FALSE(PumpUntil([this] { return !message.IsOpen(); }, 200));

  ASSERT_TRUE(Xdo("mousemove " + ButtonCentre() + " click 1"));
  EXPECT_TRUE(PumpUntil([this] { return !message.IsOpen(); }));
  EXPECT_FALSE(WindowExists(id));
}

TEST_F(X11MessageWindowTest, KeysAndTheCloseBoxClose) {
  for (const char* key : {"Return", "Escape", "KP_Enter"}) {
    ASSERT_TRUE(OpenAndShow());
    // Other keys leave it open.
    XSetInputFocus(display, message.Id(), RevertToParent, CurrentTime);
    XSync(display, False);
    ASSERT_TRUE(Xdo("key a"));
    EXPECT_FALSE(PumpUntil([this] { return !message.IsOpen(); }, 100));
    ASSERT_TRUE(Xdo(std::string("key ") + key));
    EXPECT_TRUE(PumpUntil([this] { return !message.IsOpen(); })) << key;
  }

  ASSERT_TRUE(OpenAndShow());
  XEvent close{};
  close.xclient.type = ClientMessage;
  close.xclient.window = message.Id();
  close.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
  close.xclient.format = 32;
  close.xclient.data.l[0] = static_cast<long>(XInternAtom(display, "WM_DELETE_WINDOW", False));
  close.xclient.data.l[1] = CurrentTime;
  XSendEvent(display, message.Id(), False, NoEventMask, &close);
  EXPECT_TRUE(PumpUntil([this] { return !message.IsOpen(); }));
}

TEST_F(X11MessageWindowTest, LeavesOtherWindowsEventsAndClosesWithItsOwner) {
  const Window other =
      X11CreateRasterWindow(display, DefaultRootWindow(display), 0, 0, 50, 50, ExposureMask);
  XMapWindow(display, other);
  ASSERT_TRUE(PumpUntil([this] { return foreignEvents > 0; }));
  ASSERT_TRUE(OpenAndShow());
  const Window id = message.Id();
  auto second = std::make_unique<X11MessageWindow>();
  ASSERT_TRUE(second->Open(display, None, "Another"));
  const Window secondId = second->Id();
  EXPECT_TRUE(WindowExists(secondId));
  // Events for the second window are not the first one's.
  XEvent event{};
  event.xany.type = Expose;
  event.xany.display = display;
  event.xany.window = secondId;
  EXPECT_FALSE(message.HandleEvent(event));
  EXPECT_TRUE(second->HandleEvent(event));
  // Destroying the object closes its window.
  second.reset();
  EXPECT_FALSE(WindowExists(secondId));

  message.Close();
  message.Close();
  EXPECT_FALSE(message.IsOpen());
  EXPECT_FALSE(WindowExists(id));
}

}  // namespace
