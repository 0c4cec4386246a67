#include "audio/AudioClip.h"

void AudioClip::Clear() {
  channels = 0;
  sampleRate = length = fileLength = fileSampleRate = 0.0;
  fileBitsPerSample = 0;
  left.Clear();
  right.Clear();
}
