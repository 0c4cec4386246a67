// dilatorix-make-demo: synthesises the bundled demo phrase, a short plucked
// melody over a bass line, into a stereo 44.1 kHz WAVE file. Everything is
// computed here and the result is the same on every run. A longer --seconds
// repeats the phrase (every other pass an octave up) for benchmarking clips.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "host/OutputFile.h"
#include "host/WavWriter.h"

namespace {

constexpr int kRate = 44100;
constexpr double kPi = 3.14159265358979323846;
constexpr double kBeat = 0.625;  // seconds: 96 beats per minute
constexpr double kPhraseBeats = 8;

struct Note {
  double beat;
  int midi;
  double beats;  // held for
  double velocity;
};

// A minor, eighth notes rising and falling, then a held ending.
const Note kMelody[] = {
    {0.0, 69, 0.5, 0.9}, {0.5, 72, 0.5, 0.7}, {1.0, 76, 0.5, 0.8}, {1.5, 79, 0.5, 0.7},
    {2.0, 81, 1.0, 1.0}, {3.0, 79, 0.5, 0.7}, {3.5, 76, 0.5, 0.7}, {4.0, 74, 1.0, 0.9},
    {5.0, 72, 0.5, 0.7}, {5.5, 74, 0.5, 0.7}, {6.0, 76, 0.5, 0.8}, {6.5, 72, 0.5, 0.7},
    {7.0, 69, 1.0, 0.9},
};
const Note kBass[] = {
    {0.0, 45, 2.0, 0.8}, {2.0, 41, 2.0, 0.8}, {4.0, 43, 2.0, 0.8}, {6.0, 45, 2.0, 0.8},
};

// Deterministic noise for the pick's click.
class Lcg {
 public:
  double Next() {
    state = state * 6364136223846793005ull + 1442695040888963407ull;
    return static_cast<double>(state >> 11) / 9007199254740992.0 * 2.0 - 1.0;
  }

 private:
  std::uint64_t state = 0x5EED;
};

// Adds one plucked string: decaying harmonics, upper ones dying faster, with a
// short filtered noise burst at the attack.
void Pluck(std::vector<double>& left, std::vector<double>& right, double start, int midi,
           double held, double velocity, Lcg& noise) {
  const double f0 = 440.0 * std::pow(2.0, (midi - 69) / 12.0);
  const double pan = 0.5 + 0.35 * std::sin(midi * 0.9);  // 0 left, 1 right
  const double gainL = std::cos(pan * kPi / 2) * velocity;
  const double gainR = std::sin(pan * kPi / 2) * velocity;
  const double body = midi < 55 ? 1.6 : 0.9;  // decay of the fundamental, s
  const double release = 0.12;
  const double tail = held + 6 * release;
  const std::size_t first = static_cast<std::size_t>(start * kRate);
  const std::size_t count = static_cast<std::size_t>(tail * kRate);
  double lowpass = 0;
  for (std::size_t i = 0; i < count && first + i < left.size(); ++i) {
    const double t = static_cast<double>(i) / kRate;
    const double attack = t < 0.003 ? t / 0.003 : 1.0;
    const double damp = t > held ? std::exp(-(t - held) / release) : 1.0;
    double v = 0;
    for (int h = 1; h <= 12; ++h) {
      const double f = f0 * h * std::sqrt(1 + 0.00012 * h * h);
      if (f > 16000) break;
      const double decay = body / (1 + 0.7 * (h - 1));
      v += std::sin(2 * kPi * f * t) * std::exp(-t / decay) / std::pow(h, 1.3);
    }
    if (t < 0.006) {
      lowpass += 0.35 * (noise.Next() - lowpass);
      v += 0.6 * lowpass * (1 - t / 0.006);
    }
    v *= attack * damp;
    left[first + i] += gainL * v;
    right[first + i] += gainR * v;
  }
}

bool Render(const std::string& path, double seconds, int bits, std::string* error) {
  const std::size_t frames = static_cast<std::size_t>(std::llround(seconds * kRate));
  std::vector<double> left(frames, 0.0), right(frames, 0.0);
  Lcg noise;
  const double phrase = kPhraseBeats * kBeat;
  for (int pass = 0; pass * phrase < seconds; ++pass) {
    const int octave = pass % 2 == 1 ? 12 : 0;
    const double offset = pass * phrase;
    for (const Note& n : kMelody)
      Pluck(left, right, offset + n.beat * kBeat, n.midi + octave, n.beats * kBeat, n.velocity,
            noise);
    for (const Note& n : kBass)
      Pluck(left, right, offset + n.beat * kBeat, n.midi, n.beats * kBeat, n.velocity, noise);
  }
  // Peak at -3 dBFS, and a short fade so a cut note does not click.
  double peak = 1e-9;
  for (std::size_t i = 0; i < frames; ++i)
    peak = std::fmax(peak, std::fmax(std::fabs(left[i]), std::fabs(right[i])));
  const double scale = 0.708 / peak;
  const std::size_t fade = std::min<std::size_t>(frames, kRate / 20);
  for (std::size_t i = 0; i < frames; ++i) {
    const double g = i + fade >= frames ? static_cast<double>(frames - i) / fade : 1.0;
    left[i] *= scale * g;
    right[i] *= scale * g;
  }

  OutputFile output;
  if (!output.Open(path, error)) return false;
  WavWriter writer;
  const double* channels[2] = {left.data(), right.data()};
  const bool written =
      writer.Begin(output.Stream(), 2, kRate,
                   bits == 24 ? WavWriter::Encoding::kPcm24 : WavWriter::Encoding::kFloat32,
                   frames) &&
      writer.WriteFrames(channels, static_cast<int>(frames)) && writer.Finish();
  if (!written) {
    *error = "cannot write " + path;
    return false;
  }
  return output.Commit(error);
}

int Usage() {
  std::fprintf(stderr, "usage: dilatorix-make-demo [--seconds S] [--bits 24|32] OUTPUT.wav\n");
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  double seconds = kPhraseBeats * kBeat;
  int bits = 24;
  std::string path;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--seconds" && i + 1 < argc) {
      char* end = nullptr;
      seconds = std::strtod(argv[++i], &end);
      if (*end != '\0' || !(seconds > 0 && seconds <= 3600)) return Usage();
    } else if (arg == "--bits" && i + 1 < argc) {
      const std::string value = argv[++i];
      if (value != "24" && value != "32") return Usage();
      bits = std::atoi(value.c_str());
    } else if (path.empty() && !arg.empty() && arg[0] != '-') {
      path = arg;
    } else {
      return Usage();
    }
  }
  if (path.empty()) return Usage();
  std::string error;
  if (!Render(path, seconds, bits, &error)) {
    std::fprintf(stderr, "dilatorix-make-demo: %s\n", error.c_str());
    return 1;
  }
  return 0;
}
