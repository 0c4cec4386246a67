// The fractional interpolator's inner products, on AVX2 with FMA when the
// processor has them (chosen once at load), on SSE2 on other x86-64
// processors, as plain scalar code elsewhere. No state; any thread.
#pragma once

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

}  // namespace resamp
