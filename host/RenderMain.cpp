// dilatorix-render: renders an audio file (by default the bundled demo phrase)
// through the Dilatorix plug-in, loaded from its module as a host would, into a
// stereo WAVE file. Every failure ends with one "dilatorix-render: ..." line on
// stderr and a non-zero exit, and leaves no output file behind.
#include <sys/stat.h>

#if defined(_WIN32)
#include <io.h>
#else
#include <unistd.h>
#endif

#include <cerrno>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "host/ExecutableDirectory.h"
#include "host/InputClip.h"
#include "host/Interrupts.h"
#include "host/OutputFile.h"
#include "host/ParamText.h"
#include "host/ProgressBar.h"
#include "host/RenderOptions.h"
#include "host/Renderer.h"
#include "host/WavWriter.h"

#ifndef DILATORIX_VERSION
#define DILATORIX_VERSION "unknown"
#endif

namespace {

constexpr double kDefaultCapSeconds = 3600;

int Error(const std::string& message) {
  std::fprintf(stderr, "dilatorix-render: %s\n", message.c_str());
  return 1;
}

#if defined(_WIN32)
// Windows has no name for the standard output that -o could give.
bool IsStdout(std::FILE*) { return false; }
bool IsTerminal(std::FILE* stream) { return _isatty(_fileno(stream)) != 0; }
#else
// True when stream and stdout are the same file, as with -o /dev/stdout.
bool IsStdout(std::FILE* stream) {
  struct stat a, b;
  return fstat(fileno(stream), &a) == 0 && fstat(STDOUT_FILENO, &b) == 0 && a.st_dev == b.st_dev &&
         a.st_ino == b.st_ino;
}
bool IsTerminal(std::FILE* stream) { return isatty(fileno(stream)) != 0; }
#endif

double Seconds(std::chrono::steady_clock::time_point since) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

}  // namespace

int main(int argc, char** argv) {
  const auto started = std::chrono::steady_clock::now();
  RenderOptions options;
  std::string error;
  if (!ParseRenderOptions(argc, argv, &options, &error)) return Error(error);
  if (AnswerInfoOptions(options, "dilatorix-render", DILATORIX_VERSION, kRenderUsage)) return 0;

  CatchInterrupts();

  const bool report = options.report == RenderOptions::Report::kProgress ||
                      (options.report == RenderOptions::Report::kAuto && IsTerminal(stderr));
  const std::string here = ExecutableDirectory();
  const std::string input = options.input.empty() ? here + "/demo-phrase.wav" : options.input;
  const std::string pluginPath =
      options.plugin.empty() ? here + "/" DILATORIX_DEFAULT_MODULE : options.plugin;
  const std::string outputPath =
      options.output.empty() ? DerivedName(input, "-stretched.wav") : options.output;

  double clipFrames = 0;
  std::string clipPath;
  if (!ResolveInputClip(input, outputPath, options.sampleRate, &clipPath, &clipFrames, &error))
    return Error(error);

  OutputFile output;
  if (!output.Open(outputPath, &error)) return Error(error);
  // The summary must not land inside audio written to stdout.
  std::FILE* const summary = IsStdout(output.Stream()) ? stderr : stdout;

  Renderer renderer;
  if (!renderer.Open(pluginPath, options.sampleRate, options.blockSize, &error))
    return Error(error);
  std::vector<double> values = renderer.Values();
  for (const ParamAssignment& set : options.Assignments()) values[set.index] = set.value;
  const auto loadStarted = std::chrono::steady_clock::now();
  if (!renderer.LoadClip(clipPath, values, &error)) return Error(error);
  const double loadSeconds = Seconds(loadStarted);

  // The stretched region's length unless a duration is given.
  const double factor = StretchFactor(values[kRateNom], values[kRateXtrm] != 0);
  double seconds = options.duration;
  bool capped = false;
  if (seconds < 0) {
    const double region = values[kRegEnd] - values[kRegStart];
    if (!(region > 0)) return Error("the region is empty (RegStart not below RegEnd)");
    seconds = region * clipFrames * factor / options.sampleRate;
    capped = seconds > kDefaultCapSeconds;
    if (capped) seconds = kDefaultCapSeconds;
  }
  const double exactFrames = std::round(seconds * options.sampleRate);
  const WavWriter::Encoding encoding =
      options.bits == 24 ? WavWriter::Encoding::kPcm24 : WavWriter::Encoding::kFloat32;
  if (exactFrames > static_cast<double>(WavWriter::MaxFrames(2, encoding)))
    return Error("an output of " + std::to_string(seconds) + " s does not fit a WAVE file");
  const std::uint64_t frames = exactFrames < 1 ? 1 : static_cast<std::uint64_t>(exactFrames);

  WavWriter writer;
  auto writeError = [&]() {
    return Error("cannot write " + outputPath + ": " +
                 std::strerror(writer.ErrorNumber() != 0 ? writer.ErrorNumber() : EIO));
  };
  if (!writer.Begin(output.Stream(), 2, static_cast<std::uint32_t>(options.sampleRate), encoding,
                    frames))
    return writeError();

  ProgressBar bar(stderr, IsTerminal(stderr));
  auto progress = [&](double fraction) {
    if (report) bar.Update(fraction);
    return !Interrupted();
  };
  if (report) bar.Start("analysing");
  const auto analysisStarted = std::chrono::steady_clock::now();
  const bool analysed = renderer.Analyse(static_cast<std::int64_t>(clipFrames), progress, &error);
  const double analysisSeconds = Seconds(analysisStarted);
  if (report) bar.Finish();
  if (!analysed) return Error(error);

  if (report) bar.Start("rendering");
  const auto renderStarted = std::chrono::steady_clock::now();
  const bool rendered = renderer.Render(frames, &writer, progress, &error);
  const double renderSeconds = Seconds(renderStarted);
  if (report) bar.Finish();
  if (!rendered) return writer.ErrorNumber() != 0 ? writeError() : Error(error);
  renderer.Close();
  if (!writer.Finish()) return writeError();
  if (!output.Commit(&error)) return Error(error);

  if (report) {
    std::fprintf(
        summary,
        "rendered %s at %gx into %s: %.2f s of %d Hz stereo %s%s; took %.2f s (load %.2f s, "
        "analysis %.2f s, rendering %.2f s)\n",
        BaseName(input).c_str(), factor, outputPath.c_str(),
        static_cast<double>(frames) / options.sampleRate, options.sampleRate,
        options.bits == 24 ? "24-bit PCM" : "32-bit float", capped ? " (capped at one hour)" : "",
        Seconds(started), loadSeconds, analysisSeconds, renderSeconds);
  }
  return 0;
}
