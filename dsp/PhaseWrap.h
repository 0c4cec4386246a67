// Phase arithmetic shared by the analysis and the resynthesis.
#pragma once

// Brings x into [-pi, pi] by a whole number of turns, the nearest (ties to
// even). Adding and taking away 1.5 * 2^52 rounds the turns to a whole number
// without a branch or a conversion, so loops over whole frames vectorise.
// Exact for |x| below 2^51 turns; beyond, and for infinities and NaN, the
// result is not a phase.
inline double WrapPhase(double x) {
  constexpr double kTwoPi = 6.28318530717958647692;
  constexpr double kRound = 6755399441055744.0;
  const double turns = (x / kTwoPi + kRound) - kRound;
  return x - turns * kTwoPi;
}
