// The main controller's show control: the OSC server it starts (commands
// over UDP reach the engine, the lamp follows), the OSC commands it holds
// while the player is not playing, and the OSC manager's new settings.

#include <QColor>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTest>
#include <QUdpSocket>

#include <iostream>
#include <memory>
#include <thread>

#include "../showcontrol/OscReceiver.h"
#include "../showcontrol/UdpPorts.h"
#include "AppFixture.h"
#include "MainWindowFixture.h"
#include "QmlWarningGuard.h"
#include "StreamCapture.h"
#include "app/MusicalMainController.h"
#include "app/ResponsiveMenuController.h"
#include "model/EditModel.h"
#include "notify/EventObserver.h"
#include "showcontrol/OscManagerController.h"
#include "showcontrol/OscMessage.h"
#include "showcontrol/OscServer.h"
#include "showcontrol/OscSettings.h"
#include "showcontrol/VandPlayerOscCallback.h"
#include "ui/DialogController.h"

using app_test::TestFactory;
using notify::PlayerEvent;
using vand::osc::OscSettings;

using vand::test::OscReceiver;

namespace {

constexpr int kWaitMs = 10000;

using Held = std::list<std::pair<std::string, std::string>>;

CL::Osc Cue(const std::string& id, const std::string& message)
{
    return CL::Osc(0, id, CL::OscProperties(message, "NETWORK0"));
}

// The product's engine on a manual clock, really playing, its timeline OSC
// handed to the main controller's sender; the show's NETWORK0 leads to a port
// of the test's choice.
class CueEngine : public vand::Pelorin2AudioInterface
{
public:
    CueEngine(const std::string& show, const std::string& data, std::shared_ptr<vand::PlayerOscCallback> osc,
              vand::player::EngineOptions options, quint16 port)
        : Pelorin2AudioInterface(show, data, std::move(osc), std::move(options))
        , destination_("NETWORK0", "Desk", "127.0.0.1", port, 0)
    {
    }
    const CL::NetworkPath& GetNetwork(const std::string& id) const override
    {
        return id == destination_.NetworkId() ? destination_ : Pelorin2AudioInterface::GetNetwork(id);
    }

private:
    CL::NetworkPath destination_;
};

class CueFactory : public vand::qt::PelorinPlayerFactory
{
public:
    explicit CueFactory(quint16 destination)
        : destination_(destination)
    {
    }

    std::unique_ptr<AudioInterface> CreateAudioInterface(const QString& showFolder,
                                                         std::shared_ptr<vand::PlayerOscCallback> osc) override
    {
        clock = std::make_shared<vand::player::ManualClock>();
        vand::player::EngineOptions options;
        options.clock = clock;
        auto engine = std::make_unique<CueEngine>(showFolder.toStdString(), DataFolderPath().toStdString(),
                                                  std::move(osc), options, destination_);
        engine->ThrowIfThreadExceptions();
        return engine;
    }

    std::shared_ptr<vand::player::ManualClock> clock;

private:
    quint16 destination_;
};

} // namespace

class TestMainControllerOsc : public QObject, public app_test::MainWindowFixture<>
{
    Q_OBJECT
private:
    std::unique_ptr<CueFactory> cueFactory; // reset after the controller it made (cleanup)
    QUdpSocket desk;

    QString SettingsPath() const { return QString::fromStdString((folder->data / "osc_settings.vand").string()); }
    QStringList Calls() { return factory->script->Take(); }
    // Waits until the engine has been called as expected (the calls are
    // taken as they come).
    bool CallsBecome(const QStringList& expected)
    {
        QStringList calls;
        return QTest::qWaitFor(
                   [&] {
                       calls << Calls();
                       return calls.size() >= expected.size();
                   },
                   kWaitMs)
               && calls == expected;
    }
    void Deliver() { QCoreApplication::sendPostedEvents(); }

    void Build(vand::qt::PelorinPlayerFactory* with = nullptr)
    {
        vand::test::QmlWarningGuard guard;
        MainWindowFixture::Build(with);
        QVERIFY2(guard.warnings().isEmpty(), qPrintable(guard.warnings().join('\n')));
    }

    // A show-control desk sends to the listen port.
    void SendToServer(const QString& text, quint16 port = 0)
    {
        desk.writeDatagram(vand::osc::BuildOscPacket(text), QHostAddress::LocalHost, port ? port : folder->oscPort);
    }

    vand::VandPlayerOscCallback& Sender()
    {
        auto sender = controller->GetOscSender();
        if (!sender)
            qFatal("no timed OSC sender");
        return *sender;
    }

    QObject* OscLamp()
    {
        QObject* banner = window->property("statusBannerControl").value<QObject*>();
        return banner ? banner->findChild<QObject*>("oscNotice") : nullptr;
    }
    QColor LampColor() { return OscLamp()->property("color").value<QColor>(); }
    void DarkenLamp()
    {
        QObject* banner = window->property("statusBannerControl").value<QObject*>();
        QObject* timer = banner->findChild<QObject*>("revertOscColorTimer");
        QVERIFY(QMetaObject::invokeMethod(timer, "stop"));
        QVERIFY(OscLamp()->setProperty("color", QColor("dimgray")));
    }

private slots:
    void initTestCase()
    {
        SetUpTestCase();
        desk.bind(QHostAddress::LocalHost, 0);
    }

    void init()
    {
        factory = std::make_unique<TestFactory>();
        OscSettings(true, folder->oscPort).Save(SettingsPath().toStdString());
    }

    void cleanup()
    {
        Destroy();
        factory.reset();
        cueFactory.reset();
    }

    // The saved settings are loaded at construction and the server opens
    // their port once; the engine learns the port (its timeline OSC is
    // never switched, on or off).
    void serverStartsOnTheSavedPort()
    {
        vand::test::StreamCapture out(std::cout);
        Build();
        QVERIFY(controller->GetOscServer());
        QCOMPARE(controller->GetOscSettings(), OscSettings(true, folder->oscPort));
        const QStringList calls = Calls();
        QCOMPARE(calls.filter("Osc"),
                 QStringList{"SetOscControlDefaultPort(" + QString::number(folder->oscPort) + ")"});
        QCOMPARE(QString::fromStdString(out.text()), "****Opening port " + QString::number(folder->oscPort) + "\n");
        QVERIFY(factory->oscCallback);
        QCOMPARE(factory->oscCallback, std::static_pointer_cast<vand::PlayerOscCallback>(controller->GetOscSender()));
        Destroy();
        QVERIFY(vand::test::UdpPortIsFree(folder->oscPort));
    }

    void incomingOscOffStartsNoServer()
    {
        OscSettings(false, folder->oscPort).Save(SettingsPath().toStdString());
        Build();
        QVERIFY(!controller->GetOscServer());
        QCOMPARE(Calls().filter("Osc"), QStringList{});
        QVERIFY(vand::test::UdpPortIsFree(folder->oscPort));
        QCOMPARE(controller->GetMessageDialog(), nullptr);
    }

    void portInUseIsReported()
    {
        QUdpSocket squatter;
        QVERIFY(squatter.bind(QHostAddress::Any, folder->oscPort, QUdpSocket::DontShareAddress));
        Build();
        QVERIFY(!controller->GetOscServer());
        QVERIFY(controller->GetMessageDialog());
        QObject* dialog = controller->GetMessageDialog()->GetQmlObject();
        QCOMPARE(dialog->property("title").toString(), QStringLiteral("OSC Server Error"));
        QVERIFY(dialog->property("text").toString().startsWith("Unable to bind to OSC server port "
                                                               + QString::number(folder->oscPort) + ": "));
    }

    // Timeline cues follow the show, not the listener: the demo's "/cue/1/go"
    // (on the first song's bar 1) reaches its destination after Play whether
    // incoming OSC is on or off and whether its port could be bound or not; a
    // port that cannot be bound is still reported. Guards against the engine
    // sending only while the server listens.
    void timelineCuesGoOutWhateverTheListenerDoes_data()
    {
        QTest::addColumn<bool>("listen"); // the saved choice
        // "free", "taken", or "out of range": the OSC manager turns listening
        // on at such a port after a start with it off (nothing ever bound).
        QTest::addColumn<QString>("port");
        QTest::addColumn<bool>("serverError");
        QTest::newRow("listen on") << true << "free" << false;
        QTest::newRow("listen off") << false << "free" << false;
        QTest::newRow("listen port taken") << true << "taken" << true;
        QTest::newRow("listen port out of range") << false << "out of range" << true;
    }
    void timelineCuesGoOutWhateverTheListenerDoes()
    {
        QFETCH(bool, listen);
        QFETCH(QString, port);
        QFETCH(bool, serverError);
        OscReceiver destination;
        QUdpSocket squatter;
        if (port == "taken")
            QVERIFY(squatter.bind(QHostAddress::Any, folder->oscPort, QUdpSocket::DontShareAddress));
        OscSettings(listen, folder->oscPort).Save(SettingsPath().toStdString());
        cueFactory = std::make_unique<CueFactory>(destination.port());
        Build(cueFactory.get());
        if (port == "out of range") {
            CL::NetworkPathVectorT networks = controller->GetPlayer()->GetNetworks();
            controller->onOscSettingsUpdated_(OscSettings(true, 65536 + folder->oscPort), networks);
        }
        QCOMPARE(bool(controller->GetOscServer()), port == "free" && listen);
        QCOMPARE(bool(controller->GetMessageDialog()), serverError);
        if (serverError) {
            QCOMPARE(controller->GetMessageDialog()->GetQmlObject()->property("title").toString(),
                     QStringLiteral("OSC Server Error"));
        }

        // The cue lies on bar 1, after a pickup beat: the show's time runs on
        // by hand until it has left.
        QVERIFY(QMetaObject::invokeMethod(window, "play"));
        Deliver();
        QTRY_VERIFY_WITH_TIMEOUT((cueFactory->clock->Advance(50), !destination.addresses().isEmpty()), kWaitMs);
        QCOMPARE(destination.addresses(), QStringList{"/cue/1/go"});
        QVERIFY(QMetaObject::invokeMethod(window, "stop"));
        Deliver();
    }

    // Commands from a desk drive the engine; each decoded one lights the lamp.
    void commandsFromADeskDriveTheEngine_data()
    {
        QTest::addColumn<QString>("message");
        QTest::addColumn<bool>("playing");
        QTest::addColumn<QStringList>("calls");
        QTest::newRow("play") << "/vand/play" << false << QStringList{"Stop", "Play"};
        QTest::newRow("song 3") << "/vand/song/3/play" << false << QStringList{"LoadSong(3)", "Play"};
        QTest::newRow("stop") << "/vand/stop" << true << QStringList{"Stop"};
        QTest::newRow("fade out over 2 s") << "/vand/fadeout 2.0" << true << QStringList{"Fade(2)"};
        QTest::newRow("fade out, not playing") << "/vand/fadeout 2.0" << false << QStringList{};
        QTest::newRow("fade to -6 dB over 1 s") << "/vand/fadeto -6 1" << true << QStringList{"FadeTo(1,0.501187)"};
        QTest::newRow("volume") << "/vand/volume -6" << true << QStringList{"SetVolume(0.501187)"};
        QTest::newRow("another show") << "/vand/show/other/stop" << true << QStringList{};
    }
    void commandsFromADeskDriveTheEngine()
    {
        QFETCH(QString, message);
        QFETCH(bool, playing);
        QFETCH(QStringList, calls);
        Build();
        Calls();
        DarkenLamp();
        factory->script->playing = playing;
        SendToServer(message);
        QTRY_COMPARE_WITH_TIMEOUT(LampColor(), QColor("lawngreen"), kWaitMs);
        QCOMPARE(Calls(), calls);
    }

    // liblo's oscsend stands in for a desk.
    void oscsendPlays()
    {
        const QString oscsend = QStandardPaths::findExecutable("oscsend");
        QVERIFY2(!oscsend.isEmpty(), "scripts/setup installs liblo-tools");
        Build();
        Calls();
        QProcess process;
        process.start(oscsend, {"localhost", QString::number(folder->oscPort), "/vand/play"});
        QVERIFY(process.waitForFinished(kWaitMs));
        QVERIFY(CallsBecome({"Stop", "Play"}));
    }

    // A datagram that does not decode is reported and lights nothing.
    void malformedDatagramLightsNothing()
    {
        Build();
        DarkenLamp();
        vand::test::StreamCapture errors(std::cerr);
        desk.writeDatagram(QByteArray("/vand/play\0\0,i", 14), QHostAddress::LocalHost, folder->oscPort);
        QTRY_VERIFY_WITH_TIMEOUT(!errors.text().empty(), kWaitMs);
        Deliver();
        QCOMPARE(LampColor(), QColor("dimgray"));
        QVERIFY(Calls().filter("Play").isEmpty());
    }

    // Commands that come due while stopped wait for playback in the same
    // song, then go at once (their delay is not kept), in order.
    void heldCommandsGoWhenPlaybackStarts_data()
    {
        QTest::addColumn<QString>("heldIn");    // current song when held ("" none)
        QTest::addColumn<QString>("playingIn"); // current song at play
        QTest::addColumn<bool>("sent");
        QTest::newRow("same song") << "5"
                                   << "5" << true;
        QTest::newRow("another song") << "5"
                                      << "3" << false;
        QTest::newRow("no song, first song") << ""
                                             << "1" << true;
        QTest::newRow("no song, another song") << ""
                                               << "2" << false;
    }
    void heldCommandsGoWhenPlaybackStarts()
    {
        QFETCH(QString, heldIn);
        QFETCH(QString, playingIn);
        QFETCH(bool, sent);
        OscReceiver destination;
        factory->script->networks = {CL::NetworkPath("NETWORK0", "Desk", "127.0.0.1", destination.port(), 0)};
        Build();
        factory->script->playing = false;
        factory->script->currentSong = heldIn.toStdString();
        // From an engine thread, as the engine hands them over.
        std::thread engineThread([&] {
            Sender().EnqueueEvent(Cue("S1", "/first"), 400);
            Sender().EnqueueEvent(Cue("S2", "/second"), 100);
        });
        engineThread.join();
        Deliver();
        QCOMPARE(controller->GetPendingOscCommands(),
                 (Held{{heldIn.toStdString(), "S1"}, {heldIn.toStdString(), "S2"}}));
        QCOMPARE(destination.addresses(), QStringList{});

        factory->script->currentSong = playingIn.toStdString();
        QVERIFY(QMetaObject::invokeMethod(window, "play"));
        QCOMPARE(controller->GetPendingOscCommands(), Held{});
        if (sent) {
            QTRY_COMPARE_WITH_TIMEOUT(destination.addresses().size(), 2, kWaitMs);
            QCOMPARE(destination.addresses(), (QStringList{"/first", "/second"}));
        } else {
            // A command sent right after marks the end.
            Sender().ExecuteHeldEvent(Cue("S9", "/marker"), 0);
            QTRY_COMPARE_WITH_TIMEOUT(destination.addresses(), QStringList{"/marker"}, kWaitMs);
        }
    }

    // The engine hands a rest position's commands over at each stop: one
    // entry per command and song is kept.
    void repeatedStopsHoldOneEntry()
    {
        Build();
        factory->script->currentSong = "2";
        for (int i = 0; i < 3; ++i)
            Sender().EnqueueEvent(Cue("S1", "/cue/1/go"), 0);
        Sender().EnqueueEvent(Cue("S3", "/cue/3/go"), 0);
        factory->script->currentSong = "3";
        Sender().EnqueueEvent(Cue("S1", "/cue/1/go"), 0);
        Deliver();
        QCOMPARE(controller->GetPendingOscCommands(), (Held{{"2", "S1"}, {"2", "S3"}, {"3", "S1"}}));
    }

    // While playing a command goes to the sender at once, keeping its delay.
    void commandsWhilePlayingAreNotHeld()
    {
        OscReceiver destination;
        factory->script->networks = {CL::NetworkPath("NETWORK0", "Desk", "127.0.0.1", destination.port(), 0)};
        Build();
        factory->script->playing = true;
        Sender().EnqueueEvent(Cue("S1", "/later"), 300);
        Sender().EnqueueEvent(Cue("S2", "/sooner"), 0);
        Deliver();
        QCOMPARE(controller->GetPendingOscCommands(), Held{});
        QTRY_COMPARE_WITH_TIMEOUT(destination.addresses().size(), 2, kWaitMs);
        QCOMPARE(destination.addresses(), (QStringList{"/sooner", "/later"}));
    }

    // Playback started inside the engine (a MIDI command) sends them too, and
    // so does a play command from a desk.
    void playbackStartedSendsHeldCommands_data()
    {
        QTest::addColumn<QString>("start");
        QTest::newRow("engine reports playing") << "event";
        QTest::newRow("desk plays") << "osc";
        QTest::newRow("window resumes") << "pause";
        QTest::newRow("continue") << "continueFlow";
    }
    void playbackStartedSendsHeldCommands()
    {
        QFETCH(QString, start);
        OscReceiver destination;
        factory->script->networks = {CL::NetworkPath("NETWORK0", "Desk", "127.0.0.1", destination.port(), 0)};
        Build();
        Sender().EnqueueEvent(Cue("S1", "/held"), 0);
        Deliver();
        QCOMPARE(controller->GetPendingOscCommands().size(), std::size_t(1));
        if (start == "event") {
            std::thread engineThread([] { notify::PublishPlayerEvent(PlayerEvent::PlaybackStarted, 0, ""); });
            engineThread.join();
            Deliver();
        } else if (start == "osc") {
            SendToServer("/vand/play");
        } else {
            factory->script->paused = true;
            QVERIFY(QMetaObject::invokeMethod(window, start.toLatin1().constData()));
        }
        QTRY_COMPARE_WITH_TIMEOUT(destination.addresses(), QStringList{"/held"}, kWaitMs);
        QCOMPARE(controller->GetPendingOscCommands(), Held{});
    }

    // Moving elsewhere drops the held commands (a seek from the menu after
    // seeking).
    void movingElsewhereDropsHeldCommands_data()
    {
        QTest::addColumn<QString>("source"); // "window" or "menu"
        QTest::addColumn<QString>("signal");
        QTest::addColumn<QString>("call");
        QTest::newRow("next song") << "window"
                                   << "nextSong"
                                   << "NextSong";
        QTest::newRow("previous song") << "window"
                                       << "prevSong"
                                       << "PrevSong";
        QTest::newRow("next bar") << "menu"
                                  << "nextBar"
                                  << "SeekToNextMeasure";
        QTest::newRow("previous bar") << "menu"
                                      << "previousBar"
                                      << "SeekToPreviousMeasure";
        QTest::newRow("next marker") << "menu"
                                     << "nextMarker"
                                     << "SeekRight";
        QTest::newRow("previous marker") << "menu"
                                         << "previousMarker"
                                         << "SeekLeft";
    }
    void movingElsewhereDropsHeldCommands()
    {
        QFETCH(QString, source);
        QFETCH(QString, signal);
        QFETCH(QString, call);
        Build();
        Sender().EnqueueEvent(Cue("S1", "/held"), 0);
        Deliver();
        QCOMPARE(controller->GetPendingOscCommands().size(), std::size_t(1));
        Calls();
        QObject* sender = source == "menu" ? window->property("menu").value<QObject*>() : window;
        QVERIFY(QMetaObject::invokeMethod(sender, signal.toLatin1().constData()));
        QCOMPARE(Calls(), QStringList{call});
        QCOMPARE(controller->GetPendingOscCommands(), Held{});
    }

    void jumpToBarDropsHeldCommands()
    {
        Build();
        Sender().EnqueueEvent(Cue("S1", "/held"), 0);
        Deliver();
        QVERIFY(QMetaObject::invokeMethod(window, "jumpToBar", Q_ARG(QString, "5")));
        QCOMPARE(controller->GetPendingOscCommands(), Held{});
    }

    // The outgoing lamp turns gold for a send that left, not for one refused.
    void outgoingLampFollowsSendsThatLeft()
    {
        OscReceiver destination;
        factory->script->networks = {CL::NetworkPath("NETWORK0", "Desk", "127.0.0.1", destination.port(), 0),
                                     CL::NetworkPath("BAD", "Desk", "no address", destination.port(), 0)};
        Build();
        DarkenLamp();
        Sender().ExecuteHeldEvent(CL::Osc(0, "S1", CL::OscProperties("/refused", "BAD")), 0);
        Sender().ExecuteHeldEvent(Cue("S2", "/marker"), 0);
        QTRY_COMPARE_WITH_TIMEOUT(destination.addresses(), QStringList{"/marker"}, kWaitMs);
        QTRY_COMPARE_WITH_TIMEOUT(LampColor(), QColor("#FFD700"), kWaitMs);
        DarkenLamp();
        Sender().ExecuteHeldEvent(CL::Osc(0, "S1", CL::OscProperties("/refused", "BAD")), 0);
        Sender().ExecuteHeldEvent(CL::Osc(0, "S1", CL::OscProperties("  ", "NETWORK0")), 0);
        // The refused sends were handled before this one; its lamp comes later.
        QSignalSpy lamp(&Sender(), &vand::VandPlayerOscCallback::OutgoingNotification);
        Sender().ExecuteHeldEvent(Cue("S3", "/marker2"), 0);
        QTRY_COMPARE_WITH_TIMEOUT(lamp.count(), 1, kWaitMs);
        QTRY_COMPARE_WITH_TIMEOUT(LampColor(), QColor("#FFD700"), kWaitMs);
    }

    // The menu opens the OSC manager; its OK saves the settings, hands the
    // destinations to the change log and moves the server.
    void oscManagerMovesThePortAndKeepsTheDestinations()
    {
        Build();
        QObject* menu = window->property("menu").value<QObject*>();
        QVERIFY(QMetaObject::invokeMethod(menu, "oscManagerClicked"));
        vand::qt::OscManagerController* manager = controller->GetOscManager();
        QVERIFY(manager);
        QObject* view = manager->GetQmlObject();
        QVERIFY(view->property("visible").toBool());
        QCOMPARE(view->property("oscListenPortString").toString(), QString::number(folder->oscPort));
        const quint16 newPort = vand::test::FreeUdpPort();
        QVERIFY(view->property("oscListenPortString").isValid());
        view->setProperty("oscListenPortString", QString::number(newPort));
        manager->onCreateNetwork_("10.0.0.9", 9000, "udp", "Lights");
        Calls();
        vand::test::StreamCapture out(std::cout);
        manager->onOkayClicked_();

        QCOMPARE(controller->GetMessageDialog(), nullptr);
        QCOMPARE(controller->GetOscSettings(), OscSettings(true, newPort));
        OscSettings saved(false, 1);
        saved.Load(SettingsPath().toStdString());
        QCOMPARE(saved, OscSettings(true, newPort));
        const CL::NetworkPathVectorT& networks =
            controller->GetPlayer()->GetChangeLogEditor()->GetChangeLog().GetNetworks();
        QCOMPARE(networks.size(), std::size_t(2));
        QCOMPARE(networks.back(), CL::NetworkPath("NETWORK1", "Lights", "10.0.0.9", 9000, 0));
        QVERIFY(controller->GetEditModel()->needsSave);
        QVERIFY(controller->GetEditModel()->needsUpload);
        QCOMPARE(Calls(), (QStringList{"LoadNewChangeLog", "Pause(false)", "LoadNewChangeLog",
                                       "SetOscControlDefaultPort(" + QString::number(newPort) + ")"}));
        QCOMPARE(QString::fromStdString(out.text()), "****Closing port " + QString::number(folder->oscPort)
                                                         + "\n****Opening port " + QString::number(newPort) + "\n");
        QVERIFY(vand::test::UdpPortIsFree(folder->oscPort));
        QCOMPARE(Sender().DefaultPort(), newPort);
        QVERIFY(!view->property("visible").toBool());
        Calls();
        SendToServer("/vand/stop", newPort);
        QVERIFY(CallsBecome({"Stop"}));
    }

    void oscManagerTurningIncomingOscOff()
    {
        Build();
        QVERIFY(QMetaObject::invokeMethod(controller.get(), "ShowOscManager_"));
        QObject* view = controller->GetOscManager()->GetQmlObject();
        view->setProperty("oscEnabled", false);
        Calls();
        controller->GetOscManager()->onOkayClicked_();
        QVERIFY(!controller->GetOscServer());
        // The edit controller reloads the change log, then refreshes after the edit.
        QCOMPARE(Calls(), (QStringList{"LoadNewChangeLog", "Pause(false)", "LoadNewChangeLog"}));
        QVERIFY(vand::test::UdpPortIsFree(folder->oscPort));
    }

    // A settings file that cannot be written is reported; the destinations
    // and the new settings are taken all the same and the server restarts.
    void failingSaveIsReportedAndTheSettingsStillApply()
    {
        Build();
        QVERIFY(QFile::remove(SettingsPath()));
        QVERIFY(QDir().mkdir(SettingsPath()));
        const auto restore = qScopeGuard([&] { QDir().rmdir(SettingsPath()); });
        const quint16 newPort = vand::test::FreeUdpPort();
        CL::NetworkPathVectorT networks{CL::NetworkPath("N", "Desk", "10.0.0.1", 7000, 1)};
        controller->onOscSettingsUpdated_(OscSettings(true, newPort), networks);
        QVERIFY(controller->GetMessageDialog());
        QObject* dialog = controller->GetMessageDialog()->GetQmlObject();
        QCOMPARE(dialog->property("title").toString(), QStringLiteral("OSC Settings Failed to Save"));
        QVERIFY(dialog->property("text").toString().startsWith("Failed to save osc settings to "));
        QCOMPARE(controller->GetOscSettings(), OscSettings(true, newPort));
        QVERIFY(controller->GetOscServer());
        QVERIFY(vand::test::UdpPortIsFree(folder->oscPort));
        QCOMPARE(controller->GetPlayer()->GetChangeLogEditor()->GetChangeLog().GetNetworks(), networks);
    }

    // A port outside 1 to 65535 is refused, not taken as its low 16 bits.
    void listenPortOutsideTheRangeIsAServerError()
    {
        Build();
        CL::NetworkPathVectorT networks;
        controller->onOscSettingsUpdated_(OscSettings(true, 65536 + folder->oscPort), networks);
        QVERIFY(!controller->GetOscServer());
        QVERIFY(vand::test::UdpPortIsFree(folder->oscPort));
        QObject* dialog = controller->GetMessageDialog()->GetQmlObject();
        QCOMPARE(dialog->property("title").toString(), QStringLiteral("OSC Server Error"));
    }

    // A refused listen port outside 1 to 65535 never reaches the next show's
    // timed sender as its low 16 bits (65536 + n would send to n): events
    // without a destination go to the default port, as from a file holding it.
    void listenPortOutsideTheRangeIsNotWrappedAtTheNextLoad()
    {
        Build();
        CL::NetworkPathVectorT networks;
        controller->onOscSettingsUpdated_(OscSettings(true, 65536 + folder->oscPort), networks);
        controller->LoadShow_();
        QCOMPARE(Sender().DefaultPort(), quint16(OscSettings::kDefaultListenPort));
        QVERIFY(!controller->GetOscServer());
    }

    // The saved choice to refuse incoming OSC survives a new show load.
    void reloadKeepsIncomingOscOff()
    {
        OscSettings(false, folder->oscPort).Save(SettingsPath().toStdString());
        Build();
        auto firstSender = controller->GetOscSender();
        controller->LoadShow_();
        QVERIFY(!controller->GetOscServer());
        QVERIFY(controller->GetOscSender() != firstSender);
        QCOMPARE(firstSender->WaitingSends(), std::size_t(0));
        QCOMPARE(factory->oscCallback, std::static_pointer_cast<vand::PlayerOscCallback>(controller->GetOscSender()));
    }
};

QTEST_MAIN(TestMainControllerOsc)
#include "tst_maincontroller_osc.moc"
