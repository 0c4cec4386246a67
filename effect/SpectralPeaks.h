// The peaks of one magnitude spectrum and the bins that belong to each: a peak
// is a bin louder than the two bins on either side (so the side lobes of a
// Hann-windowed sinusoid are never peaks of their own), and every bin between
// two peaks belongs to the one on its side of the quietest bin between them.
// Resynthesis keeps each peak's neighbours at the analysed phase relation to
// the peak, which holds a partial together however long a frame is held.
//
// Owned by the engine and used on the audio thread under the plug-in lock;
// Allocate sizes it once, Find allocates nothing.
#pragma once

#include <cstdint>

#include "dsp/ResizableBuffer.h"

class SpectralPeaks {
 public:
  // Room for spectra of up to bins bins; false when memory cannot be had.
  bool Allocate(int bins);
  // Finds the peaks of magnitude[0 .. bins - 1], bins at most the allocated
  // count. The first and last bin are never peaks.
  void Find(const double* magnitude, int bins);

  int Count() const { return count; }
  // Peak bins in rising order.
  const std::int32_t* Bins() const { return peakBins.data; }
  // For every bin, the peak it belongs to; -1 when the spectrum has no peak.
  const std::int32_t* Owner() const { return owner.data; }

 private:
  ResizableBuffer<std::int32_t> peakBins;
  ResizableBuffer<std::int32_t> owner;
  int capacity = 0;
  int count = 0;
};
