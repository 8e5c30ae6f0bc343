#pragma once

#include <map>
#include <string>

#include "cmn/Types.h"

namespace std_midi::sb {

// MIDI channel-voice status (high nibble, channel 0) -> name.
inline const std::map<UInt8, std::string> status_names{
    {0x80, "Note Off"},       {0x90, "Note On"},        {0xA0, "Poly Aftertouch"},
    {0xB0, "Control Change"}, {0xC0, "Program Change"}, {0xD0, "Channel Aftertouch"},
    {0xE0, "Pitch Bend"},
};

}  // namespace std_midi::sb
