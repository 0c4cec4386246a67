#include "audio/AudioFile.h"

void AudioFile::Clear() {
  name.Release();
  AudioClip::Clear();
}
