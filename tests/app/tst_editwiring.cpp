// Edit mode inside the main window: the selection circle between the lists
// and the timeline through the real views, a marker row that seeks, the
// timeline drag (clamp table and a real drag), select all, attacca steps,
// undo, redo and delete from the menu, Save and Share with the toolbar and
// the menu following, the player's events, and a second show load.

#include <QPointer>
#include <QQuickItem>
#include <QQuickWindow>
#include <QSignalSpy>
#include <QTest>
#include <thread>

#include "AppFixture.h"
#include "CL/Editor.h"
#include "CL/Events.h"
#include "ListRows.h"
#include "MainWindowFixture.h"
#include "app/DragClamp.h"
#include "app/MusicalMainController.h"
#include "app/ResponsiveMenuController.h"
#include "edit/EditController.h"
#include "edit/EventList.h"
#include "edit/MarkerList.h"
#include "edit/SongList.h"
#include "edit/TimelineEditController.h"
#include "model/EditModel.h"
#include "model/ShowManager.h"
#include "notify/EventObserver.h"
#include "timeline/TimelineController.h"
#include "ui/DialogController.h"

using app_test::TestFactory;
using notify::PlayerEvent;
using vand::qt::DragTicks;
using vand::qt::EditController;
using vand::qt::TimelineController;

namespace {

QPoint Centre(QQuickItem* item, QPointF offset = {})
{
    const QPointF local = offset.isNull() ? QPointF(item->width() / 2, item->height() / 2) : offset;
    return item->mapToScene(local).toPoint();
}

} // namespace

class TestEditWiring : public QObject, public app_test::MainWindowFixture<>
{
    Q_OBJECT
private:
    EditController* Edit() const { return controller->GetEditController(); }
    TimelineController* Timeline() const { return controller->GetTimelineController(); }
    vand::qt::EditModel* Model() const { return controller->GetEditModel().get(); }
    CL::Editor& Editor() const { return *controller->GetShowManager()->GetEditor(); }
    QObject* Menu() const { return window->property("menu").value<QObject*>(); }
    QObject* Panel() const { return window->property("editPanelControl").value<QObject*>(); }
    QQuickItem* PanelPart(const char* name) const { return Panel()->property(name).value<QQuickItem*>(); }
    QQuickItem* Bar() const { return PanelPart("editBarControl"); }
    bool Enabled(const char* button) const { return Bar()->property(button).value<QQuickItem*>()->isEnabled(); }
    const cmn::VandEvent* Event(const std::string& id) const
    {
        const auto events = Editor().GetEventsByEventId();
        const auto found = events.find(id);
        return found == events.end() ? nullptr : found->second;
    }
    QString DialogTitle() const
    {
        auto* dialog = controller->GetMessageDialog();
        return dialog && dialog->GetQmlObject() ? dialog->GetQmlObject()->property("title").toString() : QString();
    }

    void Click(QQuickItem* item, QPointF offset = {})
    {
        QVERIFY(item);
        QTest::mouseClick(window, Qt::LeftButton, {}, Centre(item, offset));
    }
    // The row's delegate of a list of the panel ("eventList", "markerList", "songList").
    QQuickItem* Row(const char* list, int row) const
    {
        return vand::test::ListRow(PanelPart((QByteArray(list) + "Control").constData()),
                                   QString::fromLatin1(list) + "View", row);
    }
    // The timeline item of a change-log event.
    vand::qt::VandEventController* Item(const std::string& id) const
    {
        for (auto* item : Timeline()->Items()) {
            if (item->GetEvent() && item->GetEvent()->EventId() == id)
                return item;
        }
        return nullptr;
    }
    void Publish(PlayerEvent event, int value, const std::string& text)
    {
        std::thread engineThread([&] { notify::PublishPlayerEvent(event, value, text); });
        engineThread.join();
        QCoreApplication::sendPostedEvents();
    }

private slots:
    void initTestCase() { SetUpTestCase(); }

    void init()
    {
        factory = std::make_unique<TestFactory>();
        Build();
        QVERIFY(window);
        QVERIFY(QTest::qWaitForWindowExposed(window));
        // The engine's start-up events: the song is loaded.
        factory->script->clock->Pump();
        QCoreApplication::sendPostedEvents();
        factory->script->Take();
    }

    void cleanup()
    {
        Destroy();
        factory.reset();
    }

    void listsShowTheLoadedSong()
    {
        QVERIFY(Edit());
        QCOMPARE(Edit()->GetEventList()->GetModel()->rowCount(), 4);
        QCOMPARE(Edit()->GetMarkerList()->GetModel()->rowCount(), 3);
        QCOMPARE(PanelPart("songListControl")->property("currentIndex").toInt(), 0);
        QCOMPARE(Panel()->property("logVersionText").toString(), QStringLiteral("Log v1.0"));
    }

    void eventRowSelectsTheTimelineItem()
    {
        const int row = Edit()->GetEventList()->GetModel()->FindItem(vand::qt::EventInfoItem::FromEvent(*Event("A5")));
        Click(Row("markerList", 1));
        QSignalSpy rows(Edit(), &EditController::EventItemChangedSignal);
        QSignalSpy echoes(Timeline(), &TimelineController::EditSelectedSignal);

        Click(Row("eventList", row));

        QVERIFY(Item("A5")->IsSelected());
        QVERIFY(!Item("N9")->IsSelected());
        QCOMPARE(PanelPart("markerListControl")->property("currentIndex").toInt(), -1);
        QVERIFY(Model()->selectedEvent);
        QCOMPARE(Model()->selectedEvent->EventId(), std::string("A5"));
        QCOMPARE(rows.count(), 2); // the row's change, then the click
        QCOMPARE(echoes.count(), 0);
        QVERIFY(Enabled("deleteButtonControl"));
    }

    void timelineItemMakesItsRowCurrent_data()
    {
        QTest::addColumn<QString>("id");
        QTest::addColumn<QString>("list");
        QTest::addColumn<QString>("other");
        QTest::newRow("caesura") << "N9"
                                 << "eventListControl"
                                 << "markerListControl";
        QTest::newRow("marker") << "E5"
                                << "markerListControl"
                                << "eventListControl";
    }

    void timelineItemMakesItsRowCurrent()
    {
        QFETCH(QString, id);
        QFETCH(QString, list);
        QFETCH(QString, other);
        // Something current in the other list first.
        Edit()->onVandEditSelectedExternally(Event("A5"));
        Edit()->onVandMarkerSelectedExternally(Event("E1"));
        QSignalSpy events(Edit(), &EditController::EventItemChangedSignal);
        QSignalSpy markers(Edit(), &EditController::MarkerItemChangedSignal);

        auto* item = Item(id.toStdString());
        QVERIFY(item && item->HasView());
        Click(qobject_cast<QQuickItem*>(item->GetQmlObject()), QPointF(2, 4));

        QVERIFY(Model()->selectedEvent);
        QCOMPARE(QString::fromStdString(Model()->selectedEvent->EventId()), id);
        QVERIFY(PanelPart(list.toLatin1())->property("currentIndex").toInt() >= 0);
        QCOMPARE(PanelPart(other.toLatin1())->property("currentIndex").toInt(), -1);
        QCOMPARE(events.count() + markers.count(), 0); // no echo back to the timeline
        QVERIFY(item->IsSelected());
    }

    void markerRowSeeksAndMovesThePlayhead()
    {
        const UInt32 tick = Event("E9")->abs_time();
        Click(Row("markerList", 2));
        factory->script->clock->Pump();
        QCoreApplication::sendPostedEvents();
        QCOMPARE(controller->GetPlayer()->GetTickIndex(), tick);
        QObject* playhead =
            window->property("timelineControl").value<QObject*>()->property("playheadItem").value<QObject*>();
        QCOMPARE(playhead->property("basePos").toInt(), int((tick - 8) / 25));
        QCOMPARE(Model()->selectedEvent, Event("E9"));
        QVERIFY(Item("E9")->IsSelected());
        QCOMPARE(DialogTitle(), QString());
    }

    // Choosing a row brings its event into the timeline's view, whatever the
    // zoom: an event row scrolls the view to the event; a marker row moves
    // the playhead to the marker and the view follows the playhead. The
    // selection the row makes must not hold the view where it was.
    void listRowBringsItsEventIntoView_data()
    {
        QTest::addColumn<QString>("list");
        QTest::addColumn<QString>("id");
        QTest::newRow("event row") << "eventList"
                                   << "N9";
        QTest::newRow("marker row") << "markerList"
                                    << "E9";
    }

    void listRowBringsItsEventIntoView()
    {
        QFETCH(QString, list);
        QFETCH(QString, id);
        QObject* timeline = window->property("timelineControl").value<QObject*>();
        timeline->setProperty("viewScale", 4.0);
        QCOMPARE(timeline->property("viewStart").toInt(), 0);
        const cmn::VandEvent* event = Event(id.toStdString());
        const int base = int(event->abs_time() / 25);
        QVERIFY2(base > timeline->property("viewEnd").toInt(), "the event starts out of view");
        const int row = list == "eventList"
                            ? Edit()->GetEventList()->GetModel()->FindItem(vand::qt::EventInfoItem::FromEvent(*event))
                            : Edit()->GetMarkerList()->GetModel()->FindItem(
                                vand::qt::MarkerInfoItem::FromMarker(CL::Marker(*event)));
        QVERIFY(row >= 0);

        Click(Row(list.toLatin1().constData(), row));
        factory->script->clock->Pump();
        QCoreApplication::sendPostedEvents();

        QVERIFY(Model()->selectedEvent);
        QCOMPARE(QString::fromStdString(Model()->selectedEvent->EventId()), id);
        QCOMPARE(timeline->property("viewStart").toInt(), base);
        QVERIFY(base <= timeline->property("viewEnd").toInt());
        if (list == "markerList") {
            QObject* playhead = timeline->property("playheadItem").value<QObject*>();
            QCOMPARE(playhead->property("basePos").toInt(), int((event->abs_time() - 8) / 25));
        }
    }

    void dragClamp_data()
    {
        QTest::addColumn<qint64>("start");
        QTest::addColumn<qint64>("end");
        QTest::addColumn<bool>("adjustLeft");
        QTest::addColumn<bool>("adjustRight");
        QTest::addColumn<qint64>("newStart");
        QTest::addColumn<qint64>("newEnd");
        QTest::addColumn<bool>("fits");
        // Song from 1000 to 20000 ticks.
        QTest::newRow("inside") << 3000LL << 3400LL << false << false << 3000LL << 3400LL << true;
        QTest::newRow("whole event before the start keeps its length")
            << 950LL << 1350LL << false << false << 1000LL << 1400LL << true;
        QTest::newRow("whole event past the end keeps its length")
            << 19800LL << 20200LL << false << false << 19600LL << 20000LL << true;
        QTest::newRow("left edge before the start") << 600LL << 3000LL << true << false << 1000LL << 3000LL << true;
        QTest::newRow("right edge past the end") << 3000LL << 25000LL << false << true << 3000LL << 20000LL << true;
        // Only the left edge moved, yet the end lies past the length: the
        // start comes out negative and the drag is refused.
        QTest::newRow("left edge, end past the length: refused")
            << 600LL << 21000LL << true << false << -400LL << 20000LL << false;
        QTest::newRow("event longer than the song") << 0LL << 30000LL << false << false << -10000LL << 20000LL << false;
        QTest::newRow("ticks past 2^31 do not wrap")
            << 3000000000LL << 3000000400LL << false << false << 19600LL << 20000LL << true;
    }

    void dragClamp()
    {
        QFETCH(qint64, start);
        QFETCH(qint64, end);
        QFETCH(bool, adjustLeft);
        QFETCH(bool, adjustRight);
        QFETCH(qint64, newStart);
        QFETCH(qint64, newEnd);
        QFETCH(bool, fits);
        const DragTicks ticks = vand::qt::ClampDrag(start, end, 1000, 20000, adjustLeft, adjustRight);
        QCOMPARE(ticks.start, newStart);
        QCOMPARE(ticks.end, newEnd);
        QCOMPARE(vand::qt::FitsInTicks(ticks), fits);
    }

    void dragMovesTheEvent()
    {
        const UInt32 start = Event("A5")->start();
        const UInt32 length = Event("A5")->GetLengthTicks();
        auto* item = Item("A5");
        QQuickItem* view = qobject_cast<QQuickItem*>(item->GetQmlObject());
        const QPoint press = Centre(view);
        QTest::mousePress(window, Qt::LeftButton, {}, press);
        for (int dx : {20, 40, 60, 80})
            QTest::mouseMove(window, press + QPoint(dx, 0));
        QTest::mouseRelease(window, Qt::LeftButton, {}, press + QPoint(80, 0));
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);

        // 60 pixels past the drag threshold at zoom 1: 1500 ticks later.
        QVERIFY(Event("A5")->start() > start);
        QCOMPARE(Event("A5")->GetLengthTicks(), length);
        QVERIFY(Model()->needsSave);
        QVERIFY(factory->script->Take().contains(QStringLiteral("LoadNewChangeLog")));
        QVERIFY(Item("A5") && Item("A5")->HasView());
        QCOMPARE(DialogTitle(), QString());
    }

    // A drag the editor refuses (a vamp onto a skip) is shown, snaps back and
    // leaves the change log unmodified.
    void refusedDragSnapsBack()
    {
        LoadSong("2");
        const UInt32 start = Event("V3")->start();
        const UInt32 skip = Event("M11")->start();
        const int ticks = int(skip - start) + 500;
        auto* vamp = Item("V3");
        QVERIFY(vamp);
        emit Timeline()->EditDraggedSignal(vamp->GetEvent(), int(start) + ticks, int(vamp->GetEvent()->end()) + ticks,
                                           false, false);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QCOMPARE(DialogTitle(), QStringLiteral("Edit Failed"));
        QCOMPARE(Event("V3")->start(), start);
        QVERIFY(!Model()->needsSave);
        QVERIFY(!factory->script->Take().contains(QStringLiteral("LoadNewChangeLog")));
        QVERIFY(Item("V3") && Item("V3")->HasView());
    }

    void selectAllTakesTheSongsAudio()
    {
        auto player = controller->GetPlayer();
        const std::string song = player->GetCurrentSongNumber();
        QMetaObject::invokeMethod(Menu(), "selectAll");
        QObject* timeline = window->property("timelineControl").value<QObject*>();
        QCOMPARE(timeline->property("selectionStart").toDouble(), player->GetSongAudioStartTick(song) / 25.0);
        QCOMPARE(timeline->property("selectionEnd").toDouble(), player->GetSongAudioEndTick(song) / 25.0);
        QVERIFY(timeline->property("selectionActive").toBool());
    }

    void attaccaStep_data()
    {
        QTest::addColumn<bool>("refused");
        QTest::newRow("stored") << false;
        QTest::newRow("refused by the player") << true;
    }

    void attaccaStep()
    {
        QFETCH(bool, refused);
        if (refused)
            factory->script->failing.insert("SetAttacca");
        Click(Row("songList", 1)->findChild<QQuickItem*>(QStringLiteral("stateArea")));

        QCOMPARE(factory->script->Take(), QStringList{"SetAttacca(2,1)"});
        QCOMPARE(int(controller->GetPlayer()->GetAttacca("2")), refused ? 0 : 1);
        auto* model = Edit()->GetSongList()->GetModel();
        QCOMPARE(int(model->AttaccaAt(1)), refused ? 0 : 1);
        QCOMPARE(Model()->needsSave, !refused);
        QCOMPARE(Enabled("saveControl"), !refused);
        QCOMPARE(DialogTitle(), refused ? QStringLiteral("Attacca Not Changed") : QString());
        QCOMPARE(controller->HasUnsavedEdits(), !refused);
    }

    void menuUndoRedoDelete()
    {
        QVERIFY(!Menu()->property("canUndo").toBool());
        Edit()->onVandEditSelectedExternally(Event("N9"));
        QMetaObject::invokeMethod(Menu(), "deleteSelected");
        QVERIFY(!Event("N9"));
        QVERIFY(Menu()->property("canUndo").toBool());
        QVERIFY(Menu()->property("canSave").toBool());
        QVERIFY(Menu()->property("canShare").toBool());
        QVERIFY(!Menu()->property("canRedo").toBool());

        QMetaObject::invokeMethod(Menu(), "undo");
        QVERIFY(Event("N9"));
        QVERIFY(Menu()->property("canRedo").toBool());
        QVERIFY(Enabled("redoButtonControl"));
        QVERIFY(!Enabled("undoButtonControl"));

        QMetaObject::invokeMethod(Menu(), "redo");
        QVERIFY(!Event("N9"));
        QVERIFY(!Menu()->property("canRedo").toBool());
    }

    void saveFollowsTheOutcome_data()
    {
        QTest::addColumn<bool>("fails");
        QTest::newRow("saved") << false;
        QTest::newRow("failed") << true;
    }

    void saveFollowsTheOutcome()
    {
        QFETCH(bool, fails);
        Edit()->SetChangeLogModified();
        if (fails)
            factory->script->failing.insert("SaveChangelog");
        QMetaObject::invokeMethod(Bar(), "saveButton");

        QCOMPARE(factory->script->Take().contains(QStringLiteral("SaveChangelog(1,1)")), true);
        QCOMPARE(DialogTitle(), fails ? QStringLiteral("Save Failed") : QStringLiteral("Save Complete"));
        // Save follows the flags again: still needed after a failure.
        QCOMPARE(Enabled("saveControl"), fails);
        QCOMPARE(Menu()->property("canSave").toBool(), fails);
        QVERIFY(Enabled("shareControl"));
        QCOMPARE(controller->HasUnsavedEdits(), fails);
    }

    // Without a server the edits are saved locally: Save goes off with the
    // flags, Share stays on, and nothing asks about them at quit.
    void sharePressWithoutServerSavesLocally()
    {
        Edit()->SetChangeLogModified();
        factory->script->Take();
        QMetaObject::invokeMethod(Bar(), "shareButton");
        QVERIFY(factory->script->Take().contains(QStringLiteral("SaveChangelog(1,1)")));
        QCOMPARE(DialogTitle(), QStringLiteral("Server Error on Save"));
        QVERIFY(!Enabled("saveControl"));
        QVERIFY(Enabled("shareControl"));
        QVERIFY(!controller->HasUnsavedEdits());
    }

    void playerEventsReachTheLists()
    {
        LoadSong("2");
        QCOMPARE(Model()->song, std::string("2"));
        QCOMPARE(Edit()->GetMarkerList()->GetModel()->GetItem(1).name, std::string("Vamp"));
        QCOMPARE(PanelPart("songListControl")->property("currentIndex").toInt(), 1);
        Publish(PlayerEvent::Marker, int(Event("E3")->abs_time()) + 5, "");
        QCOMPARE(PanelPart("markerListControl")->property("passedIndex").toInt(), 1);
    }

    void secondShowLoadWiresOnce()
    {
        QPointer<EditController> first = Edit();
        QMetaObject::invokeMethod(controller.get(), "LoadShow_");
        factory->script->clock->Pump();
        QCoreApplication::sendPostedEvents();
        QVERIFY(first.isNull());
        QVERIFY(Edit());
        QVERIFY(!controller->HasUnsavedEdits());

        for (const char* id : {"N9", "A5"}) {
            Edit()->onVandEditSelectedExternally(Event(id));
            QMetaObject::invokeMethod(Menu(), "deleteSelected");
        }
        QVERIFY(!Event("N9") && !Event("A5"));
        QMetaObject::invokeMethod(Menu(), "undo");
        QVERIFY2(Event("A5") && !Event("N9"), "one undo per menu command");
        QSignalSpy refreshed(Edit()->GetSongList()->GetModel(), &QAbstractItemModel::dataChanged);
        controller->GetPlayer()->SetAttacca("1", 2);
        emit controller->SignalAttaccaUpdate();
        QCOMPARE(refreshed.count(), 1);
    }
};

QTEST_MAIN(TestEditWiring)
#include "tst_editwiring.moc"
