// The clip that file reading fills; the effect keeps two and swaps them.
#pragma once

#include "audio/AudioClip.h"
#include "audio/SafeString.h"

class AudioFile : public AudioClip {
 public:
  void Clear() override;

  SafeString name;
};
