#include "model/BarsBeatsEventSequence.h"

#include <algorithm>
#include <stdexcept>

namespace vand::qt {

int BarInfo::GetBeatTick(const std::string& beatLabel) const
{
    const auto found = beatTicks.find(beatLabel);
    if (found == beatTicks.end())
        throw std::out_of_range("invalid unordered_map<K, T> key");
    return found->second;
}

void BarInfo::AddBeat(const std::string& beatLabel, int beatTick)
{
    beatLabels.push_back(beatLabel);
    beatTicks[beatLabel] = beatTick;
}

BarsBeatsEventSequence::BarsBeatsEventSequence(const TL::TimelineSequence<TL::BarsBeats>& sequence)
    : sequence_(sequence)
{
    bars_.max_load_factor(0.75f);
    barStarts_.max_load_factor(0.75f);

    int current = -1;
    int barIndex = 0;
    for (const TL::BarsBeats& entry : sequence_) {
        const int tick = static_cast<int>(entry.tick);
        const std::string beatLabel = std::to_string(entry.beat);
        if (entry.beat == 1) {
            // Any earlier bar at this tick, adjacent or not, would be replaced
            // together with its beats.
            if (bars_.find(tick) != bars_.end())
                throw std::runtime_error("barBeat with duplicate tick index.");
            current = tick;
            BarInfo bar;
            bar.tick = current;
            bar.label = entry.bar_number();
            bar.index = barIndex;
            bar.AddBeat(beatLabel, tick);
            barStarts_[bar.label] = current;
            bars_.emplace(current, std::move(bar));
            ++barIndex;
        } else {
            bars_[current].AddBeat(beatLabel, tick);
        }
    }
}

int BarsBeatsEventSequence::NearestTick(unsigned t) const
{
    const auto& items = sequence_.items();
    if (items.empty())
        return 0;
    const auto byTick = [](const TL::BarsBeats& entry, unsigned value) { return entry.tick < value; };
    // First entry at or after t, else the last one.
    auto after = std::lower_bound(items.begin(), items.end(), t, byTick);
    if (after == items.end())
        --after;
    // Last entry at or before t, else the first one.
    auto before = std::upper_bound(items.begin(), items.end(), t,
                                   [](unsigned value, const TL::BarsBeats& entry) { return value < entry.tick; });
    if (before != items.begin())
        --before;
    const UInt32 d = after->tick;
    const UInt32 e = before->tick;
    // Unsigned differences: left of the first entry and right of the last one
    // both give that entry.
    return static_cast<int>(UInt32(d - t) < UInt32(t - e) ? d : e);
}

BarInfo BarsBeatsEventSequence::GetBar(std::size_t index) const
{
    return BarAt(index);
}

const BarInfo& BarsBeatsEventSequence::BarAt(std::size_t index) const
{
    return bars_.values_container().at(index).second;
}

} // namespace vand::qt
