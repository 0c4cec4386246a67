// Turns up to two channels of samples, handed over one at a time, into a clip's
// channel buffers at another rate: one staging block and one resampler per
// channel, each channel cut at the length the whole conversion should give.
// File reading (AudioFileParser) and AudioClip::ConvertFrom use it on the
// loading thread, under the caller's lock. It owns its staging blocks and
// resamplers and appends to the clip's left and right buffers; it sets none of
// the clip's other fields.
#pragma once

#include <algorithm>
#include <cstdint>
#include <memory>

#include "audio/AudioClip.h"
#include "resampler/DspProcessor.h"

struct StagingBlock {
  static constexpr int kSamples = 1024;
  double samples[kSamples] = {};
  std::int32_t count = 0;
  std::int64_t remaining = 0;  // output this channel may still append
};

class ClipRateConverter {
 public:
  explicit ClipRateConverter(AudioClip& target) : clip(target) {}

  // Readies channels (1 or 2) for sourceRateHz to targetRateHz, each to stop
  // after outputFrames samples (a whole number). Sources of 16 bits or fewer take the 16-bit
  // resampler; deeper ones, and an unknown depth (0), the 24-bit one. False
  // when the rates cannot be converted; no channel is ready then. A second
  // call starts the channels afresh; what was appended stays.
  bool Prepare(int channels, double sourceRateHz, double targetRateHz, int bitsPerSample,
               double outputFrames);

  // Takes the room for every channel's whole output now, so a long load gets
  // its memory in one piece; where it cannot be had, the appends say so.
  void ReserveOutput();

  // Hands on count samples of a channel (< Channels()) in a row.
  void PushRun(int channel, const double* samples, int count) {
    StagingBlock& block = staging[channel];
    while (count > 0) {
      const int n = std::min(count, StagingBlock::kSamples - block.count);
      std::copy(samples, samples + n, block.samples + block.count);
      block.count += n;
      samples += n;
      count -= n;
      if (block.count == StagingBlock::kSamples) HandOn(channel);
    }
  }

  // Pushes silence through the resamplers until every channel has its length;
  // a resampler that gives nothing for many blocks is given up on.
  void Flush();

  int Channels() const { return channelCount; }
  // Set once a channel buffer could not grow; nothing more is appended after
  // that, so the clip holds fewer samples than its conversion should give.
  bool OutOfMemory() const { return outOfMemory; }

 private:
  void HandOn(int channel);

  AudioClip& clip;
  int channelCount = 0;
  bool outOfMemory = false;
  StagingBlock staging[2];
  std::unique_ptr<resamp::DspProcessor> resamplers[2];
};
