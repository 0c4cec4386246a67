#include "gui/ICanvasX11.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/keysym.h>

#include <cstdint>
#include <cstdlib>
#include <mutex>

#include "core/IEffectForEditor.h"
#include "core/IEffectParam.h"
#include "gui/ControlKeys.h"
#include "gui/FileDialog.h"
#include "gui/IMenuModel.h"
#include "gui/IWidget.h"
#include "gui/ParamEntry.h"
#include "gui/X11MessageWindow.h"
#include "gui/X11PopupMenu.h"
#include "gui/X11Support.h"
#include "gui/X11ValueEntry.h"
#include "gui/XdndTarget.h"

namespace {

// Editor windows open in the process and the frame rate of the latest one;
// GUI threads of several hosts' instances may open and close at once.
std::mutex windowCountLock;
int windowCount = 0;
int timerFramesPerSecond = 24;

constexpr long kEventMask = ExposureMask | ButtonPressMask | ButtonReleaseMask | PointerMotionMask |
                            LeaveWindowMask | KeyPressMask | StructureNotifyMask;

// The Windows virtual-key code a key sym stands for, 0 when none of those the
// controls know: space, arrows, digits, letters, and the keypad and function
// keys whose codes 97..122 the controls read as letters too.
int VirtualKeyOf(KeySym sym) {
  if (sym == XK_space) return 0x20;
  if (sym == XK_Left) return 0x25;
  if (sym == XK_Up) return 0x26;
  if (sym == XK_Right) return 0x27;
  if (sym == XK_Down) return 0x28;
  if (sym >= XK_0 && sym <= XK_9) return static_cast<int>('0' + (sym - XK_0));
  if (sym >= XK_a && sym <= XK_z) return static_cast<int>('A' + (sym - XK_a));
  if (sym >= XK_A && sym <= XK_Z) return static_cast<int>('A' + (sym - XK_A));
  if (sym >= XK_KP_1 && sym <= XK_KP_9) return static_cast<int>(97 + (sym - XK_KP_1));
  if (sym == XK_KP_Multiply) return 106;
  if (sym == XK_KP_Add) return 107;
  if (sym == XK_KP_Separator) return 108;
  if (sym == XK_KP_Subtract) return 109;
  if (sym == XK_KP_Decimal) return 110;
  if (sym == XK_KP_Divide) return 111;
  if (sym >= XK_F1 && sym <= XK_F11) return static_cast<int>(112 + (sym - XK_F1));
  return 0;
}

// The window below the root that holds w: where drag sources look.
Window TopLevelOf(Display* display, Window w) {
  for (;;) {
    Window root = 0, parent = 0, *children = nullptr;
    unsigned int count = 0;
    if (XQueryTree(display, w, &root, &parent, &children, &count) == 0) return 0;
    if (children != nullptr) XFree(children);
    if (parent == root || parent == 0) return w;
    w = parent;
  }
}

}  // namespace

ICanvasX11::ICanvasX11(IEffectForEditor* plug, int w, int h, int fps)
    : ICanvasRaster(plug, w, h, fps),
      image(std::make_unique<X11Image>()),
      entry(std::make_unique<X11ValueEntry>()),
      menu(std::make_unique<X11PopupMenu>()) {
  SetWindowHost(this);
}

ICanvasX11::~ICanvasX11() { CloseWindow(); }

bool ICanvasX11::SharesMemoryWithServer() const { return image->UsesSharedMemory(); }

int ICanvasX11::OpenWindowCount() {
  std::lock_guard<std::mutex> guard(windowCountLock);
  return windowCount;
}

int ICanvasX11::TimerFramesPerSecond() {
  std::lock_guard<std::mutex> guard(windowCountLock);
  return timerFramesPerSecond;
}

void* ICanvasX11::OpenWindow(void* parent) {
  const Window parentId = static_cast<Window>(reinterpret_cast<std::uintptr_t>(parent));
  const int x = window != 0 ? windowX : 0, y = window != 0 ? windowY : 0;
  CloseWindow();
  if (parentId == 0) return nullptr;
  display = XOpenDisplay(nullptr);
  if (display == nullptr) return nullptr;
  {
    X11ErrorTrap trap(display);
    XWindowAttributes parentAttributes;
    const bool parentThere =
        XGetWindowAttributes(display, parentId, &parentAttributes) != 0 && !trap.Sync();
    if (parentThere && X11VisualTakesArgb(display) && image->Create(display, width, height)) {
      window = X11CreateRasterWindow(display, parentId, x, y, width, height, kEventMask);
      if (window != 0) {
        gc = XCreateGC(display, window, 0, nullptr);
        dropTarget = std::make_unique<XdndTarget>(display, window);
        dropTarget->Advertise();
        dropTarget->ProxyFrom(TopLevelOf(display, parentId));
        message = std::make_unique<X11MessageWindow>();
        XMapWindow(display, window);
      }
      if (trap.Sync()) window = 0;
    }
  }
  if (window == 0) {
    message.reset();
    dropTarget.reset();
    image->Destroy();
    XCloseDisplay(display);
    display = nullptr;
    gc = nullptr;
    return nullptr;
  }
  windowX = x;
  windowY = y;
  {
    std::lock_guard<std::mutex> guard(windowCountLock);
    ++windowCount;
    timerFramesPerSecond = FramesPerSecond() > 0 ? FramesPerSecond() : 24;
    tickInterval = std::chrono::milliseconds(1000 / timerFramesPerSecond);
  }
  valuesFromPlug.Start(*this);
  lastTick = Clock::now();
  captured = false;
  lastPressCounts = false;
  exposed = PixelRect();
  SetAllControlsDirty();
  return reinterpret_cast<void*>(static_cast<std::uintptr_t>(window));
}

void ICanvasX11::CloseWindow() {
  if (display == nullptr) return;
  valuesFromPlug.Stop(*this);
  {
    X11ErrorTrap trap(display);
    CloseEntry();
    if (menu->IsOpen()) MenuFinished();
    message.reset();
    dropTarget.reset();
    image->Destroy();
    if (gc != nullptr) XFreeGC(display, gc);
    if (window != 0) XDestroyWindow(display, window);
    trap.Sync();
  }
  XCloseDisplay(display);
  display = nullptr;
  gc = nullptr;
  if (window != 0) {
    window = 0;
    std::lock_guard<std::mutex> guard(windowCountLock);
    --windowCount;
  }
  captured = false;
  MouseOutAll();
}

void ICanvasX11::Pump() {
  if (display == nullptr) return;
  const bool tickDue = Clock::now() - lastTick >= tickInterval;
  if (!tickDue && XPending(display) == 0) return;
  X11ErrorTrap trap(display);
  while (display != nullptr && XPending(display) > 0) {
    XEvent event;
    XNextEvent(display, &event);
    HandleEvent(event);
  }
  if (window == 0 || Clock::now() - lastTick < tickInterval) return;
  lastTick = Clock::now();
  TimerTick();
}

void ICanvasX11::HandleEvent(XEvent& event) {
  if (menu->IsOpen() && menu->HandleEvent(event)) {
    if (menu->Finished()) MenuFinished();
    return;
  }
  if (entry->IsOpen() && entry->HandleEvent(event)) return;
  if (message != nullptr && message->HandleEvent(event)) return;
  if (dropTarget != nullptr) {
    std::vector<std::string> items;
    bool dropped = false;
    if (dropTarget->HandleEvent(
            event, [this] { return AcceptsFileDrops(); }, &items, &dropped)) {
      if (dropped) FilesDropped(items);
      return;
    }
  }
  if (event.xany.window != window) return;
  switch (event.type) {
    case Expose:
      Exposed(event);
      break;
    case ButtonPress:
      ButtonPressed(event);
      break;
    case ButtonRelease:
      ButtonReleased(event);
      break;
    case MotionNotify:
      PointerMoved(event);
      break;
    case LeaveNotify:
      if (event.xcrossing.detail != NotifyInferior) MouseOutAll();
      break;
    case KeyPress:
      KeyPressed(event);
      break;
    case ConfigureNotify:
      windowX = event.xconfigure.x;
      windowY = event.xconfigure.y;
      break;
    case DestroyNotify:
      // The host destroyed its window, and ours with it.
      if (event.xdestroywindow.window == window) WindowGone();
      break;
    default:
      break;
  }
}

void ICanvasX11::WindowGone() {
  CloseEntry();
  if (menu->IsOpen()) MenuFinished();
  message.reset();
  dropTarget.reset();
  image->Destroy();
  XFreeGC(display, gc);
  gc = nullptr;
  window = 0;
  captured = false;
  std::lock_guard<std::mutex> guard(windowCountLock);
  --windowCount;
}

void ICanvasX11::FilesDropped(const std::vector<std::string>& items) {
  if (items.size() == 1) {
    // An item that is no local file has nothing to load.
    if (!items[0].empty()) DropFile(items[0].c_str());
    return;
  }
  message->Open(display, window, "Dropping multiple files is not supported.",
                dropTarget->LastRootX(), dropTarget->LastRootY());
}

namespace {

MouseMods ModsOf(unsigned int state) {
  MouseMods mods;
  mods.left = (state & Button1Mask) != 0;
  mods.right = (state & Button3Mask) != 0;
  mods.shift = (state & ShiftMask) != 0;
  mods.control = (state & ControlMask) != 0;
  mods.alt = (state & Mod1Mask) != 0;
  return mods;
}

}  // namespace

void ICanvasX11::ButtonPressed(XEvent& event) {
  const XButtonEvent& press = event.xbutton;
  MouseMods mods = ModsOf(press.state);
  if (press.button == Button4 || press.button == Button5) {
    MouseWheel(press.x, press.y, mods, press.button == Button4 ? 1 : -1);
    return;
  }
  if (press.button != Button1 && press.button != Button3) return;
  if (entry->IsOpen()) {
    // A left click commits what was typed and goes on; a right click cancels.
    entry->SetState(press.button == Button1 ? X11ValueEntry::kCommit : X11ValueEntry::kCancel);
    if (press.button == Button3) {
      swallowRelease = true;
      return;
    }
  } else {
    XSetInputFocus(display, window, RevertToParent, press.time);
  }
  if (press.button == Button3) {
    lastPressCounts = false;
    mods.right = true;
    captured = true;
    MouseDown(press.x, press.y, mods);
    // A menu that opened takes the release: the gesture ends here.
    if (menu->IsOpen()) {
      captured = false;
      mods.right = false;
      MouseUp(press.x, press.y, mods);
      swallowRelease = true;
    }
    return;
  }
  mods.left = true;
  const bool doubleClick = lastPressCounts && press.time - lastPressTime <= kDoubleClickMs &&
                           std::abs(press.x - lastPressX) <= kDoubleClickPixels &&
                           std::abs(press.y - lastPressY) <= kDoubleClickPixels;
  // A third press starts over, as the second of a new pair.
  lastPressCounts = !doubleClick;
  lastPressTime = press.time;
  lastPressX = press.x;
  lastPressY = press.y;
  if (doubleClick) {
    captured = MouseDoubleClick(press.x, press.y, mods);
    return;
  }
  captured = true;
  MouseDown(press.x, press.y, mods);
}

void ICanvasX11::ButtonReleased(XEvent& event) {
  const XButtonEvent& release = event.xbutton;
  if (release.button != Button1 && release.button != Button3) return;
  if (swallowRelease) {
    swallowRelease = false;
    return;
  }
  MouseMods mods = ModsOf(release.state);
  if (release.button == Button1) mods.left = false;
  if (release.button == Button3) mods.right = false;
  if (!mods.left && !mods.right) captured = false;
  MouseUp(release.x, release.y, mods);
}

void ICanvasX11::PointerMoved(XEvent& event) {
  const XMotionEvent& motion = event.xmotion;
  const MouseMods mods = ModsOf(motion.state);
  if (mods.left || mods.right) {
    // The server keeps sending a pressed pointer's moves here even outside.
    if (captured) MouseDrag(motion.x, motion.y, mods);
    return;
  }
  MouseOver(motion.x, motion.y, mods);
}

void ICanvasX11::KeyPressed(XEvent& event) {
  XKeyEvent& key = event.xkey;
  // The sym as typed: shift and num lock applied.
  KeySym sym = NoSymbol;
  char typed[8];
  XLookupString(&key, typed, sizeof typed, &sym, nullptr);
  const int code = ControlKeyOf(VirtualKeyOf(sym));
  if (code >= 0) KeyDown(key.x, key.y, code);
}

void ICanvasX11::Exposed(XEvent& event) {
  const XExposeEvent& expose = event.xexpose;
  exposed = exposed.Union(
      PixelRect(expose.x, expose.y, expose.x + expose.width, expose.y + expose.height));
  if (expose.count > 0) return;
  const PixelRect area = exposed.Intersect(PixelRect(0, 0, width, height));
  exposed = PixelRect();
  if (!area.Empty()) Draw(area);
}

void ICanvasX11::SetParameterFromPlug(int index, double value, bool normalized) {
  if (!valuesFromPlug.Defer(*this, index, value, normalized))
    ICanvas::SetParameterFromPlug(index, value, normalized);
}

void ICanvasX11::TimerTick() {
  valuesFromPlug.Apply(*this);
  if (entry->IsOpen() && !EntryTick()) return;
  // After a redraw an open entry shows the parameter again, if it moved.
  if (Tick() && entry->IsOpen()) entry->SetState(X11ValueEntry::kRefresh);
}

bool ICanvasX11::EntryTick() {
  switch (entry->State()) {
    case X11ValueEntry::kIdle:
      return true;
    case X11ValueEntry::kRefresh: {
      std::string moved;
      if (target.MovedText(&moved)) entry->SetText(moved, target.ChoosesText());
      entry->SetState(X11ValueEntry::kIdle);
      return false;
    }
    case X11ValueEntry::kCommit:
      target.Commit(entry->Text());
      CloseEntry();
      return false;
    case X11ValueEntry::kCancel:
      CloseEntry();
      return false;
    default:
      entry->SetState(X11ValueEntry::kIdle);
      return false;
  }
}

void ICanvasX11::CloseEntry() {
  entry->Close();
  target.End();
}

void ICanvasX11::MenuFinished() {
  const int chosen = menu->Finished() ? menu->Chosen() : -1;
  menu->Close();
  IWidget* control = menuControl;
  std::unique_ptr<IMenuModel> model = std::move(menuModel);
  menuControl = nullptr;
  if (control == nullptr || model == nullptr) return;
  if (chosen >= 0) control->SetValueFromMenuItem(*model, chosen);
  control->FreeParamMenu(std::move(model));
}

bool ICanvasX11::PresentRect(const PixelRect& rect) {
  if (window == 0) return true;
  X11ErrorTrap trap(display);
  image->Put(window, gc, drawBitmap.Pixels(), drawBitmap.RowSpan(), rect);
  return true;
}

// Text mode has no caller here: every prompt edits a parameter.
void ICanvasX11::PromptUserInput(IWidget* control, IEffectParam* param, bool textMode) {
  if (window == 0 || control == nullptr || param == nullptr || textMode) return;
  if (entry->IsOpen() || menu->IsOpen() || inModalDialog) return;
  std::unique_ptr<IMenuModel> model = control->MakeParamMenu();
  if (model != nullptr) {
    X11ErrorTrap trap(display);
    Window root = 0, child = 0;
    int rootX = 0, rootY = 0, x = 0, y = 0;
    unsigned int buttons = 0;
    XQueryPointer(display, window, &root, &child, &rootX, &rootY, &x, &y, &buttons);
    if (menu->Open(display, window, *model, rootX, rootY)) {
      menuModel = std::move(model);
      menuControl = control;
    } else {
      menu->Close();
      control->FreeParamMenu(std::move(model));
    }
    return;
  }
  const std::string shown = target.Begin(control, param);
  if (!entry->Open(display, window, ParamEntry::FieldFor(control->DrawRect()), shown)) target.End();
}

void ICanvasX11::PromptForFile(std::string* path, int action, const std::string& directory) {
  path->clear();
  if (window == 0 || inModalDialog) return;
  inModalDialog = true;
  *path = FileDialog::Run(action, directory, [this] { KeepPainting(); });
  inModalDialog = false;
}

void ICanvasX11::KeepPainting() {
  if (display == nullptr) return;
  X11ErrorTrap trap(display);
  while (display != nullptr && XPending(display) > 0) {
    XEvent event;
    XNextEvent(display, &event);
    if (event.type == DestroyNotify && event.xdestroywindow.window == window) WindowGone();
    if (window != 0 && event.type == Expose && event.xany.window == window) Exposed(event);
    // Drags are refused while the dialog runs; other input waits for nothing.
    if (dropTarget != nullptr)
      dropTarget->HandleEvent(
          event, [] { return false; }, nullptr, nullptr);
  }
  if (window != 0 && Clock::now() - lastTick >= tickInterval) {
    lastTick = Clock::now();
    Tick();
  }
}
