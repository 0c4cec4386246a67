#include "host/WavWriter.h"

#include <cerrno>
#include <cmath>
#include <cstring>

namespace {

void Put16(std::vector<unsigned char>& out, std::uint32_t v) {
  out.push_back(static_cast<unsigned char>(v));
  out.push_back(static_cast<unsigned char>(v >> 8));
}

void Put32(std::vector<unsigned char>& out, std::uint32_t v) {
  Put16(out, v & 0xFFFF);
  Put16(out, v >> 16);
}

void PutTag(std::vector<unsigned char>& out, const char* tag) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<unsigned char>(tag[i]));
}

std::int32_t Pcm24(double sample) {
  if (!(sample == sample)) return 0;  // NaN
  const double scaled = std::round(sample * 8388608.0);
  if (scaled >= 8388607.0) return 8388607;
  if (scaled <= -8388608.0) return -8388608;
  return static_cast<std::int32_t>(scaled);
}

}  // namespace

std::uint32_t WavWriter::HeaderBytes(Encoding encoding) {
  // RIFF header 12, fmt 8 + 16 (PCM) or 8 + 18 plus fact 8 + 4 (float), data header 8.
  return encoding == Encoding::kPcm24 ? 12 + 24 + 8 : 12 + 26 + 12 + 8;
}

std::uint64_t WavWriter::MaxFrames(int channels, Encoding encoding) {
  if (channels <= 0) return 0;
  // The RIFF size field counts everything after its first 8 bytes.
  const std::uint64_t room = 0xFFFFFFFFull - (HeaderBytes(encoding) - 8) - 1;  // 1: pad byte
  return room / (static_cast<std::uint64_t>(channels) * BytesPerSample(encoding));
}

bool WavWriter::Begin(std::FILE* out, int channels, std::uint32_t sampleRate, Encoding how,
                      std::uint64_t frames) {
  stream = out;
  channelCount = channels;
  encoding = how;
  announced = frames;
  written = 0;
  errorNumber = 0;
  failed = stream == nullptr || channels <= 0 || channels > 16 || sampleRate == 0 ||
           frames > MaxFrames(channels, how);
  if (failed) return false;

  const std::uint32_t sampleBytes = BytesPerSample(how);
  const std::uint32_t blockAlign = sampleBytes * static_cast<std::uint32_t>(channels);
  const std::uint32_t dataBytes = static_cast<std::uint32_t>(frames * blockAlign);
  const bool isFloat = how == Encoding::kFloat32;
  bytes.clear();
  PutTag(bytes, "RIFF");
  Put32(bytes, HeaderBytes(how) - 8 + dataBytes + (dataBytes & 1));  // with the pad byte
  PutTag(bytes, "WAVE");
  PutTag(bytes, "fmt ");
  Put32(bytes, isFloat ? 18 : 16);
  Put16(bytes, isFloat ? 3 : 1);
  Put16(bytes, static_cast<std::uint32_t>(channels));
  Put32(bytes, sampleRate);
  Put32(bytes, sampleRate * blockAlign);
  Put16(bytes, blockAlign);
  Put16(bytes, sampleBytes * 8);
  if (isFloat) {
    Put16(bytes, 0);  // cbSize: no extension
    PutTag(bytes, "fact");
    Put32(bytes, 4);
    Put32(bytes, static_cast<std::uint32_t>(frames));
  }
  PutTag(bytes, "data");
  Put32(bytes, dataBytes);
  return Check(std::fwrite(bytes.data(), 1, bytes.size(), stream) == bytes.size());
}

bool WavWriter::Check(bool ok) {
  if (!ok) {
    failed = true;
    errorNumber = errno != 0 ? errno : EIO;
  }
  return ok;
}

bool WavWriter::WriteFrames(const double* const* channels, int frames) {
  if (failed || frames < 0) return false;
  if (static_cast<std::uint64_t>(frames) > announced - written) {
    failed = true;
    return false;
  }
  const int width = BytesPerSample(encoding);
  bytes.resize(static_cast<std::size_t>(frames) * channelCount * width);
  unsigned char* out = bytes.data();
  for (int i = 0; i < frames; ++i) {
    for (int c = 0; c < channelCount; ++c, out += width) {
      const double sample = channels[c][i];
      std::uint32_t v;
      if (encoding == Encoding::kPcm24) {
        v = static_cast<std::uint32_t>(Pcm24(sample));
      } else {
        const float f = static_cast<float>(sample);
        std::memcpy(&v, &f, 4);
      }
      // Little-endian, whatever the machine's order.
      for (int b = 0; b < width; ++b) out[b] = static_cast<unsigned char>(v >> (8 * b));
    }
  }
  if (!Check(std::fwrite(bytes.data(), 1, bytes.size(), stream) == bytes.size())) return false;
  written += static_cast<std::uint64_t>(frames);
  return true;
}

bool WavWriter::Finish() {
  if (failed || written != announced) {
    failed = true;
    return false;
  }
  // Stereo data is always of even size; a mono 24-bit file of odd length needs
  // the RIFF pad byte.
  const std::uint64_t dataBytes = written * channelCount * BytesPerSample(encoding);
  if (dataBytes % 2 != 0 && !Check(std::fputc(0, stream) != EOF)) return false;
  return Check(std::fflush(stream) == 0 && !std::ferror(stream));
}
