// The module's exported entry, the one place that builds the product: one
// Stretch per call, created under a process-wide lock, handed to the host as
// its embedded effect record.
#include <mutex>
#include <new>

#include "effect/Stretch.h"

#define DLX_EXPORT extern "C" __attribute__((visibility("default")))

DLX_EXPORT AEffect* VST_CALL VSTPluginMain(audioMasterCallback host) {
  static std::recursive_mutex creationLock;
  std::lock_guard<std::recursive_mutex> guard(creationLock);
  Stretch* plug = new (std::nothrow) Stretch(host);
  if (plug == nullptr) return nullptr;
  plug->MakeDefaultPreset();
  AEffect* effect = plug->Effect();
  if (effect->numPrograms < 1) effect->numPrograms = 1;
  return effect;
}

// Older hosts look the entry up as "main"; it is the same code under a second name.
DLX_EXPORT AEffect* VST_CALL VstMainAlias(audioMasterCallback host) __asm__("main")
    __attribute__((alias("VSTPluginMain")));
