// The module's PNG resources: the skin images of img/, built into the binary
// under their numeric ids: on Windows as resources of type "PNG" in the
// module's resource section, elsewhere as an embedded table standing in for
// them. Nothing is read from disk at run time. Read-only, any thread.
#pragma once

#include <cstddef>

struct EmbeddedPng {
  int id;
  const unsigned char* data;
  std::size_t size;
};

// False for an unknown id and for a resource of 7 bytes or less.
bool FindPngResource(int id, const unsigned char** data, std::size_t* size);
