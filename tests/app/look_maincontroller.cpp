// Pictures of the main window on the demo show, for looking at them, not a
// check of pixels, written into the working folder: main_controller_window.png
// with playback under way, main_window_edit_mode.png with the edit panel's
// lists filled and an event selected (on the timeline and in its list).
// Labelled "look"; the test script leaves it out. Under Xvfb
// (QT_QPA_PLATFORM=xcb) the graphical effects are drawn too.
#include <QCoreApplication>
#include <QDir>
#include <QQmlApplicationEngine>
#include <QTest>
#include <memory>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

#include "AppFixture.h"
#include "CL/Editor.h"
#include "Grab.h"
#include "app/AppQmlEngineSetup.h"
#include "app/MusicalMainController.h"
#include "edit/EditController.h"
#include "model/ShowManager.h"
#include "notify/EventObserver.h"
#include "timeline/TimelineController.h"

using notify::PlayerEvent;

class LookMainController : public QObject
{
    Q_OBJECT
private:
    std::unique_ptr<app_test::DataFolder> folder;
    QQmlApplicationEngine engine;
    app_test::TestFactory factory;
    std::unique_ptr<vand::qt::MusicalMainController> controller;
    QObject* window = nullptr;

private slots:
    void initTestCase() { vand::qt::PrepareAppQmlEngine(engine); }

    void init()
    {
        folder = std::make_unique<app_test::DataFolder>();
        controller = std::make_unique<vand::qt::MusicalMainController>(&engine, &factory);
        window = controller->GetQmlObject();
        QVERIFY(window);
    }

    void cleanup()
    {
        controller.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        folder.reset();
    }

    void lookAtTheWindow()
    {
        const std::vector<std::tuple<PlayerEvent, int, std::string>> events = {
            {PlayerEvent::SongTitle, 0, "Overture"}, {PlayerEvent::BarBeat, 0, "0005.02"},
            {PlayerEvent::Key, 0, "D major"},        {PlayerEvent::Tempo, 0, "120"},
            {PlayerEvent::Meter, 0, "4/4"},          {PlayerEvent::PlaybackStarted, 0, ""}};
        std::thread engineThread([&events] {
            for (const auto& [event, value, text] : events)
                notify::PublishPlayerEvent(event, value, text);
        });
        engineThread.join();
        QCoreApplication::sendPostedEvents();
        QCOMPARE(window->property("measure").toString(), QStringLiteral("0005"));
        QVERIFY(vand::test::GrabToPng(window, QDir::current().filePath(QStringLiteral("main_controller_window.png"))));
    }

    void lookAtEditMode()
    {
        factory.script->clock->Pump();
        QCoreApplication::sendPostedEvents();

        // The repeat, chosen on the timeline: its row becomes current.
        const auto events = controller->GetShowManager()->GetEditor()->GetEventsByEventId();
        emit controller->GetTimelineController()->EditSelectedSignal(events.at("A5"));
        controller->GetTimelineController()->SelectEvent(vand::qt::EventInfoItem::FromEvent(*events.at("A5")));
        controller->GetEditController()->UpdatePassedMarker(int(events.at("E1")->abs_time()));
        QVERIFY(vand::test::GrabToPng(window, QDir::current().filePath(QStringLiteral("main_window_edit_mode.png"))));
    }
};

QTEST_MAIN(LookMainController)
#include "look_maincontroller.moc"
