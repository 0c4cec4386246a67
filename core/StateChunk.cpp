#include "core/StateChunk.h"

#include <climits>
#include <cstring>

// The byte order on the wire is little-endian; every target we build for is too.
static_assert(__BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__, "little-endian targets only");

int StateChunk::Resize(int size) {
  const int old = Size();
  bytes.resize(size > 0 ? static_cast<std::size_t>(size) : 0u, 0);
  return old;
}

int StateChunk::AppendBytes(const void* data, int count) {
  const auto* p = static_cast<const std::uint8_t*>(data);
  bytes.insert(bytes.end(), p, p + count);
  return Size();
}

int StateChunk::AppendInt32(std::int32_t v) { return AppendBytes(&v, 4); }

int StateChunk::AppendDouble(double v) { return AppendBytes(&v, 8); }

int StateChunk::AppendText(const std::string& text) {
  AppendInt32(static_cast<std::int32_t>(text.size()));
  return AppendBytes(text.data(), static_cast<int>(text.size()));
}

bool StateChunk::Fits(int pos, int width) const {
  return pos >= 0 && static_cast<long long>(pos) + width <= Size();
}

int StateChunk::ReadInt32(int pos, std::int32_t* out) const {
  if (!Fits(pos, 4)) return -1;
  std::memcpy(out, bytes.data() + pos, 4);
  return pos + 4;
}

int StateChunk::ReadDouble(int pos, double* out) const {
  if (!Fits(pos, 8)) return -1;
  std::memcpy(out, bytes.data() + pos, 8);
  return pos + 8;
}

int StateChunk::ReadText(int pos, std::string* out) const {
  out->clear();
  std::int32_t length = 0;
  if (ReadInt32(pos, &length) < 0 || length < 0) return -1;
  const long long end = static_cast<long long>(pos) + 4 + length;
  if (end > INT_MAX) return -1;
  if (length > 0 && end <= Size()) {
    const char* text = reinterpret_cast<const char*>(bytes.data() + pos + 4);
    out->assign(text, strnlen(text, static_cast<std::size_t>(length)));
  }
  return static_cast<int>(end);
}
