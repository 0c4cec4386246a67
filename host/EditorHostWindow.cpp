#include "host/EditorHostWindow.h"

#include <chrono>

bool EditorHostWindow::Open(const std::string& title, std::string* error) {
  Close();
  ERect* rect = nullptr;
  if (host.Dispatch(effEditGetRect, 0, 0, &rect) == 0 || rect == nullptr) {
    *error = "the plug-in has no editor";
    return false;
  }
  width = rect->right - rect->left;
  height = rect->bottom - rect->top;
  closedByUser = false;
  if (!ShowTop(title, error)) return false;
  // Hosts open the editor once their window is on screen.
  editorOpen = host.Dispatch(effEditOpen, 0, 0, ParentHandle()) != 0;
  if (!editorOpen) {
    *error = "effEditOpen failed";
    Close();
    return false;
  }
  return true;
}

bool EditorHostWindow::Reopen(std::string* error) {
  if (ParentHandle() == nullptr) {
    *error = "no window is open";
    return false;
  }
  if (editorOpen) host.Dispatch(effEditClose);
  editorOpen = host.Dispatch(effEditOpen, 0, 0, ParentHandle()) != 0;
  if (!editorOpen) *error = "effEditOpen failed";
  return editorOpen;
}

void EditorHostWindow::Close() {
  if (editorOpen) host.Dispatch(effEditClose);
  editorOpen = false;
  DestroyTop();
}

void EditorHostWindow::Idle(int milliseconds) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
  do {
    HandleEvents();
    host.Dispatch(effEditIdle);
    WaitForEvents(1000 / 60);
  } while (std::chrono::steady_clock::now() < end);
  HandleEvents();
}

void EditorHostWindow::RunUntilClosed() {
  while (ParentHandle() != nullptr && !closedByUser) Idle(100);
}
