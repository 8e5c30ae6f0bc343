#pragma once

#include <string>

#include "cmn/Types.h"

namespace Keys {

// Key name from a key signature: sharps (> 0) or flats (< 0), mode 0 major,
// 1 minor. "C", "Eb", "F#m". Out-of-range signatures give "".
std::string keyNameFromSig(Int16 sharpsFlats, UInt16 mode);

}  // namespace Keys
