// Small pieces every X11 window of the editor shares: a guard that keeps X
// protocol errors on our own display connection away from the host's error
// handler, the creation of a window drawn from 0xAARRGGBB pixels, and the image
// that copies such pixels to it. Each editor opens its own display connection
// and uses all of this on the GUI thread that called effEditOpen.
#pragma once

#include <X11/Xlib.h>
#include <X11/extensions/XShm.h>

#include <cstdint>

#include "raster/PixelTypes.h"

// While alive, X errors raised on `display` are counted instead of reaching
// the process's handler (a host's handler may end the process on an error it
// does not know); errors on any other connection go to the handler that was
// installed before. Errors of requests made under the guard are counted
// before it ends (it waits for the server when answers are outstanding).
// Guards nest.
class X11ErrorTrap {
 public:
  explicit X11ErrorTrap(Display* display);
  ~X11ErrorTrap();
  X11ErrorTrap(const X11ErrorTrap&) = delete;
  X11ErrorTrap& operator=(const X11ErrorTrap&) = delete;

  // Flushes, waits for the server, and tells whether any error was trapped.
  bool Sync();
  int Errors() const { return errors; }

 private:
  static int Handle(Display* display, XErrorEvent* event);

  Display* display;
  XErrorHandler previous;
  X11ErrorTrap* outer;
  int errors = 0;
};

// Whether the screen's default visual takes our pixels as they are: TrueColor
// with 8-bit red, green and blue at bits 16, 8 and 0.
bool X11VisualTakesArgb(Display* display);

// A window with the screen's default visual, no background (we paint every
// pixel), no border, at (x, y) inside parent; None on failure. Override
// redirect asks window managers to leave it alone (popups).
Window X11CreateRasterWindow(Display* display, Window parent, int x, int y, int width, int height,
                             long eventMask, bool overrideRedirect = false);

// Copies rectangles of 0xAARRGGBB pixels to a window: through a shared-memory
// image when the server is local and offers it, otherwise through plain
// XPutImage requests of at most a few hundred kilobytes. Owns its image (and
// shared segment); Destroy before closing the display.
class X11Image {
 public:
  X11Image() = default;
  ~X11Image() { Destroy(); }
  X11Image(const X11Image&) = delete;
  X11Image& operator=(const X11Image&) = delete;

  // For pixels of up to width × height; false when the visual does not take
  // our pixels or memory runs out. allowShared false keeps to plain requests.
  bool Create(Display* display, int width, int height, bool allowShared = true);
  void Destroy();
  // Copies rect (clipped to the image's size) from pixels, row span in pixels,
  // to the same place in the drawable. The alpha byte is ignored.
  void Put(Drawable target, GC gc, const std::uint32_t* pixels, int rowSpan, const PixelRect& rect);
  bool UsesSharedMemory() const { return shared; }

 private:
  void Copy(XImage* image, const std::uint32_t* pixels, int rowSpan, const PixelRect& rect, int atX,
            int atY);

  Display* display = nullptr;
  XImage* image = nullptr;
  XShmSegmentInfo segment{};
  bool shared = false;
  int width = 0, height = 0;
};
