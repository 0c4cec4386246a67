// Writes the fuzzer's seed files: small WAVE and AIFF files of every depth and
// several layouts, built by the tests' own writer.
#include <cstdio>
#include <string>

#include "tests/audio/TestAudioFiles.h"

namespace {

void Write(const std::string& dir, const std::string& name, const Bytes& bytes) {
  std::FILE* f = std::fopen((dir + "/" + name).c_str(), "wb");
  if (f == nullptr) return;
  std::fwrite(bytes.data(), 1, bytes.size(), f);
  std::fclose(f);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: dilatorix-fuzz-seeds DIR\n");
    return 2;
  }
  const std::string dir = argv[1];
  std::vector<std::int64_t> samples;
  for (int i = 0; i < 600; ++i) samples.push_back((i * 7919) % 200 - 100);
  for (int bits : {8, 16, 24, 32}) {
    for (int channels : {1, 2, 3}) {
      WaveLayout layout;
      layout.bits = bits;
      layout.channels = channels;
      layout.rate = bits == 16 ? 48000 : 44100;
      const std::string tag = std::to_string(bits) + "_" + std::to_string(channels);
      Write(dir, "pcm" + tag + ".wav", MakeWave(layout, samples));
      Write(dir, "pcm" + tag + ".aiff", MakeAiff(channels, bits, 22050, samples));
    }
  }
  WaveLayout extensible;
  extensible.formatTag = 0xFFFE;
  extensible.fmtSize = 40;
  extensible.bits = 32;
  extensible.subFormat = 3;
  Write(dir, "float.wav", MakeWave(extensible, samples));
  WaveLayout odd;
  odd.fmtSize = 18;
  PutId(odd.chunkBeforeData, "junk");
  PutLittle(odd.chunkBeforeData, 1, 4);
  odd.chunkBeforeData.insert(odd.chunkBeforeData.end(), {1, 0});
  Write(dir, "odd.wav", MakeWave(odd, samples));
  return 0;
}
