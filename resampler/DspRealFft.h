// A power-of-two real FFT for the resampler's convolvers and filter design.
// Packed layout: slot 0 holds the DC value, slot 1 the Nyquist value, then the
// real and imaginary parts of bins 1 .. N/2 - 1. Unscaled both ways, so an
// inverse after a forward transform returns the input times N/2. Tables are
// built by the constructor; Forward and Inverse allocate nothing. An object is
// used by one thread at a time.
#pragma once

#include <vector>

namespace resamp {

class DspRealFft {
 public:
  // N = 2^bits, bits from 2 to 30.
  explicit DspRealFft(int bits);

  int Size() const { return size; }
  void Forward(double* data) const;
  void Inverse(double* data) const;

 private:
  // In-place complex transform of size / 2 interleaved values.
  void Complex(double* data, bool inverse) const;

  int size;
  std::vector<double> twiddleCos, twiddleSin;  // e^(-2 pi i k / N), k < N/2
  std::vector<int> bitReverse;                 // for the size / 2 complex transform
};

}  // namespace resamp
