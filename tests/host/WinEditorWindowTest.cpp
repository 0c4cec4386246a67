// The editor in a Windows host's window: the built DLL loaded through its VST 2
// entry, its editor opened inside a top-level window of this program, and
// input sent through the system's input queue, as a user's would arrive.
// Under Wine the windows live on an X server (Xvfb in CI). The pictures of the
// headless window host come from the Linux build (dilatorix_editor_pictures)
// in the folder DILATORIX_EDITOR_PICTURES names.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "effect/StretchParamSpecs.h"
#include "host/WinEditorHost.h"
#include "platform/WideText.h"
#include "raster/PngDecoder.h"
#include "tests/audio/TestAudioFiles.h"
#include "tests/host/HostRecords.h"
// After windows.h, which WideText.h brings with its lean settings:
#include <dlgs.h>
#include <shlobj.h>

namespace {

HWND Hwnd(void* w) { return static_cast<HWND>(w); }

std::wstring ClassOf(HWND w) {
  wchar_t name[64] = {};
  GetClassNameW(w, name, 64);
  return name;
}

struct WindowSearch {
  const wchar_t* className;
  HWND found;
};

BOOL CALLBACK MatchOwnWindow(HWND w, LPARAM data) {
  auto* search = reinterpret_cast<WindowSearch*>(data);
  DWORD process = 0;
  GetWindowThreadProcessId(w, &process);
  if (process != GetCurrentProcessId() || !IsWindowVisible(w) || ClassOf(w) != search->className)
    return TRUE;
  search->found = w;
  return FALSE;
}

// A top-level window of this process of the class, visible; null when none.
HWND FindOwnWindow(const wchar_t* className) {
  WindowSearch search = {className, nullptr};
  EnumWindows(&MatchOwnWindow, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

// Runs on its own thread while the GUI thread sits in a modal loop (message
// box, menu, dialog): waits for a window of the class, then acts on it.
class ModalAnswer {
 public:
  ModalAnswer(const wchar_t* className, std::function<void(HWND)> act)
      : worker([this, className, act] {
          const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(10);
          while (std::chrono::steady_clock::now() < end) {
            if (HWND w = FindOwnWindow(className)) {
              std::this_thread::sleep_for(std::chrono::milliseconds(100));
              act(w);
              answered = true;
              return;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
          }
        }) {}
  ~ModalAnswer() {
    if (worker.joinable()) worker.join();
  }
  bool Answered() {
    if (worker.joinable()) worker.join();
    return answered;
  }

 private:
  std::atomic<bool> answered{false};
  std::thread worker;
};

void SendMouse(DWORD flags, DWORD data = 0) {
  INPUT input = {};
  input.type = INPUT_MOUSE;
  input.mi.dwFlags = flags;
  input.mi.mouseData = data;
  SendInput(1, &input, sizeof input);
}

void SendKey(WORD virtualKey) {
  INPUT inputs[2] = {};
  inputs[0].type = inputs[1].type = INPUT_KEYBOARD;
  inputs[0].ki.wVk = inputs[1].ki.wVk = virtualKey;
  inputs[1].ki.dwFlags = KEYEVENTF_KEYUP;
  SendInput(2, inputs, sizeof inputs[0]);
}

void Type(const std::string& text) {
  for (char c : text) {
    INPUT inputs[2] = {};
    inputs[0].type = inputs[1].type = INPUT_KEYBOARD;
    inputs[0].ki.wScan = inputs[1].ki.wScan = static_cast<WORD>(c);
    inputs[0].ki.dwFlags = KEYEVENTF_UNICODE;
    inputs[1].ki.dwFlags = KEYEVENTF_UNICODE | KEYEVENTF_KEYUP;
    SendInput(2, inputs, sizeof inputs[0]);
  }
}

// The 0xFFRRGGBB pixels of a PNG file; empty when it cannot be read.
std::vector<std::uint32_t> PictureFile(const std::string& name) {
  const char* folder = std::getenv("DILATORIX_EDITOR_PICTURES");
  if (folder == nullptr) return {};
  std::unique_ptr<PxMemBitmap> bitmap = DecodePngFile(std::string(folder) + "/" + name, true);
  if (bitmap == nullptr) return {};
  std::vector<std::uint32_t> pixels;
  for (int y = 0; y < bitmap->Height(); ++y)
    for (int x = 0; x < bitmap->Width(); ++x)
      pixels.push_back(bitmap->Pixels()[y * bitmap->RowSpan() + x] | 0xFF000000u);
  return pixels;
}

class WinEditorWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string error;
    ASSERT_TRUE(host.Load(DILATORIX_PLUGIN_PATH, &error)) << error;
    // Away from the editor, so no control shows a hover state.
    SetCursorPos(1100, 900);
    ASSERT_TRUE(window.Open("Dilatorix test", &error)) << error;
    window.Idle(200);
  }

  int Count(VstInt32 opcode, int index) const { return CallCount(host, opcode, index); }
  bool StateNames(const std::string& path) { return ::StateNames(host, path); }

  // The pointer over (x, y) of the editor.
  void MoveTo(int x, int y) {
    POINT p = {x, y};
    ClientToScreen(Hwnd(window.EditorWindow()), &p);
    SetCursorPos(p.x, p.y);
    window.Idle(30);
  }
  void ClickAt(int x, int y, bool right = false) {
    MoveTo(x, y);
    SendMouse(right ? MOUSEEVENTF_RIGHTDOWN : MOUSEEVENTF_LEFTDOWN);
    SendMouse(right ? MOUSEEVENTF_RIGHTUP : MOUSEEVENTF_LEFTUP);
    window.Idle(100);
  }
  void RightClickRateFader() { ClickAt(300, 164, true); }

  // The files dropped on the editor as the shell hands them over.
  void Drop(const std::vector<std::string>& paths) {
    std::wstring list;
    for (const std::string& path : paths) list += WideFromUtf8(path) + L'\0';
    list += L'\0';
    const std::size_t bytes = sizeof(DROPFILES) + list.size() * sizeof(wchar_t);
    HGLOBAL memory = GlobalAlloc(GHND, bytes);
    ASSERT_NE(memory, nullptr);
    auto* files = static_cast<DROPFILES*>(GlobalLock(memory));
    files->pFiles = sizeof(DROPFILES);
    files->fWide = TRUE;
    std::memcpy(reinterpret_cast<char*>(files) + sizeof(DROPFILES), list.data(),
                list.size() * sizeof(wchar_t));
    GlobalUnlock(memory);
    ASSERT_TRUE(PostMessageW(Hwnd(window.EditorWindow()), WM_DROPFILES,
                             reinterpret_cast<WPARAM>(memory), 0));
  }

  VstHost host;
  WinEditorHost window{host};
};

TEST_F(WinEditorWindowTest, OpensAChildWindowOfItsClassInsideTheHostWindow) {
  EXPECT_EQ(host.Effect()->flags & effFlagsHasEditor, effFlagsHasEditor);
  HWND editor = Hwnd(window.EditorWindow());
  ASSERT_NE(editor, nullptr);
  EXPECT_EQ(ClassOf(editor), L"DilatorixWndClass");
  wchar_t title[32] = {};
  GetWindowTextW(editor, title, 32);
  EXPECT_EQ(std::wstring(title), L"Dilatorix");
  EXPECT_EQ(GetParent(editor), Hwnd(window.TopWindow()));
  EXPECT_NE(GetWindowLongPtrW(editor, GWL_STYLE) & WS_CHILD, 0);
  RECT client = {};
  GetClientRect(editor, &client);
  EXPECT_EQ(client.right, 720);
  EXPECT_EQ(client.bottom, 650);
}

// The window shows what the headless host draws; only text, drawn by GDI here
// and by FreeType there, may differ, and only near where text lies.
TEST_F(WinEditorWindowTest, PaintsAsTheHeadlessHostDrawsExceptForTheText) {
  const std::vector<std::uint32_t> expected = PictureFile("editor.png");
  const std::vector<std::uint32_t> textless = PictureFile("editor-without-text.png");
  ASSERT_EQ(expected.size(), 720u * 650u) << "no pictures in DILATORIX_EDITOR_PICTURES";
  ASSERT_EQ(textless.size(), expected.size());
  const std::vector<std::uint32_t> shown = window.Screenshot();
  ASSERT_EQ(shown.size(), expected.size());
  // Near text: within 3 pixels of a pixel the text changes.
  constexpr int kNear = 3;
  std::vector<bool> nearText(expected.size(), false);
  for (int y = 0; y < 650; ++y)
    for (int x = 0; x < 720; ++x) {
      if (expected[y * 720 + x] == textless[y * 720 + x]) continue;
      for (int v = std::max(0, y - kNear); v <= std::min(649, y + kNear); ++v)
        for (int u = std::max(0, x - kNear); u <= std::min(719, x + kNear); ++u)
          nearText[v * 720 + u] = true;
    }
  std::size_t textArea = 0, differingNear = 0, differingElsewhere = 0;
  for (std::size_t i = 0; i < shown.size(); ++i) {
    textArea += nearText[i];
    if (shown[i] == expected[i]) continue;
    (nearText[i] ? differingNear : differingElsewhere)++;
  }
  std::printf(
      "editor picture: %zu of %zu pixels differ near text (%zu pixels lie near text), "
      "%zu elsewhere\n",
      differingNear, shown.size(), textArea, differingElsewhere);
  EXPECT_EQ(differingElsewhere, 0u);
  EXPECT_GT(textArea, 0u);
}

TEST_F(WinEditorWindowTest, ClicksDragsWheelAndDoubleClicksReachTheControls) {
  // The audition switch.
  EXPECT_EQ(host.GetParameter(kAudition), 0.0f);
  ClickAt(72, 52);
  EXPECT_EQ(host.GetParameter(kAudition), 1.0f);

  // A drag along the nominal rate fader that leaves the window still moves it,
  // inside one gesture.
  host.ClearRecords();
  MoveTo(200, 164);
  SendMouse(MOUSEEVENTF_LEFTDOWN);
  window.Idle(50);
  MoveTo(300, 164);
  MoveTo(900, 164);
  SendMouse(MOUSEEVENTF_LEFTUP);
  window.Idle(150);
  EXPECT_EQ(host.GetParameter(kRateNom), 1.0f);
  EXPECT_EQ(Count(audioMasterBeginEdit, kRateNom), 1);
  EXPECT_EQ(Count(audioMasterEndEdit, kRateNom), 1);
  EXPECT_GE(Count(audioMasterAutomate, kRateNom), 2);

  // One wheel notch on the pitch knob, then a double click restores it.
  const float pitch = host.GetParameter(kPitch);
  MoveTo(42, 436);
  SendMouse(MOUSEEVENTF_WHEEL, WHEEL_DELTA);
  window.Idle(100);
  EXPECT_GT(host.GetParameter(kPitch), pitch);
  SendMouse(MOUSEEVENTF_LEFTDOWN);
  SendMouse(MOUSEEVENTF_LEFTUP);
  SendMouse(MOUSEEVENTF_LEFTDOWN);
  SendMouse(MOUSEEVENTF_LEFTUP);
  window.Idle(100);
  EXPECT_EQ(host.GetParameter(kPitch), pitch);
}

// A host automating from its audio thread: the switch moves at the next tick.
TEST_F(WinEditorWindowTest, ValuesSetFromAnotherThreadShowAtTheNextTick) {
  const std::vector<std::uint32_t> before = window.Screenshot();
  ASSERT_FALSE(before.empty());
  std::thread([this] { host.Effect()->setParameter(host.Effect(), kAudition, 1.0f); }).join();
  window.Idle(150);
  EXPECT_EQ(host.GetParameter(kAudition), 1.0f);
  EXPECT_NE(window.Screenshot(), before);
}

// A right click on a fader opens a field over it with the parameter's text.
TEST_F(WinEditorWindowTest, TypedValuesCommitOnEnterOrAClickAndARightClickCancels) {
  RightClickRateFader();
  HWND entry = GetDlgItem(Hwnd(window.EditorWindow()), 99);
  ASSERT_NE(entry, nullptr);
  EXPECT_EQ(ClassOf(entry), L"Edit");
  RECT r = {};
  GetWindowRect(entry, &r);
  EXPECT_EQ(r.right - r.left, 72);
  EXPECT_EQ(r.bottom - r.top, 20);
  Type("0.5");
  SendKey(VK_RETURN);
  window.Idle(150);
  EXPECT_FLOAT_EQ(host.GetParameter(kRateNom), 0.5f);
  EXPECT_EQ(GetDlgItem(Hwnd(window.EditorWindow()), 99), nullptr);

  // Typed, then a right click in the editor: nothing changes.
  RightClickRateFader();
  Type("0.75");
  ClickAt(690, 620, true);
  window.Idle(150);
  EXPECT_FLOAT_EQ(host.GetParameter(kRateNom), 0.5f);

  // Typed, then a left click elsewhere in the editor commits.
  RightClickRateFader();
  Type("0.25");
  ClickAt(690, 620);
  window.Idle(150);
  EXPECT_FLOAT_EQ(host.GetParameter(kRateNom), 0.25f);
}

// A right click on the direction spinner opens a native menu of its choices.
TEST_F(WinEditorWindowTest, AMenuPicksAChoice) {
  EXPECT_EQ(host.ParamDisplay(kDir), "Fwd");
  ModalAnswer answer(L"#32768", [](HWND) {
    for (int i = 0; i < 3; ++i) SendKey(VK_DOWN);
    SendKey(VK_RETURN);
  });
  ClickAt(290, 308, true);
  EXPECT_TRUE(answer.Answered());
  window.Idle(100);
  EXPECT_EQ(host.ParamDisplay(kDir), "Fwd-Rev");
}

TEST_F(WinEditorWindowTest, OneDroppedFileLoadsAndSeveralAreRefusedWithAMessage) {
  const std::string first = WriteMonoWave("dropped one.wav", std::vector<double>(4410, 0.25));
  const std::string second = WriteMonoWave("dropped two.wav", std::vector<double>(4410, 0.5));
  std::wstring said;
  {
    ModalAnswer answer(L"#32770", [&said](HWND box) {
      wchar_t text[128] = {};
      GetDlgItemTextW(box, 0xFFFF, text, 128);
      said = text;
      PostMessageW(box, WM_COMMAND, IDOK, 0);
    });
    Drop({second, first});
    window.Idle(300);
    EXPECT_TRUE(answer.Answered());
  }
  EXPECT_EQ(said, L"Dropping multiple files is not supported.");
  EXPECT_FALSE(StateNames(first));
  EXPECT_FALSE(StateNames(second));

  Drop({first});
  window.Idle(100);
  EXPECT_TRUE(StateNames(first));
}

// The load button runs the system's open dialog; here a user types the path.
TEST_F(WinEditorWindowTest, TheLoadButtonLoadsTheFileTheDialogChose) {
  const std::string clip =
      WriteMonoWave("picked in the dialog.wav", std::vector<double>(4410, 0.25));
  {
    ModalAnswer answer(L"#32770", [&clip](HWND dialog) {
      // The file name field of the dialog.
      SetDlgItemTextW(dialog, cmb13, WideFromUtf8(clip).c_str());
      PostMessageW(dialog, WM_COMMAND, IDOK, 0);
    });
    ClickAt(26, 50);
    EXPECT_TRUE(answer.Answered());
  }
  window.Idle(200);
  EXPECT_TRUE(StateNames(clip));
}

TEST_F(WinEditorWindowTest, ReopeningKeepsTheControlsAndTheirValues) {
  ClickAt(72, 52);
  ClickAt(300, 164);
  SetCursorPos(1100, 900);
  window.Idle(150);
  const std::vector<std::uint32_t> before = window.Screenshot();
  std::string error;
  ASSERT_TRUE(window.Reopen(&error)) << error;
  window.Idle(150);
  EXPECT_EQ(window.Screenshot(), before);
  EXPECT_EQ(host.GetParameter(kAudition), 1.0f);
}

TEST_F(WinEditorWindowTest, AHostThatDestroysItsWindowFirstIsNotHurt) {
  RightClickRateFader();
  window.DestroyWindowFirst();
  window.Idle(100);
  EXPECT_EQ(host.Dispatch(effEditClose), 1);
  std::string error;
  ASSERT_TRUE(window.Open("again", &error)) << error;
  window.Idle(100);
  ClickAt(72, 52);
  EXPECT_EQ(host.GetParameter(kAudition), 1.0f);
}

// Two editors share one window class, registered until the last one closes.
TEST_F(WinEditorWindowTest, TwoEditorsOpenAtOnceAndOneClosing) {
  HMODULE module = GetModuleHandleW(WideFromUtf8(DILATORIX_PLUGIN_PATH).c_str());
  ASSERT_NE(module, nullptr);
  WNDCLASSEXW info = {};
  info.cbSize = sizeof info;
  VstHost second;
  std::string error;
  ASSERT_TRUE(second.Load(DILATORIX_PLUGIN_PATH, &error)) << error;
  {
    WinEditorHost secondWindow(second);
    ASSERT_TRUE(secondWindow.Open("second", &error)) << error;
    secondWindow.Idle(100);
    secondWindow.Close();
  }
  EXPECT_TRUE(GetClassInfoExW(module, L"DilatorixWndClass", &info));
  window.Idle(150);
  ClickAt(72, 52);
  EXPECT_EQ(host.GetParameter(kAudition), 1.0f);
  EXPECT_EQ(second.GetParameter(kAudition), 0.0f);
  const std::vector<std::uint32_t> shown = window.Screenshot();
  ASSERT_FALSE(shown.empty());
  EXPECT_NE(shown[200 * 720 + 300], 0xFF000000u);  // painted, not left black
  window.Close();
  EXPECT_FALSE(GetClassInfoExW(module, L"DilatorixWndClass", &info));
}

TEST_F(WinEditorWindowTest, OpeningWithoutAParentWindowFails) {
  window.Close();
  EXPECT_EQ(host.Dispatch(effEditOpen, 0, 0, nullptr), 0);
  // A handle that is no window.
  EXPECT_EQ(host.Dispatch(effEditOpen, 0, 0, reinterpret_cast<void*>(0x7ffff0)), 0);
  EXPECT_EQ(host.Dispatch(effEditIdle), 0);
}

}  // namespace
