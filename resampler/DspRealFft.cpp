#include "resampler/DspRealFft.h"

#include <cmath>
#include <utility>

namespace resamp {

DspRealFft::DspRealFft(int bits) : size(1 << bits) {
  const int half = size / 2;
  const double pi = std::acos(-1.0);
  twiddleCos.resize(half);
  twiddleSin.resize(half);
  for (int k = 0; k < half; ++k) {
    twiddleCos[k] = std::cos(2.0 * pi * k / size);
    twiddleSin[k] = -std::sin(2.0 * pi * k / size);
  }
  bitReverse.resize(half);
  const int complexBits = bits - 1;
  for (int i = 0; i < half; ++i) {
    int r = 0;
    for (int b = 0; b < complexBits; ++b) r |= ((i >> b) & 1) << (complexBits - 1 - b);
    bitReverse[i] = r;
  }
}

void DspRealFft::Complex(double* x, bool inverse) const {
  const int n = size / 2;
  for (int i = 0; i < n; ++i) {
    const int j = bitReverse[i];
    if (i < j) {
      std::swap(x[2 * i], x[2 * j]);
      std::swap(x[2 * i + 1], x[2 * j + 1]);
    }
  }
  // The twiddles of a span are every (N / span)-th entry of the N-point table.
  for (int span = 2; span <= n; span *= 2) {
    const int half = span / 2;
    const int stride = size / span;
    for (int start = 0; start < n; start += span) {
      for (int k = 0; k < half; ++k) {
        const double wr = twiddleCos[k * stride];
        const double wi = inverse ? -twiddleSin[k * stride] : twiddleSin[k * stride];
        double* a = x + 2 * (start + k);
        double* b = x + 2 * (start + k + half);
        const double tr = b[0] * wr - b[1] * wi;
        const double ti = b[0] * wi + b[1] * wr;
        b[0] = a[0] - tr;
        b[1] = a[1] - ti;
        a[0] += tr;
        a[1] += ti;
      }
    }
  }
}

void DspRealFft::Forward(double* x) const {
  // Even samples as real parts, odd ones as imaginary parts, then split.
  Complex(x, false);
  const int half = size / 2;
  const double dc = x[0] + x[1];
  const double nyquist = x[0] - x[1];
  for (int k = 1; k <= half / 2; ++k) {
    const int m = half - k;
    const double zr = x[2 * k], zi = x[2 * k + 1];
    const double cr = x[2 * m], ci = -x[2 * m + 1];  // conj(Z[half - k])
    const double er = 0.5 * (zr + cr), ei = 0.5 * (zi + ci);
    // O = (Z - conj Z') / 2i
    const double or_ = 0.5 * (zi - ci), oi = -0.5 * (zr - cr);
    const double wr = twiddleCos[k], wi = twiddleSin[k];
    const double tr = wr * or_ - wi * oi, ti = wr * oi + wi * or_;
    // X[k] = E + W^k O and X[half - k] = conj(E - W^k O)
    x[2 * k] = er + tr;
    x[2 * k + 1] = ei + ti;
    x[2 * m] = er - tr;
    x[2 * m + 1] = -(ei - ti);
  }
  x[0] = dc;
  x[1] = nyquist;
}

void DspRealFft::Inverse(double* x) const {
  const int half = size / 2;
  const double dc = x[0], nyquist = x[1];
  // E = (X + conj X') / 2, O = (X - conj X') / (2 W^k), Z = E + i O.
  x[0] = 0.5 * (dc + nyquist);
  x[1] = 0.5 * (dc - nyquist);
  for (int k = 1; k <= half / 2; ++k) {
    const int m = half - k;
    const double xr = x[2 * k], xi = x[2 * k + 1];
    const double cr = x[2 * m], ci = -x[2 * m + 1];  // conj(X[half - k])
    const double er = 0.5 * (xr + cr), ei = 0.5 * (xi + ci);
    const double dr = 0.5 * (xr - cr), di = 0.5 * (xi - ci);
    // divide by W^k: multiply by its conjugate
    const double wr = twiddleCos[k], wi = -twiddleSin[k];
    const double or_ = dr * wr - di * wi, oi = dr * wi + di * wr;
    // Z[k] = E + i O; Z[half - k] = conj(E) + i conj(O)
    x[2 * k] = er - oi;
    x[2 * k + 1] = ei + or_;
    x[2 * m] = er + oi;
    x[2 * m + 1] = -ei + or_;
  }
  Complex(x, true);
}

}  // namespace resamp
