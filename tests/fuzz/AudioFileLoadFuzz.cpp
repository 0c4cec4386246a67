// libFuzzer target: any bytes, loaded as a file at two target rates. The clip
// must come back consistent (every stored channel exactly its length) and
// nothing may crash, leak or trip a sanitizer.
#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "audio/AudioFile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const int fd = memfd_create("fuzz-audio", 0);
  if (fd < 0) return 0;
  if (ftruncate(fd, 0) != 0 || pwrite(fd, data, size, 0) != static_cast<ssize_t>(size)) return 0;
  const std::string path = "/proc/self/fd/" + std::to_string(fd);
  for (double rate : {44100.0, 48000.0}) {
    AudioFile clip;
    if (!clip.Load(path, rate)) continue;
    const int length = static_cast<int>(clip.length);
    if (clip.left.length != 0 && clip.left.length != length) std::abort();
    if (clip.right.length != 0 && clip.right.length != length) std::abort();
  }
  return 0;
}
