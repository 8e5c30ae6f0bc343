#pragma once

// Builds bars-and-beats sequences for the tests from short descriptions.

#include <cstdlib>
#include <string>
#include <vector>

#include "TL/BarsBeats.h"
#include "TL/Timeline.h"

namespace timeline_test {

struct Beat
{
    unsigned tick;
    std::string bar; // label: digits, then an optional suffix ("8A")
    int beat;
};

inline TL::BarsBeats Entry(const Beat& b)
{
    TL::BarsBeats entry;
    entry.tick = b.tick;
    std::size_t digits = 0;
    while (digits < b.bar.size() && (std::isdigit(static_cast<unsigned char>(b.bar[digits])) || b.bar[digits] == '-'))
        ++digits;
    entry.SetBarLabel(std::atoi(b.bar.substr(0, digits).c_str()), b.bar.substr(digits));
    entry.beat = b.beat;
    return entry;
}

inline TL::TimelineSequence<TL::BarsBeats> Sequence(const std::vector<Beat>& beats)
{
    TL::TimelineSequence<TL::BarsBeats> sequence;
    for (const Beat& b : beats)
        sequence.push_back(Entry(b));
    return sequence;
}

} // namespace timeline_test
