// The editor side of a Windows VST 2 host, for tests and for trying the editor
// under Wine or Windows: the top-level window is a Win32 window of this
// program whose client area has the editor's size, and the thread's messages
// are dispatched between idle calls.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "host/EditorHostWindow.h"

class WinEditorHost : public EditorHostWindow {
 public:
  using EditorHostWindow::EditorHostWindow;
  ~WinEditorHost() override;

  // Destroys the top-level window while the editor is still open, as a host
  // tearing down its window first.
  void DestroyWindowFirst();

  // The top-level window and the editor's window inside it (HWNDs; null when
  // there is none).
  void* TopWindow() const { return top; }
  void* EditorWindow() const;
  // The editor window's pixels as the screen shows them, 0xFFRRGGBB row after
  // row; empty when they cannot be read.
  std::vector<std::uint32_t> Screenshot() const;

 protected:
  bool ShowTop(const std::string& title, std::string* error) override;
  void DestroyTop() override;
  void* ParentHandle() const override { return top; }
  void HandleEvents() override;
  void WaitForEvents(int milliseconds) override;

 private:
  void* top = nullptr;
};
