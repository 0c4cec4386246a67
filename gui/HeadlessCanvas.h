// A canvas without a window, for tests and tools, and its own window host: it
// draws into its bitmap like any other, presents nothing, opens no window,
// answers value entry with nothing and the file dialog with a path it was
// given (none at first), and can write what it drew to a PNG file as a window
// would show it. Its timer ticks only when its user calls Tick. GUI-thread
// rules as for every canvas.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "gui/ICanvasRaster.h"
#include "gui/IWindowHost.h"

class HeadlessCanvas : public ICanvasRaster, public IWindowHost {
 public:
  HeadlessCanvas(IEffectForEditor* plug, int width, int height, int framesPerSecond = 24);

  void* OpenWindow(void* parent) override;
  void CloseWindow() override;
  void Pump() override {}
  bool PresentRect(const PixelRect& rect) override;
  void PromptUserInput(IWidget* control, IEffectParam* param, bool textMode) override;
  void PromptForFile(std::string* path, int action, const std::string& directory) override;

  // The path every later file dialog answers with; empty cancels it.
  void SetFileDialogAnswer(const std::string& path) { fileAnswer = path; }
  // How many file dialogs ran.
  int FileDialogCount() const { return fileDialogs; }
  // Writes the draw bitmap as a window shows it, opaque, to a PNG file.
  bool WritePng(const std::string& path) const;
  // The same picture as PNG bytes, for a caller that writes them itself.
  bool EncodePng(std::vector<unsigned char>* out) const;
  // How many rectangles were presented (a window host would copy them out).
  int PresentedCount() const { return presented; }
  // The draw bitmap's pixels as a window shows them: row after row, alpha 255.
  std::vector<std::uint32_t> ShownPixels() const;

 private:

  std::string fileAnswer;
  int fileDialogs = 0;
  int presented = 0;
};
