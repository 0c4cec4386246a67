// The playback volume across the clip: up to five straight segments joining
// (0, 0), the envelope's four points and (1, 0). The effect rebuilds it in the
// VolumeEnvelope handler and evaluates it once per processing block, both under
// the plug-in lock. Positions are fractions of the clip's frame count.
#pragma once

#include <cstdint>

class VolumeContour {
 public:
  static constexpr int kMaxSegments = 5;
  // The envelope's initial shape, (0, 0), (0, 1), (1, 1), (1, 0): one segment
  // at full volume over the whole clip.
  static constexpr double kInitialPoints[8] = {0.0, 0.0, 0.0, 1.0, 1.0, 1.0, 1.0, 0.0};

  struct Segment {
    double x0, x1, y0, slope;
  };

  // points: x1, y1, ..., x4, y4 in envelope order (left to right). A pair with
  // no horizontal extent (a vertical step) adds no segment.
  void Build(const double points[8]);
  // Gain at fraction f: the last used segment while f stays inside it, else the
  // first segment that holds f; 0 while there is no segment at all.
  double GainAt(double f);

  int SegmentCount() const { return segmentCount; }
  const Segment& SegmentAt(int i) const { return segments[i]; }

 private:
  Segment segments[kMaxSegments] = {};
  std::int32_t segmentCount = 0;
  std::int32_t lastUsed = 0;
};
