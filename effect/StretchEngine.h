// The time-stretch engine: a phase vocoder with whole-clip analysis. A loaded
// clip is analysed, two hops per channel per processing call, into frames of
// magnitude and wrapped phase increment per bin plus a transient curve; playback
// then reads those frames at a fractional position, moving at a rate and with a
// blur that follow the curve, remaps bins for pitch, mixes one harmonic voice,
// accumulates phase, transforms back and overlap-adds.
//
// The effect owns one engine and calls it from its processing call and its
// parameter handlers, all under the plug-in lock. The inputs the handlers set are
// plain members. Everything PullOutput touches is sized by Configure: playback
// allocates nothing. Each engine has its own scratch state, so engines of
// different instances may run on different threads at once.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>

#include "audio/AudioClip.h"
#include "dsp/ComplexFrame.h"
#include "dsp/FftBufferList.h"
#include "dsp/ResizableBuffer.h"
#include "dsp/VariableLengthArray.h"
#include "dsp/Window.h"

struct HarmonicVoice {
  bool enabled = false;
  double ratio = 0.0;
  double summedRatio = 0.0;  // ratio + the main pitch ratio
  double gain = 1.0;
};

class StretchEngine {
 public:
  static constexpr int kSize = 4096;  // transform size N
  static constexpr int kHop = 1024;
  static constexpr int kOverlap = 4;
  static constexpr int kTopBin = kSize / 2;  // bins 0..2048 are processed
  static constexpr int kKeep = kSize - kHop;
  static constexpr int kOlaSize = 2 * kSize;

  enum Direction : std::int32_t { kForward = 0, kReverse = 1, kForwardReverse = 2, kRandomWalk = 3 };

  StretchEngine();

  // Sizes and zeroes every buffer and builds the windows; resets the position
  // and the hop state, keeps the analysed frames and curves. False when memory
  // cannot be had (the engine then plays silence).
  bool Configure();
  // Configure for a changed analysis setting: an analysis under way starts
  // again (its frames so far were cut with the old state); finished frames are
  // kept and playback restarts from the first one.
  bool Reconfigure();
  // A new clip becomes current: frames, phases and the overlap-add tail
  // cleared, analysis pending.
  void ResetAnalysis(const AudioClip* clip, int clipLength);
  // Analyses up to two more frames per channel.
  void AnalyseStep();
  // Region, high-frequency content and transient curve; ends the analysis.
  void FinishAnalysis();
  void RebuildTransientCurve();
  // n samples of stretched output per channel; the right channel is only
  // synthesised for clips of more than one channel.
  void PullOutput(double* left, double* right, int n);
  // Zeroes both finished output hops (a new clip must not replay the old one).
  void ClearOutputHops();
  // Sets the four region bounds from the fractions and the analysed sizes.
  void SetRegion(double startFraction, double endFraction);

  // Brings x into [-pi, pi] by a whole, even number of half turns.
  static double Wrap(double x);
  // Frames a blur of ms spans at a sample rate in Hz: at least one.
  static int BlurFrames(double ms, double sampleRateHz);
  // Next draw in [0, 1).
  double Random();

  // Inputs set by the parameter handlers.
  double sampleRate = 44100.0;  // Hz, the host's
  int algorithm = 0;
  double nominalRate = 1.0;
  double transientRate = 1.0;
  double currentRate = 1.0;
  double blurNominalMs = 10.0;
  double blurTransientMs = 10.0;
  bool blurPure = false;
  int direction = kForward;
  double pitchRatio = 1.0;
  HarmonicVoice voices[3];
  double transientShape = 1.0;
  double regionStartFraction = 0.0;
  double regionEndFraction = 1.0;
  // Run at the end of FinishAnalysis, before the analysis counts as done.
  std::function<void()> onAnalysisFinished;

  // Playback state, read by the processing loop and the displays.
  double playPosition = 0.0;
  std::int32_t frameIndex = 0;
  double frameFrac = 0.0;
  double transientAmount = 0.0;
  double blurCurrentMs = 10.0;
  std::int32_t directionState = 0;

  // Analysis state.
  bool analysisPending = false;
  std::int32_t analysisProgress = 0;
  std::int32_t clipLength = 0;
  std::int32_t frameCount = 0;
  std::int32_t regionStartFrame = 0, regionEndFrame = 0;
  std::int32_t sampleCount = 0;
  std::int32_t regionStartSample = 0, regionEndSample = 0;
  FftBufferList frames[2];
  VariableLengthArray<double, 32> hfc;
  VariableLengthArray<double, 32> transientCurve;

  // Accumulated phases, zeroed by the effect when the algorithm changes.
  ResizableBuffer<double> analysisPhase[2];
  ResizableBuffer<double> synthPhase[2];

 private:
  void AnalyseFrame(int channel);
  void SmoothEdgeIncrements();
  void AlignSynthesisPhase();
  void NextHop();
  void SynthesiseFrame(int channel, int frameA, int frameB);
  int ChannelsToProcess() const;

  double phaseStep;
  double binHz = 44100.0 / kSize;
  const AudioClip* clip = nullptr;

  ResizableBuffer<double> inputFrame[2];
  std::int32_t inputFill[2] = {kKeep, kKeep};
  std::int32_t inputRead[2] = {0, 0};
  std::unique_ptr<ComplexFrame> analysisFft;
  Window analysisWindow;
  Window synthesisWindow;

  ResizableBuffer<double> ola[2];
  ResizableBuffer<double> outHop[2];
  std::unique_ptr<ComplexFrame> synthFft;
  std::unique_ptr<ComplexFrame> outSpectrum[2];
  int outSpectrumIndex = 0;
  std::int32_t outRead = kKeep;
  bool configured = false;

  ResizableBuffer<double> mag, freq, outMag, outFreq;
  // The phases every playback starts from, at the first frame's time.
  ResizableBuffer<double> firstPhase[2];
  std::uint64_t s0, s1, s2;
};
