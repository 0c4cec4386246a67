#include "module/StretchAssembly.h"

#include <memory>
#include <new>

#include "editor/StretchEditor.h"
#if defined(_WIN32)
#include "gui/ICanvasWin.h"
#else
#include "gui/HeadlessCanvas.h"
#include "gui/ICanvasX11.h"
#endif

namespace {

template <class Canvas>
void AttachEditorOn(Stretch* plug) {
  auto canvas = std::make_unique<Canvas>(plug, StretchEditor::kWidth, StretchEditor::kHeight);
  StretchEditor::Build(*canvas, *plug);
  plug->AttachEditor(std::move(canvas));
}

AEffect* Published(Stretch* plug) {
  if (plug == nullptr) return nullptr;
  plug->MakeDefaultPreset();
  AEffect* effect = plug->Effect();
  if (effect->numPrograms < 1) effect->numPrograms = 1;
  return effect;
}

}  // namespace

#if defined(_WIN32)

AEffect* VST_CALL NewStretchEffect(audioMasterCallback host) {
  Stretch* plug = new (std::nothrow) Stretch(host);
  if (plug != nullptr) AttachEditorOn<ICanvasWin>(plug);
  return Published(plug);
}

#else

Stretch* NewStretchWithEditor(audioMasterCallback host, EditorWindows windows) {
  Stretch* plug = new (std::nothrow) Stretch(host);
  if (plug == nullptr) return nullptr;
  if (windows == EditorWindows::kX11)
    AttachEditorOn<ICanvasX11>(plug);
  else
    AttachEditorOn<HeadlessCanvas>(plug);
  return plug;
}

AEffect* VST_CALL NewStretchEffect(audioMasterCallback host) {
  return Published(NewStretchWithEditor(host, EditorWindows::kX11));
}

AEffect* VST_CALL NewHeadlessStretchEffect(audioMasterCallback host) {
  return Published(NewStretchWithEditor(host, EditorWindows::kHeadless));
}

#endif
