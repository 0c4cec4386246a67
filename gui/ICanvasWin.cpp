#include "gui/ICanvasWin.h"

#include <memory>
#include <mutex>
#include <vector>

#include "core/IEffectForEditor.h"
#include "core/IEffectParam.h"
#include "gui/ControlKeys.h"
#include "gui/IMenuModel.h"
#include "gui/IWidget.h"
#include "gui/ParamEntry.h"
#include "platform/ThisModule.h"
#include "platform/WideText.h"
// After windows.h, which ThisModule.h brings with its lean settings:
#include <commdlg.h>
#include <shellapi.h>

// The window procedures reach the canvas's private handlers through this.
struct WinProcedures {
  static LRESULT CALLBACK Window(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  static LRESULT CALLBACK Entry(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
};

namespace {

const wchar_t kClassName[] = L"DilatorixWndClass";

// Editor windows open in this module and the frame rate of the latest one;
// GUI threads of several hosts' instances may open and close at once.
std::mutex windowCountLock;
int windowCount = 0;
int timerFramesPerSecond = 24;

HWND Hwnd(void* w) { return static_cast<HWND>(w); }

MouseMods ModsOf(WPARAM keys) {
  MouseMods mods;
  mods.left = (keys & MK_LBUTTON) != 0;
  mods.right = (keys & MK_RBUTTON) != 0;
  mods.shift = (keys & MK_SHIFT) != 0;
  mods.control = (keys & MK_CONTROL) != 0;
  mods.alt = GetKeyState(VK_MENU) < 0;
  return mods;
}

int XOf(LPARAM lParam) { return static_cast<short>(LOWORD(lParam)); }
int YOf(LPARAM lParam) { return static_cast<short>(HIWORD(lParam)); }

std::string WindowText(HWND w) {
  const int length = GetWindowTextLengthW(w);
  if (length <= 0) return std::string();
  std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
  const int read = GetWindowTextW(w, &text[0], length + 1);
  text.resize(read > 0 ? static_cast<std::size_t>(read) : 0);
  return Utf8FromWide(text);
}

// Appends one native item per model item, ids running from *id; returns
// whether an item at this level is checked.
bool BuildNativeMenu(HMENU native, int* id, const IMenuModel& model) {
  bool anyChecked = false;
  for (int i = 0; i < model.ItemCount(); ++i) {
    const IMenuModel::Item& item = model.ItemAt(i);
    UINT flags = MF_STRING;
    if (item.flags & IMenuModel::kSeparator) flags = MF_SEPARATOR;
    if (item.flags & IMenuModel::kDisabled) flags |= MF_GRAYED;
    if (item.flags & IMenuModel::kHighlighted) flags |= MF_HILITE;
    if (item.flags & IMenuModel::kColumnBreak) flags |= MF_MENUBARBREAK;
    bool checked = (item.flags & IMenuModel::kChecked) != 0;
    const std::wstring text = WideFromUtf8(item.text);
    const int itemId = (*id)++;
    if (item.submenu != nullptr) {
      HMENU sub = CreatePopupMenu();
      if (sub == nullptr) continue;
      const bool subChecked = BuildNativeMenu(sub, id, *item.submenu);
      if (subChecked && !(item.flags & IMenuModel::kTitle)) checked = true;
      if (checked) flags |= MF_CHECKED;
      AppendMenuW(native, flags | MF_POPUP, reinterpret_cast<UINT_PTR>(sub), text.c_str());
    } else {
      if (checked) flags |= MF_CHECKED;
      AppendMenuW(native, flags, static_cast<UINT_PTR>(itemId), text.c_str());
    }
    anyChecked = anyChecked || checked;
  }
  return anyChecked;
}

// Menu animation off while a menu is open, as the user had it after.
class MenuAnimationOff {
 public:
  MenuAnimationOff() {
    saved = SystemParametersInfoW(SPI_GETMENUANIMATION, 0, &was, 0) != 0;
    if (saved && was) SystemParametersInfoW(SPI_SETMENUANIMATION, 0, nullptr, 0);
  }
  ~MenuAnimationOff() {
    if (saved && was)
      SystemParametersInfoW(SPI_SETMENUANIMATION, 0, reinterpret_cast<void*>(TRUE), 0);
  }
  MenuAnimationOff(const MenuAnimationOff&) = delete;
  MenuAnimationOff& operator=(const MenuAnimationOff&) = delete;

 private:
  BOOL was = FALSE;
  bool saved = false;
};

}  // namespace

LRESULT CALLBACK WinProcedures::Window(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_CREATE) {
    auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
    auto* canvas = static_cast<ICanvasWin*>(create->lpCreateParams);
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(canvas));
    canvas->window = hwnd;
    SetTimer(hwnd, ICanvasWin::kTimerId,
             static_cast<UINT>(1000 / ICanvasWin::TimerFramesPerSecond()), nullptr);
    SetFocus(hwnd);
    canvas->UpdateDropAcceptance();
    return 0;
  }
  auto* canvas = reinterpret_cast<ICanvasWin*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (canvas == nullptr || canvas->window != hwnd)
    return DefWindowProcW(hwnd, message, wParam, lParam);
  return canvas->Message(hwnd, message, wParam, lParam);
}

LRESULT CALLBACK WinProcedures::Entry(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* canvas = reinterpret_cast<ICanvasWin*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (canvas == nullptr) return DefWindowProcW(hwnd, message, wParam, lParam);
  return canvas->EntryMessage(hwnd, message, wParam, lParam);
}

ICanvasWin::ICanvasWin(IEffectForEditor* plug, int w, int h, int fps)
    : ICanvasRaster(plug, w, h, fps) {
  SetWindowHost(this);
}

ICanvasWin::~ICanvasWin() {
  CloseWindow();
  if (entryFont != nullptr) DeleteObject(static_cast<HFONT>(entryFont));
}

int ICanvasWin::TimerFramesPerSecond() {
  std::lock_guard<std::mutex> guard(windowCountLock);
  return timerFramesPerSecond;
}

void ICanvasWin::SetParameterFromPlug(int index, double value, bool normalized) {
  if (!valuesFromPlug.Defer(*this, index, value, normalized))
    ICanvas::SetParameterFromPlug(index, value, normalized);
}

void ICanvasWin::SetAcceptFileDrops(bool accept) {
  ICanvasRaster::SetAcceptFileDrops(accept);
  UpdateDropAcceptance();
}

void ICanvasWin::SetAcceptFileDrops2(bool accept) {
  ICanvasRaster::SetAcceptFileDrops2(accept);
  UpdateDropAcceptance();
}

void ICanvasWin::UpdateDropAcceptance() {
  if (window != nullptr) DragAcceptFiles(Hwnd(window), AcceptsFileDrops() || AcceptsFileDrops2());
}

void* ICanvasWin::OpenWindow(void* parent) {
  HWND parentWindow = Hwnd(parent);
  int x = 0, y = 0;
  if (window != nullptr) {
    // The window keeps its place inside its parent.
    RECT r;
    if (GetWindowRect(Hwnd(window), &r)) {
      POINT corner = {r.left, r.top};
      HWND oldParent = GetParent(Hwnd(window));
      if (oldParent != nullptr && ScreenToClient(oldParent, &corner)) {
        x = corner.x;
        y = corner.y;
      }
    }
  }
  CloseWindow();
  if (parentWindow == nullptr || !IsWindow(parentWindow)) return nullptr;
  HINSTANCE module = ThisModule();
  {
    std::lock_guard<std::mutex> guard(windowCountLock);
    if (windowCount == 0) {
      WNDCLASSEXW windowClass = {};
      windowClass.cbSize = sizeof windowClass;
      windowClass.style = CS_DBLCLKS;
      windowClass.lpfnWndProc = &WinProcedures::Window;
      windowClass.hInstance = module;
      windowClass.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
      windowClass.lpszClassName = kClassName;
      // A class left registered by a window the host destroyed still serves.
      if (RegisterClassExW(&windowClass) == 0 && GetLastError() != ERROR_CLASS_ALREADY_EXISTS)
        return nullptr;
    }
    ++windowCount;
    timerFramesPerSecond = FramesPerSecond() > 0 ? FramesPerSecond() : 24;
  }
  valuesFromPlug.Start(*this);
  entryState = kIdle;
  HWND created = CreateWindowExW(0, kClassName, L"Dilatorix", WS_CHILD | WS_VISIBLE, x, y, width,
                                 height, parentWindow, nullptr, module, this);
  if (created == nullptr) {
    window = nullptr;
    valuesFromPlug.Stop(*this);
    std::lock_guard<std::mutex> guard(windowCountLock);
    if (--windowCount == 0) UnregisterClassW(kClassName, module);
    return nullptr;
  }
  SetAllControlsDirty();
  return created;
}

void ICanvasWin::CloseWindow() {
  // The destroy message forgets the window (WindowGone).
  if (window != nullptr) DestroyWindow(Hwnd(window));
  if (window != nullptr) WindowGone();
  // Only now, with the window gone: a class with windows cannot go. A class
  // whose last window went down with the host's stays until here too.
  std::lock_guard<std::mutex> guard(windowCountLock);
  if (windowCount == 0) UnregisterClassW(kClassName, ThisModule());
}

void ICanvasWin::WindowGone() {
  CloseEntry();
  valuesFromPlug.Stop(*this);
  KillTimer(Hwnd(window), kTimerId);
  SetWindowLongPtrW(Hwnd(window), GWLP_USERDATA, 0);
  window = nullptr;
  MouseOutAll();
  std::lock_guard<std::mutex> guard(windowCountLock);
  --windowCount;
}

std::intptr_t ICanvasWin::Message(void* hwnd, unsigned message, std::uintptr_t wParam,
                                  std::intptr_t lParam) {
  HWND w = Hwnd(hwnd);
  // While the entry has the focus the editor takes no input but the presses
  // that end the entry; it keeps painting and ticking.
  if (entryWindow != nullptr && entryState == kFocused && message != WM_PAINT &&
      message != WM_TIMER && message != WM_LBUTTONDOWN && message != WM_RBUTTONDOWN &&
      message != WM_NCDESTROY)
    return DefWindowProcW(w, message, wParam, lParam);
  switch (message) {
    case WM_PAINT:
      Paint();
      return 0;
    case WM_CLOSE:
      CloseWindow();
      return 0;
    case WM_MOUSEACTIVATE:
      SetFocus(w);
      return MA_ACTIVATE;
    case WM_TIMER:
      if (wParam != kTimerId) break;
      TimerTick();
      return 0;
    case WM_LBUTTONDOWN:
      if (entryWindow != nullptr) entryState = kCommit;
      SetCapture(w);
      MouseDown(XOf(lParam), YOf(lParam), ModsOf(wParam));
      return 0;
    case WM_RBUTTONDOWN:
      if (entryWindow != nullptr) {
        entryState = kCancel;
        return 0;
      }
      SetCapture(w);
      MouseDown(XOf(lParam), YOf(lParam), ModsOf(wParam));
      return 0;
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
      ReleaseCapture();
      MouseUp(XOf(lParam), YOf(lParam), ModsOf(wParam));
      return 0;
    case WM_LBUTTONDBLCLK:
      if (MouseDoubleClick(XOf(lParam), YOf(lParam), ModsOf(wParam))) SetCapture(w);
      return 0;
    case WM_MOUSEMOVE: {
      const MouseMods mods = ModsOf(wParam);
      if (mods.left || mods.right) {
        if (GetCapture() == w) MouseDrag(XOf(lParam), YOf(lParam), mods);
      } else if (MouseOver(XOf(lParam), YOf(lParam), mods)) {
        TRACKMOUSEEVENT track = {};
        track.cbSize = sizeof track;
        track.dwFlags = TME_LEAVE;
        track.hwndTrack = w;
        TrackMouseEvent(&track);
      }
      return 0;
    }
    case WM_MOUSELEAVE:
      MouseOutAll();
      return 0;
    case WM_MOUSEWHEEL: {
      RECT r = {};
      GetWindowRect(w, &r);
      MouseWheel(XOf(lParam) - r.left, YOf(lParam) - r.top, ModsOf(GET_KEYSTATE_WPARAM(wParam)),
                 static_cast<short>(HIWORD(wParam)) / WHEEL_DELTA);
      return 0;
    }
    case WM_KEYDOWN: {
      const int key = ControlKeyOf(static_cast<int>(wParam));
      if (key < 0) return 0;
      POINT cursor = {};
      GetCursorPos(&cursor);
      ScreenToClient(w, &cursor);
      KeyDown(cursor.x, cursor.y, key);
      return 0;
    }
    case WM_DROPFILES:
      FilesDropped(reinterpret_cast<void*>(wParam));
      break;
    case WM_NCDESTROY:
      WindowGone();
      break;
    default:
      break;
  }
  return DefWindowProcW(w, message, wParam, lParam);
}

void ICanvasWin::Paint() {
  HWND w = Hwnd(window);
  PAINTSTRUCT paint;
  HDC dc = BeginPaint(w, &paint);
  if (dc == nullptr) return;
  const PixelRect area =
      PixelRect(paint.rcPaint.left, paint.rcPaint.top, paint.rcPaint.right, paint.rcPaint.bottom)
          .Intersect(PixelRect(0, 0, width, height));
  paintContext = dc;
  if (!area.Empty()) Draw(area);
  paintContext = nullptr;
  EndPaint(w, &paint);
}

bool ICanvasWin::PresentRect(const PixelRect& rect) {
  if (window == nullptr || drawBitmap.Section() == nullptr) return true;
  HWND w = Hwnd(window);
  HDC target = paintContext != nullptr ? static_cast<HDC>(paintContext) : GetDC(w);
  if (target == nullptr) return true;
  HDC source = CreateCompatibleDC(target);
  if (source != nullptr) {
    HGDIOBJ previous = SelectObject(source, static_cast<HBITMAP>(drawBitmap.Section()));
    // The drawing just done must be in the section before it is copied.
    GdiFlush();
    BitBlt(target, rect.L, rect.T, rect.W(), rect.H(), source, rect.L, rect.T, SRCCOPY);
    SelectObject(source, previous);
    DeleteDC(source);
  }
  if (paintContext == nullptr) ReleaseDC(w, target);
  return true;
}

void ICanvasWin::TimerTick() {
  valuesFromPlug.Apply(*this);
  if (entryWindow != nullptr && !EntryTick()) return;
  // After a redraw an open entry shows the parameter again, if it moved.
  if (Tick() && entryWindow != nullptr) entryState = kRefresh;
}

bool ICanvasWin::EntryTick() {
  switch (entryState) {
    case kIdle:
    case kFocused:
      return true;
    case kRefresh: {
      std::string moved;
      if (target.MovedText(&moved)) {
        SetWindowTextW(Hwnd(entryWindow), WideFromUtf8(moved).c_str());
        SendMessageW(Hwnd(entryWindow), EM_SETSEL, 0, -1);
      }
      entryState = kIdle;
      return false;
    }
    case kCommit:
      target.Commit(WindowText(Hwnd(entryWindow)));
      CloseEntry();
      return false;
    case kCancel:
      CloseEntry();
      return false;
    default:
      entryState = kIdle;
      return false;
  }
}

void ICanvasWin::CloseEntry() {
  if (entryWindow != nullptr) {
    HWND entry = Hwnd(entryWindow);
    SetWindowLongPtrW(entry, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(entryPrevious));
    SetWindowLongPtrW(entry, GWLP_USERDATA, 0);
    entryWindow = nullptr;
    DestroyWindow(entry);
  }
  entryPrevious = nullptr;
  entryState = kIdle;
  target.End();
}

std::intptr_t ICanvasWin::EntryMessage(void* hwnd, unsigned message, std::uintptr_t wParam,
                                       std::intptr_t lParam) {
  HWND w = Hwnd(hwnd);
  switch (message) {
    case WM_SETFOCUS:
      entryState = kFocused;
      break;
    case WM_KILLFOCUS:
      entryState = kIdle;
      break;
    case WM_GETDLGCODE: {
      const MSG* pending = reinterpret_cast<const MSG*>(lParam);
      if (pending != nullptr && pending->message == WM_KEYDOWN && pending->wParam == VK_RETURN)
        return DLGC_WANTALLKEYS;
      break;
    }
    case WM_KEYDOWN:
      if (wParam == VK_RETURN) {
        entryState = kCommit;
        return 0;
      }
      break;
    case WM_CHAR:
      // The Enter that commits puts no line break into the field.
      if (wParam == '\r' || wParam == '\n') return 0;
      break;
    case WM_COMMAND:
      if (HIWORD(wParam) == 1) entryState = kCommit;
      break;
    case WM_NCDESTROY: {
      // Gone with the editor window: nothing of it is left to close.
      auto previous = reinterpret_cast<WNDPROC>(entryPrevious);
      SetWindowLongPtrW(w, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previous));
      entryWindow = nullptr;
      CloseEntry();
      return CallWindowProcW(previous, w, message, wParam, lParam);
    }
    default:
      break;
  }
  return CallWindowProcW(reinterpret_cast<WNDPROC>(entryPrevious), w, message, wParam, lParam);
}

// Text mode has no caller here: every prompt edits a parameter.
void ICanvasWin::PromptUserInput(IWidget* control, IEffectParam* param, bool textMode) {
  if (window == nullptr || control == nullptr || param == nullptr || textMode) return;
  if (entryWindow != nullptr || inModalDialog) return;
  HWND w = Hwnd(window);
  std::unique_ptr<IMenuModel> model = control->MakeParamMenu();
  if (model != nullptr) {
    HMENU native = CreatePopupMenu();
    int chosen = 0;
    if (native != nullptr) {
      int id = 1;
      BuildNativeMenu(native, &id, *model);
      POINT cursor = {};
      GetCursorPos(&cursor);
      inModalDialog = true;
      {
        MenuAnimationOff animation;
        chosen = TrackPopupMenu(native, TPM_LEFTALIGN | TPM_TOPALIGN | TPM_RETURNCMD | TPM_NONOTIFY,
                                cursor.x, cursor.y, 0, w, nullptr);
      }
      inModalDialog = false;
      DestroyMenu(native);
    }
    if (chosen > 0 && window != nullptr) control->SetValueFromMenuItem(*model, chosen - 1);
    control->FreeParamMenu(std::move(model));
    return;
  }
  const std::string shown = target.Begin(control, param);
  const PixelRect field = ParamEntry::FieldFor(control->DrawRect());
  HWND entry = CreateWindowExW(0, L"EDIT", WideFromUtf8(shown).c_str(),
                               WS_CHILD | WS_VISIBLE | WS_BORDER | ES_CENTER | ES_MULTILINE,
                               field.L, field.T, field.W(), field.H(), w,
                               reinterpret_cast<HMENU>(static_cast<INT_PTR>(kEntryControlId)),
                               ThisModule(), nullptr);
  if (entry == nullptr) {
    target.End();
    return;
  }
  if (entryFont == nullptr)
    entryFont = CreateFontW(-14, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                            OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                            DEFAULT_PITCH | FF_DONTCARE, L"Arial");
  if (entryFont != nullptr) SendMessageW(entry, WM_SETFONT, reinterpret_cast<WPARAM>(entryFont), 0);
  SendMessageW(entry, EM_SETSEL, 0, -1);
  entryWindow = entry;
  SetWindowLongPtrW(entry, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  entryPrevious = reinterpret_cast<void*>(
      SetWindowLongPtrW(entry, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&WinProcedures::Entry)));
  SetFocus(entry);
}

void ICanvasWin::PromptForFile(std::string* path, int action, const std::string& directory) {
  path->clear();
  if (window == nullptr || inModalDialog) return;
  // Room for any path the system allows: none is cut.
  std::vector<wchar_t> buffer(32768, L'\0');
  const std::wstring initial = WideFromUtf8(directory);
  OPENFILENAMEW dialog = {};
  dialog.lStructSize = sizeof dialog;
  dialog.hwndOwner = Hwnd(window);
  dialog.lpstrFile = buffer.data();
  dialog.nMaxFile = static_cast<DWORD>(buffer.size());
  dialog.lpstrInitialDir = initial.empty() ? nullptr : initial.c_str();
  // The host's working folder stays where it was.
  dialog.Flags = OFN_PATHMUSTEXIST | OFN_NOCHANGEDIR | OFN_EXPLORER;
  inModalDialog = true;
  BOOL chosen = FALSE;
  if (action == 1) {
    dialog.Flags |= OFN_OVERWRITEPROMPT;
    chosen = GetSaveFileNameW(&dialog);
  } else {
    dialog.Flags |= OFN_FILEMUSTEXIST;
    chosen = GetOpenFileNameW(&dialog);
  }
  inModalDialog = false;
  if (chosen) *path = Utf8FromWide(buffer.data());
}

void ICanvasWin::FilesDropped(void* dropHandle) {
  HDROP drop = static_cast<HDROP>(dropHandle);
  const UINT count = DragQueryFileW(drop, 0xFFFFFFFFu, nullptr, 0);
  if (count == 1) {
    // The whole path, however long.
    const UINT length = DragQueryFileW(drop, 0, nullptr, 0);
    std::wstring path(static_cast<std::size_t>(length) + 1, L'\0');
    const UINT read = DragQueryFileW(drop, 0, &path[0], length + 1);
    path.resize(read);
    const std::string utf8 = Utf8FromWide(path);
    if (!utf8.empty()) DropFile(utf8.c_str());
  } else {
    MessageBoxW(nullptr, L"Dropping multiple files is not supported.", nullptr,
                MB_OK | MB_ICONERROR);
  }
  DragFinish(drop);
}
