#include "dsp/FftBufferList.h"

#include <new>

FftBufferList::FftBufferList() { Reserve(16); }

FftBufferList::~FftBufferList() {
  Clear();
  delete[] items;
}

bool FftBufferList::Reserve(int n) {
  if (capacity >= n) return true;
  auto** grown = new (std::nothrow) ComplexFrame*[static_cast<std::size_t>(n) + 8]();
  if (grown == nullptr) return false;
  for (std::int32_t i = 0; i < count; ++i) grown[i] = items[i];
  delete[] items;
  items = grown;
  capacity = n + 8;
  return true;
}

bool FftBufferList::Add(std::unique_ptr<ComplexFrame> frame) {
  if (!Reserve(count + 1)) return false;
  items[count++] = frame.release();
  return true;
}

void FftBufferList::Clear() {
  for (std::int32_t i = 0; i < count; ++i) {
    delete items[i];
    items[i] = nullptr;
  }
  count = 0;
}
