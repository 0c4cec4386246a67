// The product put together: a Stretch with its editor built on a canvas and
// attached. The module's entry point makes every instance with it, its editor
// on the X11 window host (on Windows the Win32 one); the editor's tests and
// the snapshot tool make theirs the same way on the headless host, which opens
// no window. The Windows modules build only NewStretchEffect.
#pragma once

#include "effect/Stretch.h"

#if !defined(_WIN32)
enum class EditorWindows { kHeadless, kX11 };

// A new instance the caller owns (a host destroys it with effClose); none
// when memory runs out.
Stretch* NewStretchWithEditor(audioMasterCallback host,
                              EditorWindows windows = EditorWindows::kHeadless);
#endif

// The instance as the module's entry hands it to a host: its effect record,
// with the default preset made and at least one program, its editor on the
// system's window host; null when memory runs out. Not serialised: the entry point
// holds its lock around it.
AEffect* VST_CALL NewStretchEffect(audioMasterCallback host);
#if !defined(_WIN32)
// The same with the headless editor, for tools that draw it without a window.
AEffect* VST_CALL NewHeadlessStretchEffect(audioMasterCallback host);
#endif
