#include "resampler/DspSplineDot.h"

// As for the FFT: DILATORIX_SPLINE_SCALAR and DILATORIX_SPLINE_NO_AVX2 build
// the other kernels on a processor that would choose AVX2, for their tests.
#if (defined(__SSE2__) || defined(_M_X64)) && !defined(DILATORIX_SPLINE_SCALAR)
#define DILATORIX_SPLINE_SSE2 1
#include <emmintrin.h>
#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__)) && \
    !defined(DILATORIX_SPLINE_NO_AVX2)
#define DILATORIX_SPLINE_AVX2 1
#include <immintrin.h>
#endif
#endif

namespace resamp {

namespace {

// The taps from `from` on, one at a time.
double Tail(const double* c0, const double* c1, const double* c2, const double* x, int from, int n,
            double d) {
  double s0 = 0.0, s1 = 0.0, s2 = 0.0;
  for (int t = from; t < n; ++t) {
    s0 += c0[t] * x[t];
    s1 += c1[t] * x[t];
    s2 += c2[t] * x[t];
  }
  return s0 + (s1 + s2 * d) * d;
}

#if defined(DILATORIX_SPLINE_SSE2)

double DotSse2(const double* c0, const double* c1, const double* c2, const double* x, int n,
               double d) {
  __m128d s0 = _mm_setzero_pd(), s1 = _mm_setzero_pd(), s2 = _mm_setzero_pd();
  int t = 0;
  for (; t + 2 <= n; t += 2) {
    const __m128d v = _mm_loadu_pd(x + t);
    s0 = _mm_add_pd(s0, _mm_mul_pd(_mm_loadu_pd(c0 + t), v));
    s1 = _mm_add_pd(s1, _mm_mul_pd(_mm_loadu_pd(c1 + t), v));
    s2 = _mm_add_pd(s2, _mm_mul_pd(_mm_loadu_pd(c2 + t), v));
  }
  const __m128d dd = _mm_set1_pd(d);
  const __m128d s = _mm_add_pd(s0, _mm_mul_pd(_mm_add_pd(s1, _mm_mul_pd(s2, dd)), dd));
  double lanes[2];
  _mm_storeu_pd(lanes, s);
  return lanes[0] + lanes[1] + Tail(c0, c1, c2, x, t, n, d);
}

#endif

#if defined(DILATORIX_SPLINE_AVX2)

__attribute__((target("avx2,fma"))) double DotAvx2(const double* c0, const double* c1,
                                                   const double* c2, const double* x, int n,
                                                   double d) {
  __m256d s0 = _mm256_setzero_pd(), s1 = _mm256_setzero_pd(), s2 = _mm256_setzero_pd();
  int t = 0;
  for (; t + 4 <= n; t += 4) {
    const __m256d v = _mm256_loadu_pd(x + t);
    s0 = _mm256_fmadd_pd(_mm256_loadu_pd(c0 + t), v, s0);
    s1 = _mm256_fmadd_pd(_mm256_loadu_pd(c1 + t), v, s1);
    s2 = _mm256_fmadd_pd(_mm256_loadu_pd(c2 + t), v, s2);
  }
  const __m256d dd = _mm256_set1_pd(d);
  const __m256d s = _mm256_fmadd_pd(_mm256_fmadd_pd(s2, dd, s1), dd, s0);
  const __m128d half = _mm_add_pd(_mm256_castpd256_pd128(s), _mm256_extractf128_pd(s, 1));
  double lanes[2];
  _mm_storeu_pd(lanes, half);
  return lanes[0] + lanes[1] + Tail(c0, c1, c2, x, t, n, d);
}

bool HasAvx2() {
  __builtin_cpu_init();  // read during static initialisation
  return __builtin_cpu_supports("avx2") && __builtin_cpu_supports("fma");
}

using DotFunction = double (*)(const double*, const double*, const double*, const double*, int,
                               double);
const DotFunction chosenDot = HasAvx2() ? DotAvx2 : DotSse2;

#endif

}  // namespace

double DspSplineDot(const double* c0, const double* c1, const double* c2, const double* x, int n,
                    double d) {
#if defined(DILATORIX_SPLINE_AVX2)
  return chosenDot(c0, c1, c2, x, n, d);
#elif defined(DILATORIX_SPLINE_SSE2)
  return DotSse2(c0, c1, c2, x, n, d);
#else
  return Tail(c0, c1, c2, x, 0, n, d);
#endif
}

}  // namespace resamp
