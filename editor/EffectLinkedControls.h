// The two controls of the product's editor that hand what the user did back
// to the effect before their parameter changes, so that the change's handler
// finds it in place: the file button hands its pick, the envelope its points.
// Built by the editor's builder; the canvas owns them and calls them on the
// GUI thread. The effect (not owned) outlives them and takes its lock for
// each hand-back.
#pragma once

#include <string>

#include "editor/VolumeEnvelopeControl.h"
#include "gui/IFileButtonWidget.h"

class IStretchForEditor;

// FileLoad changes after every dialog; the effect loads the pick it was given
// just before (nothing for a cancelled dialog's empty path).
class PickingFileButton : public IFileButtonWidget {
 public:
  PickingFileButton(IEffectForEditor* plug, IStretchForEditor& effect, const PixelRect& rect,
                    int paramIndex, const FrameBitmap& image);

 protected:
  void Chosen(const std::string& path) override;

 private:
  IStretchForEditor& effect;
};

// VolumeEnvelope changes on every release; the effect applies the points it
// was given just before (the same points when nothing was dragged).
class EditedEnvelopeControl : public VolumeEnvelopeControl {
 public:
  EditedEnvelopeControl(IEffectForEditor* plug, IStretchForEditor& effect, const PixelRect& rect,
                        int paramIndex, const FrameBitmap& marker);

  void MouseUp(int x, int y, const MouseMods& mods) override;

 private:
  IStretchForEditor& effect;
};
