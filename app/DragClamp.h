#pragma once

// Where a timeline drag may put an event: a whole event keeps its length
// inside [song start, song length]; a moved edge stays inside the song.
// Signed 64-bit, so that no tick wraps; a result below 0 or above the last
// tick means the event does not fit.

#include <algorithm>
#include <cstdint>

namespace vand::qt {

struct DragTicks
{
    std::int64_t start = 0;
    std::int64_t end = 0;
};

inline DragTicks ClampDrag(std::int64_t start, std::int64_t end, std::int64_t songStart, std::int64_t songLength,
                           bool adjustLeft, bool adjustRight)
{
    const std::int64_t length = end - start;
    DragTicks ticks;
    ticks.start = std::min(std::max(start, songStart), adjustRight ? songLength : songLength - length);
    ticks.end = std::min(std::max(end, adjustLeft ? std::int64_t(0) : songStart + length), songLength);
    return ticks;
}

// True when both ticks are valid ticks (0 to 2^32 - 1).
inline bool FitsInTicks(const DragTicks& ticks)
{
    constexpr std::int64_t kLastTick = 0xFFFFFFFFLL;
    return ticks.start >= 0 && ticks.end >= 0 && ticks.start <= kLastTick && ticks.end <= kLastTick;
}

} // namespace vand::qt
