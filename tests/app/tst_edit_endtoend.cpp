// Edit mode from end to end, through the main window's views on the product's
// engine (manual clock, change logs really written): on the Barcarolle, drag
// the cut, delete the marker, undo, redo, step the song's attacca state and
// Save. The new local version holds exactly those edits, a restart shows
// them, and playback follows them: the bar counter jumps at the moved cut and
// the next song starts on its own. Then a vamp made through its dialog over
// bars 2 and 3 of the Overture, count 2: it is in the change log, on the
// timeline and in the event list, in the saved version after a restart, and
// playback loops it as its count says, with the vamp reported. And held at
// the Overture's caesura on the bar of "Letter B", the marker list shades
// that marker.
//
// CTest runs it under Xvfb when xvfb-run is installed (otherwise offscreen).

#include <QQmlApplicationEngine>
#include <QQuickItem>
#include <QQuickWindow>
#include <QTest>
#include <filesystem>
#include <set>

#include "AppFixture.h"
#include "CL/ChangeLog.h"
#include "CL/Editor.h"
#include "ListRows.h"
#include "app/AppQmlEngineSetup.h"
#include "app/MusicalMainController.h"
#include "edit/EditController.h"
#include "edittools/CountToolControllers.h"
#include "model/EditModel.h"
#include "model/ShowManager.h"
#include "notify/CallbackDispatcher.h"
#include "timeline/TimelineController.h"
#include "vand_pelorin/OutputClock.h"
#include "vand_pelorin2/Pelorin2AudioInterface.h"

namespace fs = std::filesystem;
using vand::qt::MusicalMainController;

namespace {

// The bar number of an engine bar text ("5:2+167" -> 5).
int BarOf(const std::string& text)
{
    return std::stoi(text.substr(0, text.find(':')));
}

} // namespace

class TestEditEndToEnd : public QObject
{
    Q_OBJECT
private:
    app_test::DataFolder folder;
    QQmlApplicationEngine qml;
    app_test::ClockFactory factory;
    std::unique_ptr<MusicalMainController> controller;
    QQuickWindow* window = nullptr;

    void Start()
    {
        controller = std::make_unique<MusicalMainController>(&qml, &factory);
        window = qobject_cast<QQuickWindow*>(controller->GetQmlObject());
        QVERIFY(window);
        QVERIFY(QTest::qWaitForWindowExposed(window));
        Deliver();
    }
    void Stop()
    {
        controller.reset();
        QCoreApplication::sendPostedEvents();
        // Twice: a deleted tool queues its dialog's deletion.
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        window = nullptr;
    }
    // Applies the engine's queued commands and delivers its events.
    void Deliver()
    {
        factory.clock->Pump();
        QCoreApplication::sendPostedEvents();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    QQuickItem* Part(const char* name) const
    {
        return window->property("editPanelControl").value<QObject*>()->property(name).value<QQuickItem*>();
    }
    void Click(QQuickItem* item)
    {
        QVERIFY(item);
        QVERIFY(item->isVisible());
        QTest::mouseClick(window, Qt::LeftButton, {}, item->mapToScene(QPointF(item->width() / 2, 6)).toPoint());
        Deliver();
    }
    void ClickButton(const char* name) { Click(Part("editBarControl")->findChild<QQuickItem*>(name)); }
    QQuickItem* Row(const char* list, int row) const
    {
        return vand::test::ListRow(Part((QByteArray(list) + "Control").constData()), QString::fromLatin1(list) + "View",
                                   row);
    }
    CL::Editor& Editor() const { return *controller->GetShowManager()->GetEditor(); }
    const cmn::VandEvent* Event(const std::string& id) const
    {
        const auto events = Editor().GetEventsByEventId();
        const auto found = events.find(id);
        return found == events.end() ? nullptr : found->second;
    }
    // The timeline view of a change-log event.
    QQuickItem* ItemView(const std::string& id) const
    {
        for (auto* item : controller->GetTimelineController()->Items()) {
            if (item->GetEvent() && item->GetEvent()->EventId() == id)
                return qobject_cast<QQuickItem*>(item->GetQmlObject());
        }
        return nullptr;
    }
    // The Overture's vamp, the only one of its log.
    const cmn::VandEvent* Vamp() const
    {
        for (const auto& [id, event] : Editor().GetEventsByEventId()) {
            if (event->code() == '@')
                return event;
        }
        return nullptr;
    }
    void LoadBarcarolle()
    {
        Click(Row("songList", 2));
        QCOMPARE(controller->GetEditModel()->song, std::string("3"));
    }

private slots:
    void initTestCase() { vand::qt::PrepareAppQmlEngine(qml); }
    void cleanup()
    {
        Stop();
        // The process-wide dispatcher outlives the test: a subscription left
        // behind would be called with a dangling target by the next one.
        QCOMPARE(notify::callbackDispatcher->CallbackCount(), std::size_t(0));
    }

    void editsSaveRestartAndPlay()
    {
        Start();
        LoadBarcarolle();
        auto player = controller->GetPlayer();
        const UInt32 cutLength = Event("B5")->GetLengthTicks();
        const UInt32 oldStart = Event("B5")->start();
        const int oldFirst = BarOf(player->GetBarString(oldStart));
        const int oldLast = BarOf(player->GetBarString(Event("B5")->end())) - 1;

        // Drag the cut 120 pixels (3000 ticks) to the left: the first move
        // passes the drag threshold.
        QQuickItem* cut = ItemView("B5");
        QVERIFY(cut);
        const QPoint press = cut->mapToScene(QPointF(cut->width() / 2, 8)).toPoint();
        QTest::mousePress(window, Qt::LeftButton, {}, press);
        for (int dx : {-20, -60, -100, -140})
            QTest::mouseMove(window, press + QPoint(dx, 0));
        QTest::mouseRelease(window, Qt::LeftButton, {}, press + QPoint(-140, 0));
        Deliver();
        const UInt32 cutStart = Event("B5")->start();
        const UInt32 cutEnd = Event("B5")->end();
        QCOMPARE(cutEnd - cutStart, cutLength);
        QCOMPARE(cutStart, oldStart - 3000);

        // Delete the song's marker from its row; undo; redo.
        Click(Row("markerList", 0));
        ClickButton("edit_delete");
        QVERIFY(!Event("E1"));
        ClickButton("undo");
        QVERIFY(Event("E1"));
        ClickButton("redo");
        QVERIFY(!Event("E1"));

        // The Barcarolle continues into the March.
        Click(Row("songList", 2)->findChild<QQuickItem*>(QStringLiteral("stateArea")));
        QCOMPARE(int(player->GetAttacca("3")), 1);
        QVERIFY(controller->HasUnsavedEdits());

        ClickButton("edit_save");
        QVERIFY(!controller->HasUnsavedEdits());
        const fs::path saved = folder.show / "Demo Show-1.1.logdata";
        QVERIFY(fs::exists(saved));

        // The new version holds exactly those edits.
        const fs::path identity = folder.show / "identity.json";
        const CL::ChangeLog written(saved, identity);
        CL::ChangeLog expected(folder.show / "Demo Show-1.0.logdata", identity);
        CL::SongLog& three = *expected.FindSongLog("3");
        cmn::VandEvent* expectedCut = three.Find('B', "B5");
        expectedCut->start(cutStart);
        expectedCut->end(cutEnd);
        three.Resort(expectedCut);
        QVERIFY(three.Remove(three.Find('E', "E1")));
        three.attacca = 1;
        three.attaccaSet = true;
        expected.SetVersion(written.GetVersion());
        expected.SetModifiedTime(written.GetModifiedTime());
        QCOMPARE(written.GetVersion().GetAsString(), std::string("1.1"));
        QCOMPARE(QString::fromStdString(written.ToJson()), QString::fromStdString(expected.ToJson()));

        // After a restart the edits are there.
        Stop();
        Start();
        LoadBarcarolle();
        QCOMPARE(window->property("editPanelControl").value<QObject*>()->property("logVersionText").toString(),
                 QStringLiteral("Log v1.1"));
        QCOMPARE(Event("B5")->start(), cutStart);
        QVERIFY(!Event("E1"));
        QCOMPARE(controller->GetEditModel()->markers.size(), std::size_t(0));
        QCOMPARE(int(controller->GetPlayer()->GetAttacca("3")), 1);

        // Playback follows them: the bars inside the moved cut are jumped
        // over, the bars the old cut held are played, and the March follows.
        player = controller->GetPlayer();
        const int firstSkipped = BarOf(player->GetBarString(cutStart)) + 1;
        const int lastSkipped = BarOf(player->GetBarString(cutEnd)) - 1;
        QVERIFY(firstSkipped <= lastSkipped);
        std::set<int> measures;
        QMetaObject::invokeMethod(window, "play");
        Deliver();
        for (int step = 0; step < 1200 && window->property("songTitle").toString() == "Barcarolle"; ++step) {
            factory.clock->Advance(50);
            QCoreApplication::sendPostedEvents();
            measures.insert(window->property("measure").toString().toInt());
        }
        QCOMPARE(window->property("songTitle").toString(), QStringLiteral("March"));
        QCOMPARE(controller->GetEditModel()->song, std::string("4"));
        QVERIFY(player->GetIsPlaying());
        for (int bar = firstSkipped; bar <= lastSkipped; ++bar)
            QVERIFY2(!measures.count(bar), qPrintable(QStringLiteral("bar %1 was played").arg(bar)));
        for (int bar = oldFirst; bar <= oldLast; ++bar) {
            if (bar < firstSkipped || bar > lastSkipped)
                QVERIFY2(measures.count(bar), qPrintable(QStringLiteral("bar %1 was not played").arg(bar)));
        }
        QVERIFY(oldLast > lastSkipped);
        QVERIFY(QMetaObject::invokeMethod(window, "stop"));
        Deliver();
    }

    void vampFromItsDialogIsSavedAndPlayed()
    {
        Start();
        // Bar 2 starts at 3500, bar 4 at 7500.
        QMetaObject::invokeMethod(window, "vampButtonPressed", Q_ARG(int, 3500), Q_ARG(int, 7500));
        QObject* dialog = controller->GetVampTool()->GetQmlObject();
        QCOMPARE(dialog->property("value").toString(), QStringLiteral("\u221E"));
        QMetaObject::invokeMethod(dialog->findChild<QObject*>("vampCountInput"), "incrementValue");
        QMetaObject::invokeMethod(dialog->findChild<QObject*>("vampCountInput"), "incrementValue");
        QCOMPARE(dialog->property("value").toString(), QStringLiteral("2"));
        QMetaObject::invokeMethod(dialog->findChild<QObject*>("buttonRow"), "okayClicked");
        Deliver();
        QVERIFY(!controller->GetVampTool());

        const cmn::VandEvent* vamp = Vamp();
        QVERIFY(vamp);
        const std::string id = vamp->EventId();
        QCOMPARE(vamp->start(), 3500u);
        QCOMPARE(vamp->end(), 7500u);
        QCOMPARE(vamp->int_value(), 2);
        bool drawn = false;
        for (auto* item : controller->GetTimelineController()->Items())
            drawn = drawn || (item->GetEvent() && item->GetEvent()->EventId() == id && item->GetQmlObject());
        QVERIFY(drawn);
        bool listed = false;
        for (const auto& event : controller->GetEditModel()->changeLogPanelEvents)
            listed = listed || event->EventId() == id;
        QVERIFY(listed);

        // Saved, then read back after a restart.
        controller->onSaveButton();
        QVERIFY(!controller->HasUnsavedEdits());
        Stop();
        Start();
        vamp = Vamp();
        QVERIFY(vamp);
        QCOMPARE(vamp->EventId(), id);
        QCOMPARE(vamp->int_value(), 2);

        // Playback: bars 2 and 3 twice, the vamp reported, then on to bar 4.
        QStringList measures;
        bool vampReported = false;
        QMetaObject::invokeMethod(window, "play");
        Deliver();
        for (int step = 0; step < 400 && !measures.contains("0005"); ++step) {
            factory.clock->Advance(50);
            QCoreApplication::sendPostedEvents();
            const QString measure = window->property("measure").toString();
            if (measures.isEmpty() || measures.last() != measure)
                measures << measure;
            vampReported = vampReported || window->property("highlightContinueButton").toBool();
        }
        QMetaObject::invokeMethod(window, "stop");
        Deliver();
        const QString played = measures.join(' ');
        QVERIFY2(played.contains("0002 0003 0002 0003 0004"), qPrintable(played));
        QVERIFY2(!played.contains("0002 0003 0002 0003 0002"), qPrintable(played));
        QVERIFY(vampReported);
    }

    // Held at a caesura on a marker's bar, the marker list shades that
    // marker at once, not the one before it until playback goes on.
    void holdOnAMarkerShadesIt()
    {
        Start();
        auto player = controller->GetPlayer();
        const cmn::VandEvent* caesura = Event("N9");
        QVERIFY(caesura);
        const UInt32 held = caesura->abs_time();
        QCOMPARE(Event("E9")->abs_time(), held);
        QQuickItem* markers = Part("markerListControl");
        player->Seek(held - 1000);
        Deliver();
        QCOMPARE(markers->property("passedIndex").toInt(), 1);

        // Two beats before the caesura: playback holds there, well within
        // the time given.
        QMetaObject::invokeMethod(window, "play");
        Deliver();
        factory.clock->Advance(3000);
        QCoreApplication::sendPostedEvents();
        QCOMPARE(window->property("flowControlLabel").toString(), QStringLiteral("Caesura"));
        QCOMPARE(player->GetTickIndex(), held);
        QCOMPARE(markers->property("passedIndex").toInt(), 2);

        // Played on, the marker stays the one passed.
        QVERIFY(QMetaObject::invokeMethod(window, "continueFlow"));
        Deliver();
        factory.clock->Advance(100);
        QCoreApplication::sendPostedEvents();
        QVERIFY(player->GetTickIndex() > held);
        QCOMPARE(markers->property("passedIndex").toInt(), 2);
        QVERIFY(QMetaObject::invokeMethod(window, "stop"));
        Deliver();
    }
};

QTEST_MAIN(TestEditEndToEnd)
#include "tst_edit_endtoend.moc"
