#pragma once

// The bars and beats of the song being edited, as the player computes them.
//
// Threads: built and read on the GUI thread; immutable after construction, so
// a reader that holds a shared copy may keep using it while the edit model
// replaces it.

#include <cstddef>
#include <string>
#include <unordered_map>
#include <vector>

#include <tsl/ordered_map.h>

#include "TL/BarsBeats.h"
#include "TL/Timeline.h"

namespace vand::qt {

// One bar of the table: its start tick, label, 0-based number and beats.
struct BarInfo
{
    int tick = 0;
    std::string label = "Unk";
    int index = 0;
    std::vector<std::string> beatLabels;
    std::unordered_map<std::string, int> beatTicks;

    int GetBarTick() const { return tick; }
    std::string GetBarLabel() const { return label; }
    std::size_t GetBeatCount() const { return beatLabels.size(); }
    std::string GetBeatLabel(std::size_t beatIndex) const { return beatLabels.at(beatIndex); }
    // Throws std::out_of_range("invalid unordered_map<K, T> key") when the bar
    // has no beat of that label.
    int GetBeatTick(const std::string& beatLabel) const;
    // A repeated label keeps both entries in beatLabels and the later tick.
    void AddBeat(const std::string& beatLabel, int beatTick);
};

class BarsBeatsEventSequence
{
public:
    // Throws std::runtime_error("barBeat with duplicate tick index.") when two
    // bars start at the same tick.
    explicit BarsBeatsEventSequence(const TL::TimelineSequence<TL::BarsBeats>& sequence);

    // The tick of the beat nearest to tick; of two at the same distance the
    // earlier one; 0 without beats.
    int NearestTick(unsigned tick) const;

    std::size_t GetBarCount() const { return bars_.size(); }
    // A copy of the index-th bar in song order; index < GetBarCount().
    BarInfo GetBar(std::size_t index) const;
    // The same bar without a copy; valid while this table lives.
    const BarInfo& BarAt(std::size_t index) const;

    const TL::TimelineSequence<TL::BarsBeats>& GetSequence() const { return sequence_; }

private:
    TL::TimelineSequence<TL::BarsBeats> sequence_;
    // Bar start tick -> bar, in song order. Beats before the first bar are
    // kept under the key -1.
    tsl::ordered_map<int, BarInfo> bars_;
    // Bar label -> start tick of the last bar with that label.
    tsl::ordered_map<std::string, int> barStarts_;
};

} // namespace vand::qt
