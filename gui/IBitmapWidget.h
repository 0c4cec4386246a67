// A control drawn as one frame of a multi-frame image, chosen by its value
// (the background is one too). GUI thread; the image belongs to the image cache.
#pragma once

#include "gui/IWidget.h"

class IBitmapWidget : public IWidget {
 public:
  IBitmapWidget(IEffectForEditor* plug, const PixelRect& rect, int paramIndex,
                const FrameBitmap& image, BlendSpec blend = {});
  // At (x, y) with the size of one frame.
  IBitmapWidget(IEffectForEditor* plug, int x, int y, int paramIndex, const FrameBitmap& image,
                BlendSpec blend = {});

  bool Draw(ICanvas& graphics) override;
  // Frame 1 below two frames, else the nearest frame to the value.
  int Frame() const;
  const FrameBitmap& Image() const { return image; }

 protected:
  FrameBitmap image;
};
