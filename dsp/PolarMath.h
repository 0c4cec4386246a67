// Whole-array conversions between rectangular (re, im) and polar (magnitude,
// phase) spectra, and the sine and cosine they rest on. They run on SSE2 on
// x86-64, on AVX2 with FMA when the processor has them (chosen once at load),
// and through the standard library elsewhere.
//
// Accuracy against the standard library: phases, sines and cosines within
// 1e-14 relative (a few units in the last place), the sines and cosines of
// arguments up to 2^20 rad in magnitude reduced exactly enough for that; larger
// arguments, infinities, NaN and phases of numbers beyond 1e300 or below 1e-300
// go to the standard library itself, so they come out as it gives them.
// Magnitudes are sqrt(re^2 + im^2) rounded exactly as that expression in plain
// C++ is.
// No allocation, no shared state: safe on any number of threads at once.
#pragma once

// Converts n interleaved (re, im) pairs in place into (magnitude, phase)
// pairs, the phase in [-pi, pi] as atan2(im, re) gives it (signed zeros and
// the +-pi boundary included).
void RectToPolar(double* data, int n);

// Writes n interleaved pairs (m cos p, m sin p) from the n magnitudes m and
// phases p; data must not overlap the inputs.
void PolarToRect(const double* magnitude, const double* phase, double* data, int n);

// The sine and cosine of n values; the outputs must not overlap x.
void SinCos(const double* x, double* sine, double* cosine, int n);
