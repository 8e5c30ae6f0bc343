// A picture of the main window on the demo show with playback under way, for
// looking at it, not a check of pixels: writes main_controller_window.png
// into the working folder. Labelled "look"; the test script leaves it out.
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
#include "Grab.h"
#include "app/AppQmlEngineSetup.h"
#include "app/MusicalMainController.h"
#include "notify/EventObserver.h"

using notify::PlayerEvent;

class LookMainController : public QObject
{
    Q_OBJECT
private slots:
    void lookAtTheWindow()
    {
        app_test::DataFolder folder;
        QQmlApplicationEngine engine;
        vand::qt::PrepareAppQmlEngine(engine);
        app_test::TestFactory factory;
        auto controller = std::make_unique<vand::qt::MusicalMainController>(&engine, &factory);
        QObject* window = controller->GetQmlObject();
        QVERIFY(window);

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

        controller.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
};

QTEST_MAIN(LookMainController)
#include "look_maincontroller.moc"
