// The fractional interpolator's inner product: the sum over n taps of
// (c0[t] + (c1[t] + c2[t] d) d) x[t], the taps' spline coefficients evaluated
// at d and applied to the samples x. Taken as three dot products joined at the
// end, on AVX2 with FMA when the processor has them (chosen once at load), on
// SSE2 on other x86-64 processors, as plain scalar code elsewhere. No state;
// any thread.
#pragma once

namespace resamp {

double DspSplineDot(const double* c0, const double* c1, const double* c2, const double* x, int n,
                    double d);

}  // namespace resamp
