// One short MIDI message with its frame offset inside the current block.
#pragma once

#include <cstdint>

struct MidiMessage {
  std::int32_t frameOffset = 0;
  std::uint8_t status = 0;
  std::uint8_t data1 = 0;
  std::uint8_t data2 = 0;

  // The status's high nibble for channel messages (8..14), else 0.
  int Kind() const {
    const int kind = status >> 4;
    return kind >= 8 && kind <= 14 ? kind : 0;
  }
};
