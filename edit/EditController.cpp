#include "edit/EditController.h"

#include <QQuickItem>
#include <algorithm>
#include <stdexcept>

#include "CL/Editor.h"
#include "EditSupport.h"
#include "cmn/EventCodes.h"
#include "cmn/VandEvent.h"
#include "edit/EventList.h"
#include "edit/MarkerList.h"
#include "edit/SongList.h"
#include "edit/TimelineEditController.h"
#include "kit/Log.h"
#include "model/EditModel.h"
#include "model/ShowManager.h"
#include "notify/CallbackDispatcher.h"
#include "timeline/TimelineController.h"
#include "ui/ViewProperty.h"
#include "vand_core/qt/MetaTypes.h"
#include "vand_player_core/Interface.h"

namespace vand::qt {

namespace {

// Timeline view-start suspensions: edits and selection changes, undo and redo.
constexpr int kEditSuspensionMs = 250;
constexpr int kUndoSuspensionMs = 100;

QQuickItem* PanelPart(QObject* panel, const char* name)
{
    return ViewPart(panel, name, "The edit panel");
}

cmn::VandEvent* Raw(const std::unique_ptr<cmn::VandEvent>& event)
{
    return event.get();
}
cmn::VandEvent* Raw(cmn::VandEvent* event)
{
    return event;
}

// The event at the row a list published; null for no row or one past the end.
template <typename Events>
cmn::VandEvent* EventAtRow(const Events& events, const void* data)
{
    const int row = data ? *static_cast<const int*>(data) : -1;
    if (row < 0 || static_cast<std::size_t>(row) >= events.size())
        return nullptr;
    return Raw(events[static_cast<std::size_t>(row)]);
}

// Runs a dispatcher callback; nothing may leave it into the publisher.
template <typename Action>
void Answer(const char* what, Action&& action)
{
    try {
        action();
    } catch (const std::exception& e) {
        kit::Log(kit::LogLevel::Error, "edit", std::string(what) + " failed: " + e.what());
    } catch (...) {
        kit::Log(kit::LogLevel::Error, "edit", std::string(what) + " failed");
    }
}

} // namespace

EditController::EditController(QQmlEngine* engine, std::shared_ptr<vand::ShowManager> showManager,
                               std::shared_ptr<EditModel> editModel, std::shared_ptr<Interface> player,
                               QQuickItem* panel, TimelineController& timeline, bool oscEnabled)
    : QmlController(panel, engine)
    , showManager_(std::move(showManager))
    , player_(std::move(player))
    , editModel_(std::move(editModel))
    , timeline_(&timeline)
    , oscEnabled_(oscEnabled)
{
    if (!showManager_ || !editModel_ || !player_)
        throw std::invalid_argument("The edit controller needs a show manager, an edit model and a player.");
    vand::core::RegisterQtMetaTypes();
    RegisterSelectionRecordTypes();

    QObject* view = rootObject_;
    markerList_ = std::make_unique<MarkerListController>(PanelPart(view, "markerListControl"), editModel_.get());
    eventList_ = std::make_unique<EventListController>(PanelPart(view, "eventListControl"), editModel_.get());
    songList_ = std::make_unique<SongListController>(PanelPart(view, "songListControl"), player_.get());
    toolbar_ = std::make_unique<TimelineEditController>(editModel_.get(), PanelPart(view, "editBarControl"), engine);

    Subscribe();

    using T = TimelineEditController;
    connect(toolbar_.get(), &T::DeleteRequested, this, &EditController::DeleteRequested);
    connect(toolbar_.get(), &T::UndoRequested, this, &EditController::UndoRequested);
    connect(toolbar_.get(), &T::RedoRequested, this, &EditController::RedoRequested);
    connect(toolbar_.get(), &T::UndoRedoStateUpdated, this, &EditController::UpdateUndoRedoState);

    if (view) {
        connect(view, SIGNAL(markerSelected(int)), this, SLOT(OnMarkerSelected_(int)));
        connect(view, SIGNAL(editSelectedMarkerItem()), this, SLOT(onVandEditSelectedEvent()));
        connect(view, SIGNAL(editSelectedEventItem()), this, SLOT(onVandEditSelectedEvent()));
    }
    connect(songList_.get(), SIGNAL(AttaccaStateChanged(std::string, UInt8)), this,
            SIGNAL(AttaccaStateChanged(std::string, UInt8)));
    connect(toolbar_.get(), SIGNAL(EditButtonSignal(cmn::VandEvent*)), this, SIGNAL(EditButtonSignal(cmn::VandEvent*)));
    connect(eventList_.get(), SIGNAL(CurrentItemChangedSignal(EventInfoItem)), this,
            SIGNAL(EventItemChangedSignal(EventInfoItem)));
    connect(eventList_.get(), SIGNAL(EditSelectedItem()), this, SLOT(onVandEditSelectedEvent()));
    connect(markerList_.get(), SIGNAL(CurrentItemChangedSignal(MarkerInfoItem)), this,
            SIGNAL(MarkerItemChangedSignal(MarkerInfoItem)));
    // A song row that fails to load its song is shown like any edit failure.
    connect(songList_.get(), &QmlController::error, this, &QmlController::error);
}

EditController::~EditController()
{
    notify::callbackDispatcher.RemoveCallbacksForTarget(this);
    // Nothing relayed from a part while it goes.
    for (QObject* part : {static_cast<QObject*>(toolbar_.get()), static_cast<QObject*>(eventList_.get()),
                          static_cast<QObject*>(markerList_.get()), static_cast<QObject*>(songList_.get())})
        disconnect(part, nullptr, this, nullptr);
    toolbar_.reset();
    eventList_.reset();
    markerList_.reset();
    songList_.reset();
}

void EditController::Subscribe()
{
    auto& dispatcher = notify::callbackDispatcher;
    dispatcher.AddCallback(this, notify::names::vandEventWidgetSelected, [this](void* data) {
        Answer("Selecting an event", [this, data] {
            {
                std::lock_guard lock(editLock_);
                editModel_->SetSelectedEvent(static_cast<cmn::VandEvent*>(data));
            }
            notify::callbackDispatcher.Notify(notify::names::editControllerShowEditor, nullptr);
        });
    });
    dispatcher.AddCallback(this, notify::names::editModelUpdatedSelectedVandEvent, [this](void*) {
        Answer("Following the selection", [this] {
            // A cleared selection goes with a rebuild of the lists and the
            // timeline, under which the view holds still. A chosen event is
            // brought into view next (its row scrolls the timeline, a marker
            // moves the playhead), which a suspension would drop.
            if (!editModel_->selectedEvent)
                timeline_->SuspendViewStartSync(kEditSuspensionMs);
            OnUpdatedSelectedVandEvent_();
        });
    });
    dispatcher.AddCallback(this, notify::names::EVT_CHANGE_LOG_PANEL_SELECTED, [this](void* data) {
        std::lock_guard lock(editLock_);
        if (cmn::VandEvent* event = EventAtRow(editModel_->changeLogPanelEvents, data))
            editModel_->SetSelectedEvent(event);
    });
    dispatcher.AddCallback(this, notify::names::EVT_MARKER_PANEL_SELECTED, [this](void* data) {
        std::lock_guard lock(editLock_);
        if (cmn::VandEvent* event = EventAtRow(editModel_->markers, data))
            editModel_->SetSelectedEvent(event);
    });
}

CL::Editor& EditController::Editor()
{
    CL::Editor* editor = showManager_->PauseAndGetEditor();
    if (!editor)
        throw std::runtime_error("The show has no change log.");
    return *editor;
}

void EditController::SetChangeLogModified()
{
    toolbar_->MarkModified();
}

void EditController::ChangeLogSaved()
{
    toolbar_->MarkSaved();
    UpdateLogVersionText();
}

void EditController::ChangeLogSavedAndUploaded()
{
    toolbar_->MarkSavedAndUploaded();
    UpdateLogVersionText();
}

void EditController::ClearEventSelection()
{
    eventList_->SetCurrentIndex(-1);
}

void EditController::ClearMarkerSelection()
{
    markerList_->SetCurrentIndex(-1);
}

void EditController::SetCurrentSong(const std::string& song)
{
    std::lock_guard lock(editLock_);
    editModel_->ClearSelection();
    editModel_->song = song;
    showManager_->SelectSongLogForEditing(song);
    editModel_->LoadBarsBeats();
    markerList_->Refresh();
    eventList_->Refresh();
    songList_->SelectLoadedSong(song);
    // Undo and redo follow the song: the editor keeps a history per song.
    toolbar_->UpdateButtonStates();
    UpdateLogVersionText();
}

void EditController::RefreshAfterEdit(std::vector<int> codes)
{
    editModel_->ClearSelection();
    if (codes.empty()) {
        CL::Editor& editor = Editor();
        try {
            codes = editor.GetEditedCodes();
        } catch (const CL::EditorHistoryNoActionError&) {
            for (const auto& entry : codes::editNameByVandEventCode)
                codes.push_back(entry.first);
        }
    }
    ReloadChangeLog();

    const auto any = [&codes](auto&& test) { return std::any_of(codes.begin(), codes.end(), test); };
    const bool markers = any([](int code) { return code == codes::kMarker; });
    const bool others = any([](int code) { return code != codes::kMarker; });
    const bool clicks = any([](int code) { return code == codes::kClick; });
    {
        std::lock_guard lock(editLock_);
        if (clicks) {
            editModel_->LoadBarsBeats();
            kit::Log(kit::LogLevel::Warning, "edit",
                     "A click change moved the beats: the bars and beats were reloaded.");
        }
        if (others)
            eventList_->Refresh();
        if (markers)
            markerList_->Refresh();
        timeline_->RefreshItems();
    }
    toolbar_->UpdateButtonStates();
}

void EditController::ReloadChangeLog()
{
    const std::shared_ptr<Interface> player = showManager_->GetPlayer();
    if (!player)
        throw std::runtime_error("No show is loaded.");
    player->LoadNewChangeLog();
    editModel_->SetNeedsSave(true);
    editModel_->SetNeedsUpload(true);
}

void EditController::UpdateLogVersionText()
{
    SetViewProperty(rootObject_, "logVersionText", QString::fromStdString("Log v" + showManager_->GetLogVersion()));
}

void EditController::UpdatePassedMarker(int tick)
{
    if (markerList_ && tick >= 0)
        markerList_->UpdatePassedTick(static_cast<UInt32>(tick));
}

void EditController::UpdateHeldMarker(int tick)
{
    if (markerList_ && tick >= 0)
        markerList_->UpdateHeldTick(static_cast<UInt32>(tick));
}

void EditController::RefreshReported(std::vector<int> codes)
{
    if (!ReportFailure(
            this, kEditFailedTitle, [&] { RefreshAfterEdit(std::move(codes)); },
            "The edit was made, but the views could not follow: "))
        RestoreViews();
}

void EditController::RestoreViews()
{
    ReportFailure(
        this, kEditFailedTitle,
        [this] {
            editModel_->ClearSelection();
            {
                std::lock_guard lock(editLock_);
                eventList_->Refresh();
                markerList_->Refresh();
                timeline_->RefreshItems();
            }
            toolbar_->UpdateButtonStates();
        },
        "The edit panel could not be rebuilt: ");
}

void EditController::onVandMakeEvent(const cmn::VandEvent& event)
{
    timeline_->SuspendViewStartSync(kEditSuspensionMs);
    const bool made = ReportFailure(
        this, kEditFailedTitle,
        [&] {
            timeline_->ClearItems();
            Editor().AddEvent(event);
        },
        "The edit could not be made on this song. ");
    if (made)
        RefreshReported({});
    else
        RestoreViews();
}

bool EditController::onVandMoveEvent(const cmn::VandEvent& event, UInt32 startValue, UInt32 endValue, bool adjustLeft,
                                     bool adjustRight)
{
    const bool moved = ReportFailure(
        this, kEditFailedTitle,
        [&] { Editor().EditEventStartEndValues(event, startValue, endValue, adjustLeft, adjustRight); },
        "The edit could not be completed because: ");
    if (!moved)
        RestoreViews();
    return moved;
}

bool EditController::onVandEditEventStartEndValues(const cmn::VandEvent& event, UInt32 startValue, UInt32 endValue)
{
    const bool changed = ReportFailure(
        this, kEditFailedTitle, [&] { Editor().EditEventStartEndValues(event, startValue, endValue, false, false); },
        "A change to the start or end time could not be completed: ");
    if (!changed)
        RestoreViews();
    return changed;
}

void EditController::onVandEditEventStringValues(const cmn::VandEvent& event, std::string value)
{
    Editor().EditEventStringValue(event, value);
}

void EditController::onVandEditEventIntValues(const cmn::VandEvent& event, int value)
{
    Editor().EditEventIntValue(event, value);
}

void EditController::onVandEditEventFloatValues(const cmn::VandEvent& event, float value)
{
    Editor().EditEventFloatValue(event, static_cast<double>(value));
}

void EditController::EditEventSFXPropertyValues(const cmn::VandEvent& event, CL::SfxProperties properties)
{
    Editor().EditEventSFXPropertyValues(event, properties);
}

void EditController::EditEventOscPropertyValues(const cmn::VandEvent& event, CL::OscProperties properties)
{
    Editor().EditEventOscPropertyValues(event, properties);
}

void EditController::onVandEditSelectedExternally(const cmn::VandEvent* event)
{
    ReportFailure(this, kEditFailedTitle, [&] { eventList_->SelectEvent(event); });
}

void EditController::onVandMarkerSelectedExternally(const cmn::VandEvent* event)
{
    ReportFailure(this, kEditFailedTitle, [&] { markerList_->SelectMarker(event); });
}

void EditController::DeleteRequested()
{
    timeline_->SuspendViewStartSync(kEditSuspensionMs);
    if (!editModel_->selectedEvent)
        return;
    const bool deleted = ReportFailure(
        this, kEditFailedTitle,
        [this] {
            timeline_->ClearItems();
            editModel_->DeleteSelectedEvent();
        },
        "The event could not be deleted: ");
    if (deleted)
        RefreshReported({});
    else
        RestoreViews();
}

void EditController::UndoRequested()
{
    Step(true);
}

void EditController::RedoRequested()
{
    Step(false);
}

void EditController::Step(bool undo)
{
    timeline_->SuspendViewStartSync(kUndoSuspensionMs);
    std::vector<int> codes;
    bool stepped = false;
    const bool ok = ReportFailure(
        this, kEditFailedTitle,
        [&] {
            CL::Editor& editor = Editor();
            if (undo ? !editor.CanUndo() : !editor.CanRedo())
                return;
            codes = CL::GetAffectedCodes(undo ? editor.Undo() : editor.Redo());
            stepped = true;
        },
        undo ? "The last change could not be undone: " : "The change could not be made again: ");
    if (!ok || !stepped)
        return;
    editModel_->ClearSelection();
    RefreshReported(std::move(codes));
}

void EditController::TriggerAttaccaUpdate()
{
    ReportFailure(
        this, kEditFailedTitle,
        [this] {
            if (songList_)
                songList_->RefreshAttaccaStates();
        },
        "The attacca states could not be read: ");
}

void EditController::OnMarkerSelected_(int index)
{
    if (index < 0)
        return;
    ReportFailure(this, kPlaybackErrorTitle, [&] {
        const auto& markers = editModel_->markers;
        if (static_cast<std::size_t>(index) >= markers.size())
            return;
        cmn::VandEvent* marker = markers[static_cast<std::size_t>(index)];
        const std::shared_ptr<Interface> player = showManager_->GetPlayer();
        if (!player)
            throw std::runtime_error("No show is loaded.");
        player->Seek(marker->abs_time());
        {
            std::lock_guard lock(editLock_);
            editModel_->SetSelectedEvent(marker);
        }
        MarkerListSelection selection{marker->abs_time(), player->GetIsPlaying()};
        notify::callbackDispatcher.Notify(notify::names::editControllerMarkerListSelected, &selection);
    });
}

void EditController::OnUpdatedSelectedVandEvent_()
{
    const cmn::VandEvent* selected = editModel_->selectedEvent;
    if (selected && selected->code() == codes::kMarker) {
        const auto& markers = editModel_->markers;
        const auto found = std::find(markers.begin(), markers.end(), selected);
        markerList_->SetCurrentIndex(found == markers.end() ? -1 : static_cast<int>(found - markers.begin()));
    }
    toolbar_->UpdateEditDeleteEnabled();
}

void EditController::onVandEditSelectedEvent()
{
    emit EditButtonSignal(editModel_->selectedEvent);
}

} // namespace vand::qt
