#pragma once

#include <cstdint>

// Plain typedefs: signal signatures spell these names.
using UInt8 = std::uint8_t;
using UInt16 = std::uint16_t;
using UInt32 = std::uint32_t;
using Int16 = std::int16_t;
using Int32 = std::int32_t;
