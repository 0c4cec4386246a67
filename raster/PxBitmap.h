// A 32-bit bitmap of 0xAARRGGBB pixels (straight alpha), row 0 at the top. The
// editor's draw bitmap and every skin image derive from it; each object is used
// on one GUI thread at a time, and skin images are shared read-only through
// the image cache.
#pragma once

#include <cstddef>
#include <cstdint>

class PxBitmap {
 public:
  PxBitmap() = default;
  PxBitmap(const PxBitmap&) = delete;
  PxBitmap& operator=(const PxBitmap&) = delete;

  virtual ~PxBitmap() = default;
  virtual std::uint32_t* Pixels() = 0;
  virtual int Width() const = 0;
  virtual int Height() const = 0;
  // Pixels from one row to the next.
  virtual int RowSpan() const = 0;
  virtual bool IsFlipped() const { return false; }
  // True when the size changed.
  virtual bool Resize(int w, int h) = 0;
  // The platform drawing context behind the bitmap; none here.
  virtual void* DeviceContext() { return nullptr; }
  virtual void* Extended(int /*id*/, void* /*data*/) { return nullptr; }

  const std::uint32_t* Pixels() const { return const_cast<PxBitmap*>(this)->Pixels(); }
  std::uint32_t* Row(int y) { return Pixels() + static_cast<std::ptrdiff_t>(y) * RowSpan(); }
  const std::uint32_t* Row(int y) const {
    return Pixels() + static_cast<std::ptrdiff_t>(y) * RowSpan();
  }
};
