// The text field that opens over a control for typing a parameter's value: a
// child window of the editor window, white with a dark border, its text
// centred (scrolled to keep the caret in view when it is too long), the
// selection highlighted and a steady caret. The editor window owns it, opens
// it on a right click, routes its own X events through HandleEvent and, on its
// timer tick, acts on State(): a refresh (2) puts the parameter's text in, a
// commit (4) reads Text() and closes, a cancel (3) closes. All calls come from
// the editor's GUI thread, on the editor's display connection; Close (or
// destruction) must come before that connection closes. It owns its window,
// its pixels, its image and its GC; X errors from a vanished window are
// trapped, so a window destroyed under it does no harm.
#pragma once

#include <X11/Xlib.h>

#include <cstdint>
#include <string>
#include <vector>

#include "gui/TextEditBuffer.h"
#include "gui/TextRenderer.h"
#include "gui/X11Support.h"

class X11ValueEntry {
 public:
  enum State : int { kIdle = 0, kFocused = 1, kRefresh = 2, kCancel = 3, kCommit = 4 };

  X11ValueEntry() = default;
  ~X11ValueEntry() { Close(); }
  X11ValueEntry(const X11ValueEntry&) = delete;
  X11ValueEntry& operator=(const X11ValueEntry&) = delete;

  // Shows the field at rect (in the editor window's coordinates) with text,
  // all of it selected, and gives it the keyboard focus. An open field is
  // closed first. False when the window could not be made. The state starts
  // idle and turns focused when the focus arrives.
  bool Open(Display* display, Window editorWindow, const PixelRect& rect, const std::string& text);
  void Close();
  bool IsOpen() const { return window != None; }

  // Takes the events that belong to the field and tells whether it did:
  // exposure, focus changes, key presses and button presses or drags inside
  // it. Key presses that reach the editor window while the field is open are
  // typed into the field as well (a host may keep the keyboard focus on its
  // own window). Return or Enter requests a commit, Escape a cancel; focus
  // changes move only between idle and focused and never overwrite a request
  // the owner has not acted on yet.
  bool HandleEvent(const XEvent& event);

  int State() const { return state; }
  void SetState(int newState) { state = newState; }
  std::string Text() const { return buffer.Text(); }
  // Replaces the text (repainted at once), optionally all selected.
  void SetText(const std::string& text, bool selectAll);
  const TextEditBuffer& Buffer() const { return buffer; }
  Window WindowId() const { return window; }

  static constexpr int kFontSize = 14;

 private:
  bool HandleKey(const XKeyEvent& key);
  void PlaceCaretAt(int x, bool extend);
  // Pixel offsets of every caret position from the text's start.
  void MeasureText();
  void ScrollToCaret();
  int TextLeft() const;
  void Paint();
  void Present();
  void ReleaseWindow();

  Display* display = nullptr;
  Window editor = None;
  Window window = None;
  GC gc = nullptr;
  X11Image image;
  int width = 0, height = 0;
  std::vector<std::uint32_t> pixels;
  TextRenderer text;
  TextEditBuffer buffer;
  std::vector<int> offsets;  // size Length() + 1
  int scroll = 0;            // pixels of a long text hidden left of the field
  int state = kIdle;
};
