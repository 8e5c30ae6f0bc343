#pragma once

#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace cmn {
class VandEvent;
}

namespace vand {
class ShowManager;
}

namespace vand::qt {

class BarsBeatsEventSequence;

// The editing context of the current song: its change-log selection, its
// markers with a tick-to-row index, its change-log panel events, and whether
// the change log has edits that are not saved or not shared.
class EditModel
{
public:
    // Selects the current song's log for editing and pauses playback while it
    // reads the change log's version.
    EditModel(std::shared_ptr<vand::ShowManager> showManager, bool oscEnabled);
    EditModel(const EditModel&) = delete;
    EditModel& operator=(const EditModel&) = delete;

    std::string GetBarString(int tick) const;
    // Also rebuilds the markers and their rows.
    std::vector<std::pair<cmn::VandEvent*, std::string>> GetMarkers();
    unsigned GetSongAudioEndTick() const;
    // Replaces the bar and beat table with the current song's. A failure
    // ("barBeat with duplicate tick index.", or the player's) leaves the
    // previous table in place.
    void LoadBarsBeats();
    // Replaces the held events with fresh ones and returns them.
    std::vector<std::unique_ptr<cmn::VandEvent>>& GetChangeLogPanelEvents();

    const std::shared_ptr<vand::ShowManager>& GetShowManager() const { return showManager; }

    std::shared_ptr<vand::ShowManager> showManager;
    cmn::VandEvent* selectedEvent = nullptr;
    bool needsSave = false;
    bool needsUpload = false;
    std::string song;
    std::vector<std::unique_ptr<cmn::VandEvent>> changeLogPanelEvents;
    std::vector<cmn::VandEvent*> markers;
    std::map<unsigned, int> markerRows;
    std::shared_ptr<BarsBeatsEventSequence> barsBeats;
    bool oscEnabled = true;
};

} // namespace vand::qt
