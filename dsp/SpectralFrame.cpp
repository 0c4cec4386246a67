#include "dsp/SpectralFrame.h"

void SpectralFrame::Store(const double* polar) {
  const int count = BinCount();
  for (int b = 0; b < count; ++b) Set(b, polar[2 * b], polar[2 * b + 1]);
}
