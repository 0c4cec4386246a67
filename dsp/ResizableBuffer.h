// A fixed working array that is sized once (by the engine's configuration) and
// then used without reallocation. Growth does not keep the contents: callers
// zero what they sized. Single owner, no lock.
#pragma once

#include <cstdint>
#include <new>

template <typename T>
class ResizableBuffer {
 public:
  static constexpr int kSlack = 32;

  ResizableBuffer() = default;
  ResizableBuffer(const ResizableBuffer&) = delete;
  ResizableBuffer& operator=(const ResizableBuffer&) = delete;
  virtual ~ResizableBuffer() { delete[] data; }

  // Makes room for n elements. On failure the old array and capacity stay and
  // false is returned; the caller must not use more than capacity.
  bool Allocate(int n) {
    if (capacity >= n) return true;
    T* grown = new (std::nothrow) T[static_cast<std::size_t>(n) + kSlack];
    if (grown == nullptr) return false;
    delete[] data;
    data = grown;
    capacity = n + kSlack;
    return true;
  }

  void Fill(const T& value) {
    for (std::int32_t i = 0; i < capacity; ++i) data[i] = value;
  }

  T* data = nullptr;
  std::int32_t capacity = 0;
};
