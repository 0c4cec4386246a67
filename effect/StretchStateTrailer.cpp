#include "effect/StretchStateTrailer.h"

#include <algorithm>

#include "effect/VolumeContour.h"

StretchStateTrailer::StretchStateTrailer() {
  std::copy(VolumeContour::kInitialPoints, VolumeContour::kInitialPoints + 8, envelope);
}

bool StretchStateTrailer::Append(StateChunk& chunk) const {
  bool appended = chunk.AppendInt32(kTag) > 0 && chunk.AppendInt32(kVersion) > 0;
  for (double v : envelope) appended = chunk.AppendDouble(v) > 0 && appended;
  return chunk.AppendInt32(clipStatus) > 0 && appended;
}

int StretchStateTrailer::Read(const StateChunk& chunk, int position) {
  std::int32_t tag = 0, version = 0;
  position = chunk.ReadInt32(position, &tag);
  if (position < 0 || tag != kTag) return -1;
  position = chunk.ReadInt32(position, &version);
  if (position < 0 || version < 1) return -1;
  double points[8];
  for (double& v : points) {
    position = chunk.ReadDouble(position, &v);
    if (position < 0 || !(v >= 0.0 && v <= 1.0)) return -1;
  }
  for (int k = 2; k < 8; k += 2)
    if (points[k] < points[k - 2]) return -1;
  std::int32_t status = 0;
  position = chunk.ReadInt32(position, &status);
  if (position < 0) return -1;
  std::copy(points, points + 8, envelope);
  clipStatus = status;
  return position;
}
