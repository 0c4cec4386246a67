#include "host/X11EditorHost.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <chrono>
#include <thread>

X11EditorHost::~X11EditorHost() { Close(); }

bool X11EditorHost::ShowTop(const std::string& title, std::string* error) {
  display = XOpenDisplay(nullptr);
  if (display == nullptr) {
    *error = "cannot open the X display";
    return false;
  }
  const int screen = DefaultScreen(display);
  top = XCreateSimpleWindow(display, RootWindow(display, screen), 0, 0,
                            static_cast<unsigned>(width), static_cast<unsigned>(height), 0,
                            BlackPixel(display, screen), BlackPixel(display, screen));
  XStoreName(display, top, title.c_str());
  XSizeHints hints{};
  hints.flags = PMinSize | PMaxSize;
  hints.min_width = hints.max_width = width;
  hints.min_height = hints.max_height = height;
  XSetWMNormalHints(display, top, &hints);
  Atom deleteWindow = XInternAtom(display, "WM_DELETE_WINDOW", False);
  deleteAtom = deleteWindow;
  XSetWMProtocols(display, top, &deleteWindow, 1);
  XSelectInput(display, top, StructureNotifyMask);
  XMapWindow(display, top);
  for (XEvent event;;) {
    XNextEvent(display, &event);
    if (event.type == MapNotify && event.xmap.window == top) break;
  }
  return true;
}

void* X11EditorHost::ParentHandle() const {
  return reinterpret_cast<void*>(static_cast<std::uintptr_t>(top));
}

void X11EditorHost::DestroyTop() {
  if (display == nullptr) return;
  if (top != 0) XDestroyWindow(display, top);
  XCloseDisplay(display);
  display = nullptr;
  top = 0;
}

void X11EditorHost::DestroyWindowFirst() {
  if (display == nullptr || top == 0) return;
  XDestroyWindow(display, top);
  XSync(display, False);
  top = 0;
}

void X11EditorHost::HandleEvents() {
  while (display != nullptr && XPending(display) > 0) {
    XEvent event;
    XNextEvent(display, &event);
    if (event.type == ClientMessage &&
        static_cast<unsigned long>(event.xclient.data.l[0]) == deleteAtom)
      closedByUser = true;
  }
}

void X11EditorHost::WaitForEvents(int milliseconds) {
  std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

unsigned long X11EditorHost::EditorWindow() const {
  if (display == nullptr || top == 0) return 0;
  Window root = 0, parent = 0, *children = nullptr;
  unsigned int count = 0;
  if (XQueryTree(display, top, &root, &parent, &children, &count) == 0) return 0;
  const Window editor = count > 0 ? children[0] : 0;
  if (children != nullptr) XFree(children);
  return editor;
}

std::vector<std::uint32_t> X11EditorHost::Screenshot() const {
  const Window editor = EditorWindow();
  if (editor == 0) return {};
  XImage* image = XGetImage(display, editor, 0, 0, static_cast<unsigned>(width),
                            static_cast<unsigned>(height), AllPlanes, ZPixmap);
  if (image == nullptr) return {};
  std::vector<std::uint32_t> pixels(static_cast<std::size_t>(width) * height);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x)
      pixels[static_cast<std::size_t>(y) * width + x] =
          static_cast<std::uint32_t>(XGetPixel(image, x, y)) | 0xFF000000u;
  XDestroyImage(image);
  return pixels;
}
