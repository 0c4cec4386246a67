#include "editor/VolumeEnvelopeControl.h"

#include <algorithm>
#include <cmath>

#include "gui/ICanvas.h"

namespace {

using Env = VolumeEnvelopeControl;

// Where each handle's point lies in the stored order E2, E3, E1, E4.
constexpr int kStoredSlot[4] = {2, 0, 1, 3};
// The drag code of each handle, and the handle of each drag code (kNone, 0,
// is never looked up).
constexpr std::int32_t kDragOf[4] = {Env::kDragE1, Env::kDragE2, Env::kDragE3, Env::kDragE4};
constexpr Env::Handle kHandleOf[5] = {Env::kE1, Env::kE3, Env::kE2, Env::kE1, Env::kE4};
// Where handles overlap, a press takes the first of these that contains it.
constexpr Env::Handle kHitOrder[4] = {Env::kE2, Env::kE3, Env::kE4, Env::kE1};
// Markers are drawn in this order, so E2 ends up on top.
constexpr Env::Handle kDrawOrder[4] = {Env::kE1, Env::kE4, Env::kE3, Env::kE2};

// A restored point outside 0..1 (or NaN) is taken at the nearest edge.
double ClampUnit(double v) { return v > 0.0 ? (v < 1.0 ? v : 1.0) : 0.0; }

}  // namespace

VolumeEnvelopeControl::VolumeEnvelopeControl(IEffectForEditor* plug, const PixelRect& rect,
                                             int paramIndex, const FrameBitmap& markerImage,
                                             BlendSpec blend)
    : IWidget(plug, rect, paramIndex, blend), marker(markerImage) {
  const int mw = marker.W, mh = marker.FrameHeight();
  inner = PixelRect(rect.L + mw / 2, rect.T + mh / 2, rect.R - mw / 2, rect.B - mh / 2);
  // Full volume across the clip: E1 and E4 in the bottom corners, E2 and E3 in the top ones.
  handles[kE1] = PixelRect(rect.L, rect.B - mh, rect.L + mw, rect.B);
  handles[kE2] = PixelRect(rect.L, rect.T, rect.L + mw, rect.T + mh);
  handles[kE3] = PixelRect(rect.R - mw, rect.T, rect.R, rect.T + mh);
  handles[kE4] = PixelRect(rect.R - mw, rect.B - mh, rect.R, rect.B);
  for (Handle h : {kE1, kE2, kE3, kE4}) UpdatePoint(h);
}

void VolumeEnvelopeControl::UpdatePoint(Handle h) {
  // The marker is square: its width centres it both ways.
  const int half = marker.W / 2;
  double* point = points + 2 * kStoredSlot[h];
  point[0] = static_cast<double>(handles[h].L + half - inner.L) / inner.W();
  point[1] = static_cast<double>(inner.B - handles[h].T - half) / inner.H();
}

void VolumeEnvelopeControl::SetPoints(const double* storedOrder) {
  const int half = marker.W / 2;
  for (Handle h : {kE1, kE2, kE3, kE4}) {
    const int slot = 2 * kStoredSlot[h];
    const double x = ClampUnit(storedOrder[slot]), y = ClampUnit(storedOrder[slot + 1]);
    // The point stays as given; its handle goes to the nearest pixel.
    points[slot] = x;
    points[slot + 1] = y;
    const int left = static_cast<int>(std::floor(inner.L + x * inner.W() - half + 0.5));
    const int top = static_cast<int>(std::floor(inner.B - y * inner.H() - half + 0.5));
    handles[h] = PixelRect(left, top, left + marker.W, top + marker.FrameHeight());
  }
  MarkDirty(false);
}

void VolumeEnvelopeControl::MouseDown(int x, int y, const MouseMods&) {
  dragged = kNone;
  for (Handle h : kHitOrder) {
    if (handles[h].Contains(x, y)) {
      dragged = kDragOf[h];
      return;
    }
  }
}

void VolumeEnvelopeControl::MouseDrag(int x, int y, int, int, const MouseMods&) {
  if (dragged == kNone) return;
  const Handle h = kHandleOf[dragged];
  const int mw = marker.W, mh = marker.FrameHeight();
  // The handle's centre follows the mouse inside the rectangle, and a handle
  // never passes its neighbours.
  int left = std::min(std::max(x - mw / 2, drawRect.L), drawRect.R - mw);
  if (h != kE1) left = std::max(left, handles[h - 1].L);
  if (h != kE4) left = std::min(left, handles[h + 1].L);
  const int top = std::min(std::max(y - mh / 2, drawRect.T), drawRect.B - mh);
  handles[h] = PixelRect(left, top, left + mw, top + mh);
  UpdatePoint(h);
  MarkDirty(false);
}

void VolumeEnvelopeControl::MouseUp(int, int, const MouseMods&) {
  dragged = kNone;
  // Flipping the value pushes the parameter on every release, so the plug-in
  // rereads the points even when no handle moved.
  SetValueFromUserInput(1.0 - value);
}

bool VolumeEnvelopeControl::Draw(ICanvas& canvas) {
  const BlendSpec plain;
  const int half = marker.W / 2;
  auto centreX = [&](Handle h) { return static_cast<float>(handles[h].L + half); };
  auto centreY = [&](Handle h) {
    return static_cast<float>(handles[h].T + marker.FrameHeight() / 2);
  };
  // The outer lines start from the bottom corners of the inner area.
  const float baseY = static_cast<float>(drawRect.B - half);

  canvas.DrawLine(colors::kGray, drawRect.L + half, baseY, centreX(kE1), centreY(kE1), plain,
                  false);
  for (Handle h : {kE1, kE2, kE3})
    canvas.DrawLine(colors::kGray, centreX(h), centreY(h), centreX(static_cast<Handle>(h + 1)),
                    centreY(static_cast<Handle>(h + 1)), plain, false);
  canvas.DrawLine(colors::kGray, drawRect.R - half, baseY, centreX(kE4), centreY(kE4), plain,
                  false);

  bool drawn = true;
  for (Handle h : kDrawOrder) drawn = canvas.DrawBitmap(marker, handles[h], 1, blend) && drawn;
  return drawn;
}
