#include <QCoreApplication>
#include <QSemaphore>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QThreadPool>

#include <cmath>
#include <fstream>
#include <mutex>
#include <set>
#include <vector>

#include "AudioFixtures.h"
#include "PlayerLevels.h"
#include "SfxShow.h"
#include "SinkMonitor.h"
#include "SteppedClock.h"
#include "kit/Log.h"
#include "sfx/PackagedVorbisFile.h"
#include "sfx/SfxManifest.h"
#include "sfx/SfxPlayerImpl.h"
#include "sfx/UserAudioFile.h"

using vand::audio::PackagedVorbisFile;
using vand::audio::SfxFadeClock;
using vand::audio::SfxFileInterface;
using vand::audio::SfxPlayerImpl;
using vand::audio::UserAudioFile;
using vand::audio::sfx::SfxDto;
using vand::test::Levels;
using vand::test::Listen;
using vand::test::NewSinkInput;
using vand::test::OurSinkInputs;
using vand::test::SteppedClock;
using vand_audio::SoundFileFormat;

// Players on the private PulseAudio daemon's null sink (scripts/test starts it).
class TestSfxPlayer : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanup();
    void playsAudibly_data();
    void playsAudibly();
    void doneAndFinishedOncePerRun_data();
    void doneAndFinishedOncePerRun();
    void startPosition_data();
    void startPosition();
    void fadeSteps_data();
    void fadeSteps();
    void startLevel_data();
    void startLevel();
    void fadeToDuringFadeInPlaysOn();
    void stops_data();
    void stops();
    void stopRightAfterPlay_data();
    void stopRightAfterPlay();
    void settersReachTheNextRun();
    void sixteenVoicesThenARefusalThenAllFadeOut();

private:
    std::unique_ptr<SfxPlayerImpl> player(const SfxDto& record, SfxFileInterface* file)
    {
        auto p = std::make_unique<SfxPlayerImpl>(record, playPool_, stopPool_, fadePool_);
        p->SetFile(file);
        return p;
    }
    SfxDto effect(const char* eventId, int repeats = 0) const
    {
        return SfxDto::builder().name(eventId).eventId(eventId).repeats(repeats).build();
    }
    QTemporaryDir dir_;
    std::unique_ptr<PackagedVorbisFile> bell_;
    std::unique_ptr<PackagedVorbisFile> rain_;
    std::unique_ptr<PackagedVorbisFile> stereoSine_;
    std::unique_ptr<UserAudioFile> userWav_;
    std::shared_ptr<QThreadPool> playPool_ = std::make_shared<QThreadPool>();
    std::shared_ptr<QThreadPool> fadePool_ = std::make_shared<QThreadPool>();
    std::shared_ptr<QThreadPool> stopPool_ = std::make_shared<QThreadPool>();
};

void TestSfxPlayer::initTestCase()
{
    VAND_REQUIRE_SOUND_SERVER();
    for (QThreadPool* pool : {playPool_.get(), fadePool_.get()}) {
        pool->setMaxThreadCount(16);
        pool->setThreadPriority(QThread::TimeCriticalPriority);
    }
    vand::test::InstallDemoCatalogue(dir_);
    vand::sfx::SfxManifest manifest;
    auto load = [](const std::string& path) {
        auto file = std::make_unique<PackagedVorbisFile>(path);
        QSignalSpy ready(file.get(), &PackagedVorbisFile::isReady);
        if (!ready.wait(10000))
            qFatal("%s did not load", path.c_str());
        return file;
    };
    bell_ = load(manifest.path("bell").value());
    rain_ = load(manifest.path("rain").value());
    const QString sine = dir_.filePath("sine.sfx");
    std::ofstream(sine.toStdString(), std::ios::binary)
        << vand_audio::fixtures::Sine(SoundFileFormat::OggVorbis, 44100, 2, 1.0, 440.0, 0.5);
    stereoSine_ = load(sine.toStdString());
    const QString wav = dir_.filePath("user.wav");
    std::ofstream(wav.toStdString(), std::ios::binary)
        << vand_audio::fixtures::Sine(SoundFileFormat::Wav16, 48000, 2, 1.0, 330.0, 0.5);
    userWav_ = std::make_unique<UserAudioFile>(wav.toStdString());
    QSignalSpy ready(userWav_.get(), &UserAudioFile::isReady);
    QVERIFY(ready.wait(10000));
}

void TestSfxPlayer::cleanup()
{
    // No run of a test outlives it.
    QTRY_VERIFY_WITH_TIMEOUT(playPool_->activeThreadCount() == 0, 10000);
}

void TestSfxPlayer::playsAudibly_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<float>("pan");
    QTest::addColumn<bool>("secondChannelHeard");
    QTest::newRow("catalogue bell") << "bell" << 0.5f << true;
    QTest::newRow("user WAV") << "wav" << 0.5f << true;
    QTest::newRow("panned to the first channel") << "sine" << 0.0f << false;
}

// The sound reaches the output: its own stream on the null sink's monitor is
// loud, on the channels its pan gives it.
void TestSfxPlayer::playsAudibly()
{
    QFETCH(QString, file);
    QFETCH(float, pan);
    QFETCH(bool, secondChannelHeard);
    SfxFileInterface* reader = file == "bell"  ? static_cast<SfxFileInterface*>(bell_.get())
                               : file == "wav" ? static_cast<SfxFileInterface*>(userWav_.get())
                                               : static_cast<SfxFileInterface*>(stereoSine_.get());
    SfxDto record = effect("sfx.audible", -1);
    record.setPan(pan);
    auto p = player(record, reader);
    QSignalSpy finished(p.get(), &SfxPlayerImpl::sfxFinished);
    const std::set<int> before = OurSinkInputs();
    p->Play(0.0);
    const int input = NewSinkInput(before);
    QVERIFY(input >= 0);
    const vand::test::Loudness heard = Listen(input, 44100 / 2);
    QVERIFY2(heard.first > 0.05, qPrintable(QString::number(heard.first)));
    if (secondChannelHeard)
        QVERIFY2(heard.second > 0.05, qPrintable(QString::number(heard.second)));
    else
        QVERIFY2(heard.second < 0.002, qPrintable(QString::number(heard.second)));
    p->Stop(true);
    QTRY_VERIFY_WITH_TIMEOUT(finished.count() == 1, 10000);
    QVERIFY(p->Done());
}

void TestSfxPlayer::doneAndFinishedOncePerRun_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<double>("seconds");
    QTest::newRow("catalogue knock") << "knock" << 0.6;
    // Shorter than the output's buffer: it must still end.
    QTest::newRow("a 40 ms click") << "click" << 0.04;
    QTest::newRow("two passes of 40 ms") << "click twice" << 0.04;
}

// Done is false from Play until the run has ended; a run that ends by itself
// is announced once.
void TestSfxPlayer::doneAndFinishedOncePerRun()
{
    QFETCH(QString, file);
    QFETCH(double, seconds);
    std::string path;
    if (file == "knock") {
        path = vand::sfx::SfxManifest().path("knock").value();
    } else {
        path = dir_.filePath("click.sfx").toStdString();
        std::ofstream(path, std::ios::binary)
            << vand_audio::fixtures::Sine(SoundFileFormat::OggVorbis, 44100, 2, seconds, 1000.0, 0.5);
    }
    PackagedVorbisFile reader(path);
    QSignalSpy ready(&reader, &PackagedVorbisFile::isReady);
    QVERIFY(ready.wait(10000));
    auto p = player(effect("sfx.once", file == "click twice" ? 1 : 0), &reader);
    QSignalSpy finished(p.get(), &SfxPlayerImpl::sfxFinished);
    std::mutex logLock;
    QStringList logged;
    kit::SetLogSink([&](kit::LogLevel, std::string_view, std::string_view text) {
        std::lock_guard lock(logLock);
        logged << QString::fromUtf8(text.data(), qsizetype(text.size()));
    });
    QVERIFY(p->Done());
    p->Play(0.0);
    QVERIFY(!p->Done());
    QTRY_VERIFY_WITH_TIMEOUT(finished.count() == 1, 10000);
    QVERIFY(p->Done());
    p.reset(); // waits for all of the player's pool work
    kit::SetLogSink({});
    QCOMPARE(finished.count(), 1);
    QCOMPARE(finished.at(0).at(0).toString(), QString("sfx.once"));
    // The output itself reported the end; the run's own deadline was not needed.
    QCOMPARE(logged, QStringList());
}

void TestSfxPlayer::startPosition_data()
{
    QTest::addColumn<double>("position");
    QTest::addColumn<double>("lowest");
    QTest::addColumn<double>("highest");
    QTest::newRow("half way") << 0.5 << 0.5 << 0.6;
    QTest::newRow("0.995 plays from the start") << 0.995 << 0.0 << 0.1;
    QTest::newRow("0") << 0.0 << 0.0 << 0.1;
}

void TestSfxPlayer::startPosition()
{
    QFETCH(double, position);
    QFETCH(double, lowest);
    QFETCH(double, highest);
    auto p = player(effect("sfx.position"), bell_.get());
    QSignalSpy progress(p.get(), &SfxPlayerImpl::progress);
    QSignalSpy finished(p.get(), &SfxPlayerImpl::sfxFinished);
    p->Play(position);
    QTRY_VERIFY_WITH_TIMEOUT(progress.count() > 0, 10000);
    const double first = progress.at(0).at(0).toDouble();
    QVERIFY2(first > lowest && first < highest, qPrintable(QString::number(first)));
    p->Stop(true);
    QTRY_VERIFY_WITH_TIMEOUT(finished.count() == 1, 10000);
}

void TestSfxPlayer::fadeSteps_data()
{
    QTest::addColumn<float>("target");
    QTest::addColumn<unsigned>("ms");
    QTest::addColumn<int>("steps");
    QTest::addColumn<float>("end");
    QTest::newRow("0.5 in 300 ms") << 0.5f << 300u << 10 << 0.5f;
    QTest::newRow("under 30 ms changes nothing") << 0.5f << 29u << 0 << 1.0f;
    QTest::newRow("towards 0 stops at the floor") << 0.0f << 300u << 10 << 1e-4f;
    QTest::newRow("up from 0.2") << 0.9f << 95u << 3 << 0.9f;
}

// A fade moves the level in equal ratios, one step per 30 ms, and leaves it
// there; the run plays on.
void TestSfxPlayer::fadeSteps()
{
    QFETCH(float, target);
    QFETCH(unsigned, ms);
    QFETCH(int, steps);
    QFETCH(float, end);
    SfxDto record = effect("sfx.fade", -1);
    const float start = end > 0.8f && target > 0.8f ? 0.2f : 1.0f;
    record.setVolume(start);
    auto p = player(record, rain_.get());
    auto clock = std::make_shared<SteppedClock>(false);
    p->SetFadeClock(clock);
    Levels levels(*p);
    QSignalSpy finished(p.get(), &SfxPlayerImpl::sfxFinished);
    p->Play(0.0);
    QTRY_COMPARE(levels.count(), 1);
    QCOMPARE(levels.last(), start);
    // A fade of 29 ms first: it must not leave a trace.
    p->FadeTo(target, 29);
    p->FadeTo(target, ms);
    // The steps come from the player's own thread, which a busy machine may
    // start late.
    QTRY_COMPARE_WITH_TIMEOUT(levels.count(), 1 + steps, 20000);
    const std::vector<float> all = levels.all();
    QCOMPARE(all.back(), end);
    for (int i = 2; i < int(all.size()); ++i)
        QVERIFY(std::fabs(all[i] / all[i - 1] - all[1] / all[0]) < 1e-4);
    QVERIFY(!p->Done());
    QCOMPARE(finished.count(), 0);
    p->Stop(true);
    QTRY_VERIFY_WITH_TIMEOUT(finished.count() == 1, 10000);
    QCOMPARE(levels.last(), 0.0f);
}

void TestSfxPlayer::startLevel_data()
{
    QTest::addColumn<int>("fadeIn");
    QTest::addColumn<int>("repeats");
    QTest::addColumn<float>("first");
    QTest::addColumn<int>("fadeSteps");
    QTest::newRow("one-shot with fade-in starts silent") << 600 << 0 << 0.0f << 20;
    QTest::newRow("endless with fade-in starts silent") << 600 << -1 << 0.0f << 20;
    QTest::newRow("no fade-in starts at its volume") << 0 << 0 << 0.7f << 0;
    QTest::newRow("fade-in longer than the sound") << 5000 << 0 << 0.7f << 166;
}

// Where a run's level starts, and that the fade-in ends at the volume.
void TestSfxPlayer::startLevel()
{
    QFETCH(int, fadeIn);
    QFETCH(int, repeats);
    QFETCH(float, first);
    QFETCH(int, fadeSteps);
    SfxDto record = effect("sfx.fadein", repeats);
    record.setVolume(0.7f);
    record.setFadeIn(std::uint16_t(fadeIn));
    auto p = player(record, bell_.get());
    p->SetFadeClock(std::make_shared<SteppedClock>(false));
    Levels levels(*p);
    QSignalSpy finished(p.get(), &SfxPlayerImpl::sfxFinished);
    p->Play(0.0);
    QTRY_VERIFY(levels.count() >= 1);
    QCOMPARE(levels.all().front(), first);
    QTRY_COMPARE(levels.count(), 1 + fadeSteps);
    QVERIFY(std::fabs(levels.last() - 0.7f) < 1e-5);
    p->Stop(true);
    QTRY_VERIFY_WITH_TIMEOUT(finished.count() == 1, 10000);
}

// A new level during a fade-in replaces the fade; the sound plays on.
void TestSfxPlayer::fadeToDuringFadeInPlaysOn()
{
    SfxDto record = effect("sfx.fadein", -1);
    record.setFadeIn(3000);
    auto p = player(record, rain_.get());
    auto clock = std::make_shared<SteppedClock>(true);
    p->SetFadeClock(clock);
    Levels levels(*p);
    QSignalSpy finished(p.get(), &SfxPlayerImpl::sfxFinished);
    const std::set<int> before = OurSinkInputs();
    p->Play(0.0);
    clock->release(3);
    QTRY_COMPARE(levels.count(), 1 + 4);
    QCOMPARE(levels.all().front(), 0.0f);
    p->FadeTo(0.8f, 90);
    clock->release(1000);
    QTRY_COMPARE(levels.last(), 0.8f);
    QTRY_COMPARE(clock->waits.load(), 4 + 3); // the cancelled fade-in stopped at its next step
    QVERIFY(!p->Done());
    QCOMPARE(finished.count(), 0);
    const int input = NewSinkInput(before);
    const vand::test::Loudness heard = Listen(input, 44100);
    QVERIFY2(heard.first > 0.01, qPrintable(QString::number(heard.first)));
    p->Stop(true);
    QTRY_VERIFY_WITH_TIMEOUT(finished.count() == 1, 10000);
}

void TestSfxPlayer::stops_data()
{
    QTest::addColumn<QString>("how");
    QTest::addColumn<int>("steps");
    QTest::addColumn<float>("last");
    QTest::newRow("Stop() fades out") << "stop" << 10 << 1e-4f;
    QTest::newRow("Stop(true) cuts") << "urgent" << 0 << 0.0f;
    QTest::newRow("Stop(true) during the fade-out") << "urgent after stop" << -1 << 0.0f;
    QTest::newRow("Restart ends the run at once") << "restart" << 0 << 1.0f;
    QTest::newRow("a fade does not undo a stop") << "fade after stop" << 10 << 1e-4f;
}

// Each way of stopping ends the run and announces it once.
void TestSfxPlayer::stops()
{
    QFETCH(QString, how);
    QFETCH(int, steps);
    QFETCH(float, last);
    SfxDto record = effect("sfx.stop", -1);
    record.setFadeOut(300);
    auto p = player(record, rain_.get());
    auto clock = std::make_shared<SteppedClock>(how == "urgent after stop" || how == "fade after stop");
    p->SetFadeClock(clock);
    Levels levels(*p);
    QSignalSpy finished(p.get(), &SfxPlayerImpl::sfxFinished);
    p->Play(0.0);
    QTRY_COMPARE(levels.count(), 1);
    if (how == "stop") {
        p->Stop();
    } else if (how == "urgent") {
        p->Stop(true);
    } else if (how == "restart") {
        p->Restart();
    } else {
        p->Stop();
        clock->release(2); // two steps pass, the third sets its level and waits
        QTRY_COMPARE(levels.count(), 1 + 3);
        if (how == "fade after stop") {
            p->FadeTo(0.9f, 300);
        } else {
            // Ends the run while its fade-out waits for its next step.
            p->Stop(true);
            QTRY_VERIFY_WITH_TIMEOUT(finished.count() == 1, 10000);
        }
        clock->release(1000);
    }
    QTRY_VERIFY_WITH_TIMEOUT(finished.count() == 1, 10000);
    QVERIFY(p->Done());
    if (steps >= 0)
        QCOMPARE(levels.count(), 1 + steps + (last == 0.0f ? 1 : 0));
    QCOMPARE(levels.last(), last);
    p.reset();
    QCOMPARE(finished.count(), 1);
}

void TestSfxPlayer::stopRightAfterPlay_data()
{
    QTest::addColumn<QString>("how");
    QTest::newRow("Stop()") << "stop";
    QTest::newRow("Stop(true)") << "urgent";
    QTest::newRow("Restart") << "restart";
    QTest::newRow("destroyed") << "destroy";
}

// A stop given right after Play ends the endless run, even before it has set
// itself up; otherwise the request would find no run listening and the sound
// would play on for ever.
void TestSfxPlayer::stopRightAfterPlay()
{
    QFETCH(QString, how);
    auto p = player(effect("sfx.quick", -1), rain_.get());
    QSignalSpy finished(p.get(), &SfxPlayerImpl::sfxFinished);
    p->Play(0.0);
    if (how == "stop")
        p->Stop();
    else if (how == "urgent")
        p->Stop(true);
    else if (how == "restart")
        p->Restart();
    else
        p.reset(); // waits for the run to end
    if (p) {
        QTRY_VERIFY_WITH_TIMEOUT(finished.count() == 1, 10000);
        QVERIFY(p->Done());
    }
}

// Volume, pan and reverb set during a run wait for the next run.
void TestSfxPlayer::settersReachTheNextRun()
{
    auto p = player(effect("sfx.setters", -1), rain_.get());
    Levels levels(*p);
    QSignalSpy finished(p.get(), &SfxPlayerImpl::sfxFinished);
    p->SetOutputDevice(L"any device");
    p->Play(0.0);
    QTRY_COMPARE(levels.count(), 1);
    p->SetVolume(0.25f);
    QCOMPARE(p->Volume(), 0.25f);
    p->SetReverb(0.4f);
    p->SetPan(0.1f);
    QCOMPARE(p->SfxData().reverb(), 0.4f);
    QCOMPARE(levels.all(), std::vector<float>{1.0f});
    p->Stop(true);
    QTRY_VERIFY_WITH_TIMEOUT(finished.count() == 1, 10000);
    p->Play(0.0);
    QTRY_COMPARE(levels.count(), 3);
    QCOMPARE(levels.last(), 0.25f);
    p->Stop(true);
    QTRY_COMPARE(finished.count(), 2);
}

// Sixteen endless sounds take every voice: a seventeenth is refused at once,
// and the sixteen still fade out and end (fades and stops have pools of
// their own).
void TestSfxPlayer::sixteenVoicesThenARefusalThenAllFadeOut()
{
    std::vector<std::unique_ptr<SfxPlayerImpl>> players;
    std::vector<std::unique_ptr<QSignalSpy>> finished;
    std::vector<std::unique_ptr<Levels>> levels;
    for (int i = 0; i < 16; ++i) {
        SfxDto record = effect(qPrintable(QString("sfx.voice%1").arg(i)), -1);
        record.setFadeOut(300);
        record.setVolume(0.05f);
        players.push_back(player(record, rain_.get()));
        finished.push_back(std::make_unique<QSignalSpy>(players.back().get(), &SfxPlayerImpl::sfxFinished));
        levels.push_back(std::make_unique<Levels>(*players.back()));
        players.back()->Play(0.0);
    }
    for (const auto& l : levels)
        QTRY_VERIFY_WITH_TIMEOUT(l->count() >= 1, 10000);
    auto extra = player(effect("sfx.extra", -1), rain_.get());
    QSignalSpy refused(extra.get(), &SfxPlayerImpl::playRefused);
    QSignalSpy extraFinished(extra.get(), &SfxPlayerImpl::sfxFinished);
    extra->Play(0.0);
    QCOMPARE(refused.count(), 1);
    QCOMPARE(refused.at(0).at(0).toString(), QString("sfx.extra"));
    QVERIFY(extra->Done());

    for (const auto& p : players)
        p->Stop();
    for (int i = 0; i < 16; ++i) {
        QTRY_COMPARE_WITH_TIMEOUT(finished[i]->count(), 1, 10000);
        QCOMPARE(levels[i]->last(), 1e-4f);
        QVERIFY(players[i]->Done());
    }
    extra.reset();
    QCOMPARE(extraFinished.count(), 0);
}

QTEST_GUILESS_MAIN(TestSfxPlayer)
#include "tst_sfx_player.moc"
