// The state of one load of a WAVE or AIFF file into an AudioFile: the reader,
// one staging block and one resampler per stored channel. Created and destroyed
// inside AudioFile::Load, on the loading thread, under the caller's lock.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "audio/AudioFile.h"
#include "audio/FileReader.h"
#include "resampler/DspProcessor.h"

struct StagingBlock {
  static constexpr int kSamples = 1024;
  double samples[kSamples] = {};
  std::int32_t count = 0;
  std::int64_t remaining = 0;  // output this channel may still append
};

class AudioFileParser {
 public:
  AudioFileParser(AudioFile& clip, double targetRate);

  bool Load(const std::string& path);

 private:
  enum class Encoding { kInteger, kFloat };

  bool HasHeader(std::uint32_t first, std::uint32_t form, bool bigEndian);
  bool IsWave();
  bool IsAiff();
  bool ReadWave();
  bool ReadAiff();
  void ReadFormat(std::uint32_t chunkSize);
  // Reads frames of interleaved samples through staging and the resamplers;
  // false when the file's rate cannot be converted to the target.
  bool ReadSamples(std::uint64_t frames, bool bigEndian, bool signed8);
  bool PrepareChannels(std::uint64_t frames);
  void HandOn(int channel);
  void Flush();

  AudioFile& clip;
  FileReader reader;
  double targetRate;
  int channelCount = 0;
  int bitsPerSample = 0;
  Encoding encoding = Encoding::kInteger;
  int storedChannels = 0;
  StagingBlock staging[2];
  std::unique_ptr<resamp::DspProcessor> resamplers[2];
};
