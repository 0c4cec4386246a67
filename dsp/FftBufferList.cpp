#include "dsp/FftBufferList.h"

FftBufferList::FftBufferList() { items.Resize(16); }

FftBufferList::~FftBufferList() { Clear(); }

bool FftBufferList::Add(std::unique_ptr<SpectralFrame> frame) {
  if (!items.Resize(items.count + 1)) return false;
  items.data[items.count++] = frame.release();
  return true;
}

void FftBufferList::Clear() {
  for (std::int32_t i = 0; i < items.count; ++i) {
    delete items.data[i];
    items.data[i] = nullptr;
  }
  items.count = 0;
}
