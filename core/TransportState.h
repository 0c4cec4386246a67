// The host transport as one query reports it; defaults stand for "unknown".
#pragma once

struct TransportState {
  double samplePosition = -1.0;
  double tempo = 120.0;
  double ppqPosition = -1.0;
  double lastBarStart = -1.0;
  int numerator = 4;
  int denominator = 4;
  double cycleStart = -1.0;
  double cycleEnd = -1.0;
  bool playing = false;
  bool looping = false;
};
