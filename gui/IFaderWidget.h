// A slider: a handle image that travels along a track drawn in the background.
// A left press or any drag puts the handle's centre under the mouse; a right
// press opens value entry. GUI thread.
#pragma once

#include "gui/IWidget.h"

class IFaderWidget : public IWidget {
 public:
  enum Direction : int { kVertical = 0, kHorizontal = 1 };

  IFaderWidget(IEffectForEditor* plug, int x, int y, int length, int paramIndex,
               const FrameBitmap& handle, int direction = kHorizontal, BlendSpec blend = {});

  void MouseDown(int x, int y, const MouseMods& mods) override;
  void MouseDrag(int x, int y, int dX, int dY, const MouseMods& mods) override;
  bool Draw(ICanvas& graphics) override;

  // Where the handle's image goes for the current value.
  PixelRect HandleRect() const;

 private:
  void SnapTo(int x, int y);

  int travelLength;
  int handleSize;  // along the travel
  FrameBitmap handle;
  int direction;
};
