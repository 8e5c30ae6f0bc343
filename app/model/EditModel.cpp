#include "app/model/EditModel.h"

#include <stdexcept>

#include "CL/Editor.h"
#include "app/model/ShowManager.h"
#include "cmn/VandEvent.h"
#include "notify/CallbackDispatcher.h"
#include "timeline/BarsBeatsEventSequence.h"

namespace vand::qt {

EditModel::EditModel(std::shared_ptr<vand::ShowManager> manager, bool osc)
    : showManager(std::move(manager)), oscEnabled(osc)
{
    if (!showManager)
        throw std::invalid_argument("EditModel needs a show manager.");
    song = showManager->GetCurrentSongNumber();
    showManager->SelectSongLogForEditing(song);
    LoadBarsBeats();
    CL::Editor* editor = showManager->PauseAndGetEditor();
    if (!editor)
        throw std::runtime_error("The show has no change log.");
    needsUpload = editor->GetVersion().minor != 0;
    notify::callbackDispatcher.Notify(notify::names::editModelChangeLogNeedsUpload, &needsUpload);
}

std::string EditModel::GetBarString(int tick) const
{
    return showManager->GetBarString(tick);
}

std::vector<std::pair<cmn::VandEvent*, std::string>> EditModel::GetMarkers()
{
    auto result = showManager->GetMarkers();
    markers.clear();
    markerRows.clear();
    for (const auto& entry : result) {
        markerRows[entry.first->start()] = static_cast<int>(markers.size());
        markers.push_back(entry.first);
    }
    return result;
}

unsigned EditModel::GetSongAudioEndTick() const
{
    const std::shared_ptr<Interface> player = showManager->GetPlayer();
    if (!player)
        throw std::runtime_error("No show is loaded.");
    return player->GetSongAudioEndTick(song);
}

void EditModel::LoadBarsBeats()
{
    const std::shared_ptr<Interface> player = showManager->GetPlayer();
    if (!player)
        throw std::runtime_error("No show is loaded.");
    barsBeats = std::make_shared<BarsBeatsEventSequence>(player->GetBarsBeats(song));
}

std::vector<std::unique_ptr<cmn::VandEvent>>& EditModel::GetChangeLogPanelEvents()
{
    changeLogPanelEvents = showManager->GetChangeLogPanelEvents();
    return changeLogPanelEvents;
}

} // namespace vand::qt
