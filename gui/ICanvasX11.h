// The editor on the screen of Linux hosts: a child window inside the X11
// window the host hands to effEditOpen, on a display connection of its own.
// The host's idle calls (effEditIdle) are its message pump: they turn pending
// X events into the canvas's mouse, key and paint calls and run the timer tick
// every 1000 / frames-per-second milliseconds; no thread is started. Dirty
// areas are drawn into the draw bitmap and copied to the window. Everything
// runs on the host's GUI thread, outside the plug-in lock except for open and
// close, which the host calls under it. Files dropped through XDND go to
// DropFile; several at once are refused in a message window of our own.
// Value entry is a text field over the control, committed by Enter or a left
// click in the editor and cancelled by a right click, or a popup menu for
// parameters with display texts; neither blocks the host. The file dialog is
// zenity or kdialog, waited for while the editor keeps painting.
// Owns the connection, the window, the image that fills it, the drop target
// and the message window; a window the host destroyed first only costs
// protocol errors, which stay on our connection.
#pragma once

#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include "gui/ICanvasRaster.h"
#include "gui/IWindowHost.h"
#include "gui/ParamEntry.h"
#include "gui/PlugValueQueue.h"

// Xlib's types, declared as Xlib does; its headers stay out of this one
// because their names (Window among them) clash with ours.
struct _XDisplay;
struct _XGC;
union _XEvent;
class X11Image;
class IMenuModel;
class X11MessageWindow;
class X11PopupMenu;
class X11ValueEntry;
class XdndTarget;

class ICanvasX11 : public ICanvasRaster, public IWindowHost {
 public:
  ICanvasX11(IEffectForEditor* plug, int width, int height, int framesPerSecond = 24);
  ~ICanvasX11() override;
  ICanvasX11(const ICanvasX11&) = delete;
  ICanvasX11& operator=(const ICanvasX11&) = delete;

  // parent is the host's X11 window id. A window already open is closed
  // first and the new one keeps its position. Null when the display cannot be
  // opened, the parent does not exist or its screen's pixels are not 24-bit
  // TrueColor.
  // While the window is open, values the host sets from other threads (its
  // audio thread automating) wait for the next timer tick: only the GUI
  // thread touches the controls while it draws them.
  void SetParameterFromPlug(int index, double value, bool normalized) override;

  void* OpenWindow(void* parent) override;
  void CloseWindow() override;
  void Pump() override;
  bool PresentRect(const PixelRect& rect) override;
  void PromptUserInput(IWidget* control, IEffectParam* param, bool textMode) override;
  void PromptForFile(std::string* path, int action, const std::string& directory) override;

  bool IsWindowOpen() const { return window != 0; }
  // Whether pixels reach the server through shared memory (else plain requests).
  bool SharesMemoryWithServer() const;
  // The editor window's id, 0 while closed.
  unsigned long WindowId() const { return window; }
  // Editor windows open in this process, and the frame rate the most recently
  // opened one set for the timer.
  static int OpenWindowCount();
  static int TimerFramesPerSecond();

  // Double clicks: a second left press this soon and this close to the first.
  static constexpr int kDoubleClickMs = 400;
  static constexpr int kDoubleClickPixels = 4;

 private:
  using Clock = std::chrono::steady_clock;

  void HandleEvent(union _XEvent& event);
  void ButtonPressed(union _XEvent& event);
  void ButtonReleased(union _XEvent& event);
  void PointerMoved(union _XEvent& event);
  void KeyPressed(union _XEvent& event);
  void Exposed(union _XEvent& event);
  void TimerTick();
  // Forgets a window the server no longer has.
  void WindowGone();
  // One local file loads; several are refused with a message.
  void FilesDropped(const std::vector<std::string>& items);
  // The value entry's states, acted on at the timer tick; false stops the tick.
  bool EntryTick();
  void CloseEntry();
  // The menu's choice goes to its control, which then frees the menu.
  void MenuFinished();
  // While a modal dialog runs: paint what is exposed and tick, take no input.
  void KeepPainting();

  _XDisplay* display = nullptr;
  unsigned long window = 0;
  _XGC* gc = nullptr;
  std::unique_ptr<X11Image> image;
  std::unique_ptr<XdndTarget> dropTarget;
  std::unique_ptr<X11MessageWindow> message;
  std::unique_ptr<X11ValueEntry> entry;
  ParamEntry target;  // what the entry edits
  std::unique_ptr<X11PopupMenu> menu;
  std::unique_ptr<IMenuModel> menuModel;
  IWidget* menuControl = nullptr;
  bool swallowRelease = false;  // a press that only ended an entry
  PlugValueQueue valuesFromPlug;  // while the window is open
  bool inModalDialog = false;
  PixelRect exposed;
  int windowX = 0, windowY = 0;
  Clock::time_point lastTick;
  std::chrono::milliseconds tickInterval{41};
  // The press a double click is measured from.
  unsigned long lastPressTime = 0;  // server time, ms
  int lastPressX = 0, lastPressY = 0;
  bool lastPressCounts = false;
  bool captured = false;  // a control took the press and gets the drags
};
