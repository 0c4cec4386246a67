// One complex spectrum of interleaved (re, im) pairs: the engine's transform
// workspace. Owns its array; performs no transform itself. Used by one thread
// at a time.
#pragma once

#include <cstdint>

class ComplexFrame {
 public:
  // Zero-filled. When the array cannot be had, data is null and size 0.
  ComplexFrame();
  explicit ComplexFrame(int size);
  ComplexFrame(const ComplexFrame&) = delete;
  ComplexFrame& operator=(const ComplexFrame&) = delete;
  virtual ~ComplexFrame();

  double* data = nullptr;  // 2 * size doubles
  std::int32_t size = 0;   // complex entries
};
