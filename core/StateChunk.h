// A growable byte buffer with typed little-endian appends and positional reads;
// the form in which state crosses the host boundary and in which presets keep
// their values. Owned by whoever holds it; no lock of its own.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

class StateChunk {
 public:
  int Size() const { return static_cast<int>(bytes.size()); }
  const std::uint8_t* Data() const { return bytes.data(); }
  std::uint8_t* Data() { return bytes.data(); }

  // New bytes are zero; returns the old size. A negative size empties the chunk.
  int Resize(int size);

  // Each append returns the new size.
  int AppendInt32(std::int32_t v);
  int AppendDouble(double v);
  // int32 length (no terminator), then the characters.
  int AppendText(const std::string& text);

  // Each read returns the position after the item, or -1 when the item does not
  // lie wholly inside the chunk (then *out is left alone).
  int ReadInt32(int pos, std::int32_t* out) const;
  int ReadDouble(int pos, double* out) const;
  // Returns the position after the declared length even when the text itself is
  // cut short (then the text is empty); -1 when the length word is missing or
  // negative. The text stops at the first zero byte.
  int ReadText(int pos, std::string* out) const;

 private:
  int AppendBytes(const void* data, int count);
  bool Fits(int pos, int width) const;

  std::vector<std::uint8_t> bytes;
};
