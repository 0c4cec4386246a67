#include "module/StretchAssembly.h"

#include <memory>
#include <new>

#if !defined(_WIN32)
#include "editor/StretchEditor.h"
#include "gui/HeadlessCanvas.h"
#include "gui/ICanvasX11.h"
#endif

namespace {

#if !defined(_WIN32)
template <class Canvas>
void AttachEditorOn(Stretch* plug) {
  auto canvas = std::make_unique<Canvas>(plug, StretchEditor::kWidth, StretchEditor::kHeight);
  StretchEditor::Build(*canvas, *plug);
  plug->AttachEditor(std::move(canvas));
}
#endif

AEffect* Published(Stretch* plug) {
  if (plug == nullptr) return nullptr;
  plug->MakeDefaultPreset();
  AEffect* effect = plug->Effect();
  if (effect->numPrograms < 1) effect->numPrograms = 1;
  return effect;
}

}  // namespace

#if defined(_WIN32)

// The Windows modules have no window host yet: their instances go out without
// an editor of their own, and hosts show their generic controls.
AEffect* VST_CALL NewStretchEffect(audioMasterCallback host) {
  return Published(new (std::nothrow) Stretch(host));
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
