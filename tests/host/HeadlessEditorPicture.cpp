#include "tests/host/HeadlessEditorPicture.h"

#include <string>

#include "gui/HeadlessCanvas.h"
#include "host/VstHost.h"
#include "module/StretchAssembly.h"
#include "vst/IEffectVst.h"

std::vector<std::uint32_t> HeadlessEditorPicture() {
  VstHost headless;
  std::string error;
  if (!headless.Create(NewHeadlessStretchEffect, "headless", &error)) return {};
  auto* canvas = dynamic_cast<HeadlessCanvas*>(IEffectVst::FromEffect(headless.Effect())->Editor());
  if (canvas == nullptr) return {};
  canvas->SetAllControlsDirty();
  canvas->Tick();
  return canvas->ShownPixels();
}
