// The effect as its own editor sees it, beyond the plug-in base's
// IEffectForEditor: what the effect shows, and the two things the editor hands
// back. Stretch implements it and outlives its editor; the composition point
// gives it to the editor, which calls it on the GUI thread. The hand-back
// operations take the plug-in lock; the displays are read without it, as
// StretchDisplays describes.
#pragma once

#include <string>

#include "effect/StretchDisplays.h"

class IStretchForEditor {
 public:
  virtual ~IStretchForEditor() = default;

  virtual const StretchDisplays& Displays() const = 0;
  // The envelope control's eight values (its stored order) once the user has
  // moved its handles; the next change of VolumeEnvelope applies them.
  virtual void EnvelopeEdited(const double* storedOrder) = 0;
  // The file the user picked in the dialog, empty when it was cancelled; the
  // next change of FileLoad asks for it to be loaded.
  virtual void FilePicked(const std::string& path) = 0;
  // Reads a file asked for under the lock (by FileLoad), outside the lock;
  // called at every timer tick, and returns at once when there is none or
  // another thread is reading.
  virtual void RunPendingLoad() = 0;
};
