// The editor's graphics context: it owns the ordered control list (index 0 is
// the background, later controls lie in front), dispatches mouse and key
// events to them, collects what must be redrawn and offers drawing operations.
// The drawing layer (ICanvasRaster) implements the drawing operations on a
// bitmap; the window host registered with it (IWindowHost) puts the result on
// the screen and runs the prompts. All of it runs on the GUI thread, except
// that the plug-in base, which owns the canvas, calls the IEffectEditor
// operations under the plug-in lock from its host entries.
#pragma once

#include <memory>
#include <vector>

#include "core/IEffectEditor.h"
#include "gui/GraphicsTypes.h"

class IEffectForEditor;
class ITickRefresher;
class IWidget;
class IWindowHost;

class ICanvas : public IEffectEditor {
 public:
  ICanvas(IEffectForEditor* plug, int width, int height, int framesPerSecond = 24);
  // Controls go from the last to the first.
  ~ICanvas() override;

  // Drawing operations.
  void PrepareDraw() override = 0;
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
  // Deletes every control, and the refresher that drives them, and tells the
  // plug-in the new size.
  virtual void Resize(int w, int h);
  virtual FrameBitmap LoadBitmap(int id, const char* name, int frames = 1) = 0;
  virtual FrameBitmap ScaleBitmap(const FrameBitmap& bitmap, int w, int h) = 0;
  virtual FrameBitmap CropBitmap(const FrameBitmap& bitmap, const PixelRect& rect) = 0;
  virtual void AttachBackground(int id, const char* name);
  virtual bool DrawVerticalLine(const ArgbColor& color, int x, int yLo, int yHi);
  virtual bool DrawHorizontalLine(const ArgbColor& color, int y, int xLo, int xHi);
  virtual void RetainBitmap(PxBitmap* bitmap) = 0;
  virtual void ReleaseBitmap(PxBitmap* bitmap) = 0;
  virtual void SetAcceptFileDrops(bool accept) { acceptDrops = accept; }
  virtual void SetAcceptFileDrops2(bool accept) { acceptDrops2 = accept; }
  virtual void DropFile(const char* path);
  virtual void DropFile2(const char* path);

  // What the plug-in base needs of its editor.
  void SetParameterFromPlug(int index, double value, bool normalized) override;
  int Width() const override { return width; }
  int Height() const override { return height; }
  // Through the window host; without one there is no window to open.
  bool OpenEditor(void* parent) override;
  void CloseEditor() override;
  void IdleEditor() override;

  // Appends and takes ownership; returns the control's index.
  int AttachControl(std::unique_ptr<IWidget> control);
  // Frame f (from 1) of a multi-frame image.
  bool DrawBitmap(const FrameBitmap& bitmap, const PixelRect& dest, int frame,
                  const BlendSpec& blend);
  bool DrawRect(const ArgbColor& color, const PixelRect& rect);
  void SetControlsFromUser(int index, double value);
  void SetAllControlsDirty();
  void MouseOutAll();

  // Takes ownership; it runs at the start of every tick.
  void SetTickRefresher(std::unique_ptr<ITickRefresher> refresher);
  // The window host's timer tick: the refresher brings the controls up to
  // date, then the dirty area is drawn and presented. True when it drew.
  bool Tick();

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
  // A window host deriving from a canvas registers itself on construction; the
  // controls get it too.
  void SetWindowHost(IWindowHost* host);

  IEffectForEditor* plug;
  int width, height;
  PixelRect drawClip;  // where bitmaps and text may land during a draw

 private:
  void Capture(int index, int x, int y, const MouseMods& mods);

  std::vector<std::unique_ptr<IWidget>> controls;
  std::unique_ptr<ITickRefresher> tickRefresher;
  IWindowHost* windowHost = nullptr;
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
