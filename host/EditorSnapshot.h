// The product's editor as a host shows it, for pictures and tests. A module
// loaded through its entry hands out no way to an editor without a window, so
// the instance is made in this process by the module's own entry code, linked
// in; the renderer then drives it through its effect record exactly as it
// drives the module (rate, block size, resume, a state chunk with the values
// and the clip's path, analysis calls with the transport stopped, playing
// calls). The headless window host's timer ticks once per 1/24 s of processed
// audio, as it would in real time, and once more at the end. The clip, the
// block size and the values fix what is drawn: the same input draws the same
// picture. One thread; failures come back as false with a one-line reason.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "host/RenderOptions.h"
#include "host/Renderer.h"

class HeadlessCanvas;

class EditorSnapshot {
 public:
  // Makes and opens the instance, and draws the editor's first tick.
  bool Open(int sampleRate, int blockSize, std::string* error);
  // Hands over clipPath (absolute) with the instance's values changed by
  // assignments, analyses its clipFrames frames (at the host rate), then plays
  // seconds of output. When given, stopped is asked after every processing
  // call; true ends the work as a failure ("interrupted").
  bool Play(const std::string& clipPath, std::int64_t clipFrames,
            const std::vector<ParamAssignment>& assignments, double seconds, std::string* error,
            bool (*stopped)() = nullptr);
  // The editor's canvas; valid after a successful Open.
  HeadlessCanvas& Canvas() const { return *canvas; }

 private:
  // Counts frames processed and ticks the timer at each period they complete.
  void Advance(int frames);

  Renderer renderer;
  HeadlessCanvas* canvas = nullptr;
  int sampleRate = 0;
  int blockSize = 0;
  std::int64_t processed = 0;
  std::int64_t ticks = 0;
};
