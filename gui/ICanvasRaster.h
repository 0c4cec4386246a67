// The canvas's drawing operations on the bitmap layer: everything is drawn into
// one draw bitmap of the editor's size, bitmaps are clipped to the current draw
// rectangle, and skin images come from the module's PNG resources through the
// process-wide image cache, and text is drawn with FreeType. A window host
// derives from it and presents the draw bitmap. GUI thread only; owns the draw
// bitmap, the scratch bitmap of the rotated-mask operation and the text
// renderer.
#pragma once

#include <memory>

#include "gui/ICanvas.h"
#include "gui/TextRenderer.h"
#include "raster/PxMemBitmap.h"
#include "raster/PxSysBitmap.h"

class ICanvasRaster : public ICanvas {
 public:
  using ICanvas::DrawBitmap;
  using ICanvas::ICanvas;

  void PrepareDraw() override;
  bool DrawBitmap(const FrameBitmap& bitmap, const PixelRect& dest, int srcX, int srcY,
                  const BlendSpec& blend) override;
  bool DrawRotatedBitmap(const FrameBitmap& bitmap, int centreX, int centreY, double angle,
                         int yOffset, const BlendSpec& blend) override;
  bool DrawRotatedMask(const FrameBitmap& base, const FrameBitmap& mask, const FrameBitmap& top,
                       int x, int y, double angleDegrees, const BlendSpec& blend) override;
  bool DrawPoint(const ArgbColor& color, float x, float y, const BlendSpec& blend,
                 bool antialias) override;
  bool ForcePixel(const ArgbColor& color, int x, int y) override;
  bool DrawLine(const ArgbColor& color, float x1, float y1, float x2, float y2,
                const BlendSpec& blend, bool antialias) override;
  bool DrawArc(const ArgbColor& color, float cx, float cy, float r, float minAngle, float maxAngle,
               const BlendSpec& blend, bool antialias) override;
  bool DrawCircle(const ArgbColor& color, float cx, float cy, float r, const BlendSpec& blend,
                  bool antialias) override;
  bool FillRect(const ArgbColor& color, const PixelRect& rect, const BlendSpec& blend) override;
  // FreeType text, only inside the area being redrawn; a missing font is
  // reported once on stderr and text is then skipped.
  bool DrawText(const TextStyle& style, const char* text, const PixelRect& rect) override;
  ArgbColor GetPixel(int x, int y) override;
  std::uint32_t* GetPixelData() override { return drawBitmap.Pixels(); }
  bool FillTriangle(int x1, int y1, int x2, int y2, int x3, int y3, const ArgbColor& color,
                    const BlendSpec& blend) override;
  FrameBitmap LoadBitmap(int id, const char* name, int frames = 1) override;
  FrameBitmap ScaleBitmap(const FrameBitmap& bitmap, int w, int h) override;
  FrameBitmap CropBitmap(const FrameBitmap& bitmap, const PixelRect& rect) override;
  bool DrawVerticalLine(const ArgbColor& color, int x, int yLo, int yHi) override;
  bool DrawHorizontalLine(const ArgbColor& color, int y, int xLo, int xHi) override;
  // Takes the bitmap over into the image cache.
  void RetainBitmap(PxBitmap* bitmap) override;
  void ReleaseBitmap(PxBitmap* bitmap) override;

  // Decodes the module's PNG resource of that id when the name ends in ".png"
  // (any case); none otherwise.
  virtual std::unique_ptr<PxBitmap> LoadPlatformBitmap(int id, const char* name);

  // The first failure to find or open a font, or empty.
  const std::string& FontError() const { return text.FontError(); }

 protected:
  PxSysBitmap drawBitmap;
  PxMemBitmap scratch;
  TextRenderer text;
  bool fontErrorReported = false;
};
