// The renderer's command line, and the snapshot tool's, which shares its
// parameter options: reads the arguments into settings and the list of
// parameter values to hand the plug-in. Convenience options (--stretch, --blur,
// ...) become parameter values first; every --param comes after them, so it wins.
// Reading stops at the first bad argument with a one-line reason; nothing here
// touches files or the plug-in.
#pragma once

#include <string>
#include <vector>

// The plug-in module the tools load by default, from beside themselves: on
// Windows the DLL of their own word size.
#if defined(_WIN64)
#define DILATORIX_DEFAULT_MODULE "Dilatorix_64.dll"
#elif defined(_WIN32)
#define DILATORIX_DEFAULT_MODULE "Dilatorix_32.dll"
#else
#define DILATORIX_DEFAULT_MODULE "Dilatorix_64.so"
#endif

struct ParamAssignment {
  int index;
  double value;  // real units, already checked against the range
};

struct RenderOptions {
  enum class Report { kAuto, kProgress, kQuiet };

  std::string input;   // empty: the bundled demo clip
  std::string output;  // empty: derived from the input, in the current directory
  std::string plugin;  // empty: the module next to the executable
  int sampleRate = 44100;
  int blockSize = 512;
  int bits = 32;         // 32: float, 24: integer PCM
  double duration = -1;  // seconds played; negative: the stretched region
  Report report = Report::kAuto;
  bool help = false;
  bool version = false;
  bool listParams = false;
  std::vector<ParamAssignment> convenience;
  std::vector<ParamAssignment> params;

  // Both lists in the order they apply.
  std::vector<ParamAssignment> Assignments() const;
};

bool ParseRenderOptions(int argc, const char* const* argv, RenderOptions* options,
                        std::string* error);
// The snapshot tool's command line: the same parameter options, --rate and
// --block, and --seconds (how long it plays before drawing; kept in duration,
// 3 unless given) in place of the renderer's output options.
bool ParseSnapshotOptions(int argc, const char* const* argv, RenderOptions* options,
                          std::string* error);

// Rate parameters for a stretch factor: RateNom and RateXtrm, plus RateSame on.
bool StretchAssignments(double factor, std::vector<ParamAssignment>* out, std::string* error);
// The factor a RateNom and RateXtrm pair plays at.
double StretchFactor(double rateNom, bool extreme);

extern const char kRenderUsage[];
extern const char kSnapshotUsage[];

// Answers --help (with usage), --version (as "tool version") or --list-params
// on stdout; true when one of them was asked, and the tool ends there.
bool AnswerInfoOptions(const RenderOptions& options, const char* tool, const char* version,
                       const char* usage);
