// A canvas without a window, for tests and tools: it draws into its bitmap like
// any other, presents nothing, answers every window operation as "no window"
// (empty paths, false, none) and can write what it drew to a PNG file. Text is
// drawn with FreeType; a missing font is reported once on stderr and text is
// then skipped. GUI-thread rules as for every canvas.
#pragma once

#include <string>

#include "gui/ICanvasRaster.h"
#include "gui/TextRenderer.h"

class HeadlessCanvas : public ICanvasRaster {
 public:
  HeadlessCanvas(IEffectForEditor* plug, int width, int height, int framesPerSecond = 24);

  bool PresentRect(const PixelRect& rect) override;
  bool DrawText(const TextStyle& style, const char* text, const PixelRect& rect) override;
  bool BuildNativeMenu(void* nativeMenu, int* runningId, const IMenuModel& menu) override;
  void PromptUserInput(IWidget* control, IEffectParam* param, bool textMode) override;
  void HostDirectory(std::string* path) override;
  void PluginDirectory(std::string* path) override;
  void PromptForFile(std::string* path, int action, const std::string& directory) override;
  bool PromptForColor(ArgbColor* color, const char* prompt) override;
  bool OpenUrl(const char* url, const char* title, const char* confirm,
               const char* failure) override;
  void* OpenWindow(void* parent) override;
  void CloseWindow() override;
  void* GetWindowHandle() override;
  void PopupParamMenu(IWidget* control, IEffectParam* param, int itemsPerColumn) override;

  // Writes the draw bitmap as a PNG file.
  bool WritePng(const std::string& path) const;
  // How many rectangles were presented (a window host would copy them out).
  int PresentedCount() const { return presented; }
  // The first font failure, or empty.
  const std::string& FontError() const { return text.FontError(); }

 private:
  TextRenderer text;
  int presented = 0;
  bool fontErrorReported = false;
};
