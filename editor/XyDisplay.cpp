#include "editor/XyDisplay.h"

#include "gui/ICanvas.h"

namespace {

// Values outside 0..1 (and NaN) pin the marker to the pad's edges.
double ClampUnit(double v) { return v > 0.0 ? (v < 1.0 ? v : 1.0) : 0.0; }

}  // namespace

XyDisplay::XyDisplay(IEffectForEditor* plug, const PixelRect& rect, const FrameBitmap& padImage,
                     const FrameBitmap& markerImage, BlendSpec blend)
    : IWidget(plug, rect, -1, blend), pad(padImage), marker(markerImage) {}

bool XyDisplay::Draw(ICanvas& canvas) {
  if (drawPad) canvas.DrawBitmap(pad, drawRect, 1, BlendSpec());
  const int left = static_cast<int>(drawRect.L + drawRect.W() * ClampUnit(xValue));
  const int bottom = static_cast<int>(drawRect.B - drawRect.H() * ClampUnit(yValue));
  return canvas.DrawBitmap(
      marker, PixelRect(left, bottom - marker.FrameHeight(), left + marker.W, bottom), 1, blend);
}
