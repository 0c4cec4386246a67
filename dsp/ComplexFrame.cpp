#include "dsp/ComplexFrame.h"

#include <new>

ComplexFrame::ComplexFrame() : ComplexFrame(512) {}

ComplexFrame::ComplexFrame(int entries) {
  if (entries <= 0) return;
  data = new (std::nothrow) double[2 * static_cast<std::size_t>(entries)]();
  if (data != nullptr) size = entries;
}

ComplexFrame::~ComplexFrame() { delete[] data; }
