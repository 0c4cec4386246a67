// The in-place complex FFT the engine transforms every frame with: radix-4
// decimation-in-time stages after a first pass that permutes to bit-reversed
// order and does the first stage (radix 2 for odd powers of two), on interleaved (re, im) doubles,
// unnormalised in both directions, natural order in and out. The stages run on SSE2 on x86-64, on
// AVX2 with FMA when the processor has them (chosen once at load), and as plain scalar code
// elsewhere.
//
// The plan tables (the twiddles of every stage, the first pass's pairs per size)
// are built once at load and never change, so instances on different host
// threads transform at the same time without a lock. The size a thread has
// chosen with FftSetSize is that thread's own: one thread changing size never
// disturbs a transform running on another.
#pragma once

#include <cstdint>

constexpr int kFftMaxLevels = 13;
constexpr int kFftMaxSize = 1 << kFftMaxLevels;  // 8192

// One size's plan. Its first pass does the bit-reversal permutation and the
// first stage together (radix 2 for an odd number of levels, radix 4 for an even
// one): a complex index splits into the radix's top bits, middle bits and its
// low bits, and each entry packs a middle value in the high 16 bits and that
// value's bit reversal in the low 16, the smaller first, each pair listed once.
struct FftPlan {
  std::int32_t size;
  std::int32_t levels;
  std::int32_t pairCount;
  const std::uint32_t* pairs;
};

// Chooses the size of this thread's following transforms: a power of two from
// 1 to 8192. Other sizes are refused (false) and leave the current one.
bool FftSetSize(int n);
// Transforms the current size's complex values in place; sign -1 is the forward
// transform, +1 the inverse. No factor 1/N either way; no allocation.
void FftTransform(double* data, double sign);
// This thread's current plan (size 1024 until the thread chooses another).
const FftPlan& FftCurrentPlan();

// The inverse transform of n complex values in place, as FftTransform would
// at size n, without changing the thread's current size. n is a power of two
// from 2 to 8192; false (data untouched) for any other.
bool FftInverseComplex(double* data, int n);

// The n/2 + 1 bins X[k] = sum_t x[t] e^(-2 pi i k t / n) of n real samples,
// through one complex transform of size n/2. In place: data holds the n
// samples, then the bins as n + 2 doubles of (re, im) pairs. n is a power of
// two from 2 to 8192; false (data untouched) for any other. The thread's
// current size stays as it was.
bool FftForwardReal(double* data, int n);

// The whole spectrum of n real samples, X[n - k] = conj X[k] above n/2, each
// bin times its complex factor: Y[k] = X[k] g[k], k < n. In place: data holds
// the n samples, then Y as 2n doubles of (re, im) pairs; g holds 2n doubles.
// n is a power of two from 2 to 8192; false (data untouched) for any other.
// The thread's current size stays as it was.
bool FftForwardRealTimes(double* data, int n, const double* g);

// The real signal of n samples x[t] = Re sum_{k=0..n/2} X[k] e^(+2 pi i k t / n)
// from the n/2 + 1 one-sided bins X (re, im pairs), through one complex
// transform of size n/2, which is what a real signal allows. In place: data
// holds the n + 2 doubles of the bins, then the n samples. n is a power of
// two from 2 to 8192; false (data untouched) for any other. The thread's
// current size stays as it was.
bool FftInverseOneSided(double* data, int n);
