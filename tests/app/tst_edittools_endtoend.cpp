// A vamp made through its dialog, from end to end on the product's engine
// (manual clock, change logs really written): the window's vamp button over
// bars 2 and 3 of the Overture, count 2, OK. The vamp is in the change log,
// on the timeline and in the event list; it is in the saved version after a
// restart; and playback loops it as its count says, with the vamp reported.
//
// CTest runs it under Xvfb when xvfb-run is installed (otherwise offscreen).

#include <QQmlApplicationEngine>
#include <QQuickWindow>
#include <QTest>
#include <filesystem>

#include "AppFixture.h"
#include "CL/Editor.h"
#include "app/AppQmlEngineSetup.h"
#include "app/MusicalMainController.h"
#include "app/model/EditModel.h"
#include "app/model/ShowManager.h"
#include "edittools/CountToolControllers.h"
#include "timeline/TimelineController.h"
#include "vand_pelorin/OutputClock.h"
#include "vand_pelorin2/Pelorin2AudioInterface.h"

namespace fs = std::filesystem;
using vand::qt::MusicalMainController;

class TestEditToolsEndToEnd : public QObject
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
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        window = nullptr;
    }
    void Deliver()
    {
        factory.clock->Pump();
        QCoreApplication::sendPostedEvents();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    // The Overture's vamp, the only one of its log.
    const cmn::VandEvent* Vamp() const
    {
        for (const auto& [id, event] : controller->GetShowManager()->GetEditor()->GetEventsByEventId()) {
            if (event->code() == '@')
                return event;
        }
        return nullptr;
    }

private slots:
    void initTestCase() { vand::qt::PrepareAppQmlEngine(qml); }
    void cleanup() { Stop(); }

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
        QVERIFY(fs::exists(folder.show / "Demo Show-1.1.logdata"));
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
};

QTEST_MAIN(TestEditToolsEndToEnd)
#include "tst_edittools_endtoend.moc"
