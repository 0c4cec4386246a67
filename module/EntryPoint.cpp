// The module's exported entry: one instance of the product per call, created
// under a process-wide lock with its editor attached, handed to the host as
// its embedded effect record.
#include <mutex>

#include "module/StretchAssembly.h"

#define DLX_EXPORT extern "C" __attribute__((visibility("default")))

DLX_EXPORT AEffect* VST_CALL VSTPluginMain(audioMasterCallback host) {
  static std::recursive_mutex creationLock;
  std::lock_guard<std::recursive_mutex> guard(creationLock);
  return NewStretchEffect(host);
}

// Older hosts look the entry up as "main"; it is the same code under a second name.
DLX_EXPORT AEffect* VST_CALL VstMainAlias(audioMasterCallback host) __asm__("main")
    __attribute__((alias("VSTPluginMain")));
