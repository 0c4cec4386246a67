#include "tests/host/HeadlessEditorPicture.h"

#include <memory>
#include <string>

#include "editor/StretchEditor.h"
#include "gui/HeadlessCanvas.h"
#include "host/VstHost.h"
#include "module/StretchAssembly.h"
#include "vst/IEffectVst.h"

namespace {

// Everything but the text.
class TextlessCanvas : public HeadlessCanvas {
 public:
  using HeadlessCanvas::HeadlessCanvas;
  bool DrawText(const TextStyle&, const char*, const PixelRect&) override { return true; }
};

AEffect* VST_CALL NewTextlessStretch(audioMasterCallback host) {
  auto* plug = new Stretch(host);
  auto canvas =
      std::make_unique<TextlessCanvas>(plug, StretchEditor::kWidth, StretchEditor::kHeight);
  StretchEditor::Build(*canvas, *plug);
  plug->AttachEditor(std::move(canvas));
  plug->MakeDefaultPreset();
  return plug->Effect();
}

}  // namespace

std::vector<std::uint32_t> HeadlessEditorPicture(bool withText) {
  VstHost headless;
  std::string error;
  if (!headless.Create(withText ? NewHeadlessStretchEffect : NewTextlessStretch, "headless",
                       &error))
    return {};
  auto* canvas = dynamic_cast<HeadlessCanvas*>(IEffectVst::FromEffect(headless.Effect())->Editor());
  if (canvas == nullptr) return {};
  canvas->SetAllControlsDirty();
  canvas->Tick();
  return canvas->ShownPixels();
}
