// dilatorix-sound-check: prints how a steady tone, pink noise and pitch shifts
// come through stretching, measured on the built module driven exactly as
// dilatorix-render drives it (a state chunk with the values and the clip's path,
// silent analysis calls, then rendering with the transport playing). Its clips
// are synthesised, mono, into a scratch directory that goes away at the end.
// The table is the yardstick for engine changes: run it before and after.
//
// Spans are chosen from where the play position can be, for an engine that
// starts playback at frame 0 as well as one that starts at the region start:
// a span starts once the case's event has passed for both and ends before either
// could reach a region end the case is not about. Any failure ends with one
// "dilatorix-sound-check: ..." line and a non-zero exit.
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "effect/StretchParamSpecs.h"
#include "host/ExecutableDirectory.h"
#include "host/Interrupts.h"
#include "host/OutputFile.h"
#include "host/RenderOptions.h"
#include "host/Renderer.h"
#include "host/ScratchDirectory.h"
#include "host/WavWriter.h"
#include "tools/SoundMeasures.h"
#include "tools/SoundSignals.h"

namespace {

constexpr int kRateHz = 44100;
constexpr int kBlockFrames = 512;
// The engine's hop: output samples per step of the play position, which moves
// 1/stretch frames a step.
constexpr int kHopFrames = 1024;
constexpr double kHopSeconds = static_cast<double>(kHopFrames) / kRateHz;
// Frames whose window starts before the clip: the first whole frame is this one.
constexpr int kLeadFrames = 3;

constexpr double kSettleSeconds = 1;     // after an event, before a span starts
constexpr double kSpanSeconds = 10;      // a span's usual length
constexpr double kMarginSeconds = 0.5;   // kept from a region end a span must not reach
constexpr double kLimitSeconds = 60;     // longest wait for a case's event
constexpr double kPrerollSeconds = 0.5;  // at 1x, to bring the position into a short region
constexpr double kToneHz = 440;
constexpr double kToneAmplitude = 0.5;
constexpr double kToneClipSeconds = 8;
constexpr double kBurstSeconds = 0.05;
constexpr int kLoopFrame = 8;  // well past the lead frames, reached within the preroll

const char kUsage[] =
    "usage: dilatorix-sound-check [--quick] [--section NAME]... [--plugin PATH]\n"
    "Prints how a steady tone, pink noise and pitch shifts come through stretching\n"
    "by the Dilatorix module (default: Dilatorix_64.so beside this tool).\n"
    "\n"
    "  --quick            tone at 4x, 100x and 1e6x, start and jump cases only\n"
    "  --section NAME     only tone, noise, pitch or rate (repeatable)\n"
    "  --plugin PATH      another build of the module\n"
    "  --help\n";

int Error(const std::string& message) {
  std::fprintf(stderr, "dilatorix-sound-check: %s\n", message.c_str());
  return 1;
}

struct Options {
  std::string plugin;
  bool quick = false;
  bool help = false;
  std::vector<std::string> sections;  // empty: all

  bool Runs(const std::string& section) const {
    if (sections.empty()) return true;
    for (const std::string& name : sections)
      if (name == section) return true;
    return false;
  }
};

bool ParseOptions(int argc, char** argv, Options* options, std::string* error) {
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--quick") {
      options->quick = true;
    } else if (arg == "--help" || arg == "-h") {
      options->help = true;
    } else if (arg == "--plugin" || arg == "--section") {
      if (i + 1 >= argc) {
        *error = arg + " needs a value";
        return false;
      }
      const std::string value = argv[++i];
      if (arg == "--plugin") {
        options->plugin = value;
      } else if (value == "tone" || value == "noise" || value == "pitch" || value == "rate") {
        options->sections.push_back(value);
      } else {
        *error = "--section is tone, noise, pitch or rate, not '" + value + "'";
        return false;
      }
    } else {
      *error = "unknown argument " + arg + " (see --help)";
      return false;
    }
  }
  return true;
}

// A parameter change sent while playing, at a time of output.
struct Change {
  double atSeconds;
  int index;
  double value;
};

// One render of a clip: settings over the plug-in's defaults, changes during
// playback, and optionally the device rate the host switches to after loading.
struct Job {
  std::string clip;
  std::int64_t clipFrames = 0;  // at kRateHz
  std::vector<ParamAssignment> settings;
  std::vector<Change> changes;  // in time order
  double seconds = 0;
  int switchRateHz = 0;
};

// A span of output in seconds, or the reason there is none.
struct Span {
  double from = 0, to = 0;
  std::string note;  // shown after the figures
  bool valid = true;
};

class Session {
 public:
  Session(std::string plugin, ScratchDirectory* scratch)
      : plugin(std::move(plugin)), scratch(scratch) {}

  // Writes samples as a mono 32-bit float clip named name; returns its path.
  bool WriteClip(const std::string& name, const std::vector<double>& samples, std::string* path,
                 std::string* error) {
    *path = *scratch / name;
    OutputFile file;
    WavWriter writer;
    const double* channels[1] = {samples.data()};
    if (!file.Open(*path, error)) return false;
    if (!writer.Begin(file.Stream(), 1, kRateHz, WavWriter::Encoding::kFloat32, samples.size()) ||
        !writer.WriteFrames(channels, static_cast<int>(samples.size())) || !writer.Finish()) {
      *error = "cannot write " + *path;
      return false;
    }
    return file.Commit(error);
  }

  // The left output channel (the engine fills both alike for a mono clip).
  bool Render(const Job& job, std::vector<double>* out, std::string* error) {
    // A closed stdout (the table piped into head) ends the run as Ctrl-C does.
    auto progress = [](double) { return !Interrupted() && !std::ferror(stdout); };
    Renderer renderer;
    if (!renderer.Open(plugin, kRateHz, kBlockFrames, error)) return false;
    std::vector<double> values = renderer.Values();
    for (const ParamAssignment& set : job.settings) values[set.index] = set.value;
    if (!renderer.LoadClip(job.clip, values, error)) return false;
    int rate = kRateHz;
    if (job.switchRateHz > 0) {
      if (!renderer.SetSampleRate(job.switchRateHz, error)) return false;
      rate = job.switchRateHz;
    }
    const std::int64_t clipFrames = (job.clipFrames * rate + kRateHz - 1) / kRateHz;
    if (!renderer.Analyse(clipFrames, progress, error)) return false;

    out->clear();
    const auto total = static_cast<std::uint64_t>(std::llround(job.seconds * rate));
    out->reserve(total);
    const Renderer::Sink sink = [out](const double* const* channels, int frames) {
      out->insert(out->end(), channels[0], channels[0] + frames);
      return true;
    };
    std::uint64_t done = 0;
    for (const Change& change : job.changes) {
      const auto at = static_cast<std::uint64_t>(std::llround(change.atSeconds * rate));
      if (at > done && !renderer.Render(at - done, sink, progress, error)) return false;
      done = std::max(done, at);
      if (!renderer.SetParameter(change.index, change.value, error)) return false;
    }
    return total <= done || renderer.Render(total - done, sink, progress, error);
  }

 private:
  std::string plugin;
  ScratchDirectory* scratch;
};

std::vector<ParamAssignment> Stretched(double factor) {
  std::vector<ParamAssignment> settings;
  std::string unused;
  StretchAssignments(factor, &settings, &unused);
  return settings;
}

std::size_t At(double seconds, double rateHz) {
  return static_cast<std::size_t>(std::llround(seconds * rateHz));
}

// Output time the play position takes to cross frames frames at factor.
double Crossing(double frames, double factor) { return frames * factor * kHopSeconds; }

std::string StretchText(double factor) {
  char text[32];
  if (factor >= 1e5)
    std::snprintf(text, sizeof text, "1e%.0fx", std::log10(factor));
  else
    std::snprintf(text, sizeof text, "%gx", factor);
  return text;
}

std::string DurationText(double seconds) {
  char text[32];
  if (seconds < 120)
    std::snprintf(text, sizeof text, "%.0f s", seconds);
  else if (seconds < 7200)
    std::snprintf(text, sizeof text, "%.0f min", seconds / 60);
  else
    std::snprintf(text, sizeof text, "%.0f h", seconds / 3600);
  return text;
}

// "%*.*f", or the dash of a figure that could not be measured.
std::string Figure(double value, int width, int decimals) {
  char text[32];
  if (std::isnan(value))
    std::snprintf(text, sizeof text, "%*s", width + 2, "\u2014");  // the dash is 3 bytes, 1 column
  else
    std::snprintf(text, sizeof text, "%*.*f", width, decimals, value);
  return text;
}

std::string SpanText(const Span& span) {
  char text[32];
  std::snprintf(text, sizeof text, "%5.1f-%-5.1f", span.from, span.to);
  return text;
}

// --- Steady tone -------------------------------------------------------------

enum ToneCase { kStart, kRegion, kJump, kLoop, kTurn, kWalk, kOnset, kToneCases };
const char* const kToneCaseNames[kToneCases] = {"start", "region", "jump", "loop",
                                                "turn",  "walk",   "onset"};

struct ToneClips {
  std::string tone, onset;
  std::int64_t frames = 0;
  int frameCount = 0;  // the engine's frames: one per hop of the clip
  int lastBurstFrame = 0;
};

class ToneSection {
 public:
  ToneSection(Session* session, const ToneClips& clips) : session(session), clips(clips) {}

  // The fraction of the clip whose frame is frame (truncated, as the engine does).
  double Fraction(int frame) const { return (frame + 0.5) / clips.frameCount; }
  // The render and span of one case at factor; the span is invalid (with a
  // note) when the case's event comes too late.
  Span Plan(ToneCase which, double factor, Job* job) const {
    const double frames = clips.frameCount;
    job->clip = clips.tone;
    job->clipFrames = clips.frames;
    job->settings = Stretched(factor);
    Span span;
    // A span from 'from' for the usual length, ending before a region end that
    // the position could reach from 'position' frames at time 'since'.
    auto until = [&](double from, double since, double position, double end) {
      span.from = from;
      span.to =
          std::min(from + kSpanSeconds, since + Crossing(end - position, factor) - kMarginSeconds);
    };
    switch (which) {
      case kStart:
        until(kSettleSeconds, 0, 0, frames);
        break;
      case kRegion:
        job->settings.push_back({kRegStart, 0.5});
        job->settings.push_back({kRegEnd, 0.9});
        until(kSettleSeconds, 0, 0.5 * frames, 0.9 * frames);
        break;
      case kJump: {
        const double jumpSeconds = 2;
        job->settings.push_back({kRegStart, 0.1});
        job->settings.push_back({kRegEnd, 0.9});
        job->changes.push_back({jumpSeconds, kRegStart, 0.6});
        // Furthest the position can be just after the jump.
        const double reached = 0.1 * frames + jumpSeconds / (factor * kHopSeconds);
        until(jumpSeconds + kSettleSeconds, jumpSeconds,
              std::max(0.6 * frames, std::min(reached, 0.9 * frames)), 0.9 * frames);
        break;
      }
      case kLoop:
      case kTurn: {
        // A two-frame region, reached at 1x, then stretched: the first loop
        // (or turn) comes within two frames' crossing wherever the position
        // and its direction stood.
        job->settings = Stretched(1);
        job->settings.push_back({kRegStart, Fraction(kLoopFrame)});
        job->settings.push_back({kRegEnd, Fraction(kLoopFrame + 2)});
        job->settings.push_back({kDir, which == kLoop ? 0.0 : 2.0});
        for (const ParamAssignment& set : Stretched(factor))
          job->changes.push_back({kPrerollSeconds, set.index, set.value});
        const double first = kPrerollSeconds + Crossing(2, factor);
        if (first > kLimitSeconds) {
          span.valid = false;
          span.note = std::string("first ") + (which == kLoop ? "loop" : "turn") + " after " +
                      DurationText(first);
          break;
        }
        // The overlap-add holds four hops: start once the wrap is in all of them.
        span.from = std::max(kPrerollSeconds + kSettleSeconds, first + 4 * kHopSeconds);
        span.to = span.from + kSpanSeconds;
        break;
      }
      case kWalk:
        job->settings.push_back({kRegStart, 0.4});
        job->settings.push_back({kRegEnd, 0.6});
        job->settings.push_back({kDir, 3});
        span.from = kSettleSeconds;
        span.to = span.from + kSpanSeconds;
        break;
      case kOnset: {
        job->clip = clips.onset;
        // Four frames past the last frame that holds part of the burst.
        const double clear = Crossing(clips.lastBurstFrame + 4, factor);
        if (clear <= kLimitSeconds) {
          until(std::max(kSettleSeconds, clear), 0, 0, frames);
          break;
        }
        const double moveSeconds = 2;
        job->changes.push_back({moveSeconds, kRegStart, Fraction(clips.lastBurstFrame + 1)});
        until(moveSeconds + kSettleSeconds, moveSeconds, clips.lastBurstFrame + 1, frames);
        span.note = "RegStart moved past the burst at " + DurationText(moveSeconds);
        break;
      }
      case kToneCases:
        break;
    }
    job->seconds = span.to;
    return span;
  }

  bool Run(const std::vector<double>& factors, const std::vector<ToneCase>& cases,
           std::string* error) {
    std::printf("Steady tone: %g Hz sine at amplitude %g, mono, %g s clip (%d frames)\n", kToneHz,
                kToneAmplitude, kToneClipSeconds, clips.frameCount);
    Job reference;
    reference.clip = clips.tone;
    reference.clipFrames = clips.frames;
    reference.settings = Stretched(1);
    reference.seconds = 6;
    std::vector<double> out;
    if (!session->Render(reference, &out, error)) return false;
    const Span referenceSpan{2, 6, "", true};
    const LevelStats level =
        MeasureLevel(out, At(referenceSpan.from, kRateHz), At(referenceSpan.to, kRateHz), kRateHz);
    referenceDb = level.levelDb;
    std::printf(
        "  1x reference over %.0f-%.0f s: level %.2f dBFS, ripple %.2f dB, outside +/-20 Hz "
        "%.1f dB\n",
        referenceSpan.from, referenceSpan.to, level.levelDb, level.rippleDb,
        SpanOutOfBandDb(out, At(referenceSpan.from, kRateHz), At(referenceSpan.to, kRateHz),
                        kRateHz, {kToneHz}));
    std::printf(
        "  level: dB re the 1x reference; ripple: highest minus lowest 100 ms level;\n"
        "  outside: share of the energy beyond +/-20 Hz of %g Hz\n\n",
        kToneHz);
    std::printf("  %7s  %-6s  %-11s  %8s  %9s  %10s\n", "stretch", "case", "span s", "level dB",
                "ripple dB", "outside dB");
    std::fflush(stdout);
    for (double factor : factors) {
      for (ToneCase which : cases) {
        Job job;
        const Span span = Plan(which, factor, &job);
        std::printf("  %7s  %-6s  ", StretchText(factor).c_str(), kToneCaseNames[which]);
        if (!span.valid) {
          std::printf("%-13s  %s  %s  %s  %s\n", "\u2014", Figure(NAN, 8, 2).c_str(),
                      Figure(NAN, 9, 2).c_str(), Figure(NAN, 10, 1).c_str(), span.note.c_str());
          std::fflush(stdout);
          continue;
        }
        if (!session->Render(job, &out, error)) return false;
        const std::size_t from = At(span.from, kRateHz), to = At(span.to, kRateHz);
        const LevelStats stats = MeasureLevel(out, from, to, kRateHz);
        std::printf("%-11s  %s  %s  %s%s%s\n", SpanText(span).c_str(),
                    Figure(stats.levelDb - referenceDb, 8, 2).c_str(),
                    Figure(stats.rippleDb, 9, 2).c_str(),
                    Figure(SpanOutOfBandDb(out, from, to, kRateHz, {kToneHz}), 10, 1).c_str(),
                    span.note.empty() ? "" : "  ", span.note.c_str());
        std::fflush(stdout);
      }
    }
    std::printf("\n");
    return true;
  }

 private:
  Session* session;
  ToneClips clips;
  double referenceDb = 0;
};

bool MakeToneClips(Session* session, ToneClips* clips, std::string* error) {
  const std::size_t frames = At(kToneClipSeconds, kRateHz);
  const std::vector<double> tone = Sine(kToneHz, kToneAmplitude, frames, kRateHz);
  // The onset clip: a burst of white noise, then the same tone.
  const std::size_t burst = At(kBurstSeconds, kRateHz);
  std::vector<double> onset = tone;
  const std::vector<double> noise = WhiteNoise(burst, 0.5, 0x0B5E7);
  std::copy(noise.begin(), noise.end(), onset.begin());
  for (std::size_t j = burst; j < frames; ++j) onset[j] = tone[j - burst];
  clips->frames = static_cast<std::int64_t>(frames);
  clips->frameCount = static_cast<int>((frames + kHopFrames - 1) / kHopFrames);
  // Frame k reads samples from (k - kLeadFrames) hops before its own.
  clips->lastBurstFrame = static_cast<int>((burst + kLeadFrames * kHopFrames - 1) / kHopFrames);
  return session->WriteClip("tone.wav", tone, &clips->tone, error) &&
         session->WriteClip("onset.wav", onset, &clips->onset, error);
}

// --- Pink noise --------------------------------------------------------------

bool RunNoise(Session* session, std::string* error) {
  // A span reads at least this much of the clip, so that even the lowest bands
  // (a few analysis bins wide) are measured over many frames.
  const double clipSeconds = 10, clipReadSeconds = 1.5, shortestSpanSeconds = 8.5;
  const std::vector<double> pink = PinkNoise(At(clipSeconds, kRateHz), 0.2, 0x5EED);
  Job job;
  if (!session->WriteClip("pink.wav", pink, &job.clip, error)) return false;
  job.clipFrames = static_cast<std::int64_t>(pink.size());

  std::printf(
      "Pink noise: RMS 0.2, mono, %g s clip; third-octave bands 100 Hz-12.5 kHz over a span "
      "from when the\n  position has passed the frames that reach before the clip, reading at "
      "least %g s of the clip\n",
      clipSeconds, clipReadSeconds);
  std::printf(
      "  shape: largest band difference from the input's over the part of the clip the span "
      "read,\n  once the mean gain is taken out\n\n");
  std::printf("  %7s  %-11s  %8s  %16s  %13s\n", "stretch", "span s", "shape dB",
              "gain re input dB", "gain re 1x dB");
  std::vector<double> out, first;
  for (double factor : {1.0, 10.0, 100.0}) {
    Span span;
    span.from = std::max(kSettleSeconds, Crossing(kLeadFrames + 1, factor));
    span.to = span.from + std::max(shortestSpanSeconds, clipReadSeconds * factor);
    job.settings = Stretched(factor);
    job.seconds = span.to;
    if (!session->Render(job, &out, error)) return false;
    const std::vector<double> bands =
        ThirdOctaveLevelsDb(out, At(span.from, kRateHz), At(span.to, kRateHz), kRateHz);
    // The frames the span played, and the clip samples they were cut from.
    const double firstFrame = span.from / factor / kHopSeconds - 1;
    const double lastFrame = span.to / factor / kHopSeconds;
    const std::size_t readFrom =
        At(std::max(0.0, (firstFrame - kLeadFrames) * kHopSeconds), kRateHz);
    const std::size_t readTo = std::min(pink.size(), At((lastFrame + 1) * kHopSeconds, kRateHz));
    const std::vector<double> input = ThirdOctaveLevelsDb(pink, readFrom, readTo, kRateHz);
    if (first.empty()) first = bands;
    const BandComparison shape = BandDeviation(input, bands);
    std::printf("  %7s  %-11s  %s  %s  %s\n", StretchText(factor).c_str(), SpanText(span).c_str(),
                Figure(shape.deviationDb, 8, 2).c_str(), Figure(shape.gainDb, 16, 2).c_str(),
                Figure(BandDeviation(first, bands).gainDb, 13, 2).c_str());
    std::fflush(stdout);
  }
  std::printf("\n");
  return true;
}

// --- Pitch and the harmonic voice ---------------------------------------------

bool RunPitch(Session* session, std::string* error) {
  const double toneHz = 1000, clipSeconds = 5, factor = 2, from = 1, to = 9;
  const std::vector<double> tone = Sine(toneHz, 0.5, At(clipSeconds, kRateHz), kRateHz);
  const double inputDb = MeasureLevel(tone, 0, tone.size(), kRateHz).levelDb;
  Job base;
  if (!session->WriteClip("pitch.wav", tone, &base.clip, error)) return false;
  base.clipFrames = static_cast<std::int64_t>(tone.size());
  base.seconds = to;

  std::printf("Pitch: %g Hz sine at amplitude 0.5, mono, %g s clip, at %gx over %.0f-%.0f s\n",
              toneHz, clipSeconds, factor, from, to);
  std::printf(
      "  outside: share of the energy beyond +/-20 Hz of the expected lines; H.Pitch1 0.5: Pitch "
      "1\n"
      "  with voice 1 on at gain 1, which sounds at (H.Pitch1 + Pitch) times the tone\n\n");
  std::printf("  %-15s  %11s  %15s  %10s  %16s\n", "setting", "expected Hz", "measured Hz",
              "outside dB", "level dB re clip");
  struct Row {
    const char* name;
    double pitch;
    bool voice;
  };
  const Row rows[] = {{"Pitch 1", 1, false},       {"Pitch 0.5", 0.5, false},
                      {"Pitch 0.75", 0.75, false}, {"Pitch 1.5", 1.5, false},
                      {"Pitch 2", 2, false},       {"H.Pitch1 0.5", 1, true}};
  std::vector<double> out;
  for (const Row& row : rows) {
    Job job = base;
    job.settings = Stretched(factor);
    job.settings.push_back({kPitch, row.pitch});
    std::vector<double> lines = {toneHz * row.pitch};
    if (row.voice) {
      // The voice sounds at the sum of its ratio and the pitch.
      const double ratio = 0.5;
      job.settings.push_back({kHEnab1, 1});
      job.settings.push_back({kHPitch1, ratio});
      job.settings.push_back({kHGain1, 1});
      lines.push_back(toneHz * (ratio + row.pitch));
    }
    if (!session->Render(job, &out, error)) return false;
    const std::size_t a = At(from, kRateHz), b = At(to, kRateHz);
    std::string expected, measured;
    for (double line : lines) {
      char text[32];
      std::snprintf(text, sizeof text, "%s%.0f", expected.empty() ? "" : "+", line);
      expected += text;
      const double hz = ToneFrequencyHz(out, a, b, kRateHz, line);
      std::snprintf(text, sizeof text, "%s%.2f", measured.empty() ? "" : "+", hz);
      measured += std::isnan(hz) ? std::string("\u2014") : std::string(text);
    }
    std::printf("  %-15s  %11s  %15s  %s  %s\n", row.name, expected.c_str(), measured.c_str(),
                Figure(SpanOutOfBandDb(out, a, b, kRateHz, lines), 10, 1).c_str(),
                Figure(MeasureLevel(out, a, b, kRateHz).levelDb - inputDb, 16, 2).c_str());
    std::fflush(stdout);
  }
  std::printf("\n");
  return true;
}

// --- Host rate change ------------------------------------------------------------

bool RunRateChange(Session* session, std::string* error) {
  const double toneHz = 1000, from = 1, to = 4;
  const int newRateHz = 48000;
  const std::vector<double> tone = Sine(toneHz, 0.5, At(5, kRateHz), kRateHz);
  Job job;
  if (!session->WriteClip("rate.wav", tone, &job.clip, error)) return false;
  job.clipFrames = static_cast<std::int64_t>(tone.size());
  job.settings = Stretched(1);
  job.seconds = to;
  job.switchRateHz = newRateHz;
  std::vector<double> out;
  if (!session->Render(job, &out, error)) return false;
  const std::size_t a = At(from, newRateHz), b = At(to, newRateHz);
  std::printf(
      "Host rate change: %g Hz sine loaded at %d Hz, device switched to %d Hz, 1x, over "
      "%.0f-%.0f s\n",
      toneHz, kRateHz, newRateHz, from, to);
  std::printf("  measured %.2f Hz (expected %.0f Hz); outside +/-20 Hz of %.0f Hz: %.1f dB\n\n",
              ToneFrequencyHz(out, a, b, newRateHz, toneHz), toneHz, toneHz,
              SpanOutOfBandDb(out, a, b, newRateHz, {toneHz}));
  std::fflush(stdout);
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  const auto started = std::chrono::steady_clock::now();
  Options options;
  std::string error;
  if (!ParseOptions(argc, argv, &options, &error)) return Error(error);
  if (options.help) {
    std::fputs(kUsage, stdout);
    return 0;
  }
  CatchInterrupts();  // the clips are removed however the check ends

  const std::string plugin =
      options.plugin.empty() ? ExecutableDirectory() + "/Dilatorix_64.so" : options.plugin;
  {
    Renderer probe;
    if (!probe.Open(plugin, kRateHz, kBlockFrames, &error)) return Error(error);
  }
  ScratchDirectory scratch("dilatorix-sound-check");
  if (scratch.Path().empty()) return Error("cannot make a scratch directory");
  Session session(plugin, &scratch);

  // A render stopped by a closed stdout reports that, not an interruption.
  auto fail = [&error]() {
    return Error(std::ferror(stdout) ? std::string("cannot write to standard output") : error);
  };
  std::printf("Sound check of %s: %d Hz host rate, %d-frame blocks, mono clips\n\n", plugin.c_str(),
              kRateHz, kBlockFrames);
  if (options.Runs("tone")) {
    ToneClips clips;
    if (!MakeToneClips(&session, &clips, &error)) return fail();
    ToneSection tone(&session, clips);
    const std::vector<double> factors = options.quick ? std::vector<double>{4, 100, 1e6}
                                                      : std::vector<double>{4, 16, 100, 1000, 1e6};
    const std::vector<ToneCase> cases =
        options.quick ? std::vector<ToneCase>{kStart, kJump}
                      : std::vector<ToneCase>{kStart, kRegion, kJump, kLoop, kTurn, kWalk, kOnset};
    if (!tone.Run(factors, cases, &error)) return fail();
  }
  if (options.Runs("noise") && !RunNoise(&session, &error)) return fail();
  if (options.Runs("pitch") && !RunPitch(&session, &error)) return fail();
  if (options.Runs("rate") && !RunRateChange(&session, &error)) return fail();
  std::printf("took %.1f s\n",
              std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count());
  if (std::fflush(stdout) != 0) return Error("cannot write to standard output");
  return 0;
}
