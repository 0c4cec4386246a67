// The fractional interpolator's inner products, on AVX2 with FMA when the
// processor has them (chosen once at load), on SSE2 on other x86-64
// processors, as plain scalar code elsewhere. No state; any thread.
#pragma once

#include <cstdint>

namespace resamp {

// The sum over n taps of (c0[t] + (c1[t] + c2[t] d) d) x[t]: the taps' spline
// coefficients evaluated at d and applied to the samples x, taken as three dot
// products joined at the end.
double DspSplineDot(const double* c0, const double* c1, const double* c2, const double* x, int n,
                    double d);

// out[i] = the sum over n taps of taps[i][t] x[i][t], for i < count: filters
// already evaluated, several outputs at once so their sums run side by side.
// n is a multiple of 4.
void DspDotRows(const double* const* taps, const double* const* x, int n, int count, double* out);

// Whole periods of a conversion whose output positions repeat: for phase
// j < phases and period m < periods, out[m phases + j] = the sum over n taps
// of taps[j n + t] x[m period + offsets[j] + t]. Each phase's filter serves
// four periods at a time. n is a multiple of 4.
void DspDotPeriods(const double* taps, const std::int32_t* offsets, int phases, const double* x,
                   int period, int periods, int n, double* out);

}  // namespace resamp
