#include "audio/AudioFile.h"

AudioFile::~AudioFile() { name.Release(); }

void AudioFile::Clear() {
  name.Release();
  AudioClip::Clear();
}
