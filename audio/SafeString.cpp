#include "audio/SafeString.h"

#include <cstdlib>
#include <cstring>

bool SafeString::Set(const char* value) {
  if (value == nullptr) {
    Release();
    return true;
  }
  // Copy before freeing: value may be this string's own text.
  const std::size_t size = std::strlen(value) + 1;
  char* copy = static_cast<char*>(std::malloc(size));
  if (copy != nullptr) std::memcpy(copy, value, size);
  Release();
  text = copy;
  return copy != nullptr;
}

void SafeString::Release() {
  std::free(text);
  text = nullptr;
}
