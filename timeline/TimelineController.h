#pragma once

// Drives the main window's timeline view (TimeLine.qml): fills its lanes with
// one item per change-log event and per key, tempo and meter of the current
// song, keeps the items in step with the view's zoom and scroll position,
// moves the playhead, seeks the player when the user clicks the timeline
// (snapped to the nearest beat), selects the items the lists pick, and relays
// item clicks, double-clicks and drags.
//
// Item views exist only near the visible range (the reach: the visible range
// and a screen on each side); the items themselves, their state and the label
// decisions cover the whole song.
//
// Threads: GUI thread only. Public operations may throw (player, change-log
// core, the bar table); slots that QML or item views call never do.

#include <QMetaObject>
#include <QPointer>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "model/SelectionRecords.h"
#include "timeline/VandEventController.h"
#include "ui/QmlController.h"

class Interface;
class QQuickItem;
class QTimer;

namespace vand {
class ShowManager;
}

namespace vand::qt {

class BarsBeatsViewController;
class EditModel;
class ItemViewFactory;

class TimelineController : public QmlController
{
    Q_OBJECT
public:
    // Runs `fire` once, after `milliseconds`, on the GUI thread, as long as
    // `context` lives. The default uses a QTimer child of context that stops
    // and deletes itself on its timeout; tests step time by hand.
    using SingleShot = std::function<void(QObject* context, int milliseconds, std::function<void()> fire)>;

    TimelineController(QObject* timeline, QQmlEngine* engine, std::shared_ptr<Interface> player,
                       std::shared_ptr<vand::ShowManager> showManager, std::shared_ptr<EditModel> editModel,
                       bool fadeRegion, bool oscEnable);
    ~TimelineController() override;

    // Switches to a song: zoom 1.0, the song's log and bar table, the view's
    // width, all items. On failure no item stays and the exception goes on.
    void SetCurrentSong(const std::string& song);
    // Rebuilds every item; zoom and width stay.
    void RefreshItems();
    // Hides and releases every item at once (deleted later: one of them may
    // be inside its own handler), then lays out the bars lane again.
    void ClearItems();
    // Moves the playhead to `tick`, scrolling the view to it when it lies
    // outside. The view is written only while it is shown and only when the
    // line moves by at least one device pixel (every write schedules a
    // frame); a view shown again after moves while hidden, or zoomed, gets the
    // exact position.
    void SetPlayheadTick(int tick);
    void SelectEvent(EventInfoItem item);
    void SelectMarker(MarkerInfoItem item);
    // Stops following view-start requests for `milliseconds`; a request while
    // one runs is ignored.
    void SuspendViewStartSync(int milliseconds);

    void SetSingleShot(SingleShot singleShot) { singleShot_ = std::move(singleShot); }
    bool IsViewStartSuspended() const { return !viewStartConnection_; }

    // For tests and the benchmark.
    std::vector<VandEventController*> Items() const;
    std::vector<TimeLineMarkerController*> MarkerItems() const;
    std::vector<TimeLineMarkerController*> KeyItems() const;
    std::vector<TimeLineMarkerController*> TempoItems() const;
    std::vector<TimeLineMarkerController*> MeterItems() const;
    std::vector<TimeRegionController*> RegionItems() const;
    std::vector<TimeLineCaesuraController*> CaesuraItems() const;
    std::vector<TimeLineGlyphController*> GlyphItems() const;
    BarsBeatsViewController* GetBarsView() const { return barsView_.get(); }

signals:
    void SetViewStart_(int val);
    void EditSelectedSignal(const cmn::VandEvent* event);
    void EditDoubleClickedSignal();
    void EditDraggedSignal(const cmn::VandEvent* event, int start, int end, bool adjustLeft, bool adjustRight);
    void timelineClicked();

public slots:
    void ViewScaleChanged_(double val, bool initializing);
    void TimelineClicked_(int pos);
    void onEditRegionSelected(const cmn::VandEvent* event);
    void onEditRegionDoubleClicked();
    void onEditRegionDragged(const cmn::VandEvent* event, int start, int end, bool adjustLeft, bool adjustRight);

private slots:
    // The view scrolled, zoomed or changed size.
    void ViewRangeChanged_();
    // The view was shown or hidden.
    void ViewVisibleChanged_();

private:
    // Deletes later, so that an item inside its own handler survives it.
    struct DeleteLater
    {
        void operator()(QObject* object) const;
    };
    template <typename T>
    using ItemList = std::vector<std::unique_ptr<T, DeleteLater>>;

    void Connect_(bool fadeRegion);
    void BuildItems();
    void DropItems();
    void WriteViewScale(double scale);
    void SetBaseWidth(unsigned ticks);
    int GetViewStartTick() const;
    int GetViewEndTick() const;
    void UpdateLabelVisibility();
    // Gives each item in reach its view, or drops it; an item of the change
    // log is connected to this controller once its view is first made (only
    // a view clicks, double-clicks or drags), so a song of many events costs
    // no connections for items never seen.
    void UpdateReach();
    void Relay(VandEventController& item);
    void ConnectViewStart();
    bool IsViewShown() const;
    // Writes the playhead at playheadTick_; `exact` writes even a move of
    // less than a device pixel.
    void WritePlayhead(bool exact);
    // Writes it and scrolls the view to it when it lies outside.
    void ShowPlayhead(bool exact);
    template <typename Action>
    void Guarded(const char* what, Action&& action);

    std::shared_ptr<Interface> player_;
    QPointer<QQuickItem> keyMarkersBar_;
    QPointer<QQuickItem> tempoMarkersBar_;
    QPointer<QQuickItem> meterMarkersBar_;
    QPointer<QQuickItem> markersBar_;
    QPointer<QQuickItem> editsBar_;
    QPointer<QQuickItem> effectBar_;
    QPointer<QQuickItem> barsRegion_;
    QPointer<QObject> playheadItem_;
    int playheadTick_ = 0;
    // The base pixel last written to the playhead; none before the first write.
    std::optional<int> shownPlayheadPos_;
    bool playheadMovedWhileHidden_ = false;
    bool playheadZoomedWhileHidden_ = false;
    QPointer<QQuickItem> flickable_;
    double viewScale_ = 1.0;
    bool oscEnable_ = true;
    ItemList<TimeRegionController> regions_;
    ItemList<TimeLineCaesuraController> caesuras_;
    ItemList<TimeLineMarkerController> markers_;
    ItemList<TimeLineMarkerController> keys_;
    ItemList<TimeLineMarkerController> tempos_;
    ItemList<TimeLineMarkerController> meters_;
    ItemList<TimeLineGlyphController> glyphs_;
    std::unique_ptr<BarsBeatsViewController> barsView_;
    std::shared_ptr<vand::ShowManager> showManager_;
    std::shared_ptr<EditModel> editModel_;
    QMetaObject::Connection viewStartConnection_;
    std::shared_ptr<ItemViewFactory> views_;
    SingleShot singleShot_;
};

} // namespace vand::qt
