#include <QColor>
#include <QDir>
#include <QFile>
#include <QPointer>
#include <QQuickItem>
#include <QQuickWindow>
#include <QSettings>
#include <QSignalSpy>
#include <QTest>
#include <iostream>
#include <memory>
#include <thread>

#include "AppFixture.h"
#include "MainWindowFixture.h"
#include "MixerFixture.h"
#include "QmlWarningGuard.h"
#include "StreamCapture.h"
#include "app/AppSettings.h"
#include "app/MusicalMainController.h"
#include "app/ResponsiveMenuController.h"
#include "audio/MixerController.h"
#include "model/EditModel.h"
#include "model/ShowManager.h"
#include "notify/EventObserver.h"
#include "showcontrol/MidiManagerCommandController.h"
#include "showcontrol/MidiManagerController.h"
#include "ui/AboutWindowController.h"
#include "ui/DialogController.h"
#include "ui/ViewProperty.h"

using app_test::TestFactory;
using notify::PlayerEvent;
using vand::qt::MusicalMainController;
namespace fs = std::filesystem;

namespace {

// What a product that switches the mixer on would return: a mixer controller
// that gives the view a group model of its own (the fixture).
class FixtureMixerController : public vand::qt::MixerController
{
public:
    FixtureMixerController(QObject* view, QQmlEngine* engine)
        : MixerController(view, engine)
    {
        vand::qt::SetViewProperty(view, "mixerModel", QVariant::fromValue<QObject*>(mixer.get()));
    }
    ~FixtureMixerController() override
    {
        // The view lets go of the model unless a newer controller's is shown.
        QObject* view = GetQmlObject();
        if (view && view->property("mixerModel").value<QObject*>() == mixer.get())
            vand::qt::SetViewProperty(view, "mixerModel", QVariant::fromValue<QObject*>(nullptr));
    }

    std::unique_ptr<vand::qt::MixerModel> mixer = mixer_test::MakeFixtureMixer();
};

// The product's identity with the mixer switch as given, and a mixer hook
// that records what it is handed.
class MixerFactory : public TestFactory
{
public:
    struct Call
    {
        QObject* item;
        QQmlEngine* engine;
        vand::AppSettings* settings;
        Interface* player;
    };

    explicit MixerFactory(bool on) { showMixer = on; }

    std::unique_ptr<QObject> CreateMixerController(QObject* item, QQmlEngine* engine,
                                                   std::shared_ptr<vand::AppSettings> settings,
                                                   std::shared_ptr<Interface> player) override
    {
        calls.push_back({item, engine, settings.get(), player.get()});
        auto made = std::make_unique<FixtureMixerController>(item, engine);
        controllers << made.get();
        return made;
    }

    std::vector<Call> calls;
    QList<QPointer<FixtureMixerController>> controllers;
};

// Raises player events from a thread of its own, as the engine does, and
// waits until they are posted (not applied).
void PublishFromEngineThread(const std::vector<std::tuple<PlayerEvent, int, std::string>>& events)
{
    std::thread engine([&] {
        for (const auto& [event, value, text] : events)
            notify::PublishPlayerEvent(event, value, text);
    });
    engine.join();
}

QObject* Child(QObject* root, const char* name)
{
    return root->findChild<QObject*>(QString::fromLatin1(name));
}

QString DialogText(MusicalMainController& controller, const char* property)
{
    auto* dialog = controller.GetMessageDialog();
    if (!dialog || !dialog->GetQmlObject())
        return QStringLiteral("<no dialog>");
    return dialog->GetQmlObject()->property(property).toString();
}

} // namespace

class TestMainController : public QObject, public app_test::MainWindowFixture<>
{
    Q_OBJECT
private:
    QStringList Calls() { return factory->script->Take(); }

    // Every property the controller sets on the window exists there: a
    // missing one would be reported on the standard error stream.
    void Build()
    {
        vand::test::QmlWarningGuard guard;
        vand::test::StreamCapture errors(std::cerr);
        MainWindowFixture::Build();
        QVERIFY2(guard.warnings().isEmpty(), qPrintable(guard.warnings().join('\n')));
        // A machine without a sound server lists no output device, and says so.
        QString text = QString::fromStdString(errors.text());
        text.remove(QStringLiteral("No audio output devices found.\n"));
        QVERIFY2(text.isEmpty(), qPrintable(text));
    }

    // Applies what the engine thread has posted.
    void Deliver() { QCoreApplication::sendPostedEvents(); }

private slots:
    void initTestCase() { SetUpTestCase(); }

    void init()
    {
        factory = std::make_unique<TestFactory>();
        QFile::remove(QString::fromStdString((folder->data / "general_settings.vand").string()));
        QFile::remove(QString::fromStdString((folder->show / "AlbumArtwork.jpg").string()));
        QFile::remove(QString::fromStdString((folder->show / "score.score").string()));
    }

    void cleanup()
    {
        Destroy();
        factory.reset();
    }

    void windowShowsTheProductAndTheShow_data()
    {
        QTest::addColumn<bool>("artwork");
        QTest::newRow("with artwork") << true;
        QTest::newRow("without artwork") << false;
    }

    void windowShowsTheProductAndTheShow()
    {
        QFETCH(bool, artwork);
        const fs::path art = folder->show / "AlbumArtwork.jpg";
        if (artwork)
            vand::demo::WriteAlbumArtwork(art, vand::demo::kDemoShowName);

        Build();
        QCOMPARE(factory->created, 1);
        QCOMPARE(window->property("visible").toBool(), true);
        QCOMPARE(window->property("title").toString(), QStringLiteral("Pelorin - Demo Show - Demo Theatre Company"));
        QCOMPARE(window->property("cornerLogoSource").toUrl(), QUrl(QStringLiteral("qrc:/images/pelorin")));
        QCOMPARE(window->property("showFade").toBool(), true);
        QCOMPARE(window->property("showScore").toBool(), true);
        QCOMPARE(window->property("showMixer").toBool(), false);
        QCOMPARE(window->property("oscEnable").toBool(), true);
        QCOMPARE(window->property("showAlbumArtImage").toBool(), artwork);
        const QUrl expectedArt = artwork ? QUrl::fromLocalFile(QString::fromStdString(art.string())) : QUrl();
        QCOMPARE(window->property("albumArtImageUrl").toUrl(), expectedArt);

        QObject* about = window->property("aboutWindow").value<QObject*>();
        QVERIFY(about);
        QCOMPARE(about->property("version").toString(), QStringLiteral(VAND_VERSION));
        QCOMPARE(about->property("logoSource").toString(), QStringLiteral("qrc:/images/pelorin_logo_light_long"));
        QVERIFY(controller->GetMenuController());

        QVERIFY(controller->GetPlayer());
        QVERIFY(controller->GetShowManager());
        QVERIFY(controller->GetEditModel());
        QCOMPARE(controller->GetShowName(), QStringLiteral("Demo Show"));
        QCOMPARE(fs::canonical(controller->GetShowFolder()), fs::canonical(folder->show));
        QVERIFY(!controller->HasUnsavedEdits());
        controller->GetEditModel()->needsSave = true;
        QVERIFY(controller->HasUnsavedEdits());
    }

    void savedAudioSettingsReachTheEngine_data()
    {
        QTest::addColumn<bool>("file");
        QTest::addColumn<QString>("device");
        QTest::addColumn<QStringList>("expected");
        QTest::addColumn<QString>("dialog");
        QTest::newRow("no settings file") << false << QString() << QStringList{} << QString();
        // A device that is not there: the show plays through the default one,
        // and the user is told.
        QTest::newRow("saved device not there")
            << true << QStringLiteral("card-2")
            << QStringList{"SetOutputDeviceUid(card-2)", "SetVolume(0.5,1)", "SetOutputDeviceUid()"}
            << QStringLiteral("Audio Device Not Available");
        QTest::newRow("saved empty device: system default")
            << true << QString() << QStringList{"SetOutputDeviceUid()", "SetVolume(0.5,1)"} << QString();
    }

    void savedAudioSettingsReachTheEngine()
    {
        QFETCH(bool, file);
        QFETCH(QString, device);
        QFETCH(QStringList, expected);
        QFETCH(QString, dialog);
        const QString path = QString::fromStdString((folder->data / "general_settings.vand").string());
        if (file) {
            QSettings settings(path, QSettings::IniFormat);
            settings.setValue("defaultVolume", 0.5);
            settings.setValue("defaultOutputDeviceString", device);
        }
        Build();
        QStringList applied;
        for (const QString& call : Calls()) {
            if (call.startsWith(QLatin1String("SetOutputDeviceUid")) || call.startsWith(QLatin1String("SetVolume")))
                applied << call;
        }
        QCOMPARE(applied, expected);
        QVERIFY(controller->GetAppSettings());
        if (dialog.isEmpty())
            QCOMPARE(controller->GetMessageDialog(), nullptr);
        else
            QCOMPARE(DialogText(*controller, "title"), dialog);
    }

    void playerEventsDriveTheWindow_data()
    {
        QTest::addColumn<int>("event");
        QTest::addColumn<int>("value");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QVariantMap>("expected");

        auto row = [](const char* name, PlayerEvent e, int value, const char* text, QVariantMap expected) {
            QTest::newRow(name) << int(e) << value << QString::fromUtf8(text) << expected;
        };
        row("key", PlayerEvent::Key, 0, "Eb major", {{"key", "Eb major"}});
        row("tempo", PlayerEvent::Tempo, 0, " 120 ", {{"tempo", "120"}});
        row("meter", PlayerEvent::Meter, 0, "6/8", {{"meter", "6/8"}});
        row("transposition -2", PlayerEvent::Transposition, -2, "", {{"transpose", "-2"}});
        row("transposition 0", PlayerEvent::Transposition, 0, "", {{"transpose", "0"}});
        row("tempo scale", PlayerEvent::TempoScale, 0, "90%", {{"tempoScale", "90%"}});
        row("bar and beat", PlayerEvent::BarBeat, 0, "  0012.03 ", {{"measure", "0012"}, {"beat", "03"}});
        row("song title", PlayerEvent::SongTitle, 0, "Overture", {{"songTitle", "Overture"}});
        row("volume 1000", PlayerEvent::StatusVolume, 1000, "", {{"volumeLevelPercent", 1.0}});
        row("volume 500", PlayerEvent::StatusVolume, 500, "", {{"volumeLevelPercent", 0.5}});
        row("vamp on", PlayerEvent::VampOn, 0, "", {{"highlightContinueButton", true}});
        row("flow repeat 3", PlayerEvent::StatusFlowControl, 3, "Repeat",
            {{"flowControlLabel", "Repeat"}, {"flowControlValue", "3"}, {"flowControlBackgroundColor", "#DAA520"}});
        row("flow vamp 0", PlayerEvent::StatusFlowControl, 0, "Vamp",
            {{"flowControlLabel", "Vamp"}, {"flowControlValue", ""}, {"flowControlBackgroundColor", "#00BFFF"}});
        row("flow skip before vamp", PlayerEvent::StatusFlowControl, 2, "Skip into Vamp",
            {{"flowControlBackgroundColor", "#6e3493"}});
        row("flow caesura", PlayerEvent::StatusFlowControl, 1, "CAESURA",
            {{"flowControlValue", "1"}, {"flowControlBackgroundColor", "#DC143C"}});
        row("flow clear pickup", PlayerEvent::StatusFlowControl, 4, "ClearPickupBeat",
            {{"flowControlLabel", ""}, {"flowControlValue", ""}, {"flowControlBackgroundColor", "#333"}});
        row("flow other", PlayerEvent::StatusFlowControl, 0, "Hold", {{"flowControlBackgroundColor", "#333"}});
    }

    void playerEventsDriveTheWindow()
    {
        QFETCH(int, event);
        QFETCH(int, value);
        QFETCH(QString, text);
        QFETCH(QVariantMap, expected);
        Build();
        Deliver();
        // A value the event must replace.
        for (auto it = expected.begin(); it != expected.end(); ++it) {
            const QByteArray key = it.key().toLatin1();
            const int type = window->property(key).typeId();
            if (type == QMetaType::QString)
                window->setProperty(key, QStringLiteral("stale"));
            else if (type == QMetaType::Bool)
                window->setProperty(key, false);
            else if (type == QMetaType::Double)
                window->setProperty(key, 0.25);
            else if (type == QMetaType::QColor)
                window->setProperty(key, QColor(Qt::green));
        }

        vand::test::StreamCapture errors(std::cerr);
        PublishFromEngineThread({{PlayerEvent(event), value, text.toStdString()}});
        Deliver();
        QVERIFY2(errors.text().empty(), errors.text().c_str());
        for (auto it = expected.begin(); it != expected.end(); ++it) {
            const QVariant actual = window->property(qPrintable(it.key()));
            if (it.value().typeId() == QMetaType::Double)
                QCOMPARE(actual.toDouble(), it.value().toDouble());
            else if (actual.typeId() == QMetaType::QColor)
                QCOMPARE(actual.value<QColor>(), QColor(it.value().toString()));
            else
                QCOMPARE(actual.toString(), it.value().toString());
        }
    }

    void transportEventsDrivePlayControlInOrder()
    {
        Build();
        Deliver();
        QObject* play = Child(window, "playControl");
        QVERIFY(play);
        QSignalSpy started(controller.get(), &MusicalMainController::PlayStarted);

        PublishFromEngineThread({{PlayerEvent::PlaybackStarted, 0, ""},
                                 {PlayerEvent::Key, 0, "C"},
                                 {PlayerEvent::Key, 0, "D"},
                                 {PlayerEvent::PlaybackPaused, 0, ""}});
        // Posted, not yet applied: the GUI thread applies them.
        QCOMPARE(started.count(), 0);
        Deliver();
        QCOMPARE(started.count(), 1);
        QCOMPARE(window->property("key").toString(), QStringLiteral("D"));
        QCOMPARE(play->property("stopToggled").toBool(), true);
        QCOMPARE(play->property("pauseEnabled").toBool(), true);
        QCOMPARE(play->property("pauseToggled").toBool(), true);
        QCOMPARE(play->property("fadeEnabled").toBool(), false);

        PublishFromEngineThread({{PlayerEvent::PlaybackFading, 0, ""}});
        Deliver();
        QCOMPARE(play->property("pauseToggled").toBool(), false);
        QCOMPARE(play->property("fadeEnabled").toBool(), false);

        PublishFromEngineThread({{PlayerEvent::PlaybackStopped, 0, ""}, {PlayerEvent::PlaybackStarted, 0, ""}});
        Deliver();
        QCOMPARE(play->property("stopToggled").toBool(), true);
        QCOMPARE(play->property("fadeEnabled").toBool(), true);

        PublishFromEngineThread({{PlayerEvent::PlaybackStarted, 0, ""}, {PlayerEvent::PlaybackStopped, 0, ""}});
        Deliver();
        QCOMPARE(play->property("stopToggled").toBool(), false);
        QCOMPARE(play->property("pauseEnabled").toBool(), false);
        QCOMPARE(play->property("fadeEnabled").toBool(), false);
    }

    void midiEventsAreDecoded_data()
    {
        QTest::addColumn<int>("value");
        QTest::addColumn<QList<int>>("learned");
        QTest::newRow("05 90 3C") << 0x0005903C << QList<int>{5, 0x90, 0, 60};
        QTest::newRow("05 93 3C") << 0x0005933C << QList<int>{5, 0x90, 3, 60};
        QTest::newRow("high byte ignored") << 0x7F0BB001 << QList<int>{11, 0xB0, 0, 1};
    }

    void midiEventsAreDecoded()
    {
        QFETCH(int, value);
        QFETCH(QList<int>, learned);
        Build();
        Deliver();
        QSignalSpy learnedSpy(controller.get(), &MusicalMainController::MidiLearned);
        QSignalSpy unlearnedSpy(controller.get(), &MusicalMainController::MidiUnlearned);
        PublishFromEngineThread(
            {{PlayerEvent::LearnedMIDICommand, value, ""}, {PlayerEvent::MIDICommandCanceled, 7, ""}});
        Deliver();
        QCOMPARE(learnedSpy.count(), 1);
        const QList<QVariant> args = learnedSpy.takeFirst();
        QCOMPARE((QList<int>{args[0].toInt(), args[1].toInt(), args[2].toInt(), args[3].toInt()}), learned);
        QCOMPARE(unlearnedSpy.count(), 1);
        QCOMPARE(unlearnedSpy.takeFirst().at(0).toInt(), 7);
    }

    void eventsQueuedForADestroyedControllerAreDropped()
    {
        Build();
        Deliver();
        PublishFromEngineThread({{PlayerEvent::PlaybackStarted, 0, ""}, {PlayerEvent::MIDICommandCanceled, 4, ""}});
        // Destroyed with the events still queued. A successor (often at the
        // same address) must not receive them when they are delivered.
        controller.reset();
        Build();
        QSignalSpy started(controller.get(), &MusicalMainController::PlayStarted);
        QSignalSpy unlearned(controller.get(), &MusicalMainController::MidiUnlearned);
        Deliver();
        QCOMPARE(started.count(), 0);
        QCOMPARE(unlearned.count(), 0);
        // Its own events still arrive.
        PublishFromEngineThread({{PlayerEvent::MIDICommandCanceled, 5, ""}});
        Deliver();
        QCOMPARE(unlearned.count(), 1);
    }

    void windowCommandsCallTheEngine_data()
    {
        QTest::addColumn<QString>("signal");
        QTest::addColumn<QVariant>("argument");
        QTest::addColumn<bool>("playing");
        QTest::addColumn<bool>("paused");
        QTest::addColumn<QStringList>("expected");
        using V = QStringList;
        QTest::newRow("play") << "play" << QVariant() << false << false << V{"Play"};
        QTest::newRow("stop") << "stop" << QVariant() << true << false << V{"Stop"};
        QTest::newRow("pause while playing") << "pause" << QVariant() << true << false << V{"Pause(false)"};
        QTest::newRow("pause while paused resumes") << "pause" << QVariant() << true << true << V{"Play"};
        QTest::newRow("pause while stopped plays") << "pause" << QVariant() << false << false << V{"Play"};
        QTest::newRow("fade 3000") << "fade" << QVariant(3000) << true << false << V{"Fade(3)"};
        QTest::newRow("fade 1500") << "fade" << QVariant(1500) << true << false << V{"Fade(1.5)"};
        QTest::newRow("fade while stopped ignored") << "fade" << QVariant(3000) << false << false << V{};
        QTest::newRow("continue") << "continueFlow" << QVariant() << true << false << V{"FlowControlExit"};
        QTest::newRow("next song") << "nextSong" << QVariant() << false << false << V{"NextSong"};
        QTest::newRow("previous song") << "prevSong" << QVariant() << false << false << V{"PrevSong"};
        QTest::newRow("jump to bar") << "jumpToBar" << QVariant(QStringLiteral("12")) << false << false
                                     << V{"SeekToBar(12)"};
        QTest::newRow("jump to empty bar") << "jumpToBar" << QVariant(QString()) << false << false << V{"SeekToBar()"};
    }

    void windowCommandsCallTheEngine()
    {
        QFETCH(QString, signal);
        QFETCH(QVariant, argument);
        QFETCH(bool, playing);
        QFETCH(bool, paused);
        QFETCH(QStringList, expected);
        Build();
        Calls();
        factory->script->playing = playing;
        factory->script->paused = paused;
        factory->script->stopped = !playing;
        QSignalSpy jump(controller.get(), &MusicalMainController::JumpToBarResult);

        const QByteArray name = signal.toLatin1();
        if (argument.isValid()) {
            if (argument.typeId() == QMetaType::Int)
                QVERIFY(QMetaObject::invokeMethod(window, name.constData(), Q_ARG(int, argument.toInt())));
            else
                QVERIFY(QMetaObject::invokeMethod(window, name.constData(), Q_ARG(QString, argument.toString())));
        } else {
            QVERIFY(QMetaObject::invokeMethod(window, name.constData()));
        }
        QCOMPARE(Calls(), expected);
        QCOMPARE(jump.count(), signal == QLatin1String("jumpToBar") ? 1 : 0);
        QCOMPARE(controller->GetMessageDialog(), nullptr);
    }

    void menuCommandsCallTheEngine_data()
    {
        QTest::addColumn<QString>("menuSignal");
        QTest::addColumn<QStringList>("expected");
        using V = QStringList;
        QTest::newRow("stop") << "stop" << V{"Stop"};
        QTest::newRow("play/pause") << "playPause" << V{"Play"};
        QTest::newRow("continue") << "continuePlay" << V{"Continue"};
        QTest::newRow("next marker") << "nextMarker" << V{"SeekRight"};
        QTest::newRow("previous marker") << "previousMarker" << V{"SeekLeft"};
        QTest::newRow("next bar") << "nextBar" << V{"SeekToNextMeasure"};
        QTest::newRow("previous bar") << "previousBar" << V{"SeekToPreviousMeasure"};
    }

    void menuCommandsCallTheEngine()
    {
        QFETCH(QString, menuSignal);
        QFETCH(QStringList, expected);
        Build();
        Calls();
        QObject* menu = window->property("menu").value<QObject*>();
        QVERIFY(menu);
        QVERIFY(QMetaObject::invokeMethod(menu, menuSignal.toLatin1().constData()));
        QCOMPARE(Calls(), expected);
    }

    void jumpResultReachesThePopup_data()
    {
        QTest::addColumn<bool>("found");
        QTest::newRow("bar exists") << true;
        QTest::newRow("no such bar") << false;
    }

    void jumpResultReachesThePopup()
    {
        QFETCH(bool, found);
        Build();
        factory->script->seekResult = found;
        QSignalSpy result(controller.get(), &MusicalMainController::JumpToBarResult);
        QSignalSpy windowResult(window, SIGNAL(jumpToBarResult(bool)));
        QVERIFY(QMetaObject::invokeMethod(window, "jumpToBar", Q_ARG(QString, QStringLiteral("7"))));
        QCOMPARE(result.count(), 1);
        QCOMPARE(result.at(0).at(0).toBool(), found);
        QCOMPARE(windowResult.count(), 1);
        QCOMPARE(windowResult.at(0).at(0).toBool(), found);
    }

    void engineFailuresBecomeDialogs_data()
    {
        QTest::addColumn<QString>("failing");
        QTest::addColumn<QString>("command");
        QTest::newRow("play") << "Play"
                              << "play";
        QTest::newRow("stop") << "Stop"
                              << "stop";
        QTest::newRow("next song") << "NextSong"
                                   << "nextSong";
        QTest::newRow("continue") << "FlowControlExit"
                                  << "continueFlow";
        QTest::newRow("jump") << "SeekToBar"
                              << "jumpToBar";
    }

    void engineFailuresBecomeDialogs()
    {
        QFETCH(QString, failing);
        QFETCH(QString, command);
        Build();
        factory->script->failing = {failing.toStdString()};
        const QByteArray name = command.toLatin1();
        // The exception must not leave the slot: the signal emission returns.
        if (command == QLatin1String("jumpToBar"))
            QVERIFY(QMetaObject::invokeMethod(window, name.constData(), Q_ARG(QString, QStringLiteral("3"))));
        else
            QVERIFY(QMetaObject::invokeMethod(window, name.constData()));
        QCOMPARE(DialogText(*controller, "title"), QStringLiteral("Playback Error"));
        QCOMPARE(DialogText(*controller, "text"), QStringLiteral("engine refused ") + failing);
        QCOMPARE(DialogText(*controller, "type"), QStringLiteral("error"));
    }

    void secondReportReplacesTheFirst()
    {
        Build();
        controller->onError("first", "One");
        QPointer<QObject> first = controller->GetMessageDialog()->GetQmlObject();
        controller->onInformation("second", "Two");
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(first.isNull());
        QCOMPARE(DialogText(*controller, "title"), QStringLiteral("Two"));
        QCOMPARE(DialogText(*controller, "type"), QStringLiteral("info"));
    }

    void fadeCompletionFromTheEngineThread_data()
    {
        QTest::addColumn<QString>("how");
        QTest::addColumn<bool>("faded");
        QTest::addColumn<bool>("guiThread");
        QTest::addColumn<QStringList>("expected");
        using V = QStringList;
        QTest::newRow("full fade moves on") << "fade" << true << false << V{"NextSong", "CancelFade"};
        QTest::newRow("full fade, stopped meanwhile") << "fade" << false << false << V{"CancelFade"};
        QTest::newRow("fade to a level") << "fadeTo" << true << false << V{"CancelFade"};
        QTest::newRow("fade to stop") << "fadeToStop" << true << false << V{"Stop", "NextSong", "CancelFade"};
        // An engine may call the completion on the calling thread; the
        // controller still answers from its queue, behind earlier events.
        QTest::newRow("full fade, on the GUI thread") << "fade" << true << true << V{"NextSong", "CancelFade"};
        QTest::newRow("fade to stop, on the GUI thread")
            << "fadeToStop" << true << true << V{"Stop", "NextSong", "CancelFade"};
    }

    void fadeCompletionFromTheEngineThread()
    {
        QFETCH(QString, how);
        QFETCH(bool, faded);
        QFETCH(bool, guiThread);
        QFETCH(QStringList, expected);
        Build();
        Calls();
        factory->script->playing = true;
        if (how == QLatin1String("fade"))
            controller->Fade_(2000);
        else if (how == QLatin1String("fadeTo"))
            controller->FadeTo_(2500, 0.25);
        else
            controller->FadeToStop_(500);
        const QStringList started = Calls();
        QCOMPARE(started.size(), 1);
        if (how == QLatin1String("fadeTo"))
            QCOMPARE(started.front(), QStringLiteral("FadeTo(2.5,0.25)"));
        QCOMPARE(factory->script->fadeCompletions.size(), std::size_t(1));

        factory->script->faded = faded;
        // An event posted before the completion is handled before it.
        QStringList order;
        connect(controller.get(), &MusicalMainController::Stopped, this, [&] { order << "Stopped"; });
        connect(controller.get(), &MusicalMainController::FadeComplete, this, [&] { order << "FadeComplete"; });
        PublishFromEngineThread({{PlayerEvent::PlaybackStopped, 0, ""}});
        if (guiThread) {
            factory->script->fadeCompletions.front()();
        } else {
            std::thread engineThread(factory->script->fadeCompletions.front());
            engineThread.join();
        }
        // The stop runs where the completion ran, the rest later on the GUI
        // thread, after the event posted before the completion.
        const QStringList onEngineThread = Calls();
        QCOMPARE(onEngineThread.size(), how == QLatin1String("fadeToStop") ? 1 : 0);
        Deliver();
        QCOMPARE(onEngineThread + Calls(), expected);
        QCOMPARE(order, (QStringList{"Stopped", "FadeComplete"}));
    }

    void fadeCompletionAfterDestructionIsDropped()
    {
        Build();
        factory->script->playing = true;
        controller->Fade_(1000);
        auto completion = factory->script->fadeCompletions.front();
        Destroy();
        Calls();
        std::thread engineThread(completion);
        engineThread.join();
        QCoreApplication::sendPostedEvents();
        QCOMPARE(Calls(), QStringList());
    }

    void destructorStopsAndSurvivesAFailingEngine_data()
    {
        QTest::addColumn<bool>("stopped");
        QTest::addColumn<bool>("fails");
        QTest::addColumn<QStringList>("expected");
        using V = QStringList;
        QTest::newRow("playing") << false << false << V{"IsStopped", "Stop"};
        QTest::newRow("stopped") << true << false << V{"IsStopped"};
        QTest::newRow("stop throws") << false << true << V{"IsStopped", "Stop"};
    }

    void destructorStopsAndSurvivesAFailingEngine()
    {
        QFETCH(bool, stopped);
        QFETCH(bool, fails);
        QFETCH(QStringList, expected);
        Build();
        Calls();
        factory->script->stopped = stopped;
        if (fails)
            factory->script->failing = {"Stop"};
        controller.reset();
        QStringList calls;
        for (const QString& call : Calls()) {
            if (call == QLatin1String("IsStopped") || call == QLatin1String("Stop"))
                calls << call;
        }
        QCOMPARE(calls, expected);
    }

    void saveWritesTheNextLocalVersion_data()
    {
        QTest::addColumn<QStringList>("files");
        QTest::addColumn<QString>("expected");
        QTest::newRow("demo 1.0") << QStringList() << "SaveChangelog(1,1)";
        QTest::newRow("2.3 and 2.10") << QStringList{"Demo Show-2.3.logdata", "Demo Show-2.10.logdata"}
                                      << "SaveChangelog(2,11)";
        QTest::newRow("odd names ignored")
            << QStringList{"nodash.logdata", "Demo.Show-7-x.logdata", "Demo Show-1.5.logdata"} << "SaveChangelog(1,6)";
    }

    void saveWritesTheNextLocalVersion()
    {
        QFETCH(QStringList, files);
        QFETCH(QString, expected);
        Build();
        Calls();
        // Written after the engine has read its change log.
        const QDir show(QString::fromStdString(folder->show.string()));
        for (const QString& name : files) {
            QFile file(show.filePath(name));
            QVERIFY(file.open(QIODevice::WriteOnly));
        }
        QSignalSpy saved(controller.get(), &MusicalMainController::SaveCompleted);
        controller->onSaveButton();
        for (const QString& name : files)
            QFile::remove(show.filePath(name));
        QCOMPARE(Calls(), (QStringList{expected, "LoadNewChangeLog"}));
        QCOMPARE(saved.count(), 1);
        QCOMPARE(DialogText(*controller, "title"), QStringLiteral("Save Complete"));
    }

    void saveFailuresAreReported_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("failing");
        QTest::newRow("engine fails") << QString() << "SaveChangelog";
        QTest::newRow("minor 255 would wrap") << "Demo Show-3.255.logdata" << QString();
    }

    void saveFailuresAreReported()
    {
        QFETCH(QString, file);
        QFETCH(QString, failing);
        Build();
        Calls();
        const QDir show(QString::fromStdString(folder->show.string()));
        if (!file.isEmpty()) {
            QFile f(show.filePath(file));
            QVERIFY(f.open(QIODevice::WriteOnly));
        }
        if (!failing.isEmpty())
            factory->script->failing = {failing.toStdString()};
        QSignalSpy saved(controller.get(), &MusicalMainController::SaveCompleted);
        controller->onSaveButton();
        if (!file.isEmpty())
            QFile::remove(show.filePath(file));
        QCOMPARE(saved.count(), 0);
        QCOMPARE(DialogText(*controller, "title"), QStringLiteral("Save Failed"));
        QVERIFY(!Calls().contains(QStringLiteral("LoadNewChangeLog")));
    }

    // The score view gets the show's pages at start and again at each show
    // load, and the engine's page events turn it.
    void scoreViewFollowsPageEventsAcrossShowLoads()
    {
        vand::demo::WriteScorePackage(folder->show / "score.score", vand::demo::DemoShowDefinition());
        Build();
        QObject* score = window->property("scoreControl").value<QObject*>();
        QVERIFY(score);
        // Read on a worker: the pages arrive through the event loop.
        QTRY_COMPARE(score->property("imageListModel").toStringList().size(), 9);
        const QStringList first = score->property("imageListModel").toStringList();
        PublishFromEngineThread({{PlayerEvent::PageNum, 3, ""}});
        Deliver();
        QCOMPARE(score->property("currentIndex").toInt(), 2);

        controller->LoadShow_();
        QCOMPARE(controller->GetMessageDialog(), nullptr);
        QTRY_COMPARE(score->property("imageListModel").toStringList().size(), 9);
        const QStringList second = score->property("imageListModel").toStringList();
        QVERIFY(second != first);
        PublishFromEngineThread({{PlayerEvent::PageNum, 5, ""}});
        Deliver();
        QCOMPARE(score->property("currentIndex").toInt(), 4);
    }

    void reloadReplacesTheShowAndKeepsOneWiring()
    {
        Build();
        std::weak_ptr<Interface> firstPlayer = controller->GetPlayer();
        auto firstManager = controller->GetShowManager();
        Calls();
        controller->LoadShow_();
        QCOMPARE(controller->GetMessageDialog(), nullptr);
        QCOMPARE(factory->created, 2);
        QVERIFY(controller->GetShowManager() != firstManager);
        QVERIFY(!firstManager->GetPlayer());
        QVERIFY(firstPlayer.expired());
        QCOMPARE(window->property("title").toString(), QStringLiteral("Pelorin - Demo Show - Demo Theatre Company"));
        Calls();
        // Every window and menu command still reaches the engine once.
        QVERIFY(QMetaObject::invokeMethod(window, "play"));
        QVERIFY(QMetaObject::invokeMethod(window->property("menu").value<QObject*>(), "nextBar"));
        QObject* editBar = Child(window, "editBar");
        QVERIFY(editBar);
        QVERIFY(QMetaObject::invokeMethod(editBar, "saveButton"));
        QCOMPARE(Calls(), (QStringList{"Play", "SeekToNextMeasure", "SaveChangelog(1,1)", "LoadNewChangeLog"}));
    }

    // The song-loaded event rebuilds the timeline at zoom 1, the playhead
    // event moves its playhead; both reach the view through the queue.
    void songLoadedAndPlayheadReachTheTimeline()
    {
        Build();
        Deliver();
        auto* timeline = window->property("timelineControl").value<QQuickItem*>();
        QVERIFY(timeline);
        QVERIFY(controller->GetTimelineController());
        timeline->setProperty("viewScale", 2.5);
        PublishFromEngineThread({{PlayerEvent::SongLoaded, 0, "1"}, {PlayerEvent::Playhead, 5008, ""}});
        Deliver();
        QCOMPARE(timeline->property("viewScale").toDouble(), 1.0);
        QCOMPARE(timeline->property("playheadItem").value<QObject*>()->property("basePos").toInt(), 200);
        // The views of the earlier build are hidden and deleted later.
        const auto labels = [timeline](const char* lane) {
            QStringList out;
            for (QQuickItem* item : timeline->property(lane).value<QQuickItem*>()->childItems()) {
                if (item->isVisible())
                    out << item->property("labelText").toString();
            }
            out.sort();
            return out;
        };
        QCOMPARE(labels("markersBar"), (QStringList{" Intro", " Letter A", " Letter B"}));
        QCOMPARE(labels("tempoMarkersBar"), (QStringList{"", " 120.00", " 96.00"})); // "": the tempo scaling
    }

    // With the mixer switched on, each loaded song asks the product's hook
    // for a mixer controller over the window's mixer view, which replaces
    // (and so deletes) the one before; with it off the hook is never asked.
    void mixerHookRunsPerSongWhenSwitchedOn_data()
    {
        QTest::addColumn<bool>("on");
        QTest::newRow("mixer on") << true;
        QTest::newRow("mixer off, as in this product") << false;
    }
    void mixerHookRunsPerSongWhenSwitchedOn()
    {
        QFETCH(bool, on);
        auto* mixerFactory = new MixerFactory(on);
        factory.reset(mixerFactory);
        Build();
        Deliver();
        QCOMPARE(window->property("showMixer").toBool(), on);
        auto* view = window->property("mixerControl").value<QObject*>();
        QVERIFY(view);
        // A mixer switched off is never shown, so its panel is never built.
        QObject* groups = view->findChild<QObject*>(QStringLiteral("groupsRepeater"));
        QCOMPARE(groups != nullptr, on);
        const size_t before = mixerFactory->calls.size();

        vand::test::QmlWarningGuard guard;
        PublishFromEngineThread({{PlayerEvent::SongLoaded, 0, "1"}});
        Deliver();
        if (!on) {
            QCOMPARE(mixerFactory->calls.size(), before);
            QVERIFY(!view->findChild<QObject*>(QStringLiteral("groupsRepeater")));
            QVERIFY2(guard.warnings().isEmpty(), qPrintable(guard.warnings().join('\n')));
            return;
        }
        QCOMPARE(mixerFactory->calls.size(), before + 1);
        const MixerFactory::Call& call = mixerFactory->calls.back();
        QCOMPARE(call.item, view);
        QCOMPARE(call.engine, static_cast<QQmlEngine*>(&engine));
        QCOMPARE(call.settings, controller->GetAppSettings().get());
        QCOMPARE(call.player, controller->GetPlayer().get());
        QPointer<FixtureMixerController> first = mixerFactory->controllers.back();
        QVERIFY(first);
        QCOMPARE(first->GetQmlObject(), view);
        QCOMPARE(view->property("mixerModel").value<QObject*>(), first->mixer.get());
        QCOMPARE(groups->property("count").toInt(), 2);

        PublishFromEngineThread({{PlayerEvent::SongLoaded, 0, "2"}});
        Deliver();
        QCOMPARE(mixerFactory->calls.size(), before + 2);
        QVERIFY(first.isNull());
        QPointer<FixtureMixerController> second = mixerFactory->controllers.back();
        QVERIFY(second);
        QCOMPARE(view->property("mixerModel").value<QObject*>(), second->mixer.get());
        QCOMPARE(groups->property("count").toInt(), 2);
        QVERIFY2(guard.warnings().isEmpty(), qPrintable(guard.warnings().join('\n')));

        // The controller wraps the view; it goes with the main controller and
        // the view stays until the window goes.
        Destroy();
        QVERIFY(second.isNull());
    }

    // The menu opens the MIDI manager on the settings as the file holds them
    // at that moment; each opening replaces the window before.
    void midiManagerOpensFromTheMenu()
    {
        fs::remove(folder->data / "pelorin2" / "midi.json");
        auto midi = std::make_shared<app_test::FakeMidi>();
        midi->sources = {{"Keyboard", "20:0"}, {"Pads", "24:0"}};
        factory->script->midi = midi;
        Build();
        QObject* menu = window->property("menu").value<QObject*>();
        QVERIFY(menu);
        QCOMPARE(controller->GetMidiManager(), nullptr);
        QVERIFY(QMetaObject::invokeMethod(menu, "midiCommandsClicked"));
        QVERIFY(controller->GetMidiManager());
        QPointer<QObject> first = controller->GetMidiManager()->GetQmlObject();
        QVERIFY(first);
        QCOMPARE(first->property("visible").toBool(), true);
        QCOMPARE(first->property("transientParent").value<QObject*>(), window);
        QCOMPARE(first->property("sourceIndex").toInt(), 0);

        // Another program chooses the second input in the file.
        {
            QFile file(controller->GetSettingsPath());
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write("[General]\ncurrentMidiSourceName=Pads\n");
        }
        Calls();
        QVERIFY(QMetaObject::invokeMethod(menu, "midiCommandsClicked"));
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(!first);
        QObject* second = controller->GetMidiManager()->GetQmlObject();
        QCOMPARE(second->property("sourceIndex").toInt(), 1);
        QCOMPARE(second->property("sourceStatus").toBool(), true);
        QCOMPARE(Calls(), QStringList{"SetMidiSource(1)"});
        QCOMPARE(controller->GetMessageDialog(), nullptr);
    }

    void midiEventsReachTheOpenManager()
    {
        fs::remove(folder->data / "pelorin2" / "midi.json");
        Build();
        Deliver();
        controller->ShowMidiManager_();
        auto* manager = controller->GetMidiManager();
        QVERIFY(manager);
        QObject* play = manager->GetRows().at(0)->GetQmlObject();
        QObject* stop = manager->GetRows().at(2)->GetQmlObject();
        QVERIFY(QMetaObject::invokeMethod(play, "learnClicked"));
        QCOMPARE(play->property("learningCommand").toBool(), true);

        // Play learned as note 64 on channel 16, from the engine's thread.
        PublishFromEngineThread({{PlayerEvent::LearnedMIDICommand, (0 << 16) | (0x9F << 8) | 64, ""}});
        QCOMPARE(play->property("learningCommand").toBool(), true); // posted, not applied yet
        Deliver();
        QCOMPARE(play->property("learningCommand").toBool(), false);
        QCOMPARE(play->property("learnedCommand").toBool(), true);
        QCOMPARE(play->property("midiStatusIndex").toInt(), 0); // note on
        QCOMPARE(play->property("channelIndex").toInt(), 15);
        QCOMPARE(play->property("midiNoteIndex").toInt(), 64);

        QVERIFY(QMetaObject::invokeMethod(stop, "learnClicked"));
        PublishFromEngineThread({{PlayerEvent::MIDICommandCanceled, 2, ""}});
        Deliver();
        QCOMPARE(stop->property("learningCommand").toBool(), false);
        QCOMPARE(stop->property("enabledCommand").toBool(), true);
        QCOMPARE(stop->property("learnedCommand").toBool(), false);
    }

    void midiManagerFailureIsReported()
    {
        auto midi = std::make_shared<app_test::FakeMidi>();
        midi->sources = {{"Keyboard", "20:0"}};
        factory->script->midi = midi;
        Build();
        factory->script->failing = {"SetMidiSource"};
        controller->ShowMidiManager_();
        QCOMPARE(controller->GetMidiManager(), nullptr);
        QCOMPARE(DialogText(*controller, "title"), QStringLiteral("MIDI Manager Error"));
        QCOMPARE(DialogText(*controller, "text"), QStringLiteral("engine refused SetMidiSource"));
    }
};

QTEST_MAIN(TestMainController)
#include "tst_maincontroller.moc"
