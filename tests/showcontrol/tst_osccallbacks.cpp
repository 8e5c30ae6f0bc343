// The OSC command handler on the small demo show's engine (manual clock,
// transport calls recorded): messages are built as text, decoded and
// dispatched as the server does, and the engine calls and signals checked.

#include <QSignalSpy>
#include <QTest>

#include <iostream>
#include <limits>
#include <memory>
#include <stdexcept>

#include "../app/AppFixture.h"
#include "StreamCapture.h"
#include "showcontrol/OscCommand.h"
#include "showcontrol/OscMessage.h"
#include "showcontrol/VandOscCallbacks.h"

using app_test::EngineScript;
using vand::VandOscCallbacks;

namespace {

// The test engine with an attacca state and an audio end of our choice (the
// demo's audio runs past the last tick an event may take).
class CueEngine : public app_test::TestEngine
{
public:
    CueEngine(const app_test::DataFolder& folder, std::shared_ptr<EngineScript> script)
        : TestEngine(folder.show.string(), folder.data.string(), std::move(script))
    {
    }
    unsigned char GetAttacca(const std::string&) const override { return attacca; }
    UInt32 GetSongAudioEndTick(const std::string& song) const override
    {
        return audioEnd ? *audioEnd : TestEngine::GetSongAudioEndTick(song);
    }
    unsigned char attacca = 0;
    std::optional<UInt32> audioEnd;
};

UInt32 StartOf(Interface& player, const std::string& id)
{
    for (const cmn::VandEvent* e : player.GetSongLog()->GetAllEvents()) {
        if (e->EventId() == id)
            return e->start();
    }
    qFatal("no event %s in the current song", id.c_str());
}

UInt32 EndOf(Interface& player, const std::string& id)
{
    for (const cmn::VandEvent* e : player.GetSongLog()->GetAllEvents()) {
        if (e->EventId() == id)
            return e->end();
    }
    qFatal("no event %s in the current song", id.c_str());
}

} // namespace

class TestOscCallbacks : public QObject
{
    Q_OBJECT
private:
    std::unique_ptr<app_test::DataFolder> folder;
    std::shared_ptr<EngineScript> script;
    std::shared_ptr<CueEngine> engine;
    std::unique_ptr<VandOscCallbacks> handler;

    // Builds, decodes and dispatches one message, as the server does.
    void Send(const QString& text)
    {
        const QByteArray packet = vand::osc::BuildOscPacket(text);
        const vand::osc::OscMessage message =
            vand::osc::DecodeOscMessage(packet.constData(), std::size_t(packet.size()));
        vand::osc::DispatchOscCommand(handler.get(), message);
    }
    QStringList Calls() { return script->Take(); }

private slots:
    void initTestCase() { folder = std::make_unique<app_test::DataFolder>(); }

    void init()
    {
        script = std::make_shared<EngineScript>();
        engine = std::make_shared<CueEngine>(*folder, script);
        handler = std::make_unique<VandOscCallbacks>(engine, "Demo Show");
        QCOMPARE(engine->GetCurrentSongNumber(), std::string("1"));
        Calls();
    }

    void cleanup()
    {
        handler.reset();
        engine.reset();
    }

    void showNameIsMatchedInItsAddressForm() { QCOMPARE(handler->OscShowName(), std::string("demo_show")); }

    // Show filter before song filter; both must match (empty matches all).
    void commandsForAnotherShowOrSongDoNothing_data()
    {
        QTest::addColumn<QString>("prefix");
        QTest::addColumn<bool>("runs");
        QTest::newRow("no show, no song") << "/vand" << true;
        QTest::newRow("our show") << "/vand/show/demo_show" << true;
        QTest::newRow("our show, current song") << "/vand/show/demo_show/song/1" << true;
        QTest::newRow("current song") << "/vand/song/1" << true;
        QTest::newRow("our show written as the name") << "/vand/show/Demo_Show" << false;
        QTest::newRow("another show") << "/vand/show/other" << false;
        QTest::newRow("another show, current song") << "/vand/show/other/song/1" << false;
        QTest::newRow("another song") << "/vand/song/2" << false;
        QTest::newRow("our show, another song") << "/vand/show/demo_show/song/2" << false;
    }
    void commandsForAnotherShowOrSongDoNothing()
    {
        QFETCH(QString, prefix);
        QFETCH(bool, runs);
        QSignalSpy fades(handler.get(), &VandOscCallbacks::FadeRequested);
        QSignalSpy queued(handler.get(), &VandOscCallbacks::RequestPlayQueudOscEvents);
        QSignalSpy notices(handler.get(), qOverload<>(&VandOscCallbacks::Notification));
        Send(prefix + "/stop");
        Send(prefix + "/go");
        Send(prefix + "/pause");
        Send(prefix + "/fadeout 2");
        Send(prefix + "/event/E5/go");
        const QStringList expected = runs ? QStringList{"Stop",
                                                        "Continue",
                                                        "Pause(false)",
                                                        "Pause(false)",
                                                        "Seek(" + QString::number(StartOf(*engine, "E5")) + ")",
                                                        "Continue"}
                                          : QStringList{};
        QCOMPARE(Calls(), expected);
        QCOMPARE(fades.count(), runs ? 1 : 0);
        QCOMPARE(queued.count(), runs ? 2 : 0);
        QCOMPARE(notices.count(), 5);
    }

    void playLoadsAndPlays_data()
    {
        QTest::addColumn<QString>("address");
        QTest::addColumn<QStringList>("calls");
        QTest::addColumn<QString>("error");
        QTest::newRow("current song") << "/vand/play" << QStringList{"Stop", "Play"} << "";
        QTest::newRow("current song by number") << "/vand/song/1/play" << QStringList{"Stop", "Play"} << "";
        QTest::newRow("another song") << "/vand/song/3/play" << QStringList{"LoadSong(3)", "Play"} << "";
        QTest::newRow("missing song") << "/vand/song/99/play" << QStringList{}
                                      << "OSC was unable to load and play the specified song number: "
                                         "Song 99 does not exist.\n\n";
        QTest::newRow("another show") << "/vand/show/x/song/3/play" << QStringList{} << "";
    }
    void playLoadsAndPlays()
    {
        QFETCH(QString, address);
        QFETCH(QStringList, calls);
        QFETCH(QString, error);
        QSignalSpy queued(handler.get(), &VandOscCallbacks::RequestPlayQueudOscEvents);
        vand::test::StreamCapture errors(std::cerr);
        Send(address);
        QCOMPARE(Calls(), calls);
        QCOMPARE(QString::fromStdString(errors.text()), error);
        QCOMPARE(queued.count(), calls.isEmpty() ? 0 : 1);
    }

    // Levels reach the engine as linear gains from 0 to the engine's highest
    // gain (4, about +12 dB), fade times as milliseconds from 0 to 10000:
    // "/vand/volume 60" would otherwise ask for +60 dB. Boosts below the limit
    // are kept (a clamp at unity once turned +6 dB into 0 dB).
    void levelsAndTimesAreClamped_data()
    {
        QTest::addColumn<QString>("message");
        QTest::addColumn<QStringList>("calls");
        QTest::addColumn<QString>("signal");
        QTest::newRow("volume -6 dB") << "/vand/volume -6" << QStringList{"SetVolume(0.501187)"} << "";
        QTest::newRow("volume unity") << "/vand/volume" << QStringList{"SetVolume(1)"} << "";
        QTest::newRow("volume +6 dB") << "/vand/volume 6" << QStringList{"SetVolume(1.99526)"} << "";
        QTest::newRow("volume +12 dB, just below the limit")
            << "/vand/volume 12" << QStringList{"SetVolume(3.98107)"} << "";
        QTest::newRow("volume +13 dB, above the limit") << "/vand/volume 13" << QStringList{"SetVolume(4)"} << "";
        QTest::newRow("volume +60 dB") << "/vand/volume 60" << QStringList{"SetVolume(4)"} << "";
        QTest::newRow("volume +1000 dB (infinite)") << "/vand/volume 1000" << QStringList{"SetVolume(4)"} << "";
        QTest::newRow("volume -1000 dB") << "/vand/volume -1000" << QStringList{"SetVolume(0)"} << "";
        QTest::newRow("volume for another song still applies")
            << "/vand/song/2/volume -6" << QStringList{"SetVolume(0.501187)"} << "";
        QTest::newRow("fade out 2 s") << "/vand/fadeout 2" << QStringList{} << "FadeRequested(2000)";
        QTest::newRow("fade out 30 s") << "/vand/fadeout 30" << QStringList{} << "FadeRequested(10000)";
        QTest::newRow("fade out negative") << "/vand/fadeout -5" << QStringList{} << "FadeRequested(0)";
        QTest::newRow("fade out default") << "/vand/fadeout" << QStringList{} << "FadeRequested(250)";
        QTest::newRow("fade to -6 dB over 2 s")
            << "/vand/fadeto -6 2" << QStringList{} << "FadeToRequested(2000,0.501187,false)";
        QTest::newRow("fade to +6 dB over 2 s")
            << "/vand/fadeto 6 2" << QStringList{} << "FadeToRequested(2000,1.99526,false)";
        QTest::newRow("fade to +60 dB over 30 s")
            << "/vand/fadeto 60 30" << QStringList{} << "FadeToRequested(10000,4,false)";
        QTest::newRow("fade to 0 dB over -3 s") << "/vand/fadeto 0 -3" << QStringList{} << "FadeToRequested(0,1,false)";
    }
    void levelsAndTimesAreClamped()
    {
        QFETCH(QString, message);
        QFETCH(QStringList, calls);
        QFETCH(QString, signal);
        QStringList emitted;
        connect(handler.get(), &VandOscCallbacks::FadeRequested, this,
                [&](float ms) { emitted << QStringLiteral("FadeRequested(%1)").arg(ms); });
        connect(handler.get(), &VandOscCallbacks::FadeToRequested, this, [&](float ms, float level, bool next) {
            emitted << QStringLiteral("FadeToRequested(%1,%2,%3)")
                           .arg(ms)
                           .arg(QString::number(level, 'g', 6))
                           .arg(next ? "true" : "false");
        });
        Send(message);
        QCOMPARE(Calls(), calls);
        QCOMPARE(emitted, signal.isEmpty() ? QStringList{} : QStringList{signal});
    }

    // A level that is not a number never reaches the engine, whichever path
    // brings it (the decoder refuses it first; the handler on its own too).
    void levelThatIsNotANumberIsRefused_data()
    {
        QTest::addColumn<bool>("fade");
        QTest::newRow("volume") << false;
        QTest::newRow("fade to") << true;
    }
    void levelThatIsNotANumberIsRefused()
    {
        QFETCH(bool, fade);
        QSignalSpy fadeTo(handler.get(), &VandOscCallbacks::FadeToRequested);
        const float nan = std::numeric_limits<float>::quiet_NaN();
        if (fade)
            QVERIFY_THROWS_EXCEPTION(std::invalid_argument, handler->FadeTo("", "", 2.0f, nan, false));
        else
            QVERIFY_THROWS_EXCEPTION(std::invalid_argument, handler->SetVolume(nan));
        QCOMPARE(Calls(), QStringList{});
        QCOMPARE(fadeTo.count(), 0);
    }

    void pauseTwiceResumes()
    {
        QSignalSpy queued(handler.get(), &VandOscCallbacks::RequestPlayQueudOscEvents);
        Send("/vand/pause");
        QCOMPARE(Calls(), QStringList{"Pause(false)"});
        QCOMPARE(queued.count(), 0);
        script->paused = true;
        Send("/vand/pause");
        QCOMPARE(Calls(), QStringList{"Continue"});
        QCOMPARE(queued.count(), 1);
    }

    void advanceContinues()
    {
        QSignalSpy queued(handler.get(), &VandOscCallbacks::RequestPlayQueudOscEvents);
        Send("/vand/go");
        Send("/vand/advance 3");
        QCOMPARE(Calls(), (QStringList{"Continue", "Continue"}));
        QCOMPARE(queued.count(), 2);
    }

    // E5 is a marker (a point) at bar 5, A5 a repeat region over bars 5 to 7.
    void eventCuesContinueOrJump_data()
    {
        QTest::addColumn<QString>("id");
        QTest::addColumn<QString>("playhead"); // "start", "end", "inside", "before"
        QTest::addColumn<QString>("target");   // where a jump goes: "start", "end" or "" (no jump)
        QTest::addColumn<int>("queued");
        QTest::newRow("point, playhead on it") << "E5"
                                               << "start"
                                               << "" << 1;
        QTest::newRow("point, playhead elsewhere") << "E5"
                                                   << "before"
                                                   << "start" << 1;
        QTest::newRow("region, playhead inside") << "A5"
                                                 << "inside"
                                                 << "" << 0;
        QTest::newRow("region, playhead on its start") << "A5"
                                                       << "start"
                                                       << "" << 0;
        QTest::newRow("region, playhead on its end") << "A5"
                                                     << "end"
                                                     << "" << 0;
        QTest::newRow("region, playhead before") << "A5"
                                                 << "before"
                                                 << "end" << 1;
    }
    void eventCuesContinueOrJump()
    {
        QFETCH(QString, id);
        QFETCH(QString, playhead);
        QFETCH(QString, target);
        QFETCH(int, queued);
        const UInt32 start = StartOf(*engine, id.toStdString());
        const UInt32 end = EndOf(*engine, id.toStdString());
        if (playhead == "start")
            script->tick = start;
        else if (playhead == "end")
            script->tick = end;
        else if (playhead == "inside")
            script->tick = start + 10;
        else
            script->tick = start - 1;
        QSignalSpy requests(handler.get(), &VandOscCallbacks::RequestPlayQueudOscEvents);
        Send("/vand/event/" + id + "/go");
        const QStringList expected =
            target.isEmpty()
                ? QStringList{"Continue"}
                : QStringList{"Pause(false)", "Seek(" + QString::number(target == "start" ? start : end) + ")",
                              "Continue"};
        QCOMPARE(Calls(), expected);
        QCOMPARE(requests.count(), queued);
    }

    // A jump at or after the song's audio end moves to the next song and
    // plays on only when the song runs on into it.
    void jumpPastTheAudioEndMovesToTheNextSong_data()
    {
        QTest::addColumn<int>("audioEndAfterTarget"); // ticks from the target (E9's start) to the audio end
        QTest::addColumn<int>("attacca");
        QTest::addColumn<QString>("calls"); // "seek" or the calls
        QTest::newRow("before the end") << 1 << 0 << "seek";
        QTest::newRow("at the end, attacca 0") << 0 << 0 << "NextSong";
        QTest::newRow("at the end, attacca 1") << 0 << 1 << "NextSong,Continue";
        QTest::newRow("past the end, attacca 2") << -5 << 2 << "NextSong";
        QTest::newRow("past the end, attacca 1") << -5 << 1 << "NextSong,Continue";
    }
    void jumpPastTheAudioEndMovesToTheNextSong()
    {
        QFETCH(int, audioEndAfterTarget);
        QFETCH(int, attacca);
        QFETCH(QString, calls);
        const UInt32 target = StartOf(*engine, "E9");
        engine->attacca = static_cast<unsigned char>(attacca);
        engine->audioEnd = target + audioEndAfterTarget;
        script->tick = 0;
        QSignalSpy requests(handler.get(), &VandOscCallbacks::RequestPlayQueudOscEvents);
        Send("/vand/event/E9/go");
        const QStringList expected =
            calls == "seek" ? QStringList{"Pause(false)", "Seek(" + QString::number(target) + ")", "Continue"}
                            : calls.split(',');
        QCOMPARE(Calls(), expected);
        QCOMPARE(requests.count(), expected.endsWith("Continue") ? 1 : 0);
    }

    // Only the current song's events answer a cue, whatever song the editor
    // has selected (it follows a song change late) and never a sound effect.
    void onlyTheCurrentSongsEventsAreCued_data()
    {
        QTest::addColumn<QString>("id");
        QTest::addColumn<bool>("cued");
        QTest::newRow("current song's marker") << "E5" << true;
        QTest::newRow("selected song's vamp") << "V3" << false;
        QTest::newRow("sound effect") << "sfx.1" << false;
        QTest::newRow("unknown") << "X1" << false;
    }
    void onlyTheCurrentSongsEventsAreCued()
    {
        QFETCH(QString, id);
        QFETCH(bool, cued);
        CL::Editor* editor = engine->GetChangeLogEditor();
        editor->AddSoundEffect(CL::Sfx(0, "sfx.1", CL::SfxProperties()));
        editor->SelectSongLogForEditing("2");
        script->tick = 0;
        vand::test::StreamCapture errors(std::cerr);
        Send("/vand/event/" + id + "/go");
        QCOMPARE(!Calls().isEmpty(), cued);
        QCOMPARE(errors.text(), std::string());
    }

    void everyDecodedMessageIsNoticed()
    {
        QSignalSpy notices(handler.get(), qOverload<>(&VandOscCallbacks::Notification));
        vand::test::StreamCapture errors(std::cerr);
        Send("/vand/nothing/here");
        Send("/other");
        QCOMPARE(notices.count(), 2);
        QVERIFY(Calls().isEmpty());
    }
};

QTEST_MAIN(TestOscCallbacks)
#include "tst_osccallbacks.moc"
