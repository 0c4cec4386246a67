#include "resampler/BesselI0.h"

#include <cmath>

namespace resamp {

double BesselI0(double x) {
  const double ax = std::fabs(x);
  if (ax < 3.75) {
    const double t = (x / 3.75) * (x / 3.75);
    return 1.0 + t * (3.5156229 + t * (3.0899424 + t * (1.2067492 + t * (0.2659732 +
                 t * (0.0360768 + t * 0.0045813)))));
  }
  const double t = 3.75 / ax;
  return std::exp(ax) / std::sqrt(ax) *
         (0.39894228 + t * (0.01328592 + t * (0.00225319 + t * (-0.00157565 + t * (0.00916281 +
          t * (-0.02057706 + t * (0.02635537 + t * (-0.01647633 + t * 0.00392377))))))));
}

}  // namespace resamp
