// The product put together: a Stretch with its editor built on a canvas and
// attached. The module's entry point makes every instance with it, and the
// editor's tests make theirs the same way. The editor sits on the headless
// window host, which opens no window.
#pragma once

#include "effect/Stretch.h"

// A new instance the caller owns (a host destroys it with effClose); none
// when memory runs out.
Stretch* NewStretchWithEditor(audioMasterCallback host);
