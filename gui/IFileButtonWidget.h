// A button that runs the file dialog on any press and remembers the chosen
// path, then flips its parameter so the plug-in learns a choice was made (a
// cancelled dialog leaves the path empty). The dialog runs modally on the GUI
// thread; the effect reads LastChosenPath under its lock in the parameter's
// handler. Owns its path and directory texts.
#pragma once

#include <string>

#include "gui/IWidget.h"

class IFileButtonWidget : public IWidget {
 public:
  enum Action : int { kOpen = 0, kSave = 1 };
  enum State : int { kIdle = 0, kSelecting = 1, kDone = 2 };

  IFileButtonWidget(IEffectForEditor* plug, const PixelRect& rect, int paramIndex,
                    const FrameBitmap& image, int action = kOpen);

  void MouseDown(int x, int y, const MouseMods& mods) override;
  bool Draw(ICanvas& graphics) override;
  // Dirty, or once more after a choice was made.
  bool IsDirty() override;

  void LastChosenPath(std::string* path) const { *path = chosenPath; }
  int CurrentState() const { return state; }

 protected:
  // Runs after each dialog, before the parameter changes, with the path
  // chosen (empty when the dialog was cancelled): an owner that must have the
  // path in hand when the change arrives takes it here.
  virtual void Chosen(const std::string& /*path*/) {}

 private:
  FrameBitmap image;
  std::string chosenPath;
  std::string directory;
  int action;
  int state = kIdle;
};
