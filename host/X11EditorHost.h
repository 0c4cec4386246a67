// The editor side of a Linux VST 2 host, for tests and for trying the editor
// without a DAW: a top-level X11 window of the size effEditGetRect gives, the
// plug-in's editor opened inside it through effEditOpen, and idle calls
// (effEditIdle) at 60 Hz while the caller waits. One thread; the plug-in
// instance belongs to the VstHost given, which must outlive this object.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "host/VstHost.h"

struct _XDisplay;

class X11EditorHost {
 public:
  explicit X11EditorHost(VstHost& host) : host(host) {}
  ~X11EditorHost();
  X11EditorHost(const X11EditorHost&) = delete;
  X11EditorHost& operator=(const X11EditorHost&) = delete;

  // Opens the default display, maps the top-level window at (0, 0) and opens
  // the editor in it.
  bool Open(const std::string& title, std::string* error);
  // effEditClose, then the top-level window goes.
  void Close();
  // Closes the editor and opens it again in the same window.
  bool Reopen(std::string* error);
  // Destroys the top-level window while the editor is still open, as a host
  // tearing down its window first.
  void DestroyWindowFirst();
  // Calls effEditIdle every 1000 / 60 ms for that long (at least once).
  void Idle(int milliseconds);
  // Idles until the window was closed from the desktop.
  void RunUntilClosed();

  // The editor's child window, 0 when there is none.
  unsigned long EditorWindow() const;
  unsigned long TopWindow() const { return top; }
  int Width() const { return width; }
  int Height() const { return height; }
  // The editor window's pixels as the server shows them, 0xFFRRGGBB row after
  // row; empty when it cannot be read.
  std::vector<std::uint32_t> Screenshot() const;

 private:
  void HandleOwnEvents();

  VstHost& host;
  _XDisplay* display = nullptr;
  unsigned long top = 0;
  unsigned long deleteAtom = 0;
  int width = 0, height = 0;
  bool editorOpen = false;
  bool closedByUser = false;
};
