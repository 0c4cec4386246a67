#include "host/WinEditorHost.h"

#include "platform/WideText.h"

namespace {

const wchar_t kTopClass[] = L"DilatorixHostWindow";

// The top-level window's procedure: a close from the desktop is recorded in
// the flag its creation was given, the window stays until the host closes it.
LRESULT CALLBACK TopProcedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_CREATE) {
    auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    return 0;
  }
  if (message == WM_CLOSE) {
    auto* closed = reinterpret_cast<bool*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (closed != nullptr) *closed = true;
    return 0;
  }
  return DefWindowProcW(hwnd, message, wParam, lParam);
}

bool RegisterTopClass() {
  WNDCLASSEXW windowClass = {};
  windowClass.cbSize = sizeof windowClass;
  windowClass.lpfnWndProc = &TopProcedure;
  windowClass.hInstance = GetModuleHandleW(nullptr);
  windowClass.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
  windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
  windowClass.lpszClassName = kTopClass;
  return RegisterClassExW(&windowClass) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

}  // namespace

WinEditorHost::~WinEditorHost() { Close(); }

bool WinEditorHost::ShowTop(const std::string& title, std::string* error) {
  if (!RegisterTopClass()) {
    *error = "cannot register the host's window class";
    return false;
  }
  const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
  RECT frame = {0, 0, width, height};
  AdjustWindowRect(&frame, style, FALSE);
  top = CreateWindowExW(0, kTopClass, WideFromUtf8(title).c_str(), style, 0, 0,
                        frame.right - frame.left, frame.bottom - frame.top, nullptr, nullptr,
                        GetModuleHandleW(nullptr), &closedByUser);
  if (top == nullptr) {
    *error = "cannot create the host's window";
    return false;
  }
  ShowWindow(static_cast<HWND>(top), SW_SHOWNORMAL);
  UpdateWindow(static_cast<HWND>(top));
  HandleEvents();
  return true;
}

void WinEditorHost::DestroyTop() {
  if (top != nullptr) DestroyWindow(static_cast<HWND>(top));
  top = nullptr;
  HandleEvents();
}

void WinEditorHost::DestroyWindowFirst() {
  if (top == nullptr) return;
  DestroyWindow(static_cast<HWND>(top));
  top = nullptr;
}

void WinEditorHost::HandleEvents() {
  MSG message;
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
}

void WinEditorHost::WaitForEvents(int milliseconds) {
  // Wakes for the next message or when the time is up.
  MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(milliseconds), QS_ALLINPUT);
}

void* WinEditorHost::EditorWindow() const {
  return top != nullptr ? GetWindow(static_cast<HWND>(top), GW_CHILD) : nullptr;
}

std::vector<std::uint32_t> WinEditorHost::Screenshot() const {
  HWND editor = static_cast<HWND>(EditorWindow());
  if (editor == nullptr || width <= 0 || height <= 0) return {};
  HDC screen = GetDC(editor);
  if (screen == nullptr) return {};
  std::vector<std::uint32_t> pixels;
  HDC copy = CreateCompatibleDC(screen);
  void* bits = nullptr;
  HBITMAP section = NewTopDownSection(screen, width, height, &bits);
  if (copy != nullptr && section != nullptr) {
    HGDIOBJ previous = SelectObject(copy, section);
    if (BitBlt(copy, 0, 0, width, height, screen, 0, 0, SRCCOPY)) {
      GdiFlush();
      const auto* read = static_cast<const std::uint32_t*>(bits);
      pixels.assign(read, read + static_cast<std::size_t>(width) * height);
      for (std::uint32_t& p : pixels) p |= 0xFF000000u;
    }
    SelectObject(copy, previous);
  }
  if (section != nullptr) DeleteObject(section);
  if (copy != nullptr) DeleteDC(copy);
  ReleaseDC(editor, screen);
  return pixels;
}
