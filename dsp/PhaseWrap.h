// Phase arithmetic shared by the analysis and the resynthesis.
#pragma once

#include <cfloat>

// The wrap below rounds by adding and taking away 1.5 * 2^52, which needs
// doubles evaluated as doubles: an x87 build keeping 80-bit intermediates
// (32-bit x86 without -mfpmath=sse) would not round at all.
static_assert(FLT_EVAL_METHOD == 0 || FLT_EVAL_METHOD == 1,
              "double arithmetic must round to double (build with SSE2 math)");

// Added to a double below 2^51 in magnitude, rounds it to a whole number (ties
// to even) held in the low bits of the sum's mantissa; taken away again, leaves
// the rounded value.
constexpr double kRoundToWhole = 6755399441055744.0;  // 1.5 * 2^52

// Brings x into [-pi, pi] by a whole number of turns, the nearest (ties to
// even). Adding and taking away 1.5 * 2^52 rounds the turns to a whole number
// without a branch or a conversion, so loops over whole frames vectorise.
// Exact for |x| below 2^51 turns; beyond, and for infinities and NaN, the
// result is not a phase.
inline double WrapPhase(double x) {
  constexpr double kTwoPi = 6.28318530717958647692;
  const double turns = (x / kTwoPi + kRoundToWhole) - kRoundToWhole;
  return x - turns * kTwoPi;
}
