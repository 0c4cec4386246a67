#include "editor/EffectLinkedControls.h"

#include "effect/IStretchForEditor.h"

PickingFileButton::PickingFileButton(IEffectForEditor* plug, IStretchForEditor& linked,
                                     const PixelRect& rect, int paramIndex,
                                     const FrameBitmap& image)
    : IFileButtonWidget(plug, rect, paramIndex, image), effect(linked) {}

void PickingFileButton::Chosen(const std::string& path) { effect.FilePicked(path); }

EditedEnvelopeControl::EditedEnvelopeControl(IEffectForEditor* plug, IStretchForEditor& linked,
                                             const PixelRect& rect, int paramIndex,
                                             const FrameBitmap& marker)
    : VolumeEnvelopeControl(plug, rect, paramIndex, marker), effect(linked) {}

void EditedEnvelopeControl::MouseUp(int x, int y, const MouseMods& mods) {
  effect.EnvelopeEdited(Points());
  VolumeEnvelopeControl::MouseUp(x, y, mods);
}
