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
  for (const StretchParamSpec& record : StretchParamSpecs) {
    IEffectParam& param = *Param(record.index);
    switch (record.kind) {
      case StretchParamSpec::kDouble:
        param.InitDouble(record.name, record.defaultValue, record.min, record.max, record.step, "");
        break;
      case StretchParamSpec::kInt:
        param.InitInt(record.name, static_cast<int>(record.defaultValue), static_cast<int>(record.min),
                      static_cast<int>(record.max), "");
        break;
      case StretchParamSpec::kEnum:
        param.InitEnum(record.name, record.initialChoice, record.choiceCount);
        for (int i = 0; i < record.choiceCount; ++i) param.SetDisplayText(i, record.choiceTexts[i]);
        break;
      case StretchParamSpec::kBool:
        param.InitBool(record.name, record.initialChoice != 0);
        break;
    }
    handlers[record.index] = &record;
  }
}

void Stretch::ParamChanged(int index) {
  EffectLock guard(Lock());
  if (index < 0 || index >= kStretchParamCount) return;
  const StretchParamSpec* record = handlers[index];
  if (record == nullptr || record->changeHandler == nullptr) return;
  (this->*(record->changeHandler))(*record, Param(index)->Value());
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
