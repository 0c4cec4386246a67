// A program slot: a name and the values of the declared parameters (doubles in
// index order, no header). Owned by the plug-in base, under its lock.
#pragma once

#include "core/StateChunk.h"

struct IEffectPreset {
  bool initialised = false;
  char name[256] = {};
  StateChunk values;
};
