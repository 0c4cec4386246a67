// An in-memory clip: up to two channels of doubles at one rate, with the
// file's own length and rate beside it. File reading fills it through Append;
// the engine and the displays read it (length, channels > 1 for a second
// channel, At, sampleRate) while no load is filling the same clip. Owns both
// channel buffers; their blocks go back to the heap only when it is destroyed.
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

  std::int32_t channels = 0;    // as written in the file; only 0 and 1 are stored
  double sampleRate = 0.0;      // Hz, of the stored samples (after conversion)
  double length = 0.0;          // frames stored per channel
  double fileLength = 0.0;      // frames in the file
  double fileSampleRate = 0.0;  // Hz, as written in the file
  ExtensibleSampleBuffer<double> left;
  ExtensibleSampleBuffer<double> right;  // empty for a mono clip
};
