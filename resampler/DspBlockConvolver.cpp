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
  // spectrum (DC in slot 0, Nyquist in slot 1, bin k at 2k, bin N - k equal
  // to bin k). The filter is scaled for transforms that count the DC and top
  // bins half.
  const double* h = filter->spectrum.data();
  auto bin = [h, this](int k) {
    if (k > fftSize / 2) k = fftSize - k;
    return k == 0 ? h[0] : k == fftSize / 2 ? h[1] : h[2 * k];
  };
  if (up == 2) {
    // Upsampling: the zero-stuffed block's spectrum is X (the N/2 samples')
    // repeated, Y = X H over N bins. The even outputs are the inverse of
    // (Y[k] + Y[k + N/2]) / 2 = X[k] (H[k] + H[k + N/2]) / 2 at size N/2, the odd
    // ones that of X[k] (H[k] - H[k + N/2]) W^k / 2, W = e^(2 pi i / N): one
    // complex inverse of X G, G = ((H[k] + H[k + N/2]) + i (H[k] - H[k + N/2]) W^k) / 2,
    // gives both, interleaved in natural order.
    const int half = fftSize / 2;
    const double pi = std::acos(-1.0);
    factors.assign(static_cast<std::size_t>(fftSize), 0.0);
    for (int k = 0; k < half; ++k) {
      const double even = bin(k) + bin(k + half), odd = bin(k) - bin(k + half);
      const double angle = 2 * pi * k / fftSize;
      factors[2 * k] = 0.5 * (even - odd * std::sin(angle));
      factors[2 * k + 1] = 0.5 * odd * std::cos(angle);
    }
  } else {
    // One real factor per (re, im) value up to the top bin kept (decimation
    // keeps the lower half alone); the one-sided inverse counts the DC and top
    // bins whole: halved here, their imaginary parts zero.
    const int top = down == 2 ? fftSize / 4 : fftSize / 2;
    factors.assign(static_cast<std::size_t>(2 * top + 2), 0.0);
    factors[0] = 0.5 * h[0];
    for (int k = 1; k < top; ++k) factors[2 * k] = factors[2 * k + 1] = h[2 * k];
    factors[2 * top] = 0.5 * bin(top);
  }
  kept.assign(static_cast<std::size_t>(history + std::max(maxInput, 0)), 0.0);
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
  std::fill(spectrum.begin(), spectrum.begin() + blockInput, 0.0);
  fill = history + (leadingZero ? 1 : 0);
  skipRemaining = latencySkip;
  ready = nullptr;
}

void DspBlockConvolver::RunBlock() {
  const int n = fftSize;
  double* y = spectrum.data();
  // The block's input is transformed where it stands; the history the next
  // block starts with is kept aside first.
  std::copy(y + blockInput - history, y + blockInput, kept.begin());
  if (interpolationFactor == 2) {
    // X G over the N/2 bins of the half-length transform.
    FftForwardRealTimes(y, blockInput, factors.data());
    FftInverseComplex(y, n / 2);
  } else {
    // Bins 0 .. N/2 as (re, im) pairs.
    FftForwardReal(y, blockInput);
    const double* g = factors.data();
    const int values = 2 * (decimationFactor == 2 ? n / 4 : n / 2) + 2;
    for (int i = 0; i < values; ++i) y[i] *= g[i];
    FftInverseOneSided(y, n / decimationFactor);
  }
  // The valid results; the first ones after Clear pay the latency.
  const int skip = std::min(skipRemaining, blockOutputs);
  skipRemaining -= skip;
  ready = y + firstValid + skip;
  readyCount = blockOutputs - skip;
  keptCount = history;
}

void DspBlockConvolver::StartNextBlock() {
  ready = nullptr;
  std::copy(kept.begin(), kept.begin() + keptCount, spectrum.begin());
  fill = keptCount;
}

void DspBlockConvolver::MoveResultsOut() {
  std::copy(ready, ready + readyCount, out.begin() + produced);
  produced += readyCount;
  StartNextBlock();
}

int DspBlockConvolver::Process(const double* input, int count, double*& output) {
  output = out.data();
  produced = 0;
  if (filter == nullptr) return 0;
  if (ready != nullptr) StartNextBlock();  // the last call's results have been read
  for (int done = 0; done < count;) {
    if (ready != nullptr) {
      // Inputs after a completed block wait beside its history unless they
      // complete another block, whose transform needs the buffer.
      const int rest = count - done;
      if (history + rest < blockInput && history + rest <= static_cast<int>(kept.size())) {
        std::copy(input + done, input + count, kept.begin() + history);
        keptCount = history + rest;
        break;
      }
      MoveResultsOut();
    }
    const int n = std::min(count - done, blockInput - fill);
    std::copy(input + done, input + done + n, spectrum.begin() + fill);
    fill += n;
    done += n;
    if (fill == blockInput) RunBlock();
  }
  if (ready == nullptr) return produced;
  if (produced == 0) {
    output = ready;
    return readyCount;
  }
  MoveResultsOut();
  return produced;
}

}  // namespace resamp
