// The editor framework's own value types beside the drawing ones: mouse
// modifiers and text styles. Plain structures, copied by value on the GUI
// thread.
#pragma once

#include <cstdint>

#include "raster/PixelTypes.h"

struct MouseMods {
  bool left = false, right = false, shift = false, control = false, alt = false;
};

struct TextStyle {
  enum Style : std::int32_t { kNormal = 0, kBold = 1, kItalic = 2 };
  enum Align : std::int32_t { kLeft = 0, kCentre = 1, kRight = 2 };

  char face[32] = "Arial";
  std::int32_t size = 14;  // pixels
  ArgbColor color = colors::kBlack;
  std::int32_t style = kNormal;
  std::int32_t align = kCentre;
  std::int32_t orientation = 0;  // tenths of a degree are orientation x 10
};
