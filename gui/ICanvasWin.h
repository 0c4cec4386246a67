// The editor on the screen of Windows hosts: a child window of class
// "DilatorixWndClass", titled "Dilatorix", inside the window the host hands to
// effEditOpen. The host's message loop runs it: the window procedure turns
// messages into the canvas's mouse, key and paint calls, and timer id 2 ticks
// every 1000 / frames-per-second milliseconds; the idle call has nothing to
// do. The draw bitmap is a DIB section copied to the window with BitBlt.
// Value entry is an EDIT field over the control, committed by Enter or a left
// click in the editor and cancelled by a right click, or a native popup menu
// for parameters with display texts; the file dialog is the system's. One
// dropped file loads; several at once are refused in a message box.
// Everything runs on the GUI thread that owns the window, outside the plug-in
// lock except for open and close, which the host calls under it. Owns the
// window, the entry field and its font; the window class is registered while
// any editor window of the module is open (when a host destroyed the last one
// with its own window, until the editor is closed).
#pragma once

#include <cstdint>
#include <string>

#include "gui/ICanvasRaster.h"
#include "gui/IWindowHost.h"
#include "gui/ParamEntry.h"
#include "gui/PlugValueQueue.h"

class ICanvasWin : public ICanvasRaster, public IWindowHost {
 public:
  ICanvasWin(IEffectForEditor* plug, int width, int height, int framesPerSecond = 24);
  ~ICanvasWin() override;
  ICanvasWin(const ICanvasWin&) = delete;
  ICanvasWin& operator=(const ICanvasWin&) = delete;

  // While the window is open, values the host sets from other threads wait
  // for the next timer tick.
  void SetParameterFromPlug(int index, double value, bool normalized) override;
  void SetAcceptFileDrops(bool accept) override;
  void SetAcceptFileDrops2(bool accept) override;

  // parent is the host's HWND. A window already open is closed first and the
  // new one keeps its position. Null when the parent is no window or the
  // window cannot be created.
  void* OpenWindow(void* parent) override;
  void CloseWindow() override;
  // The host's message loop delivers the window's messages.
  void Pump() override {}
  bool PresentRect(const PixelRect& rect) override;
  void PromptUserInput(IWidget* control, IEffectParam* param, bool textMode) override;
  void PromptForFile(std::string* path, int action, const std::string& directory) override;

  // The entry's states, acted on at the timer tick.
  enum EntryState : std::int32_t {
    kIdle = 0,
    kFocused = 1,
    kRefresh = 2,
    kCancel = 3,
    kCommit = 4
  };
  static constexpr unsigned kTimerId = 2;
  static constexpr int kEntryControlId = 99;

 private:
  friend struct WinProcedures;

  // The frame rate the most recently opened editor window set for the timer.
  static int TimerFramesPerSecond();

  std::intptr_t Message(void* hwnd, unsigned message, std::uintptr_t wParam, std::intptr_t lParam);
  std::intptr_t EntryMessage(void* hwnd, unsigned message, std::uintptr_t wParam,
                             std::intptr_t lParam);
  void Paint();
  void TimerTick();
  // False stops the tick: the entry's state was acted on.
  bool EntryTick();
  void CloseEntry();
  void FilesDropped(void* drop);
  // Tells the system whether the window takes dropped files.
  void UpdateDropAcceptance();
  // The window went (closed by us or destroyed with the host's window).
  void WindowGone();

  void* window = nullptr;         // HWND
  void* entryWindow = nullptr;    // HWND of the EDIT field
  void* entryPrevious = nullptr;  // its own window procedure
  void* entryFont = nullptr;      // HFONT
  std::int32_t entryState = kIdle;
  ParamEntry target;             // what the entry edits
  void* paintContext = nullptr;  // HDC during a paint message
  bool inModalDialog = false;
  PlugValueQueue valuesFromPlug;  // while the window is open
};
