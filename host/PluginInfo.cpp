// dilatorix-info: loads a VST 2 plug-in as a host would and prints what a host
// learns of it: identity, I/O, flags, parameters, programs and state size.
#include <cstdio>
#include <string>

#include "host/VstHost.h"

#ifndef DILATORIX_DEFAULT_PLUGIN
#define DILATORIX_DEFAULT_PLUGIN "Dilatorix_64.so"  // built outside CMake: next to the tool
#endif

int main(int argc, char** argv) {
  const std::string path = argc > 1 ? argv[1] : DILATORIX_DEFAULT_PLUGIN;
  if (argc > 2) {
    std::fprintf(stderr, "usage: dilatorix-info [plugin.so]\n");
    return 2;
  }
  VstHost host;
  std::string error;
  if (!host.Load(path, &error)) {
    std::fprintf(stderr, "dilatorix-info: %s\n", error.c_str());
    return 1;
  }
  host.Dispatch(effOpen);
  const AEffect* e = host.Effect();
  const VstInt32 id = e->uniqueID;
  std::printf("effect: %s\n", host.EffectName().c_str());
  std::printf("vendor: %s\n", host.VendorString().c_str());
  std::printf("product: %s\n", host.ProductString().c_str());
  std::printf("unique id: %c%c%c%c\n", (id >> 24) & 0xFF, (id >> 16) & 0xFF, (id >> 8) & 0xFF,
              id & 0xFF);
  std::printf("version: %d\n", e->version);
  std::printf("inputs: %d\noutputs: %d\n", e->numInputs, e->numOutputs);
  std::printf("flags: 0x%X\n", static_cast<unsigned>(e->flags));
  std::printf("programs: %d\nparameters: %d\n", e->numPrograms, e->numParams);
  for (int i = 0; i < e->numParams; ++i) {
    const std::string label = host.ParamLabel(i);
    std::printf("parameter %d %s = %s%s%s\n", i, host.ParamName(i).c_str(),
                host.ParamDisplay(i).c_str(), label.empty() ? "" : " ", label.c_str());
  }
  for (int i = 0; i < e->numPrograms; ++i)
    std::printf("program %d: %s\n", i, host.ProgramNameIndexed(i).c_str());
  std::printf("state chunk: %zu bytes\n", host.GetChunk(false).size());
  return 0;
}
