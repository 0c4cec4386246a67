#include "host/InputClip.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "audio/AudioFile.h"

bool CheckInputClip(const std::string& path, int sampleRate, double* frames, std::string* error) {
  struct stat info;
  if (stat(path.c_str(), &info) != 0) {
    *error = "cannot open input " + path + ": " + std::strerror(errno);
    return false;
  }
  if (S_ISDIR(info.st_mode)) {
    *error = "input " + path + " is a directory";
    return false;
  }
  // A FIFO or a device could hold the open for ever; neither is an audio file.
  if (!S_ISREG(info.st_mode)) {
    *error = "input " + path + " is not a regular file";
    return false;
  }
  const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) {
    *error = "cannot read input " + path + ": " + std::strerror(errno);
    return false;
  }
  close(fd);
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
  *frames = clip.length;
  return true;
}

std::string RealPath(const std::string& path) {
  char* resolved = realpath(path.c_str(), nullptr);
  if (resolved == nullptr) return std::string();
  std::string text(resolved);
  std::free(resolved);
  return text;
}

std::string BaseName(const std::string& path) {
  const std::size_t slash = path.rfind('/');
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
