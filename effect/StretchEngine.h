// The time-stretch engine: a phase vocoder with whole-clip analysis. A loaded
// clip is analysed, as many hops per processing call as a time budget allows,
// into frames of magnitude and phase per bin plus a transient curve; playback
// then reads those frames at a fractional position, moving at a rate and with a
// blur that follow the curve, and resynthesises them through two voices (the
// main one at the pitch ratio and one harmonic voice). Phases are locked to the
// spectrum's peaks, so a partial keeps its shape and level however long a frame
// is held and wherever playback jumps.
//
// The effect owns one engine and calls it from its processing call and its
// parameter handlers, all under the plug-in lock. The inputs the handlers set are
// plain members. Everything PullOutput touches is sized by Configure: playback
// allocates nothing. Each engine has its own scratch state, so engines of
// different instances may run on different threads at once.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>

#include "audio/AudioClip.h"
#include "dsp/ComplexFrame.h"
#include "dsp/FftBufferList.h"
#include "dsp/ResizableBuffer.h"
#include "dsp/VariableLengthArray.h"
#include "dsp/Window.h"
#include "effect/SpectralPeaks.h"
#include "effect/SynthesisVoice.h"

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

  enum Direction : std::int32_t {
    kForward = 0,
    kReverse = 1,
    kForwardReverse = 2,
    kRandomWalk = 3
  };

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
  // cleared, analysis pending. The memory for its frames is taken here, on
  // the loading thread, so that the analysis on the audio thread finds it.
  void ResetAnalysis(const AudioClip* clip, int clipLength);
  // The same for a loading thread that keeps the clip's frame memory away from
  // the lock: PrepareFrames reserves lists for the clip of clipLength samples
  // that will be analysed next, outside the plug-in lock (the audio thread never
  // reads them); ResetAnalysisPrepared, under the lock, puts them in place in
  // constant time and keeps the old ones; ReleasePreparedFrames gives those
  // back to the system, outside the lock again. False when the memory cannot
  // be had: the analysis then takes it as it goes.
  bool PrepareFrames(const AudioClip* nextClip, int clipLength);
  void ResetAnalysisPrepared(const AudioClip* clip, int clipLength);
  void ReleasePreparedFrames();
  // Analyses two more frames per channel, then more (a frame per channel at a
  // time) until the clock reaches the deadline; the default deadline asks for
  // the two alone.
  void AnalyseStep(std::chrono::steady_clock::time_point deadline = {});
  // Region, normalised high-frequency content and transient curve; ends the
  // analysis. Its work grows with the frame count, a few operations a frame.
  void FinishAnalysis();
  void RebuildTransientCurve();
  // n samples of stretched output per channel; the right channel is only
  // synthesised for clips of more than one channel.
  void PullOutput(double* left, double* right, int n);
  // Zeroes the finished output hops and the grains still sounding (a new clip
  // must not replay the old one).
  void ClearOutputHops();
  // Sets the four region bounds from the fractions and the analysed sizes.
  void SetRegion(double startFraction, double endFraction);

  // Frames a blur of ms spans at a sample rate in Hz: at least one.
  static int BlurFrames(double ms, double sampleRateHz);
  // Next draw in [0, 1).
  double Random();
  // Moves the generator on as kHopDraws draws would (two for each bin of a
  // hop), in a few hundred operations instead of thousands of dependent steps.
  void SkipHopDraws();
  static constexpr int kHopDraws = 2 * (kTopBin + 1);

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

 private:
  // Analyses channel's next frame; false when the analysis of the clip ended.
  bool AnalyseFrame(int channel);
  void AlignSynthesisPhase();
  // Frames a clip of length samples gives, a channel.
  static int ExpectedFrames(int length);
  // Empties lists and reserves in them what a clip of length samples needs,
  // a list for each channel that is analysed; false when memory ran out.
  static bool ReserveFrames(FftBufferList (&lists)[2], const AudioClip* clip, int length);
  // ResetAnalysis beyond the frame lists.
  void StartAnalysis(const AudioClip* clip, int clipLength);
  void NextHop();
  void SynthesiseFrame(int channel, int frameA, int frameB);
  // The frame read for frame k: while stretching, frames that reach into the
  // padding before the clip or after it are read as the nearest whole frame.
  int Readable(int k) const;
  // Splits the spectrum into the peaks' regions: a region that moves as one
  // partial follows its peak's phase, one of noise moves bin by bin; a held or
  // revisited frame's regions are made up for the coherence their grains lose.
  // Sets each bin's lock, the advances and scales the magnitudes.
  void LockRegions(int c, int frameA, int frameB);
  // Forgets what the channels' last hops read.
  void ForgetHeldFrames();
  // Phase advance per hop of bin b read from frame k of channel c.
  double Advance(int c, int k, int b) const;
  // Bin b's phase increment into frame k of list.
  static double Increment(const FftBufferList& list, int k, int b);
  // Bin b's frequency offset from its centre in bins, from the shape of the
  // frame's magnitudes around it.
  static double PeakOffset(const SpectralFrame& frame, int b);
  int ChannelsToProcess() const;
  // Channels analysed of a clip: its right one only when it has two or more.
  static int ChannelsOf(const AudioClip* clip);

  double phaseStep;
  const AudioClip* clip = nullptr;

  ResizableBuffer<double> inputFrame[2];
  std::int32_t inputFill[2] = {kKeep, kKeep};
  std::int32_t inputRead[2] = {0, 0};
  std::unique_ptr<ComplexFrame> analysisFft;
  Window analysisWindow;
  Window synthesisWindow;

  ResizableBuffer<double> outHop[2];
  std::unique_ptr<ComplexFrame> synthFft;
  ResizableBuffer<double> grain;
  GrainWorkspace workspace = {};
  SynthesisVoice mainVoice, harmonicVoice;
  std::int32_t outRead = kKeep;
  bool configured = false;
  // First and last frames that lie wholly inside the clip; -1 when none does.
  std::int32_t firstWholeFrame = -1, lastWholeFrame = -1;
  // The power of grains that do not add up coherently, as a share of the power
  // of grains that do (the overlap-add of squared window products over its
  // square).
  double incoherentShare = 0.5;

  // What a channel's hop resynthesises: each bin's magnitude, its source
  // frame's phase, its lock and its advance. A frame held hop after hop gives
  // the same every time, so the channel keeps it while it holds one frame.
  struct HopSource {
    ResizableBuffer<double> mag, absolutePhase, advance;
    ResizableBuffer<std::int32_t> lockTo;
    std::int32_t singleFrame = -1;  // the frame every bin came from, or -1
    std::int32_t heldFrame = -1;    // the held frame the arrays still describe, or -1
  };
  HopSource hop[2];
  ResizableBuffer<std::int32_t> sourceFrame;
  // A region's phase turns and their sines and cosines, while its coherence is
  // measured.
  ResizableBuffer<double> regionTurn, regionSine, regionCosine;
  SpectralPeaks peaks;
  // The frame each bin of a channel was read from in the hop before.
  ResizableBuffer<std::int32_t> lastFrame[2];
  std::uint64_t s0, s1, s2;
  // The frame lists a loading thread prepares and gets back (see PrepareFrames).
  FftBufferList preparedFrames[2];
};
