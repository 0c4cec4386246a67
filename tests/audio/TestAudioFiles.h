// Builds WAVE and AIFF files in memory for the tests, byte by byte, so that no
// audio file from elsewhere is needed; writes them to the test's temp folder.
#pragma once

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include <gtest/gtest.h>

using Bytes = std::vector<std::uint8_t>;

inline void PutLittle(Bytes& b, std::uint64_t v, int n) {
  for (int i = 0; i < n; ++i) b.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}
inline void PutBig(Bytes& b, std::uint64_t v, int n) {
  for (int i = n - 1; i >= 0; --i) b.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}
inline void PutId(Bytes& b, const char* id) {
  for (int i = 0; i < 4; ++i) b.push_back(static_cast<std::uint8_t>(id[i]));
}

// 80-bit extended, big-endian, for a positive whole rate.
inline void PutExtended(Bytes& b, double value) {
  int exponent = 0;
  const double fraction = std::frexp(value, &exponent);  // value = fraction * 2^exponent
  const std::uint64_t mantissa = static_cast<std::uint64_t>(std::ldexp(fraction, 64));
  PutBig(b, static_cast<std::uint64_t>(exponent - 1 + 16383), 2);
  PutBig(b, mantissa, 8);
}

struct WaveLayout {
  int channels = 2;
  int bits = 16;
  std::uint32_t rate = 44100;
  std::uint16_t formatTag = 1;
  int fmtSize = 16;           // 16, 18 (extension size 0) or 40 (extensible when formatTag is 0xFFFE)
  std::uint16_t subFormat = 1;
  Bytes chunkBeforeData;      // a whole chunk, placed between "fmt " and "data"
  int riffSizeDelta = 0;
  std::size_t cutBytes = 0;   // bytes removed from the end (the header still claims them)
};

// samples holds interleaved integer sample values (or raw bit patterns).
inline Bytes MakeWave(const WaveLayout& l, const std::vector<std::int64_t>& samples) {
  Bytes fmt;
  PutLittle(fmt, l.formatTag, 2);
  PutLittle(fmt, static_cast<std::uint64_t>(l.channels), 2);
  PutLittle(fmt, l.rate, 4);
  PutLittle(fmt, static_cast<std::uint64_t>(l.rate) * l.channels * l.bits / 8, 4);
  PutLittle(fmt, static_cast<std::uint64_t>(l.channels * l.bits / 8), 2);
  PutLittle(fmt, static_cast<std::uint64_t>(l.bits), 2);
  if (l.fmtSize >= 18) PutLittle(fmt, static_cast<std::uint64_t>(l.fmtSize - 18), 2);
  if (l.fmtSize == 40) {
    PutLittle(fmt, static_cast<std::uint64_t>(l.bits), 2);
    PutLittle(fmt, 3, 4);
    PutLittle(fmt, l.subFormat, 2);
    static const std::uint8_t kGuidTail[14] = {0x00, 0x00, 0x00, 0x00, 0x10, 0x00, 0x80,
                                               0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71};
    fmt.insert(fmt.end(), kGuidTail, kGuidTail + 14);
  }
  while (static_cast<int>(fmt.size()) < l.fmtSize) fmt.push_back(0);
  Bytes data;
  for (std::int64_t s : samples) PutLittle(data, static_cast<std::uint64_t>(s), l.bits / 8);

  Bytes body;
  PutId(body, "WAVE");
  PutId(body, "fmt ");
  PutLittle(body, fmt.size(), 4);
  body.insert(body.end(), fmt.begin(), fmt.end());
  body.insert(body.end(), l.chunkBeforeData.begin(), l.chunkBeforeData.end());
  PutId(body, "data");
  PutLittle(body, data.size(), 4);
  body.insert(body.end(), data.begin(), data.end());
  if (data.size() % 2 != 0) body.push_back(0);
  body.resize(body.size() - l.cutBytes);

  Bytes file;
  PutId(file, "RIFF");
  PutLittle(file, static_cast<std::uint64_t>(static_cast<std::int64_t>(body.size()) + l.riffSizeDelta), 4);
  file.insert(file.end(), body.begin(), body.end());
  return file;
}

inline Bytes MakeAiff(int channels, int bits, double rate, const std::vector<std::int64_t>& samples) {
  Bytes data;
  for (std::int64_t s : samples) PutBig(data, static_cast<std::uint64_t>(s), bits / 8);
  Bytes body;
  PutId(body, "AIFF");
  PutId(body, "COMM");
  PutBig(body, 18, 4);
  PutBig(body, static_cast<std::uint64_t>(channels), 2);
  PutBig(body, samples.size() / static_cast<std::size_t>(channels), 4);
  PutBig(body, static_cast<std::uint64_t>(bits), 2);
  PutExtended(body, rate);
  PutId(body, "SSND");
  PutBig(body, data.size() + 8, 4);
  PutBig(body, 0, 4);
  PutBig(body, 0, 4);
  body.insert(body.end(), data.begin(), data.end());
  if (data.size() % 2 != 0) body.push_back(0);
  Bytes file;
  PutId(file, "FORM");
  PutBig(file, body.size(), 4);
  file.insert(file.end(), body.begin(), body.end());
  return file;
}

inline std::string WriteTemp(const std::string& name, const Bytes& bytes) {
  const std::string path = ::testing::TempDir() + name;
  std::FILE* f = std::fopen(path.c_str(), "wb");
  EXPECT_NE(f, nullptr) << path;
  if (f != nullptr) {
    std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
  }
  return path;
}

// A mono 16-bit WAVE file of samples in -1..1, in the test's temp folder.
inline std::string WriteMonoWave(const std::string& name, const std::vector<double>& samples,
                                 std::uint32_t rate = 44100) {
  WaveLayout layout;
  layout.channels = 1;
  layout.rate = rate;
  std::vector<std::int64_t> values;
  for (double v : samples) values.push_back(std::lround(v * 32767));
  return WriteTemp(name, MakeWave(layout, values));
}

// frames samples of a sine of hz at 44.1 kHz, amplitude 0.5.
inline std::vector<double> Tone(int frames, double hz) {
  std::vector<double> samples(frames);
  for (int i = 0; i < frames; ++i) samples[i] = 0.5 * std::sin(2 * M_PI * hz * i / 44100);
  return samples;
}
