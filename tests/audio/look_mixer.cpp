// Pictures of the mixer over the fixture, for looking at them, not a check
// of pixels: writes mixer*.png into the working folder. Labelled "look"; the
// test script leaves it out. Under a real display server (e.g. xvfb-run with
// QT_QPA_PLATFORM=xcb) the window stays up for -wait seconds when asked.
#include <QCoreApplication>
#include <QDir>
#include <QQmlEngine>
#include <QQuickItem>
#include <QQuickWindow>
#include <QTest>
#include <memory>

#include "Grab.h"
#include "MixerFixture.h"
#include "app/AppQmlEngineSetup.h"
#include "ui/QmlController.h"
#include "ui/ViewProperty.h"

class LookMixer : public QObject
{
    Q_OBJECT
private:
    QQmlEngine engine;
    std::unique_ptr<vand::qt::QmlController> host;
    std::unique_ptr<vand::qt::MixerModel> mixer = mixer_test::MakeFixtureMixer();

private slots:
    void initTestCase()
    {
        vand::qt::PrepareAppQmlEngine(engine);
        host = std::make_unique<vand::qt::QmlController>(&engine, QUrl("qrc:/fixtures/MixerHost.qml"), nullptr, true);
        QVERIFY(host->GetQmlObject());
    }

    void cleanupTestCase()
    {
        host.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    void grabScreenshot()
    {
        QObject* window = host->GetQmlObject();
        QObject* view = window->findChild<QObject*>("mixerView");
        QVERIFY(view);
        QVERIFY(vand::qt::SetViewProperty(view, "mixerModel", QVariant::fromValue<QObject*>(mixer.get())));
        QVERIFY(vand::test::GrabToPng(window, QDir::current().filePath("mixer.png")));
        const int seconds = qEnvironmentVariableIntValue("VAND_LOOK_WAIT");
        if (seconds > 0)
            QTest::qWait(seconds * 1000);
    }
};

QTEST_MAIN(LookMixer)
#include "look_mixer.moc"
