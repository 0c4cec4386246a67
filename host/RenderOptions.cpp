#include "host/RenderOptions.h"

#include <strings.h>

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "host/ParamText.h"

// The parameter options and host settings both tools take.
// clang-format off
#define DILATORIX_PARAM_OPTIONS_USAGE                                                   \
  "  --stretch F             play F times slower, 1..1e9 (whole clip at that factor)\n" \
  "  --blur MS               spectral blur in ms, 0..1000 (nominal and transient)\n"    \
  "  --pitch R               pitch ratio, 0.5..2\n"                                     \
  "  --direction D           fwd, rev, fwd-rev or random\n"                             \
  "  --region START END      play the region between these fractions of the clip\n"     \
  "  --contour V             transient contour, 0..1\n"                                 \
  "  --voice RATIO GAIN      add a harmonic voice: pitch ratio 0.25..2, gain 0..1\n"    \
  "  --param NAME=VALUE      set any parameter (see --list-params); applied last\n"

#define DILATORIX_HOST_OPTIONS_USAGE                                                    \
  "  --rate HZ               host sample rate (default 44100)\n"                        \
  "  --block FRAMES          frames per processing call, 1..1048576 (default 512)\n"

const char kRenderUsage[] =
    "usage: dilatorix-render [OPTIONS] [INPUT] [-o OUTPUT]\n"
    "Renders INPUT (WAVE or AIFF; default: the bundled demo phrase) through the\n"
    "Dilatorix plug-in into a stereo WAVE file.\n"
    "\n"
    "  -o, --output PATH       output file (default: INPUT's name + -stretched.wav, here)\n"
    DILATORIX_PARAM_OPTIONS_USAGE
    "  --duration SECONDS      output length (default: the stretched region, at most 1 h)\n"
    DILATORIX_HOST_OPTIONS_USAGE
    "  --bits 32|24            32-bit float (default) or 24-bit integer samples\n"
    "  --plugin PATH           plug-in module (default: " DILATORIX_DEFAULT_MODULE " beside this tool)\n"
    "  --list-params           list the parameters with their ranges and defaults\n"
    "  --progress, --quiet     force the progress display and summary on or off\n"
    "  --help, --version\n";

const char kSnapshotUsage[] =
    "usage: dilatorix-snapshot [OPTIONS] [INPUT] [-o FILE.png]\n"
    "Draws the Dilatorix editor into a PNG file as a host shows it once INPUT (WAVE\n"
    "or AIFF; default: the bundled demo phrase) is loaded, analysed and played.\n"
    "\n"
    "  -o, --output PATH       picture file (default: INPUT's name + -editor.png, here)\n"
    "  --seconds S             seconds played before the picture, 0..3600 (default 3)\n"
    DILATORIX_PARAM_OPTIONS_USAGE
    DILATORIX_HOST_OPTIONS_USAGE
    "  --list-params           list the parameters with their ranges and defaults\n"
    "  --help, --version\n";
// clang-format on

#undef DILATORIX_PARAM_OPTIONS_USAGE
#undef DILATORIX_HOST_OPTIONS_USAGE

namespace {

constexpr double kMaxStretch = 1e9;
constexpr double kSnapshotSeconds = 3;
constexpr double kMaxSnapshotSeconds = 3600;

// One option's name and its optional "=value" part.
struct Argument {
  std::string name;
  std::string inlineValue;
  bool hasInline = false;
};

class ArgumentReader {
 public:
  ArgumentReader(int argc, const char* const* argv, std::string* error)
      : argc(argc), argv(argv), error(error) {}

  bool Value(const Argument& option, std::string* value) {
    if (option.hasInline) {
      *value = option.inlineValue;
      return true;
    }
    if (next >= argc) return Fail(option.name + " needs a value");
    *value = argv[next++];
    return true;
  }

  bool Number(const Argument& option, double* value) {
    std::string text;
    if (!Value(option, &text)) return false;
    if (!ParseNumber(text, value)) return Fail(option.name + " needs a number, not '" + text + "'");
    return true;
  }

  // Options of two values take them as separate arguments.
  bool TwoNumbers(const Argument& option, double* first, double* second) {
    if (option.hasInline) return Fail(option.name + " takes two values: " + option.name + " A B");
    if (next + 1 >= argc) return Fail(option.name + " needs two values");
    const std::string a = argv[next++], b = argv[next++];
    if (!ParseNumber(a, first) || !ParseNumber(b, second))
      return Fail(option.name + " needs two numbers, not '" + a + "' '" + b + "'");
    return true;
  }

  bool Integer(const Argument& option, long long low, long long high, long long* value) {
    std::string text;
    if (!Value(option, &text)) return false;
    if (!ParseInteger(text, value))
      return Fail(option.name + " needs a whole number, not '" + text + "'");
    if (*value < low || *value > high)
      return Fail(option.name + " must be within " + std::to_string(low) + ".." +
                  std::to_string(high) + ", not " + text);
    return true;
  }

  bool Fail(const std::string& message) {
    *error = message;
    return false;
  }

  int argc;
  const char* const* argv;
  std::string* error;
  int next = 1;
};

// Adds a checked value of the parameter at index; 'what' names the option.
bool Assign(int index, double value, const std::string& what, std::vector<ParamAssignment>* out,
            std::string* error) {
  const StretchParamSpec* record = StretchParamAt(index);
  if (record == nullptr || !CheckParamValue(*record, value, what, error)) return false;
  out->push_back({index, value});
  return true;
}

bool ParseParam(const std::string& text, std::vector<ParamAssignment>* out, std::string* error) {
  const std::size_t equals = text.find('=');
  if (equals == std::string::npos) {
    *error = "--param needs NAME=VALUE, not '" + text + "'";
    return false;
  }
  const std::string name = text.substr(0, equals);
  const StretchParamSpec* record = FindStretchParam(name);
  if (record == nullptr) {
    *error = "no parameter named '" + name + "' (see --list-params)";
    return false;
  }
  double value = 0;
  if (!ParseParamValue(*record, text.substr(equals + 1), &value, error)) return false;
  out->push_back({record->index, value});
  return true;
}

bool ParseDirection(const std::string& text, std::vector<ParamAssignment>* out,
                    std::string* error) {
  static const char* const names[] = {"fwd", "rev", "fwd-rev", "random"};
  for (int i = 0; i < 4; ++i) {
    if (strcasecmp(text.c_str(), names[i]) == 0) {
      out->push_back({kDir, static_cast<double>(i)});
      return true;
    }
  }
  *error = "--direction is fwd, rev, fwd-rev or random, not '" + text + "'";
  return false;
}

}  // namespace

std::vector<ParamAssignment> RenderOptions::Assignments() const {
  std::vector<ParamAssignment> all = convenience;
  all.insert(all.end(), params.begin(), params.end());
  return all;
}

double StretchFactor(double rateNom, bool extreme) {
  return std::pow(10.0, (extreme ? 9.0 : 3.0) * rateNom);
}

bool StretchAssignments(double factor, std::vector<ParamAssignment>* out, std::string* error) {
  if (!(factor >= 1 && factor <= kMaxStretch)) {
    char text[64];
    std::snprintf(text, sizeof text, "--stretch must be within 1..1e9, not %g", factor);
    *error = text;
    return false;
  }
  const bool extreme = factor > 1000;
  const double nominal = std::log10(factor) / (extreme ? 9.0 : 3.0);
  out->push_back({kRateXtrm, extreme ? 1.0 : 0.0});
  out->push_back({kRateNom, std::min(1.0, nominal)});
  out->push_back({kRateSame, 1.0});
  return true;
}

namespace {

// The renderer's options, or the snapshot's: the same parameter options and
// host settings, --seconds for --duration and no output format or reporting.
bool ParseOptions(int argc, const char* const* argv, bool snapshot, RenderOptions* options,
                  std::string* error) {
  ArgumentReader reader(argc, argv, error);
  std::vector<ParamAssignment>& set = options->convenience;
  bool positionalOnly = false;
  bool haveInput = false;
  while (reader.next < argc) {
    const std::string text = argv[reader.next++];
    Argument option;
    const bool isOption = !positionalOnly && text.size() > 1 && text[0] == '-';
    if (!isOption) {
      if (haveInput) return reader.Fail("one input file at a time ('" + text + "' is a second)");
      options->input = text;
      haveInput = true;
      continue;
    }
    if (text == "--") {
      positionalOnly = true;
      continue;
    }
    option.name = text;
    const std::size_t equals = text.find('=');
    if (text.compare(0, 2, "--") == 0 && equals != std::string::npos) {
      option.name = text.substr(0, equals);
      option.inlineValue = text.substr(equals + 1);
      option.hasInline = true;
    }
    const std::string& name = option.name;
    auto flag = [&](bool* target) {
      if (option.hasInline) return reader.Fail(name + " takes no value");
      *target = true;
      return true;
    };
    double number = 0, second = 0;
    long long integer = 0;
    std::string value;
    bool ok = true;
    if (name == "-o" || name == "--output") {
      ok = reader.Value(option, &options->output);
      if (ok && options->output.empty()) ok = reader.Fail(name + " needs a file name");
    } else if (name == "--stretch") {
      ok = reader.Number(option, &number) && StretchAssignments(number, &set, error);
    } else if (name == "--blur") {
      ok = reader.Number(option, &number) && Assign(kBlurNom, number, name, &set, error) &&
           Assign(kBlurTran, number, name, &set, error);
    } else if (name == "--pitch") {
      ok = reader.Number(option, &number) && Assign(kPitch, number, name, &set, error);
    } else if (name == "--direction") {
      ok = reader.Value(option, &value) && ParseDirection(value, &set, error);
    } else if (name == "--region") {
      ok = reader.TwoNumbers(option, &number, &second) &&
           Assign(kRegStart, number, name, &set, error) &&
           Assign(kRegEnd, second, name, &set, error);
      if (ok && second <= number) ok = reader.Fail("--region needs START below END");
    } else if (name == "--contour") {
      ok = reader.Number(option, &number) && Assign(kTrScale, number, name, &set, error);
    } else if (name == "--voice") {
      ok = reader.TwoNumbers(option, &number, &second) &&
           Assign(kHPitch1, number, "--voice ratio", &set, error) &&
           Assign(kHGain1, second, "--voice gain", &set, error) &&
           Assign(kHEnab1, 1, name, &set, error);
    } else if (name == "--param") {
      ok = reader.Value(option, &value) && ParseParam(value, &options->params, error);
    } else if (name == "--duration" && !snapshot) {
      ok = reader.Number(option, &number);
      if (ok && !(number > 0)) ok = reader.Fail("--duration must be above 0 seconds");
      options->duration = number;
    } else if (name == "--seconds" && snapshot) {
      ok = reader.Number(option, &number);
      if (ok && !(number >= 0 && number <= kMaxSnapshotSeconds)) {
        char text[64];
        std::snprintf(text, sizeof text, "--seconds must be within 0..%g, not %g",
                      kMaxSnapshotSeconds, number);
        ok = reader.Fail(text);
      }
      options->duration = number;
    } else if (name == "--rate") {
      ok = reader.Integer(option, 1000, 768000, &integer);
      options->sampleRate = static_cast<int>(integer);
    } else if (name == "--block") {
      ok = reader.Integer(option, 1, 1048576, &integer);
      options->blockSize = static_cast<int>(integer);
    } else if (name == "--bits" && !snapshot) {
      ok = reader.Value(option, &value);
      if (ok && value != "24" && value != "32")
        ok = reader.Fail("--bits is 32 or 24, not '" + value + "'");
      if (ok) options->bits = value == "24" ? 24 : 32;
    } else if (name == "--plugin" && !snapshot) {
      ok = reader.Value(option, &options->plugin);
    } else if (name == "--progress" && !snapshot) {
      bool on = false;
      ok = flag(&on);
      options->report = RenderOptions::Report::kProgress;
    } else if (name == "--quiet" && !snapshot) {
      bool on = false;
      ok = flag(&on);
      options->report = RenderOptions::Report::kQuiet;
    } else if (name == "--list-params") {
      ok = flag(&options->listParams);
    } else if (name == "-h" || name == "--help") {
      ok = flag(&options->help);
    } else if (name == "--version") {
      ok = flag(&options->version);
    } else {
      ok = reader.Fail("unknown option " + name + " (see --help)");
    }
    if (!ok) return false;
  }
  return true;
}

}  // namespace

bool ParseRenderOptions(int argc, const char* const* argv, RenderOptions* options,
                        std::string* error) {
  return ParseOptions(argc, argv, false, options, error);
}

bool ParseSnapshotOptions(int argc, const char* const* argv, RenderOptions* options,
                          std::string* error) {
  options->duration = kSnapshotSeconds;
  return ParseOptions(argc, argv, true, options, error);
}

bool AnswerInfoOptions(const RenderOptions& options, const char* tool, const char* version,
                       const char* usage) {
  if (options.help)
    std::fputs(usage, stdout);
  else if (options.version)
    std::printf("%s %s\n", tool, version);
  else if (options.listParams)
    PrintParamList(stdout);
  return options.help || options.version || options.listParams;
}
