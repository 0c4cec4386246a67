// The interface of every resampling stage and of the resampler itself. A stage
// is used by one thread at a time; each owns its own buffers.
#pragma once

namespace resamp {

class DspProcessor {
 public:
  DspProcessor() = default;
  DspProcessor(const DspProcessor&) = delete;
  DspProcessor& operator=(const DspProcessor&) = delete;
  virtual ~DspProcessor() = default;

  // Output samples a caller would have to discard: none here, since every
  // stage consumes its own delay.
  virtual int GetDelay() const { return 0; }
  // The fractional part of the delay, in output samples, for the next stage.
  virtual double GetDelayFraction() const { return 0.0; }
  virtual int InputNeededFor(int outputs) const = 0;
  // The most outputs one Process call gives for that much input.
  virtual int MaxOutputFor(int maxInput) const = 0;
  // Back to the state after construction.
  virtual void Clear() = 0;
  // Consumes count inputs; returns the number of outputs and sets output to
  // where they are, valid until the next call.
  virtual int Process(const double* input, int count, double*& output) = 0;
};

}  // namespace resamp
