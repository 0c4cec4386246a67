#include "effect/SynthesisVoice.h"

#include <algorithm>
#include <cstring>

#include "dsp/Fft.h"
#include "dsp/PhaseWrap.h"
#include "dsp/PolarMath.h"
#include "resampler/DspFracInterpolator.h"

namespace {

using GrainInterpolator = resamp::DspFracInterpolator<24, 673>;
static_assert(GrainInterpolator::kHalf == SynthesisVoice::kReach,
              "the grain's padding fits the filter");

// Below this share of the unresampled envelope a grain's edge is not divided
// up to full level: a voice that just started fades in over a few
// milliseconds instead of jumping in.
constexpr double kEnvelopeFloor = 0.1;

bool SizeAndZero(ResizableBuffer<double>& buffer, int n) {
  if (!buffer.Allocate(n)) return false;
  buffer.Fill(0.0);
  return true;
}

}  // namespace

bool SynthesisVoice::Allocate(int transformSize, int hopSize) {
  size = transformSize;
  hop = hopSize;
  bool sized = true;
  for (int c = 0; c < 2; ++c)
    sized = SizeAndZero(phase[c], size) && SizeAndZero(ola[c], size) &&
            SizeAndZero(envelope[c], size) && SizeAndZero(turning[c].spectrum, size + 2) &&
            SizeAndZero(turning[c].cosine, size / 2 + 1) &&
            SizeAndZero(turning[c].sine, size / 2 + 1) &&
            SizeAndZero(turning[c].angle, size / 2 + 1) && sized;
  ClearTail();
  return sized;
}

void SynthesisVoice::Reset() {
  for (auto& p : phase) p.Fill(0.0);
  ClearTail();
}

void SynthesisVoice::ClearTail() {
  for (int c = 0; c < 2; ++c) {
    ola[c].Fill(0.0);
    envelope[c].Fill(0.0);
  }
  start[0] = start[1] = 0;
  resampledHops[0] = resampledHops[1] = 0;
  soundingHops[0] = soundingHops[1] = 0;
  turning[0].valid = turning[1].valid = false;
}

void SynthesisVoice::SetPhases(int c, const double* seed) {
  std::memcpy(phase[c].data, seed, sizeof(double) * (size / 2 + 1));
  turning[c].valid = false;
}

void SynthesisVoice::AddGrain(int c, const GrainSource& source, double ratio,
                              GrainWorkspace& work) {
  const int top = size / 2;
  // Source bins above top / ratio would land beyond the top bin.
  const int limit = ratio > 1.0 ? std::min(top, static_cast<int>(top / ratio)) : top;
  double* p = phase[c].data;
  const double* m = source.magnitude;
  const double* relation = source.absolutePhase;

  const std::int32_t* lock = source.lockTo;
  // The free bins first, all of them (a peak beyond the limit may still hold
  // bins below it): the locked ones follow their peaks' new phases. Up to the
  // limit every bin moves on, the locked ones to be set again below, so that
  // loop has no branch and vectorises; above it, locked bins keep their phase.
  const double* advance = source.advance;
  for (int b = 0; b <= limit; ++b) p[b] = WrapPhase(p[b] + ratio * advance[b]);
  for (int b = limit + 1; b <= top; ++b)
    if (lock[b] < 0) p[b] = WrapPhase(p[b] + ratio * advance[b]);
  for (int b = 0; b <= limit; ++b)
    if (lock[b] >= 0) p[b] = p[lock[b]] + relation[b] - relation[lock[b]];
  // The last grain was the hop before's, from the same source at the same
  // ratio: every bin has turned by its advance (a locked bin by its peak's).
  Turning& turn = turning[c];
  double* spectrum = turn.spectrum.data;
  double* y = work.spectrum->data;
  if (source.repeated && turn.valid && turn.ratio == ratio && soundingHops[c] == size / hop - 1) {
    if (!turn.turnsKnown) {
      for (int b = 0; b <= limit; ++b)
        turn.angle.data[b] = ratio * advance[lock[b] < 0 ? b : lock[b]];
      SinCos(turn.angle.data, turn.sine.data, turn.cosine.data, limit + 1);
      turn.turnsKnown = true;
    }
    const double* cosine = turn.cosine.data;
    const double* sine = turn.sine.data;
    for (int b = 0; b <= limit; ++b) {
      const double re = spectrum[2 * b], im = spectrum[2 * b + 1];
      y[2 * b] = spectrum[2 * b] = re * cosine[b] - im * sine[b];
      y[2 * b + 1] = spectrum[2 * b + 1] = re * sine[b] + im * cosine[b];
    }
  } else {
    PolarToRect(m, p, spectrum, limit + 1);
    std::copy(spectrum, spectrum + 2 * (limit + 1), y);
    turn.valid = true;
    turn.turnsKnown = false;
    turn.ratio = ratio;
  }
  // One-sided: everything above the limit stays silent.
  std::fill(y + 2 * (limit + 1), y + 2 * (top + 1), 0.0);
  FftInverseOneSided(y, size);

  double* acc = ola[c].data;
  double* env = envelope[c].data;
  soundingHops[c] = size / hop;
  const double* ws = work.synthesisWindow->values.data;
  const double* wa = work.analysisWindow->values.data;
  // The grain's samples before the ring's end, then those after: slot t +
  // offset holds sample t.
  const int wrap = size - start[c];
  const int runs[2][3] = {{0, wrap, start[c]}, {wrap, size, -wrap}};
  if (ratio == 1.0) {
    for (const auto& run : runs)
      for (int t = run[0], offset = run[2]; t < run[1]; ++t) {
        acc[t + offset] += y[t] * ws[t];
        env[t + offset] += ws[t] * wa[t];
      }
    return;
  }

  // The frame is periodic: pad it with its own ends for the filter's reach.
  double* g = work.grain->data + kReach;
  std::copy(y, y + size, g);
  for (int t = 1; t <= kReach; ++t) {
    g[-t] = g[size - t];
    g[size - 1 + t] = g[t - 1];
  }
  const double centre = size / 2;
  for (const auto& run : runs)
    for (int t = run[0], offset = run[2]; t < run[1]; ++t) {
      const double q = centre + ratio * (t - centre);
      if (!(q >= 0.0 && q <= size - 1)) continue;
      const int i = static_cast<int>(q);
      const double value = GrainInterpolator::At(g + i - (kReach - 1), q - i);
      acc[t + offset] += value * ws[t];
      env[t + offset] += ws[t] * work.analysisWindow->At(q);
    }
  resampledHops[c] = size / hop;
}

void SynthesisVoice::TakeHop(int c, double gain, const GrainWorkspace& work, double* out) {
  // Past its last grain the accumulators hold only zeros.
  if (soundingHops[c] == 0) return;
  --soundingHops[c];
  double* acc = ola[c].data + start[c];
  double* env = envelope[c].data + start[c];
  if (resampledHops[c] > 0) {
    --resampledHops[c];
    const double unity = work.unityEnvelope;
    for (int t = 0; t < hop; ++t)
      out[t] += gain * acc[t] * unity / std::max(env[t], kEnvelopeFloor * unity);
  } else {
    for (int t = 0; t < hop; ++t) out[t] += gain * acc[t];
  }
  std::fill(acc, acc + hop, 0.0);
  std::fill(env, env + hop, 0.0);
  start[c] = (start[c] + hop) % size;
}
