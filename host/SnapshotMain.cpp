// dilatorix-snapshot: draws the Dilatorix editor as a host shows it after an
// audio file (by default the bundled demo phrase) is loaded, analysed and
// played for a few seconds, into a PNG file. Every failure ends with one
// "dilatorix-snapshot: ..." line on stderr and a non-zero exit, and leaves no
// output file behind.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "gui/HeadlessCanvas.h"
#include "host/EditorSnapshot.h"
#include "host/ExecutableDirectory.h"
#include "host/InputClip.h"
#include "host/Interrupts.h"
#include "host/OutputFile.h"
#include "host/RenderOptions.h"

#ifndef DILATORIX_VERSION
#define DILATORIX_VERSION "unknown"
#endif

namespace {

int Error(const std::string& message) {
  std::fprintf(stderr, "dilatorix-snapshot: %s\n", message.c_str());
  return 1;
}

}  // namespace

int main(int argc, char** argv) {
  RenderOptions options;
  std::string error;
  if (!ParseSnapshotOptions(argc, argv, &options, &error)) return Error(error);
  if (AnswerInfoOptions(options, "dilatorix-snapshot", DILATORIX_VERSION, kSnapshotUsage)) return 0;

  CatchInterrupts();
  const std::string input =
      options.input.empty() ? ExecutableDirectory() + "/demo-phrase.wav" : options.input;
  const std::string outputPath =
      options.output.empty() ? DerivedName(input, "-editor.png") : options.output;
  double clipFrames = 0;
  std::string clipPath;
  if (!ResolveInputClip(input, outputPath, options.sampleRate, &clipPath, &clipFrames, &error))
    return Error(error);

  OutputFile output;
  if (!output.Open(outputPath, &error)) return Error(error);
  EditorSnapshot snapshot;
  if (!snapshot.Open(options.sampleRate, options.blockSize, &error) ||
      !snapshot.Play(clipPath, static_cast<std::int64_t>(clipFrames), options.Assignments(),
                     options.duration, &error, Interrupted))
    return Error(error);
  std::vector<unsigned char> png;
  if (!snapshot.Canvas().EncodePng(&png)) return Error("cannot encode the editor's picture");
  if (std::fwrite(png.data(), 1, png.size(), output.Stream()) != png.size())
    return Error("cannot write " + outputPath + ": " + std::strerror(errno));
  if (!output.Commit(&error)) return Error(error);
  return 0;
}
