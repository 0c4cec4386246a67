#include "module/StretchAssembly.h"

#include <memory>
#include <new>

#include "editor/StretchEditor.h"
#include "gui/HeadlessCanvas.h"

Stretch* NewStretchWithEditor(audioMasterCallback host) {
  Stretch* plug = new (std::nothrow) Stretch(host);
  if (plug == nullptr) return nullptr;
  auto canvas =
      std::make_unique<HeadlessCanvas>(plug, StretchEditor::kWidth, StretchEditor::kHeight);
  StretchEditor::Build(*canvas, *plug);
  plug->AttachEditor(std::move(canvas));
  return plug;
}

AEffect* VST_CALL NewStretchEffect(audioMasterCallback host) {
  Stretch* plug = NewStretchWithEditor(host);
  if (plug == nullptr) return nullptr;
  plug->MakeDefaultPreset();
  AEffect* effect = plug->Effect();
  if (effect->numPrograms < 1) effect->numPrograms = 1;
  return effect;
}
