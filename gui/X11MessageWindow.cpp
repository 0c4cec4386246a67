#include "gui/X11MessageWindow.h"

#include <X11/Xatom.h>
#include <X11/Xutil.h>
#include <X11/keysym.h>

#include <algorithm>
#include <cstring>

namespace {

constexpr int kMinWidth = 300, kHeight = 110, kMargin = 24;
constexpr int kButtonWidth = 80, kButtonHeight = 28, kButtonBottom = 16;
constexpr std::uint32_t kBackground = 0xFFECECECu, kFace = 0xFFDCDCDCu, kPressedFace = 0xFFBEBEBEu,
                        kFrame = 0xFF808080u;
constexpr char kTitle[] = "Dilatorix";

TextStyle MessageStyle() {
  TextStyle style;
  style.size = 14;
  style.align = TextStyle::kCentre;
  return style;
}

void Fill(std::vector<std::uint32_t>& pixels, int span, const PixelRect& rect,
          std::uint32_t colour) {
  for (int y = rect.T; y < rect.B; ++y)
    std::fill_n(pixels.begin() + static_cast<std::ptrdiff_t>(y) * span + rect.L, rect.W(), colour);
}

// Window managers expect transient-for to name a client top-level: the
// ancestor carrying WM_STATE, or failing that the last one below the root.
Window TopLevelOf(Display* display, Window window) {
  const Atom wmState = XInternAtom(display, "WM_STATE", False);
  X11ErrorTrap trap(display);
  Window below = None;
  while (window != None) {
    Atom type = None;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    if (XGetWindowProperty(display, window, wmState, 0, 0, False, AnyPropertyType, &type, &format,
                           &count, &after, &data) != Success)
      return None;
    if (data != nullptr) XFree(data);
    if (type != None) return window;
    Window root = None, parent = None, *children = nullptr;
    unsigned int childCount = 0;
    if (XQueryTree(display, window, &root, &parent, &children, &childCount) == 0) return None;
    if (children != nullptr) XFree(children);
    below = window;
    if (parent == root) break;
    window = parent;
  }
  return trap.Sync() ? None : below;
}

}  // namespace

bool X11MessageWindow::Open(Display* d, Window transientFor, const std::string& words) {
  if (d == nullptr) return false;
  const int screen = DefaultScreen(d);
  return Open(d, transientFor, words, DisplayWidth(d, screen) / 2, DisplayHeight(d, screen) / 2);
}

bool X11MessageWindow::Open(Display* d, Window transientFor, const std::string& words, int centreX,
                            int centreY) {
  Close();
  if (d == nullptr) return false;
  display = d;
  message = words;
  const int screen = DefaultScreen(display);
  const int screenWidth = DisplayWidth(display, screen),
            screenHeight = DisplayHeight(display, screen);
  width =
      std::min(screenWidth,
               std::max(kMinWidth, text.MeasureWidth(MessageStyle(), words.c_str()) + 2 * kMargin));
  height = kHeight;
  const int x = std::clamp(centreX - width / 2, 0, std::max(0, screenWidth - width));
  const int y = std::clamp(centreY - height / 2, 0, std::max(0, screenHeight - height));

  {
    X11ErrorTrap trap(display);
    window = X11CreateRasterWindow(display, RootWindow(display, screen), x, y, width, height,
                                   ExposureMask | ButtonPressMask | ButtonReleaseMask |
                                       ButtonMotionMask | KeyPressMask | StructureNotifyMask);
    if (trap.Sync()) window = None;
  }
  if (window == None || !image.Create(display, width, height)) {
    Close();
    return false;
  }
  gc = XCreateGC(display, window, 0, nullptr);

  XStoreName(display, window, kTitle);
  const Atom utf8 = XInternAtom(display, "UTF8_STRING", False);
  XChangeProperty(display, window, XInternAtom(display, "_NET_WM_NAME", False), utf8, 8,
                  PropModeReplace, reinterpret_cast<const unsigned char*>(kTitle),
                  static_cast<int>(std::strlen(kTitle)));
  const Atom dialog = XInternAtom(display, "_NET_WM_WINDOW_TYPE_DIALOG", False);
  XChangeProperty(display, window, XInternAtom(display, "_NET_WM_WINDOW_TYPE", False), XA_ATOM, 32,
                  PropModeReplace, reinterpret_cast<const unsigned char*>(&dialog), 1);
  XClassHint classHint{const_cast<char*>("dilatorix"), const_cast<char*>(kTitle)};
  XSetClassHint(display, window, &classHint);

  protocols = XInternAtom(display, "WM_PROTOCOLS", False);
  deleteWindow = XInternAtom(display, "WM_DELETE_WINDOW", False);
  XSetWMProtocols(display, window, &deleteWindow, 1);

  XSizeHints size{};
  size.flags = PPosition | PSize | PMinSize | PMaxSize;
  size.x = x;
  size.y = y;
  size.width = size.min_width = size.max_width = width;
  size.height = size.min_height = size.max_height = height;
  XSetWMNormalHints(display, window, &size);
  XWMHints hints{};
  hints.flags = InputHint | StateHint;
  hints.input = True;
  hints.initial_state = NormalState;
  XSetWMHints(display, window, &hints);

  const Window owner = transientFor != None ? TopLevelOf(display, transientFor) : None;
  if (owner != None) XSetTransientForHint(display, window, owner);

  pixels.assign(static_cast<std::size_t>(width) * height, kBackground);
  tracking = pressedLook = false;
  Paint();
  XMapRaised(display, window);
  XFlush(display);
  return true;
}

void X11MessageWindow::Close() {
  image.Destroy();
  if (window == None) return;
  if (gc != nullptr) XFreeGC(display, gc);
  gc = nullptr;
  {
    X11ErrorTrap trap(display);
    XDestroyWindow(display, window);
  }
  window = None;
}

PixelRect X11MessageWindow::ButtonRect() const {
  const int left = (width - kButtonWidth) / 2, top = height - kButtonBottom - kButtonHeight;
  return PixelRect(left, top, left + kButtonWidth, top + kButtonHeight);
}

void X11MessageWindow::Paint() {
  Fill(pixels, width, PixelRect(0, 0, width, height), kBackground);
  const TextStyle style = MessageStyle();
  text.Draw(pixels.data(), width, height, width, style, message.c_str(),
            PixelRect(kMargin / 2, kMargin, width - kMargin / 2, kMargin + style.size + 4));
  const PixelRect button = ButtonRect();
  Fill(pixels, width, button, kFrame);
  Fill(pixels, width, PixelRect(button.L + 1, button.T + 1, button.R - 1, button.B - 1),
       pressedLook ? kPressedFace : kFace);
  // The label sits a pixel lower while pressed, as if pushed in.
  const int shift = pressedLook ? 1 : 0;
  const int labelTop = button.T + (button.H() - style.size) / 2 - 2 + shift;
  text.Draw(pixels.data(), width, height, width, style, "OK",
            PixelRect(button.L + shift, labelTop, button.R + shift, labelTop + style.size + 4));
}

void X11MessageWindow::Show(const PixelRect& area) {
  image.Put(window, gc, pixels.data(), width, area);
}

void X11MessageWindow::SetPressed(bool pressed) {
  if (pressed == pressedLook) return;
  pressedLook = pressed;
  Paint();
  Show(ButtonRect());
}

bool X11MessageWindow::HandleEvent(const XEvent& event) {
  if (window == None || event.xany.display != display || event.xany.window != window) return false;
  switch (event.type) {
    case Expose: {
      const XExposeEvent& e = event.xexpose;
      Show(PixelRect(e.x, e.y, e.x + e.width, e.y + e.height));
      break;
    }
    case ButtonPress:
      if (event.xbutton.button == Button1 &&
          ButtonRect().Contains(event.xbutton.x, event.xbutton.y)) {
        tracking = true;
        SetPressed(true);
      }
      break;
    case MotionNotify:
      if (tracking) SetPressed(ButtonRect().Contains(event.xmotion.x, event.xmotion.y));
      break;
    case ButtonRelease:
      if (event.xbutton.button != Button1 || !tracking) break;
      tracking = false;
      if (ButtonRect().Contains(event.xbutton.x, event.xbutton.y)) {
        Close();
        return true;
      }
      SetPressed(false);
      break;
    case KeyPress: {
      XKeyEvent key = event.xkey;
      const KeySym sym = XLookupKeysym(&key, 0);
      if (sym == XK_Return || sym == XK_KP_Enter || sym == XK_Escape) Close();
      break;
    }
    case ClientMessage:
      if (event.xclient.message_type == protocols && event.xclient.format == 32 &&
          static_cast<Atom>(event.xclient.data.l[0]) == deleteWindow)
        Close();
      break;
    case DestroyNotify:
      // Destroyed behind our back: only let go of what is left.
      if (event.xdestroywindow.window == window) {
        image.Destroy();
        if (gc != nullptr) XFreeGC(display, gc);
        gc = nullptr;
        window = None;
      }
      break;
    default:
      break;
  }
  return true;
}
