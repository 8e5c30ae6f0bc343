#pragma once

// The hub of edit mode. Wraps the main window's edit panel (EditPanel), owns
// the controllers of its song, marker and event lists and of its toolbar,
// keeps the selected change-log event in the shared edit model, and is the
// one place where change-log records are added, moved, changed, deleted,
// undone and redone. Every change goes through the show manager's
// PauseAndGetEditor, so playback pauses first; afterwards the log is reloaded
// into the engine, the lists of the kinds it touched and the timeline items
// are rebuilt and the toolbar follows.
//
// Selection runs through the named dispatcher (notify::callbackDispatcher):
// the lists publish the row chosen, the edit model publishes each change of
// the selection, and this controller answers both. Those notifications are
// synchronous and re-enter on the same thread, hence the recursive lock.
//
// A refused edit is reported through `error` ("Edit Failed"); what it
// cleared is rebuilt, but the engine is not reloaded and the change log is
// not marked modified.
//
// Threads: GUI thread only. Slots reached from QML, the menu or the toolbar
// never let an exception out; the value and property slots do (the calling
// edit tool reports it), and so do the public operations.

#include <QPointer>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "CL/Properties.h"
#include "cmn/Types.h"
#include "model/SelectionRecords.h"
#include "ui/QmlController.h"

class Interface;
class QQmlEngine;
class QQuickItem;

namespace CL {
class Editor;
}
namespace cmn {
class VandEvent;
}

namespace vand {
class ShowManager;
}

namespace vand::qt {

class EditModel;
class EventListController;
class MarkerListController;
class SongListController;
class TimelineController;
class TimelineEditController;

class EditController : public QmlController
{
    Q_OBJECT
    Q_PROPERTY(bool enableOsc READ enableOsc CONSTANT)
public:
    // panel: the main window's editPanelControl. The timeline outlives this
    // controller.
    EditController(QQmlEngine* engine, std::shared_ptr<vand::ShowManager> showManager,
                   std::shared_ptr<EditModel> editModel, std::shared_ptr<Interface> player, QQuickItem* panel,
                   TimelineController& timeline, bool oscEnabled);
    ~EditController() override;

    bool enableOsc() const { return oscEnabled_; }

    // Needs-save and needs-upload set; toolbar and menu follow.
    void SetChangeLogModified();
    // After a local save: needs-save cleared, the version label updated.
    void ChangeLogSaved();
    // After a share: both flags cleared, the version label updated.
    void ChangeLogSavedAndUploaded();
    void ClearEventSelection();
    void ClearMarkerSelection();
    // The player loaded a song: no selection, the song's log, bars and beats
    // and lists, the song's row, the toolbar and the version label.
    void SetCurrentSong(const std::string& song);
    // After a change of the change log; no codes: the editor's last edit
    // (every kind when it has none).
    void RefreshAfterEdit(std::vector<int> codes);
    // LoadNewChangeLog on the engine; the log needs saving and sharing.
    void ReloadChangeLog();
    void UpdateLogVersionText();
    // The playhead passed a marker at tick.
    void UpdatePassedMarker(int tick);
    // Playback holds at tick (a caesura): a marker there counts as passed.
    void UpdateHeldMarker(int tick);
    // Rebuilds the lists and the timeline items as the change log is, without
    // reloading the engine or marking the log modified (after a refusal).
    // Failures are reported through `error`.
    void RestoreViews();

    EditModel* GetEditModel() const { return editModel_.get(); }
    SongListController* GetSongList() const { return songList_.get(); }
    MarkerListController* GetMarkerList() const { return markerList_.get(); }
    EventListController* GetEventList() const { return eventList_.get(); }
    TimelineEditController* GetToolbar() const { return toolbar_.get(); }

signals:
    void AttaccaStateChanged(std::string songNum, UInt8 status);
    void EditButtonSignal(cmn::VandEvent* vandEvent);
    void EventItemChangedSignal(EventInfoItem item);
    void MarkerItemChangedSignal(MarkerInfoItem item);
    void UpdateUndoRedoState(bool canUndo, bool canRedo, bool canSave, bool canShare);

public slots:
    // A refusal is reported and rebuilds what was cleared.
    void onVandMakeEvent(const cmn::VandEvent& event);
    // Moves or resizes; a refusal is reported and the views rebuilt. True
    // when the editor took it: the caller then refreshes.
    bool onVandMoveEvent(const cmn::VandEvent& event, UInt32 startValue, UInt32 endValue, bool adjustLeft = false,
                         bool adjustRight = false);
    bool onVandEditEventStartEndValues(const cmn::VandEvent& event, UInt32 startValue, UInt32 endValue);
    // Throw what the editor throws; the caller refreshes.
    void onVandEditEventStringValues(const cmn::VandEvent& event, std::string value);
    void onVandEditEventIntValues(const cmn::VandEvent& event, int value);
    void onVandEditEventFloatValues(const cmn::VandEvent& event, float value);
    void EditEventSFXPropertyValues(const cmn::VandEvent& event, CL::SfxProperties properties);
    void EditEventOscPropertyValues(const cmn::VandEvent& event, CL::OscProperties properties);

    void onVandEditSelectedExternally(const cmn::VandEvent* event);
    void onVandMarkerSelectedExternally(const cmn::VandEvent* event);
    void UndoRequested();
    void RedoRequested();
    void DeleteRequested();
    void TriggerAttaccaUpdate();
    void OnMarkerSelected_(int index);
    void OnUpdatedSelectedVandEvent_();
    void onVandEditSelectedEvent();

private:
    CL::Editor& Editor();
    void Step(bool undo);
    // RefreshAfterEdit; a failure is reported and the views rebuilt.
    void RefreshReported(std::vector<int> codes);
    void Subscribe();

    std::recursive_mutex editLock_;
    std::shared_ptr<vand::ShowManager> showManager_;
    std::shared_ptr<Interface> player_;
    std::shared_ptr<EditModel> editModel_;
    std::unique_ptr<SongListController> songList_;
    std::unique_ptr<MarkerListController> markerList_;
    std::unique_ptr<EventListController> eventList_;
    std::unique_ptr<TimelineEditController> toolbar_;
    TimelineController* timeline_ = nullptr;
    bool oscEnabled_ = true;
};

} // namespace vand::qt
