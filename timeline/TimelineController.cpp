#include "timeline/TimelineController.h"

#include <QQuickItem>
#include <QQuickWindow>
#include <QTimer>
#include <QVariant>
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <iomanip>
#include <sstream>

#include "CL/SongLog.h"
#include "cmn/Keys.h"
#include "kit/Log.h"
#include "model/BarsBeatsEventSequence.h"
#include "model/EditModel.h"
#include "model/ShowManager.h"
#include "notify/CallbackDispatcher.h"
#include "timeline/BarsBeatsViewController.h"
#include "timeline/ItemViewFactory.h"
#include "ui/ViewProperty.h"
#include "vand_player_core/Interface.h"

namespace vand::qt {

namespace {

constexpr double kTicksPerBasePixel = 25.0;
const char* kGlyphPath = "qrc:/images/lan.svg";

// Colour keys of the region colour table.
enum ColourKey {
    kCutColour = 0,
    kSkipColour = 1,
    kRepeatColour = 2,
    kVampColour = 3,
    kTempoScaleColour = 4,
    kTransposeColour = 5,
    kClickColour = 6,
};

// A real written to an int property of a view: truncated toward zero, as a
// QML assignment does (a QVariant conversion would round).
int Truncated(double value)
{
    return static_cast<int>(value);
}

int BasePixels(double ticks)
{
    return static_cast<int>(ticks / kTicksPerBasePixel);
}

std::string TempoLabel(const TL::Tempo& tempo)
{
    std::ostringstream text;
    text << ' ' << std::fixed << std::setprecision(2) << tempo.bpm(24);
    return text.str();
}

std::string MeterLabel(const TL::Meter& meter)
{
    return ' ' + std::to_string(meter.numerator) + '/' + std::to_string(meter.denominator);
}

QQuickItem* LaneItem(QObject* view, const char* name)
{
    return view->property(name).value<QQuickItem*>();
}

void DefaultSingleShot(QObject* context, int milliseconds, std::function<void()> fire)
{
    auto* timer = new QTimer(context); // freed with the context at the latest
    timer->setSingleShot(true);
    QObject::connect(timer, &QTimer::timeout, context, [timer, fire = std::move(fire)] {
        fire();
        timer->stop();
        timer->deleteLater();
    });
    timer->start(milliseconds);
}

} // namespace

void TimelineController::DeleteLater::operator()(QObject* object) const
{
    if (object)
        object->deleteLater();
}

TimelineController::TimelineController(QObject* timeline, QQmlEngine* engine, std::shared_ptr<Interface> player,
                                       std::shared_ptr<vand::ShowManager> showManager,
                                       std::shared_ptr<EditModel> editModel, bool fadeRegion, bool oscEnable)
    : QmlController(timeline, engine)
    , player_(std::move(player))
    , oscEnable_(oscEnable)
    , showManager_(std::move(showManager))
    , editModel_(std::move(editModel))
    , views_(std::make_shared<ItemViewFactory>(engine))
    , singleShot_(&DefaultSingleShot)
{
    // The lists, the edit controller and the main controller pass the
    // selection records by these names.
    RegisterSelectionRecordTypes();
    Connect_(fadeRegion);
}

TimelineController::~TimelineController()
{
    playheadItem_ = nullptr;
    notify::callbackDispatcher.RemoveCallbacksForTarget(this);
    barsView_.reset();
    editModel_.reset();
    showManager_.reset();
    viewStartConnection_ = {};
    DropItems();
    player_.reset();
}

template <typename Action>
void TimelineController::Guarded(const char* what, Action&& action)
{
    try {
        action();
    } catch (const std::exception& e) {
        kit::Log(kit::LogLevel::Error, "timeline", std::string(what) + ": " + e.what());
    } catch (...) {
        kit::Log(kit::LogLevel::Error, "timeline", std::string(what) + ": unknown error");
    }
}

void TimelineController::Connect_(bool fadeRegion)
{
    if (!rootObject_) {
        kit::Log(kit::LogLevel::Error, "timeline", "The timeline controller has no view.");
        return;
    }
    QObject* view = rootObject_;
    connect(view, SIGNAL(timelineScaleChanged(double, bool)), this, SLOT(ViewScaleChanged_(double, bool)));
    connect(view, SIGNAL(timelineClicked(int)), this, SLOT(TimelineClicked_(int)));
    ConnectViewStart();

    barsRegion_ = LaneItem(view, "barsRegion");
    keyMarkersBar_ = LaneItem(view, "keyMarkersBar");
    tempoMarkersBar_ = LaneItem(view, "tempoMarkersBar");
    meterMarkersBar_ = LaneItem(view, "meterMarkersBar");
    markersBar_ = LaneItem(view, "markersBar");
    editsBar_ = LaneItem(view, "editsBar");
    effectBar_ = LaneItem(view, "effectBar");
    playheadItem_ = view->property("playheadItem").value<QObject*>();
    if (qobject_cast<QQuickItem*>(view))
        connect(view, SIGNAL(visibleChanged()), this, SLOT(ViewVisibleChanged_()));

    barsView_ = std::make_unique<BarsBeatsViewController>(barsRegion_, nullptr, kTicksPerBasePixel, engine_,
                                                          editModel_.get(), fadeRegion);

    notify::callbackDispatcher.AddCallback(this, notify::names::editControllerMarkerListSelected, [this](void* data) {
        Guarded("Marker selection", [this, data] {
            const auto* selection = static_cast<const MarkerListSelection*>(data);
            if (selection && !selection->playing)
                SetPlayheadTick(static_cast<int>(selection->tick));
        });
    });

    // Item views follow the visible range: the scroll area's position and
    // width change once per scroll, where the view's start and end would
    // report one after the other.
    flickable_ = view->findChild<QQuickItem*>(QStringLiteral("timelineFlickable"));
    if (flickable_) {
        connect(flickable_, SIGNAL(contentXChanged()), this, SLOT(ViewRangeChanged_()));
        connect(flickable_, SIGNAL(widthChanged()), this, SLOT(ViewRangeChanged_()));
    } else {
        kit::Log(kit::LogLevel::Warning, "timeline", "The timeline view has no \"timelineFlickable\".");
    }
}

void TimelineController::ConnectViewStart()
{
    if (rootObject_)
        viewStartConnection_ = connect(this, SIGNAL(SetViewStart_(int)), rootObject_, SIGNAL(setViewStart(int)));
}

void TimelineController::SetCurrentSong(const std::string& song)
{
    try {
        WriteViewScale(1.0);
        editModel_->song = song;
        editModel_->GetShowManager()->SelectSongLogForEditing(song);
        editModel_->LoadBarsBeats();
        SetBaseWidth(std::max(showManager_->GetSongLength(song), editModel_->GetSongAudioEndTick()));
        BuildItems();
    } catch (...) {
        // Nothing of another song may stay clickable.
        DropItems();
        if (barsView_)
            barsView_->Clear();
        throw;
    }
}

void TimelineController::RefreshItems()
{
    BuildItems();
}

void TimelineController::DropItems()
{
    const auto drop = [this](auto& list) {
        for (auto& item : list) {
            item->DropView();
            disconnect(item.get(), nullptr, this, nullptr);
        }
        list.clear();
    };
    drop(regions_);
    drop(caesuras_);
    drop(markers_);
    drop(keys_);
    drop(tempos_);
    drop(meters_);
    drop(glyphs_);
}

void TimelineController::ClearItems()
{
    DropItems();
    if (barsView_) {
        barsView_->Layout();
        UpdateReach();
    }
}

void TimelineController::BuildItems()
{
    ClearItems();
    WriteViewScale(viewScale_);
    if (!rootObject_)
        return;

    QQmlEngine* engine = engine_;
    const auto addRegions = [&](const auto& events, QQuickItem* lane, int colour) {
        for (const auto& event : events) {
            regions_.emplace_back(new TimeRegionController(&event, true, BasePixels(event.abs_time()),
                                                           BasePixels(event.GetLengthTicks()), colour, engine, lane,
                                                           views_));
        }
    };
    const auto addLabel = [&](auto& list, QQuickItem* lane, UInt32 tick, const std::string& label) {
        list.emplace_back(new TimeLineMarkerController(nullptr, false, label, BasePixels(tick), engine, lane, views_));
    };

    const CL::SongLog* log = player_->GetSongLog(); // null: the song has no edits
    const TL::Timeline timeline = player_->GetTimeline();
    if (log) {
        addRegions(log->GetFermatas(), editsBar_, kSkipColour);
        addRegions(log->GetVamps(), editsBar_, kVampColour);
        addRegions(log->GetCuts(), editsBar_, kCutColour);
        addRegions(log->GetRepeats(), editsBar_, kRepeatColour);
        for (const auto& caesura : log->GetDisplayCaesurasRef()) {
            caesuras_.emplace_back(new TimeLineCaesuraController(&caesura, true, BasePixels(caesura.abs_time()), engine,
                                                                 editsBar_, views_));
        }
        for (const auto& marker : log->GetMarkers()) {
            markers_.emplace_back(new TimeLineMarkerController(
                &marker, true, ' ' + marker.value(), BasePixels(marker.abs_time()), engine, markersBar_, views_));
        }
    }
    for (const TL::Key& key : timeline.GetKeys())
        addLabel(keys_, keyMarkersBar_, key.tick, ' ' + Keys::keyNameFromSig(key.sharpsFlats, key.mode));
    if (log)
        addRegions(log->GetTranspositions(), keyMarkersBar_, kTransposeColour);
    for (const TL::Tempo& tempo : timeline.GetTempos())
        addLabel(tempos_, tempoMarkersBar_, tempo.tick, TempoLabel(tempo));
    for (const TL::Meter& meter : timeline.GetMeters())
        addLabel(meters_, meterMarkersBar_, meter.tick, MeterLabel(meter));
    if (log) {
        addRegions(log->GetClicks(), meterMarkersBar_, kClickColour);
        addRegions(log->GetTempoScales(), tempoMarkersBar_, kTempoScaleColour);
        for (const auto& osc : log->GetOscs()) {
            glyphs_.emplace_back(new TimeLineGlyphController(&osc, true, BasePixels(osc.abs_time()), engine, effectBar_,
                                                             QString::fromLatin1(kGlyphPath), oscEnable_, views_));
        }
    }

    UpdateLabelVisibility();
    ViewScaleChanged_(viewScale_, false);
}

void TimelineController::WriteViewScale(double scale)
{
    viewScale_ = scale;
    SetViewProperty(rootObject_, "viewScale", scale, ViewPropertyReport::Once);
}

void TimelineController::SetBaseWidth(unsigned ticks)
{
    SetViewProperty(rootObject_, "baseWidth", Truncated(ticks / kTicksPerBasePixel + 200.0), ViewPropertyReport::Once);
}

int TimelineController::GetViewStartTick() const
{
    return rootObject_ ? static_cast<int>(rootObject_->property("viewStart").toInt() * kTicksPerBasePixel) : 0;
}

int TimelineController::GetViewEndTick() const
{
    return rootObject_ ? static_cast<int>(rootObject_->property("viewEnd").toInt() * kTicksPerBasePixel) : 0;
}

void TimelineController::UpdateLabelVisibility()
{
    for (const auto* list : {&markers_, &keys_, &tempos_, &meters_}) {
        for (std::size_t i = 0; i + 1 < list->size(); ++i) {
            TimeLineMarkerController& item = *(*list)[i];
            item.SetLabelVisible(item.LabelEndsBefore((*list)[i + 1]->LeftEdge()));
        }
    }
}

void TimelineController::UpdateReach()
{
    if (!flickable_)
        return;
    // The visible range and as much again on each side, in content pixels
    // (the content starts paddingBeforeTimelineStart into the scroll area).
    const double width = flickable_->width();
    const double x =
        flickable_->property("contentX").toDouble() - rootObject_->property("paddingBeforeTimelineStart").toDouble();
    const double leftPixel = x - width;
    const double rightPixel = x + 2 * width;
    const double scale = viewScale_ > 0 ? viewScale_ : 1.0;
    const int left = static_cast<int>(std::floor(leftPixel / scale));
    const int right = static_cast<int>(std::ceil(rightPixel / scale));
    const auto reach = [&](const auto& list, bool relay) {
        for (std::size_t i = 0; i < list.size(); ++i) {
            VandEventController& item = *list[i];
            const bool covered = i + 1 < list.size() && item.IsCoveredBy(*list[i + 1]);
            item.UpdateReach(leftPixel, rightPixel, covered);
            if (relay && item.HasView())
                Relay(item);
        }
    };
    reach(regions_, true);
    reach(caesuras_, true);
    reach(markers_, true);
    reach(keys_, false);
    reach(tempos_, false);
    reach(meters_, false);
    reach(glyphs_, true);
    if (barsView_)
        barsView_->SetReach(left, right);
}

void TimelineController::Relay(VandEventController& item)
{
    connect(&item, &VandEventController::SelectedSignal, this, &TimelineController::onEditRegionSelected,
            Qt::UniqueConnection);
    connect(&item, &VandEventController::DoubleClickedSignal, this, &TimelineController::onEditRegionDoubleClicked,
            Qt::UniqueConnection);
    connect(&item, &VandEventController::DraggedSignal, this, &TimelineController::onEditRegionDragged,
            Qt::UniqueConnection);
}

void TimelineController::ViewRangeChanged_()
{
    Guarded("Scrolling the timeline", [this] { UpdateReach(); });
}

void TimelineController::ViewScaleChanged_(double val, bool)
{
    Guarded("Zooming the timeline", [this, val] {
        viewScale_ = val;
        // Regions pass it on through their SetViewScale signal.
        for (VandEventController* item : Items())
            item->ApplyViewScale(val);
        UpdateLabelVisibility();
        SetViewProperty(playheadItem_, "viewScale", val, ViewPropertyReport::Once);
        // A move too small to show at the old scale may show at the new one.
        if (IsViewShown())
            WritePlayhead(true);
        else
            playheadZoomedWhileHidden_ = true;
        if (barsView_)
            barsView_->SetViewScale(val, false);
        emit SetViewStart_(GetViewStartTick() / 25);
        UpdateReach();
    });
}

void TimelineController::SetPlayheadTick(int tick)
{
    playheadTick_ = tick;
    playheadMovedWhileHidden_ = !IsViewShown();
    if (!playheadMovedWhileHidden_)
        ShowPlayhead(false);
}

void TimelineController::ShowPlayhead(bool exact)
{
    WritePlayhead(exact);
    if (playheadTick_ < GetViewStartTick() || playheadTick_ > GetViewEndTick())
        emit SetViewStart_(playheadTick_ / 25);
}

bool TimelineController::IsViewShown() const
{
    const auto* view = qobject_cast<const QQuickItem*>(rootObject_);
    return view && view->isVisible();
}

void TimelineController::WritePlayhead(bool exact)
{
    if (!playheadItem_)
        return;
    const int pos = Truncated((playheadTick_ - 8) / kTicksPerBasePixel);
    const auto* view = qobject_cast<const QQuickItem*>(rootObject_);
    const double devicePixels =
        (view && view->window()) ? view->window()->effectiveDevicePixelRatio() * viewScale_ : viewScale_;
    if (exact || !shownPlayheadPos_ || std::abs(pos - *shownPlayheadPos_) * devicePixels >= 1.0) {
        if (SetViewProperty(playheadItem_, "basePos", pos, ViewPropertyReport::Once))
            shownPlayheadPos_ = pos;
    }
}

void TimelineController::ViewVisibleChanged_()
{
    Guarded("Showing the timeline", [this] {
        if (!IsViewShown())
            return;
        if (playheadMovedWhileHidden_)
            ShowPlayhead(true);
        else if (playheadZoomedWhileHidden_)
            WritePlayhead(true);
        playheadMovedWhileHidden_ = false;
        playheadZoomedWhileHidden_ = false;
    });
}

void TimelineController::TimelineClicked_(int pos)
{
    emit timelineClicked();
    Guarded("Seeking from the timeline", [this, pos] {
        UInt32 tick = pos > 0 ? static_cast<UInt32>(pos * kTicksPerBasePixel) : 0u;
        const std::shared_ptr<BarsBeatsEventSequence> table = editModel_ ? editModel_->barsBeats : nullptr;
        const UInt32 length = player_->GetSongLength(player_->GetCurrentSongNumber());
        tick = std::min(tick, length);
        player_->Seek(static_cast<UInt32>(table ? table->NearestTick(tick) : 0));
    });
}

void TimelineController::SelectEvent(EventInfoItem item)
{
    const auto select = [this, &item](const auto& list) {
        for (const auto& entry : list) {
            const cmn::VandEvent* event = entry->GetEvent();
            const bool selected = event && EventInfoItem::FromEvent(*event) == item;
            entry->SetSelected(selected);
            if (selected)
                emit SetViewStart_(static_cast<int>(event->start() / 25));
        }
    };
    select(regions_);
    select(caesuras_);
    select(markers_);
    select(glyphs_);
}

void TimelineController::SelectMarker(MarkerInfoItem item)
{
    for (const auto& marker : markers_) {
        const cmn::VandEvent* event = marker->GetEvent();
        marker->SetSelected(event && MarkerInfoItem::FromMarker(CL::Marker(*event)) == item);
    }
}

void TimelineController::SuspendViewStartSync(int milliseconds)
{
    if (!disconnect(viewStartConnection_))
        return; // a suspension runs; it is neither extended nor shortened
    viewStartConnection_ = {};
    singleShot_(this, milliseconds, [this] { ConnectViewStart(); });
}

void TimelineController::onEditRegionSelected(const cmn::VandEvent* event)
{
    const auto mark = [event](const auto& list) {
        for (const auto& item : list)
            item->SetSelected(item->GetEvent() == event);
    };
    mark(regions_);
    mark(caesuras_);
    mark(markers_);
    mark(glyphs_);
    emit EditSelectedSignal(event);
}

void TimelineController::onEditRegionDoubleClicked()
{
    emit EditDoubleClickedSignal();
}

void TimelineController::onEditRegionDragged(const cmn::VandEvent* event, int start, int end, bool adjustLeft,
                                             bool adjustRight)
{
    emit EditDraggedSignal(event, static_cast<int>(start * kTicksPerBasePixel),
                           static_cast<int>(end * kTicksPerBasePixel), adjustLeft, adjustRight);
    SuspendViewStartSync(100);
}

namespace {

template <typename Result, typename List>
void Collect(std::vector<Result*>& out, const List& list)
{
    for (const auto& item : list)
        out.push_back(item.get());
}

} // namespace

std::vector<VandEventController*> TimelineController::Items() const
{
    std::vector<VandEventController*> out;
    Collect(out, regions_);
    Collect(out, caesuras_);
    Collect(out, markers_);
    Collect(out, keys_);
    Collect(out, tempos_);
    Collect(out, meters_);
    Collect(out, glyphs_);
    return out;
}

#define VAND_TIMELINE_LIST(Name, Type, member)                                                                         \
    std::vector<Type*> TimelineController::Name() const                                                                \
    {                                                                                                                  \
        std::vector<Type*> out;                                                                                        \
        Collect(out, member);                                                                                          \
        return out;                                                                                                    \
    }
VAND_TIMELINE_LIST(MarkerItems, TimeLineMarkerController, markers_)
VAND_TIMELINE_LIST(KeyItems, TimeLineMarkerController, keys_)
VAND_TIMELINE_LIST(TempoItems, TimeLineMarkerController, tempos_)
VAND_TIMELINE_LIST(MeterItems, TimeLineMarkerController, meters_)
VAND_TIMELINE_LIST(RegionItems, TimeRegionController, regions_)
VAND_TIMELINE_LIST(CaesuraItems, TimeLineCaesuraController, caesuras_)
VAND_TIMELINE_LIST(GlyphItems, TimeLineGlyphController, glyphs_)
#undef VAND_TIMELINE_LIST

} // namespace vand::qt
