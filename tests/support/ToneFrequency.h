// The frequency of a steady tone, measured finely enough to tell a pitch that
// is off by a fraction of a hertz.
#pragma once

#include <cstddef>
#include <vector>

// Periods between the first and the last rising zero crossing from `from` on,
// over the time between them. Each crossing is placed between its two samples
// by linear interpolation, so over a second of a clean tone the result is good
// to far below 0.01 Hz, where counting whole crossings is good to 1 Hz only.
// 0 when fewer than two crossings are found.
inline double ToneFrequencyHz(const std::vector<double>& samples, double sampleRateHz,
                              std::size_t from = 0) {
  double first = -1.0, last = -1.0;
  int periods = -1;
  for (std::size_t i = from + 1; i < samples.size(); ++i) {
    const double a = samples[i - 1], b = samples[i];
    if (!(a < 0.0 && b >= 0.0)) continue;
    const double t = static_cast<double>(i - 1) + a / (a - b);
    if (periods < 0) first = t;
    last = t;
    ++periods;
  }
  return periods > 0 ? periods * sampleRateHz / (last - first) : 0.0;
}
