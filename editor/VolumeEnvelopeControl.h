// Four draggable handles over the main waveform that shape the playback volume
// across the clip. Each release flips the parameter's value, which pushes it to
// the plug-in; the effect then copies the four points (read through Points())
// into its volume contour. GUI thread only; the handles live as long as the
// editor, so closing and reopening the window keeps the shape.
#pragma once

#include <cstdint>

#include "gui/IWidget.h"

class VolumeEnvelopeControl : public IWidget {
 public:
  // Handles in envelope order, E1 .. E4 from left to right.
  enum Handle : std::int32_t { kE1 = 0, kE2 = 1, kE3 = 2, kE4 = 3 };
  // What a press picked: nothing, or a handle.
  enum Drag : std::int32_t { kNone = 0, kDragE3 = 1, kDragE2 = 2, kDragE1 = 3, kDragE4 = 4 };

  VolumeEnvelopeControl(IEffectForEditor* plug, const PixelRect& rect, int paramIndex,
                        const FrameBitmap& marker, BlendSpec blend = {0, 1.0f});

  void MouseDown(int x, int y, const MouseMods& mods) override;
  void MouseUp(int x, int y, const MouseMods& mods) override;
  void MouseDrag(int x, int y, int dX, int dY, const MouseMods& mods) override;
  bool Draw(ICanvas& canvas) override;

  // The four points as x, y pairs in the stored order E2, E3, E1, E4.
  const double* Points() const { return points; }
  // Places the handles at points given in the stored order (a restored state).
  // The points are kept as given, pinned into 0..1; each handle goes to the
  // nearest pixel. Nothing is sent to the plug-in.
  void SetPoints(const double* storedOrder);
  const PixelRect& HandleRect(Handle h) const { return handles[h]; }
  const PixelRect& Inner() const { return inner; }
  std::int32_t Dragged() const { return dragged; }

 private:
  // The point of a handle from its rectangle.
  void UpdatePoint(Handle h);

  double points[8];
  FrameBitmap marker;
  PixelRect inner;
  PixelRect handles[4];
  std::int32_t dragged = kNone;
};
