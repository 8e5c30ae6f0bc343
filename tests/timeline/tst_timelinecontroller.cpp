// The timeline controller on a real engine and the real TimeLine view: items
// per lane, labels and colours, connections, playhead following, scrolling
// suspensions, click to seek, selection from the lists, the label passes, the
// bars lane and its audio boxes, item views near the visible range only, and
// a rebuild from inside an item's own drag.

#include <QPointer>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <iostream>
#include <map>
#include <sstream>

#include "../model/BarsBeatsSequence.h"
#include "StreamCapture.h"
#include "TimelineFixture.h"
#include "cmn/EventCodes.h"
#include "kit/Log.h"
#include "model/BarsBeatsEventSequence.h"
#include "notify/CallbackDispatcher.h"
#include "timeline/BarsBeatsViewController.h"
#include "timeline/ItemViewFactory.h"
#include "timeline/RegionColours.h"
#include "timeline/TimelineStartEndSelectorController.h"
#include "vand_core/qt/MetaTypes.h"

using timeline_test::Beat;
using timeline_test::ShowSetup;
using timeline_test::Song;
using timeline_test::TimelineFixture;
using vand::qt::BarController;
using vand::qt::EventInfoItem;
using vand::qt::MarkerInfoItem;
using vand::qt::TimelineController;
using vand::qt::VandEventController;

namespace {

// Song 1 starts at tick 1000 (base pixel 40): bars 1-6 in 4/4 at 120 bpm
// (2000 ticks), bars 7-8 in 3/4 (1500), bars 9-12 in 3/4 at 60 bpm (3000);
// it ends at 28000 (base pixel 1120). Key Eb, G from bar 5. Song 2 has no
// edits. Song 3: two markers 10 base pixels apart.
ShowSetup StandardShow()
{
    ShowSetup setup;
    auto one = Song("1", 12, 1000);
    one.tempos = {{"1", 120.0}, {"9", 60.0}};
    one.meters = {{"1", 4, 4}, {"7", 3, 4}};
    one.keys = {{"1", -3, 0}, {"5", 1, 0}};
    setup.songs = {one, Song("2", 4), Song("3", 8, 1000)};
    setup.log.SetVersion(cmn::VANDVersion(1, 0));
    CL::SongLog& log = setup.log.GetOrCreateSongLog("1");
    log.Add(CL::Fermata(3000, 5000, "M2", 0));
    log.Add(CL::Vamp(5000, 7000, "V3", 2));
    log.Add(CL::Cut(19000, 22000, "B10", 0));
    log.Add(CL::Repeat(9000, 11000, "A5", 1));
    log.Add(CL::Caesura(7000, "N4", 0));
    log.Add(CL::Caesura(10000, "N5", 0));
    log.Add(CL::Marker(1000, "Intro", "E1"));
    log.Add(CL::Marker(9000, "Letter A", "E5"));
    log.Add(CL::Transpose(3000, 7000, "C2", 2));
    log.Add(CL::Click(1000, 3000, "L1", 4));
    log.Add(CL::TempoScale(16000, 19000, "D9", 0.9));
    log.Add(CL::Osc(1000, "S1", CL::OscProperties("/cue/1/go", "N")));
    CL::SongLog& three = setup.log.GetOrCreateSongLog("3");
    three.Add(CL::Marker(1000, "A", "E1"));
    three.Add(CL::Marker(1250, "B", "E2"));
    return setup;
}

QString Kind(VandEventController* item)
{
    if (qobject_cast<vand::qt::TimeRegionController*>(item))
        return "R";
    if (qobject_cast<vand::qt::TimeLineCaesuraController*>(item))
        return "N";
    if (dynamic_cast<vand::qt::TimeLineGlyphController*>(item))
        return "G";
    return "M";
}

// "kind@position[+width]|colour or label|editable" of an item, read from its view.
QString Describe(VandEventController* item)
{
    QObject* view = item->GetQmlObject();
    QString text = Kind(item) + '@' + QString::number(item->GetBasePosition());
    if (auto* region = qobject_cast<vand::qt::TimeRegionController*>(item))
        text += '+' + QString::number(region->GetBaseWidth()) + '|' + view->property("baseColor").toString();
    if (Kind(item) == "M")
        text += '|' + view->property("labelText").toString();
    text += view->property("editable").toBool() ? "|editable" : "|fixed";
    return text;
}

QString LineText(const BarController& line)
{
    QString text = QString::fromStdString(line.IsEndBar() ? std::string("E") : line.GetLabel())
                   + (line.IsEndBar() ? ""
                      : line.IsBar()  ? "B"
                                      : "b")
                   + '@' + QString::number(line.GetPosition());
    text += line.IsVisible() ? "" : " hidden";
    text += line.ShowsLabel() ? "" : " nolabel";
    return text;
}

QStringList Lines(TimelineController& controller)
{
    QStringList out;
    for (const BarController& line : controller.GetBarsView()->GetLines())
        out << LineText(line);
    return out;
}

// Records the suspension ends instead of running timers.
struct ManualSingleShot
{
    std::vector<int> delays;
    std::vector<std::function<void()>> pending;
    TimelineController::SingleShot Make()
    {
        return [this](QObject*, int ms, std::function<void()> fire) {
            delays.push_back(ms);
            pending.push_back(std::move(fire));
        };
    }
    void FireAll()
    {
        auto fires = std::move(pending);
        pending.clear();
        for (auto& fire : fires)
            fire();
    }
};

} // namespace

class TestTimelineController : public QObject
{
    Q_OBJECT
private:
    std::unique_ptr<TimelineFixture> fixture;

    TimelineController& Controller() { return *fixture->controller; }

    void Start(ShowSetup setup = StandardShow(), const std::string& song = "1")
    {
        fixture = std::make_unique<TimelineFixture>(std::move(setup));
        QVERIFY(QTest::qWaitForWindowExposed(fixture->window.get()));
        fixture->Load(song);
    }

private slots:
    void initTestCase() { vand::core::RegisterQtMetaTypes(); }

    void cleanup()
    {
        fixture.reset();
        kit::SetLogSink({});
        // The process-wide dispatcher outlives the test: a subscription left
        // behind would be called with a dangling target by the next one.
        QCOMPARE(notify::callbackDispatcher->CallbackCount(), std::size_t(0));
    }

    void itemsPerLane_data()
    {
        QTest::addColumn<QString>("lane");
        QTest::addColumn<QStringList>("items");
        QTest::newRow("key") << "keyLane"
                             << QStringList{"M@360| G|fixed", "M@40| Eb|fixed", "R@120+160|#ffff00|editable"};
        QTest::newRow("tempo") << "tempoLane"
                               << QStringList{"M@40| 120.00|fixed", "M@640| 60.00|fixed", "R@640+120|#0d6d97|editable"};
        QTest::newRow("meter") << "meterLane"
                               << QStringList{"M@40| 4/4|fixed", "M@520| 3/4|fixed", "R@40+80|#3da893|editable"};
        QTest::newRow("markers") << "markerLane" << QStringList{"M@360| Letter A|editable", "M@40| Intro|editable"};
        QTest::newRow("events") << "eventLane"
                                << QStringList{"N@280|editable",
                                               "N@400|editable",
                                               "R@120+80|#6e3493|editable",
                                               "R@200+80|#00bfff|editable",
                                               "R@360+80|#daa520|editable",
                                               "R@760+120|#dc143c|editable"};
        QTest::newRow("effects") << "effectLane" << QStringList{"G@40|editable"};
    }
    void itemsPerLane()
    {
        QFETCH(QString, lane);
        QFETCH(QStringList, items);
        Start();
        QQuickItem* laneItem = fixture->Child(qPrintable(lane));
        QVERIFY(laneItem);
        QStringList found;
        for (VandEventController* item : Controller().Items()) {
            QVERIFY2(item->HasView(), "the whole song lies within reach");
            if (qobject_cast<QQuickItem*>(item->GetQmlObject())->parentItem() == laneItem)
                found << Describe(item);
        }
        found.sort();
        QCOMPARE(found, items);
    }

    // The four kinds that change the flow of playback each get a colour of
    // their own, none of them the colour of an unknown key.
    void flowRegionColoursDiffer()
    {
        Start();
        std::map<unsigned char, QColor> colours;
        for (vand::qt::TimeRegionController* region : Controller().RegionItems()) {
            if (!region->GetEvent() || !codes::IsFlowRegionCode(region->GetEvent()->code()))
                continue;
            QVERIFY(region->HasView());
            const QColor colour = region->GetQmlObject()->property("baseColor").value<QColor>();
            QVERIFY2(colour.isValid(), qPrintable(Describe(region)));
            colours[region->GetEvent()->code()] = colour;
        }
        QCOMPARE(colours.size(), std::size_t(4)); // cut, skip, repeat, vamp
        for (auto a = colours.begin(); a != colours.end(); ++a) {
            QVERIFY2(a->second != QColor(vand::qt::RegionColour(-1)), qPrintable(a->second.name()));
            for (auto b = std::next(a); b != colours.end(); ++b)
                QVERIFY2(
                    a->second != b->second,
                    qPrintable(
                        QString("'%1' and '%2' share %3").arg(QChar(a->first), QChar(b->first), a->second.name())));
        }
    }

    // A key the colour table lacks draws in the neutral grey.
    void unknownKeyRegionIsGrey()
    {
        Start();
        auto views = std::make_shared<vand::qt::ItemViewFactory>(&fixture->qml);
        vand::qt::TimeRegionController region(nullptr, false, 10, 20, 42, &fixture->qml, fixture->Child("eventLane"),
                                              views);
        region.UpdateReach(0, 1000);
        QVERIFY(region.HasView());
        QCOMPARE(region.GetQmlObject()->property("baseColor").value<QColor>(), QColor("#cccccc"));
        QCOMPARE(region.GetQmlObject()->property("editable").toBool(), false);
    }

    // Key, tempo and meter labels lead nowhere; every change-log item selects
    // its event, and only its own items.
    void onlyChangeLogItemsAreConnected()
    {
        Start();
        QSignalSpy selected(&Controller(), &TimelineController::EditSelectedSignal);
        const auto fixed = [this] {
            std::vector<VandEventController*> out;
            for (const auto& list : {Controller().KeyItems(), Controller().TempoItems(), Controller().MeterItems()})
                out.insert(out.end(), list.begin(), list.end());
            return out;
        };
        const std::vector<VandEventController*> labels = fixed();
        QCOMPARE(labels.size(), std::size_t(6));
        for (VandEventController* item : labels) {
            QVERIFY(item->GetEvent() == nullptr);
            QVERIFY(QMetaObject::invokeMethod(item->GetQmlObject(), "clicked"));
            QVERIFY(QMetaObject::invokeMethod(item->GetQmlObject(), "doubleClicked"));
        }
        QCOMPARE(selected.count(), 0);

        int connected = 0;
        for (VandEventController* item : Controller().Items()) {
            if (!item->GetEvent())
                continue;
            ++connected;
            QVERIFY(QMetaObject::invokeMethod(item->GetQmlObject(), "clicked"));
            QCOMPARE(selected.count(), connected);
            QCOMPARE(selected.last().at(0).value<const cmn::VandEvent*>(), item->GetEvent());
            for (VandEventController* other : Controller().Items()) {
                if (other->GetEvent())
                    QCOMPARE(other->IsSelected(), other == item);
            }
        }
        QCOMPARE(connected, 12);
        // A second click on the selected item leaves it selected.
        VandEventController* marker = Controller().MarkerItems().front();
        QVERIFY(QMetaObject::invokeMethod(marker->GetQmlObject(), "clicked"));
        QVERIFY(QMetaObject::invokeMethod(marker->GetQmlObject(), "clicked"));
        QVERIFY(marker->IsSelected());
        QVERIFY(marker->GetQmlObject()->property("selected").toBool());

        QSignalSpy doubleClicked(&Controller(), &TimelineController::EditDoubleClickedSignal);
        QVERIFY(QMetaObject::invokeMethod(marker->GetQmlObject(), "doubleClicked"));
        QCOMPARE(doubleClicked.count(), 1);
    }

    void playheadFollowsPlayback_data()
    {
        QTest::addColumn<int>("startPixel");
        QTest::addColumn<int>("tick"); // -1: one past viewEnd * 25
        QTest::addColumn<bool>("suspended");
        QTest::addColumn<int>("expectedStart"); // -1: the tick's base pixel
        QTest::newRow("inside") << 0 << 5000 << false << 0;
        QTest::newRow("at the left edge") << 100 << 2500 << false << 100;
        QTest::newRow("past the right edge") << 0 << -1 << false << -1;
        QTest::newRow("left of the view") << 400 << 1000 << false << -1;
        QTest::newRow("while suspended") << 0 << -1 << true << 0;
    }
    void playheadFollowsPlayback()
    {
        QFETCH(int, startPixel);
        QFETCH(int, tick);
        QFETCH(bool, suspended);
        QFETCH(int, expectedStart);
        Start();
        ManualSingleShot timers;
        Controller().SetSingleShot(timers.Make());
        QMetaObject::invokeMethod(fixture->timeline, "setViewStart", Q_ARG(int, startPixel));
        if (tick < 0)
            tick = fixture->timeline->property("viewEnd").toInt() * 25 + 1;
        if (suspended)
            Controller().SuspendViewStartSync(250);
        QSignalSpy viewStarts(&Controller(), &TimelineController::SetViewStart_);
        Controller().SetPlayheadTick(tick);
        QObject* playhead = fixture->timeline->property("playheadItem").value<QObject*>();
        QCOMPARE(playhead->property("basePos").toInt(), (tick - 8) / 25);
        const int expected = expectedStart < 0 ? tick / 25 : expectedStart;
        QCOMPARE(fixture->timeline->property("viewStart").toInt(), expected);
        QCOMPARE(viewStarts.count(), expected != startPixel || suspended ? 1 : 0);
    }

    // Every write of the playhead schedules a frame: a hidden view gets none,
    // a move of less than a device pixel none, until the view is shown again
    // or zoomed, which get the exact position.
    void playheadWritesOnlyWhatShows_data()
    {
        QTest::addColumn<double>("scale");
        QTest::addColumn<bool>("hidden");
        QTest::addColumn<int>("pixels");    // base pixels moved after the first write
        QTest::addColumn<int>("writes");    // basePos writes for the move
        QTest::addColumn<QString>("after"); // "show", "zoom" or ""
        QTest::addColumn<int>("afterWrites");
        QTest::newRow("a pixel at zoom 1") << 1.0 << false << 1 << 1 << "" << 0;
        QTest::newRow("a pixel zoomed in") << 2.0 << false << 1 << 1 << "" << 0;
        QTest::newRow("half a pixel zoomed out") << 0.5 << false << 1 << 0 << "" << 0;
        QTest::newRow("a whole pixel zoomed out") << 0.5 << false << 2 << 1 << "" << 0;
        QTest::newRow("half a pixel, then zoomed in") << 0.5 << false << 1 << 0 << "zoom" << 1;
        QTest::newRow("half a pixel, zoomed in while hidden") << 0.5 << false << 1 << 0 << "zoom hidden, show" << 1;
        QTest::newRow("hidden") << 1.0 << true << 40 << 0 << "" << 0;
        QTest::newRow("hidden, then shown") << 1.0 << true << 40 << 0 << "show" << 1;
        QTest::newRow("shown again without a move") << 1.0 << true << 0 << 0 << "show" << 0;
    }
    void playheadWritesOnlyWhatShows()
    {
        QFETCH(double, scale);
        QFETCH(bool, hidden);
        QFETCH(int, pixels);
        QFETCH(int, writes);
        QFETCH(QString, after);
        QFETCH(int, afterWrites);
        Start();
        QCOMPARE(fixture->window->effectiveDevicePixelRatio(), 1.0);
        fixture->timeline->setProperty("viewScale", scale);
        QObject* playhead = fixture->timeline->property("playheadItem").value<QObject*>();
        const int start = 1000 + 8;
        Controller().SetPlayheadTick(start);
        QCOMPARE(playhead->property("basePos").toInt(), 40);
        QObject* panel = fixture->window->property("timelinePanel").value<QObject*>();
        QVERIFY(panel);
        if (hidden) {
            panel->setProperty("visible", false);
            QVERIFY(!fixture->timeline->isVisible());
        }

        QSignalSpy basePos(playhead, SIGNAL(basePosChanged()));
        const int moved = start + pixels * 25;
        // The engine reports the playhead again and again while it stands.
        Controller().SetPlayheadTick(moved);
        Controller().SetPlayheadTick(moved);
        QCOMPARE(basePos.count(), writes);
        QCOMPARE(playhead->property("basePos").toInt(), writes ? 40 + pixels : 40);

        basePos.clear();
        if (after == "show")
            panel->setProperty("visible", true);
        else if (after == "zoom")
            fixture->timeline->setProperty("viewScale", 1.0);
        if (after == "zoom hidden, show") {
            panel->setProperty("visible", false);
            fixture->timeline->setProperty("viewScale", 1.0);
            QCOMPARE(basePos.count(), 0);
            panel->setProperty("visible", true);
        }
        QCOMPARE(basePos.count(), afterWrites);
        if (!after.isEmpty())
            QCOMPARE(playhead->property("basePos").toInt(), 40 + pixels);
    }

    // A hidden timeline does not follow the playhead; shown again, it
    // scrolls to where the playhead went meanwhile.
    void hiddenTimelineScrollsWhenShown()
    {
        Start();
        QObject* panel = fixture->window->property("timelinePanel").value<QObject*>();
        QVERIFY(panel);
        panel->setProperty("visible", false);
        QSignalSpy viewStarts(&Controller(), &TimelineController::SetViewStart_);
        const int tick = fixture->timeline->property("viewEnd").toInt() * 25 + 1000;
        Controller().SetPlayheadTick(tick);
        QCOMPARE(viewStarts.count(), 0);
        panel->setProperty("visible", true);
        QCOMPARE(viewStarts.count(), 1);
        QCOMPARE(fixture->timeline->property("viewStart").toInt(), tick / 25);
    }

    void suspensionsDoNotOverlap()
    {
        Start();
        ManualSingleShot timers;
        Controller().SetSingleShot(timers.Make());
        Controller().SuspendViewStartSync(250);
        Controller().SuspendViewStartSync(250); // 100 ms later: ignored
        Controller().SuspendViewStartSync(100);
        QCOMPARE(timers.delays, std::vector<int>{250});
        QVERIFY(Controller().IsViewStartSuspended());
        emit Controller().SetViewStart_(300);
        QCOMPARE(fixture->ContentX(), 0.0);
        timers.FireAll(); // 250 ms after the first request
        QVERIFY(!Controller().IsViewStartSuspended());
        emit Controller().SetViewStart_(300);
        QCOMPARE(fixture->ContentX(), 300.0);
        Controller().SuspendViewStartSync(100);
        QCOMPARE(timers.delays, (std::vector<int>{250, 100}));
    }

    // The suspension's timer belongs to the controller and goes with it.
    void suspensionTimerGoesWithTheController()
    {
        Start();
        Controller().SuspendViewStartSync(250);
        QPointer<QTimer> timer = Controller().findChild<QTimer*>();
        QVERIFY(timer);
        QVERIFY(timer->isActive());
        QCOMPARE(timer->interval(), 250);
        fixture->controller.reset();
        QVERIFY(timer.isNull());
    }

    void clickSeeksToTheNearestBeat_data()
    {
        QTest::addColumn<double>("scale");
        QTest::addColumn<double>("x"); // content pixels; -1: past the song's end
        QTest::addColumn<UInt32>("seek");
        // Bar 3 starts at 5000 (base pixel 200), its beats follow every 500.
        QTest::newRow("on a beat") << 1.0 << 220.0 << 5500u;
        QTest::newRow("halfway goes to the earlier beat") << 1.0 << 210.0 << 5000u;
        QTest::newRow("just past halfway") << 1.0 << 211.0 << 5500u;
        QTest::newRow("left of the first beat") << 1.0 << 5.0 << 1000u;
        QTest::newRow("past the song's end") << 1.0 << -1.0 << 27000u;
        QTest::newRow("zoom 2, halfway") << 2.0 << 421.0 << 5000u;
        QTest::newRow("zoom 2, past halfway") << 2.0 << 424.0 << 5500u;
    }
    void clickSeeksToTheNearestBeat()
    {
        QFETCH(double, scale);
        QFETCH(double, x);
        QFETCH(UInt32, seek);
        Start();
        fixture->SetZoom(scale);
        if (x < 0) {
            QMetaObject::invokeMethod(fixture->timeline, "setViewStart", Q_ARG(int, 600));
            x = 1150 * scale;
        }
        fixture->engine->seeks.clear();
        QSignalSpy clicked(&Controller(), &TimelineController::timelineClicked);
        QTest::mouseClick(fixture->window.get(), Qt::LeftButton, {}, fixture->ContentPoint(x, 30));
        QCOMPARE(clicked.count(), 1);
        QCOMPARE(fixture->engine->seeks, std::vector<UInt32>{seek});
    }

    // Presses on an item go to the item, not to the seek.
    void clickOnAnItemDoesNotSeek()
    {
        Start();
        fixture->engine->seeks.clear();
        QQuickItem* view = qobject_cast<QQuickItem*>(Controller().RegionItems().front()->GetQmlObject());
        QTest::mouseClick(fixture->window.get(), Qt::LeftButton, {},
                          view->mapToScene(QPointF(view->width() / 2, view->height() / 2)).toPoint());
        QVERIFY(fixture->engine->seeks.empty());
        QVERIFY(Controller().RegionItems().front()->IsSelected());
    }

    void selectEventScrollsToIt()
    {
        Start();
        fixture->SetZoom(2.0);
        const cmn::VandEvent* target = nullptr;
        for (auto* item : Controller().CaesuraItems()) {
            if (item->GetEvent()->start() == 10000)
                target = item->GetEvent();
        }
        QVERIFY(target);
        QSignalSpy viewStarts(&Controller(), &TimelineController::SetViewStart_);
        Controller().SelectEvent(EventInfoItem::FromEvent(*target));
        QCOMPARE(viewStarts.count(), 1);
        QCOMPARE(viewStarts.at(0).at(0).toInt(), 400);
        QCOMPARE(fixture->ContentX(), 800.0);
        for (VandEventController* item : Controller().Items()) {
            QCOMPARE(item->IsSelected(), item->GetEvent() == target);
            if (item->GetEvent() == target) {
                QVERIFY(item->HasView());
                QCOMPARE(item->GetQmlObject()->property("x").toDouble(), 800.0);
                QVERIFY(item->GetQmlObject()->property("selected").toBool());
            }
        }
    }

    void selectMarkerDoesNotScroll()
    {
        Start();
        QMetaObject::invokeMethod(fixture->timeline, "setViewStart", Q_ARG(int, 200));
        QSignalSpy viewStarts(&Controller(), &TimelineController::SetViewStart_);
        Controller().SelectMarker(MarkerInfoItem("Letter A", "any location", 9000));
        QCOMPARE(viewStarts.count(), 0);
        QCOMPARE(fixture->ContentX(), 200.0);
        const auto markers = Controller().MarkerItems();
        QVERIFY(!markers[0]->IsSelected());
        QVERIFY(markers[1]->IsSelected());
        Controller().SelectMarker(MarkerInfoItem("Letter A", "", 9001));
        QVERIFY(!markers[1]->IsSelected());
    }

    // The marker list's selection moves the playhead while the player rests.
    void markerListSelectionMovesTheRestingPlayhead()
    {
        Start();
        QObject* playhead = fixture->timeline->property("playheadItem").value<QObject*>();
        vand::qt::MarkerListSelection selection{9000, true};
        notify::callbackDispatcher.Notify(notify::names::editControllerMarkerListSelected, &selection);
        QCOMPARE(playhead->property("basePos").toInt(), 0);
        selection.playing = false;
        notify::callbackDispatcher.Notify(notify::names::editControllerMarkerListSelected, &selection);
        QCOMPARE(playhead->property("basePos").toInt(), (9000 - 8) / 25);
        fixture->controller.reset();
        QCOMPARE(notify::callbackDispatcher->CallbackCount(notify::names::editControllerMarkerListSelected),
                 std::size_t(0));
    }

    // Labels too close to the next one of their own lane give way to a
    // diamond; the decision comes from computed edges that match the views.
    void labelPasses_data()
    {
        QTest::addColumn<std::string>("song");
        QTest::addColumn<double>("scale");
        QTest::addColumn<QString>("labels"); // visible flags of markers, keys, tempos, meters
        QTest::newRow("song 1") << std::string("1") << 1.0 << "markers 11 keys 11 tempos 11 meters 11";
        QTest::newRow("close markers") << std::string("3") << 1.0 << "markers 01 keys 1 tempos 1 meters 1";
        QTest::newRow("zoomed in they part") << std::string("3") << 4.0 << "markers 11 keys 1 tempos 1 meters 1";
        QTest::newRow("song 1 zoomed out") << std::string("1") << 0.15 << "markers 11 keys 11 tempos 11 meters 11";
        QTest::newRow("close markers zoomed out") << std::string("3") << 0.15 << "markers 01 keys 1 tempos 1 meters 1";
    }
    void labelPasses()
    {
        QFETCH(std::string, song);
        QFETCH(double, scale);
        QFETCH(QString, labels);
        Start(StandardShow(), song);
        fixture->SetZoom(scale);
        QString flags;
        const std::vector<std::pair<QString, std::vector<vand::qt::TimeLineMarkerController*>>> lists = {
            {"markers", Controller().MarkerItems()},
            {"keys", Controller().KeyItems()},
            {"tempos", Controller().TempoItems()},
            {"meters", Controller().MeterItems()}};
        for (const auto& [name, items] : lists) {
            flags += (flags.isEmpty() ? "" : " ") + name + ' ';
            for (auto* item : items) {
                flags += item->IsLabelVisible() ? '1' : '0';
                QObject* view = item->GetQmlObject();
                QVERIFY(view);
                QCOMPARE(view->property("visibleLabel").toBool(), item->IsLabelVisible());
                QCOMPARE(item->LeftEdge(), qRound(view->property("x").toDouble()));
                QCOMPARE(item->RightEdge(),
                         qRound(view->property("x").toDouble()) + qRound(view->property("width").toDouble()));
            }
        }
        QCOMPARE(flags, labels);
    }

    void barLines_data()
    {
        QTest::addColumn<std::vector<Beat>>("beats");
        QTest::addColumn<QStringList>("lines");
        QTest::newRow("bars and beats") << std::vector<Beat>{{1000, "1", 1}, {1500, "1", 2}, {2000, "1", 3},
                                                             {3000, "2", 1}, {3500, "2", 2}, {30000, "9", 1},
                                                             {30500, "9", 2}}
                                        << QStringList{"1B@40", "2b@60", "3b@80", "2B@120", "2b@140", "E@1120"};
        QTest::newRow("a bar too close goes whole") << std::vector<Beat>{{1000, "1", 1}, {1250, "2", 1}, {3000, "3", 1}}
                                                    << QStringList{"1B@40", "2B@50 hidden", "3B@120", "E@1120"};
        QTest::newRow("the end line stays")
            << std::vector<Beat>{{1000, "1", 1}, {27900, "9", 1}} << QStringList{"1B@40", "9B@1116 hidden", "E@1120"};
        QTest::newRow("a hidden beat label hides its bar's")
            << std::vector<Beat>{{1000, "1", 1}, {1050, "1", 2}, {2000, "1", 3}, {3000, "2", 1}}
            << QStringList{"1B@40", "2b@42 nolabel", "3b@80 nolabel", "2B@120", "E@1120"};
        QTest::newRow("a bar after a beat keeps its label")
            << std::vector<Beat>{{1000, "1", 1}, {1500, "1", 2}, {1550, "2", 1}, {3000, "2", 2}, {5000, "3", 1}}
            << QStringList{"1B@40", "2b@60 nolabel", "2B@62", "2b@120 nolabel", "3B@200", "E@1120"};
    }
    void barLines()
    {
        QFETCH(std::vector<Beat>, beats);
        QFETCH(QStringList, lines);
        Start();
        fixture->model->barsBeats = std::make_shared<vand::qt::BarsBeatsEventSequence>(timeline_test::Sequence(beats));
        Controller().ClearItems();
        QCOMPARE(Lines(Controller()), lines);
        const BarController& end = Controller().GetBarsView()->GetLines().back();
        QVERIFY(end.IsEndBar());
        // Every shown line within reach has its TimeBar, placed as computed;
        // hidden lines have none.
        QQuickItem* region = fixture->Child("barsRegion");
        std::map<QString, QQuickItem*> views;
        for (QQuickItem* child : region->childItems()) {
            if (child->objectName() == "timeBar")
                views[child->property("barLabel").toString() + '@' + child->property("basePos").toString()] = child;
        }
        QCOMPARE(views.size(), std::size_t(lines.size() - lines.filter(" hidden").size()));
        for (const BarController& line : Controller().GetBarsView()->GetLines()) {
            QQuickItem* view =
                views[QString::fromStdString(line.GetLabel()) + '@' + QString::number(line.GetPosition())];
            QCOMPARE(view != nullptr, line.IsVisible());
            if (!view)
                continue;
            QVERIFY(view->isVisible());
            QCOMPARE(view->property("showLabel").toBool(), line.ShowsLabel());
            QCOMPARE(view->property("isEndBar").toBool(), line.IsEndBar());
            QCOMPARE(line.GetX(), qRound(view->x()));
            QCOMPARE(line.GetRight(), qRound(view->x()) + qRound(view->width()));
            QCOMPARE(qRound(view->z()), line.GetZ());
        }
        QCOMPARE(fixture->Child("audioFadeBox")->z(), end.GetZ() - 1.0);
    }

    // Beat lines show only at zoom 1 and above, also right after a layout.
    void beatLinesFollowTheZoom()
    {
        Start();
        using State = BarController::State;
        const auto beatStates = [this] {
            std::vector<State> states;
            for (const BarController& line : Controller().GetBarsView()->GetLines()) {
                if (!line.IsBar())
                    states.push_back(line.GetState());
            }
            std::sort(states.begin(), states.end());
            states.erase(std::unique(states.begin(), states.end()), states.end());
            return states;
        };
        QCOMPARE(beatStates(), std::vector<State>{State::Shown});
        fixture->SetZoom(0.8);
        QCOMPARE(beatStates(), std::vector<State>{State::FadingOut});
        Controller().RefreshItems();
        QCOMPARE(beatStates(), std::vector<State>{State::Hidden});
        fixture->SetZoom(1.0);
        QCOMPARE(beatStates(), std::vector<State>{State::FadingIn});
        // A fade-out that meets a fade-in before it has shown anything hides
        // the line at once (the fade-in would otherwise run on to the end).
        fixture->SetZoom(0.5);
        QQuickItem* region = fixture->Child("barsRegion");
        const auto visibleBeats = [region] {
            int count = 0;
            for (QQuickItem* child : region->childItems()) {
                if (child->objectName() == "timeBar" && !child->property("isBar").toBool() && child->isVisible())
                    ++count;
            }
            return count;
        };
        QCOMPARE(visibleBeats(), 0);
    }

    void audioBoxes_data()
    {
        QTest::addColumn<bool>("fadeRegion");
        QTest::addColumn<std::uint32_t>("tailMs");
        QTest::addColumn<std::uint32_t>("startTick");
        QTest::addColumn<std::uint32_t>("longerSong"); // 0: the song as its audio
        QTest::addColumn<QList<int>>("boxes");         // fade w, pos; out w, pos; in w, pos
        QTest::newRow("audio past the end, fade on")
            << true << 1500u << 1000u << 0u << QList<int>{60, 360, 0, 0, 40, 0};
        QTest::newRow("audio past the end, fade off")
            << false << 1500u << 1000u << 0u << QList<int>{0, 0, -60, 420, 40, 0};
        QTest::newRow("audio ends with the song") << true << 0u << 1000u << 0u << QList<int>{0, 360, 0, 0, 40, 0};
        QTest::newRow("audio shorter than the song") << true << 0u << 0u << 12000u << QList<int>{0, 0, 160, 320, 0, 0};
    }
    void audioBoxes()
    {
        QFETCH(bool, fadeRegion);
        QFETCH(std::uint32_t, tailMs);
        QFETCH(std::uint32_t, startTick);
        QFETCH(std::uint32_t, longerSong);
        QFETCH(QList<int>, boxes);
        ShowSetup setup;
        setup.fadeRegion = fadeRegion;
        setup.tailMs = tailMs;
        setup.songs = {Song("1", 4, startTick)};
        if (longerSong) {
            setup.rewritten = setup.songs;
            setup.rewritten[0].lengthTicks = longerSong;
        }
        Start(setup);
        QObject* region = fixture->Child("barsRegion");
        QList<int> actual;
        for (const char* name : {"audioFadeRegionWidth", "audioFadeRegionPos", "audioOutRegionWidth",
                                 "audioOutRegionPos", "audioInRegionWidth", "audioInRegionPos"})
            actual << region->property(name).toInt();
        QCOMPARE(actual, boxes);
    }

    // Only items and lines near the visible range have views, whatever the
    // song's length; scrolling moves the range.
    void viewsExistNearTheVisibleRangeOnly()
    {
        ShowSetup setup;
        setup.songs = {Song("1", 400)};
        CL::SongLog& log = setup.log.GetOrCreateSongLog("1");
        for (int bar = 0; bar < 400; bar += 16)
            log.Add(CL::Marker(bar * 2000, "M" + std::to_string(bar), "E" + std::to_string(bar)));
        Start(setup);
        const auto check = [this](int expectedViews) {
            // A screen is 1000 pixels: 970 base pixels of song and the start's 30.
            const int start = fixture->timeline->property("viewStart").toInt() - 30;
            int views = 0;
            for (auto* marker : Controller().MarkerItems()) {
                const int position = marker->GetBasePosition();
                const bool near = position + 100 >= start - 1000 && position <= start + 2000;
                QCOMPARE(marker->HasView(), near);
                views += marker->HasView() ? 1 : 0;
            }
            QCOMPARE(views, expectedViews);
        };
        const auto timeBars = [this] {
            int count = 0;
            for (QQuickItem* child : fixture->Child("barsRegion")->childItems())
                count += child->objectName() == "timeBar" ? 1 : 0;
            return count;
        };
        QCOMPARE(Controller().MarkerItems().size(), std::size_t(25));
        check(2);
        const int atStart = timeBars();
        QMetaObject::invokeMethod(fixture->timeline, "setViewStart", Q_ARG(int, 16000));
        check(3);
        const int inTheMiddle = timeBars();
        QVERIFY2(atStart < 250 && inTheMiddle < 250, qPrintable(QString("%1, %2").arg(atStart).arg(inTheMiddle)));
        QCOMPARE(Controller().GetBarsView()->GetLines().size(), std::size_t(1601));
    }

    // Events crowded into one place share their views: each lane keeps only
    // what can be seen there (a marker's label and the diamond under it; one
    // caesura), however many events lie at that place. The top view is the
    // last event's.
    void crowdedItemsShareTheirViews()
    {
        ShowSetup setup;
        setup.songs = {Song("1", 40)};
        CL::SongLog& log = setup.log.GetOrCreateSongLog("1");
        for (int i = 0; i < 400; ++i) {
            log.Add(CL::Marker(4000, "M" + std::to_string(i), "E" + std::to_string(i)));
            log.Add(CL::Caesura(8000, "N" + std::to_string(i), 0));
        }
        log.Add(CL::Marker(12000, "Alone", "F1"));
        Start(setup);
        const auto withViews = [](const auto& items) {
            std::vector<VandEventController*> out;
            for (auto* item : items) {
                if (item->HasView())
                    out.push_back(item);
            }
            return out;
        };
        // In the log's order: the 400 markers at one place, then the one alone.
        const auto allMarkers = Controller().MarkerItems();
        QCOMPARE(allMarkers.size(), std::size_t(401));
        QCOMPARE(withViews(allMarkers),
                 (std::vector<VandEventController*>{allMarkers[398], allMarkers[399], allMarkers[400]}));
        QVERIFY(!allMarkers[398]->IsLabelVisible() && allMarkers[399]->IsLabelVisible());
        const auto allCaesuras = Controller().CaesuraItems();
        const auto caesuras = withViews(allCaesuras);
        QCOMPARE(caesuras, std::vector<VandEventController*>{allCaesuras.back()});

        QSignalSpy selected(&Controller(), &TimelineController::EditSelectedSignal);
        QVERIFY(QMetaObject::invokeMethod(caesuras[0]->GetQmlObject(), "clicked"));
        QCOMPARE(selected.count(), 1);
        QCOMPARE(selected.last().at(0).value<const cmn::VandEvent*>(), caesuras[0]->GetEvent());
    }

    // A receiver of the drag rebuilds the items while the dragged view is
    // still inside its own handler.
    void dragRebuildsFromInsideTheHandler()
    {
        Start();
        ManualSingleShot timers;
        Controller().SetSingleShot(timers.Make());
        vand::qt::TimeRegionController* skip = Controller().RegionItems().front();
        const cmn::VandEvent* event = skip->GetEvent();
        QCOMPARE(event->start(), 3000u);
        QSignalSpy dragged(&Controller(), &TimelineController::EditDraggedSignal);
        int rebuilds = 0;
        connect(&Controller(), &TimelineController::EditDraggedSignal, this, [&] {
            Controller().ClearItems();
            Controller().RefreshItems();
            ++rebuilds;
        });
        QPointer<QQuickItem> view = qobject_cast<QQuickItem*>(skip->GetQmlObject());
        const QPoint press = view->mapToScene(QPointF(40, 8)).toPoint();
        QTest::mousePress(fixture->window.get(), Qt::LeftButton, {}, press);
        QTest::mouseMove(fixture->window.get(), press + QPoint(20, 0));
        QTest::mouseMove(fixture->window.get(), press + QPoint(40, 0));
        QTest::mouseMove(fixture->window.get(), press + QPoint(60, 0));
        QTest::mouseRelease(fixture->window.get(), Qt::LeftButton, {}, press + QPoint(60, 0));
        QCOMPARE(rebuilds, 1);
        QCOMPARE(dragged.count(), 1);
        QCOMPARE(dragged.at(0).at(0).value<const cmn::VandEvent*>(), event);
        QCOMPARE(dragged.at(0).at(1).toInt(), 4000);
        QCOMPARE(dragged.at(0).at(2).toInt(), 6000);
        QCOMPARE(dragged.at(0).at(3).toBool(), false);
        QCOMPARE(dragged.at(0).at(4).toBool(), false);
        QCOMPARE(timers.delays, std::vector<int>{100});
        QVERIFY(Controller().IsViewStartSuspended());
        QVERIFY(!view || !view->isVisible()); // hidden at once, deleted later
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(view.isNull());
        QCOMPARE(Controller().RegionItems().size(), std::size_t(7));
        QVERIFY(Controller().RegionItems().front()->HasView());
    }

    void zoomKeepsTheViewStart()
    {
        Start();
        QMetaObject::invokeMethod(fixture->timeline, "setViewStart", Q_ARG(int, 300));
        QVERIFY(QMetaObject::invokeMethod(fixture->timeline, "zoomin", Q_ARG(QVariant, 1.0), Q_ARG(QVariant, false)));
        QCOMPARE(fixture->timeline->property("viewScale").toDouble(), 2.0);
        QCOMPARE(fixture->ContentX(), 600.0);
        QCOMPARE(fixture->timeline->property("viewStart").toInt(), 300);
        for (auto* region : Controller().RegionItems())
            QCOMPARE(region->GetViewScale(), 2.0);
    }

    void songSwitchRebuilds()
    {
        Start();
        fixture->SetZoom(3.0);
        fixture->Load("2");
        QCOMPARE(fixture->timeline->property("viewScale").toDouble(), 1.0);
        // Song 2 has no edits: only its labels show.
        QCOMPARE(Controller().Items().size(), std::size_t(3));
        QCOMPARE(Controller().KeyItems().front()->GetLabelText(), QString(" C"));
        QCOMPARE(fixture->timeline->property("baseWidth").toInt(), 8000 / 25 + 200);
        QCOMPARE(Lines(Controller()).size(), 4 * 4 + 1);
    }

    // A song without a log has no event items.
    void nullSongLogGivesNoEventItems()
    {
        Start();
        fixture->engine->nullLog = true;
        Controller().RefreshItems();
        QCOMPARE(Controller().Items().size(), std::size_t(6));
        for (VandEventController* item : Controller().Items())
            QVERIFY(!item->GetEvent());
    }

    // A failing switch leaves nothing of another song clickable.
    void failedSongSwitchDropsTheItems()
    {
        Start();
        QVERIFY(!Controller().Items().empty());
        QVERIFY_THROWS_EXCEPTION(std::exception, Controller().SetCurrentSong("99"));
        QVERIFY(Controller().Items().empty());
        QVERIFY(Controller().GetBarsView()->GetLines().empty());
        QCOMPARE(fixture->timeline->property("viewScale").toDouble(), 1.0);
    }

    // A view that does not load leaves its item without a view, still working.
    void itemWithoutAViewIsInert()
    {
        Start();
        std::vector<std::string> errors;
        kit::SetLogSink([&](kit::LogLevel, std::string_view, std::string_view text) { errors.emplace_back(text); });
        QQmlEngine bare; // without the project's modules the marker's import fails
        auto views = std::make_shared<vand::qt::ItemViewFactory>(&bare);
        CL::Marker event(100, "X", "E");
        vand::qt::TimeLineMarkerController marker(&event, true, " X", 4, &bare, fixture->Child("markerLane"), views);
        marker.UpdateReach(-1000, 1000);
        QVERIFY(!marker.HasView());
        QVERIFY(!errors.empty());
        QSignalSpy selected(&marker, &VandEventController::SelectedSignal);
        marker.SetSelected(true);
        marker.SetLabelVisible(false);
        marker.ApplyViewScale(2.0);
        marker.Clicked_();
        QCOMPARE(selected.count(), 1);
        QVERIFY(!marker.IsSelected());
        QCOMPARE(marker.GetQmlObject(), nullptr);
    }

    void inOutSelectorController()
    {
        vand::qt::TimelineStartEndSelectorController selector(nullptr, nullptr, {"1", "2", "8A"});
        selector.OnChangeStartBar_(2);
        QCOMPARE(selector.GetStartBar(), std::string("8A"));
        selector.OnChangeStartBar_(3);
        selector.OnChangeStartBar_(-1);
        QCOMPARE(selector.GetStartBar(), std::string("8A"));
        vand::test::StreamCapture out(std::cout);
        selector.OnChangeEndBar_(4);
        QCOMPARE(out.text(), std::string("index: 4\n"));
    }
};

QTEST_MAIN(TestTimelineController)
#include "tst_timelinecontroller.moc"
