#include "dsp/Fft.h"

#include <cmath>
#include <vector>

// Kernels: SSE2 where the compiler targets it (always on x86-64), AVX2 beside it
// on x86-64 with GCC or Clang, portable scalar code elsewhere. DILATORIX_FFT_NO_AVX2 and
// DILATORIX_FFT_SCALAR leave the faster ones out, so that the tests check every
// kernel on a processor that has AVX2.
#if (defined(__SSE2__) || defined(_M_X64)) && !defined(DILATORIX_FFT_SCALAR)
#define DILATORIX_FFT_SSE2 1
#include <emmintrin.h>
#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__)) && \
    !defined(DILATORIX_FFT_NO_AVX2)
#define DILATORIX_FFT_AVX2 1
#include <immintrin.h>
#endif
#endif

namespace {

// Radix-4 stages combine four transforms of length L into one of length 4L,
// for L = 1, 2, 4 .. kFftMaxSize / 4. The twiddles W^(r k), W = e^(-2 pi i / 4L),
// r = 1, 2, 3, k < L, of one L lie in six arrays of 2L doubles each, two per r:
// (re, re) pairs, then (-im, im) pairs, so a product a W is a * re + swap(a) * that,
// and a conj(W) is a * re - swap(a) * that.
constexpr int TwiddleOffset(int quarter) { return 12 * (quarter - 1); }
constexpr int kTwiddleDoubles = TwiddleOffset(kFftMaxSize / 2);  // all L up to N / 4

struct FftTables {
  std::vector<double> twiddles = std::vector<double>(kTwiddleDoubles);
  // e^(+2 pi i k / kFftMaxSize) for k up to kFftMaxSize / 4, as (cos, sin)
  // pairs: the one-sided inverse of size n reads every (kFftMaxSize / n)th.
  std::vector<double> roots = std::vector<double>(kFftMaxSize / 2 + 2);
  std::vector<std::uint32_t> pairs[kFftMaxLevels + 1];  // by log2 of the size
  FftPlan plans[kFftMaxLevels + 1];

  FftTables() {
    const long double pi = std::acos(-1.0L);
    for (int quarter = 1; quarter <= kFftMaxSize / 4; quarter *= 2) {
      double* block = twiddles.data() + TwiddleOffset(quarter);
      for (int r = 1; r <= 3; ++r) {
        double* re = block + 4 * quarter * (r - 1);
        double* im = re + 2 * quarter;
        for (int k = 0; k < quarter; ++k) {
          const long double angle = 2 * pi * (r * k) / (4 * quarter);
          const double c = static_cast<double>(std::cos(angle));
          const double s = static_cast<double>(std::sin(angle));  // W's imaginary part is -s
          re[2 * k] = re[2 * k + 1] = c;
          im[2 * k] = s;
          im[2 * k + 1] = -s;
        }
      }
    }
    for (int k = 0; k <= kFftMaxSize / 4; ++k) {
      const long double angle = 2 * pi * k / kFftMaxSize;
      roots[2 * k] = static_cast<double>(std::cos(angle));
      roots[2 * k + 1] = static_cast<double>(std::sin(angle));
    }
    for (int levels = 0; levels <= kFftMaxLevels; ++levels) {
      // Sizes 2 and 4 are one first-stage group with no middle bits.
      const int radixBits = levels % 2 == 1 ? 1 : 2;
      const int middleBits = levels >= 3 ? levels - 2 * radixBits : 0;
      for (int m = 0; m < (levels == 0 ? 0 : 1 << middleBits); ++m) {
        int reversed = 0;
        for (int bit = 0; bit < middleBits; ++bit)
          reversed |= ((m >> bit) & 1) << (middleBits - 1 - bit);
        if (m <= reversed) pairs[levels].push_back(static_cast<std::uint32_t>(m) << 16 | reversed);
      }
      plans[levels] = {1 << levels, levels, static_cast<std::int32_t>(pairs[levels].size()),
                       pairs[levels].data()};
    }
  }
};

const FftTables& Tables() {
  static const FftTables tables;
  return tables;
}

// Built when the library loads, before any transform.
const FftTables& loadedTables = Tables();

thread_local const FftPlan* currentPlan = &loadedTables.plans[10];

// The first pass. Complex index i = a N/R + b R + c with a, c < R (the radix, 2
// or 4) and b the middle bits. After the bit-reversal permutation, first-stage
// group (a, b) would hold the values at t N/R + rev(b) R + rev(a), t < R, and its
// outputs, at a N/R + b R + q, are the R-point DFT of those taken in the order of
// t. Groups of middle b read middle rev(b) and the reverse: each pair of middles
// is read whole before it is written, one half through a small buffer.
// Ops supplies the complex value type and its arithmetic.
// The 4-point DFT of a0 .. a3 into out[0 .. 3].
template <typename Ops>
inline void Dft4(typename Ops::Value a0, typename Ops::Value a1, typename Ops::Value a2,
                 typename Ops::Value a3, typename Ops::Value* out) {
  const auto s02 = Ops::Add(a0, a2), d02 = Ops::Sub(a0, a2);
  const auto s13 = Ops::Add(a1, a3), d13 = Ops::Quarter(Ops::Sub(a1, a3));
  out[0] = Ops::Add(s02, s13);
  out[1] = Ops::Add(d02, d13);
  out[2] = Ops::Sub(s02, s13);
  out[3] = Ops::Sub(d02, d13);
}

template <typename Ops, int R>
inline void FirstStageGroup(const double* x, int stride, int middle, int a,
                            typename Ops::Value* out) {
  static constexpr int kReversed4[4] = {0, 2, 1, 3};
  const double* in = x + 2 * (middle * R + (R == 4 ? kReversed4[a] : a));
  if (R == 2) {
    const auto u = Ops::Load(in), v = Ops::Load(in + 2 * stride);
    out[0] = Ops::Add(u, v);
    out[1] = Ops::Sub(u, v);
    return;
  }
  Dft4<Ops>(Ops::Load(in), Ops::Load(in + 2 * stride), Ops::Load(in + 4 * stride),
            Ops::Load(in + 6 * stride), out);
}

template <typename Ops, int R>
inline void FirstPassOfRadix(double* x, const FftPlan& plan) {
  typename Ops::Value held[R * R];
  const int stride = plan.size / R;
  if (stride == 1) {  // sizes 2 and 4: one group
    FirstStageGroup<Ops, R>(x, 1, 0, 0, held);
    for (int q = 0; q < R; ++q) Ops::Store(x + 2 * q, held[q]);
    return;
  }
  for (int k = 0; k < plan.pairCount; ++k) {
    const int b = static_cast<int>(plan.pairs[k] >> 16);
    const int reversed = static_cast<int>(plan.pairs[k] & 0xFFFF);
    for (int a = 0; a < R; ++a) FirstStageGroup<Ops, R>(x, stride, reversed, a, held + R * a);
    if (b != reversed) {
      for (int a = 0; a < R; ++a) {
        typename Ops::Value out[R];
        FirstStageGroup<Ops, R>(x, stride, b, a, out);
        double* to = x + 2 * (a * stride + reversed * R);
        for (int q = 0; q < R; ++q) Ops::Store(to + 2 * q, out[q]);
      }
    }
    for (int a = 0; a < R; ++a) {
      double* to = x + 2 * (a * stride + b * R);
      for (int q = 0; q < R; ++q) Ops::Store(to + 2 * q, held[R * a + q]);
    }
  }
}

template <typename Ops>
inline void FirstPass(double* x, const FftPlan& plan) {
  if (plan.levels % 2 == 1)
    FirstPassOfRadix<Ops, 2>(x, plan);
  else if (plan.levels > 0)
    FirstPassOfRadix<Ops, 4>(x, plan);
}

// Stages whose groups fit this many values run block by block (see RunStages).
constexpr int kCacheBlock = 1024;

// The radix-4 stages after the first pass, from L = R. A group of one stage
// only reads groups of the stages before it, so the stages whose groups fit
// a block of kCacheBlock values (16 KiB) run one block at a time, the block
// staying in the first-level cache, before the larger stages sweep the whole.
template <typename Kernel>
void RunStages(double* x, const FftPlan& plan) {
  const double* twiddles = loadedTables.twiddles.data();
  int quarter = plan.levels % 2 == 1 ? 2 : 4;
  if (plan.size > kCacheBlock) {
    for (int block = 0; block < plan.size; block += kCacheBlock)
      for (int q = quarter; 4 * q <= kCacheBlock; q *= 4)
        Kernel::Radix4(x + 2 * block, kCacheBlock, q, twiddles + TwiddleOffset(q));
    while (4 * quarter <= kCacheBlock) quarter *= 4;
  }
  for (; 4 * quarter <= plan.size; quarter *= 4)
    Kernel::Radix4(x, plan.size, quarter, twiddles + TwiddleOffset(quarter));
}

// One radix-4 stage, one complex value at a time: group by group, the four
// blocks of length L hold the sub-transforms of index 0, 2, 1 and 3.
template <typename Ops>
struct Radix4Stage {
  static void Radix4(double* x, int n, int quarter, const double* tw) {
    const int q2 = 2 * quarter;
    for (double* p0 = x; p0 < x + 2 * n; p0 += 4 * q2) {
      double* p1 = p0 + q2;
      double* p2 = p1 + q2;
      double* p3 = p2 + q2;
      for (int i = 0; i < q2; i += 2) {
        typename Ops::Value out[4];
        Dft4<Ops>(Ops::Load(p0 + i), Ops::Twiddle(Ops::Load(p2 + i), tw + i, tw + q2 + i),
                  Ops::Twiddle(Ops::Load(p1 + i), tw + 2 * q2 + i, tw + 3 * q2 + i),
                  Ops::Twiddle(Ops::Load(p3 + i), tw + 4 * q2 + i, tw + 5 * q2 + i), out);
        Ops::Store(p0 + i, out[0]);
        Ops::Store(p1 + i, out[1]);
        Ops::Store(p2 + i, out[2]);
        Ops::Store(p3 + i, out[3]);
      }
    }
  }
};

#if !defined(DILATORIX_FFT_SSE2)

// Portable kernels, one complex value at a time.
struct ScalarComplex {
  double re, im;
};

template <bool kInverse>
struct ScalarOps {
  using Value = ScalarComplex;
  static Value Load(const double* p) { return {p[0], p[1]}; }
  static void Store(double* p, Value v) {
    p[0] = v.re;
    p[1] = v.im;
  }
  static Value Add(Value u, Value v) { return {u.re + v.re, u.im + v.im}; }
  static Value Sub(Value u, Value v) { return {u.re - v.re, u.im - v.im}; }
  // Times -i forward, +i inverse.
  static Value Quarter(Value v) { return kInverse ? Value{-v.im, v.re} : Value{v.im, -v.re}; }
  // Times the twiddle W = re[0] - i im[0], or its conjugate for the inverse.
  static Value Twiddle(Value v, const double* re, const double* im) {
    const double c = re[0], s = kInverse ? -im[0] : im[0];
    return {v.re * c + v.im * s, v.im * c - v.re * s};
  }
};

template <bool kInverse>
void TransformScalar(double* x, const FftPlan& plan) {
  FirstPass<ScalarOps<kInverse>>(x, plan);
  RunStages<Radix4Stage<ScalarOps<kInverse>>>(x, plan);
}

void TransformForward(double* x, const FftPlan& plan) { TransformScalar<false>(x, plan); }
void TransformInverse(double* x, const FftPlan& plan) { TransformScalar<true>(x, plan); }

#else

// SSE2 kernels: one complex value per register. The bodies are inline so that
// the AVX2 build below recompiles them with VEX encoding.
inline __m128d Swap(__m128d a) { return _mm_shuffle_pd(a, a, 1); }

template <bool kInverse>
struct Sse2Ops {
  using Value = __m128d;
  static Value Load(const double* p) { return _mm_loadu_pd(p); }
  static void Store(double* p, Value v) { _mm_storeu_pd(p, v); }
  static Value Add(Value u, Value v) { return _mm_add_pd(u, v); }
  static Value Sub(Value u, Value v) { return _mm_sub_pd(u, v); }
  // Times -i forward, +i inverse.
  static Value Quarter(Value v) {
    const __m128d sign = kInverse ? _mm_set_pd(0.0, -0.0) : _mm_set_pd(-0.0, 0.0);
    return _mm_xor_pd(Swap(v), sign);
  }
  // Times a twiddle from its (re, re) and (-im, im) pairs, or its conjugate.
  static Value Twiddle(Value v, const double* re, const double* im) {
    const __m128d t1 = _mm_mul_pd(v, _mm_loadu_pd(re));
    const __m128d t2 = _mm_mul_pd(Swap(v), _mm_loadu_pd(im));
    return kInverse ? _mm_sub_pd(t1, t2) : _mm_add_pd(t1, t2);
  }
};

template <bool kInverse>
void TransformSse2(double* x, const FftPlan& plan) {
  FirstPass<Sse2Ops<kInverse>>(x, plan);
  RunStages<Radix4Stage<Sse2Ops<kInverse>>>(x, plan);
}

#if defined(DILATORIX_FFT_AVX2)

// AVX2 kernels: two neighbouring complex values per register.
#define DILATORIX_AVX2 __attribute__((target("avx2,fma")))

DILATORIX_AVX2 inline __m256d Swap(__m256d a) { return _mm256_permute_pd(a, 0x5); }

template <bool kInverse>
DILATORIX_AVX2 inline __m256d TwiddleBy(__m256d a, __m256d re, __m256d im) {
  const __m256d t2 = _mm256_mul_pd(Swap(a), im);
  return kInverse ? _mm256_fmsub_pd(a, re, t2) : _mm256_fmadd_pd(a, re, t2);
}

template <bool kInverse>
DILATORIX_AVX2 inline __m256d Twiddle(__m256d a, const double* re, const double* im) {
  return TwiddleBy<kInverse>(a, _mm256_loadu_pd(re), _mm256_loadu_pd(im));
}

// From this L on, a stage's twiddles would not stay in the first-level cache
// beside its data: W^2 and W^3 are computed from W instead of read.
constexpr int kDerivedTwiddles = 256;

template <bool kInverse>
struct Avx2Kernel {
  DILATORIX_AVX2 static void Radix4(double* x, int n, int quarter, const double* tw) {
    const int q2 = 2 * quarter;
    const __m256d sign =
        kInverse ? _mm256_set_pd(0.0, -0.0, 0.0, -0.0) : _mm256_set_pd(-0.0, 0.0, -0.0, 0.0);
    for (double* p0 = x; p0 < x + 2 * n; p0 += 4 * q2) {
      double* p1 = p0 + q2;
      double* p2 = p1 + q2;
      double* p3 = p2 + q2;
      for (int i = 0; i < q2; i += 4) {
        const __m256d a0 = _mm256_loadu_pd(p0 + i);
        __m256d a1, a2, a3;
        if (quarter >= kDerivedTwiddles) {
          // W^2 and W^3 from W, in the same (re, re), (-im, im) form.
          const __m256d re1 = _mm256_loadu_pd(tw + i), im1 = _mm256_loadu_pd(tw + q2 + i);
          const __m256d re2 = _mm256_fmsub_pd(re1, re1, _mm256_mul_pd(im1, im1));
          const __m256d im2 = _mm256_mul_pd(_mm256_add_pd(re1, re1), im1);
          const __m256d re3 = _mm256_fmsub_pd(re2, re1, _mm256_mul_pd(im2, im1));
          const __m256d im3 = _mm256_fmadd_pd(re2, im1, _mm256_mul_pd(im2, re1));
          a1 = TwiddleBy<kInverse>(_mm256_loadu_pd(p2 + i), re1, im1);
          a2 = TwiddleBy<kInverse>(_mm256_loadu_pd(p1 + i), re2, im2);
          a3 = TwiddleBy<kInverse>(_mm256_loadu_pd(p3 + i), re3, im3);
        } else {
          a1 = Twiddle<kInverse>(_mm256_loadu_pd(p2 + i), tw + i, tw + q2 + i);
          a2 = Twiddle<kInverse>(_mm256_loadu_pd(p1 + i), tw + 2 * q2 + i, tw + 3 * q2 + i);
          a3 = Twiddle<kInverse>(_mm256_loadu_pd(p3 + i), tw + 4 * q2 + i, tw + 5 * q2 + i);
        }
        const __m256d s02 = _mm256_add_pd(a0, a2), d02 = _mm256_sub_pd(a0, a2);
        const __m256d s13 = _mm256_add_pd(a1, a3);
        const __m256d d13 = _mm256_xor_pd(Swap(_mm256_sub_pd(a1, a3)), sign);
        _mm256_storeu_pd(p0 + i, _mm256_add_pd(s02, s13));
        _mm256_storeu_pd(p1 + i, _mm256_add_pd(d02, d13));
        _mm256_storeu_pd(p2 + i, _mm256_sub_pd(s02, s13));
        _mm256_storeu_pd(p3 + i, _mm256_sub_pd(d02, d13));
      }
    }
  }
};

// The first pass on AVX2, for sizes from 8 (N/R >= R): the groups a and a + R/2
// read neighbouring columns rev(a) and rev(a) + 1, so one register holds both
// groups' inputs, and their outputs are split into the two groups' halves.
template <bool kInverse, int R>
DILATORIX_AVX2 inline void FirstStageColumnsAvx2(const double* x, int stride, int middle, int j,
                                                 __m256d* out) {
  const double* in = x + 2 * (middle * R + 2 * j);
  if (R == 2) {
    const __m256d u = _mm256_loadu_pd(in), v = _mm256_loadu_pd(in + 2 * stride);
    const __m256d sum = _mm256_add_pd(u, v), difference = _mm256_sub_pd(u, v);
    out[0] = _mm256_permute2f128_pd(sum, difference, 0x20);
    out[1] = _mm256_permute2f128_pd(sum, difference, 0x31);
    return;
  }
  const __m256d sign =
      kInverse ? _mm256_set_pd(0.0, -0.0, 0.0, -0.0) : _mm256_set_pd(-0.0, 0.0, -0.0, 0.0);
  const __m256d a0 = _mm256_loadu_pd(in), a1 = _mm256_loadu_pd(in + 2 * stride);
  const __m256d a2 = _mm256_loadu_pd(in + 4 * stride), a3 = _mm256_loadu_pd(in + 6 * stride);
  const __m256d s02 = _mm256_add_pd(a0, a2), d02 = _mm256_sub_pd(a0, a2);
  const __m256d s13 = _mm256_add_pd(a1, a3);
  const __m256d d13 = _mm256_xor_pd(Swap(_mm256_sub_pd(a1, a3)), sign);
  const __m256d x0 = _mm256_add_pd(s02, s13), x1 = _mm256_add_pd(d02, d13);
  const __m256d x2 = _mm256_sub_pd(s02, s13), x3 = _mm256_sub_pd(d02, d13);
  out[0] = _mm256_permute2f128_pd(x0, x1, 0x20);
  out[1] = _mm256_permute2f128_pd(x2, x3, 0x20);
  out[2] = _mm256_permute2f128_pd(x0, x1, 0x31);
  out[3] = _mm256_permute2f128_pd(x2, x3, 0x31);
}

// Stores what FirstStageColumnsAvx2 made for column pair j to the groups of a middle.
template <int R>
DILATORIX_AVX2 inline void StoreColumnsAvx2(double* x, int stride, int middle, int j,
                                            const __m256d* v) {
  double* low = x + 2 * (j * stride + middle * R);  // group j (rev(j) = 2j for R = 4)
  double* high = low + R * stride;                  // group j + R / 2
  for (int h = 0; h < R / 2; ++h) {
    _mm256_storeu_pd(low + 4 * h, v[h]);
    _mm256_storeu_pd(high + 4 * h, v[R / 2 + h]);
  }
}

template <bool kInverse, int R>
DILATORIX_AVX2 void FirstPassAvx2(double* x, const FftPlan& plan) {
  const int stride = plan.size / R;
  for (int k = 0; k < plan.pairCount; ++k) {
    const int b = static_cast<int>(plan.pairs[k] >> 16);
    const int reversed = static_cast<int>(plan.pairs[k] & 0xFFFF);
    __m256d held[R * R / 2];
    for (int j = 0; j < R / 2; ++j)
      FirstStageColumnsAvx2<kInverse, R>(x, stride, reversed, j, held + R * j);
    if (b != reversed) {
      for (int j = 0; j < R / 2; ++j) {
        __m256d out[R];
        FirstStageColumnsAvx2<kInverse, R>(x, stride, b, j, out);
        StoreColumnsAvx2<R>(x, stride, reversed, j, out);
      }
    }
    for (int j = 0; j < R / 2; ++j) StoreColumnsAvx2<R>(x, stride, b, j, held + R * j);
  }
}

template <bool kInverse>
DILATORIX_AVX2 void TransformAvx2(double* x, const FftPlan& plan) {
  if (plan.size < 8)
    FirstPass<Sse2Ops<kInverse>>(x, plan);
  else if (plan.levels % 2 == 1)
    FirstPassAvx2<kInverse, 2>(x, plan);
  else
    FirstPassAvx2<kInverse, 4>(x, plan);
  RunStages<Avx2Kernel<kInverse>>(x, plan);
}

bool HasAvx2() {
  __builtin_cpu_init();  // these are read during static initialisation
  return __builtin_cpu_supports("avx2") && __builtin_cpu_supports("fma");
}

using TransformFunction = void (*)(double*, const FftPlan&);
const TransformFunction transformForward = HasAvx2() ? TransformAvx2<false> : TransformSse2<false>;
const TransformFunction transformInverse = HasAvx2() ? TransformAvx2<true> : TransformSse2<true>;

void TransformForward(double* x, const FftPlan& plan) { transformForward(x, plan); }
void TransformInverse(double* x, const FftPlan& plan) { transformInverse(x, plan); }

#else

void TransformForward(double* x, const FftPlan& plan) { TransformSse2<false>(x, plan); }
void TransformInverse(double* x, const FftPlan& plan) { TransformSse2<true>(x, plan); }

#endif
#endif

}  // namespace

namespace {

// log2 of a power of two.
int Levels(int n) {
  int levels = 0;
  while ((1 << levels) < n) ++levels;
  return levels;
}

bool IsTransformSize(int n) { return n >= 2 && n <= kFftMaxSize && (n & (n - 1)) == 0; }

}  // namespace

bool FftSetSize(int n) {
  if (n < 1 || n > kFftMaxSize || (n & (n - 1)) != 0) return false;
  currentPlan = &Tables().plans[Levels(n)];
  return true;
}

const FftPlan& FftCurrentPlan() { return *currentPlan; }

void FftTransform(double* x, double sign) {
  if (sign < 0)
    TransformForward(x, *currentPlan);
  else
    TransformInverse(x, *currentPlan);
}

namespace {

#if !defined(DILATORIX_FFT_SSE2)

// Bins k and j = n/2 - k of the real forward transform from entries k and j of
// its half-size transform Z, root (c, s) = W^k, W = e^(2 pi i / n): with
// E[k] = (Z[k] + conj Z[j]) / 2, O[k] = (Z[k] - conj Z[j]) / 2i and
// T = W^-k O[k], X[k] = E[k] + T and X[j] = conj(E[k] - T) (E[j] = conj E[k],
// O[j] = conj O[k], W^-j = -W^k).
struct UnfoldedPair {
  double kr, ki, jr, ji;
};

inline UnfoldedPair UnfoldPair(const double* x, int k, int j, const double* root) {
  const double ar = x[2 * k], ai = x[2 * k + 1], br = x[2 * j], bi = x[2 * j + 1];
  const double er = 0.5 * (ar + br), ei = 0.5 * (ai - bi);
  const double orr = 0.5 * (ai + bi), oi = -0.5 * (ar - br);
  const double c = root[0], s = root[1];
  return {er + c * orr + s * oi, ei + c * oi - s * orr, er - c * orr - s * oi,
          c * oi - s * orr - ei};
}

#else

// The real transforms' pairing of entries k and j = n/2 - k: e = (Z[k] +
// conj Z[j]) / 2 and d = (Z[k] - conj Z[j]) / 2.
inline void HalfSumAndDifference(const double* x, int k, int j, __m128d& e, __m128d& d) {
  const __m128d half = _mm_set1_pd(0.5);
  const __m128d a = _mm_loadu_pd(x + 2 * k);
  const __m128d b = _mm_xor_pd(_mm_loadu_pd(x + 2 * j), _mm_set_pd(-0.0, 0.0));  // conj Z[j]
  e = _mm_mul_pd(half, _mm_add_pd(a, b));
  d = _mm_mul_pd(half, _mm_sub_pd(a, b));
}

// UnfoldPair as above, on SSE2.
inline void UnfoldPair(const double* x, int k, int j, __m128d root, __m128d& xk, __m128d& xj) {
  const __m128d flipHigh = _mm_set_pd(-0.0, 0.0);  // negates the imaginary part
  __m128d e, d;
  HalfSumAndDifference(x, k, j, e, d);
  const __m128d o = _mm_xor_pd(Swap(d), flipHigh);  // (or, oi)
  const __m128d c = _mm_unpacklo_pd(root, root);
  const __m128d s = _mm_xor_pd(_mm_unpackhi_pd(root, root), flipHigh);  // (s, -s)
  const __m128d t = _mm_add_pd(_mm_mul_pd(o, c), _mm_mul_pd(Swap(o), s));
  xj = _mm_xor_pd(_mm_sub_pd(e, t), flipHigh);
  xk = _mm_add_pd(e, t);
}

// a times the complex factor at g.
inline __m128d Times(__m128d a, const double* g) {
  const __m128d f = _mm_loadu_pd(g);
  const __m128d im = _mm_xor_pd(_mm_unpackhi_pd(f, f), _mm_set_pd(0.0, -0.0));  // (-gi, gi)
  return _mm_add_pd(_mm_mul_pd(a, _mm_unpacklo_pd(f, f)), _mm_mul_pd(Swap(a), im));
}

// FftForwardRealTimes's pairs from k on. Entries above n/2 (doubles from n
// on) hold no input; below it, entries k and j are overwritten once read. Bin
// j's outputs go first, so at k = j = n/4 the two forms of the same bin leave
// bin k's.
void UnfoldTimesSse2(double* x, int n, const double* g, const double* roots, int stride, int k) {
  const __m128d flipHigh = _mm_set_pd(-0.0, 0.0);
  for (; 4 * k <= n; ++k) {
    const int j = n / 2 - k;
    __m128d xk, xj;
    UnfoldPair(x, k, j, _mm_loadu_pd(roots + 2 * k * stride), xk, xj);
    _mm_storeu_pd(x + 2 * j, Times(xj, g + 2 * j));
    _mm_storeu_pd(x + 2 * (n - j), Times(_mm_xor_pd(xj, flipHigh), g + 2 * (n - j)));
    _mm_storeu_pd(x + 2 * k, Times(xk, g + 2 * k));
    _mm_storeu_pd(x + 2 * (n - k), Times(_mm_xor_pd(xk, flipHigh), g + 2 * (n - k)));
  }
}

#if defined(DILATORIX_FFT_AVX2)

// a times the two complex factors at g.
DILATORIX_AVX2 inline __m256d TimesAvx2(__m256d a, const double* g) {
  const __m256d f = _mm256_loadu_pd(g);
  return _mm256_fmaddsub_pd(a, _mm256_movedup_pd(f),
                            _mm256_mul_pd(Swap(a), _mm256_permute_pd(f, 0xF)));
}

// The two lanes' complex values swapped.
DILATORIX_AVX2 inline __m256d Reversed(__m256d a) { return _mm256_permute2f128_pd(a, a, 1); }

// UnfoldTimesSse2 two pairs at a time: k and k + 1 beside j and j - 1; the
// last pair at k + 1 = j - 1 = n/4 writes bin k + 1's form last, as there.
DILATORIX_AVX2 void UnfoldTimesAvx2(double* x, int n, const double* g, const double* roots,
                                    int stride, int k) {
  const __m256d flipHigh = _mm256_set_pd(-0.0, 0.0, -0.0, 0.0);  // negates imaginary parts
  const __m256d half = _mm256_set1_pd(0.5);
  for (; 4 * (k + 1) <= n; k += 2) {
    const int j = n / 2 - k;
    const __m256d a = _mm256_loadu_pd(x + 2 * k);
    const __m256d b = _mm256_xor_pd(Reversed(_mm256_loadu_pd(x + 2 * (j - 1))), flipHigh);
    const __m256d e = _mm256_mul_pd(half, _mm256_add_pd(a, b));
    const __m256d d = _mm256_mul_pd(half, _mm256_sub_pd(a, b));
    const __m256d o = _mm256_xor_pd(Swap(d), flipHigh);  // (or, oi)
    const __m256d root =
        _mm256_insertf128_pd(_mm256_castpd128_pd256(_mm_loadu_pd(roots + 2 * k * stride)),
                             _mm_loadu_pd(roots + 2 * (k + 1) * stride), 1);
    const __m256d s = _mm256_xor_pd(_mm256_permute_pd(root, 0xF), flipHigh);  // (s, -s)
    const __m256d t = _mm256_fmadd_pd(o, _mm256_movedup_pd(root), _mm256_mul_pd(Swap(o), s));
    const __m256d xj = _mm256_xor_pd(_mm256_sub_pd(e, t), flipHigh);  // bins j, j - 1
    const __m256d xk = _mm256_add_pd(e, t);                           // bins k, k + 1
    _mm256_storeu_pd(x + 2 * (j - 1), TimesAvx2(Reversed(xj), g + 2 * (j - 1)));
    _mm256_storeu_pd(x + 2 * (n - j), TimesAvx2(_mm256_xor_pd(xj, flipHigh), g + 2 * (n - j)));
    _mm256_storeu_pd(x + 2 * k, TimesAvx2(xk, g + 2 * k));
    _mm256_storeu_pd(x + 2 * (n - k - 1),
                     TimesAvx2(Reversed(_mm256_xor_pd(xk, flipHigh)), g + 2 * (n - k - 1)));
  }
  UnfoldTimesSse2(x, n, g, roots, stride, k);
}

#endif

using UnfoldTimesFunction = void (*)(double*, int, const double*, const double*, int, int);
#if defined(DILATORIX_FFT_AVX2)
const UnfoldTimesFunction unfoldTimes = HasAvx2() ? UnfoldTimesAvx2 : UnfoldTimesSse2;
#else
const UnfoldTimesFunction unfoldTimes = UnfoldTimesSse2;
#endif

#endif

}  // namespace

bool FftInverseComplex(double* x, int n) {
  if (!IsTransformSize(n)) return false;
  TransformInverse(x, Tables().plans[Levels(n)]);
  return true;
}

// The samples read as n/2 complex values z[m] = x[2m] + i x[2m+1] transform
// to Z; X[k] = E[k] + W^-k O[k] with E[k] = (Z[k] + conj Z[n/2 - k]) / 2,
// O[k] = (Z[k] - conj Z[n/2 - k]) / 2i and W = e^(2 pi i / n); bins k and
// n/2 - k come from entries k and n/2 - k, so the pairs work in place.
bool FftForwardReal(double* x, int n) {
  if (!IsTransformSize(n)) return false;
  const FftTables& tables = Tables();
  const int half = n / 2;
  TransformForward(x, tables.plans[Levels(half)]);
  const double first = x[0], second = x[1];
  x[0] = first + second;
  x[1] = 0.0;
  x[n] = first - second;
  x[n + 1] = 0.0;
  const double* roots = tables.roots.data();
  const int stride = kFftMaxSize / n;
#if defined(DILATORIX_FFT_SSE2)
  for (int k = 1; 2 * k <= half; ++k) {
    const int j = half - k;
    __m128d xk, xj;
    UnfoldPair(x, k, j, _mm_loadu_pd(roots + 2 * k * stride), xk, xj);
    _mm_storeu_pd(x + 2 * j, xj);
    _mm_storeu_pd(x + 2 * k, xk);
  }
#else
  for (int k = 1; 2 * k <= half; ++k) {
    const int j = half - k;
    const UnfoldedPair p = UnfoldPair(x, k, j, roots + 2 * k * stride);
    x[2 * j] = p.jr;
    x[2 * j + 1] = p.ji;
    x[2 * k] = p.kr;
    x[2 * k + 1] = p.ki;
  }
#endif
  return true;
}

// As FftForwardReal, then bin n - k = conj X[k] above n/2, every bin times its
// factor, in the same pass that unfolds the bins.
bool FftForwardRealTimes(double* x, int n, const double* g) {
  if (!IsTransformSize(n)) return false;
  const FftTables& tables = Tables();
  const int half = n / 2;
  TransformForward(x, tables.plans[Levels(half)]);
  const double first = x[0], second = x[1];
  const double* roots = tables.roots.data();
  const int stride = kFftMaxSize / n;
  // Entries above n/2 (doubles from n on) hold no input; below it, entries
  // k and j are overwritten once read. Bin j's outputs go first, so at
  // k = j = n/4 the two forms of the same bin leave bin k's.
#if defined(DILATORIX_FFT_SSE2)
  unfoldTimes(x, n, g, roots, stride, 1);
#else
  auto store = [x, g](int k, double re, double im) {
    x[2 * k] = re * g[2 * k] - im * g[2 * k + 1];
    x[2 * k + 1] = re * g[2 * k + 1] + im * g[2 * k];
  };
  for (int k = 1; 2 * k <= half; ++k) {
    const int j = half - k;
    const UnfoldedPair p = UnfoldPair(x, k, j, roots + 2 * k * stride);
    store(j, p.jr, p.ji);
    store(n - j, p.jr, -p.ji);
    store(k, p.kr, p.ki);
    store(n - k, p.kr, -p.ki);
  }
#endif
  x[0] = (first + second) * g[0];
  x[1] = (first + second) * g[1];
  x[n] = (first - second) * g[n];
  x[n + 1] = (first - second) * g[n + 1];
  return true;
}

// With Z the hermitian spectrum the one-sided bins stand for (Z[0] and
// Z[n/2] their real parts, Z[k] = X[k] / 2 between), the even samples are
// the inverse transform of E[k] = Z[k] + conj Z[n/2 - k] and the odd ones
// that of O[k] = (Z[k] - conj Z[n/2 - k]) W^k, W = e^(2 pi i / n); one
// complex transform of E + i O gives both, interleaved as x itself. Bins k
// and n/2 - k make entries k and n/2 - k, so the pairs work in place.
bool FftInverseOneSided(double* x, int n) {
  if (!IsTransformSize(n)) return false;
  const FftTables& tables = Tables();
  const int half = n / 2;
  const double first = x[0], last = x[n];
  x[0] = first + last;
  x[1] = first - last;
  const double* roots = tables.roots.data();
  const int stride = kFftMaxSize / n;
  // Entry j: E[j] = conj E[k], O[j] = conj O[k].
#if defined(DILATORIX_FFT_SSE2)
  const __m128d flipHigh = _mm_set_pd(-0.0, 0.0);  // negates the imaginary part
  const __m128d flipLow = _mm_set_pd(0.0, -0.0);
  for (int k = 1; 2 * k <= half; ++k) {
    const int j = half - k;
    __m128d e, d;
    HalfSumAndDifference(x, k, j, e, d);
    const __m128d root = _mm_loadu_pd(roots + 2 * k * stride);  // (c, s)
    const __m128d c = _mm_unpacklo_pd(root, root);
    const __m128d s = _mm_xor_pd(_mm_unpackhi_pd(root, root), flipLow);  // (-s, s)
    const __m128d o = _mm_add_pd(_mm_mul_pd(d, c), _mm_mul_pd(Swap(d), s));
    const __m128d swapped = Swap(o);  // (oi, or)
    _mm_storeu_pd(x + 2 * j, _mm_add_pd(_mm_xor_pd(e, flipHigh), swapped));
    _mm_storeu_pd(x + 2 * k, _mm_add_pd(e, _mm_xor_pd(swapped, flipLow)));
  }
#else
  for (int k = 1; 2 * k <= half; ++k) {
    const int j = half - k;
    const double ar = x[2 * k], ai = x[2 * k + 1], br = x[2 * j], bi = x[2 * j + 1];
    const double er = 0.5 * (ar + br), ei = 0.5 * (ai - bi);
    const double dr = 0.5 * (ar - br), di = 0.5 * (ai + bi);
    const double c = roots[2 * k * stride], s = roots[2 * k * stride + 1];
    const double orr = dr * c - di * s, oi = dr * s + di * c;
    x[2 * j] = er + oi;
    x[2 * j + 1] = orr - ei;
    x[2 * k] = er - oi;
    x[2 * k + 1] = ei + orr;
  }
#endif
  TransformInverse(x, tables.plans[Levels(half)]);
  return true;
}
