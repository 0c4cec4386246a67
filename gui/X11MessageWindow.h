// A small top-level window of our own that shows one line of text and an OK
// button, for telling the user something the editor cannot do. It is not
// modal and runs no loop of its own: the owner opens it on its display
// connection and routes that connection's events through HandleEvent, on the
// GUI thread that owns the connection. Clicking OK (press and release on it),
// Return, Escape or the window manager's close box closes it. It owns its
// window, GC and image; close it (or destroy it) before the connection closes.
#pragma once

#include <X11/Xlib.h>

#include <cstdint>
#include <string>
#include <vector>

#include "gui/TextRenderer.h"
#include "gui/X11Support.h"

class X11MessageWindow {
 public:
  X11MessageWindow() = default;
  ~X11MessageWindow() { Close(); }
  X11MessageWindow(const X11MessageWindow&) = delete;
  X11MessageWindow& operator=(const X11MessageWindow&) = delete;

  // Opens and maps the window titled "Dilatorix", centred on the screen or on
  // the given root point, kept inside the screen. transientFor (may be None,
  // may be a child window: its top-level is used) is the window it belongs
  // to. An open window is closed first. False when no window could be made.
  bool Open(Display* display, Window transientFor, const std::string& text);
  bool Open(Display* display, Window transientFor, const std::string& text, int centreX,
            int centreY);
  // True when the event was for this window (handled, possibly closing it).
  bool HandleEvent(const XEvent& event);
  bool IsOpen() const { return window != None; }
  void Close();

  Window Id() const { return window; }
  // The OK button, in window coordinates.
  PixelRect ButtonRect() const;

 private:
  void Paint();
  void Show(const PixelRect& area);
  void SetPressed(bool pressed);

  Display* display = nullptr;
  Window window = None;
  GC gc = nullptr;
  X11Image image;
  TextRenderer text;
  std::string message;
  std::vector<std::uint32_t> pixels;
  int width = 0, height = 0;
  bool tracking = false;  // the button was pressed on OK and is still down
  bool pressedLook = false;
  Atom protocols = None, deleteWindow = None;
};
