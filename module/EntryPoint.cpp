// The module's exported entry: one instance of the product per call, created
// under a process-wide lock with its editor attached, handed to the host as
// its embedded effect record.
#include <mutex>

#include "module/StretchAssembly.h"

#if defined(_WIN32)
#define DLX_EXPORT extern "C"  // exported by name through exports.def
#else
#define DLX_EXPORT extern "C" __attribute__((visibility("default")))
#endif

DLX_EXPORT AEffect* VST_CALL VSTPluginMain(audioMasterCallback host) {
  static std::recursive_mutex creationLock;
  std::lock_guard<std::recursive_mutex> guard(creationLock);
  return NewStretchEffect(host);
}

// Older hosts look the entry up as "main"; it is the same code under a second
// name (on Windows, the export table's).
#if !defined(_WIN32)
DLX_EXPORT AEffect* VST_CALL VstMainAlias(audioMasterCallback host) __asm__("main")
    __attribute__((alias("VSTPluginMain")));
#endif
