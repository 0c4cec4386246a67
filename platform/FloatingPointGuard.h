// Holds the processor's floating-point control state for one scope: on entry it
// sets flush-to-zero, denormals-are-zero, every exception masked and
// round-to-nearest; on exit it puts back the caller's control word with its
// exception flags cleared. Used around each processing call, on the audio thread.
#pragma once

#if defined(__SSE__) || defined(__x86_64__) || defined(_M_X64) || defined(_M_IX86)
#include <xmmintrin.h>
#define DILATORIX_HAS_SSE_CONTROL 1
#endif

class FloatingPointGuard {
 public:
  static constexpr unsigned kProcessingWord = 0x9FC0;
  static constexpr unsigned kExceptionFlags = 0x3F;

#ifdef DILATORIX_HAS_SSE_CONTROL
  FloatingPointGuard() : saved(_mm_getcsr()) { _mm_setcsr(kProcessingWord); }
  ~FloatingPointGuard() { _mm_setcsr(saved & ~kExceptionFlags); }

 private:
  unsigned saved;
#else
  FloatingPointGuard() = default;
#endif

 public:
  FloatingPointGuard(const FloatingPointGuard&) = delete;
  FloatingPointGuard& operator=(const FloatingPointGuard&) = delete;
};
