#include "gui/X11PopupMenu.h"

#include <X11/Xatom.h>
#include <X11/Xutil.h>
#include <X11/keysym.h>
#include <time.h>

#include <algorithm>
#include <cstdlib>

namespace {

constexpr std::uint32_t kBackground = 0xFFF2F2F2u;
constexpr std::uint32_t kFrame = 0xFF808080u;
constexpr std::uint32_t kRule = 0xFFC8C8C8u;
constexpr std::uint32_t kHighlight = 0xFF3875D7u;
const ArgbColor kGrayText{255, 150, 150, 150};

constexpr long kEventMask = ExposureMask | ButtonPressMask | ButtonReleaseMask | PointerMotionMask |
                            KeyPressMask | StructureNotifyMask;
constexpr unsigned kGrabMask = ButtonPressMask | ButtonReleaseMask | PointerMotionMask;
constexpr int kDragDistance = 4;  // pixels the pointer moves before a release may choose

// Another client (the host, right after its own click) may hold the pointer
// for a moment; the grab is tried for up to about 100 ms.
bool GrabPointer(Display* display, Window window) {
  for (int attempt = 0; attempt < 20; ++attempt) {
    X11ErrorTrap trap(display);
    const int result = XGrabPointer(display, window, False, kGrabMask, GrabModeAsync, GrabModeAsync,
                                    None, None, CurrentTime);
    if (result == GrabSuccess) return true;
    if (result != AlreadyGrabbed && result != GrabFrozen) return false;
    const timespec pause{0, 5 * 1000 * 1000};
    nanosleep(&pause, nullptr);
  }
  return false;
}

}  // namespace

bool X11PopupMenu::Open(Display* d, Window owner, const IMenuModel& menu, int rootX, int rootY) {
  Close();
  finished = true;  // until the menu is up: a failed open ends with nothing chosen
  if (d == nullptr || menu.ItemCount() == 0) return false;
  display = d;
  const TextStyle style;
  layout.Build(
      menu, [this, &style](const std::string& s) { return text.MeasureWidth(style, s.c_str()); });

  {
    X11ErrorTrap trap(display);
    // The owner's screen; the default one when the owner is gone.
    Window root = DefaultRootWindow(display);
    PixelRect screen(0, 0, DisplayWidth(display, DefaultScreen(display)),
                     DisplayHeight(display, DefaultScreen(display)));
    XWindowAttributes attributes{};
    bool ownerThere = false;
    if (owner != None) {
      X11ErrorTrap ownerTrap(display);
      ownerThere = XGetWindowAttributes(display, owner, &attributes) != 0 && !ownerTrap.Sync();
    }
    if (ownerThere && attributes.screen != nullptr) {
      root = attributes.root;
      screen = PixelRect(0, 0, WidthOfScreen(attributes.screen), HeightOfScreen(attributes.screen));
    }
    placement = PopupMenuLayout::Place(layout.Width(), layout.Height(), rootX, rootY, screen);
    window = X11CreateRasterWindow(display, root, placement.L, placement.T, placement.W(),
                                   placement.H(), kEventMask, true);
    if (window != None) gc = XCreateGC(display, window, 0, nullptr);
    if (trap.Sync() || window == None || gc == nullptr ||
        !image.Create(display, placement.W(), placement.H())) {
      TakeDown();
      return false;
    }
    // Compositors give popup menus their usual look by this type.
    const Atom type = XInternAtom(display, "_NET_WM_WINDOW_TYPE", False);
    Atom popup = XInternAtom(display, "_NET_WM_WINDOW_TYPE_POPUP_MENU", False);
    XChangeProperty(display, window, type, XA_ATOM, 32, PropModeReplace,
                    reinterpret_cast<unsigned char*>(&popup), 1);
    pixels.assign(static_cast<std::size_t>(placement.W()) * static_cast<std::size_t>(placement.H()),
                  kBackground);
    Paint();
    XMapRaised(display, window);
  }
  pointerGrabbed = GrabPointer(display, window);
  if (!pointerGrabbed) {
    TakeDown();
    return false;
  }
  {
    // Without the keyboard the menu still works with the pointer.
    X11ErrorTrap trap(display);
    keyboardGrabbed = XGrabKeyboard(display, window, False, GrabModeAsync, GrabModeAsync,
                                    CurrentTime) == GrabSuccess;
  }
  Present();
  openX = rootX;
  openY = rootY;
  finished = false;
  return true;
}

void X11PopupMenu::Close() {
  TakeDown();
  finished = false;
  chosen = -1;
}

void X11PopupMenu::TakeDown() {
  if (display != nullptr && (window != None || gc != nullptr)) {
    X11ErrorTrap trap(display);
    if (pointerGrabbed) XUngrabPointer(display, CurrentTime);
    if (keyboardGrabbed) XUngrabKeyboard(display, CurrentTime);
    if (window != None) XDestroyWindow(display, window);
    if (gc != nullptr) XFreeGC(display, gc);
  }
  pointerGrabbed = keyboardGrabbed = false;
  window = None;
  gc = nullptr;
  image.Destroy();
  pixels.clear();
  highlighted = -1;
  pressedInside = cancelOnRelease = draggedAway = false;
}

void X11PopupMenu::Finish(int item) {
  chosen = item;
  finished = true;
  TakeDown();
}

bool X11PopupMenu::HandleEvent(const XEvent& event) {
  if (window == None || event.xany.window != window) return false;
  switch (event.type) {
    case Expose:
      if (event.xexpose.count == 0) Present();
      break;
    case MotionNotify: {
      const XMotionEvent& motion = event.xmotion;
      if (motion.state & (Button1Mask | Button2Mask | Button3Mask) &&
          std::abs(motion.x_root - openX) + std::abs(motion.y_root - openY) > kDragDistance)
        draggedAway = true;
      Highlight(layout.ChoosableAtPoint(motion.x, motion.y));
      break;
    }
    case ButtonPress: {
      const XButtonEvent& button = event.xbutton;
      if (button.button < Button1 || button.button > Button3) break;  // wheels
      const bool inside =
          button.x >= 0 && button.y >= 0 && button.x < placement.W() && button.y < placement.H();
      if (inside)
        pressedInside = true;
      else
        cancelOnRelease = true;  // the release comes to us too and ends the menu
      Highlight(layout.ChoosableAtPoint(button.x, button.y));
      break;
    }
    case ButtonRelease: {
      const XButtonEvent& button = event.xbutton;
      if (button.button < Button1 || button.button > Button3) break;
      if (cancelOnRelease) {
        Finish(-1);
        break;
      }
      if (pressedInside || draggedAway) {
        const int item = layout.ChoosableAtPoint(button.x, button.y);
        if (item >= 0) {
          Finish(item);
          break;
        }
      }
      pressedInside = false;
      break;
    }
    case KeyPress:
      HandleKey(event.xkey);
      break;
    case DestroyNotify:
      // Destroyed under us: nothing left to ungrab or destroy.
      window = None;
      pointerGrabbed = keyboardGrabbed = false;
      Finish(-1);
      break;
    default:
      break;
  }
  return true;
}

void X11PopupMenu::HandleKey(const XKeyEvent& key) {
  XKeyEvent copy = key;
  char typed[16];
  KeySym sym = NoSymbol;
  XLookupString(&copy, typed, sizeof typed, &sym, nullptr);
  switch (sym) {
    case XK_Escape:
      Finish(-1);
      break;
    case XK_Up:
    case XK_KP_Up:
      Highlight(layout.NextChoosable(highlighted, -1));
      break;
    case XK_Down:
    case XK_KP_Down:
      Highlight(layout.NextChoosable(highlighted, 1));
      break;
    case XK_Left:
    case XK_KP_Left:
      Highlight(layout.ChoosableInNextColumn(highlighted, -1));
      break;
    case XK_Right:
    case XK_KP_Right:
      Highlight(layout.ChoosableInNextColumn(highlighted, 1));
      break;
    case XK_Home:
    case XK_KP_Home:
      Highlight(layout.NextChoosable(-1, 1));
      break;
    case XK_End:
    case XK_KP_End:
      Highlight(layout.NextChoosable(-1, -1));
      break;
    case XK_Return:
    case XK_KP_Enter:
    case XK_ISO_Enter:
    case XK_space:
      if (highlighted >= 0) Finish(highlighted);
      break;
    default:
      break;
  }
}

void X11PopupMenu::Highlight(int item) {
  if (item == highlighted) return;
  highlighted = item;
  Paint();
  Present();
}

void X11PopupMenu::Paint() {
  if (pixels.empty()) return;
  const int width = placement.W(), height = placement.H();
  const auto fill = [&](int l, int t, int r, int b, std::uint32_t colour) {
    l = std::max(l, 0), t = std::max(t, 0), r = std::min(r, width), b = std::min(b, height);
    for (int y = t; y < b; ++y)
      std::fill_n(pixels.begin() + static_cast<std::ptrdiff_t>(y) * width + l, std::max(0, r - l),
                  colour);
  };
  std::fill(pixels.begin(), pixels.end(), kBackground);
  for (int i = 0; i < layout.ItemCount(); ++i) {
    const PopupMenuLayout::Entry& entry = layout.ItemAt(i);
    const PixelRect& row = entry.rect;
    if (entry.flags & IMenuModel::kSeparator) {
      const int y = (row.T + row.B) / 2;
      fill(row.L + 4, y, row.R - 4, y + 1, kRule);
      continue;
    }
    const bool lit = i == highlighted;
    if (lit) fill(row.L, row.T, row.R, row.B, kHighlight);
    TextStyle style;
    style.size = kFontSize;
    style.align = TextStyle::kLeft;
    const bool dark = layout.Choosable(i) || (entry.flags & IMenuModel::kTitle) != 0;
    style.color = lit ? colors::kWhite : dark ? colors::kBlack : kGrayText;
    if (entry.flags & IMenuModel::kTitle) style.style = TextStyle::kBold;
    const int top = row.T + (row.H() - (kFontSize + kFontSize / 7)) / 2;
    text.Draw(pixels.data(), width, height, width, style, entry.text.c_str(),
              PixelRect(row.L + PopupMenuLayout::kCheckWidth, top, row.R, top + kFontSize));
    if (entry.flags & IMenuModel::kChecked) {
      // A tick two pixels thick: a short stroke down, a long one up.
      const std::uint32_t ink = style.color.Packed();
      const int x0 = row.L + 5, y0 = row.T + row.H() / 2;
      for (int t = 0; t <= 3; ++t) fill(x0 + t, y0 + t - 1, x0 + t + 1, y0 + t + 1, ink);
      for (int t = 0; t <= 6; ++t)
        fill(x0 + 3 + t, y0 + 2 - t - 1, x0 + 4 + t, y0 + 2 - t + 1, ink);
    }
  }
  // Rules between columns, then the frame.
  for (int i = 0; i + 1 < layout.ItemCount(); ++i) {
    const PopupMenuLayout::Entry& entry = layout.ItemAt(i);
    if (layout.ItemAt(i + 1).column != entry.column)
      fill(entry.rect.R, 1, entry.rect.R + 1, height - 1, kRule);
  }
  fill(0, 0, width, 1, kFrame);
  fill(0, height - 1, width, height, kFrame);
  fill(0, 0, 1, height, kFrame);
  fill(width - 1, 0, width, height, kFrame);
}

void X11PopupMenu::Present() {
  if (window == None || pixels.empty()) return;
  X11ErrorTrap trap(display);
  image.Put(window, gc, pixels.data(), placement.W(),
            PixelRect(0, 0, placement.W(), placement.H()));
}
