// The watch over the player's output device, with device lists given by
// hand and the product's engine with a scripted device: a device that goes
// away sends the show to the default device, without a stop, and says so
// once.

#include <QSignalSpy>
#include <QTest>
#include <memory>

#include "../app/AppFixture.h"
#include "AudioDevicesFixture.h"
#include "audio/OutputDeviceMonitor.h"

using app_test::DataFolder;
using app_test::EngineScript;
using app_test::TestEngine;
using vand::audio::AudioDevice;
using vand::qt::OutputDeviceMonitor;

class TestOutputDeviceMonitor : public QObject
{
    Q_OBJECT
private:
    std::unique_ptr<DataFolder> folder;
    std::shared_ptr<EngineScript> script;
    std::shared_ptr<TestEngine> engine;
    std::vector<AudioDevice> devices;
    int listings = 0;
    std::unique_ptr<OutputDeviceMonitor> monitor;

    std::unique_ptr<QSignalSpy> warnings;

    void Make()
    {
        monitor = std::make_unique<OutputDeviceMonitor>([this] { return engine; },
                                                        [this] {
                                                            ++listings;
                                                            return devices;
                                                        });
        warnings = std::make_unique<QSignalSpy>(monitor.get(), &OutputDeviceMonitor::warning);
    }

    QString Warning(int i) const { return QString::fromStdString(warnings->at(i).at(0).value<std::string>()); }

private slots:
    void initTestCase() { folder = std::make_unique<DataFolder>(); }

    void init()
    {
        script = std::make_shared<EngineScript>();
        engine = std::make_shared<TestEngine>(folder->show.string(), folder->data.string(), script);
        devices = {AudioDevice(L"desk", "Desk Speakers", "desk"), AudioDevice(L"usb", "USB Interface", "usb")};
        listings = 0;
        Make();
    }

    void cleanup()
    {
        warnings.reset();
        monitor.reset();
        engine.reset();
    }

    void pollsEveryTwoSeconds()
    {
        QVERIFY(monitor->Timer().isActive());
        QCOMPARE(monitor->Timer().interval(), 2000);
    }

    void deviceThatGoesAwayLeadsToTheDefault()
    {
        script->outputDevice = "usb";
        monitor->Poll();
        QCOMPARE(warnings->count(), 0);
        QCOMPARE(listings, 1);

        devices.pop_back();
        script->Take();
        monitor->Poll();
        // No stop: the show plays on.
        QCOMPARE(script->Take(), QStringList{"SetOutputDeviceUid()"});
        QCOMPARE(warnings->count(), 1);
        QCOMPARE(Warning(0), QStringLiteral("The output device \"USB Interface\" is not available. The show now plays "
                                            "through the system's default device. Choose a device in Audio Manager."));
        QCOMPARE(warnings->at(0).at(1).value<std::string>(), std::string("Audio Device Not Available"));

        // On the default device nothing is listed and nothing said again.
        monitor->Poll();
        monitor->Poll();
        QCOMPARE(listings, 2);
        QCOMPARE(warnings->count(), 1);
        QCOMPARE(script->Take(), QStringList{});
    }

    // Of two devices of one description, the one that went away is named
    // with its id.
    void lostDeviceOfARepeatedNameIsToldApart()
    {
        devices = {AudioDevice(L"null", "Null Output", "null"), AudioDevice(L"null2", "Null Output", "null2")};
        script->outputDevice = "null2";
        monitor->Poll();
        QCOMPARE(warnings->count(), 0);
        devices.pop_back();
        monitor->Poll();
        QCOMPARE(warnings->count(), 1);
        QVERIFY2(Warning(0).contains(QStringLiteral("\"Null Output (null2)\"")), qPrintable(Warning(0)));
    }

    void checkOfADeviceAskedFor_data()
    {
        QTest::addColumn<QString>("device");
        QTest::addColumn<bool>("available");
        QTest::addColumn<int>("listed");
        QTest::addColumn<QString>("named"); // in the warning; empty for none
        QTest::newRow("default device") << "" << true << 0 << "";
        QTest::newRow("listed") << "desk" << true << 1 << "";
        // Never seen here: named by its id.
        QTest::newRow("not listed") << "hdmi-3" << false << 1 << "hdmi-3";
    }

    void checkOfADeviceAskedFor()
    {
        QFETCH(QString, device);
        QFETCH(bool, available);
        QFETCH(int, listed);
        QFETCH(QString, named);
        QCOMPARE(monitor->Check(device.toStdString()), available);
        QCOMPARE(listings, listed);
        QCOMPARE(warnings->count(), named.isEmpty() ? 0 : 1);
        if (!named.isEmpty()) {
            QVERIFY2(Warning(0).startsWith("The output device \"" + named + "\" is not"), qPrintable(Warning(0)));
            QCOMPARE(script->Take(), QStringList{"SetOutputDeviceUid()"});
        }
    }

    // A device that goes away while no output can be opened: the warning says
    // that nothing is heard, never that the default device plays.
    void deviceGoneWhileNothingIsHeard()
    {
        script->outputDevice = "usb";
        monitor->Poll();
        devices.pop_back();
        script->outputLost = true;
        monitor->Poll();
        QCOMPARE(warnings->count(), 1);
        QCOMPARE(Warning(0),
                 QStringLiteral("The output device \"USB Interface\" is not available. No sound output can be opened: "
                                "nothing is heard. Playback goes on silently, and the sound comes back by itself as "
                                "soon as an output opens."));
        QCOMPARE(warnings->at(0).at(1).value<std::string>(), std::string("No Sound Output"));
    }

    // Lost output: told once, again at each start of playback while it lasts,
    // and told when the sound is back.
    void lostOutputIsToldUntilItIsBack()
    {
        QSignalSpy back(monitor.get(), &OutputDeviceMonitor::information);
        monitor->Poll();
        monitor->PlaybackStarted();
        QCOMPARE(warnings->count(), 0);

        script->outputLost = true;
        monitor->Poll();
        monitor->Poll();
        QCOMPARE(warnings->count(), 1);
        QCOMPARE(Warning(0).toStdString(), OutputDeviceMonitor::LostText());
        QVERIFY(!Warning(0).contains(QStringLiteral("plays through")));
        monitor->PlaybackStarted();
        QCOMPARE(warnings->count(), 2);
        QCOMPARE(Warning(1).toStdString(), OutputDeviceMonitor::LostText());
        QCOMPARE(back.count(), 0);

        script->outputLost = false;
        monitor->Poll();
        QCOMPARE(back.count(), 1);
        QCOMPARE(back.at(0).at(0).value<std::string>(),
                 std::string("The sound output is open again: the show is heard."));
        monitor->Poll();
        monitor->PlaybackStarted();
        QCOMPARE(back.count(), 1);
        QCOMPARE(warnings->count(), 2);
    }

    void failuresStayInThePoll()
    {
        script->failDeviceQuery = true;
        {
            audio_test::LogLines log;
            monitor->Poll();
            QCOMPARE(log.lines, std::vector<std::string>{
                                    "audio: Checking the output device failed: engine refused GetOutputDeviceUid"});
        }
        QCOMPARE(listings, 0);
        QCOMPARE(warnings->count(), 0);

        engine.reset();
        monitor->Poll();
        QCOMPARE(listings, 0);
    }
};

QTEST_GUILESS_MAIN(TestOutputDeviceMonitor)
#include "tst_outputdevicemonitor.moc"
