// Renders a clip offline through one Dilatorix instance, loaded from its module
// (or made by an entry linked into the program) and driven only through VST 2
// as a host would: open, sample rate, block size, resume, then a state chunk
// carrying the parameter values and the clip's path.
// The plug-in analyses the clip during its first processing calls, which run
// with the transport stopped; rendering then runs with the transport playing.
// A render may come in parts, with parameter changes between them sent through
// the host's parameter entry as automation would; the transport position runs
// on across the parts. One thread; every step reports failure as false with a
// one-line reason.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "host/VstHost.h"

class WavWriter;

class Renderer {
 public:
  static constexpr int kChunkValueCount = 51;
  static constexpr int kAnalysisFramesPerCall = 2048;
  static constexpr int kSpareAnalysisCalls = 2;

  // Called with the fraction done; false stops the work.
  using Progress = std::function<bool(double fraction)>;
  // Takes frames output samples of both channels; false stops the render.
  using Sink = std::function<bool(const double* const* channels, int frames)>;

  Renderer() { host.keepRecords = false; }
  Renderer(const Renderer&) = delete;
  Renderer& operator=(const Renderer&) = delete;
  ~Renderer() { Close(); }

  // Loads the module, checks that it is Dilatorix, and prepares it to process.
  bool Open(const std::string& pluginPath, int sampleRate, int blockSize, std::string* error);
  // The same with the instance made by entry in this process; name stands for
  // it in error messages.
  bool Open(VstHost::EntryProc entry, const std::string& name, int sampleRate, int blockSize,
            std::string* error);
  // The instance, or null before Open.
  AEffect* Effect() const { return host.Effect(); }
  // The instance's parameter values in real units, index order, as it saved them.
  const std::vector<double>& Values() const { return values; }
  // Hands over values and the clip (an absolute path); false when the plug-in
  // did not take the file.
  bool LoadClip(const std::string& path, const std::vector<double>& newValues, std::string* error);
  // The silent calls in which the plug-in analyses a clip of clipFrames frames
  // (at the host rate).
  bool Analyse(std::int64_t clipFrames, const Progress& progress, std::string* error);
  // Plays frames more frames of output into writer or sink.
  bool Render(std::uint64_t frames, WavWriter* writer, const Progress& progress,
              std::string* error);
  bool Render(std::uint64_t frames, const Sink& sink, const Progress& progress, std::string* error);
  // Sets a parameter in real units through the host's parameter entry (as a
  // normalised value, like automation); Values() then reads it back.
  bool SetParameter(int index, double value, std::string* error);
  // What a host does when its device changes rate: suspend, the new rate,
  // resume. The clip and the values stay as they are.
  bool SetSampleRate(int sampleRate, std::string* error);
  void Close();

 private:
  // Checks the new instance is Dilatorix and prepares it to process.
  bool Prepare(const std::string& name, int sampleRate, int blockSize, std::string* error);
  // One processing call of frames frames into outputs.
  void Process(int frames);

  VstHost host;
  int blockSize = 0;
  bool doubles = false;
  bool open = false;
  std::vector<double> values;
  std::vector<double> inputs[2], outputs[2];
  std::vector<float> floatInputs[2], floatOutputs[2];
};
