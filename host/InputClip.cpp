#include "host/InputClip.h"

#if defined(_WIN32)
#include <cstdio>
#include <vector>

#include "platform/WideText.h"
#else
#include <fcntl.h>
#include <unistd.h>
#endif

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "audio/AudioFile.h"
#include "host/PathKind.h"
#include "platform/PathSeparator.h"

namespace {

#if defined(_WIN32)
bool CanRead(const std::string& path) {
  std::FILE* file = _wfopen(WideFromUtf8(path).c_str(), L"rb");
  if (file == nullptr) return false;
  std::fclose(file);
  return true;
}
#else
// The open never waits (a regular file cannot make it, but the check and the
// open are two steps).
bool CanRead(const std::string& path) {
  const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return false;
  close(fd);
  return true;
}
#endif

}  // namespace

bool CheckInputClip(const std::string& path, int sampleRate, double* frames, std::string* error) {
  const PathKind kind = KindOf(path);
  if (kind == PathKind::kMissing) {
    *error = "cannot open input " + path + ": " + std::strerror(errno);
    return false;
  }
  if (kind == PathKind::kDirectory) {
    *error = "input " + path + " is a directory";
    return false;
  }
  // A FIFO or a device could hold the open for ever; neither is an audio file.
  if (kind != PathKind::kRegular) {
    *error = "input " + path + " is not a regular file";
    return false;
  }
  if (!CanRead(path)) {
    *error = "cannot read input " + path + ": " + std::strerror(errno);
    return false;
  }
  // The headers tell the length; the plug-in reads the samples.
  AudioFile clip;
  if (!clip.Measure(path, sampleRate)) {
    *error = "input " + path + " is not a WAVE or AIFF file that can be read";
    return false;
  }
  if (clip.length < 1) {
    *error = "input " + path + " holds no audio";
    return false;
  }
  if (clip.length > AudioClip::kMaxFrames) {
    char text[160];
    std::snprintf(text, sizeof text,
                  " is too long: %.0f frames at %d Hz, and a clip holds at most %.0f", clip.length,
                  sampleRate, AudioClip::kMaxFrames);
    *error = "input " + path + text;
    return false;
  }
  *frames = clip.length;
  return true;
}

#if defined(_WIN32)
std::string RealPath(const std::string& path) {
  const std::wstring wide = WideFromUtf8(path);
  const DWORD length = wide.empty() ? 0 : GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr);
  std::vector<wchar_t> full(length + 1);
  if (length == 0 || GetFullPathNameW(wide.c_str(), length + 1, full.data(), nullptr) == 0) {
    errno = ENOENT;
    return std::string();
  }
  return Utf8FromWide(full.data());
}
#else
std::string RealPath(const std::string& path) {
  char* resolved = realpath(path.c_str(), nullptr);
  if (resolved == nullptr) return std::string();
  std::string text(resolved);
  std::free(resolved);
  return text;
}
#endif

std::string BaseName(const std::string& path) {
  const std::size_t slash = LastSeparator(path);
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string DerivedName(const std::string& input, const std::string& suffix) {
  std::string name = BaseName(input);
  const std::size_t dot = name.rfind('.');
  if (dot != std::string::npos && dot > 0) name.resize(dot);
  return name + suffix;
}

bool ResolveInputClip(const std::string& input, const std::string& outputPath, int sampleRate,
                      std::string* clipPath, double* frames, std::string* error) {
  if (!CheckInputClip(input, sampleRate, frames, error)) return false;
  *clipPath = RealPath(input);
  if (clipPath->empty()) {
    *error = "cannot resolve input " + input + ": " + std::strerror(errno);
    return false;
  }
  if (RealPath(outputPath) == *clipPath) {
    *error = "the output " + outputPath + " is the input";
    return false;
  }
  return true;
}
