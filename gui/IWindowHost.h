// What puts a canvas on the screen: the editor window inside the host's
// window, the copy of finished drawing to it, and the modal prompts controls
// ask for. A window host implements it for its canvas (the headless one, which
// has no window, answers "nothing chosen") and registers itself with that
// canvas; the canvas and its controls call it on the GUI thread only.
#pragma once

#include <string>

#include "raster/PixelTypes.h"

class IEffectParam;
class IWidget;

class IWindowHost {
 public:
  virtual ~IWindowHost() = default;

  // Opens the editor window inside the host's parent window; none on failure.
  virtual void* OpenWindow(void* parent) = 0;
  virtual void CloseWindow() = 0;
  // Handles the window's pending events and runs the timer tick when due;
  // returns at once when there is nothing to do.
  virtual void Pump() = 0;
  // Copies a finished rectangle of the draw bitmap to the same place on screen.
  virtual bool PresentRect(const PixelRect& rect) = 0;
  // Value entry for a control: a popup menu when the control offers one for its
  // parameter, otherwise a text field; text mode edits the control's own text.
  virtual void PromptUserInput(IWidget* control, IEffectParam* param, bool textMode) = 0;
  // The file dialog, run modally; the path is empty when nothing was chosen.
  virtual void PromptForFile(std::string* path, int action, const std::string& directory) = 0;
};
