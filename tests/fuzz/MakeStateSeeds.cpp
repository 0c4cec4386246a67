// Writes the state fuzzer's seeds: the chunks a fresh instance saves after a
// state named each of a set of generated files (a WAVE and an AIFF clip, a
// malformed WAVE, an empty file, a folder), /dev/zero, a missing file and no
// file, as banks and programs. The files go into FILES, the seeds into SEEDS.
#include <sys/stat.h>

#include <cstdio>
#include <string>
#include <vector>

#include "tests/audio/TestAudioFiles.h"
#include "tests/fuzz/FuzzInstance.h"
#include "tests/host/StateChunks.h"

namespace {

void Write(const std::string& path, const std::vector<unsigned char>& bytes) {
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (f == nullptr) return;
  std::fwrite(bytes.data(), 1, bytes.size(), f);
  std::fclose(f);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: dilatorix-fuzz-state-seeds FILES SEEDS\n");
    return 2;
  }
  const std::string files = argv[1], seeds = argv[2];
  std::vector<std::int64_t> samples;
  for (int i = 0; i < 3000; ++i) samples.push_back((i * 7919) % 2000 - 1000);
  WaveLayout stereo;
  stereo.channels = 2;
  Write(files + "/clip.wav", MakeWave(stereo, samples));
  Write(files + "/clip.aiff", MakeAiff(1, 16, 22050, samples));
  Bytes malformed = MakeWave(WaveLayout(), samples);
  malformed.resize(30);
  Write(files + "/malformed.wav", malformed);
  Write(files + "/empty.wav", {});
  mkdir((files + "/folder.wav").c_str(), 0755);

  std::unique_ptr<VstHost> host = StartFuzzedInstance();
  if (host == nullptr) return 1;
  const std::vector<double> defaults = ChunkValues(host->GetChunk(false));
  const std::vector<std::string> paths = {
      files + "/clip.wav",   files + "/clip.aiff", files + "/malformed.wav", files + "/empty.wav",
      files + "/folder.wav", "/dev/zero",          files + "/missing.wav",   ""};
  int n = 0;
  for (const std::string& path : paths) {
    std::unique_ptr<VstHost> instance = StartFuzzedInstance();
    if (instance == nullptr) return 1;
    instance->SetChunk(MakeStateChunk(defaults, path), false);
    std::vector<unsigned char> saved = instance->GetChunk(false);
    for (unsigned char kind : {0, 1}) {
      std::vector<unsigned char> seed(1, kind);
      seed.insert(seed.end(), saved.begin(), saved.end());
      Write(seeds + "/state" + std::to_string(n++), seed);
    }
  }
  return 0;
}
