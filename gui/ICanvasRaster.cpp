#include "gui/ICanvasRaster.h"

#include <cmath>
#include <cstdio>

#include "platform/PngResources.h"
#include "raster/ImageCache.h"
#include "raster/PngDecoder.h"
#include "raster/PxBlit.h"
#include "raster/PxPngBitmap.h"

namespace {

const double kPi = std::acos(-1.0);

FrameBitmap Framed(PxBitmap* bitmap, int frames) {
  if (bitmap == nullptr) return {};
  return {bitmap, bitmap->Width(), bitmap->Height(), frames < 1 ? 1 : frames};
}

}  // namespace

void ICanvasRaster::PrepareDraw() {
  drawBitmap.Resize(width, height);
  scratch.Resize(0, 0);
}

bool ICanvasRaster::DrawBitmap(const FrameBitmap& bitmap, const PixelRect& dest, int srcX, int srcY,
                               const BlendSpec& blend) {
  if (bitmap.bitmap == nullptr) return false;
  const PixelRect clipped = dest.Intersect(drawClip);
  if (clipped.Empty()) return true;
  PxBlit(drawBitmap, *bitmap.bitmap, clipped.L, clipped.T, srcX + clipped.L - dest.L,
         srcY + clipped.T - dest.T, clipped.W(), clipped.H(), blend.weight, PxModeFor(blend));
  return true;
}

bool ICanvasRaster::DrawRotatedBitmap(const FrameBitmap& bitmap, int centreX, int centreY,
                                      double angle, int yOffset, const BlendSpec& blend) {
  if (bitmap.bitmap == nullptr) return false;
  const int w = bitmap.W, h = bitmap.H;
  PxRotatedBlit(drawBitmap, *bitmap.bitmap, centreX - w / 2, centreY - h / 2, w, h, 0, 0, w, h,
                angle, true, blend.weight, PxModeFor(blend) | kPxBilinear, 0.0, yOffset);
  return true;
}

bool ICanvasRaster::DrawRotatedMask(const FrameBitmap& base, const FrameBitmap& mask,
                                    const FrameBitmap& top, int x, int y, double angleDegrees,
                                    const BlendSpec& blend) {
  if (base.bitmap == nullptr || mask.bitmap == nullptr || top.bitmap == nullptr) return false;
  PxCopy(scratch, *base.bitmap);
  const int w = scratch.Width(), h = scratch.Height();
  PxClearRect(scratch, 0, 0, w, h, 0x00FFFFFFu, 0);
  const double angle = angleDegrees * kPi / 180.0;
  const double offset = w % 2 != 0 ? -0.5 : 0.0;
  PxRotatedBlit(scratch, *mask.bitmap, 0, 0, w, h, 0, 0, mask.W, mask.H, angle, true, 1.0,
                kPxAlpha | kPxAdd | kPxBilinear, offset, offset);
  PxRotatedBlit(scratch, *top.bitmap, 0, 0, w, h, 0, 0, top.W, top.H, angle, true, 1.0,
                kPxAlpha | kPxCopy | kPxBilinear, offset, offset);
  const FrameBitmap composed = Framed(&scratch, 1);
  return DrawBitmap(composed, PixelRect(x, y, x + w, y + h), 0, 0, blend);
}

bool ICanvasRaster::DrawPoint(const ArgbColor& color, float x, float y, const BlendSpec& blend,
                              bool) {
  PxPutPixel(drawBitmap, static_cast<int>(x + 0.5f), static_cast<int>(y + 0.5f), color.Packed(),
             blend.weight, PxShapeModeFor(blend));
  return true;
}

bool ICanvasRaster::ForcePixel(const ArgbColor& color, int x, int y) {
  drawBitmap.Pixels()[x + y * drawBitmap.RowSpan()] = color.Packed();
  return true;
}

bool ICanvasRaster::DrawLine(const ArgbColor& color, float x1, float y1, float x2, float y2,
                             const BlendSpec& blend, bool antialias) {
  PxLine(drawBitmap, static_cast<int>(x1), static_cast<int>(y1), static_cast<int>(x2),
         static_cast<int>(y2), color.Packed(), blend.weight, PxModeFor(blend) & kPxModeMask,
         antialias);
  return true;
}

bool ICanvasRaster::DrawArc(const ArgbColor& color, float cx, float cy, float r, float minAngle,
                            float maxAngle, const BlendSpec& blend, bool antialias) {
  PxArc(drawBitmap, static_cast<int>(cx), static_cast<int>(cy), static_cast<int>(r), minAngle,
        maxAngle, color.Packed(), blend.weight, PxShapeModeFor(blend), antialias);
  return true;
}

bool ICanvasRaster::DrawCircle(const ArgbColor& color, float cx, float cy, float r,
                               const BlendSpec& blend, bool antialias) {
  PxCircle(drawBitmap, static_cast<int>(cx), static_cast<int>(cy), static_cast<int>(r),
           color.Packed(), blend.weight, PxShapeModeFor(blend), antialias);
  return true;
}

bool ICanvasRaster::FillRect(const ArgbColor& color, const PixelRect& rect,
                             const BlendSpec& blend) {
  PxFillRect(drawBitmap, rect.L, rect.T, rect.W(), rect.H(), color.Packed(), blend.weight,
             PxModeFor(blend));
  return true;
}

ArgbColor ICanvasRaster::GetPixel(int x, int y) {
  return ArgbColor::Unpacked(PxGetPixel(drawBitmap, x, y));
}

bool ICanvasRaster::FillTriangle(int x1, int y1, int x2, int y2, int x3, int y3,
                                 const ArgbColor& color, const BlendSpec& blend) {
  PxFillTriangle(drawBitmap, x1, y1, x2, y2, x3, y3, color.Packed(), blend.weight,
                 PxShapeModeFor(blend));
  return true;
}

bool ICanvasRaster::DrawVerticalLine(const ArgbColor& color, int x, int yLo, int yHi) {
  PxVerticalLine(drawBitmap, color.Packed(), x, yLo, yHi);
  return true;
}

bool ICanvasRaster::DrawHorizontalLine(const ArgbColor& color, int y, int xLo, int xHi) {
  PxHorizontalLine(drawBitmap, color.Packed(), y, xLo, xHi);
  return true;
}

std::unique_ptr<PxBitmap> ICanvasRaster::LoadPlatformBitmap(int id, const char* name) {
  if (name == nullptr || !HasPngExtension(name)) return nullptr;
  const unsigned char* data = nullptr;
  std::size_t size = 0;
  if (!FindPngResource(id, &data, &size)) return nullptr;
  return PxPngBitmap::FromEncoded(data, size);
}

FrameBitmap ICanvasRaster::LoadBitmap(int id, const char* name, int frames) {
  PxBitmap* bitmap = ImageCache::Find(id);
  if (bitmap == nullptr) {
    std::unique_ptr<PxBitmap> loaded = LoadPlatformBitmap(id, name);
    if (loaded) bitmap = ImageCache::Add(id, std::move(loaded));
  }
  return Framed(bitmap, frames);
}

FrameBitmap ICanvasRaster::ScaleBitmap(const FrameBitmap& source, int w, int h) {
  if (source.bitmap == nullptr) return {};
  auto scaled = std::make_unique<PxMemBitmap>(w, h);
  PxScaledBlit(*scaled, *source.bitmap, 0, 0, w, h, 0, 0, source.W, source.H, 1.0,
               kPxCopy | kPxBilinear);
  return Framed(ImageCache::Retain(std::move(scaled)), source.N);
}

FrameBitmap ICanvasRaster::CropBitmap(const FrameBitmap& source, const PixelRect& rect) {
  if (source.bitmap == nullptr) return {};
  auto cropped = std::make_unique<PxMemBitmap>(rect.W(), rect.H());
  PxBlit(*cropped, *source.bitmap, 0, 0, rect.L, rect.T, rect.W(), rect.H(), 1.0, kPxCopy);
  return Framed(ImageCache::Retain(std::move(cropped)), source.N);
}

void ICanvasRaster::RetainBitmap(PxBitmap* bitmap) {
  if (bitmap != nullptr) ImageCache::Retain(std::unique_ptr<PxBitmap>(bitmap));
}

void ICanvasRaster::ReleaseBitmap(PxBitmap* bitmap) { ImageCache::Release(bitmap); }

bool ICanvasRaster::DrawText(const TextStyle& style, const char* string, const PixelRect& rect) {
  if (string == nullptr || string[0] == '\0') return true;
  // Only the area being redrawn had what lies under the text drawn again; text
  // beyond it would blend over its own earlier pixels and thicken.
  const PixelRect clip =
      DrawClip().Intersect(PixelRect(0, 0, drawBitmap.Width(), drawBitmap.Height()));
  if (clip.Empty()) return false;
  const int span = drawBitmap.RowSpan();
  const PixelRect moved(rect.L - clip.L, rect.T - clip.T, rect.R - clip.L, rect.B - clip.T);
  const bool drawn =
      text.Draw(drawBitmap.Pixels() + static_cast<std::ptrdiff_t>(clip.T) * span + clip.L, clip.W(),
                clip.H(), span, style, string, moved);
  if (!drawn && !fontErrorReported && !text.FontError().empty()) {
    fontErrorReported = true;
    std::fprintf(stderr, "dilatorix editor: %s; text is not drawn\n", text.FontError().c_str());
  }
  return drawn;
}
