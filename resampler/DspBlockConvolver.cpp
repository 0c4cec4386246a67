#include "resampler/DspBlockConvolver.h"

#include <algorithm>
#include <cmath>

namespace resamp {

namespace {

int Log2(int n) {
  int bits = 0;
  while ((1 << bits) < n) ++bits;
  return bits;
}

}  // namespace

DspBlockConvolver::DspBlockConvolver(DspFirFilterCache& filterCache, double frequency,
                                     double transitionBand, double attenuation, double gain,
                                     int up, int down, double previousFraction, int maxInput)
    : cache(filterCache),
      filter(filterCache.AcquireFilter(frequency, transitionBand, attenuation, gain)),
      interpolationFactor(up),
      decimationFactor(down) {
  if (filter == nullptr) return;
  fftSize = 1 << (filter->transformBits + 1);
  history = (filter->kernelLength - 1) / up;
  blockInput = fftSize / up;
  blockOutputs = (fftSize - history * up) / down;
  // The fractional latency handed over, at the upsampled rate.
  const double x = up * previousFraction;
  const int whole = static_cast<int>(x);
  fractionalLatency = (x - whole) / down;
  // The kernel is zero-phase: block index j of the circular result is the
  // filtered value at that very input position, valid for M <= j < N - M. The
  // first block starts 2M (the history) before the stream, so its first M
  // results lie before time 0 and are skipped, as is the handed-over whole
  // latency. Decimation keeps the even positions; an odd latency is lined up
  // by one zero in front of the input.
  const int m = filter->latency;
  leadingZero = down == 2 && whole % 2 != 0;
  const int shift = whole + (leadingZero ? 1 : 0);
  firstValid = down == 2 ? (m + 1) / 2 : m;
  latencySkip = down == 2 ? shift / 2 + m / 2 : m + shift;

  forward = std::make_unique<DspRealFft>(Log2(blockInput));
  inverse = std::make_unique<DspRealFft>(Log2(fftSize / down));
  block.assign(static_cast<std::size_t>(blockInput), 0.0);
  spectrum.assign(static_cast<std::size_t>(fftSize), 0.0);
  out.assign(static_cast<std::size_t>(MaxOutputFor(maxInput)), 0.0);
  Clear();
}

DspBlockConvolver::~DspBlockConvolver() {
  if (filter != nullptr) cache.ReleaseFilter(filter);
}

int DspBlockConvolver::MaxOutputFor(int maxInput) const {
  if (filter == nullptr) return 0;
  const int newPerBlock = blockInput - history;
  // A call completes at most this many blocks, whatever was stored before it.
  const int blocks = (newPerBlock - 1 + std::max(maxInput, 0) + (leadingZero ? 1 : 0)) / newPerBlock;
  return blocks * blockOutputs;
}

int DspBlockConvolver::InputNeededFor(int outputs) const {
  return (outputs + latencySkip) * decimationFactor / interpolationFactor + history;
}

void DspBlockConvolver::Clear() {
  if (filter == nullptr) return;
  std::fill(block.begin(), block.end(), 0.0);
  fill = history + (leadingZero ? 1 : 0);
  skipRemaining = latencySkip;
}

void DspBlockConvolver::RunBlock() {
  const int n = fftSize;
  double* y = spectrum.data();
  std::copy(block.begin(), block.end(), y);
  forward->Forward(y);
  if (interpolationFactor == 2) {
    // The spectrum of the zero-stuffed block: the half-length spectrum
    // repeated, written out by conjugate mirroring.
    const int quarter = n / 4;
    const double dc = y[0], halfNyquist = y[1];
    for (int k = quarter + 1; k < n / 2; ++k) {
      y[2 * k] = y[2 * (n / 2 - k)];
      y[2 * k + 1] = -y[2 * (n / 2 - k) + 1];
    }
    y[2 * quarter] = halfNyquist;
    y[2 * quarter + 1] = 0.0;
    y[1] = dc;
  }
  // The filter is zero-phase: one real factor per bin.
  const double* h = filter->spectrum.data();
  const int topBin = decimationFactor == 2 ? n / 4 : n / 2 - 1;
  y[0] *= h[0];
  if (decimationFactor == 2) {
    // The lower half alone, with bin N/4's real part in the Nyquist slot.
    for (int k = 1; k < topBin; ++k) {
      y[2 * k] *= h[2 * k];
      y[2 * k + 1] *= h[2 * k];
    }
    y[1] = y[2 * topBin] * h[2 * topBin];
  } else {
    y[1] *= h[1];
    for (int k = 1; k <= topBin; ++k) {
      y[2 * k] *= h[2 * k];
      y[2 * k + 1] *= h[2 * k];
    }
  }
  inverse->Inverse(y);
  // The valid results; the first ones after Clear pay the latency.
  for (int i = firstValid; i < firstValid + blockOutputs; ++i) {
    if (skipRemaining > 0) {
      --skipRemaining;
      continue;
    }
    out[produced++] = y[i];
  }
  std::copy(block.end() - history, block.end(), block.begin());
  fill = history;
}

int DspBlockConvolver::Process(const double* input, int count, double*& output) {
  output = out.data();
  produced = 0;
  if (filter == nullptr) return 0;
  for (int i = 0; i < count; ++i) {
    block[fill++] = input[i];
    if (fill == blockInput) RunBlock();
  }
  return produced;
}

}  // namespace resamp
