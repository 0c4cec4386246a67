// Files for the renderer's tests: WAVE files of given samples in a scratch
// directory, and a reader that parses WAVE output on its own (independently of
// the writer under test) into header fields and samples.
#pragma once

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "host/OutputFile.h"
#include "host/ScratchDirectory.h"
#include "host/WavWriter.h"

struct WavContents {
  bool valid = false;
  int formatTag = 0;
  int channels = 0;
  std::uint32_t sampleRate = 0;
  int bits = 0;
  std::uint32_t fmtSize = 0;
  bool hasFact = false;
  std::uint32_t factFrames = 0;
  std::uint32_t riffSize = 0;
  std::size_t fileSize = 0;
  std::vector<std::vector<double>> samples;  // per channel

  std::size_t Frames() const { return samples.empty() ? 0 : samples[0].size(); }
};

inline std::uint32_t ReadLe(const unsigned char* p, int bytes) {
  std::uint32_t v = 0;
  for (int i = bytes - 1; i >= 0; --i) v = v << 8 | p[i];
  return v;
}

inline std::vector<unsigned char> ReadBytes(const std::string& path) {
  std::vector<unsigned char> bytes;
  if (std::FILE* f = std::fopen(path.c_str(), "rb")) {
    unsigned char buffer[65536];
    std::size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0) bytes.insert(bytes.end(), buffer, buffer + n);
    std::fclose(f);
  }
  return bytes;
}

// 32-bit float or 24-bit integer PCM only: what the renderer writes.
inline WavContents ReadWav(const std::string& path) {
  WavContents wav;
  const std::vector<unsigned char> b = ReadBytes(path);
  wav.fileSize = b.size();
  if (b.size() < 12 || std::memcmp(b.data(), "RIFF", 4) != 0 || std::memcmp(&b[8], "WAVE", 4) != 0)
    return wav;
  wav.riffSize = ReadLe(&b[4], 4);
  std::size_t at = 12;
  while (at + 8 <= b.size()) {
    const std::uint32_t size = ReadLe(&b[at + 4], 4);
    const unsigned char* body = &b[at + 8];
    if (at + 8 + size > b.size()) return wav;
    if (std::memcmp(&b[at], "fmt ", 4) == 0 && size >= 16) {
      wav.fmtSize = size;
      wav.formatTag = static_cast<int>(ReadLe(body, 2));
      wav.channels = static_cast<int>(ReadLe(body + 2, 2));
      wav.sampleRate = ReadLe(body + 4, 4);
      wav.bits = static_cast<int>(ReadLe(body + 14, 2));
    } else if (std::memcmp(&b[at], "fact", 4) == 0 && size >= 4) {
      wav.hasFact = true;
      wav.factFrames = ReadLe(body, 4);
    } else if (std::memcmp(&b[at], "data", 4) == 0 && wav.channels > 0) {
      const int width = wav.bits / 8;
      if ((wav.formatTag == 3 && wav.bits != 32) || (wav.formatTag == 1 && wav.bits != 24)) return wav;
      const std::size_t frames = size / (width * wav.channels);
      wav.samples.assign(wav.channels, std::vector<double>(frames));
      for (std::size_t i = 0; i < frames; ++i) {
        for (int c = 0; c < wav.channels; ++c) {
          const unsigned char* p = body + (i * wav.channels + c) * width;
          if (wav.formatTag == 3) {
            const std::uint32_t bits = ReadLe(p, 4);
            float f;
            std::memcpy(&f, &bits, 4);
            wav.samples[c][i] = f;
          } else {
            std::int32_t v = static_cast<std::int32_t>(ReadLe(p, 3) << 8) >> 8;
            wav.samples[c][i] = v / 8388608.0;
          }
        }
      }
      wav.valid = true;
    }
    at += 8 + size + (size & 1);
  }
  return wav;
}

// A stereo 32-bit float WAVE file of the same samples on both channels.
inline bool WriteMonoAsStereo(const std::string& path, const std::vector<double>& samples,
                              std::uint32_t rate = 44100) {
  OutputFile file;
  std::string error;
  WavWriter writer;
  const double* channels[2] = {samples.data(), samples.data()};
  return file.Open(path, &error) &&
         writer.Begin(file.Stream(), 2, rate, WavWriter::Encoding::kFloat32, samples.size()) &&
         writer.WriteFrames(channels, static_cast<int>(samples.size())) && writer.Finish() &&
         file.Commit(&error);
}

// Power of x[from, from + n) at frequency hz (Goertzel).
inline double PowerAt(const std::vector<double>& x, std::size_t from, std::size_t n, double hz,
                      double rate) {
  const double w = 2 * M_PI * hz / rate, c = 2 * std::cos(w);
  double s1 = 0, s2 = 0;
  for (std::size_t i = 0; i < n && from + i < x.size(); ++i) {
    const double window = 0.5 - 0.5 * std::cos(2 * M_PI * i / n);
    const double s0 = x[from + i] * window + c * s1 - s2;
    s2 = s1;
    s1 = s0;
  }
  return s1 * s1 + s2 * s2 - c * s1 * s2;
}
