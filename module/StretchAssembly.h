// The product put together: a Stretch with its editor built on a canvas and
// attached. The module's entry point makes every instance with it, and the
// editor's tests and the snapshot tool make theirs the same way. The editor
// sits on the headless window host, which opens no window.
#pragma once

#include "effect/Stretch.h"

// A new instance the caller owns (a host destroys it with effClose); none
// when memory runs out.
Stretch* NewStretchWithEditor(audioMasterCallback host);

// The instance as the module's entry hands it to a host: its effect record,
// with the default preset made and at least one program; null when memory
// runs out. Not serialised: the entry point holds its lock around it.
AEffect* VST_CALL NewStretchEffect(audioMasterCallback host);
