// The editor side of a Windows VST 2 host, for tests and for trying the editor
// under Wine or Windows without a DAW: a top-level window whose client area
// has the size effEditGetRect gives, the plug-in's editor opened inside it
// through effEditOpen, and the thread's messages dispatched with idle calls
// (effEditIdle) at 60 Hz while the caller waits. One thread, which owns the
// windows; the plug-in instance belongs to the VstHost given, which must
// outlive this object.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "host/VstHost.h"

class WinEditorHost {
 public:
  explicit WinEditorHost(VstHost& host) : host(host) {}
  ~WinEditorHost();
  WinEditorHost(const WinEditorHost&) = delete;
  WinEditorHost& operator=(const WinEditorHost&) = delete;

  // Shows the top-level window at (0, 0) and opens the editor in it.
  bool Open(const std::string& title, std::string* error);
  // effEditClose, then the top-level window goes.
  void Close();
  // Closes the editor and opens it again in the same window.
  bool Reopen(std::string* error);
  // Destroys the top-level window while the editor is still open, as a host
  // tearing down its window first.
  void DestroyWindowFirst();
  // Dispatches the thread's messages and calls effEditIdle every 1000 / 60 ms
  // for that long (at least once).
  void Idle(int milliseconds);
  // Idles until the window was closed from the desktop.
  void RunUntilClosed();

  // The top-level window and the editor's window inside it (HWNDs; null when
  // there is none).
  void* TopWindow() const { return top; }
  void* EditorWindow() const;
  int Width() const { return width; }
  int Height() const { return height; }
  // The editor window's pixels as the screen shows them, 0xFFRRGGBB row after
  // row; empty when they cannot be read.
  std::vector<std::uint32_t> Screenshot() const;

 private:
  VstHost& host;
  void* top = nullptr;
  int width = 0, height = 0;
  bool editorOpen = false;
  bool closedByUser = false;
};
