// An in-memory clip: up to two channels of doubles at one rate, with the
// file's own length, rate and depth beside it. File reading and ConvertFrom
// fill it through Append; the engine and the displays read it (length,
// channels > 1 for a second channel, At, sampleRate) while nothing is filling
// the same clip. Owns both channel buffers; their blocks go back to the heap
// only when it is destroyed.
#pragma once

#include <cstdint>

#include "audio/ExtensibleSampleBuffer.h"

class AudioClip {
 public:
  // Everything zero; each buffer already holds one zeroed block.
  AudioClip() = default;
  AudioClip(const AudioClip&) = delete;
  AudioClip& operator=(const AudioClip&) = delete;
  // Members go in reverse order: right, then left.
  virtual ~AudioClip() = default;

  // Empties the clip; its blocks stay in the buffers' pools for the next load.
  virtual void Clear();

  // Empties this clip and fills it with source's samples converted to
  // targetRateHz, with the resampler a load of its file would take (the 24-bit
  // one when the file's depth is not known) and the length such a load would
  // give. Channels and the file's length, rate and depth carry over. False
  // when source holds no samples, the rate cannot be reached or memory runs
  // out; this clip is empty then. Defined beside the conversion loop it shares
  // with file reading (ClipRateConverter.cpp); one synchronous call.
  bool ConvertFrom(const AudioClip& source, double targetRateHz);

  // The longest clip, in frames at its rate: 2^27, 50 min 43 s at 44.1 kHz.
  // With its analysis a frame takes about 16 bytes per channel, so a clip
  // holds at most about 4.3 GB however large a file claims or is; a longer
  // one does not load (and a rate change that would make it longer fails).
  static constexpr double kMaxFrames = 134217728.0;

  std::int32_t channels = 0;           // as written in the file; only 0 and 1 are stored
  double sampleRate = 0.0;             // Hz, of the stored samples (after conversion)
  double length = 0.0;                 // frames stored per channel
  double fileLength = 0.0;             // frames in the file
  double fileSampleRate = 0.0;         // Hz, as written in the file
  std::int32_t fileBitsPerSample = 0;  // as written in the file; 0 when not known
  ExtensibleSampleBuffer<double> left;
  ExtensibleSampleBuffer<double> right;  // empty for a mono clip
};
