// A window function's values: the engine's analysis and synthesis windows.
// Built by the engine's configuration, read on the audio path. Single owner.
#pragma once

#include <cstdint>

#include "dsp/ResizableBuffer.h"

class Window {
 public:
  enum Type : std::int32_t { kRectangular = 0, kHannSymmetric = 4, kHannPeriodic = 13 };

  Window();
  virtual ~Window() = default;

  // Hann of n values: 0.5 - 0.5 cos(2 pi i / D), D = n when periodic, n - 1
  // when symmetric. False when the values cannot be sized (nothing changes).
  bool MakeHann(int n, bool periodic);
  // Multiplies every value, e.g. to fold the overlap-add gain into synthesis.
  void Scale(double factor);
  // The window between its values: x in 0 .. length - 1, 0 outside.
  double At(double x) const;

  Type type = kRectangular;
  std::int32_t length = 0;
  ResizableBuffer<double> values;
  double parameter = 0.5;
  double scale = 1.0;  // product of every Scale since the window was made
};
