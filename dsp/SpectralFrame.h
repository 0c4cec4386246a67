// One analysed spectrum, kept compact: for bins 0 .. N/2 of a transform of
// size N, the magnitude as a float and the phase as a 32-bit fraction of a
// turn. The increment of a bin's phase from one frame to the next is the
// difference of two such fractions, which wraps by itself: summed over frames
// it telescopes to the last phase exactly, and each phase is off by under
// 1e-9 rad. Written once by the analysis, then only read (by the engine on the
// audio thread and the spectrograph inside its lease). A view: the
// FftBufferList that makes a frame owns it and its bins.
#pragma once

#include <cstdint>

class SpectralFrame {
 public:
  struct Bin {
    float magnitude;
    std::uint32_t phase;  // turns * 2^32, modulo 2^32
  };

  // Bins needed for a transform of size transformSize.
  static int BinCount(int transformSize) { return transformSize / 2 + 1; }

  // Reads and writes the BinCount(transformSize) bins at storage.
  SpectralFrame(Bin* storage, int transformSize) : bins(storage), size(transformSize) {}
  SpectralFrame(const SpectralFrame&) = delete;
  SpectralFrame& operator=(const SpectralFrame&) = delete;

  int BinCount() const { return BinCount(size); }
  // Stores the first BinCount() (magnitude, phase) pairs of polar, phases in
  // radians.
  void Store(const double* polar);

  double Magnitude(int b) const { return bins[b].magnitude; }
  // Bin b's phase in [-pi, pi).
  double Phase(int b) const { return TurnsToRadians(bins[b].phase); }
  // Bin b's phase increment from before, in [-pi, pi); the first frame (before
  // null) counts from phase zero.
  double Increment(const SpectralFrame* before, int b) const {
    return TurnsToRadians(bins[b].phase - (before != nullptr ? before->bins[b].phase : 0u));
  }

  static std::uint32_t RadiansToTurns(double phase);
  static double TurnsToRadians(std::uint32_t turns) {
    return static_cast<std::int32_t>(turns) * kRadiansPerStep;
  }

  Bin* const bins;
  const std::int32_t size;  // the transform size N

 private:
  static constexpr double kRadiansPerStep = 6.283185307179586476925 / 4294967296.0;
};
