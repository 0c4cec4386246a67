// The editor's graphics context: it owns the ordered control list (index 0 is
// the background, later controls lie in front), dispatches mouse and key
// events to them, collects what must be redrawn and offers drawing operations.
// The drawing layer (ICanvasRaster) implements the drawing operations on a
// bitmap; a window host (or the headless canvas) presents the result and
// provides dialogs and text entry. All of it runs on the GUI thread; the
// plug-in base owns the canvas and calls the IEffectEditor operations under
// the plug-in lock.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "core/IEffectEditor.h"
#include "gui/GraphicsTypes.h"
#include "gui/IMenuModel.h"

class IEffectForEditor;
class IEffectParam;
class IWidget;

class ICanvas : public IEffectEditor {
 public:
  ICanvas(IEffectForEditor* plug, int width, int height, int framesPerSecond = 24);
  // Controls go from the last to the first.
  ~ICanvas() override;

  // Drawing, presentation and platform services.
  void PrepareDraw() override = 0;
  virtual bool PresentRect(const PixelRect& rect) = 0;
  virtual bool DrawBitmap(const FrameBitmap& bitmap, const PixelRect& dest, int srcX, int srcY,
                          const BlendSpec& blend) = 0;
  virtual bool DrawRotatedBitmap(const FrameBitmap& bitmap, int centreX, int centreY, double angle,
                                 int yOffset, const BlendSpec& blend) = 0;
  virtual bool DrawRotatedMask(const FrameBitmap& base, const FrameBitmap& mask,
                               const FrameBitmap& top, int x, int y, double angleDegrees,
                               const BlendSpec& blend) = 0;
  virtual bool DrawPoint(const ArgbColor& color, float x, float y, const BlendSpec& blend,
                         bool antialias) = 0;
  // Unchecked: callers pass coordinates inside the bitmap.
  virtual bool ForcePixel(const ArgbColor& color, int x, int y) = 0;
  virtual bool DrawLine(const ArgbColor& color, float x1, float y1, float x2, float y2,
                        const BlendSpec& blend, bool antialias) = 0;
  virtual bool DrawArc(const ArgbColor& color, float cx, float cy, float r, float minAngle,
                       float maxAngle, const BlendSpec& blend, bool antialias) = 0;
  virtual bool DrawCircle(const ArgbColor& color, float cx, float cy, float r,
                          const BlendSpec& blend, bool antialias) = 0;
  virtual bool FillRect(const ArgbColor& color, const PixelRect& rect, const BlendSpec& blend) = 0;
  virtual bool DrawText(const TextStyle& style, const char* text, const PixelRect& rect) = 0;
  virtual ArgbColor GetPixel(int x, int y) = 0;
  virtual std::uint32_t* GetPixelData() = 0;
  virtual bool FillTriangle(int x1, int y1, int x2, int y2, int x3, int y3, const ArgbColor& color,
                            const BlendSpec& blend) = 0;
  virtual bool BuildNativeMenu(void* nativeMenu, int* runningId, const IMenuModel& menu) = 0;
  virtual void Resize(int w, int h);
  virtual bool IsWindowOpen() { return GetWindowHandle() != nullptr; }
  virtual void PromptUserInput(IWidget* control, IEffectParam* param, bool textMode) = 0;
  virtual void HostDirectory(std::string* path) = 0;
  virtual void PluginDirectory(std::string* path) = 0;
  virtual void PromptForFile(std::string* path, int action, const std::string& directory) = 0;
  virtual bool PromptForColor(ArgbColor* color, const char* prompt) = 0;
  virtual bool OpenUrl(const char* url, const char* title, const char* confirm,
                       const char* failure) = 0;
  virtual void* OpenWindow(void* parent) = 0;
  virtual void CloseWindow() = 0;
  virtual void* GetWindowHandle() = 0;
  virtual FrameBitmap LoadBitmap(int id, const char* name, int frames = 1) = 0;
  virtual FrameBitmap ScaleBitmap(const FrameBitmap& bitmap, int w, int h) = 0;
  virtual FrameBitmap CropBitmap(const FrameBitmap& bitmap, const PixelRect& rect) = 0;
  virtual void AttachBackground(int id, const char* name);
  virtual bool DrawVerticalLine(const ArgbColor& color, int x, int yLo, int yHi);
  virtual bool DrawHorizontalLine(const ArgbColor& color, int y, int xLo, int xHi);
  virtual void RetainBitmap(PxBitmap* bitmap) = 0;
  virtual void ReleaseBitmap(PxBitmap* bitmap) = 0;
  virtual void PopupParamMenu(IWidget* control, IEffectParam* param, int itemsPerColumn) = 0;
  virtual void SetAcceptFileDrops(bool accept) { acceptDrops = accept; }
  virtual void SetAcceptFileDrops2(bool accept) { acceptDrops2 = accept; }
  virtual void DropFile(const char* path);
  virtual void DropFile2(const char* path);

  // What the plug-in base needs of its editor.
  void SetParameterFromPlug(int index, double value, bool normalized) override;
  int Width() const override { return width; }
  int Height() const override { return height; }
  bool OpenEditor(void* parent) override { return OpenWindow(parent) != nullptr; }
  void CloseEditor() override { CloseWindow(); }

  // Appends and takes ownership; returns the control's index.
  int AttachControl(std::unique_ptr<IWidget> control);
  // Frame f (from 1) of a multi-frame image.
  bool DrawBitmap(const FrameBitmap& bitmap, const PixelRect& dest, int frame,
                  const BlendSpec& blend);
  bool DrawRect(const ArgbColor& color, const PixelRect& rect);
  void SetControlsFromUser(int index, double value);
  void SetAllControlsDirty();
  void MouseOutAll();

  // Entry points for the window host (and tests).
  bool IsDirty(PixelRect* rect);
  bool Draw(const PixelRect& rect);
  void MouseDown(int x, int y, const MouseMods& mods);
  void MouseUp(int x, int y, const MouseMods& mods);
  void MouseDrag(int x, int y, const MouseMods& mods);
  bool MouseDoubleClick(int x, int y, const MouseMods& mods);
  void MouseWheel(int x, int y, const MouseMods& mods, int notches);
  void KeyDown(int x, int y, int key);
  bool MouseOver(int x, int y, const MouseMods& mods);

  int ControlCount() const { return static_cast<int>(controls.size()); }
  IWidget* Control(int i) const { return controls[i].get(); }
  IEffectForEditor* Plug() const { return plug; }
  int FramesPerSecond() const { return framesPerSecond; }
  const PixelRect& DrawClip() const { return drawClip; }
  bool AcceptsFileDrops() const { return acceptDrops; }
  bool AcceptsFileDrops2() const { return acceptDrops2; }
  void SetStrictDrawing(bool strict) { strictDrawing = strict; }
  void SetHandleMouseOver(bool handle) { handleMouseOver = handle; }

 protected:
  // The control under (x, y): the captured one, else the frontmost visible,
  // enabled control whose target contains the point; -1 for none.
  int ControlAt(int x, int y);

  IEffectForEditor* plug;
  int width, height;
  PixelRect drawClip;  // where bitmap drawing may land during a draw

 private:
  void Capture(int index, int x, int y, const MouseMods& mods);

  std::vector<std::unique_ptr<IWidget>> controls;
  int framesPerSecond;
  int captured = -1;
  int lastX = 0, lastY = 0;
  int mouseOverIndex = -1;
  bool handleMouseOver = false;
  bool strictDrawing = true;
  bool rightAtPress = false;
  bool acceptDrops = false;
  bool acceptDrops2 = false;
};
