// What a test host saw of the plug-in: calls it made back, and whether its
// saved state names a file.
#pragma once

#include <string>
#include <vector>

#include "host/VstHost.h"

// How often the plug-in called the host with that opcode and index.
inline int CallCount(const VstHost& host, VstInt32 opcode, int index) {
  int n = 0;
  for (const VstHost::HostCall& call : host.calls)
    if (call.opcode == opcode && call.index == index) ++n;
  return n;
}

// Whether the instance's state (its bank chunk) names the file.
inline bool StateNames(VstHost& host, const std::string& path) {
  const std::vector<unsigned char> chunk = host.GetChunk(false);
  return std::string(chunk.begin(), chunk.end()).find(path) != std::string::npos;
}
