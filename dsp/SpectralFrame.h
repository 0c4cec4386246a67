// One analysed spectrum, kept in four bytes a bin: for bins 0 .. N/2 of a
// transform of size N, the magnitude as a 16-bit float (11 bits of mantissa,
// relative error under 2^-12, values 2^-16 .. 2^16, smaller ones as zero) and
// the phase as a 16-bit fraction of a turn (within 5e-5 rad). The increment of
// a bin's phase from one frame to the next is the difference of two such
// fractions, which wraps by itself: summed over frames it telescopes to the
// last phase exactly, so a held or slowly read frame does not drift. Written
// once by the analysis, then only read (by the engine on the audio thread and
// the spectrograph inside its lease). A view: the FftBufferList that makes a
// frame owns it and its bins.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "dsp/PhaseWrap.h"

class SpectralFrame {
 public:
  struct Bin {
    std::uint16_t magnitude;  // 0, or 1 + the top 16 bits of a float's range
    std::uint16_t phase;      // turns * 2^16, modulo 2^16
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
  // Stores one bin.
  void Set(int b, double magnitude, double phase) {
    bins[b] = {MagnitudeToCode(magnitude), RadiansToTurns(phase)};
  }

  double Magnitude(int b) const { return CodeToMagnitude(bins[b].magnitude); }
  // Bin b's phase in [-pi, pi).
  double Phase(int b) const { return TurnsToRadians(bins[b].phase); }
  // Bin b's phase increment from before, in [-pi, pi); the first frame (before
  // null) counts from phase zero.
  double Increment(const SpectralFrame* before, int b) const {
    const std::uint16_t from = before != nullptr ? before->bins[b].phase : 0u;
    return TurnsToRadians(static_cast<std::uint16_t>(bins[b].phase - from));
  }

  // Whole turns drop out with the step count's high bits. Rounded by adding
  // 1.5 * 2^52, whose low bits are then the step count's (so a frame's loop
  // vectorises); a phase beyond 2^51 steps, or not a number, gives some value.
  static std::uint16_t RadiansToTurns(double phase) {
    const double shifted = phase * (1.0 / kRadiansPerStep) + kRoundToWhole;
    std::uint64_t bits;
    std::memcpy(&bits, &shifted, sizeof bits);
    return static_cast<std::uint16_t>(bits);
  }
  static double TurnsToRadians(std::uint16_t turns) {
    return static_cast<std::int16_t>(turns) * kRadiansPerStep;
  }
  // Magnitudes below 2^-16 (and anything not a number) become 0, those from
  // 2^16 up the largest code. Without a branch, so a frame's loop vectorises.
  static std::uint16_t MagnitudeToCode(double magnitude) {
    const double kept = magnitude > 0.0 ? (magnitude < 1e9 ? magnitude : 1e9) : 0.0;
    const float single = static_cast<float>(kept);
    std::int32_t bits;
    std::memcpy(&bits, &single, sizeof bits);
    // Rounding to the nearest kept mantissa may carry into the exponent,
    // which is the next code up.
    const std::int32_t above =
        bits - static_cast<std::int32_t>(kFloorBits) + (1 << (kDroppedBits - 1));
    const std::int32_t steps = std::min(std::max(above, 0) >> kDroppedBits, 0xfffe);
    return static_cast<std::uint16_t>(above < 0 ? 0 : steps + 1);
  }
  static float CodeToMagnitude(std::uint16_t code) {
    const std::uint32_t bits = (static_cast<std::uint32_t>(code - 1) << kDroppedBits) + kFloorBits;
    float magnitude;
    std::memcpy(&magnitude, &bits, sizeof magnitude);
    return code != 0 ? magnitude : 0.0f;
  }

  Bin* const bins;
  const std::int32_t size;  // the transform size N

 private:
  static constexpr double kRadiansPerStep = 6.283185307179586476925 / 65536.0;
  // A code keeps a float's 5 lowest exponent steps above 2^-16 and the top 11
  // bits of its mantissa.
  static constexpr int kDroppedBits = 12;
  static constexpr std::uint32_t kFloorBits = (127u - 16u) << 23;  // 2^-16 as a float
};
