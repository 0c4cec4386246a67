#include "effect/Stretch.h"

#include <cstring>

Stretch::Stretch(audioMasterCallback host)
    : IEffectVst(host, kStretchDeclaredParams, "1-1 2-2", 6, "Dilatorix", "", "Brightloom",
                 0x00010000, FourCharCode('Z', 'q', 'm', 'w'), FourCharCode('K', 'p', 'y', 'h'),
                 0, false, true, true) {
  while (ParamCount() < kStretchParamCount) AppendParam();
  InitParamsFromSpecs();
}

void Stretch::InitParamsFromSpecs() {
  for (const StretchParamSpec& spec : StretchParamSpecs) {
    IEffectParam& param = *Param(spec.index);
    switch (spec.kind) {
      case StretchParamSpec::kDouble:
        param.InitDouble(spec.name, spec.defaultValue, spec.min, spec.max, spec.step, "");
        break;
      case StretchParamSpec::kInt:
        param.InitInt(spec.name, static_cast<int>(spec.defaultValue), static_cast<int>(spec.min),
                      static_cast<int>(spec.max), "");
        break;
      case StretchParamSpec::kEnum:
        param.InitEnum(spec.name, spec.initialChoice, spec.choiceCount);
        for (int i = 0; i < spec.choiceCount; ++i) param.SetDisplayText(i, spec.choiceTexts[i]);
        break;
      case StretchParamSpec::kBool:
        param.InitBool(spec.name, spec.initialChoice != 0);
        break;
    }
    handlers[spec.index] = &spec;
  }
}

void Stretch::ParamChanged(int index) {
  EffectLock guard(Lock());
  if (index < 0 || index >= kStretchParamCount) return;
  const StretchParamSpec* spec = handlers[index];
  if (spec == nullptr || spec->changeHandler == nullptr) return;
  (this->*(spec->changeHandler))(*spec, Param(index)->Value());
}

bool Stretch::SaveState(StateChunk& chunk) {
  EffectLock guard(Lock());
  const bool values = SerializeParams(chunk, true);
  return chunk.AppendText(loadedPath) > 0 && values;
}

int Stretch::LoadState(const StateChunk& chunk, int start) {
  EffectLock guard(Lock());
  stateJustLoaded = true;
  const int position = UnserializeParams(chunk, start, true);
  std::string path;
  int result = -1;
  if (position >= 0 && chunk.Size() - position >= 4) result = chunk.ReadText(position, &path);
  // No file loader yet: the path is kept so that the next save returns it. An
  // empty path keeps what is loaded.
  if (!path.empty()) loadedPath = path;
  return result;
}
