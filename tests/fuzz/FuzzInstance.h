// An instance of the plug-in for the fuzzers, made by its own code without an
// editor and driven through its effect record by the test host, opened and
// resumed as a host does before playing.
#pragma once

#include <cmath>
#include <memory>
#include <new>
#include <string>
#include <vector>

#include "effect/Stretch.h"
#include "host/VstHost.h"

inline AEffect* VST_CALL NewFuzzedStretch(audioMasterCallback host) {
  Stretch* plug = new (std::nothrow) Stretch(host);
  if (plug == nullptr) return nullptr;
  plug->MakeDefaultPreset();
  return plug->Effect();
}

// Null when the instance cannot be made.
inline std::unique_ptr<VstHost> StartFuzzedInstance(float rate = 44100.f, int block = 256) {
  auto host = std::make_unique<VstHost>();
  host->keepRecords = false;  // the lists would grow with every call
  std::string error;
  if (!host->Create(NewFuzzedStretch, "fuzzed", &error)) return nullptr;
  host->transport.playing = true;
  host->Dispatch(effOpen);
  host->Dispatch(effSetSampleRate, 0, 0, nullptr, rate);
  host->Dispatch(effSetBlockSize, 0, block);
  host->Dispatch(effMainsChanged, 0, 1);
  return host;
}

// Plays frames of float output; false when a sample is not finite.
inline bool PlaysFinite(VstHost& host, int frames) {
  std::vector<float> l(static_cast<std::size_t>(frames)), r(static_cast<std::size_t>(frames));
  float* outs[2] = {l.data(), r.data()};
  host.ProcessReplacing(nullptr, outs, frames);
  for (int i = 0; i < frames; ++i)
    if (!std::isfinite(l[i]) || !std::isfinite(r[i])) return false;
  return true;
}
