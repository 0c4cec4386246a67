// The plug-in's state chunks as a host holds them: 51 values after a header,
// then the clip's path. For the integration tests and the fuzzers' seeds.
#pragma once

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

// The chunk's 51 values (zeros when it is too short).
inline std::vector<double> ChunkValues(const std::vector<unsigned char>& chunk) {
  std::vector<double> values(51);
  if (chunk.size() >= 8 + 51 * 8) std::memcpy(values.data(), chunk.data() + 8, 51 * 8);
  return values;
}

// A chunk as older builds write one: header, 51 values, path.
inline std::vector<unsigned char> MakeStateChunk(const std::vector<double>& values,
                                                 const std::string& path, bool header = true) {
  std::vector<unsigned char> chunk;
  auto append = [&chunk](const void* p, std::size_t n) {
    const auto* b = static_cast<const unsigned char*>(p);
    chunk.insert(chunk.end(), b, b + n);
  };
  if (header) {
    const std::int32_t magic = 0x70666674, version = 0x00010000;
    append(&magic, 4);
    append(&version, 4);
  }
  append(values.data(), values.size() * 8);
  const std::int32_t length = static_cast<std::int32_t>(path.size());
  append(&length, 4);
  append(path.data(), path.size());
  return chunk;
}
