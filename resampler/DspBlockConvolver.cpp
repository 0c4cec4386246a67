#include "resampler/DspBlockConvolver.h"

#include <algorithm>
#include <cmath>

#include "dsp/Fft.h"

namespace resamp {

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

  // The engine's transforms go up to kFftMaxSize; no filter the resampler
  // designs needs more.
  if (fftSize > kFftMaxSize) {
    cache.ReleaseFilter(filter);
    filter = nullptr;
    return;
  }
  // The filter is zero-phase: one real factor per bin, read from its packed
  // spectrum (DC in slot 0, Nyquist in slot 1, bin k at 2k), written twice so
  // a bin's two parts are multiplied alike. Decimation keeps the lower half
  // alone. The filter is scaled for transforms that count the DC and top bins
  // half, the one-sided inverse counts them whole: halved here. The imaginary
  // parts of those two bins are zero.
  const double* h = filter->spectrum.data();
  const int top = down == 2 ? fftSize / 4 : fftSize / 2;
  factors.assign(static_cast<std::size_t>(2 * top + 2), 0.0);
  factors[0] = 0.5 * h[0];
  for (int k = 1; k < top; ++k) factors[2 * k] = factors[2 * k + 1] = h[2 * k];
  factors[2 * top] = 0.5 * (top == fftSize / 2 ? h[1] : h[2 * top]);
  block.assign(static_cast<std::size_t>(blockInput), 0.0);
  spectrum.assign(static_cast<std::size_t>(fftSize) + 2, 0.0);
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
  // Bins 0 .. N/up/2 as (re, im) pairs.
  FftForwardReal(y, blockInput);
  if (interpolationFactor == 2) {
    // The spectrum of the zero-stuffed block: the half-length spectrum
    // repeated, its upper half written out by conjugate mirroring.
    for (int k = n / 4 + 1; k <= n / 2; ++k) {
      y[2 * k] = y[2 * (n / 2 - k)];
      y[2 * k + 1] = -y[2 * (n / 2 - k) + 1];
    }
  }
  // One real factor per bin, already doubled into (re, im) pairs.
  const double* h = factors.data();
  const int values = 2 * (decimationFactor == 2 ? n / 4 : n / 2) + 2;
  for (int i = 0; i < values; ++i) y[i] *= h[i];
  FftInverseOneSided(y, n / decimationFactor);
  // The valid results; the first ones after Clear pay the latency.
  const int skip = std::min(skipRemaining, blockOutputs);
  skipRemaining -= skip;
  std::copy(y + firstValid + skip, y + firstValid + blockOutputs, out.begin() + produced);
  produced += blockOutputs - skip;
  std::copy(block.end() - history, block.end(), block.begin());
  fill = history;
}

int DspBlockConvolver::Process(const double* input, int count, double*& output) {
  output = out.data();
  produced = 0;
  if (filter == nullptr) return 0;
  for (int done = 0; done < count;) {
    const int n = std::min(count - done, blockInput - fill);
    std::copy(input + done, input + done + n, block.begin() + fill);
    fill += n;
    done += n;
    if (fill == blockInput) RunBlock();
  }
  return produced;
}

}  // namespace resamp
