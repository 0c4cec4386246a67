#include "effect/VolumeContour.h"

void VolumeContour::Build(const double points[8]) {
  const double x[6] = {0.0, points[0], points[2], points[4], points[6], 1.0};
  const double y[6] = {0.0, points[1], points[3], points[5], points[7], 0.0};
  segmentCount = 0;
  lastUsed = 0;
  for (int k = 1; k <= 5; ++k) {
    const double width = x[k] - x[k - 1];
    if (width == 0.0) continue;
    segments[segmentCount++] = {x[k - 1], x[k], y[k - 1], (y[k] - y[k - 1]) / width};
  }
}

double VolumeContour::GainAt(double f) {
  if (segmentCount == 0) return 0.0;
  const Segment* used = &segments[lastUsed];
  if (f < used->x0 || f > used->x1) {
    for (int i = 0; i < segmentCount; ++i) {
      if (segments[i].x0 <= f && f <= segments[i].x1) {
        lastUsed = i;
        break;
      }
    }
    used = &segments[lastUsed];
  }
  return (f - used->x0) * used->slope + used->y0;
}
