#include "effect/StretchEngine.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "dsp/Fft.h"
#include "platform/SafeConvert.h"

namespace {

const double kPi = std::acos(-1.0);
const double kTwoPi = 2.0 * kPi;

// The bit pattern of a double in [1, 2): high and low 32-bit halves.
constexpr std::uint64_t Seed(std::uint32_t high, std::uint32_t low) {
  return static_cast<std::uint64_t>(high) << 32 | low;
}

void Zero(ResizableBuffer<double>& buffer) { buffer.Fill(0.0); }

bool SizeAndZero(ResizableBuffer<double>& buffer, int n) {
  if (!buffer.Allocate(n)) return false;
  Zero(buffer);
  return true;
}

void UseTransformSize() {
  if (FftCurrentPlan().size != StretchEngine::kSize) FftSetSize(StretchEngine::kSize);
}

}  // namespace

StretchEngine::StretchEngine()
    : phaseStep(kTwoPi * kHop / kSize),
      s0(Seed(0x3FFA55E5, 123456789)),
      s1(Seed(0x3FF91333, 521288629)),
      s2(Seed(0x3FF4F0C9, 5783321)) {
  for (auto& phases : firstPhase) SizeAndZero(phases, kTopBin + 1);
  Configure();
}

bool StretchEngine::Configure() {
  configured = false;
  binHz = sampleRate / kSize;
  bool sized = true;
  for (int c = 0; c < 2; ++c) {
    sized = SizeAndZero(inputFrame[c], kSize) && SizeAndZero(ola[c], kOlaSize) &&
            SizeAndZero(outHop[c], kSize) && SizeAndZero(analysisPhase[c], kSize) &&
            SizeAndZero(synthPhase[c], kSize) && sized;
    inputFill[c] = kKeep;
  }
  sized = SizeAndZero(mag, kTopBin + 1) && SizeAndZero(freq, kTopBin + 1) &&
          SizeAndZero(outMag, kTopBin + 2) && SizeAndZero(outFreq, kTopBin + 2) && sized;
  analysisFft = std::make_unique<ComplexFrame>(kSize);
  synthFft = std::make_unique<ComplexFrame>(kSize);
  for (auto& spectrum : outSpectrum) spectrum = std::make_unique<ComplexFrame>(kSize);
  const bool periodic = algorithm == 0;
  sized = analysisWindow.MakeHann(kSize, periodic) && synthesisWindow.MakeHann(kSize, periodic) &&
          sized;
  synthesisWindow.Scale(2.0 / ((kSize / 2) * kOverlap));
  sized = sized && analysisFft->data != nullptr && synthFft->data != nullptr &&
          outSpectrum[0]->data != nullptr && outSpectrum[1]->data != nullptr;
  playPosition = 0.0;
  outRead = kKeep;
  outSpectrumIndex = 0;
  configured = sized;
  return sized;
}

bool StretchEngine::Reconfigure() {
  const bool sized = Configure();
  if (analysisPending)
    ResetAnalysis(clip, clipLength);
  else
    AlignSynthesisPhase();
  return sized;
}

void StretchEngine::ResetAnalysis(const AudioClip* newClip, int length) {
  clip = newClip;
  clipLength = std::max(length, 0);
  for (int c = 0; c < 2; ++c) {
    frames[c].Clear();
    Zero(analysisPhase[c]);
    Zero(synthPhase[c]);
    Zero(inputFrame[c]);
    Zero(ola[c]);
    inputFill[c] = kKeep;
    inputRead[c] = 0;
  }
  playPosition = 0.0;
  analysisProgress = 0;
  analysisPending = true;
}

int StretchEngine::ChannelsToProcess() const {
  return clip != nullptr && clip->channels > 1 ? 2 : 1;
}

void StretchEngine::AnalyseStep() {
  if (!configured || clip == nullptr) return;
  for (int c = 0; c < ChannelsToProcess(); ++c)
    for (int k = 0; k < 2 && inputRead[c] < clipLength; ++k) AnalyseFrame(c);
  analysisProgress = inputRead[0];
}

void StretchEngine::AnalyseFrame(int c) {
  const ExtensibleSampleBuffer<double>& source = c == 0 ? clip->left : clip->right;
  double* input = inputFrame[c].data;
  while (inputFill[c] < kSize) {
    // Past the clip (or past what a short channel holds) the frame is padded.
    const bool inClip = inputRead[c] < clipLength;
    input[inputFill[c]++] = inClip && inputRead[c] < source.length ? source.At(inputRead[c]) : 0.0;
    if (inClip) ++inputRead[c];
  }
  inputFill[c] = kKeep;

  double* x = analysisFft->data;
  const double* window = analysisWindow.values.data;
  for (int j = 0; j < kSize; ++j) {
    x[2 * j] = input[j] * window[j];
    x[2 * j + 1] = 0.0;
  }
  UseTransformSize();
  FftTransform(x, -1.0);
  for (int j = 0; j < kSize; ++j) {
    const double re = x[2 * j], im = x[2 * j + 1];
    x[2 * j] = std::sqrt(re * re + im * im);
    x[2 * j + 1] = std::atan2(im, re);
  }

  auto frame = std::make_unique<ComplexFrame>(kSize);
  if (frame->data == nullptr) {
    inputRead[c] = clipLength;  // no memory for more frames: the analysis ends here
    return;
  }
  std::memcpy(frame->data, x, sizeof(double) * 2 * kSize);
  double* lastPhase = analysisPhase[c].data;
  for (int b = 0; b <= kTopBin; ++b) {
    const double phase = frame->data[2 * b + 1];
    frame->data[2 * b + 1] = Wrap(phase - lastPhase[b]);
    lastPhase[b] = phase;
  }
  if (!frames[c].Add(std::move(frame))) {
    inputRead[c] = clipLength;
    return;
  }
  std::memmove(input, input + kHop, sizeof(double) * kKeep);
}

void StretchEngine::SetRegion(double startFraction, double endFraction) {
  regionStartFraction = startFraction;
  regionEndFraction = endFraction;
  regionStartFrame = TruncToInt32(frameCount * startFraction);
  regionEndFrame = TruncToInt32(frameCount * endFraction);
  regionStartSample = TruncToInt32(sampleCount * startFraction);
  regionEndSample = TruncToInt32(sampleCount * endFraction);
}

void StretchEngine::FinishAnalysis() {
  frameCount = frames[0].Count();
  sampleCount = clipLength;
  SetRegion(regionStartFraction, regionEndFraction);

  if (hfc.Resize(frameCount)) {
    hfc.count = frameCount;
    double lo = 0.0, hi = 0.0;
    for (int k = 0; k < frameCount; ++k) {
      const double* bins = frames[0].At(k)->data;
      double sum = 0.0;
      for (int b = 2; b <= kTopBin; ++b) {
        const double weighted = b * bins[2 * b];
        sum += weighted * weighted;
      }
      hfc.data[k] = sum / (kTopBin + 1);
      lo = k == 0 ? hfc.data[k] : std::min(lo, hfc.data[k]);
      hi = k == 0 ? hfc.data[k] : std::max(hi, hfc.data[k]);
    }
    // Without a spread to normalise by (one frame, or all alike) there is no
    // transient anywhere: raw values would push the curve far beyond 0..1.
    for (int k = 0; k < frameCount; ++k)
      hfc.data[k] = hi > 0.0 && hi - lo > 0.0 ? (hfc.data[k] - lo) / (hi - lo) : 0.0;
  } else {
    hfc.count = 0;
  }
  transientCurve.Release();
  RebuildTransientCurve();
  SmoothEdgeIncrements();
  AlignSynthesisPhase();
  if (onAnalysisFinished) onAnalysisFinished();
  analysisPending = false;
}

// Frames that reach into the padding before the clip's start or past its end
// hold a signal sitting off the window's centre, and their phase increments
// carry that offset as a slope across the bins. Played in order the slopes
// cancel out, but any frame read twice (every stretch), a loop back or a jump
// adds them up for good, and the misplaced frames cost a steady tone two
// thirds of its level. Such frames therefore advance as the nearest whole frame
// does, and playback starts from the first whole frame's phases taken back to
// the first frame's time, which is where in-order playback would stand.
void StretchEngine::SmoothEdgeIncrements() {
  constexpr int lead = kKeep / kHop;  // frames that start in the padding
  for (int c = 0; c < ChannelsToProcess(); ++c) {
    FftBufferList& list = frames[c];
    if (list.Count() == 0 || firstPhase[c].data == nullptr) continue;
    double* seed = firstPhase[c].data;
    const int lastWhole = std::min(clipLength / kHop - 1, list.Count() - 1);
    if (lastWhole < lead) {
      // No whole frame: start from the first frame's own (absolute) phases.
      const double* first = list.At(0)->data;
      for (int b = 0; b <= kTopBin; ++b) seed[b] = first[2 * b + 1];
      continue;
    }
    for (int b = 0; b <= kTopBin; ++b) {
      double absolute = 0.0;
      for (int k = 0; k <= lead; ++k) absolute += list.At(k)->data[2 * b + 1];
      const double step = list.At(lead)->data[2 * b + 1];
      seed[b] = Wrap(std::fmod(absolute - lead * step, kTwoPi));
      for (int k = 0; k < lead; ++k) list.At(k)->data[2 * b + 1] = step;
      const double endStep = list.At(lastWhole)->data[2 * b + 1];
      for (int k = lastWhole + 1; k < list.Count(); ++k) list.At(k)->data[2 * b + 1] = endStep;
    }
  }
}

// Playback advances before it synthesises, so without a starting point the
// first frame's phases would never enter the accumulation: every bin would keep
// a fixed offset that shifts each synthesised frame inside the window and costs
// a fifth of the level.
void StretchEngine::AlignSynthesisPhase() {
  for (int c = 0; c < ChannelsToProcess(); ++c) {
    if (frames[c].Count() == 0 || firstPhase[c].data == nullptr) continue;
    std::memcpy(synthPhase[c].data, firstPhase[c].data, sizeof(double) * (kTopBin + 1));
  }
}

void StretchEngine::RebuildTransientCurve() {
  if (!transientCurve.Resize(hfc.count)) {
    transientCurve.count = 0;
    return;
  }
  transientCurve.count = hfc.count;
  const double e = transientShape;
  for (int k = 0; k < hfc.count; ++k) {
    const double h = hfc.data[k];
    transientCurve.data[k] = e >= 0.0 ? std::pow(h, e) : 1.0 - std::pow(1.0 - h, -e);
  }
}

void StretchEngine::ClearOutputHops() {
  Zero(outHop[0]);
  Zero(outHop[1]);
}

void StretchEngine::PullOutput(double* left, double* right, int n) {
  if (!configured) {
    std::fill(left, left + std::max(n, 0), 0.0);
    std::fill(right, right + std::max(n, 0), 0.0);
    return;
  }
  for (int i = 0; i < n; ++i) {
    left[i] = outHop[0].data[outRead - kKeep];
    right[i] = outHop[1].data[outRead - kKeep];
    if (++outRead == kSize) {
      outRead = kKeep;
      NextHop();
    }
  }
}

void StretchEngine::NextHop() {
  const int s = regionStartFrame, e = regionEndFrame;
  // An empty region, and a frame region that holds no frame, play silence
  // without moving; so does a clip without frames or curve.
  if (regionEndSample < regionStartSample || e <= s || frameCount <= 0 || clip == nullptr ||
      transientCurve.count < frameCount) {
    ClearOutputHops();
    return;
  }
  double p = playPosition;
  const double rate = currentRate;
  auto forward = [&] {
    p += rate;
    if (p >= e) p -= (e - s);
  };
  auto backward = [&] {
    p -= rate;
    if (p < s) p += (e - s);
  };
  switch (direction) {
    case kForward:
      directionState = 0;
      forward();
      break;
    case kReverse:
      directionState = 1;
      backward();
      break;
    case kForwardReverse:
      if (directionState == 0 || directionState == 3) {
        directionState = 0;
        p += rate;
        if (p >= e) {
          directionState = 1;
          p = e - 1;
        }
      } else {
        directionState = 1;
        p -= rate;
        if (p < s) {
          directionState = 0;
          p = s + 1;
        }
      }
      break;
    case kRandomWalk:
      if (Random() < 0.5)
        backward();
      else
        forward();
      directionState = 3;
      break;
    default:
      break;
  }
  playPosition = p;
  // A region moved under the position (or a one-frame turn) must still name a
  // frame that exists.
  frameIndex = std::clamp(TruncToInt32(p), 0, frameCount - 1);
  const int next = frameIndex + 1 < frameCount ? frameIndex + 1 : frameIndex;
  frameFrac = std::clamp(p - frameIndex, 0.0, 1.0);
  const double* curve = transientCurve.data;
  transientAmount = (1.0 - frameFrac) * curve[frameIndex] + frameFrac * curve[next];
  currentRate = nominalRate + (transientRate - nominalRate) * transientAmount;

  SynthesiseFrame(0, frameIndex, next);
  if (ChannelsToProcess() > 1 && frames[1].Count() == frameCount) SynthesiseFrame(1, frameIndex, next);
}

void StretchEngine::SynthesiseFrame(int c, int frameA, int frameB) {
  blurCurrentMs = blurNominalMs + (blurTransientMs - blurNominalMs) * transientAmount;
  const int blurFrames = BlurFrames(blurCurrentMs, sampleRate);
  outSpectrumIndex ^= 1;
  double* spectrum = outSpectrum[outSpectrumIndex]->data;

  FftBufferList& list = frames[c];
  const double* a = list.At(frameA)->data;
  const double* b = list.At(frameB)->data;
  const double f = frameFrac;
  const int lo = frameIndex;
  const int hi = std::min(lo + blurFrames - 1, list.Count() - 1);
  const double overlapOverTwoPi = kOverlap / kTwoPi;
  for (int bin = 0; bin <= kTopBin; ++bin) {
    double m, d;
    if (blurPure) {
      m = (1.0 - f) * a[2 * bin] + f * b[2 * bin];
      d = (1.0 - f) * a[2 * bin + 1] + f * b[2 * bin + 1];
    } else {
      const int k = lo + TruncToInt32((hi - lo + 1) * Random());
      const int k2 = std::min(k + 1, hi);
      const double* source = list.At(Random() < f ? k2 : k)->data;
      m = source[2 * bin];
      d = source[2 * bin + 1];
    }
    const double x = Wrap(d - bin * phaseStep);
    freq.data[bin] = (x * overlapOverTwoPi + bin) * binHz;
    mag.data[bin] = m;
  }

  std::fill(outMag.data, outMag.data + kTopBin + 2, 0.0);
  std::fill(outFreq.data, outFreq.data + kTopBin + 2, 0.0);
  const double inversePitch = 1.0 / pitchRatio;
  const HarmonicVoice& voice = voices[0];
  for (int i = 0; i <= kTopBin; ++i) {
    const int src = TruncToInt32(i * inversePitch);
    if (src >= 0 && src <= kTopBin) {
      outMag.data[i] += mag.data[src];
      outFreq.data[i] = pitchRatio * freq.data[src];
    }
    if (voice.enabled) {
      const int voiceSrc = TruncToInt32(i / voice.summedRatio);
      if (voiceSrc >= 0 && voiceSrc <= kTopBin) {
        outMag.data[i] += mag.data[voiceSrc] * voice.gain;
        outFreq.data[i] = pitchRatio * freq.data[voiceSrc];
      }
    }
  }

  double* phase = synthPhase[c].data;
  const double toPhase = kTwoPi / kOverlap;
  for (int i = 0; i <= kTopBin; ++i) {
    const double x = Wrap((outFreq.data[i] - i * binHz) / binHz * toPhase + i * phaseStep);
    phase[i] += x;
    spectrum[2 * i] = outMag.data[i] * std::cos(phase[i]);
    spectrum[2 * i + 1] = outMag.data[i] * std::sin(phase[i]);
  }

  // One-sided: the bins above the top stay zero.
  double* y = synthFft->data;
  std::memcpy(y, spectrum, sizeof(double) * 2 * (kTopBin + 1));
  std::fill(y + 2 * (kTopBin + 1), y + 2 * kSize, 0.0);
  UseTransformSize();
  FftTransform(y, +1.0);

  double* acc = ola[c].data;
  const double* window = synthesisWindow.values.data;
  for (int j = 0; j < kSize; ++j) acc[j] += y[2 * j] * window[j];
  std::memcpy(outHop[c].data, acc, sizeof(double) * kHop);
  std::memmove(acc, acc + kHop, sizeof(double) * kSize);
}

int StretchEngine::BlurFrames(double ms, double sampleRateHz) {
  return std::max(1, TruncToInt32(ms / (kHop * 1000.0 / sampleRateHz)));
}

double StretchEngine::Wrap(double x) {
  std::int32_t k = TruncToInt32(x / kPi);
  if (k % 2 != 0) k += k > 0 ? 1 : -1;
  return x - k * kPi;
}

double StretchEngine::Random() {
  const std::uint64_t u = (s0 ^ (s0 << 19)) & ((std::uint64_t{1} << 52) - 1);
  s0 = s1;
  s1 = s2;
  s2 = s2 ^ u ^ (u >> 33);
  double draw;
  std::memcpy(&draw, &s2, sizeof draw);
  return draw - 1.0;
}
