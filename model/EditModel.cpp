#include "model/EditModel.h"

#include <algorithm>
#include <stdexcept>

#include "CL/Editor.h"
#include "cmn/VandEvent.h"
#include "model/BarsBeatsEventSequence.h"
#include "model/ShowManager.h"
#include "notify/CallbackDispatcher.h"

namespace vand::qt {

EditModel::EditModel(std::shared_ptr<vand::ShowManager> manager, bool osc)
    : showManager(std::move(manager))
    , oscEnabled(osc)
{
    if (!showManager)
        throw std::invalid_argument("EditModel needs a show manager.");
    song = showManager->GetCurrentSongNumber();
    showManager->SelectSongLogForEditing(song);
    LoadBarsBeats();
    CL::Editor* editor = showManager->PauseAndGetEditor();
    if (!editor)
        throw std::runtime_error("The show has no change log.");
    SetNeedsUpload(editor->GetVersion().minor != 0);
}

void EditModel::SetNeedsSave(bool value)
{
    needsSave = value;
    bool published = value;
    notify::callbackDispatcher.Notify(notify::names::editModelChangeLogNeedsSave, &published);
}

void EditModel::SetNeedsUpload(bool value)
{
    needsUpload = value;
    bool published = value;
    notify::callbackDispatcher.Notify(notify::names::editModelChangeLogNeedsUpload, &published);
}

std::string EditModel::GetBarString(int tick) const
{
    return showManager->GetBarString(tick);
}

std::vector<std::pair<cmn::VandEvent*, std::string>> EditModel::GetMarkers()
{
    auto result = showManager->GetMarkers();
    const auto earlier = [](const auto& a, const auto& b) { return a.first->abs_time() < b.first->abs_time(); };
    // The engine delivers them in order: sorting again would only move texts.
    if (!std::is_sorted(result.begin(), result.end(), earlier))
        std::stable_sort(result.begin(), result.end(), earlier);
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

std::vector<std::unique_ptr<cmn::VandEvent>>& EditModel::LoadChangeLogPanelEvents()
{
    changeLogPanelEvents = showManager->GetChangeLogPanelEvents();
    return changeLogPanelEvents;
}

void EditModel::SetSelectedEvent(cmn::VandEvent* event)
{
    if (event == selectedEvent)
        return;
    const bool marker = event && std::find(markers.begin(), markers.end(), event) != markers.end();
    if (IsPanelEvent(event) || marker) {
        selectedEvent = event;
        notify::callbackDispatcher.Notify(notify::names::editModelUpdatedSelectedVandEvent, nullptr);
        return;
    }
    ClearSelection();
}

void EditModel::ClearSelection()
{
    if (!selectedEvent)
        return;
    selectedEvent = nullptr;
    notify::callbackDispatcher.Notify(notify::names::editModelUpdatedSelectedVandEvent, nullptr);
}

bool EditModel::IsPanelEvent(const cmn::VandEvent* event) const
{
    if (!event)
        return false;
    if (event->code() == codes::kOsc && !oscEnabled)
        return false;
    return std::any_of(changeLogPanelEvents.begin(), changeLogPanelEvents.end(),
                       [event](const auto& panelEvent) { return panelEvent && *panelEvent == *event; });
}

void EditModel::DeleteSelectedEvent()
{
    if (!selectedEvent)
        return;
    if (selectedEvent->code() == codes::kOsc && !oscEnabled)
        return;
    // The editor gets a copy: the selected event belongs to the panel or to
    // the log that the deletion changes.
    const std::shared_ptr<cmn::VandEvent> copy = CL::CopyVandEvent(*selectedEvent);
    CL::Editor* editor = showManager->PauseAndGetEditor();
    if (!editor)
        throw std::runtime_error("The show has no change log.");
    editor->DeleteEvent(copy);
    ClearSelection();
}

} // namespace vand::qt
