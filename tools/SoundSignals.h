// Signals the sound check feeds the plug-in: sines, white and pink noise. Each
// is computed from its arguments alone (noise from its seed), so every run
// plays the same clips.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// amplitude · sin(2π · hz · j / rateHz + phase) for j = 0 .. frames - 1.
std::vector<double> Sine(double hz, double amplitude, std::size_t frames, double rateHz,
                         double phase = 0);
// Uniform white noise scaled to exactly rms.
std::vector<double> WhiteNoise(std::size_t frames, double rms, std::uint64_t seed);
// Pink noise (power falling 3 dB an octave) by Voss-McCartney: sixteen held
// random rows, row r redrawn every 2^(r+1) samples, plus a white row; scaled to
// exactly rms.
std::vector<double> PinkNoise(std::size_t frames, double rms, std::uint64_t seed);
