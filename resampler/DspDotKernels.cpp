#include "resampler/DspDotKernels.h"

// As for the FFT: DILATORIX_DOT_SCALAR and DILATORIX_DOT_NO_AVX2 build
// the other kernels on a processor that would choose AVX2, for their tests.
#if (defined(__SSE2__) || defined(_M_X64)) && !defined(DILATORIX_DOT_SCALAR)
#define DILATORIX_DOT_SSE2 1
#include <emmintrin.h>
#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__)) && \
    !defined(DILATORIX_DOT_NO_AVX2)
#define DILATORIX_DOT_AVX2 1
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

void RowsScalar(const double* const* taps, const double* const* x, int n, int from, int count,
                double* out) {
  for (int i = from; i < count; ++i) {
    double s = 0.0;
    for (int t = 0; t < n; ++t) s += taps[i][t] * x[i][t];
    out[i] = s;
  }
}

double DotScalar(const double* taps, const double* x, int n) {
  double s = 0.0;
  for (int t = 0; t < n; ++t) s += taps[t] * x[t];
  return s;
}

#if !defined(DILATORIX_DOT_SSE2)
void PeriodsScalar(const double* taps, const std::int32_t* offsets, int phases, const double* x,
                   int period, int periods, int n, double* out) {
  for (int j = 0; j < phases; ++j)
    for (int m = 0; m < periods; ++m)
      out[m * phases + j] = DotScalar(taps + j * n, x + m * period + offsets[j], n);
}
#endif

#if defined(DILATORIX_DOT_SSE2)

void PeriodsSse2(const double* taps, const std::int32_t* offsets, int phases, const double* x,
                 int period, int periods, int n, double* out) {
  for (int j = 0; j < phases; ++j) {
    const double* h = taps + j * n;
    const double* base = x + offsets[j];
    int m = 0;
    for (; m + 2 <= periods; m += 2) {
      const double* x0 = base + m * period;
      const double* x1 = x0 + period;
      __m128d a0 = _mm_setzero_pd(), a1 = _mm_setzero_pd();
      for (int t = 0; t < n; t += 2) {
        const __m128d hv = _mm_loadu_pd(h + t);
        a0 = _mm_add_pd(a0, _mm_mul_pd(hv, _mm_loadu_pd(x0 + t)));
        a1 = _mm_add_pd(a1, _mm_mul_pd(hv, _mm_loadu_pd(x1 + t)));
      }
      double sums[2];
      _mm_storeu_pd(sums, _mm_add_pd(_mm_unpacklo_pd(a0, a1), _mm_unpackhi_pd(a0, a1)));
      out[m * phases + j] = sums[0];
      out[(m + 1) * phases + j] = sums[1];
    }
    for (; m < periods; ++m) out[m * phases + j] = DotScalar(h, base + m * period, n);
  }
}

void RowsSse2(const double* const* taps, const double* const* x, int n, int count, double* out) {
  int i = 0;
  for (; i + 2 <= count; i += 2) {
    __m128d a0 = _mm_setzero_pd(), a1 = _mm_setzero_pd();
    for (int t = 0; t < n; t += 2) {
      a0 = _mm_add_pd(a0, _mm_mul_pd(_mm_loadu_pd(taps[i] + t), _mm_loadu_pd(x[i] + t)));
      a1 = _mm_add_pd(a1, _mm_mul_pd(_mm_loadu_pd(taps[i + 1] + t), _mm_loadu_pd(x[i + 1] + t)));
    }
    // (a0[0] + a0[1], a1[0] + a1[1])
    const __m128d low = _mm_unpacklo_pd(a0, a1), high = _mm_unpackhi_pd(a0, a1);
    _mm_storeu_pd(out + i, _mm_add_pd(low, high));
  }
  RowsScalar(taps, x, n, i, count, out);
}

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

#if defined(DILATORIX_DOT_AVX2)

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

__attribute__((target("avx2,fma"))) void RowsAvx2(const double* const* taps, const double* const* x,
                                                  int n, int count, double* out) {
  int i = 0;
  for (; i + 4 <= count; i += 4) {
    __m256d a0 = _mm256_setzero_pd(), a1 = _mm256_setzero_pd();
    __m256d a2 = _mm256_setzero_pd(), a3 = _mm256_setzero_pd();
    for (int t = 0; t < n; t += 4) {
      a0 = _mm256_fmadd_pd(_mm256_loadu_pd(taps[i] + t), _mm256_loadu_pd(x[i] + t), a0);
      a1 = _mm256_fmadd_pd(_mm256_loadu_pd(taps[i + 1] + t), _mm256_loadu_pd(x[i + 1] + t), a1);
      a2 = _mm256_fmadd_pd(_mm256_loadu_pd(taps[i + 2] + t), _mm256_loadu_pd(x[i + 2] + t), a2);
      a3 = _mm256_fmadd_pd(_mm256_loadu_pd(taps[i + 3] + t), _mm256_loadu_pd(x[i + 3] + t), a3);
    }
    // Pairwise sums (a0 low, a1 low, a0 high, a1 high) and the same for a2, a3;
    // the two 128-bit halves added give the four totals in order.
    const __m256d h01 = _mm256_hadd_pd(a0, a1), h23 = _mm256_hadd_pd(a2, a3);
    const __m256d crossed = _mm256_permute2f128_pd(h01, h23, 0x21);
    const __m256d straight = _mm256_blend_pd(h01, h23, 0xC);
    _mm256_storeu_pd(out + i, _mm256_add_pd(crossed, straight));
  }
  RowsScalar(taps, x, n, i, count, out);
}

__attribute__((target("avx2,fma"))) void PeriodsAvx2(const double* taps,
                                                     const std::int32_t* offsets, int phases,
                                                     const double* x, int period, int periods,
                                                     int n, double* out) {
  for (int j = 0; j < phases; ++j) {
    const double* h = taps + j * n;
    const double* base = x + offsets[j];
    int m = 0;
    for (; m + 4 <= periods; m += 4) {
      const double* x0 = base + m * period;
      const double* x1 = x0 + period;
      const double* x2 = x1 + period;
      const double* x3 = x2 + period;
      __m256d a0 = _mm256_setzero_pd(), a1 = _mm256_setzero_pd();
      __m256d a2 = _mm256_setzero_pd(), a3 = _mm256_setzero_pd();
      for (int t = 0; t < n; t += 4) {
        const __m256d hv = _mm256_loadu_pd(h + t);
        a0 = _mm256_fmadd_pd(hv, _mm256_loadu_pd(x0 + t), a0);
        a1 = _mm256_fmadd_pd(hv, _mm256_loadu_pd(x1 + t), a1);
        a2 = _mm256_fmadd_pd(hv, _mm256_loadu_pd(x2 + t), a2);
        a3 = _mm256_fmadd_pd(hv, _mm256_loadu_pd(x3 + t), a3);
      }
      const __m256d h01 = _mm256_hadd_pd(a0, a1), h23 = _mm256_hadd_pd(a2, a3);
      double sums[4];
      _mm256_storeu_pd(sums, _mm256_add_pd(_mm256_permute2f128_pd(h01, h23, 0x21),
                                           _mm256_blend_pd(h01, h23, 0xC)));
      for (int k = 0; k < 4; ++k) out[(m + k) * phases + j] = sums[k];
    }
    for (; m < periods; ++m) out[m * phases + j] = DotScalar(h, base + m * period, n);
  }
}

bool HasAvx2() {
  __builtin_cpu_init();  // read during static initialisation
  return __builtin_cpu_supports("avx2") && __builtin_cpu_supports("fma");
}

using DotFunction = double (*)(const double*, const double*, const double*, const double*, int,
                               double);
const DotFunction chosenDot = HasAvx2() ? DotAvx2 : DotSse2;
using RowsFunction = void (*)(const double* const*, const double* const*, int, int, double*);
const RowsFunction chosenRows = HasAvx2() ? RowsAvx2 : RowsSse2;
using PeriodsFunction = void (*)(const double*, const std::int32_t*, int, const double*, int, int,
                                 int, double*);
const PeriodsFunction chosenPeriods = HasAvx2() ? PeriodsAvx2 : PeriodsSse2;

#endif

}  // namespace

double DspSplineDot(const double* c0, const double* c1, const double* c2, const double* x, int n,
                    double d) {
#if defined(DILATORIX_DOT_AVX2)
  return chosenDot(c0, c1, c2, x, n, d);
#elif defined(DILATORIX_DOT_SSE2)
  return DotSse2(c0, c1, c2, x, n, d);
#else
  return Tail(c0, c1, c2, x, 0, n, d);
#endif
}

void DspDotRows(const double* const* taps, const double* const* x, int n, int count, double* out) {
#if defined(DILATORIX_DOT_AVX2)
  chosenRows(taps, x, n, count, out);
#elif defined(DILATORIX_DOT_SSE2)
  RowsSse2(taps, x, n, count, out);
#else
  RowsScalar(taps, x, n, 0, count, out);
#endif
}

void DspDotPeriods(const double* taps, const std::int32_t* offsets, int phases, const double* x,
                   int period, int periods, int n, double* out) {
#if defined(DILATORIX_DOT_AVX2)
  chosenPeriods(taps, offsets, phases, x, period, periods, n, out);
#elif defined(DILATORIX_DOT_SSE2)
  PeriodsSse2(taps, offsets, phases, x, period, periods, n, out);
#else
  PeriodsScalar(taps, offsets, phases, x, period, periods, n, out);
#endif
}

}  // namespace resamp
