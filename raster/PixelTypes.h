// The drawing value types: rectangles, colours, blend settings and multi-frame
// images. Plain structures, copied by value, shared by the bitmap layer and
// everything drawn on it; each copy belongs to the thread that holds it.
#pragma once

#include <algorithm>
#include <cstdint>

class PxBitmap;

struct PixelRect {
  std::int32_t L = 0, T = 0, R = 0, B = 0;

  PixelRect() = default;
  PixelRect(std::int32_t l, std::int32_t t, std::int32_t r, std::int32_t b)
      : L(l), T(t), R(r), B(b) {}

  std::int32_t W() const { return R - L; }
  std::int32_t H() const { return B - T; }
  bool Empty() const { return L == 0 && T == 0 && R == 0 && B == 0; }
  bool Contains(int x, int y) const { return !Empty() && x >= L && x < R && y >= T && y < B; }
  bool Intersects(const PixelRect& o) const {
    return !Empty() && !o.Empty() && R >= o.L && L < o.R && B >= o.T && T < o.B;
  }
  PixelRect Union(const PixelRect& o) const {
    if (Empty()) return o;
    if (o.Empty()) return *this;
    return {std::min(L, o.L), std::min(T, o.T), std::max(R, o.R), std::max(B, o.B)};
  }
  // The overlap; empty when there is none.
  PixelRect Intersect(const PixelRect& o) const {
    const PixelRect r(std::max(L, o.L), std::max(T, o.T), std::min(R, o.R), std::min(B, o.B));
    return r.L < r.R && r.T < r.B ? r : PixelRect();
  }
  bool operator==(const PixelRect& o) const { return L == o.L && T == o.T && R == o.R && B == o.B; }
  bool operator!=(const PixelRect& o) const { return !(*this == o); }
};

struct ArgbColor {
  std::int32_t A = 255, R = 0, G = 0, B = 0;

  ArgbColor() = default;
  ArgbColor(std::int32_t a, std::int32_t r, std::int32_t g, std::int32_t b)
      : A(a), R(r), G(g), B(b) {}

  // 0xAARRGGBB, the bitmap layer's pixel word.
  std::uint32_t Packed() const {
    return static_cast<std::uint32_t>(A & 255) << 24 | static_cast<std::uint32_t>(R & 255) << 16 |
           static_cast<std::uint32_t>(G & 255) << 8 | static_cast<std::uint32_t>(B & 255);
  }
  static ArgbColor Unpacked(std::uint32_t p) {
    return {static_cast<std::int32_t>(p >> 24), static_cast<std::int32_t>(p >> 16 & 255),
            static_cast<std::int32_t>(p >> 8 & 255), static_cast<std::int32_t>(p & 255)};
  }
  bool operator==(const ArgbColor& o) const { return A == o.A && R == o.R && G == o.G && B == o.B; }
  bool operator!=(const ArgbColor& o) const { return !(*this == o); }
};

namespace colors {
inline const ArgbColor kBlack{255, 0, 0, 0};
inline const ArgbColor kGray{255, 127, 127, 127};
inline const ArgbColor kWhite{255, 255, 255, 255};
inline const ArgbColor kRed{255, 255, 0, 0};
inline const ArgbColor kGreen{255, 0, 255, 0};
inline const ArgbColor kBlue{255, 0, 0, 255};
inline const ArgbColor kYellow{255, 255, 255, 0};
inline const ArgbColor kOrange{255, 255, 127, 0};
}  // namespace colors

struct BlendSpec {
  enum Method : std::int32_t { kNone = 0, kClobber = 1, kAdd = 2, kColorDodge = 3 };
  std::int32_t method = kNone;
  float weight = 1.0f;

  BlendSpec() = default;
  BlendSpec(std::int32_t m, float w) : method(m), weight(w) {}
};

// An image of N frames stacked vertically, each H / N pixels high; frames are
// numbered from 1. The bitmap belongs to the process-wide image cache.
struct FrameBitmap {
  PxBitmap* bitmap = nullptr;
  std::int32_t W = 0, H = 0;
  std::int32_t N = 1;

  std::int32_t FrameHeight() const { return N > 0 ? H / N : H; }
};
