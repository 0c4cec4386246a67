// An in-memory clip: up to two channels of doubles in -1..+1 at one rate, with
// the file's own length and rate beside it. File reading fills it; the engine
// and the displays read it under the plug-in lock. Owns both channel buffers.
#pragma once

#include <cstdint>

#include "audio/ExtensibleSampleBuffer.h"

class AudioClip {
 public:
  AudioClip() = default;
  AudioClip(const AudioClip&) = delete;
  AudioClip& operator=(const AudioClip&) = delete;
  virtual ~AudioClip() = default;

  // Empties the clip; its blocks stay in the buffers' pools for the next load.
  virtual void Clear();

  std::int32_t channels = 0;    // as written in the file; only 0 and 1 are stored
  double sampleRate = 0.0;      // Hz, of the stored samples
  double length = 0.0;          // frames stored per channel
  double fileLength = 0.0;      // frames in the file
  double fileSampleRate = 0.0;  // Hz, as written in the file
  ExtensibleSampleBuffer<double> left;
  ExtensibleSampleBuffer<double> right;  // empty for a mono clip
};
