#pragma once

#include "cmn/Types.h"

namespace midi_commands {

// A MIDI message assigned to an engine command: status (high nibble, e.g.
// 0x90), channel 0-15 and note (or controller / program number).
struct LearnedCommand {
  UInt8 status{0};
  UInt8 channel{0};
  UInt8 note{0};

  bool operator==(const LearnedCommand&) const = default;
};

static_assert(sizeof(LearnedCommand) == 3);

}  // namespace midi_commands
