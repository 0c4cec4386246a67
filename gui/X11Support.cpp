#include "gui/X11Support.h"

#include <X11/Xutil.h>
#include <sys/ipc.h>
#include <sys/shm.h>

#include <algorithm>
#include <cstdlib>
#include <mutex>
#include <string_view>

namespace {

// The innermost guard; Xlib's handler is process-wide, so every editor's
// guards share it. Only GUI threads touch it, but two hosts' GUI threads may.
std::recursive_mutex trapLock;
X11ErrorTrap* innermost = nullptr;

}  // namespace

X11ErrorTrap::X11ErrorTrap(Display* d) : display(d) {
  trapLock.lock();
  outer = innermost;
  innermost = this;
  previous = XSetErrorHandler(&X11ErrorTrap::Handle);
}

X11ErrorTrap::~X11ErrorTrap() {
  // A round trip only when requests still await their answer.
  if (display != nullptr && NextRequest(display) - 1 > LastKnownRequestProcessed(display))
    XSync(display, False);
  XSetErrorHandler(previous);
  innermost = outer;
  trapLock.unlock();
}

bool X11ErrorTrap::Sync() {
  if (display != nullptr) XSync(display, False);
  return errors > 0;
}

int X11ErrorTrap::Handle(Display* d, XErrorEvent* event) {
  for (X11ErrorTrap* trap = innermost; trap != nullptr; trap = trap->outer) {
    if (trap->display == d) {
      ++trap->errors;
      return 0;
    }
  }
  // Not ours: the handler that was there before the outermost guard.
  X11ErrorTrap* outermost = innermost;
  while (outermost != nullptr && outermost->outer != nullptr) outermost = outermost->outer;
  XErrorHandler before = outermost != nullptr ? outermost->previous : nullptr;
  return before != nullptr ? before(d, event) : 0;
}

bool X11VisualTakesArgb(Display* display) {
  const int screen = DefaultScreen(display);
  Visual* visual = DefaultVisual(display, screen);
  const int depth = DefaultDepth(display, screen);
  return visual->c_class == TrueColor && (depth == 24 || depth == 32) &&
         visual->red_mask == 0xFF0000ul && visual->green_mask == 0x00FF00ul &&
         visual->blue_mask == 0x0000FFul;
}

Window X11CreateRasterWindow(Display* display, Window parent, int x, int y, int width, int height,
                             long eventMask, bool overrideRedirect) {
  const int screen = DefaultScreen(display);
  XSetWindowAttributes attributes{};
  attributes.background_pixmap = None;
  attributes.border_pixel = 0;
  attributes.colormap = DefaultColormap(display, screen);
  attributes.event_mask = eventMask;
  attributes.override_redirect = overrideRedirect ? True : False;
  attributes.bit_gravity = NorthWestGravity;
  return XCreateWindow(
      display, parent, x, y, static_cast<unsigned>(width), static_cast<unsigned>(height), 0,
      DefaultDepth(display, screen), InputOutput, DefaultVisual(display, screen),
      CWBackPixmap | CWBorderPixel | CWColormap | CWEventMask | CWOverrideRedirect | CWBitGravity,
      &attributes);
}

bool X11Image::Create(Display* d, int w, int h, bool allowShared) {
  Destroy();
  if (d == nullptr || w <= 0 || h <= 0 || !X11VisualTakesArgb(d)) return false;
  display = d;
  width = w;
  height = h;
  const int screen = DefaultScreen(display);
  Visual* visual = DefaultVisual(display, screen);
  const unsigned depth = static_cast<unsigned>(DefaultDepth(display, screen));
  // A remote server cannot see our memory; DISPLAY names a local one when it
  // starts with ':' or "unix:".
  const char* name = DisplayString(display);
  const bool local =
      name != nullptr && (name[0] == ':' || std::string_view(name).rfind("unix:", 0) == 0);
  if (allowShared && local && XShmQueryExtension(display)) {
    image = XShmCreateImage(display, visual, depth, ZPixmap, nullptr, &segment,
                            static_cast<unsigned>(w), static_cast<unsigned>(h));
    if (image != nullptr) {
      segment.shmid = shmget(IPC_PRIVATE, static_cast<std::size_t>(image->bytes_per_line) * h,
                             IPC_CREAT | 0600);
      if (segment.shmid >= 0) {
        segment.shmaddr = image->data = static_cast<char*>(shmat(segment.shmid, nullptr, 0));
        segment.readOnly = False;
        bool attached = false;
        if (segment.shmaddr != reinterpret_cast<char*>(-1)) {
          X11ErrorTrap trap(display);
          attached = XShmAttach(display, &segment) != 0 && !trap.Sync();
        }
        // Marked for removal now: it goes when the server and we detach.
        shmctl(segment.shmid, IPC_RMID, nullptr);
        if (attached) {
          shared = true;
          return true;
        }
        if (segment.shmaddr != reinterpret_cast<char*>(-1)) shmdt(segment.shmaddr);
      }
      image->data = nullptr;
      XDestroyImage(image);
      image = nullptr;
    }
  }
  // Plain requests: one image of the full width, filled and sent in bands.
  const int bandRows = std::max(1, std::min(h, 65536 / w));
  char* data = static_cast<char*>(std::malloc(static_cast<std::size_t>(w) * bandRows * 4));
  if (data == nullptr) return false;
  image = XCreateImage(display, visual, depth, ZPixmap, 0, data, static_cast<unsigned>(w),
                       static_cast<unsigned>(bandRows), 32, w * 4);
  if (image == nullptr) {
    std::free(data);
    return false;
  }
  return true;
}

void X11Image::Destroy() {
  if (image == nullptr) return;
  if (shared) {
    XShmDetach(display, &segment);
    XSync(display, False);
    shmdt(segment.shmaddr);
    image->data = nullptr;
  }
  XDestroyImage(image);  // frees plain data too
  image = nullptr;
  shared = false;
}

void X11Image::Copy(XImage* target, const std::uint32_t* pixels, int rowSpan, const PixelRect& rect,
                    int atX, int atY) {
  for (int y = rect.T; y < rect.B; ++y) {
    const std::uint32_t* from = pixels + static_cast<std::ptrdiff_t>(y) * rowSpan + rect.L;
    auto* to =
        reinterpret_cast<std::uint32_t*>(
            target->data + static_cast<std::ptrdiff_t>(atY + y - rect.T) * target->bytes_per_line) +
        atX;
    for (int x = 0; x < rect.W(); ++x) to[x] = from[x] | 0xFF000000u;
  }
}

void X11Image::Put(Drawable target, GC gc, const std::uint32_t* pixels, int rowSpan,
                   const PixelRect& rect) {
  if (image == nullptr) return;
  const PixelRect area = rect.Intersect(PixelRect(0, 0, width, height));
  if (area.Empty()) return;
  if (shared) {
    Copy(image, pixels, rowSpan, area, area.L, area.T);
    XShmPutImage(display, target, gc, image, area.L, area.T, area.L, area.T,
                 static_cast<unsigned>(area.W()), static_cast<unsigned>(area.H()), False);
    // The next copy into the segment must not race the server reading it.
    XSync(display, False);
    return;
  }
  const int bandRows = image->height;
  for (int top = area.T; top < area.B; top += bandRows) {
    const PixelRect band(area.L, top, area.R, std::min(area.B, top + bandRows));
    Copy(image, pixels, rowSpan, band, 0, 0);
    XPutImage(display, target, gc, image, 0, 0, band.L, band.T, static_cast<unsigned>(band.W()),
              static_cast<unsigned>(band.H()));
  }
  XFlush(display);
}
