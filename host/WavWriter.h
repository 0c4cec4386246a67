// Writes a RIFF/WAVE file of a length known in advance, to any stream (also one
// that cannot seek): Begin writes the complete header, WriteFrames appends
// samples, Finish checks that exactly the announced frames came and flushes.
// 32-bit float files use format tag 3 with an 18-byte fmt chunk and a fact
// chunk; 24-bit files are integer PCM, clamped and rounded. Every write is
// checked: false means the stream failed (disk full, closed pipe) or the length
// does not fit a WAVE file; the writer then refuses further calls.
#pragma once

#include <cstdint>
#include <cstdio>
#include <vector>

class WavWriter {
 public:
  enum class Encoding { kFloat32, kPcm24 };

  // Largest frame count a file of these channels and encoding can hold.
  static std::uint64_t MaxFrames(int channels, Encoding encoding);

  bool Begin(std::FILE* stream, int channels, std::uint32_t sampleRate, Encoding encoding,
             std::uint64_t frames);
  // frames samples from each of the Begin call's channels.
  bool WriteFrames(const double* const* channels, int frames);
  bool Finish();

  std::uint64_t FramesWritten() const { return written; }
  // errno of the failed write, or 0 when the failure was not the stream's.
  int ErrorNumber() const { return errorNumber; }

 private:
  static int BytesPerSample(Encoding encoding) { return encoding == Encoding::kPcm24 ? 3 : 4; }
  static std::uint32_t HeaderBytes(Encoding encoding);
  // Records a stream failure.
  bool Check(bool ok);

  std::FILE* stream = nullptr;
  int channelCount = 0;
  Encoding encoding = Encoding::kFloat32;
  std::uint64_t announced = 0;
  std::uint64_t written = 0;
  bool failed = false;
  int errorNumber = 0;
  std::vector<unsigned char> bytes;
};
