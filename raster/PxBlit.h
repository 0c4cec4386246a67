// The bitmap layer's drawing operations on 0xAARRGGBB bitmaps. Each clips to
// the destination and does nothing when the weight is 0 or nothing is left
// after clipping. A mode word holds the operation in its low byte (copy, add,
// dodge) and the flags for source alpha and bilinear filtering. Plain
// functions: they touch only the bitmaps given, on the caller's thread, and
// allocate nothing (PxCopy resizes its destination).
//
// How a source pixel s lands on a destination pixel d, with w = weight x 256
// truncated (256 from weight 1 up) and each channel worked out on its own in
// integer arithmetic, divisions truncating toward zero:
// - copy with the alpha flag: alpha 0 leaves d; otherwise k = alpha + 1 at
//   w = 256, else w x (alpha + 1) / 256, and every channel (alpha too) becomes
//   s + (d - s) x (256 - k) / 256. An opaque source at weight 1 is copied.
// - plain copy: weight 1 copies s as it is; w = 128 (weight 0.5) is the exact
//   per-channel halving (s >> 1 & 0x7F7F7F7F) + (d >> 1 & 0x7F7F7F7F); any other
//   weight mixes every channel as s + (d - s) x (256 - w) / 256.
// - add: colour channels d + s x k / 256, saturating at 255 (k = w without
//   the alpha flag); alpha becomes the larger of the two.
// - dodge: colour channels d x 256 / (256 - s x k / 256), saturating at 255;
//   alpha the larger of the two.
#pragma once

#include <cstdint>

#include "raster/PixelTypes.h"
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

// Clips to both bitmaps, moving the other side's origin along; within one
// bitmap, overlapping rectangles are copied as if through a temporary.
void PxBlit(PxBitmap& dest, const PxBitmap& src, int dstX, int dstY, int srcX, int srcY, int w,
            int h, double weight, std::uint32_t mode);
// Each destination pixel centre maps into the source rectangle: nearest pixel,
// or bilinear with kPxBilinear (edges repeat). Parts of the source rectangle
// outside its bitmap leave their destination pixels alone.
void PxScaledBlit(PxBitmap& dest, const PxBitmap& src, int dstX, int dstY, int dstW, int dstH,
                  int srcX, int srcY, int srcW, int srcH, double weight, std::uint32_t mode);
// Turns the source rectangle (which must lie inside its bitmap) about its
// centre, clockwise on screen for a positive angle, and puts that centre on
// the destination rectangle's centre moved by the offsets (in pixels). Each
// covered destination pixel centre is turned back into the source: nearest
// pixel, or bilinear with kPxBilinear. With clip nothing lands outside the
// destination rectangle. At angle 0 with no offsets it is a centred blit.
void PxRotatedBlit(PxBitmap& dest, const PxBitmap& src, int dstX, int dstY, int dstW, int dstH,
                   int srcX, int srcY, int srcW, int srcH, double angleRadians, bool clip,
                   double weight, std::uint32_t mode, double centreOffsetX, double centreOffsetY);
// With the alpha flag the weight is first scaled by the colour's alpha / 255
// (alpha 0 draws nothing). Copy mode: weight 1 writes the colour, weights 0.5,
// 0.25 and 0.75 use exact halves and quarters of the channels ((c >> 2 &
// 0x3F3F3F3F) and so on), others mix as a plain-copy blit.
void PxFillRect(PxBitmap& dest, int x, int y, int w, int h, std::uint32_t colour, double weight,
                std::uint32_t mode);
void PxClearRect(PxBitmap& dest, int x, int y, int w, int h, std::uint32_t andMask,
                 std::uint32_t orBits);
void PxCopy(PxMemBitmap& dest, const PxBitmap& src);
// Both ends drawn; ends outside the bitmap move along the line onto its border
// (Cohen-Sutherland, then Bresenham). Only the mode's operation counts, not
// its alpha flag: copy at weight 1 writes the colour as it is. Antialiased
// lines share each step between the two pixels across the line by distance.
void PxLine(PxBitmap& dest, int x1, int y1, int x2, int y2, std::uint32_t colour, double weight,
            std::uint32_t mode, bool antialias);
// The shape functions, like lines, use only the mode's operation.
void PxPutPixel(PxBitmap& dest, int x, int y, std::uint32_t colour, double weight,
                std::uint32_t mode);
// 0 outside the bitmap.
std::uint32_t PxGetPixel(const PxBitmap& src, int x, int y);
void PxCircle(PxBitmap& dest, int cx, int cy, int r, std::uint32_t colour, double weight,
              std::uint32_t mode, bool antialias);
// Circles and arcs: radii over 2^20 and centres beyond +-2^24 draw nothing.
// Arc angles in degrees, 0 at twelve o'clock, growing clockwise; at most one
// turn from minAngle is drawn, points about half a pixel apart (joined by
// antialiased lines when antialiasing).
void PxArc(PxBitmap& dest, int cx, int cy, int r, double minAngle, double maxAngle,
           std::uint32_t colour, double weight, std::uint32_t mode, bool antialias);
// Pixels on the edges are drawn; corners beyond +-2^24 draw nothing.
void PxFillTriangle(PxBitmap& dest, int x1, int y1, int x2, int y2, int x3, int y3,
                    std::uint32_t colour, double weight, std::uint32_t mode);
// Plain writes, no blending: the fixed coordinate and both ends are clamped
// into the bitmap, both ends inclusive; nothing when hi < lo.
void PxVerticalLine(PxBitmap& dest, std::uint32_t colour, int x, int yLo, int yHi);
void PxHorizontalLine(PxBitmap& dest, std::uint32_t colour, int y, int xLo, int xHi);
