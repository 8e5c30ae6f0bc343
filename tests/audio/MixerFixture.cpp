#include "MixerFixture.h"

#include <initializer_list>

namespace mixer_test {

namespace {

struct Track
{
    const char* name;
    int trackId;
    bool isMuted;
    bool isSolo;
    float volume;
    float pan;
    int instrument;
};

struct Group
{
    const char* name;
    const char* tooltip;
    bool isMuted;
    bool isSolo;
    std::initializer_list<Track> tracks;
};

} // namespace

std::unique_ptr<StringValueListModel> MakeInstrumentChoices()
{
    auto choices = std::make_unique<StringValueListModel>();
    for (const auto& instrument : kInstruments)
        choices->AddItem({QString::fromLatin1(instrument.name), instrument.value});
    return choices;
}

std::vector<std::unique_ptr<vand::qt::MixerSectionItem>> MakeFixtureGroups()
{
    static const Group kGroups[] = {
        {"Strings",
         "Violins, violas and cellos",
         false,
         true,
         {{"Violin 1", 11, true, false, 1.0f, -0.5f, 30},
          {"Violin 2", 12, false, false, 0.7866278611f, 0.5f, 30},
          {"Cellos and Double Basses, divisi in three parts (desks 1 to 4)", 13, false, false, 0.3f, 0.0f, 20}}},
        {"Brass",
         "",
         true,
         false,
         {{"Trumpet", 21, false, true, 0.9f, 0.25f, 40}, {"Trombone", 22, false, false, 0.5f, -1.0f, 10}}},
    };

    std::vector<std::unique_ptr<vand::qt::MixerSectionItem>> groups;
    for (const Group& group : kGroups) {
        auto section = std::make_unique<vand::qt::MixerSectionItem>();
        section->name = QString::fromLatin1(group.name);
        section->tooltip = QString::fromLatin1(group.tooltip);
        section->isMuted = group.isMuted;
        section->isSolo = group.isSolo;
        for (const Track& spec : group.tracks) {
            auto track = std::make_unique<vand::qt::MixerTrackItem>();
            track->name = QString::fromLatin1(spec.name);
            track->trackId = spec.trackId;
            track->isMuted = spec.isMuted;
            track->isSolo = spec.isSolo;
            track->volumeScaledDb = spec.volume;
            track->pan = spec.pan;
            track->instrument = spec.instrument;
            track->SetInstrumentModel(MakeInstrumentChoices());
            section->GetTracksModel()->AddTrack(std::move(track));
        }
        groups.push_back(std::move(section));
    }
    return groups;
}

std::unique_ptr<vand::qt::MixerModel> MakeFixtureMixer()
{
    auto mixer = std::make_unique<vand::qt::MixerModel>();
    for (auto& group : MakeFixtureGroups())
        mixer->AddSection(std::move(group));
    return mixer;
}

} // namespace mixer_test
