#pragma once

// A mixer of two groups for tests and pictures: "Strings" (soloed, with a
// tool tip) holding three tracks, one of them muted and one with a name too
// long for its column, and "Brass" (muted, no tool tip) holding two, one of
// them soloed. Track ids differ from rows; every track has the same four
// instrument choices.

#include <QString>
#include <memory>
#include <vector>

#include "audio/MixerModel.h"

namespace mixer_test {

// Instrument choices of every fixture track: display names with values.
struct InstrumentChoice
{
    const char* name;
    int value;
};
inline constexpr InstrumentChoice kInstruments[] = {
    {"Acoustic", 10}, {"Synth Pad", 20}, {"Sampled Strings", 30}, {"Electric", 40}};

std::unique_ptr<StringValueListModel> MakeInstrumentChoices();
// The fixture's groups, for a model of one's own or a reset.
std::vector<std::unique_ptr<vand::qt::MixerSectionItem>> MakeFixtureGroups();
std::unique_ptr<vand::qt::MixerModel> MakeFixtureMixer();

} // namespace mixer_test
