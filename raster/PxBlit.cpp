#include "raster/PxBlit.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "raster/PxMemBitmap.h"

namespace {

inline int Channel(std::uint32_t p, int shift) { return static_cast<int>(p >> shift & 255); }

inline std::uint32_t Pack(int a, int r, int g, int b) {
  return static_cast<std::uint32_t>(a) << 24 | static_cast<std::uint32_t>(r) << 16 |
         static_cast<std::uint32_t>(g) << 8 | static_cast<std::uint32_t>(b);
}

inline std::uint32_t Half(std::uint32_t p) { return p >> 1 & 0x7F7F7F7Fu; }
inline std::uint32_t Quarter(std::uint32_t p) { return p >> 2 & 0x3F3F3F3Fu; }

// Each channel: s + (d - s) x (256 - k) / 256, the division truncating toward 0.
inline std::uint32_t Mix(std::uint32_t s, std::uint32_t d, int k) {
  int out[4];
  for (int i = 0; i < 4; ++i) {
    const int sc = Channel(s, 8 * i), dc = Channel(d, 8 * i);
    out[i] = sc + (dc - sc) * (256 - k) / 256;
  }
  return Pack(out[3], out[2], out[1], out[0]);
}

// Copy with source alpha over a row, without branches, so the compiler can
// work on several pixels at once: k = alpha + 1 at full weight, else
// w x (alpha + 1) / 256; alpha 0 keeps the destination.
inline void AlphaRow(std::uint32_t* d, const std::uint32_t* s, int n, int w) {
  const bool full = w >= 256;
  for (int i = 0; i < n; ++i) {
    const std::uint32_t sp = s[i], dp = d[i];
    const int sa = static_cast<int>(sp >> 24);
    const int keep = 256 - (full ? sa + 1 : w * (sa + 1) / 256);
    std::uint32_t out = 0;
    for (int shift = 0; shift < 32; shift += 8) {
      const int sc = static_cast<int>(sp >> shift & 255), dc = static_cast<int>(dp >> shift & 255);
      out |= static_cast<std::uint32_t>(sc + (dc - sc) * keep / 256) << shift;
    }
    d[i] = sa == 0 ? dp : out;
  }
}

// weight x 256 truncated: 0 for no weight (NaN included), 256 from 1 up.
inline int Weight256(double weight) {
  if (!(weight > 0.0)) return 0;
  return weight >= 1.0 ? 256 : static_cast<int>(weight * 256);
}

// How one source pixel lands on a destination pixel, for a mode and weight.
class Combiner {
 public:
  Combiner(double weight, std::uint32_t mode)
      : w(Weight256(weight)), op(mode & kPxModeMask), alpha((mode & kPxAlpha) != 0) {}

  bool Visible() const { return w > 0; }

  std::uint32_t operator()(std::uint32_t s, std::uint32_t d) const {
    const int sa = Channel(s, 24);
    if (alpha && sa == 0) return d;
    const int k = !alpha ? w : (w >= 256 ? sa + 1 : w * (sa + 1) / 256);
    switch (op) {
      case kPxAdd:
        return Add(s, d, k);
      case kPxDodge:
        return Dodge(s, d, k);
      default:
        break;
    }
    if (alpha) return Mix(s, d, k);
    if (w >= 256) return s;
    if (w == 128) return Half(s) + Half(d);
    return Mix(s, d, w);
  }

  // n destination pixels laid over by one colour, as operator() would.
  void Fill(std::uint32_t* d, std::uint32_t colour, int n) const {
    if (op == kPxCopy && !alpha && w < 256 && w != 128)
      for (int i = 0; i < n; ++i) d[i] = Mix(colour, d[i], w);
    else
      for (int i = 0; i < n; ++i) d[i] = (*this)(colour, d[i]);
  }

  // n pixels in a row, left to right, as operator() would; the blit's common
  // modes get loops of their own with the mode decided once.
  void Row(std::uint32_t* d, const std::uint32_t* s, int n) const {
    if (op == kPxCopy && !alpha && w >= 256) {
      std::memmove(d, s, static_cast<std::size_t>(n) * sizeof *d);
    } else if (op == kPxCopy && !alpha && w == 128) {
      for (int i = 0; i < n; ++i) d[i] = Half(s[i]) + Half(d[i]);
    } else if (op == kPxCopy && alpha) {
      AlphaRow(d, s, n, w);
    } else if (op == kPxCopy) {
      for (int i = 0; i < n; ++i) d[i] = Mix(s[i], d[i], w);
    } else {
      for (int i = 0; i < n; ++i) d[i] = (*this)(s[i], d[i]);
    }
  }

 private:
  // The weighted source added to the destination, saturating; alpha keeps the larger.
  static std::uint32_t Add(std::uint32_t s, std::uint32_t d, int k) {
    int out[3];
    for (int i = 0; i < 3; ++i)
      out[i] = std::min(255, Channel(d, 8 * i) + Channel(s, 8 * i) * k / 256);
    return Pack(std::max(Channel(s, 24), Channel(d, 24)), out[2], out[1], out[0]);
  }
  // The destination brightened by the weighted source: d / (1 - s), saturating.
  static std::uint32_t Dodge(std::uint32_t s, std::uint32_t d, int k) {
    int out[3];
    for (int i = 0; i < 3; ++i) {
      const int lift = Channel(s, 8 * i) * k / 256;
      out[i] = std::min(255, Channel(d, 8 * i) * 256 / std::max(1, 256 - lift));
    }
    return Pack(std::max(Channel(s, 24), Channel(d, 24)), out[2], out[1], out[0]);
  }

  int w;
  std::uint32_t op;
  bool alpha;
};

// The part of (x, y, w, h) inside the bitmap; false when none is. Sums are
// taken in 64 bits, so any int rectangle clips without overflow.
bool ClipRect(const PxBitmap& b, long long x, long long y, long long w, long long h, int& outX,
              int& outY, int& outW, int& outH) {
  const long long x0 = std::max(x, 0LL), y0 = std::max(y, 0LL);
  const long long x1 = std::min<long long>(x + w, b.Width());
  const long long y1 = std::min<long long>(y + h, b.Height());
  if (x1 <= x0 || y1 <= y0) return false;
  outX = static_cast<int>(x0);
  outY = static_cast<int>(y0);
  outW = static_cast<int>(x1 - x0);
  outH = static_cast<int>(y1 - y0);
  return true;
}

bool ClipRect(const PxBitmap& b, int& x, int& y, int& w, int& h) {
  return ClipRect(b, x, y, w, h, x, y, w, h);
}

// Shapes with coordinates or radii beyond this draw nothing: their arithmetic
// stays well inside 64 bits and their loops bounded.
constexpr long long kShapeLimit = 1 << 24;

inline bool Sane(long long v) { return v >= -kShapeLimit && v <= kShapeLimit; }

inline bool Inside(const PxBitmap& b, int x, int y) {
  return x >= 0 && y >= 0 && x < b.Width() && y < b.Height();
}

inline void Plot(PxBitmap& dest, int x, int y, std::uint32_t colour, const Combiner& combine) {
  if (!Inside(dest, x, y)) return;
  std::uint32_t& d = dest.Row(y)[x];
  d = combine(colour, d);
}

// The source sampled at (u, v), nearest or bilinear; false outside it.
bool Sample(const PxBitmap& src, int x0, int y0, int w, int h, double u, double v, bool bilinear,
            std::uint32_t* out) {
  if (!bilinear) {
    const int x = static_cast<int>(std::floor(u)), y = static_cast<int>(std::floor(v));
    if (x < 0 || y < 0 || x >= w || y >= h) return false;
    *out = src.Row(y0 + y)[x0 + x];
    return true;
  }
  const double fu = u - 0.5, fv = v - 0.5;
  if (fu < -0.5 || fv < -0.5 || fu > w - 0.5 || fv > h - 0.5) return false;
  const int xa = std::clamp(static_cast<int>(std::floor(fu)), 0, w - 1);
  const int ya = std::clamp(static_cast<int>(std::floor(fv)), 0, h - 1);
  const int xb = std::min(xa + 1, w - 1), yb = std::min(ya + 1, h - 1);
  const double tx = std::clamp(fu - xa, 0.0, 1.0), ty = std::clamp(fv - ya, 0.0, 1.0);
  const std::uint32_t p[4] = {src.Row(y0 + ya)[x0 + xa], src.Row(y0 + ya)[x0 + xb],
                              src.Row(y0 + yb)[x0 + xa], src.Row(y0 + yb)[x0 + xb]};
  int c[4];
  for (int i = 0; i < 4; ++i) {
    const double top = Channel(p[0], 8 * i) * (1 - tx) + Channel(p[1], 8 * i) * tx;
    const double bottom = Channel(p[2], 8 * i) * (1 - tx) + Channel(p[3], 8 * i) * tx;
    c[i] = static_cast<int>(top * (1 - ty) + bottom * ty + 0.5);
  }
  *out = Pack(c[3], c[2], c[1], c[0]);
  return true;
}

}  // namespace

std::uint32_t PxModeFor(const BlendSpec& blend) {
  switch (blend.method) {
    case BlendSpec::kClobber:
      return kPxCopy;
    case BlendSpec::kAdd:
      return kPxAlpha | kPxAdd;
    case BlendSpec::kColorDodge:
      return kPxAlpha | kPxDodge;
    default:
      return kPxAlpha | kPxCopy;
  }
}

std::uint32_t PxShapeModeFor(const BlendSpec& blend) {
  switch (blend.method) {
    case BlendSpec::kAdd:
      return kPxAdd;
    case BlendSpec::kColorDodge:
      return kPxDodge;
    default:
      return kPxCopy;
  }
}

void PxBlit(PxBitmap& dest, const PxBitmap& src, int dstX, int dstY, int srcX, int srcY, int w,
            int h, double weight, std::uint32_t mode) {
  const Combiner combine(weight, mode);
  if (!combine.Visible() || dest.Pixels() == nullptr || src.Pixels() == nullptr) return;
  // Clip to the source, then to the destination, moving the other origin along.
  int sx = 0, sy = 0, cw = 0, ch = 0;
  if (!ClipRect(src, srcX, srcY, w, h, sx, sy, cw, ch)) return;
  const long long dx = static_cast<long long>(dstX) + (sx - static_cast<long long>(srcX));
  const long long dy = static_cast<long long>(dstY) + (sy - static_cast<long long>(srcY));
  int x = 0, y = 0;
  if (!ClipRect(dest, dx, dy, cw, ch, x, y, w, h)) return;
  sx += static_cast<int>(x - dx);
  sy += static_cast<int>(y - dy);
  // Within one bitmap, run against the direction of the move so no source
  // pixel is overwritten before it is read.
  const bool backwards = &dest == &src && (y > sy || (y == sy && x > sx));
  for (int n = 0; n < h; ++n) {
    const int row = backwards ? h - 1 - n : n;
    std::uint32_t* d = dest.Row(y + row) + x;
    const std::uint32_t* s = src.Row(sy + row) + sx;
    if (backwards)
      for (int i = w - 1; i >= 0; --i) d[i] = combine(s[i], d[i]);
    else
      combine.Row(d, s, w);
  }
}

void PxScaledBlit(PxBitmap& dest, const PxBitmap& src, int dstX, int dstY, int dstW, int dstH,
                  int srcX, int srcY, int srcW, int srcH, double weight, std::uint32_t mode) {
  const Combiner combine(weight, mode);
  if (!combine.Visible() || dstW <= 0 || dstH <= 0 || srcW <= 0 || srcH <= 0) return;
  if (src.Pixels() == nullptr || dest.Pixels() == nullptr) return;
  // The source rectangle's part inside its bitmap is sampled; destination
  // pixels that map outside it are left alone.
  int sx = 0, sy = 0, sw = 0, sh = 0;
  if (!ClipRect(src, srcX, srcY, srcW, srcH, sx, sy, sw, sh)) return;
  int x = 0, y = 0, w = 0, h = 0;
  if (!ClipRect(dest, dstX, dstY, dstW, dstH, x, y, w, h)) return;
  const double scaleX = static_cast<double>(srcW) / dstW, scaleY = static_cast<double>(srcH) / dstH;
  const double shiftX = static_cast<double>(sx) - srcX, shiftY = static_cast<double>(sy) - srcY;
  const bool bilinear = (mode & kPxBilinear) != 0;
  for (int row = y; row < y + h; ++row) {
    const double v = (static_cast<double>(row) - dstY + 0.5) * scaleY - shiftY;
    std::uint32_t* d = dest.Row(row);
    for (int col = x; col < x + w; ++col) {
      const double u = (static_cast<double>(col) - dstX + 0.5) * scaleX - shiftX;
      std::uint32_t s;
      if (Sample(src, sx, sy, sw, sh, u, v, bilinear, &s)) d[col] = combine(s, d[col]);
    }
  }
}

void PxRotatedBlit(PxBitmap& dest, const PxBitmap& src, int dstX, int dstY, int dstW, int dstH,
                   int srcX, int srcY, int srcW, int srcH, double angle, bool clip, double weight,
                   std::uint32_t mode, double offsetX, double offsetY) {
  const Combiner combine(weight, mode);
  if (!combine.Visible() || srcW <= 0 || srcH <= 0) return;
  if (src.Pixels() == nullptr || dest.Pixels() == nullptr) return;
  if (srcX < 0 || srcY < 0 || srcW > src.Width() - srcX || srcH > src.Height() - srcY) return;
  const double cx = dstX + dstW / 2.0 + offsetX, cy = dstY + dstH / 2.0 + offsetY;
  if (!std::isfinite(angle) || !std::isfinite(cx) || !std::isfinite(cy)) return;
  const double c = std::cos(angle), s = std::sin(angle);
  // The turned source's bounding box around the centre, cut to the
  // destination rectangle with clip and always to the bitmap.
  const double halfW = (std::fabs(c) * srcW + std::fabs(s) * srcH) / 2.0;
  const double halfH = (std::fabs(s) * srcW + std::fabs(c) * srcH) / 2.0;
  double left = std::floor(cx - halfW), top = std::floor(cy - halfH);
  double right = std::ceil(cx + halfW), bottom = std::ceil(cy + halfH);
  if (clip) {
    left = std::max<double>(left, dstX);
    top = std::max<double>(top, dstY);
    right = std::min(right, static_cast<double>(dstX) + dstW);
    bottom = std::min(bottom, static_cast<double>(dstY) + dstH);
  }
  left = std::max(left, 0.0);
  top = std::max(top, 0.0);
  right = std::min<double>(right, dest.Width());
  bottom = std::min<double>(bottom, dest.Height());
  if (right <= left || bottom <= top) return;
  const int x = static_cast<int>(left), y = static_cast<int>(top);
  const int w = static_cast<int>(right) - x, h = static_cast<int>(bottom) - y;
  const bool bilinear = (mode & kPxBilinear) != 0;
  for (int row = y; row < y + h; ++row) {
    std::uint32_t* d = dest.Row(row);
    for (int col = x; col < x + w; ++col) {
      // Back into the source: turn the pixel centre by -angle about the centre.
      const double px = col + 0.5 - cx, py = row + 0.5 - cy;
      const double u = c * px + s * py + srcW / 2.0, v = -s * px + c * py + srcH / 2.0;
      std::uint32_t p;
      if (Sample(src, srcX, srcY, srcW, srcH, u, v, bilinear, &p)) d[col] = combine(p, d[col]);
    }
  }
}

void PxFillRect(PxBitmap& dest, int x, int y, int w, int h, std::uint32_t colour, double weight,
                std::uint32_t mode) {
  if ((mode & kPxAlpha) != 0) weight *= Channel(colour, 24) / 255.0;
  if (!(weight > 0.0) || dest.Pixels() == nullptr || !ClipRect(dest, x, y, w, h)) return;
  const std::uint32_t op = mode & kPxModeMask;
  // The colour itself is laid on at the weight: its alpha has been spent.
  const Combiner combine(weight, op);
  const std::uint32_t half = Half(colour), quarter = Quarter(colour);
  for (int row = y; row < y + h; ++row) {
    std::uint32_t* d = dest.Row(row) + x;
    if (op != kPxCopy)
      for (int i = 0; i < w; ++i) d[i] = combine(colour, d[i]);
    else if (weight >= 1.0)
      std::fill(d, d + w, colour);
    else if (weight == 0.5)
      for (int i = 0; i < w; ++i) d[i] = half + Half(d[i]);
    else if (weight == 0.25)
      for (int i = 0; i < w; ++i) d[i] = quarter + Half(d[i]) + Quarter(d[i]);
    else if (weight == 0.75)
      for (int i = 0; i < w; ++i) d[i] = half + quarter + Quarter(d[i]);
    else
      combine.Fill(d, colour, w);
  }
}

void PxClearRect(PxBitmap& dest, int x, int y, int w, int h, std::uint32_t andMask,
                 std::uint32_t orBits) {
  if (dest.Pixels() == nullptr || !ClipRect(dest, x, y, w, h)) return;
  for (int row = y; row < y + h; ++row) {
    std::uint32_t* d = dest.Row(row) + x;
    for (int i = 0; i < w; ++i) d[i] = (d[i] & andMask) | orBits;
  }
}

void PxCopy(PxMemBitmap& dest, const PxBitmap& src) {
  if (&dest == &src) return;
  dest.Resize(src.Width(), src.Height());
  if (dest.Pixels() == nullptr || src.Pixels() == nullptr) return;
  for (int row = 0; row < src.Height(); ++row)
    std::copy(src.Row(row), src.Row(row) + src.Width(), dest.Row(row));
}

namespace {

// Cohen-Sutherland: moves both ends onto the box; false when the line misses it.
bool ClipLine(double& x1, double& y1, double& x2, double& y2, double right, double bottom) {
  auto code = [&](double x, double y) {
    return (x < 0 ? 1 : 0) | (x > right ? 2 : 0) | (y < 0 ? 4 : 0) | (y > bottom ? 8 : 0);
  };
  int c1 = code(x1, y1), c2 = code(x2, y2);
  for (int pass = 0; pass < 8; ++pass) {
    if ((c1 | c2) == 0) return true;
    if ((c1 & c2) != 0) return false;
    const int out = c1 != 0 ? c1 : c2;
    double x = 0, y = 0;
    if (out & 8) {
      x = x1 + (x2 - x1) * (bottom - y1) / (y2 - y1);
      y = bottom;
    } else if (out & 4) {
      x = x1 + (x2 - x1) * (0 - y1) / (y2 - y1);
      y = 0;
    } else if (out & 2) {
      y = y1 + (y2 - y1) * (right - x1) / (x2 - x1);
      x = right;
    } else {
      y = y1 + (y2 - y1) * (0 - x1) / (x2 - x1);
      x = 0;
    }
    if (out == c1) {
      x1 = x;
      y1 = y;
      c1 = code(x1, y1);
    } else {
      x2 = x;
      y2 = y;
      c2 = code(x2, y2);
    }
  }
  return (c1 | c2) == 0;
}

}  // namespace

void PxLine(PxBitmap& dest, int x1, int y1, int x2, int y2, std::uint32_t colour, double weight,
            std::uint32_t mode, bool antialias) {
  const Combiner combine(weight, mode & kPxModeMask);
  if (!combine.Visible() || dest.Pixels() == nullptr || dest.Width() <= 0) return;
  double ax = x1, ay = y1, bx = x2, by = y2;
  if (!ClipLine(ax, ay, bx, by, dest.Width() - 1, dest.Height() - 1)) return;
  if (antialias) {
    // Two pixels across the line share each step by their distance to it.
    const bool steep = std::fabs(by - ay) > std::fabs(bx - ax);
    if (steep) {
      std::swap(ax, ay);
      std::swap(bx, by);
    }
    if (ax > bx) {
      std::swap(ax, bx);
      std::swap(ay, by);
    }
    const double gradient = bx == ax ? 0.0 : (by - ay) / (bx - ax);
    for (int i = static_cast<int>(std::lround(ax)); i <= static_cast<int>(std::lround(bx)); ++i) {
      const double yLine = ay + gradient * (i - ax);
      const int j = static_cast<int>(std::floor(yLine));
      const double f = yLine - j;
      const Combiner near(weight * (1 - f), mode & kPxModeMask),
          far(weight * f, mode & kPxModeMask);
      if (steep) {
        if (near.Visible()) Plot(dest, j, i, colour, near);
        if (far.Visible()) Plot(dest, j + 1, i, colour, far);
      } else {
        if (near.Visible()) Plot(dest, i, j, colour, near);
        if (far.Visible()) Plot(dest, i, j + 1, colour, far);
      }
    }
    return;
  }
  int x = static_cast<int>(std::lround(ax)), y = static_cast<int>(std::lround(ay));
  const int ex = static_cast<int>(std::lround(bx)), ey = static_cast<int>(std::lround(by));
  const int dx = std::abs(ex - x), dy = -std::abs(ey - y);
  const int stepX = x < ex ? 1 : -1, stepY = y < ey ? 1 : -1;
  int error = dx + dy;
  for (;;) {
    Plot(dest, x, y, colour, combine);
    if (x == ex && y == ey) break;
    const int e2 = 2 * error;
    if (e2 >= dy) {
      error += dy;
      x += stepX;
    }
    if (e2 <= dx) {
      error += dx;
      y += stepY;
    }
  }
}

void PxPutPixel(PxBitmap& dest, int x, int y, std::uint32_t colour, double weight,
                std::uint32_t mode) {
  const Combiner combine(weight, mode & kPxModeMask);
  if (combine.Visible() && dest.Pixels() != nullptr) Plot(dest, x, y, colour, combine);
}

std::uint32_t PxGetPixel(const PxBitmap& src, int x, int y) {
  if (src.Pixels() == nullptr || !Inside(src, x, y)) return 0;
  return src.Row(y)[x];
}

namespace {

// Radii beyond this draw nothing: arcs are walked in steps along their length.
constexpr int kRadiusLimit = 1 << 20;

// False when a circle cannot touch the bitmap: it lies beside it, holds the
// whole bitmap inside, or is beyond the limits.
bool CircleMeets(const PxBitmap& b, int cx, int cy, int r) {
  if (r < 0 || r > kRadiusLimit || !Sane(cx) || !Sane(cy)) return false;
  const long long x = cx, y = cy, radius = r;
  if (x + radius < 0 || y + radius < 0 || x - radius >= b.Width() || y - radius >= b.Height())
    return false;
  // The farthest corner within r - 2 of the centre: the whole ring passes outside.
  const long long fx = std::max(std::llabs(x), std::llabs(x - b.Width()));
  const long long fy = std::max(std::llabs(y), std::llabs(y - b.Height()));
  return radius < 2 || fx * fx + fy * fy > (radius - 2) * (radius - 2);
}

}  // namespace

void PxArc(PxBitmap& dest, int cx, int cy, int r, double minAngle, double maxAngle,
           std::uint32_t colour, double weight, std::uint32_t mode, bool antialias) {
  const Combiner combine(weight, mode & kPxModeMask);
  if (!combine.Visible() || dest.Pixels() == nullptr || !CircleMeets(dest, cx, cy, r)) return;
  if (!std::isfinite(minAngle) || !std::isfinite(maxAngle) || maxAngle < minAngle) return;
  const double span = std::min(maxAngle - minAngle, 360.0);  // once round at most
  const double from = std::fmod(minAngle, 360.0);
  const double toRadians = std::acos(-1.0) / 180.0;
  // Points about half a pixel apart along the arc.
  const long steps = std::max(1L, std::lround(std::ceil(span * toRadians * r * 2)));
  int lastX = 0, lastY = 0, firstX = 0, firstY = 0;
  for (long i = 0; i <= steps; ++i) {
    const double t = (from + span * static_cast<double>(i) / steps) * toRadians;
    const int x = static_cast<int>(std::lround(cx + r * std::sin(t)));
    const int y = static_cast<int>(std::lround(cy - r * std::cos(t)));
    if (i == 0) {
      firstX = lastX = x;
      firstY = lastY = y;
      Plot(dest, x, y, colour, combine);
      continue;
    }
    if (x == lastX && y == lastY) continue;
    if (antialias) {
      PxLine(dest, lastX, lastY, x, y, colour, weight, mode, true);
    } else if (x != firstX || y != firstY) {  // a full turn ends where it began
      Plot(dest, x, y, colour, combine);
    }
    lastX = x;
    lastY = y;
  }
}

void PxCircle(PxBitmap& dest, int cx, int cy, int r, std::uint32_t colour, double weight,
              std::uint32_t mode, bool antialias) {
  if (antialias) {
    PxArc(dest, cx, cy, r, 0.0, 360.0, colour, weight, mode, true);
    return;
  }
  const Combiner combine(weight, mode & kPxModeMask);
  if (!combine.Visible() || dest.Pixels() == nullptr || !CircleMeets(dest, cx, cy, r)) return;
  // Midpoint circle: each octant's point once (duplicates on the axes skipped).
  int x = r, y = 0, error = 1 - r;
  while (x >= y) {
    const int points[8][2] = {{x, y},   {y, x},   {-y, x}, {-x, y},
                              {-x, -y}, {-y, -x}, {y, -x}, {x, -y}};
    for (int i = 0; i < 8; ++i) {
      bool repeat = false;
      for (int j = 0; j < i; ++j)
        repeat = repeat || (points[j][0] == points[i][0] && points[j][1] == points[i][1]);
      if (!repeat) Plot(dest, cx + points[i][0], cy + points[i][1], colour, combine);
    }
    ++y;
    if (error < 0) {
      error += 2 * y + 1;
    } else {
      --x;
      error += 2 * (y - x) + 1;
    }
  }
}

void PxFillTriangle(PxBitmap& dest, int x1, int y1, int x2, int y2, int x3, int y3,
                    std::uint32_t colour, double weight, std::uint32_t mode) {
  const Combiner combine(weight, mode & kPxModeMask);
  if (!combine.Visible() || dest.Pixels() == nullptr) return;
  for (int v : {x1, y1, x2, y2, x3, y3})
    if (!Sane(v)) return;
  const int left = std::min({x1, x2, x3}), top = std::min({y1, y2, y3});
  int x = 0, y = 0, w = 0, h = 0;
  if (!ClipRect(dest, left, top, std::max({x1, x2, x3}) - left + 1LL,
                std::max({y1, y2, y3}) - top + 1LL, x, y, w, h))
    return;
  // Edge functions: a pixel is inside (or on an edge) when all three share
  // the sign of the whole triangle's doubled area.
  auto edge = [](long long ax, long long ay, long long bx, long long by, long long px,
                 long long py) { return (bx - ax) * (py - ay) - (by - ay) * (px - ax); };
  const long long area = edge(x1, y1, x2, y2, x3, y3);
  if (area == 0) return;
  for (int row = y; row < y + h; ++row)
    for (int col = x; col < x + w; ++col) {
      long long e1 = edge(x1, y1, x2, y2, col, row), e2 = edge(x2, y2, x3, y3, col, row),
                e3 = edge(x3, y3, x1, y1, col, row);
      if (area < 0) {
        e1 = -e1;
        e2 = -e2;
        e3 = -e3;
      }
      if (e1 >= 0 && e2 >= 0 && e3 >= 0) Plot(dest, col, row, colour, combine);
    }
}

void PxVerticalLine(PxBitmap& dest, std::uint32_t colour, int x, int yLo, int yHi) {
  if (dest.Pixels() == nullptr || dest.Width() <= 0 || dest.Height() <= 0 || yHi < yLo) return;
  x = std::clamp(x, 0, dest.Width() - 1);
  yLo = std::clamp(yLo, 0, dest.Height() - 1);
  yHi = std::clamp(yHi, 0, dest.Height() - 1);
  for (int y = yLo; y <= yHi; ++y) dest.Row(y)[x] = colour;
}

void PxHorizontalLine(PxBitmap& dest, std::uint32_t colour, int y, int xLo, int xHi) {
  if (dest.Pixels() == nullptr || dest.Width() <= 0 || dest.Height() <= 0 || xHi < xLo) return;
  y = std::clamp(y, 0, dest.Height() - 1);
  xLo = std::clamp(xLo, 0, dest.Width() - 1);
  xHi = std::clamp(xHi, 0, dest.Width() - 1);
  std::uint32_t* row = dest.Row(y);
  for (int x = xLo; x <= xHi; ++x) row[x] = colour;
}
