// dilatorix-wav-difference: how far one rendering lies from another. Reads two
// WAVE or AIFF files of the same rate and channel count and prints the RMS of
// their sample-by-sample difference over the frames both have, in dB relative
// to the first file's RMS ("identical" when no sample differs). With
// --max-db D it exits 1 when the difference is above D dB or the lengths
// differ; a file that cannot be read ends with one line on stderr and exit 2.
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "audio/AudioFile.h"

namespace {

int Usage() {
  std::fprintf(stderr, "usage: dilatorix-wav-difference [--max-db D] FIRST SECOND\n");
  return 2;
}

bool Read(const std::string& path, double rate, AudioFile* clip) {
  if (clip->Load(path, rate)) return true;
  std::fprintf(stderr, "dilatorix-wav-difference: cannot read %s\n", path.c_str());
  return false;
}

}  // namespace

int main(int argc, char** argv) {
  double maxDb = 0;
  bool limited = false;
  int arg = 1;
  if (argc == 5 && std::strcmp(argv[1], "--max-db") == 0) {
    char* end = nullptr;
    maxDb = std::strtod(argv[2], &end);
    if (end == argv[2] || *end != '\0') return Usage();
    limited = true;
    arg = 3;
  } else if (argc != 3) {
    return Usage();
  }
  // The headers tell each file's rate (the rate asked for here is no matter).
  AudioFile first, second;
  if (!first.Measure(argv[arg], 44100) || !second.Measure(argv[arg + 1], 44100)) {
    std::fprintf(stderr, "dilatorix-wav-difference: cannot read %s or %s\n", argv[arg],
                 argv[arg + 1]);
    return 2;
  }
  if (first.fileSampleRate != second.fileSampleRate || first.channels != second.channels) {
    std::fprintf(stderr, "dilatorix-wav-difference: the files differ in rate or channels\n");
    return 1;
  }
  // Read at their own rate: no conversion.
  const double rate = first.fileSampleRate;
  if (!Read(argv[arg], rate, &first) || !Read(argv[arg + 1], rate, &second)) return 2;
  const int frames = static_cast<int>(std::fmin(first.length, second.length));
  double difference = 0, power = 0;
  for (int i = 0; i < frames; ++i) {
    const double left = first.left.At(i) - second.left.At(i);
    difference += left * left;
    power += first.left.At(i) * first.left.At(i);
    if (first.channels > 1) {
      const double right = first.right.At(i) - second.right.At(i);
      difference += right * right;
      power += first.right.At(i) * first.right.At(i);
    }
  }
  const bool sameLength = first.length == second.length;
  if (difference == 0) {
    std::printf("identical over %d frames%s\n", frames, sameLength ? "" : " (lengths differ)");
    return limited && !sameLength ? 1 : 0;
  }
  const double db = power > 0 ? 10 * std::log10(difference / power) : HUGE_VAL;
  std::printf("difference %.1f dB re the first file's RMS over %d frames%s\n", db, frames,
              sameLength ? "" : " (lengths differ)");
  return limited && (db > maxDb || !sameLength) ? 1 : 0;
}
