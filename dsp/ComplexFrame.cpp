#include "dsp/ComplexFrame.h"

#include <new>

ComplexFrame::ComplexFrame() : ComplexFrame(512) {}

ComplexFrame::ComplexFrame(int entries, Fill fill) {
  if (entries <= 0) return;
  const std::size_t doubles = 2 * static_cast<std::size_t>(entries);
  data =
      fill == kZeroed ? new (std::nothrow) double[doubles]() : new (std::nothrow) double[doubles];
  if (data != nullptr) size = entries;
}

ComplexFrame::~ComplexFrame() { delete[] data; }
