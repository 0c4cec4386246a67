// The product: an instrument that plays one loaded audio file time-stretched in
// step with the host's transport. Created by the entry point, driven by the host
// through the VST 2 binding; every operation runs under the plug-in lock. It owns
// its parameter table's handler entries and the path of the loaded file.
#pragma once

#include <string>

#include "effect/StretchParamSpecs.h"
#include "vst/IEffectVst.h"

class Stretch : public IEffectVst {
 public:
  explicit Stretch(audioMasterCallback host);

  void ParamChanged(int index) override;
  bool SaveState(StateChunk& chunk) override;
  int LoadState(const StateChunk& chunk, int start) override;

  const std::string& LoadedPath() const { return loadedPath; }

  // Set while a state is being loaded, so that handlers running inside the load
  // do not act on the editor; the processing loop clears it.
  bool stateJustLoaded = false;

 private:
  void InitParamsFromSpecs();

  const StretchParamSpec* handlers[kStretchParamCount] = {};
  std::string loadedPath;
};
