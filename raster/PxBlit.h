// The bitmap layer's drawing operations on 0xAARRGGBB bitmaps. Each clips to
// the destination and does nothing when the weight is 0 or nothing is left
// after clipping. A mode word holds the operation in its low byte (copy, add,
// dodge) and the flags for source alpha and bilinear filtering. Plain
// functions: they touch only the bitmaps given, on the caller's thread.
#pragma once

#include <cstdint>

#include "gui/GraphicsTypes.h"
#include "raster/PxBitmap.h"

class PxMemBitmap;

constexpr std::uint32_t kPxCopy = 0;
constexpr std::uint32_t kPxAdd = 1;
constexpr std::uint32_t kPxDodge = 2;
constexpr std::uint32_t kPxModeMask = 0xFF;
constexpr std::uint32_t kPxBilinear = 0x100;
constexpr std::uint32_t kPxAlpha = 0x10000;

// none: copy with source alpha; clobber: plain copy; add and dodge with alpha.
std::uint32_t PxModeFor(const BlendSpec& blend);
// For points, circles, arcs and triangles: the operation alone.
std::uint32_t PxShapeModeFor(const BlendSpec& blend);

void PxBlit(PxBitmap& dest, const PxBitmap& src, int dstX, int dstY, int srcX, int srcY, int w,
            int h, double weight, std::uint32_t mode);
void PxScaledBlit(PxBitmap& dest, const PxBitmap& src, int dstX, int dstY, int dstW, int dstH,
                  int srcX, int srcY, int srcW, int srcH, double weight, std::uint32_t mode);
// Turns the source rectangle by the angle about its centre (moved by the
// offsets) and centres it on the destination rectangle; with clip, nothing
// lands outside that rectangle.
void PxRotatedBlit(PxBitmap& dest, const PxBitmap& src, int dstX, int dstY, int dstW, int dstH,
                   int srcX, int srcY, int srcW, int srcH, double angleRadians, bool clip,
                   double weight, std::uint32_t mode, double centreOffsetX, double centreOffsetY);
// With the alpha flag the weight is first scaled by the colour's alpha.
void PxFillRect(PxBitmap& dest, int x, int y, int w, int h, std::uint32_t colour, double weight,
                std::uint32_t mode);
void PxClearRect(PxBitmap& dest, int x, int y, int w, int h, std::uint32_t andMask,
                 std::uint32_t orBits);
void PxCopy(PxMemBitmap& dest, const PxBitmap& src);
// Both ends drawn; ends outside the bitmap move along the line onto its border.
void PxLine(PxBitmap& dest, int x1, int y1, int x2, int y2, std::uint32_t colour, double weight,
            std::uint32_t mode, bool antialias);
void PxPutPixel(PxBitmap& dest, int x, int y, std::uint32_t colour, double weight,
                std::uint32_t mode);
// 0 outside the bitmap.
std::uint32_t PxGetPixel(const PxBitmap& src, int x, int y);
void PxCircle(PxBitmap& dest, int cx, int cy, int r, std::uint32_t colour, double weight,
              std::uint32_t mode, bool antialias);
// Angles in degrees, 0 at twelve o'clock, growing clockwise.
void PxArc(PxBitmap& dest, int cx, int cy, int r, double minAngle, double maxAngle,
           std::uint32_t colour, double weight, std::uint32_t mode, bool antialias);
void PxFillTriangle(PxBitmap& dest, int x1, int y1, int x2, int y2, int x3, int y3,
                    std::uint32_t colour, double weight, std::uint32_t mode);
// Plain writes, no blending: the fixed coordinate and both ends are clamped
// into the bitmap, both ends inclusive; nothing when hi < lo.
void PxVerticalLine(PxBitmap& dest, std::uint32_t colour, int x, int yLo, int yHi);
void PxHorizontalLine(PxBitmap& dest, std::uint32_t colour, int y, int xLo, int xHi);
