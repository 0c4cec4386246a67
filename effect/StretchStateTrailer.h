// What the effect's state carries after the clip's path: the volume
// envelope's points, which the VolumeEnvelope value (a flip between 0 and 1)
// cannot hold, and whether the path's file was loaded. Readers that stop after
// the path never see it; a state without it (from an older build) stands for
// the initial envelope. Layout, little-endian, 76 bytes:
//
//   int32       tag, the bytes "DxSt"
//   int32       version, 1; a later version keeps these fields first
//   8 doubles   the envelope's points left to right: x1 y1 x2 y2 x3 y3 x4 y4
//   int32       clip status (ClipStatus)
//
// The clip status tells hosts and tools (the renderer) whether the named file
// was playing when the state was saved; a state load ignores it and tries the
// file again. Plain data: the effect fills and reads it under the plug-in lock.
#pragma once

#include <cstdint>

#include "core/StateChunk.h"

struct StretchStateTrailer {
  static constexpr std::int32_t kTag = 'D' | ('x' << 8) | ('S' << 16) | ('t' << 24);
  static constexpr std::int32_t kVersion = 1;

  enum ClipStatus : std::int32_t {
    kNoFile = 0,         // the path is empty
    kFileLoaded = 1,     // the path's file is the clip playing
    kFileNotLoaded = 2,  // a restored state named it and it could not be loaded
  };

  StretchStateTrailer();

  // Appends the trailer; false when the chunk could not take it.
  bool Append(StateChunk& chunk) const;
  // Reads a trailer at position and returns the position after it, or -1 when
  // none is there: no tag, a version below 1, a trailer cut short, or points
  // the envelope control cannot make (outside 0..1, or out of order from left
  // to right). Then nothing is changed.
  int Read(const StateChunk& chunk, int position);

  double envelope[8];  // the initial shape unless read
  std::int32_t clipStatus = kNoFile;  // as read: a later version may add values
};
