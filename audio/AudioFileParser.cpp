#include "audio/AudioFileParser.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

namespace {

constexpr std::uint32_t Id(const char (&text)[5]) {
  return static_cast<std::uint32_t>(static_cast<unsigned char>(text[0])) << 24 |
         static_cast<std::uint32_t>(static_cast<unsigned char>(text[1])) << 16 |
         static_cast<std::uint32_t>(static_cast<unsigned char>(text[2])) << 8 |
         static_cast<unsigned char>(text[3]);
}

// Little-endian words read as numbers hold the identifier's bytes reversed.
constexpr std::uint32_t LittleId(const char (&text)[5]) {
  return static_cast<std::uint32_t>(static_cast<unsigned char>(text[3])) << 24 |
         static_cast<std::uint32_t>(static_cast<unsigned char>(text[2])) << 16 |
         static_cast<std::uint32_t>(static_cast<unsigned char>(text[1])) << 8 |
         static_cast<unsigned char>(text[0]);
}

constexpr std::uint16_t kFormatFloat = 3;
constexpr std::uint16_t kFormatExtensible = 0xFFFE;

// count samples from first on, stride bytes apart, each turned into a double
// by decode; one loop per format, so the format is decided once a block.
template <typename Decode>
void DecodeRun(const unsigned char* first, std::size_t stride, std::size_t count, double* out,
               Decode decode) {
  for (std::size_t i = 0; i < count; ++i) out[i] = decode(first + i * stride);
}

std::uint32_t Word32(const unsigned char* s, bool bigEndian) {
  return bigEndian ? static_cast<std::uint32_t>(s[0]) << 24 | s[1] << 16 | s[2] << 8 | s[3]
                   : static_cast<std::uint32_t>(s[3]) << 24 | s[2] << 16 | s[1] << 8 | s[0];
}

}  // namespace

AudioFileParser::AudioFileParser(AudioFile& target, double rate, bool samples)
    : clip(target), targetRate(rate), samplesToo(samples), converter(target) {}

bool AudioFile::Load(const std::string& path, double targetRate) {
  Clear();
  AudioFileParser parser(*this, targetRate);
  return parser.Load(path);
}

bool AudioFile::Measure(const std::string& path, double targetRate) {
  Clear();
  AudioFileParser parser(*this, targetRate, false);
  return parser.Load(path);
}

bool AudioFileParser::Load(const std::string& path) {
  if (!reader.Open(path)) return false;
  bool result = false;
  if (IsWave())
    result = ReadWave();
  else if (IsAiff())
    result = ReadAiff();
  reader.Close();
  // A clip that could not hold all its samples would claim more than it has.
  return result && !converter.OutOfMemory();
}

// Both forms open with an identifier, the size of the rest of the file and the
// form type; a size off by even one byte is not this form.
bool AudioFileParser::HasHeader(std::uint32_t first, std::uint32_t form, bool bigEndian) {
  reader.Seek(0);
  auto word = [&] { return bigEndian ? reader.ReadBigEndian32() : reader.ReadLittleEndian32(); };
  const std::uint32_t id = word();
  const std::uint32_t size = word();
  const std::uint32_t type = word();
  return !reader.atEnd && !reader.failed && id == first &&
         static_cast<std::int64_t>(size) == reader.size - 8 && type == form;
}

bool AudioFileParser::IsWave() { return HasHeader(LittleId("RIFF"), LittleId("WAVE"), false); }

bool AudioFileParser::IsAiff() { return HasHeader(Id("FORM"), Id("AIFF"), true); }

void AudioFileParser::ReadFormat(std::uint32_t chunkSize) {
  std::uint16_t tag = reader.ReadLittleEndian16();
  channelCount = static_cast<std::int16_t>(reader.ReadLittleEndian16());
  const std::uint32_t rate = reader.ReadLittleEndian32();
  reader.ReadLittleEndian32();  // byte rate
  reader.ReadLittleEndian16();  // block align
  bitsPerSample = reader.ReadLittleEndian16();
  std::int64_t consumed = 16;
  if (chunkSize >= 18) {
    const std::uint16_t extension = reader.ReadLittleEndian16();
    consumed += 2;
    // The extensible form names its real format in the sub-format's first word.
    if (tag == kFormatExtensible && extension >= 22 && chunkSize >= 40) {
      reader.ReadLittleEndian16();  // valid bits
      reader.ReadLittleEndian32();  // channel mask
      tag = reader.ReadLittleEndian16();
      consumed += 8;
    }
  }
  // Whatever the chunk holds beyond what was read is passed over by its size.
  if (chunkSize > consumed) reader.Skip(chunkSize - consumed);
  if (chunkSize % 2 != 0) reader.Skip(1);
  encoding = tag == kFormatFloat ? Encoding::kFloat : Encoding::kInteger;
  clip.channels = channelCount;
  clip.sampleRate = clip.fileSampleRate = rate;
  clip.fileBitsPerSample = bitsPerSample;
}

bool AudioFileParser::ReadWave() {
  reader.Seek(0);
  if (reader.ReadLittleEndian32() != LittleId("RIFF") || reader.failed) return false;
  reader.ReadLittleEndian32();
  reader.ReadLittleEndian32();
  bool dataSeen = false;
  while (true) {
    const std::uint32_t id = reader.ReadLittleEndian32();
    if (reader.atEnd || reader.failed) break;
    if (id == LittleId("fmt ")) {
      ReadFormat(reader.ReadLittleEndian32());
      if (clip.sampleRate == 0.0) return false;
    } else if (id == LittleId("RIFF")) {
      reader.ReadLittleEndian32();
      reader.ReadLittleEndian32();
    } else if (id == LittleId("data")) {
      dataSeen = true;
      const std::uint32_t size = reader.ReadLittleEndian32();
      const std::int64_t end = reader.Position() + size + (size % 2);
      const bool depthKnown = bitsPerSample == 8 || bitsPerSample == 16 || bitsPerSample == 24 ||
                              bitsPerSample == 32 || (bitsPerSample == 64 && encoding == Encoding::kFloat);
      if (channelCount >= 1 && bitsPerSample >= 8 && depthKnown) {
        const std::uint64_t frames =
            size / static_cast<std::uint32_t>(channelCount) / static_cast<std::uint32_t>(bitsPerSample / 8);
        if (!ReadSamples(frames, false, false)) return false;
      }
      reader.Seek(end);
    } else {
      const std::uint32_t size = reader.ReadLittleEndian32();
      reader.Skip(static_cast<std::int64_t>(size) + (size % 2));  // odd chunks carry a pad byte
    }
  }
  if (samplesToo) converter.Flush();
  return dataSeen;
}

bool AudioFileParser::ReadAiff() {
  if (!IsAiff()) return false;
  std::uint64_t frameCount = 0;
  bool dataSeen = false;
  std::uint32_t id = reader.ReadBigEndian32();
  while (!reader.atEnd && !reader.failed) {
    if (id == Id("COMM")) {
      const std::uint32_t size = reader.ReadBigEndian32();
      channelCount = static_cast<std::int16_t>(reader.ReadBigEndian16());
      frameCount = reader.ReadBigEndian32();
      bitsPerSample = reader.ReadBigEndian16();
      const double rate = reader.ReadExtended();
      if (size > 18) reader.Skip(static_cast<std::int64_t>(size) - 18);
      if (size % 2 != 0) reader.Skip(1);
      encoding = Encoding::kInteger;
      clip.channels = channelCount;
      clip.sampleRate = clip.fileSampleRate = rate;
      clip.fileBitsPerSample = bitsPerSample;
      if (!(rate > 0.0)) return false;
    } else if (id == Id("SSND")) {
      const std::uint32_t size = reader.ReadBigEndian32();
      const std::int64_t end = reader.Position() + size + (size % 2);
      const std::uint32_t offset = reader.ReadBigEndian32();
      reader.ReadBigEndian32();  // block size
      dataSeen = true;
      if (offset != 0) reader.Skip(offset);
      const bool depthKnown = bitsPerSample == 8 || bitsPerSample == 16 || bitsPerSample == 24 ||
                              bitsPerSample == 32;
      if (channelCount >= 1 && bitsPerSample >= 8 && depthKnown && !ReadSamples(frameCount, true, true))
        return false;
      reader.Seek(end);
    } else {
      const std::uint32_t size = reader.ReadBigEndian32();
      reader.Skip(static_cast<std::int64_t>(size) + (size % 2));
    }
    id = reader.ReadBigEndian32();
  }
  if (samplesToo) converter.Flush();
  return dataSeen;
}

bool AudioFileParser::PrepareChannels(std::uint64_t frames) {
  const double expected = std::trunc(targetRate / clip.sampleRate * static_cast<double>(frames));
  // Measuring tells a longer clip's length; loading refuses it.
  if (samplesToo && !(expected <= AudioClip::kMaxFrames)) return false;
  if (!converter.Prepare(std::min(channelCount, 2), clip.fileSampleRate, targetRate, bitsPerSample,
                         expected))
    return false;
  clip.length = expected;
  clip.sampleRate = targetRate;
  return true;
}

bool AudioFileParser::ReadSamples(std::uint64_t frames, bool bigEndian, bool signed8) {
  const int bytesPerSample = bitsPerSample / 8;
  const std::uint64_t frameBytes = static_cast<std::uint64_t>(bytesPerSample) * channelCount;
  // A header may claim more than the file holds: only frames whose bytes start
  // inside the file are produced; their missing bytes read as zero.
  const std::int64_t left = std::max<std::int64_t>(0, reader.size - reader.Position());
  frames = std::min<std::uint64_t>(frames, (static_cast<std::uint64_t>(left) + frameBytes - 1) / frameBytes);
  clip.fileLength = static_cast<double>(frames);
  if (!PrepareChannels(frames)) return false;
  if (!samplesToo) return true;
  converter.ReserveOutput();

  // About 64 KiB of whole frames per read.
  const std::uint64_t framesPerRead = std::max<std::uint64_t>(1, 65536 / frameBytes);
  std::vector<unsigned char> buffer(static_cast<std::size_t>(framesPerRead * frameBytes));
  std::vector<double> decoded(static_cast<std::size_t>(framesPerRead));
  for (std::uint64_t done = 0; done < frames;) {
    const std::uint64_t n = std::min(framesPerRead, frames - done);
    reader.Read(buffer.data(), static_cast<std::size_t>(n * frameBytes));
    for (int c = 0; c < converter.Channels(); ++c) {
      const unsigned char* first = buffer.data() + c * bytesPerSample;
      const std::size_t count = static_cast<std::size_t>(n);
      double* out = decoded.data();
      switch (bitsPerSample) {
        case 8:
          if (signed8)
            DecodeRun(first, frameBytes, count, out, [](const unsigned char* s) {
              return static_cast<signed char>(s[0]) / 128.0;
            });
          else
            DecodeRun(first, frameBytes, count, out,
                      [](const unsigned char* s) { return (s[0] - 128) / 128.0; });
          break;
        case 16:
          DecodeRun(first, frameBytes, count, out, [bigEndian](const unsigned char* s) {
            const int raw = bigEndian ? s[0] << 8 | s[1] : s[1] << 8 | s[0];
            return static_cast<std::int16_t>(raw) * (1.0 / 32768.0);
          });
          break;
        case 24:
          DecodeRun(first, frameBytes, count, out, [bigEndian](const unsigned char* s) {
            std::int32_t raw =
                bigEndian ? s[0] << 16 | s[1] << 8 | s[2] : s[2] << 16 | s[1] << 8 | s[0];
            if (raw & 0x800000) raw -= 0x1000000;
            return raw * (1.0 / 8388608.0);
          });
          break;
        case 32:
          if (encoding == Encoding::kFloat)
            DecodeRun(first, frameBytes, count, out, [bigEndian](const unsigned char* s) {
              const std::uint32_t raw = Word32(s, bigEndian);
              float f32;
              std::memcpy(&f32, &raw, 4);
              return static_cast<double>(f32);
            });
          else
            DecodeRun(first, frameBytes, count, out, [bigEndian](const unsigned char* s) {
              return static_cast<std::int32_t>(Word32(s, bigEndian)) * (1.0 / 2147483648.0);
            });
          break;
        case 64:
          DecodeRun(first, frameBytes, count, out, [](const unsigned char* s) {
            std::uint64_t raw = 0;
            for (int b = 7; b >= 0; --b) raw = raw << 8 | s[b];
            double v;
            std::memcpy(&v, &raw, 8);
            return v;
          });
          break;
        default:
          std::fill(out, out + count, 0.0);
          break;
      }
      converter.PushRun(c, out, static_cast<int>(count));
    }
    done += n;
  }
  return true;
}
