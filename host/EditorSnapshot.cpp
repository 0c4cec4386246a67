#include "host/EditorSnapshot.h"

#include <cmath>

#include "gui/HeadlessCanvas.h"
#include "module/StretchAssembly.h"
#include "vst/IEffectVst.h"

bool EditorSnapshot::Open(int rate, int frames, std::string* error) {
  canvas = nullptr;
  processed = ticks = 0;
  if (!renderer.Open(NewHeadlessStretchEffect, "the built-in Dilatorix", rate, frames, error)) return false;
  canvas = dynamic_cast<HeadlessCanvas*>(IEffectVst::FromEffect(renderer.Effect())->Editor());
  if (canvas == nullptr) {
    *error = "the instance has no headless editor";
    return false;
  }
  sampleRate = rate;
  blockSize = frames;
  canvas->Tick();
  return true;
}

bool EditorSnapshot::Play(const std::string& clipPath, std::int64_t clipFrames,
                          const std::vector<ParamAssignment>& assignments, double seconds,
                          std::string* error, bool (*stopped)()) {
  if (canvas == nullptr) {
    *error = "no instance is open";
    return false;
  }
  std::vector<double> values = renderer.Values();
  for (const ParamAssignment& set : assignments) values[set.index] = set.value;
  if (!renderer.LoadClip(clipPath, values, error)) return false;
  const Renderer::Progress goOn = [stopped](double) { return stopped == nullptr || !stopped(); };
  const Renderer::Progress analysing = [this, &goOn](double done) {
    Advance(blockSize);
    return goOn(done);
  };
  if (!renderer.Analyse(clipFrames, analysing, error)) return false;
  const Renderer::Sink playing = [this](const double* const*, int frames) {
    Advance(frames);
    return true;
  };
  const double frames = std::round(seconds * sampleRate);
  if (!renderer.Render(static_cast<std::uint64_t>(frames), playing, goOn, error)) return false;
  canvas->Tick();
  return true;
}

void EditorSnapshot::Advance(int frames) {
  processed += frames;
  const std::int64_t due = processed * canvas->FramesPerSecond() / sampleRate;
  for (; ticks < due; ++ticks) canvas->Tick();
}
