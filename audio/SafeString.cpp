#include "audio/SafeString.h"

#include <cstdlib>
#include <cstring>

bool SafeString::Set(const char* value) {
  Release();
  if (value == nullptr) return true;
  const std::size_t size = std::strlen(value) + 1;
  text = static_cast<char*>(std::malloc(size));
  if (text == nullptr) return false;
  std::memcpy(text, value, size);
  return true;
}

void SafeString::Release() {
  std::free(text);
  text = nullptr;
}
