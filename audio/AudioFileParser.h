// The state of one load of a WAVE or AIFF file into an AudioFile: the reader and
// the converter that takes the decoded samples to the target rate. Created and
// destroyed inside AudioFile::Load, on the loading thread, under the caller's
// lock.
#pragma once

#include <cstdint>
#include <string>

#include "audio/AudioFile.h"
#include "audio/ClipRateConverter.h"
#include "audio/FileReader.h"

class AudioFileParser {
 public:
  // With samplesToo false the parser reads the headers alone: the clip's
  // fields say what a load would give, and it holds no samples.
  AudioFileParser(AudioFile& clip, double targetRate, bool samplesToo = true);

  bool Load(const std::string& path);

 private:
  enum class Encoding { kInteger, kFloat };

  bool HasHeader(std::uint32_t first, std::uint32_t form, bool bigEndian);
  bool IsWave();
  bool IsAiff();
  bool ReadWave();
  bool ReadAiff();
  void ReadFormat(std::uint32_t chunkSize);
  // Reads frames of interleaved samples through the converter; false when the
  // file's rate cannot be converted to the target.
  bool ReadSamples(std::uint64_t frames, bool bigEndian, bool signed8);
  bool PrepareChannels(std::uint64_t frames);

  AudioFile& clip;
  FileReader reader;
  double targetRate;
  bool samplesToo;
  int channelCount = 0;
  int bitsPerSample = 0;
  Encoding encoding = Encoding::kInteger;
  ClipRateConverter converter;
};
