#include "dsp/PolarMath.h"

#include <cmath>
#include <cstring>

// Kernels: SSE2 where the compiler targets it (always on x86-64), AVX2 with FMA
// beside it on x86-64 with GCC or Clang, the standard library elsewhere.
// DILATORIX_POLAR_NO_AVX2 and DILATORIX_POLAR_SCALAR leave the faster ones out,
// so that the tests check every kernel on a processor that has AVX2.
#if (defined(__SSE2__) || defined(_M_X64)) && !defined(DILATORIX_POLAR_SCALAR)
#define DILATORIX_POLAR_SSE2 1
#include <emmintrin.h>
#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__)) && \
    !defined(DILATORIX_POLAR_NO_AVX2)
#define DILATORIX_POLAR_AVX2 1
#include <immintrin.h>
#endif
#endif

namespace {

#if defined(DILATORIX_POLAR_SSE2)

constexpr double kPi = 3.14159265358979323846;
constexpr double kHalfPi = kPi / 2;
constexpr double kTwoOverPi = 2 / kPi;
constexpr double kRoundingBias = 6755399441055744.0;  // 1.5 * 2^52
// pi/2 = kHalfPi1 + kHalfPi2 + kHalfPi3 to about 2^-120; the first two have
// at most 33 significant bits.
constexpr double kHalfPi1 = 0x1.921fb544p+0;
constexpr double kHalfPi2 = 0x1.0b4611a6p-34;
constexpr double kHalfPi3 = 0x1.3198a2e037073p-69;
// Past this the quadrant count no longer fits the exact products.
constexpr double kSinCosLimit = 1048576.0;  // 2^20

constexpr double Factorial(int n) { return n <= 1 ? 1.0 : n * Factorial(n - 1); }

// Taylor series on |r| <= pi/4: the first terms left out are below 3e-18.
// sin r = r + r^3 (-1/3! + r^2/5! - ...), cos r = 1 - r^2/2 + r^4 (1/4! - ...).
constexpr int kSinTerms = 8;
constexpr double kSinTaylor[kSinTerms] = {-1 / Factorial(3),  1 / Factorial(5),   -1 / Factorial(7),
                                          1 / Factorial(9),   -1 / Factorial(11), 1 / Factorial(13),
                                          -1 / Factorial(15), 1 / Factorial(17)};
constexpr int kCosTerms = 7;
constexpr double kCosTaylor[kCosTerms] = {1 / Factorial(4),   -1 / Factorial(6), 1 / Factorial(8),
                                          -1 / Factorial(10), 1 / Factorial(12), -1 / Factorial(14),
                                          1 / Factorial(16)};

// atan t = t + t^3 (-1/3 + t^2/5 - ...) on |t| <= tan(pi/12): the first term
// left out is below 1e-17 of t.
constexpr int kAtanTerms = 13;
constexpr double AtanTerm(int j) { return (j % 2 == 0 ? 1.0 : -1.0) / (2 * j + 1); }
constexpr double kAtanTaylor[kAtanTerms] = {
    AtanTerm(1), AtanTerm(2), AtanTerm(3),  AtanTerm(4),  AtanTerm(5),  AtanTerm(6), AtanTerm(7),
    AtanTerm(8), AtanTerm(9), AtanTerm(10), AtanTerm(11), AtanTerm(12), AtanTerm(13)};
constexpr double kTanPiOver12 = 0.2679491924311227;   // 2 - sqrt 3
constexpr double kUpperTan = 0x1.279a74590331cp-1;    // 1 / sqrt 3, rounded
constexpr double kUpperAngle = 0x1.0c152382d7365p-1;  // atan of kUpperTan
constexpr double kAtanHuge = 1e300, kAtanTiny = 1e-300;

namespace sse2 {

#define DILATORIX_POLAR_TARGET
using V = __m128d;
constexpr int kLanes = 2;

inline V Load(const double* p) { return _mm_loadu_pd(p); }
inline void Store(double* p, V v) { _mm_storeu_pd(p, v); }
inline V Set(double x) { return _mm_set1_pd(x); }
inline V Add(V a, V b) { return _mm_add_pd(a, b); }
inline V Sub(V a, V b) { return _mm_sub_pd(a, b); }
inline V Mul(V a, V b) { return _mm_mul_pd(a, b); }
inline V Div(V a, V b) { return _mm_div_pd(a, b); }
inline V Sqrt(V a) { return _mm_sqrt_pd(a); }
inline V Min(V a, V b) { return _mm_min_pd(a, b); }
inline V Max(V a, V b) { return _mm_max_pd(a, b); }
inline V MulAdd(V a, V b, V c) { return _mm_add_pd(_mm_mul_pd(a, b), c); }     // a b + c
inline V NegMulAdd(V a, V b, V c) { return _mm_sub_pd(c, _mm_mul_pd(a, b)); }  // c - a b
inline V And(V a, V b) { return _mm_and_pd(a, b); }
inline V Or(V a, V b) { return _mm_or_pd(a, b); }
inline V Xor(V a, V b) { return _mm_xor_pd(a, b); }
inline V Abs(V a) { return _mm_andnot_pd(_mm_set1_pd(-0.0), a); }
inline V Select(V mask, V a, V b) { return _mm_or_pd(_mm_and_pd(mask, a), _mm_andnot_pd(mask, b)); }
inline V Less(V a, V b) { return _mm_cmplt_pd(a, b); }
inline V Greater(V a, V b) { return _mm_cmpgt_pd(a, b); }
inline V Equal(V a, V b) { return _mm_cmpeq_pd(a, b); }
inline V NotLessEqual(V a, V b) { return _mm_cmpnle_pd(a, b); }
inline V Unordered(V a, V b) { return _mm_cmpunord_pd(a, b); }
inline bool AnyTrue(V mask) { return _mm_movemask_pd(mask) != 0; }
// All ones where the lane's sign bit is set.
inline V SignMask(V a) {
  return _mm_castsi128_pd(
      _mm_shuffle_epi32(_mm_srai_epi32(_mm_castpd_si128(a), 31), _MM_SHUFFLE(3, 3, 1, 1)));
}
// All ones where the lane's lowest bit is set.
inline V OddMask(V a) {
  const __m128i low = _mm_and_si128(_mm_castpd_si128(a), _mm_set1_epi64x(1));
  return _mm_castsi128_pd(_mm_sub_epi64(_mm_setzero_si128(), low));
}
// The sign bit where bit 1 of the lane's bits plus add is set.
inline V Bit1ToSign(V a, int add) {
  const __m128i bits = _mm_add_epi64(_mm_castpd_si128(a), _mm_set1_epi64x(add));
  return _mm_castsi128_pd(_mm_slli_epi64(_mm_and_si128(bits, _mm_set1_epi64x(2)), 62));
}
// Interleaved pairs (a, b) to their first and second halves, and back.
inline void Split(V a, V b, V* first, V* second) {
  *first = _mm_unpacklo_pd(a, b);
  *second = _mm_unpackhi_pd(a, b);
}
inline void Join(V first, V second, V* a, V* b) {
  *a = _mm_unpacklo_pd(first, second);
  *b = _mm_unpackhi_pd(first, second);
}

#include "dsp/PolarMathKernels.inc"
#undef DILATORIX_POLAR_TARGET

}  // namespace sse2

#if defined(DILATORIX_POLAR_AVX2)

namespace avx2 {

#define DILATORIX_POLAR_TARGET __attribute__((target("avx2,fma")))
using V = __m256d;
constexpr int kLanes = 4;

DILATORIX_POLAR_TARGET inline V Load(const double* p) { return _mm256_loadu_pd(p); }
DILATORIX_POLAR_TARGET inline void Store(double* p, V v) { _mm256_storeu_pd(p, v); }
DILATORIX_POLAR_TARGET inline V Set(double x) { return _mm256_set1_pd(x); }
DILATORIX_POLAR_TARGET inline V Add(V a, V b) { return _mm256_add_pd(a, b); }
DILATORIX_POLAR_TARGET inline V Sub(V a, V b) { return _mm256_sub_pd(a, b); }
DILATORIX_POLAR_TARGET inline V Mul(V a, V b) { return _mm256_mul_pd(a, b); }
DILATORIX_POLAR_TARGET inline V Div(V a, V b) { return _mm256_div_pd(a, b); }
DILATORIX_POLAR_TARGET inline V Sqrt(V a) { return _mm256_sqrt_pd(a); }
DILATORIX_POLAR_TARGET inline V Min(V a, V b) { return _mm256_min_pd(a, b); }
DILATORIX_POLAR_TARGET inline V Max(V a, V b) { return _mm256_max_pd(a, b); }
DILATORIX_POLAR_TARGET inline V MulAdd(V a, V b, V c) { return _mm256_fmadd_pd(a, b, c); }
DILATORIX_POLAR_TARGET inline V NegMulAdd(V a, V b, V c) { return _mm256_fnmadd_pd(a, b, c); }
DILATORIX_POLAR_TARGET inline V And(V a, V b) { return _mm256_and_pd(a, b); }
DILATORIX_POLAR_TARGET inline V Or(V a, V b) { return _mm256_or_pd(a, b); }
DILATORIX_POLAR_TARGET inline V Xor(V a, V b) { return _mm256_xor_pd(a, b); }
DILATORIX_POLAR_TARGET inline V Abs(V a) { return _mm256_andnot_pd(_mm256_set1_pd(-0.0), a); }
DILATORIX_POLAR_TARGET inline V Select(V mask, V a, V b) { return _mm256_blendv_pd(b, a, mask); }
DILATORIX_POLAR_TARGET inline V Less(V a, V b) { return _mm256_cmp_pd(a, b, _CMP_LT_OQ); }
DILATORIX_POLAR_TARGET inline V Greater(V a, V b) { return _mm256_cmp_pd(a, b, _CMP_GT_OQ); }
DILATORIX_POLAR_TARGET inline V Equal(V a, V b) { return _mm256_cmp_pd(a, b, _CMP_EQ_OQ); }
DILATORIX_POLAR_TARGET inline V NotLessEqual(V a, V b) { return _mm256_cmp_pd(a, b, _CMP_NLE_UQ); }
DILATORIX_POLAR_TARGET inline V Unordered(V a, V b) { return _mm256_cmp_pd(a, b, _CMP_UNORD_Q); }
DILATORIX_POLAR_TARGET inline bool AnyTrue(V mask) { return _mm256_movemask_pd(mask) != 0; }
DILATORIX_POLAR_TARGET inline V SignMask(V a) {
  return _mm256_castsi256_pd(
      _mm256_shuffle_epi32(_mm256_srai_epi32(_mm256_castpd_si256(a), 31), _MM_SHUFFLE(3, 3, 1, 1)));
}
DILATORIX_POLAR_TARGET inline V OddMask(V a) {
  const __m256i low = _mm256_and_si256(_mm256_castpd_si256(a), _mm256_set1_epi64x(1));
  return _mm256_castsi256_pd(_mm256_sub_epi64(_mm256_setzero_si256(), low));
}
DILATORIX_POLAR_TARGET inline V Bit1ToSign(V a, int add) {
  const __m256i bits = _mm256_add_epi64(_mm256_castpd_si256(a), _mm256_set1_epi64x(add));
  return _mm256_castsi256_pd(_mm256_slli_epi64(_mm256_and_si256(bits, _mm256_set1_epi64x(2)), 62));
}
// In-lane unpacking mixes the 128-bit halves; the cross-lane permutes undo it.
DILATORIX_POLAR_TARGET inline void Split(V a, V b, V* first, V* second) {
  const V low = _mm256_permute2f128_pd(a, b, 0x20), high = _mm256_permute2f128_pd(a, b, 0x31);
  *first = _mm256_unpacklo_pd(low, high);
  *second = _mm256_unpackhi_pd(low, high);
}
DILATORIX_POLAR_TARGET inline void Join(V first, V second, V* a, V* b) {
  const V low = _mm256_unpacklo_pd(first, second), high = _mm256_unpackhi_pd(first, second);
  *a = _mm256_permute2f128_pd(low, high, 0x20);
  *b = _mm256_permute2f128_pd(low, high, 0x31);
}

#include "dsp/PolarMathKernels.inc"
#undef DILATORIX_POLAR_TARGET

}  // namespace avx2

bool HasAvx2() {
  __builtin_cpu_init();  // read during static initialisation
  return __builtin_cpu_supports("avx2") && __builtin_cpu_supports("fma");
}

const bool useAvx2 = HasAvx2();

#endif
#endif

}  // namespace

#if defined(DILATORIX_POLAR_AVX2)

void RectToPolar(double* data, int n) {
  useAvx2 ? avx2::RectToPolarArray(data, n) : sse2::RectToPolarArray(data, n);
}

void PolarToRect(const double* magnitude, const double* phase, double* data, int n) {
  useAvx2 ? avx2::PolarToRectArray(magnitude, phase, data, n)
          : sse2::PolarToRectArray(magnitude, phase, data, n);
}

void SinCos(const double* x, double* sine, double* cosine, int n) {
  useAvx2 ? avx2::SinCosArray(x, sine, cosine, n) : sse2::SinCosArray(x, sine, cosine, n);
}

#elif defined(DILATORIX_POLAR_SSE2)

void RectToPolar(double* data, int n) { sse2::RectToPolarArray(data, n); }

void PolarToRect(const double* magnitude, const double* phase, double* data, int n) {
  sse2::PolarToRectArray(magnitude, phase, data, n);
}

void SinCos(const double* x, double* sine, double* cosine, int n) {
  sse2::SinCosArray(x, sine, cosine, n);
}

#else

void RectToPolar(double* data, int n) {
  for (int i = 0; i < n; ++i) {
    const double re = data[2 * i], im = data[2 * i + 1];
    data[2 * i] = std::sqrt(re * re + im * im);
    data[2 * i + 1] = std::atan2(im, re);
  }
}

void PolarToRect(const double* magnitude, const double* phase, double* data, int n) {
  for (int i = 0; i < n; ++i) {
    data[2 * i] = magnitude[i] * std::cos(phase[i]);
    data[2 * i + 1] = magnitude[i] * std::sin(phase[i]);
  }
}

void SinCos(const double* x, double* sine, double* cosine, int n) {
  for (int i = 0; i < n; ++i) {
    sine[i] = std::sin(x[i]);
    cosine[i] = std::cos(x[i]);
  }
}

#endif
