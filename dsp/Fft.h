// The in-place complex FFT the engine transforms every frame with: iterative
// radix-2, decimation in time, on interleaved (re, im) doubles, unnormalised in
// both directions, natural order in and out.
//
// The plan tables (stage cosines and sines, a bit-reversal swap list per size)
// are built once at load and never change, so instances on different host
// threads transform at the same time without a lock. The size a thread has
// chosen with FftSetSize is that thread's own: one thread changing size never
// disturbs a transform running on another.
#pragma once

#include <cstdint>

constexpr int kFftMaxLevels = 13;
constexpr int kFftMaxSize = 1 << kFftMaxLevels;  // 8192

// One size's plan; the swap list packs two interleaved-array indices per entry,
// the smaller in the high 16 bits.
struct FftPlan {
  std::int32_t size;
  std::int32_t levels;
  std::int32_t swapCount;
  const std::uint32_t* swaps;
};

// Chooses the size of this thread's following transforms: a power of two from
// 1 to 8192. Other sizes are refused (false) and leave the current one.
bool FftSetSize(int n);
// Transforms the current size's complex values in place; sign -1 is the forward
// transform, +1 the inverse. No factor 1/N either way; no allocation.
void FftTransform(double* data, double sign);
// This thread's current plan (size 1024 until the thread chooses another).
const FftPlan& FftCurrentPlan();
