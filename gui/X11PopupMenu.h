// A control's popup menu: an override-redirect window at the pointer (kept on
// the screen) that lists the menu's items in rows and columns, grabs the
// pointer and the keyboard while it is open, and ends with an item chosen or
// with nothing. It never blocks: the editor window opens it on the GUI thread,
// passes every event of its display connection through HandleEvent (grabbed
// events all arrive on the menu's window) and, once Finished(), reads Chosen()
// and closes it. Chosen() is the item's index in model order; items with a
// submenu are shown but cannot be chosen (menus here are flat). The menu keeps
// copies of the items, so the model may be freed while it is open. It owns its
// window, grabs, pixels, image and GC; Close (or destruction) must come before
// the display connection closes.
#pragma once

#include <X11/Xlib.h>

#include <cstdint>
#include <vector>

#include "gui/IMenuModel.h"
#include "gui/PopupMenuLayout.h"
#include "gui/TextRenderer.h"
#include "gui/X11Support.h"

class X11PopupMenu {
 public:
  X11PopupMenu() = default;
  ~X11PopupMenu() { Close(); }
  X11PopupMenu(const X11PopupMenu&) = delete;
  X11PopupMenu& operator=(const X11PopupMenu&) = delete;

  // Shows the menu with its top-left corner at the root position (moved to
  // stay on the owner's screen) and grabs the pointer and keyboard. False,
  // with the menu finished and nothing chosen, when the menu has no items or
  // the window or the pointer grab could not be had.
  bool Open(Display* display, Window owner, const IMenuModel& menu, int rootX, int rootY);
  // Takes the menu's events, the grabbed ones included; true when the event
  // was the menu's. A click on a choosable item chooses it; a click outside
  // the menu or Escape ends it with nothing chosen (the click is swallowed);
  // Up, Down, Left, Right, Home and End move the highlight and Return or
  // space chooses the highlighted item. Releasing the button that opened the
  // menu over an item chooses it only after a drag away from where it opened.
  bool HandleEvent(const XEvent& event);
  bool IsOpen() const { return window != None; }
  bool Finished() const { return finished; }
  // The chosen item's index, -1 for none (or while still open).
  int Chosen() const { return chosen; }
  // Takes the menu down (nothing chosen if it was still open) and forgets the
  // outcome.
  void Close();

  int Highlighted() const { return highlighted; }
  const PopupMenuLayout& Layout() const { return layout; }
  // Where the menu is on the root window.
  const PixelRect& Placement() const { return placement; }
  Window WindowId() const { return window; }

  static constexpr int kFontSize = 14;

 private:
  void Finish(int item);
  void Highlight(int item);
  void HandleKey(const XKeyEvent& key);
  void TakeDown();
  void Paint();
  void Present();

  Display* display = nullptr;
  Window window = None;
  GC gc = nullptr;
  X11Image image;
  bool pointerGrabbed = false, keyboardGrabbed = false;
  PopupMenuLayout layout;
  PixelRect placement;
  std::vector<std::uint32_t> pixels;
  TextRenderer text;
  int highlighted = -1;
  int chosen = -1;
  bool finished = false;
  bool pressedInside = false;  // a press began on the menu: its release may choose
  bool cancelOnRelease = false;
  bool draggedAway = false;  // the pointer left the opening point with a button held
  int openX = 0, openY = 0;
};
