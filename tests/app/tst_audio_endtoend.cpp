// The output device from end to end, on the product's engine playing the
// demo show into the test sound server (label "audio"): the second of two
// "Null Output" devices chosen in the Audio Manager gets the music and keeps
// it after a restart; a saved device that is gone, or a device unloaded while
// the show plays, leads to the default device with a warning, and the music
// goes on.

#include <QQmlApplicationEngine>
#include <QSettings>
#include <QTest>
#include <memory>

#include "AppFixture.h"
#include "SoundServer.h"
#include "app/AppQmlEngineSetup.h"
#include "app/MusicalMainController.h"
#include "audio/AudioManagerController.h"
#include "audio/OutputDeviceMonitor.h"
#include "notify/CallbackDispatcher.h"
#include "sfx/DeviceControlWin32.h"
#include "ui/DialogController.h"

using vand::qt::MusicalMainController;

namespace {

// Well above the noise floor of silence (0), well below the demo's music.
constexpr double kSound = 0.01;
// A null sink nobody records renders two seconds ahead, and takes a new
// stream up once that block has run out: what is heard is waited for, this
// long at most.
constexpr double kHearWithinMs = 10000;
constexpr int kPatienceMs = 15000;

bool Listed(const std::string& deviceId)
{
    for (const auto& device : vand::audio::DeviceControlWin32().GetOutputDevices()) {
        if (device.narrowId == deviceId)
            return true;
    }
    return false;
}

bool Heard(const std::string& sink)
{
    return vand::test::HeardOn(sink, kSound, kHearWithinMs);
}

} // namespace

class TestAudioEndToEnd : public QObject
{
    Q_OBJECT
private:
    std::unique_ptr<app_test::DataFolder> folder;
    QQmlApplicationEngine engine;
    vand::qt::PelorinPlayerFactory factory;
    std::unique_ptr<MusicalMainController> controller;

    QString SettingsPath() const { return QString::fromStdString((folder->data / "general_settings.vand").string()); }

    void Start()
    {
        controller = std::make_unique<MusicalMainController>(&engine, &factory);
        QVERIFY(controller->GetQmlObject());
        QCoreApplication::sendPostedEvents();
    }

    void Quit()
    {
        controller.reset();
        QCoreApplication::sendPostedEvents();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    QString DialogTitle() const
    {
        auto* dialog = controller->GetMessageDialog();
        return dialog && dialog->GetQmlObject() ? dialog->GetQmlObject()->property("title").toString() : QString();
    }

    // Chooses the device in the Audio Manager dialog (a new one unless the
    // open one is meant) and confirms.
    void Choose(const std::string& deviceId, bool newDialog = true)
    {
        if (newDialog) {
            QVERIFY(QMetaObject::invokeMethod(controller->GetQmlObject()->property("menu").value<QObject*>(),
                                              "audioManagerClicked"));
        }
        auto* manager = controller->GetAudioManager();
        QVERIFY(manager);
        int entry = -1;
        for (size_t i = 0; i < manager->GetDevices().size(); ++i) {
            if (manager->GetDevices()[i].narrowId == deviceId)
                entry = static_cast<int>(i) + 1;
        }
        QVERIFY2(entry > 0, deviceId.c_str());
        QObject* dialog = manager->GetQmlObject();
        QVERIFY(dialog->setProperty("outputDeviceIndex", entry));
        QVERIFY(QMetaObject::invokeMethod(dialog->findChild<QObject*>(QStringLiteral("okButton")), "clicked"));
    }

private slots:
    void initTestCase()
    {
        const QString problem = vand::test::SoundServerProblem();
        if (!problem.isEmpty())
            QFAIL(qPrintable(problem));
        folder = std::make_unique<app_test::DataFolder>();
        // The demo's songs as music, small: 8 kHz mono.
        vand::demo::AudioStyle style;
        style.format = vand::demo::AudioStyle::Format::Wav;
        style.sampleRate = 8000;
        style.channels = 1;
        vand::demo::WriteShowFolder(folder->show, vand::demo::DemoShowDefinition(), style);
        vand::qt::PrepareAppQmlEngine(engine);
    }

    void init() { QFile::remove(SettingsPath()); }
    void cleanup()
    {
        Quit();
        // The process-wide dispatcher outlives the test: a subscription left
        // behind would be called with a dangling target by the next one.
        QCOMPARE(notify::callbackDispatcher->CallbackCount(), std::size_t(0));
    }

    void secondNullOutputGetsTheMusicAndKeepsIt()
    {
        Start();
        Choose("null2");
        QCOMPARE(controller->GetPlayer()->GetOutputDeviceUid(), std::string("null2"));
        QCOMPARE(vand::test::SinksOfOurStreams(), QStringList{"null2"});
        controller->Play_();
        QVERIFY(Heard("null2"));
        QCOMPARE(vand::test::Rms(vand::test::RecordMonitor("null", 500), 0, 500), 0.0);
        QCOMPARE(DialogTitle(), QString());

        // A restart plays through the device chosen before.
        Quit();
        QCOMPARE(QSettings(SettingsPath(), QSettings::IniFormat).value("defaultOutputDeviceString").toString(),
                 QStringLiteral("null2"));
        Start();
        QCOMPARE(controller->GetPlayer()->GetOutputDeviceUid(), std::string("null2"));
        QCOMPARE(vand::test::SinksOfOurStreams(), QStringList{"null2"});
        QCOMPARE(DialogTitle(), QString());
    }

    void savedDeviceThatIsGoneLeadsToTheDefault()
    {
        {
            QSettings saved(SettingsPath(), QSettings::IniFormat);
            saved.setValue("defaultOutputDeviceString", "gone-card");
        }
        Start();
        QCOMPARE(controller->GetPlayer()->GetOutputDeviceUid(), std::string());
        QCOMPARE(vand::test::SinksOfOurStreams(), QStringList{"null"});
        QCOMPARE(DialogTitle(), QStringLiteral("Audio Device Not Available"));
        // Kept for when it is back.
        QCOMPARE(QSettings(SettingsPath(), QSettings::IniFormat).value("defaultOutputDeviceString").toString(),
                 QStringLiteral("gone-card"));
    }

    // Chosen in a dialog opened while it was there, gone by OK: the choice is
    // kept in the settings, the show plays through the default device.
    void deviceGoneBeforeOkLeadsToTheDefault()
    {
        const std::string own = "tst_audio_endtoend_ok_" + std::to_string(QCoreApplication::applicationPid());
        vand::test::OwnNullSink sink(QString::fromStdString(own));
        QVERIFY(sink.Loaded());
        QTRY_VERIFY_WITH_TIMEOUT(Listed(own), kPatienceMs);
        Start();
        QVERIFY(QMetaObject::invokeMethod(controller->GetQmlObject()->property("menu").value<QObject*>(),
                                          "audioManagerClicked"));
        sink.Unload();
        QTRY_VERIFY_WITH_TIMEOUT(!Listed(own), kPatienceMs);
        Choose(own, false);
        QCOMPARE(controller->GetPlayer()->GetOutputDeviceUid(), std::string());
        QCOMPARE(vand::test::SinksOfOurStreams(), QStringList{"null"});
        QCOMPARE(DialogTitle(), QStringLiteral("Audio Device Not Available"));
        QCOMPARE(QSettings(SettingsPath(), QSettings::IniFormat).value("defaultOutputDeviceString").toString(),
                 QString::fromStdString(own));
    }

    void deviceUnloadedWhilePlayingLeadsToTheDefault()
    {
        const std::string own = "tst_audio_endtoend_" + std::to_string(QCoreApplication::applicationPid());
        vand::test::OwnNullSink sink(QString::fromStdString(own));
        QVERIFY(sink.Loaded());
        QTRY_VERIFY_WITH_TIMEOUT(Listed(own), kPatienceMs);
        Start();
        Choose(own);
        controller->Play_();
        QVERIFY(Heard(own));
        QCOMPARE(DialogTitle(), QString());

        const unsigned before = controller->GetPlayer()->GetTickIndex();
        sink.Unload();
        // The monitor's next poll finds the device gone.
        QCOMPARE(controller->GetDeviceMonitor()->Timer().interval(), 2000);
        QTRY_COMPARE_WITH_TIMEOUT(controller->GetPlayer()->GetOutputDeviceUid(), std::string(), kPatienceMs);
        QCOMPARE(DialogTitle(), QStringLiteral("Audio Device Not Available"));
        QCOMPARE(vand::test::SinksOfOurStreams(), QStringList{"null"});
        // Never stopped: the music goes on, now through the default device.
        QVERIFY(Heard("null"));
        QVERIFY(!controller->GetPlayer()->IsStopped());
        QVERIFY(controller->GetPlayer()->GetTickIndex() > before);
    }
};

QTEST_MAIN(TestAudioEndToEnd)
#include "tst_audio_endtoend.moc"
