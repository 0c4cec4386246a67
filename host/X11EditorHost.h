// The editor side of a Linux VST 2 host: the top-level window is an X11 window
// on the default display, and the editor's child window lies inside it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "host/EditorHostWindow.h"

struct _XDisplay;

class X11EditorHost : public EditorHostWindow {
 public:
  using EditorHostWindow::EditorHostWindow;
  ~X11EditorHost() override;

  // Destroys the top-level window while the editor is still open, as a host
  // tearing down its window first.
  void DestroyWindowFirst();

  // The editor's child window, 0 when there is none.
  unsigned long EditorWindow() const;
  unsigned long TopWindow() const { return top; }
  // The editor window's pixels as the server shows them, 0xFFRRGGBB row after
  // row; empty when it cannot be read.
  std::vector<std::uint32_t> Screenshot() const;

 protected:
  bool ShowTop(const std::string& title, std::string* error) override;
  void DestroyTop() override;
  void* ParentHandle() const override;
  void HandleEvents() override;
  void WaitForEvents(int milliseconds) override;

 private:
  _XDisplay* display = nullptr;
  unsigned long top = 0;
  unsigned long deleteAtom = 0;
};
