// dilatorix-editor: opens a VST 2 plug-in's editor in a window of its own, as
// a Linux host does on the X display (on Windows, as a Windows host does), and
// calls effEditIdle 60 times a second until the window is closed or the given
// time has passed. For trying
// the editor's controls without a DAW and for timing what an open, idle
// editor costs a host; no audio is processed.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "host/VstHost.h"
#if defined(_WIN32)
#include "host/WinEditorHost.h"
using PlatformEditorHost = WinEditorHost;
#else
#include "host/X11EditorHost.h"
using PlatformEditorHost = X11EditorHost;
#endif

#ifndef DILATORIX_DEFAULT_PLUGIN
#define DILATORIX_DEFAULT_PLUGIN "Dilatorix_64.so"
#endif

namespace {

int Usage() {
  std::fprintf(stderr, "usage: dilatorix-editor [--plugin PATH] [--seconds S]\n");
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  std::string plugin = DILATORIX_DEFAULT_PLUGIN;
  double seconds = -1;
  for (int i = 1; i < argc; ++i) {
    const std::string option = argv[i];
    if (i + 1 >= argc) return Usage();
    if (option == "--plugin") {
      plugin = argv[++i];
    } else if (option == "--seconds") {
      char* end = nullptr;
      seconds = std::strtod(argv[++i], &end);
      if (end == argv[i] || *end != '\0' || !(seconds >= 0 && seconds <= 86400)) {
        std::fprintf(stderr, "dilatorix-editor: --seconds takes 0 to 86400\n");
        return 2;
      }
    } else {
      return Usage();
    }
  }
  VstHost host;
  std::string error;
  if (!host.Load(plugin, &error)) {
    std::fprintf(stderr, "dilatorix-editor: %s\n", error.c_str());
    return 1;
  }
  host.Dispatch(effOpen);
  PlatformEditorHost window(host);
  if (!window.Open(host.EffectName(), &error)) {
    std::fprintf(stderr, "dilatorix-editor: %s\n", error.c_str());
    return 1;
  }
  if (seconds < 0)
    window.RunUntilClosed();
  else
    window.Idle(static_cast<int>(seconds * 1000));
  window.Close();
  return 0;
}
