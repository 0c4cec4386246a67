// Bounded copies into fixed-size text fields and host buffers.
#pragma once

#include <cstddef>
#include <cstring>

// Copies at most size - 1 characters of src and always terminates dst.
inline void CopyText(char* dst, std::size_t size, const char* src) {
  if (dst == nullptr || size == 0) return;
  std::size_t n = 0;
  if (src != nullptr) {
    while (n + 1 < size && src[n] != '\0') ++n;
    std::memcpy(dst, src, n);
  }
  dst[n] = '\0';
}

template <std::size_t N>
inline void CopyText(char (&dst)[N], const char* src) {
  CopyText(dst, N, src);
}
