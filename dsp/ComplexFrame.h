// One complex spectrum: interleaved (re, im) pairs, or (magnitude, phase value)
// in the engine's analysed frames. Owns its array; performs no transform itself.
// Used by one thread at a time.
#pragma once

#include <cstdint>

class ComplexFrame {
 public:
  enum Fill { kZeroed, kUnfilled };

  // Zero-filled, unless the caller writes every entry itself (kUnfilled, which
  // spares the zeroing of a fresh array). When the array cannot be had, data
  // is null and size 0.
  ComplexFrame();
  explicit ComplexFrame(int size, Fill fill = kZeroed);
  ComplexFrame(const ComplexFrame&) = delete;
  ComplexFrame& operator=(const ComplexFrame&) = delete;
  virtual ~ComplexFrame();

  double* data = nullptr;  // 2 * size doubles
  std::int32_t size = 0;   // complex entries
};
