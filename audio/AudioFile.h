// The clip that file reading fills. The effect keeps two and switches which
// one the audio thread reads under its lock, so a load never fills the clip
// being played. Owns its name text besides the clip's buffers.
#pragma once

#include <string>

#include "audio/AudioClip.h"
#include "audio/SafeString.h"

class AudioFile : public AudioClip {
 public:
  AudioFile() = default;
  ~AudioFile() override;

  // Frees the name, then empties the clip.
  void Clear() override;

  // Reads a WAVE or AIFF file (8, 16, 24 or 32-bit integer, 32 or 64-bit float
  // WAVE) converted to targetRate in Hz. True when sample data was found and
  // memory held it; the clip then holds trunc(targetRate / file rate x frames)
  // samples per stored channel. One synchronous call on the caller's thread.
  bool Load(const std::string& path, double targetRate);
  // Reads only the headers, as Load would: true when Load would find sample
  // data it can convert; the clip's channels, rates and lengths are then
  // those Load would give (short of memory), and it holds no samples. A clip
  // longer than kMaxFrames measures, so callers can say why, but never loads.
  bool Measure(const std::string& path, double targetRate);

  SafeString name;  // file reading leaves it empty
};
