// The product put together: a Stretch with its editor built on a canvas and
// attached. The module's entry point makes every instance with it, its editor
// on the X11 window host; the editor's tests and the snapshot tool make theirs
// the same way on the headless host, which opens no window. The Windows
// modules have no window host yet: there, only NewStretchEffect is built, and
// its instances have no editor.
#pragma once

#include "effect/Stretch.h"

enum class EditorWindows { kHeadless, kX11 };

// A new instance the caller owns (a host destroys it with effClose); none
// when memory runs out.
Stretch* NewStretchWithEditor(audioMasterCallback host,
                              EditorWindows windows = EditorWindows::kHeadless);

// The instance as the module's entry hands it to a host: its effect record,
// with the default preset made and at least one program, its editor on the
// X11 window host; null when memory runs out. Not serialised: the entry point
// holds its lock around it.
AEffect* VST_CALL NewStretchEffect(audioMasterCallback host);
// The same with the headless editor, for tools that draw it without a window.
AEffect* VST_CALL NewHeadlessStretchEffect(audioMasterCallback host);
