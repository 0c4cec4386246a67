// Measures of how a rendered sound compares with what went in: levels over a
// span and their ripple, the energy a tone spreads beyond a narrow band around
// its lines, a tone's frequency, and third-octave band levels for noise. Every
// function reads samples [from, to) of one channel at rateHz and is pure; spans
// too short to measure give NaN. Results are in dB (power ratios as 10·log10,
// amplitudes as 20·log10) or Hz.
#pragma once

#include <cstddef>
#include <vector>

struct LevelStats {
  double levelDb = 0;   // RMS of the whole span, dB re full scale
  double rippleDb = 0;  // highest minus lowest level of the consecutive windows
  int windows = 0;      // whole windows in the span
};

// Level and ripple with 100 ms windows laid end to end from 'from'; a partial
// window at the end counts for the level only.
LevelStats MeasureLevel(const std::vector<double>& x, std::size_t from, std::size_t to,
                        double rateHz);

constexpr std::size_t kOutOfBandBlockFrames = 65536;
constexpr double kOutOfBandHalfWidthHz = 20;

// Share of the energy of x[from, from + length) that lies further than
// kOutOfBandHalfWidthHz from every one of linesHz, in dB (-200 when none does),
// under a 4-term Blackman-Harris window. The in-band part is summed from DFT
// bins computed directly, positive and mirrored negative frequencies alike, so
// lines must keep clear of 0 Hz and of half the rate.
double OutOfBandDb(const std::vector<double>& x, std::size_t from, std::size_t length,
                   double rateHz, const std::vector<double>& linesHz);
// The same over a whole span: blocks of kOutOfBandBlockFrames (the whole span
// when shorter), spread evenly so they cover it, with their energies summed.
double SpanOutOfBandDb(const std::vector<double>& x, std::size_t from, std::size_t to,
                       double rateHz, const std::vector<double>& linesHz);

constexpr std::size_t kToneWindowMaxFrames = 131072;

// Frequency of the strongest tone within searchHz of expectedHz: the peak of
// the Blackman-Harris-windowed spectrum of the span's first
// kToneWindowMaxFrames samples (at least 8192), found on a coarse grid and then
// refined on the exact transform. Within a few mHz on a clean tone of 1 s.
double ToneFrequencyHz(const std::vector<double>& x, std::size_t from, std::size_t to,
                       double rateHz, double expectedHz, double searchHz = 200);

constexpr int kThirdOctaveBands = 22;  // centres 100 Hz .. 12.5 kHz

// Centre of band 0..21: 1 kHz · 2^((band - 10) / 3); its edges lie a sixth of an
// octave either side.
double ThirdOctaveCentreHz(int band);
// Mean-square level per band in dB (a sine of amplitude A inside a band reads
// 20·log10(A/√2)), from a Welch spectrum: 8192-point Hann segments at 50 %
// overlap. Empty when the span is shorter than one segment.
std::vector<double> ThirdOctaveLevelsDb(const std::vector<double>& x, std::size_t from,
                                        std::size_t to, double rateHz);

struct BandComparison {
  double gainDb = 0;       // mean of output minus input over the bands
  double deviationDb = 0;  // largest |output - input - gain|: the change of shape
};
// Both lists from ThirdOctaveLevelsDb; NaN figures when they differ in size or
// are empty.
BandComparison BandDeviation(const std::vector<double>& inputDb,
                             const std::vector<double>& outputDb);
