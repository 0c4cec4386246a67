// One voice of the engine's resynthesis at a pitch ratio: it turns the
// spectrum the engine chose for a hop into a grain and overlap-adds it.
//
// Phases: a bin locked to a peak takes its source frame's phase relation to
// the peak, so a partial keeps its shape however long a frame is held or
// wherever playback jumps; every other bin (the peaks themselves) advances by
// the ratio times its phase advance per hop.
//
// Pitch: at a ratio of 1 the grain is the inverse transform under the synthesis
// window. At any other ratio the transformed frame is resampled about its
// centre (ratio times as fast) before the window, so every partial sounds at
// exactly ratio times its frequency; source bins that would land above the top
// bin are left out. Resampled grains no longer add up to a constant gain, so the
// voice keeps the overlap-add of the grains' envelopes beside the output and
// divides by it wherever a resampled grain still sounds.
//
// The engine owns its voices and calls them on the audio thread under the
// plug-in lock; Allocate sizes everything, nothing allocates afterwards.
#pragma once

#include <cstdint>

#include "dsp/ComplexFrame.h"
#include "dsp/ResizableBuffer.h"
#include "dsp/Window.h"

// What the engine chose for one hop of one channel, bins 0 .. top.
struct GrainSource {
  const double* magnitude;
  const double* absolutePhase;  // phases of the bins' source frames, for the relations
  const double* advance;        // phase advance per hop at ratio 1 of the bins not locked
  const std::int32_t* lockTo;   // the peak a bin keeps its relation to, or -1
  // The arrays are the hop before's, unchanged (a frame held): a voice that
  // made a grain from them then turns that grain's spectrum instead.
  bool repeated;
};

// Scratch and shapes every voice of an engine shares; the engine sizes it.
struct GrainWorkspace {
  ComplexFrame* spectrum;          // transform size, for the inverse transform
  ResizableBuffer<double>* grain;  // transform size plus the interpolator's reach
  const Window* analysisWindow;
  const Window* synthesisWindow;
  double unityEnvelope;  // the envelopes' sum for unresampled grains
};

class SynthesisVoice {
 public:
  // Sizes the phases and accumulators for transforms of size values and
  // hops of hop; false when memory cannot be had.
  bool Allocate(int size, int hop);
  // Phases and accumulators to zero.
  void Reset();
  // Accumulators to zero: nothing of the old sound rings on.
  void ClearTail();
  // Phases of channel c from bins 0 .. top of seed.
  void SetPhases(int c, const double* seed);

  // Builds channel c's grain at ratio and adds it and its envelope.
  void AddGrain(int c, const GrainSource& source, double ratio, GrainWorkspace& work);
  // Adds gain times the finished hop of channel c to out, then moves on by a hop.
  void TakeHop(int c, double gain, const GrainWorkspace& work, double* out);

  // Taps of the grain resampler on either side of a position.
  static constexpr int kReach = 12;

 private:
  int size = 0;
  int hop = 0;
  ResizableBuffer<double> phase[2];
  // Rings of one transform's length: output sample t of a channel's newest
  // grain is slot (start + t) mod size, and a hop taken leaves its slots
  // zeroed for the far end of the next grain.
  ResizableBuffer<double> ola[2];
  ResizableBuffer<double> envelope[2];
  int start[2] = {0, 0};
  // Hops still holding part of a resampled grain, per channel.
  int resampledHops[2] = {0, 0};
  // Hops still holding part of any grain: a voice that has fallen silent (a
  // harmonic voice switched off) costs nothing.
  int soundingHops[2] = {0, 0};
  // The last grain's bins 0 .. limit as (re, im), and while its source
  // repeats, the turn every bin takes per hop: the next grain of a held frame
  // is the last one turned, a complex product per bin instead of a sine and a
  // cosine.
  struct Turning {
    ResizableBuffer<double> spectrum, cosine, sine, angle;
    double ratio = 0.0;
    bool valid = false;
    bool turnsKnown = false;
  };
  Turning turning[2];
};
