#include "dsp/Window.h"

#include <cmath>

Window::Window() {
  if (values.Allocate(4)) {
    length = 4;
    for (int i = 0; i < length; ++i) values.data[i] = 1.0;
  }
}

bool Window::MakeHann(int n, bool periodic) {
  if (n < 2 || !values.Allocate(n)) return false;
  length = n;
  parameter = 0.5;
  type = periodic ? kHannPeriodic : kHannSymmetric;
  scale = 1.0;
  const double twoPi = 2.0 * std::acos(-1.0);
  const double d = periodic ? n : n - 1;
  for (int i = 0; i < n; ++i) values.data[i] = 0.5 - 0.5 * std::cos(twoPi * i / d);
  return true;
}

void Window::Scale(double factor) {
  for (int i = 0; i < length; ++i) values.data[i] *= factor;
  scale *= factor;
}

double Window::At(double x) const {
  if (!(x >= 0.0 && x <= length - 1)) return 0.0;
  if (type == kRectangular) return scale;
  const double twoPi = 2.0 * std::acos(-1.0);
  const double d = type == kHannPeriodic ? length : length - 1;
  return scale * (0.5 - 0.5 * std::cos(twoPi * x / d));
}
