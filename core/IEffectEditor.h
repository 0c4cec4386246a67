// What the plug-in base needs of an attached editor. The editor framework's
// canvas implements it; the base owns the attached editor and calls it under the
// plug-in lock, on whichever thread the host entry runs on, except IdleEditor.
#pragma once

class IEffectEditor {
 public:
  virtual ~IEffectEditor() = default;
  // Moves the controls bound to a parameter (value normalised or in real units).
  virtual void SetParameterFromPlug(int index, double value, bool normalized) = 0;
  virtual void PrepareDraw() = 0;
  virtual int Width() const = 0;
  virtual int Height() const = 0;
  // parent is the host's window handle.
  virtual bool OpenEditor(void* parent) = 0;
  virtual void CloseEditor() = 0;
  // The host's idle call while the editor is open (its GUI thread): pending
  // window events and the timer tick. Called without the plug-in lock, which
  // whatever the editor does to the plug-in takes itself.
  virtual void IdleEditor() = 0;
};
