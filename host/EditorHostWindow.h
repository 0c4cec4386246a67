// The editor side of a VST 2 host, for tests and for trying the editor without
// a DAW: a top-level window of the platform whose inside has the size
// effEditGetRect gives, the plug-in's editor opened in it through
// effEditOpen, and idle calls (effEditIdle) at 60 Hz while the caller waits,
// with the window's own events handled between them. The X11 and Win32 forms
// derive from it and make the window. One thread, which owns the windows; the
// plug-in instance belongs to the VstHost given, which must outlive this
// object. A derived class closes in its own destructor.
#pragma once

#include <string>

#include "host/VstHost.h"

class EditorHostWindow {
 public:
  explicit EditorHostWindow(VstHost& host) : host(host) {}
  virtual ~EditorHostWindow() = default;
  EditorHostWindow(const EditorHostWindow&) = delete;
  EditorHostWindow& operator=(const EditorHostWindow&) = delete;

  // Shows the top-level window at (0, 0) and opens the editor in it.
  bool Open(const std::string& title, std::string* error);
  // effEditClose, then the top-level window goes.
  void Close();
  // Closes the editor and opens it again in the same window.
  bool Reopen(std::string* error);
  // Calls effEditIdle every 1000 / 60 ms for that long (at least once).
  void Idle(int milliseconds);
  // Idles until the window was closed from the desktop.
  void RunUntilClosed();

  int Width() const { return width; }
  int Height() const { return height; }

 protected:
  // Makes and shows the top-level window, Width() x Height() inside; false,
  // with the reason, when it cannot.
  virtual bool ShowTop(const std::string& title, std::string* error) = 0;
  virtual void DestroyTop() = 0;
  // What effEditOpen gets as the parent; null without a window.
  virtual void* ParentHandle() const = 0;
  // Handles the window's pending events, then waits for more at most that long.
  virtual void HandleEvents() = 0;
  virtual void WaitForEvents(int milliseconds) = 0;

  VstHost& host;
  int width = 0, height = 0;
  bool closedByUser = false;

 private:
  bool editorOpen = false;
};
