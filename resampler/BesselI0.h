// The modified Bessel function of the first kind, order 0, by the polynomial
// approximations of Abramowitz and Stegun (9.8.1 below 3.75, 9.8.2 above).
#pragma once

namespace resamp {

double BesselI0(double x);

}  // namespace resamp
