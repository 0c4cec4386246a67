// A growable array whose elements survive growth: per-frame curves and lists
// whose length follows the loaded clip. Grows by Slack spare elements. Single
// owner, no lock; grown only while a clip is analysed, never on the audio path.
#pragma once

#include <cstdint>
#include <new>
#include <utility>

template <typename T, int Slack>
class VariableLengthArray {
 public:
  VariableLengthArray() { Resize(0); }
  VariableLengthArray(const VariableLengthArray&) = delete;
  VariableLengthArray& operator=(const VariableLengthArray&) = delete;
  virtual ~VariableLengthArray() { delete[] data; }

  // Makes room for n elements, keeping the first count. The caller then sets
  // count. False when the memory cannot be had (the array is unchanged).
  bool Resize(int n) {
    if (capacity >= n) return true;
    T* grown = new (std::nothrow) T[static_cast<std::size_t>(n) + Slack]();
    if (grown == nullptr) return false;
    for (std::int32_t i = 0; i < count; ++i) grown[i] = data[i];
    delete[] data;
    data = grown;
    capacity = n + Slack;
    return true;
  }

  // Trades contents with other, without copying an element.
  void Swap(VariableLengthArray& other) {
    std::swap(data, other.data);
    std::swap(capacity, other.capacity);
    std::swap(count, other.count);
  }

  // Frees the array before a curve is rebuilt.
  void Release() {
    delete[] data;
    data = nullptr;
    count = 0;
    capacity = 0;
  }

  T* data = nullptr;
  std::int32_t capacity = -1;
  std::int32_t count = 0;
};
