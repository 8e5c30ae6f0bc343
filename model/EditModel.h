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
//
// The selected event points into the panel events or the markers, so whoever
// replaces either clears the selection first. Every change of the selection
// is published as notify::names::editModelUpdatedSelectedVandEvent.
//
// Threads: GUI thread only.
class EditModel
{
public:
    // Selects the current song's log for editing and pauses playback while it
    // reads the change log's version.
    EditModel(std::shared_ptr<vand::ShowManager> showManager, bool oscEnabled);
    EditModel(const EditModel&) = delete;
    EditModel& operator=(const EditModel&) = delete;

    std::string GetBarString(int tick) const;
    // Also rebuilds the markers and their rows, in the order of the marker
    // list's rows (stable by tick), so that a row indexes `markers`.
    std::vector<std::pair<cmn::VandEvent*, std::string>> GetMarkers();
    unsigned GetSongAudioEndTick() const;
    // Replaces the bar and beat table with the current song's. A failure
    // ("barBeat with duplicate tick index.", or the player's) leaves the
    // previous table in place.
    void LoadBarsBeats();
    // Replaces the held events with fresh ones and returns them.
    std::vector<std::unique_ptr<cmn::VandEvent>>& LoadChangeLogPanelEvents();

    // Selects a panel event (equal by value) or a marker (by identity); any
    // other event, or null, clears the selection. Selecting the selected
    // event again publishes nothing.
    void SetSelectedEvent(cmn::VandEvent* event);
    // Clears the selection; publishes only when there was one.
    void ClearSelection();
    // True when a panel event equals `event`; an OSC event only while OSC is on.
    bool IsPanelEvent(const cmn::VandEvent* event) const;
    // Deletes a copy of the selected event through the change-log editor
    // (pausing playback first), then clears the selection. Nothing without a
    // selection, or for an OSC event while OSC is off. Editor errors go on to
    // the caller with the selection kept.
    void DeleteSelectedEvent();

    // Store the flag and publish it (editModelChangeLogNeedsSave,
    // editModelChangeLogNeedsUpload, with a pointer to the new value).
    void SetNeedsSave(bool value);
    void SetNeedsUpload(bool value);

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
