#include "editor/WaveformDisplay.h"

#include <cmath>

#include "gui/ICanvas.h"

WaveformDisplay::WaveformDisplay(IEffectForEditor* plug, const PixelRect& rect, BlendSpec blend)
    : IWidget(plug, rect, -1, blend), values(rect.W() > 0 ? rect.W() : 0, 0.0) {}

bool WaveformDisplay::Draw(ICanvas& canvas) {
  const BlendSpec plain;
  const int x0 = drawRect.L, top = drawRect.T, bottom = drawRect.B;
  const int height = bottom - top;
  const int count = ColumnCount();

  canvas.FillRect(backgroundColor, drawRect, plain);
  if (bandOn && bandEnd > bandStart)
    canvas.FillRect(bandColor, PixelRect(x0 + bandStart, top, x0 + bandEnd, bottom), plain);
  canvas.DrawRect(grayed ? colors::kGray : frameColor, drawRect);

  const ArgbColor& wave = grayed ? colors::kGray : waveformColor;
  const int mid = top + height / 2;
  for (int i = 0; i < count; ++i) {
    const int x = x0 + i;
    // Beyond +-1 (or not a number at all) draws full height.
    double v = std::fabs(values[i]);
    if (!(v < 1.0)) v = 1.0;
    const int h = static_cast<int>(v * height);
    if (mode == kCentred) {
      // Silence still shows as a thin line through the middle.
      const int shown = h < 3 ? 2 : h;
      const int y = mid - shown / 2;
      canvas.FillRect(wave, PixelRect(x, y, x + 1, y + shown), plain);
    } else if (h > 0) {
      canvas.FillRect(wave, PixelRect(x, bottom - h, x + 1, bottom), plain);
    }
  }

  if (cursorVisible && cursorColumn >= 0 && cursorColumn < count)
    canvas.FillRect(cursorColor, PixelRect(x0 + cursorColumn, top, x0 + cursorColumn + 1, bottom),
                    plain);
  return true;
}
