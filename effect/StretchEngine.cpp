#include "effect/StretchEngine.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "dsp/Fft.h"
#include "dsp/PhaseWrap.h"
#include "dsp/PolarMath.h"
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

// A region whose bins turned together at least this closely is one partial.
constexpr double kLockCoherence = 0.7;

// Pitch ratios outside what the controls can reach (or not numbers at all)
// play unshifted or at the nearest ratio a grain can hold.
double SafeRatio(double ratio) {
  return std::isfinite(ratio) ? std::clamp(ratio, 0.125, 8.0) : 1.0;
}

// One step of the generator: three words of 64 bits, only shifts, masks and
// exclusive ors, so the step is linear over the 192 bits of the state.
void Step(std::uint64_t& s0, std::uint64_t& s1, std::uint64_t& s2) {
  const std::uint64_t u = (s0 ^ (s0 << 19)) & ((std::uint64_t{1} << 52) - 1);
  s0 = s1;
  s1 = s2;
  s2 = s2 ^ u ^ (u >> 33);
}

// Where kHopDraws steps take each single bit of the state: by linearity, the
// state after them is the exclusive or of the images of its set bits.
struct HopJump {
  std::uint64_t image[192][3];
  HopJump() {
    for (int bit = 0; bit < 192; ++bit) {
      std::uint64_t s[3] = {0, 0, 0};
      s[bit / 64] = std::uint64_t{1} << (bit % 64);
      for (int k = 0; k < StretchEngine::kHopDraws; ++k) Step(s[0], s[1], s[2]);
      std::copy(s, s + 3, image[bit]);
    }
  }
};

// Built once per process, by the first engine's constructor.
const HopJump& Jump() {
  static const HopJump jump;
  return jump;
}

}  // namespace

StretchEngine::StretchEngine()
    : phaseStep(kTwoPi * kHop / kSize),
      s0(Seed(0x3FFA55E5, 123456789)),
      s1(Seed(0x3FF91333, 521288629)),
      s2(Seed(0x3FF4F0C9, 5783321)) {
  Jump();
  Configure();
}

bool StretchEngine::Configure() {
  configured = false;
  bool sized = true;
  for (int c = 0; c < 2; ++c) {
    sized = SizeAndZero(inputFrame[c], kSize) && SizeAndZero(outHop[c], kSize) &&
            lastFrame[c].Allocate(kTopBin + 1) && sized;
    inputFill[c] = kKeep;
  }
  for (HopSource& h : hop)
    sized = SizeAndZero(h.mag, kTopBin + 1) && SizeAndZero(h.absolutePhase, kTopBin + 1) &&
            SizeAndZero(h.advance, kTopBin + 1) && h.lockTo.Allocate(kTopBin + 1) && sized;
  ForgetHeldFrames();
  sized = SizeAndZero(regionTurn, kTopBin + 1) && SizeAndZero(regionSine, kTopBin + 1) &&
          SizeAndZero(regionCosine, kTopBin + 1) && sized;
  sized = sourceFrame.Allocate(kTopBin + 1) && peaks.Allocate(kTopBin + 1) &&
          SizeAndZero(grain, kSize + 2 * SynthesisVoice::kReach) &&
          mainVoice.Allocate(kSize, kHop) && harmonicVoice.Allocate(kSize, kHop) && sized;
  analysisFft = std::make_unique<ComplexFrame>(kSize);
  synthFft = std::make_unique<ComplexFrame>(kSize);
  const bool periodic = algorithm == 0;
  sized = analysisWindow.MakeHann(kSize, periodic) && synthesisWindow.MakeHann(kSize, periodic) &&
          sized;
  synthesisWindow.Scale(2.0 / ((kSize / 2) * kOverlap));
  sized = sized && analysisFft->data != nullptr && synthFft->data != nullptr;
  if (sized) {
    // What unresampled grains' envelopes add up to (the same at every sample
    // for a periodic window).
    double unity = 0.0;
    for (int j = 0; j < kSize; j += kHop)
      unity += analysisWindow.values.data[j + kHop / 2] * synthesisWindow.values.data[j + kHop / 2];
    workspace = {synthFft.get(), &grain, &analysisWindow, &synthesisWindow, unity};
    double sum = 0.0, squares = 0.0;
    for (int t = 0; t < kSize; ++t) {
      const double e = analysisWindow.values.data[t] * synthesisWindow.values.data[t];
      sum += e;
      squares += e * e;
    }
    // Over one hop, kOverlap grains sound at once.
    incoherentShare = squares * kHop / (sum * sum);
  }
  for (auto& frames : lastFrame) frames.Fill(0);
  playPosition = 0.0;
  outRead = kKeep;
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
  // Without the room, the analysis takes memory as it goes (and ends early
  // where there is none).
  ReserveFrames(frames, newClip, length);
  StartAnalysis(newClip, length);
}

bool StretchEngine::PrepareFrames(const AudioClip* nextClip, int length) {
  return ReserveFrames(preparedFrames, nextClip, length);
}

bool StretchEngine::ReserveFrames(FftBufferList (&lists)[2], const AudioClip* forClip, int length) {
  bool reserved = true;
  for (int c = 0; c < 2; ++c) {
    lists[c].Clear();
    reserved =
        lists[c].Reserve(c < ChannelsOf(forClip) ? ExpectedFrames(length) : 0, kSize) && reserved;
  }
  return reserved;
}

void StretchEngine::ResetAnalysisPrepared(const AudioClip* newClip, int length) {
  for (int c = 0; c < 2; ++c) frames[c].Swap(preparedFrames[c]);
  StartAnalysis(newClip, length);
}

void StretchEngine::ReleasePreparedFrames() {
  for (FftBufferList& list : preparedFrames) list.Release();
}

int StretchEngine::ExpectedFrames(int length) { return (std::max(length, 0) + kHop - 1) / kHop; }

void StretchEngine::StartAnalysis(const AudioClip* newClip, int length) {
  clip = newClip;
  clipLength = std::max(length, 0);
  const int expectedFrames = ExpectedFrames(clipLength);
  for (int c = 0; c < 2; ++c) {
    Zero(inputFrame[c]);
    lastFrame[c].Fill(0);
    inputFill[c] = kKeep;
    inputRead[c] = 0;
  }
  mainVoice.Reset();
  harmonicVoice.Reset();
  ForgetHeldFrames();
  firstWholeFrame = lastWholeFrame = -1;
  playPosition = 0.0;
  analysisProgress = 0;
  analysisPending = true;
  // One value per frame of channel 0, made as the frame is; room for them all
  // now (without it, FinishAnalysis leaves the curve empty).
  hfc.count = 0;
  hfc.Resize(expectedFrames);
}

int StretchEngine::ChannelsToProcess() const { return ChannelsOf(clip); }

int StretchEngine::ChannelsOf(const AudioClip* someClip) {
  return someClip != nullptr && someClip->channels > 1 ? 2 : 1;
}

void StretchEngine::AnalyseStep(std::chrono::steady_clock::time_point deadline) {
  if (!configured || clip == nullptr) return;
  for (int round = 0;; ++round) {
    if (round >= 2 && std::chrono::steady_clock::now() >= deadline) break;
    bool more = false;
    for (int c = 0; c < ChannelsToProcess(); ++c) more = AnalyseFrame(c) || more;
    if (!more) break;
  }
  analysisProgress = inputRead[0];
}

bool StretchEngine::AnalyseFrame(int c) {
  if (inputRead[c] >= clipLength) return false;
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
  for (int j = 0; j < kSize; ++j) x[j] = input[j] * window[j];
  // The bins above the top one would mirror those below it: a real input's.
  FftForwardReal(x, kSize);
  RectToPolar(x, kTopBin + 1);

  SpectralFrame* frame = frames[c].Append(kSize);
  if (frame == nullptr) {
    inputRead[c] = clipLength;  // no memory for more frames: the analysis ends here
    return false;
  }
  frame->Store(x);
  if (c == 0 && hfc.count < hfc.capacity) {
    double sum = 0.0;
    for (int b = 2; b <= kTopBin; ++b) {
      const double weighted = b * x[2 * b];
      sum += weighted * weighted;
    }
    hfc.data[hfc.count++] = sum / (kTopBin + 1);
  }
  std::memmove(input, input + kHop, sizeof(double) * kKeep);
  return true;
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

  if (hfc.count == frameCount) {
    double lo = 0.0, hi = 0.0;
    for (int k = 0; k < frameCount; ++k) {
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
  // Frame k holds clip samples k * hop - keep .. k * hop + hop - 1.
  constexpr int lead = kKeep / kHop;
  lastWholeFrame = std::min(clipLength / kHop - 1, frameCount - 1);
  firstWholeFrame = lastWholeFrame >= lead ? lead : -1;
  if (firstWholeFrame < 0) lastWholeFrame = -1;
  AlignSynthesisPhase();
  if (onAnalysisFinished) onAnalysisFinished();
  analysisPending = false;
}

// Playback advances before it synthesises, so the phases start as the first
// frame's: played in order from the start, every frame then sounds with its
// analysed phases, and the clip comes back as it was.
void StretchEngine::AlignSynthesisPhase() {
  ForgetHeldFrames();
  for (int c = 0; c < ChannelsToProcess(); ++c) {
    lastFrame[c].Fill(0);
    if (frames[c].Count() == 0) continue;
    const SpectralFrame& first = *frames[c].At(0);
    double* seed = hop[c].absolutePhase.data;
    for (int b = 0; b <= kTopBin; ++b) seed[b] = first.Phase(b);
    mainVoice.SetPhases(c, seed);
    harmonicVoice.SetPhases(c, seed);
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
  mainVoice.ClearTail();
  harmonicVoice.ClearTail();
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
    Zero(outHop[0]);
    Zero(outHop[1]);
    return;
  }
  double p = playPosition;
  const double rate = currentRate;
  // A position outside the region (a new clip, a region moved away from it)
  // enters it this hop: at its start going forward, just inside its end going
  // backward.
  const bool outside = p < s || p >= e;
  auto forward = [&] {
    if (outside) {
      p = s;
      return;
    }
    p += rate;
    if (p >= e) p -= (e - s);
  };
  auto backward = [&] {
    if (outside) {
      p = e - std::min(rate, static_cast<double>(e - s));
      return;
    }
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
      if (outside) {
        if (directionState == 1)
          backward();
        else
          forward();
      } else if (directionState == 0 || directionState == 3) {
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
  if (ChannelsToProcess() > 1 && frames[1].Count() == frameCount)
    SynthesiseFrame(1, frameIndex, next);
}

int StretchEngine::Readable(int k) const {
  if (currentRate >= 1.0 || firstWholeFrame < 0) return k;
  return std::clamp(k, static_cast<int>(firstWholeFrame), static_cast<int>(lastWholeFrame));
}

void StretchEngine::SynthesiseFrame(int c, int frameA, int frameB) {
  blurCurrentMs = blurNominalMs + (blurTransientMs - blurNominalMs) * transientAmount;
  const int blurFrames = BlurFrames(blurCurrentMs, sampleRate);
  FftBufferList& list = frames[c];
  frameA = Readable(frameA);
  frameB = Readable(frameB);
  const SpectralFrame& a = *list.At(frameA);
  const SpectralFrame& b = *list.At(frameB);
  const double f = frameFrac;
  const int lo = frameIndex;
  const int hi = std::min(lo + blurFrames - 1, list.Count() - 1);
  std::int32_t* from = sourceFrame.data;
  HopSource& h = hop[c];
  // Every bin from one frame, the same as the hop before: the arrays already
  // hold that frame as held (the draws are still made, so the generator moves
  // on as it always does).
  const int single = !blurPure && hi == lo ? Readable(lo) : -1;
  const bool held = single >= 0 && h.singleFrame == single;
  const bool known = held && h.heldFrame == single;
  h.singleFrame = single;
  // Blending reads each bin's phase relations from the nearer frame.
  const int nearer = f < 0.5 ? frameA : frameB;
  double* m = h.mag.data;
  if (blurPure) {
    for (int bin = 0; bin <= kTopBin; ++bin) {
      m[bin] = (1.0 - f) * a.Magnitude(bin) + f * b.Magnitude(bin);
      from[bin] = nearer;
    }
  } else if (single >= 0) {
    // Every bin comes from the one frame whatever the draws: the generator
    // only has to move on as they would have moved it.
    SkipHopDraws();
    if (!known) {
      const SpectralFrame& only = *list.At(single);
      for (int bin = 0; bin <= kTopBin; ++bin) {
        from[bin] = single;
        m[bin] = only.Magnitude(bin);
      }
    }
  } else {
    for (int bin = 0; bin <= kTopBin; ++bin) {
      const int k = lo + TruncToInt32((hi - lo + 1) * Random());
      const int k2 = std::min(k + 1, hi);
      const int chosen = Readable(Random() < f ? k2 : k);
      if (known) continue;
      from[bin] = chosen;
      m[bin] = list.At(chosen)->Magnitude(bin);
    }
  }
  if (!known) {
    for (int bin = 1; bin < kTopBin; ++bin)
      h.absolutePhase.data[bin] = list.At(from[bin])->Phase(bin);
    peaks.Find(m, kTopBin + 1);
    LockRegions(c, frameA, frameB);
    std::memcpy(lastFrame[c].data, from, sizeof(std::int32_t) * (kTopBin + 1));
    h.heldFrame = held ? single : -1;
  }

  const GrainSource source = {m, h.absolutePhase.data, h.advance.data, h.lockTo.data, known};
  mainVoice.AddGrain(c, source, SafeRatio(pitchRatio), workspace);
  const HarmonicVoice& voice = voices[0];
  if (voice.enabled) harmonicVoice.AddGrain(c, source, SafeRatio(voice.summedRatio), workspace);
  double* out = outHop[c].data;
  std::fill(out, out + kHop, 0.0);
  mainVoice.TakeHop(c, 1.0, workspace, out);
  harmonicVoice.TakeHop(c, voice.gain, workspace, out);
}

void StretchEngine::ForgetHeldFrames() {
  for (HopSource& h : hop) h.singleFrame = h.heldFrame = -1;
}

void StretchEngine::LockRegions(int c, int frameA, int frameB) {
  const FftBufferList& list = frames[c];
  const std::int32_t* from = sourceFrame.data;
  const std::int32_t* owner = peaks.Owner();
  HopSource& h = hop[c];
  std::int32_t* lock = h.lockTo.data;
  double* m = h.mag.data;
  double* advance = h.advance.data;
  const double f = frameFrac;
  auto advanceOf = [&](int bin) {
    return blurPure ? (1.0 - f) * Advance(c, frameA, bin) + f * Advance(c, frameB, bin)
                    : Advance(c, from[bin], bin);
  };
  // How closely the bins of a region turned together with its peak from frame
  // to frame (the increments into each bin's frame, step 0, or out of it,
  // step 1), weighted by energy: 1 for one steady partial, near 0 for noise.
  auto coherence = [&](int peak, int start, int end, int step) {
    const int kp = from[peak] + step;
    if (kp >= list.Count()) return 0.0;
    const double dp = Increment(list, kp, peak);
    double* turn = regionTurn.data;
    for (int b = start; b < end; ++b) {
      const int k = from[b] + step;
      turn[b - start] = k < list.Count() ? Increment(list, k, b) - dp : 0.0;
    }
    const double* sine = regionSine.data;
    const double* cosine = regionCosine.data;
    SinCos(turn, regionSine.data, regionCosine.data, end - start);
    double re = 0.0, im = 0.0, total = 0.0;
    for (int b = start; b < end; ++b) {
      if (from[b] + step >= list.Count()) continue;
      const double w = m[b] * m[b];
      re += w * cosine[b - start];
      im += w * sine[b - start];
      total += w;
    }
    // Sums of squared magnitudes: far from overflow, no need for hypot.
    return total > 0.0 ? std::sqrt(re * re + im * im) / total : 0.0;
  };

  std::fill(lock, lock + kTopBin + 1, -1);
  for (int start = 0, i = 0; i < peaks.Count(); ++i) {
    const int peak = peaks.Bins()[i];
    int end = start;
    while (end <= kTopBin && owner[end] == peak) ++end;
    advance[peak] = advanceOf(peak);
    // The step to the frame after the one played before sounds as analysed.
    const bool inOrder = lastFrame[c].data[peak] == from[peak] - 1 && (!blurPure || f == 0.0);
    double gain = 1.0;
    bool locked = true;
    if (!inOrder) {
      // The increment into the first whole frame, and the one out of the last,
      // were measured against padding.
      const double steady =
          std::max(from[peak] == firstWholeFrame ? 0.0 : coherence(peak, start, end, 0),
                   from[peak] == lastWholeFrame ? 0.0 : coherence(peak, start, end, 1));
      locked = steady >= kLockCoherence;
      // Grains of a held or revisited frame add up only as coherently as the
      // region moves as one; a region of noise, left free, not at all.
      gain = 1.0 / std::sqrt(locked ? steady + (1.0 - steady) * incoherentShare : incoherentShare);
    }
    for (int b = start; b < end; ++b) {
      m[b] *= gain;
      if (locked && b != peak && from[b] == from[peak]) lock[b] = peak;
    }
    start = end;
  }
  lock[0] = lock[kTopBin] = -1;
  // Bins that move on their own go by their own increment; peaks and the two
  // real bins by their frequency.
  for (int bin = 0; bin <= kTopBin; ++bin) {
    if (lock[bin] >= 0 || (owner[bin] == bin && bin > 0)) continue;
    if (bin == 0 || bin == kTopBin)
      advance[bin] = advanceOf(bin);
    else
      advance[bin] =
          bin * phaseStep + WrapPhase(Increment(list, from[bin], bin) - bin * phaseStep);
  }
}

double StretchEngine::Advance(int c, int k, int b) const {
  const FftBufferList& list = frames[c];
  const double centre = b * phaseStep;
  double offset = WrapPhase(Increment(list, k, b) - centre);
  // The step from the frame before plays the clip as analysed.
  if (lastFrame[c].data[b] == k - 1) return centre + offset;
  // Any other step needs the frequency itself. An increment measured against
  // a frame the partial was not yet (or no longer) steady in lands anywhere
  // within two bins, so of the increments into and out of the frame the one
  // nearer the bin's centre is the better guess; where both are off by more
  // than a bin, the magnitudes' shape tells. The increment into the first
  // whole frame was measured against padding, the one out of the last whole
  // frame against padding too.
  if (b > 0 && b < kTopBin) {
    if (k + 1 < list.Count() && k != lastWholeFrame) {
      const double out = WrapPhase(Increment(list, k + 1, b) - centre);
      if (k == firstWholeFrame || std::abs(out) < std::abs(offset)) offset = out;
    }
    if (std::abs(offset) > phaseStep) offset = PeakOffset(*list.At(k), b) * phaseStep;
  }
  return centre + offset;
}

double StretchEngine::Increment(const FftBufferList& list, int k, int b) {
  return list.At(k)->Increment(k > 0 ? list.At(k - 1) : nullptr, b);
}

double StretchEngine::PeakOffset(const SpectralFrame& frame, int b) {
  const double floor = 1e-300;
  const double l = std::log(std::max(frame.Magnitude(b - 1), floor));
  const double m = std::log(std::max(frame.Magnitude(b), floor));
  const double r = std::log(std::max(frame.Magnitude(b + 1), floor));
  const double curvature = l - 2.0 * m + r;
  if (!(curvature < 0.0)) return 0.0;
  return std::clamp(0.5 * (l - r) / curvature, -0.5, 0.5);
}

void StretchEngine::SkipHopDraws() {
  const HopJump& jump = Jump();
  const std::uint64_t state[3] = {s0, s1, s2};
  std::uint64_t next[3] = {0, 0, 0};
  for (int bit = 0; bit < 192; ++bit) {
    const std::uint64_t take = 0 - (state[bit / 64] >> (bit % 64) & 1);  // all ones or none
    next[0] ^= jump.image[bit][0] & take;
    next[1] ^= jump.image[bit][1] & take;
    next[2] ^= jump.image[bit][2] & take;
  }
  s0 = next[0];
  s1 = next[1];
  s2 = next[2];
}

int StretchEngine::BlurFrames(double ms, double sampleRateHz) {
  return std::max(1, TruncToInt32(ms / (kHop * 1000.0 / sampleRateHz)));
}

double StretchEngine::Random() {
  Step(s0, s1, s2);
  double draw;
  std::memcpy(&draw, &s2, sizeof draw);
  return draw - 1.0;
}
