#include "audio/ClipRateConverter.h"

#include <algorithm>
#include <cmath>

#include "resampler/DspResampler.h"

bool ClipRateConverter::Prepare(int channels, double sourceRateHz, double targetRateHz,
                                int bitsPerSample, double outputFrames) {
  channelCount = std::clamp(channels, 0, 2);
  for (int c = 0; c < channelCount; ++c) {
    bool valid;
    if (bitsPerSample > 0 && bitsPerSample <= 16) {
      auto resampler = std::make_unique<resamp::DspResampler16>(sourceRateHz, targetRateHz);
      valid = resampler->Valid();
      resamplers[c] = std::move(resampler);
    } else {
      auto resampler = std::make_unique<resamp::DspResampler24>(sourceRateHz, targetRateHz);
      valid = resampler->Valid();
      resamplers[c] = std::move(resampler);
    }
    if (!valid) {
      channelCount = 0;
      return false;
    }
  }
  // The resamplers refuse ratios beyond 256, so a length from a 32-bit frame
  // count fits easily once they stand.
  for (int c = 0; c < channelCount; ++c) {
    staging[c].count = 0;
    staging[c].remaining = static_cast<std::int64_t>(std::max(outputFrames, 0.0));
  }
  return true;
}

void ClipRateConverter::ReserveOutput() {
  for (int c = 0; c < channelCount; ++c) {
    ExtensibleSampleBuffer<double>& target = c == 0 ? clip.left : clip.right;
    const std::int64_t room = target.length + staging[c].remaining;
    if (room <= ExtensibleSampleBuffer<double>::kMaxCapacity)
      target.EnsureCapacity(static_cast<int>(room));
  }
}

void ClipRateConverter::HandOn(int c) {
  StagingBlock& block = staging[c];
  if (outOfMemory) {
    block.count = 0;
    block.remaining = 0;
    return;
  }
  double* out = nullptr;
  std::int64_t n = resamplers[c]->Process(block.samples, block.count, out);
  n = std::min(n, block.remaining);
  ExtensibleSampleBuffer<double>& target = c == 0 ? clip.left : clip.right;
  if (n > 0 && !target.Append(static_cast<int>(n), out)) {
    outOfMemory = true;
    n = block.remaining;
  }
  block.count = 0;
  block.remaining -= n;
}

void ClipRateConverter::Flush() {
  auto remaining = [this] {
    std::int64_t sum = 0;
    for (int c = 0; c < channelCount; ++c) sum += staging[c].remaining;
    return sum;
  };
  for (int idle = 0; !outOfMemory && remaining() > 0 && idle < 64;) {
    const std::int64_t before = remaining();
    for (int c = 0; c < channelCount; ++c) {
      if (staging[c].count > 0) HandOn(c);
      std::fill(staging[c].samples, staging[c].samples + StagingBlock::kSamples, 0.0);
      staging[c].count = StagingBlock::kSamples;
    }
    idle = remaining() == before ? idle + 1 : 0;
  }
  for (int c = 0; c < channelCount; ++c) staging[c].count = 0;
}

bool AudioClip::ConvertFrom(const AudioClip& source, double targetRateHz) {
  if (&source == this) return false;
  Clear();
  if (!(targetRateHz > 0.0) || !std::isfinite(targetRateHz) || !(source.sampleRate > 0.0) ||
      !(source.length >= 1.0))
    return false;
  // The length a load of the file at the new rate gives, when the file's
  // numbers are known; else the clip's own length scaled.
  const bool fileKnown = source.fileSampleRate > 0.0 && source.fileLength > 0.0;
  const double frames =
      std::trunc(fileKnown ? targetRateHz / source.fileSampleRate * source.fileLength
                           : targetRateHz / source.sampleRate * source.length);
  if (!(frames <= kMaxFrames)) return false;
  const int stored = source.channels > 1 ? 2 : 1;
  ClipRateConverter converter(*this);
  if (!converter.Prepare(stored, source.sampleRate, targetRateHz, source.fileBitsPerSample, frames))
    return false;
  converter.ReserveOutput();
  for (int c = 0; c < stored; ++c) {
    const ExtensibleSampleBuffer<double>& from = c == 0 ? source.left : source.right;
    // Both bounds are int32 lengths.
    const int n = static_cast<int>(std::min(source.length, from.lengthDouble));
    constexpr int kBlock = ExtensibleSampleBuffer<double>::Block::kSamples;
    for (int i = 0; i < n; i += kBlock) converter.PushRun(c, &from.At(i), std::min(kBlock, n - i));
  }
  converter.Flush();
  if (converter.OutOfMemory()) {
    Clear();
    return false;
  }
  channels = source.channels;
  sampleRate = targetRateHz;
  length = frames;
  fileLength = source.fileLength;
  fileSampleRate = source.fileSampleRate;
  fileBitsPerSample = source.fileBitsPerSample;
  return true;
}
