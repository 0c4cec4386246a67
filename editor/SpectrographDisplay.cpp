#include "editor/SpectrographDisplay.h"

#include <algorithm>
#include <cmath>

#include "gui/ICanvas.h"
#include "raster/PxBlit.h"

namespace {

// Brightness runs from black at -96 dB to full at 0 dB.
constexpr double kRangeDb = 96.0;
// Keeps log10 finite for silent bins (-480 dB).
constexpr double kTiny = 1e-24;

// The hue climbs with the row, from red at the bottom through yellow, green,
// cyan and blue to violet at the top, each at half saturation; v (0..255) is
// the brightness.
std::uint32_t PixelAt(int row, int rows, int v) {
  const int d = static_cast<int>(static_cast<double>(row) / rows * 212) * 6;
  const int sector = d / 256;
  const int t = d - 256 * sector;
  const int up = (255 - (255 - t) / 2) * v / 256;
  const int down = (255 - t / 2) * v / 256;
  const int q = v * 127 / 256;
  switch (sector) {
    case 0:
      return ArgbColor(255, v, up, q).Packed();
    case 1:
      return ArgbColor(255, down, v, q).Packed();
    case 2:
      return ArgbColor(255, q, v, up).Packed();
    case 3:
      return ArgbColor(255, q, down, v).Packed();
    default:  // 4, the top rows
      return ArgbColor(255, up, q, v).Packed();
  }
}

}  // namespace

SpectrographDisplay::SpectrographDisplay(IEffectForEditor* plug, const PixelRect& rect,
                                         BlendSpec blend)
    : IWidget(plug, rect, -1, blend) {}

void SpectrographDisplay::RebuildRowMap() {
  pictureMade = false;
  MapRows();
  if (frameSource != nullptr && frameSource->Count() > 0) pictureMade = Render();
}

void SpectrographDisplay::MapRows() {
  const SpectralFrame* first =
      frameSource != nullptr && frameSource->Count() > 0 ? frameSource->At(0) : nullptr;
  const int n = first != nullptr ? first->size : 0;
  if (n <= 0) {
    rowMap.count = 0;
    return;
  }
  const int bins = n / 2 + 1;
  if (rowMap.count == bins) return;
  rowMap.count = 0;
  if (!rowMap.Resize(bins)) return;
  // Rows are logarithmic in frequency from the first bin's to half the rate;
  // bins 0 and 1 share the bottom row. Bins that land on no drawn row (the top
  // bin reaches one past the last) get -1.
  const int rows = drawRect.H() - 2 * margin;
  const double lo = std::log10(sampleRate / n), hi = std::log10(sampleRate * 0.5);
  rowMap.data[0] = 0;
  for (int k = 1; k < bins; ++k) {
    const double row = (std::log10(k * sampleRate / n) - lo) / (hi - lo) * rows;
    rowMap.data[k] = row >= 0.0 && row < rows ? static_cast<int>(row) : -1;
  }
  rowMap.count = bins;
}

bool SpectrographDisplay::Render() {
  const int rows = drawRect.H() - 2 * margin;
  const int columns = (drawRect.R - 2 * margin) - drawRect.L;
  if (rows <= 0 || columns <= 0) {
    picture.Resize(0, 0);
    return true;
  }
  const int frames = frameSource->Count();
  const SpectralFrame* first = frameSource->At(0);
  const int n = first != nullptr ? first->size : 0;
  const int bins = n / 2 + 1;
  if (rowMap.count != bins) MapRows();
  picture.Resize(columns, rows);
  if (picture.Width() != columns || picture.Height() != rows || !accumulator.Resize(rows))
    return false;
  accumulator.count = rows;
  PxClearRect(picture, 0, 0, columns, rows, 0, 0);
  if (rowMap.count != bins) return true;  // frames without bins: nothing to show

  Magnitude* acc = accumulator.data;
  const double step = static_cast<double>(frames) / columns;
  double position = 0.0;
  for (int c = 0; c < columns; ++c, position += step) {
    const int index = static_cast<int>(position);
    if (index >= frames) break;
    std::fill(acc, acc + rows, Magnitude{});
    // A frame shorter than the first adds only the bins it has.
    const SpectralFrame* frame = frameSource->At(index);
    const int have =
        frame != nullptr && frame->bins != nullptr ? std::min(bins, frame->BinCount()) : 0;
    for (int k = 0; k < have; ++k) {
      const int row = rowMap.data[k];
      if (row < 0 || row >= rows) continue;
      const double magnitude = k == 0 ? frame->Magnitude(0) : 2.0 * frame->Magnitude(k);
      acc[row].sum += 20.0 * std::log10(magnitude / n + kTiny);
      ++acc[row].count;
    }
    // Rows no bin falls into (many at the bottom of a logarithmic scale) take
    // the brightness of the row below.
    double w = 0.0;
    for (int j = 0; j < rows; ++j) {
      if (acc[j].count > 0) {
        const double mean = acc[j].sum / acc[j].count;
        w = mean >= -kRangeDb ? 1.0 + mean / kRangeDb : 0.0;
      }
      // Above 0 dB saturates rather than spilling into the next channel.
      const int v = w >= 1.0 ? 255 : static_cast<int>(w * 255);
      picture.Row(rows - 1 - j)[c] = PixelAt(j, rows, v);
    }
  }
  return true;
}

bool SpectrographDisplay::Draw(ICanvas& canvas) {
  canvas.DrawRect(colors::kGray, drawRect);
  if (!pictureMade) {
    // The outline's right and bottom lines lie on R and B: cover them too.
    const PixelRect all(drawRect.L, drawRect.T, drawRect.R + 1, drawRect.B + 1);
    return canvas.FillRect(colors::kBlack, all, BlendSpec());
  }
  const int w = picture.Width(), h = picture.Height();
  if (w == 0 || h == 0) return true;
  // Row j from the bottom lies at B - margin - j.
  const int left = drawRect.L + margin, top = drawRect.B - margin - (h - 1);
  return canvas.DrawBitmap(FrameBitmap{&picture, w, h, 1}, PixelRect(left, top, left + w, top + h),
                           1, BlendSpec());
}
