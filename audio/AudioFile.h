// The clip that file reading fills. The effect keeps two and switches which
// one the audio thread reads under its lock, so a load never fills the clip
// being played. Owns its name text besides the clip's buffers.
#pragma once

#include "audio/AudioClip.h"
#include "audio/SafeString.h"

class AudioFile : public AudioClip {
 public:
  AudioFile() = default;
  ~AudioFile() override;

  // Frees the name, then empties the clip.
  void Clear() override;

  SafeString name;  // file reading leaves it empty
};
