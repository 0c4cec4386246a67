// The base of every editor control: a draw rectangle, a mouse (target)
// rectangle, an optional parameter with a normalised value, and the dirty,
// hidden and grayed state the canvas draws by. The canvas owns its controls,
// calls them on the GUI thread and hands them its window host for prompts;
// they reach the plug-in through IEffectForEditor. Host entries reach
// SetValueFromHost and MarkDirty(false) through the canvas's
// SetParameterFromPlug, under the plug-in lock on the host's thread; they write
// plain fields without a lock.
#pragma once

#include <memory>

#include "gui/GraphicsTypes.h"
#include "gui/IMenuModel.h"
#include "gui/ISubject.h"

class ICanvas;
class IEffectForEditor;
class IWindowHost;

class IWidget : public ISubject {
 public:
  IWidget(IEffectForEditor* plug, const PixelRect& rect, int paramIndex = -1, BlendSpec blend = {});
  ~IWidget() override = default;

  virtual void MouseDown(int x, int y, const MouseMods& mods);
  virtual void MouseUp(int x, int y, const MouseMods& mods);
  virtual void MouseDrag(int x, int y, int dX, int dY, const MouseMods& mods);
  virtual void MouseDoubleClick(int x, int y, const MouseMods& mods);
  virtual void MouseWheel(int x, int y, const MouseMods& mods, int notches);
  virtual void KeyDown(int x, int y, int key);
  virtual void MouseOver(int x, int y, const MouseMods& mods);
  virtual void MouseOut();
  virtual bool Draw(ICanvas& graphics) = 0;
  // The first value ever seen becomes the default; later equal values do nothing.
  virtual void SetValueFromHost(double v);
  virtual void Hide(bool hide);
  virtual void GrayOut(bool gray);
  virtual bool HitTest(int x, int y);
  // Clamps the value; with push, hands it to the plug-in as a user change.
  virtual void MarkDirty(bool push);
  virtual void MarkClean();
  virtual bool IsDirty();
  virtual void ResetToDefault();
  // A menu of the parameter's display texts in the order they were set
  // (enumerations, and booleans that have texts); none otherwise.
  virtual std::unique_ptr<IMenuModel> MakeParamMenu();
  virtual void FreeParamMenu(std::unique_ptr<IMenuModel> menu);
  virtual void SetValueFromMenuItem(const IMenuModel& menu, int item);
  virtual void Idle() {}

  // Opens value entry for the parameter through the window host, unless disabled.
  void PromptUserInput();
  void SetValueFromUserInput(double v);

  // The canvas hands its window host to each control it holds.
  void SetWindowHost(IWindowHost* host) { windowHost = host; }
  void SetTargetRect(const PixelRect& rect) { targetRect = rect; }
  void SetClamp(double low, double high) {
    clampLow = low;
    clampHigh = high;
  }
  void DisablePrompt(bool disable) { promptDisabled = disable; }
  void SetDoubleClickAsSingle(bool single) { doubleClickAsSingle = single; }

  IEffectForEditor* Plug() const { return plug; }
  const PixelRect& DrawRect() const { return drawRect; }
  const PixelRect& TargetRect() const { return targetRect; }
  int ParamIndex() const { return paramIndex; }
  double Value() const { return value; }
  double DefaultValue() const { return defaultValue; }
  bool IsHidden() const { return hidden; }
  bool IsGrayed() const { return grayed; }
  bool DoubleClickAsSingle() const { return doubleClickAsSingle; }
  const BlendSpec& Blend() const { return blend; }

  static constexpr float kGrayedWeight = 0.25f;
  static constexpr int kMenuColumnItems = 24;

 protected:
  IWindowHost* windowHost = nullptr;  // for prompts; none without a window host
  IEffectForEditor* plug;
  PixelRect drawRect;
  PixelRect targetRect;
  int paramIndex;
  double value = 0.0;
  double defaultValue = -1.0;
  double clampLow = 0.0;
  double clampHigh = 1.0;
  bool dirty = true;
  bool hidden = false;
  bool grayed = false;
  bool redrawPending = false;
  bool promptDisabled = false;
  bool doubleClickAsSingle = false;
  BlendSpec blend;
};
