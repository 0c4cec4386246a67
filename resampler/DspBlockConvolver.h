// One low-pass stage of the resampler, convolving in the frequency domain by
// overlap-save, optionally upsampling (a zero after every input) or
// downsampling by 2. The stage consumes its own delay: output sample 0 stands
// for input sample 0. It owns its work buffers and its output buffer; its
// filter belongs to the resampler's cache. Used by one thread at a time.
#pragma once

#include <vector>

#include "resampler/DspFirFilterCache.h"
#include "resampler/DspProcessor.h"

namespace resamp {

class DspBlockConvolver : public DspProcessor {
 public:
  // Frequency as a fraction of the Nyquist frequency of the rate the filter
  // runs at (the doubled rate when upsampling); previousFraction is the
  // fractional latency of the stage before, in its output samples; maxInput
  // the longest call this stage will see.
  DspBlockConvolver(DspFirFilterCache& cache, double frequency, double transitionBand,
                    double attenuation, double gain, int interpolationFactor,
                    int decimationFactor, double previousFraction, int maxInput);
  ~DspBlockConvolver() override;

  // False when the filter could not be designed or memory could not be had.
  bool Valid() const { return filter != nullptr; }

  double GetDelayFraction() const override { return fractionalLatency; }
  int InputNeededFor(int outputs) const override;
  int MaxOutputFor(int maxInput) const override;
  void Clear() override;
  int Process(const double* input, int count, double*& output) override;

 private:
  // Transforms the full block; its valid results stay in the spectrum buffer
  // (ready, readyCount) and the history the next block starts with is in kept.
  void RunBlock();
  // Starts the next block from kept; the ready results are given up.
  void StartNextBlock();
  // Copies the ready results to out and starts the next block.
  void MoveResultsOut();

  DspFirFilterCache& cache;
  const DspFirFilter* filter;
  int interpolationFactor;
  int decimationFactor;
  int fftSize = 0;       // N, at the upsampled rate
  int history = 0;       // P input samples kept from the block before
  int blockInput = 0;    // input samples per block, history included (N / up)
  int blockOutputs = 0;  // outputs per block ((N - P * up) / down)
  int firstValid = 0;    // index of the first valid result of a block
  int latencySkip = 0;   // leading outputs to discard after Clear
  bool leadingZero = false;
  double fractionalLatency = 0.0;

  // The filter per (re, im) value: real factors up to the top bin kept, or
  // when upsampling the complex factor of each of the N/2 bins.
  std::vector<double> factors;
  // N + 2 doubles: the block's input (history, then new samples), then its
  // bins as (re, im) pairs, then the results.
  std::vector<double> spectrum;
  // The history while the block is transformed, then the inputs of the call
  // that completed it which came after it: the next block starts with these
  // once that call's results, handed out where they lie, have been read.
  std::vector<double> kept;
  int keptCount = 0;
  double* ready = nullptr;
  int readyCount = 0;
  std::vector<double> out;  // results of calls that complete more than one block
  int fill = 0;
  int skipRemaining = 0;
  int produced = 0;
};

}  // namespace resamp
