#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <atomic>
#include <iostream>
#include <memory>
#include <mutex>
#include <stdexcept>

#include "SfxShow.h"
#include "SteppedClock.h"
#include "StreamCapture.h"
#include "sfx/SfxManager.h"
#include "sfx/SfxManifest.h"
#include "sfx/SfxPlayerController.h"
#include "sfx/SfxWorker.h"

using vand::audio::AudioDevice;
using vand::audio::AudioPath;
using vand::audio::SfxManager;
using vand::audio::SfxPlayerInterface;
using vand::audio::SfxType;
using vand::audio::SfxWorkerVolume;
using vand::audio::sfx::SfxDto;
using vand::test::SteppedClock;

namespace {

SfxDto Effect(const std::string& effectId, SfxType type = SfxType::PRIMARY)
{
    return SfxDto::builder().name(effectId).effectId(effectId).type(type).build();
}

// What the recording players were asked, from any thread.
class Calls
{
public:
    void add(const QString& call)
    {
        std::lock_guard lock(lock_);
        list_ << call;
    }
    QStringList list() const
    {
        std::lock_guard lock(lock_);
        return list_;
    }
    void clear()
    {
        std::lock_guard lock(lock_);
        list_.clear();
    }

private:
    mutable std::mutex lock_;
    QStringList list_;
};

// A player that writes down what it is asked, as "<name>: <call>".
class Recorder : public SfxPlayerInterface
{
public:
    Recorder(Calls& calls, const QString& name, SfxDto record)
        : calls_(calls)
        , name_(name)
        , record_(std::move(record))
    {
    }
    void Play(double position) override
    {
        playing_ = true;
        log(QString("Play %1").arg(position));
    }
    void Stop(bool isUrgent) override { log(isUrgent ? "Stop urgently" : "Stop(false)"); }
    void Stop() override
    {
        playing_ = false;
        log("Stop");
    }
    void SetOutputDevice(const wchar_t* deviceId) override
    {
        log("SetOutputDevice " + QString::fromWCharArray(deviceId));
    }
    void SetVolume(float volume) override { log(QString("SetVolume %1").arg(volume)); }
    float Volume() override { return record_.volume(); }
    void SetReverb(float) override { log("SetReverb"); }
    void SetPan(float) override { log("SetPan"); }
    void SetSfxPath(const std::string&) override { log("SetSfxPath"); }
    void ReplaceSfxData(const SfxDto&) override { log("ReplaceSfxData"); }
    float GetDuration() override { return 1.0f; }
    void FadeTo(float volume, unsigned int milliseconds) override
    {
        log(QString("FadeTo %1 %2").arg(volume).arg(milliseconds));
    }
    bool Done() override { return !playing_; }
    void WaitUntilDone() override { log("WaitUntilDone"); }
    bool PlaysSameSfx(const SfxDto& other) override { return record_ == other; }
    const SfxDto& SfxData() const override { return record_; }

private:
    void log(const QString& call) { calls_.add(name_ + ": " + call); }

    Calls& calls_;
    QString name_;
    SfxDto record_;
    bool playing_ = false;
};

const wchar_t kStageDevice[] = L"stage-device";

// The calls with each whole fade-in of a player written as one line,
// "<name>: fade-in <n> steps": silence, Play, then n steps, each setting the
// volume and the running level to i / n of 1. A fade that is not so stays as
// it was called, to be seen in the comparison.
QStringList Summary(const QStringList& calls)
{
    QStringList out;
    for (qsizetype i = 0; i < calls.size(); ++i) {
        const QString name = calls[i].section(": ", 0, 0);
        const QString who = name + ": ";
        if (calls[i] != who + "SetVolume 0" || i + 1 >= calls.size() || calls[i + 1] != who + "Play 0") {
            out << calls[i];
            continue;
        }
        qsizetype j = i + 2;
        QStringList levels;
        while (j + 1 < calls.size() && calls[j].startsWith(who + "SetVolume ")
               && calls[j + 1] == QString(calls[j]).replace(who + "SetVolume ", who + "FadeTo ") + " 30") {
            levels << calls[j].section(' ', 2, 2);
            j += 2;
        }
        bool linear = !levels.isEmpty();
        for (qsizetype k = 0; k < levels.size() && linear; ++k)
            linear = levels[k] == QString("%1").arg(float(k + 1) / float(levels.size()));
        if (!linear) {
            out << calls[i];
            continue;
        }
        out << QString("%1fade-in %2 steps").arg(who).arg(levels.size());
        i = j - 1;
    }
    return out;
}

} // namespace

// The legacy manager over recording players, and over the demo catalogue with
// real players of the controller on this thread.
class TestSfxLegacy : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void playFadesInFromSilence_data();
    void playFadesInFromSilence();
    void cancelledFadeTakesNoFurtherStep();
    void fadeOutStopsAtItsEnd();
    void stopsOnlyWhatPlays();
    void ambientSwitching();
    void stopsByType();
    void addPlayerFindsTheSameSound();
    void catalogueLists();
    void withoutManifest();
    void outputPaths();

private:
    std::unique_ptr<SfxManager> manager(int players)
    {
        calls_.clear();
        clock_ = std::make_shared<SteppedClock>();
        vand::test::StreamCapture out(std::cout);
        auto m = std::make_unique<SfxManager>();
        m->SetFadeClock(clock_);
        for (int i = 0; i < players; ++i) {
            const QString name(QChar('a' + i));
            m->AddPlayer(std::make_unique<Recorder>(
                calls_, name, Effect(name.toStdString(), i % 2 ? SfxType::AMBIENT : SfxType::PRIMARY)));
        }
        return m;
    }

    QStringList calls() const { return calls_.list(); }

    QTemporaryDir dir_;
    Calls calls_;
    std::shared_ptr<SteppedClock> clock_;
};

void TestSfxLegacy::initTestCase()
{
    vand::test::InstallDemoCatalogue(dir_);
}

void TestSfxLegacy::playFadesInFromSilence_data()
{
    QTest::addColumn<int>("id");
    QTest::addColumn<int>("fade");
    QTest::addColumn<QStringList>("calls");
    QTest::addColumn<int>("waits");
    QTest::newRow("1000 ms fade-in") << 0 << 1000 << QStringList{"a: fade-in 50 steps"} << 49;
    QTest::newRow("500 ms fade-in") << 0 << 500 << QStringList{"a: fade-in 25 steps"} << 24;
    QTest::newRow("30 ms fade-in, taken up to 40") << 0 << 30 << QStringList{"a: fade-in 2 steps"} << 1;
    QTest::newRow("10 ms fade-in, one step") << 0 << 10 << QStringList{"a: fade-in 1 steps"} << 0;
    QTest::newRow("no fade") << 0 << 0 << QStringList{"a: Play 0"} << 0;
    QTest::newRow("negative fade plays at once") << 0 << -20 << QStringList{"a: Play 0"} << 0;
    QTest::newRow("id -1") << -1 << 1000 << QStringList{} << 0;
}

// A fade-in starts the player silent and raises its volume, and the level of
// the sound already playing, to 1 in even steps of 20 ms on a thread of its
// own. A fade that left the start at the player's own volume would be heard
// at full level from the first moment.
void TestSfxLegacy::playFadesInFromSilence()
{
    QFETCH(int, id);
    QFETCH(int, fade);
    QFETCH(QStringList, calls);
    QFETCH(int, waits);
    auto m = manager(1);
    m->Play(id, fade);
    m->WaitForAllToComplete(); // the fade first, then the sound
    QCOMPARE(Summary(this->calls()), calls + QStringList{"a: WaitUntilDone"});
    QCOMPARE(clock_->waits.load(), waits);
    if (waits > 0)
        QCOMPARE(clock_->lastStep.load(), SfxWorkerVolume::kStepMilliseconds);
}

// A cancelled fade ends at its next step; it holds the player's lock through
// the wait of a step, so a caller that takes the lock waits one step at most.
void TestSfxLegacy::cancelledFadeTakesNoFurtherStep()
{
    calls_.clear();
    auto clock = std::make_shared<SteppedClock>(true);
    std::recursive_timed_mutex lock;
    std::unique_ptr<SfxPlayerInterface> player = std::make_unique<Recorder>(calls_, "a", Effect("a"));
    SfxWorkerVolume fade(SfxWorkerVolume::kFadeIn, 1000, 0.0f, 1.0f, &player, 1.0f, &lock, clock);
    fade.start();
    QTRY_COMPARE(clock->waits.load(), 1);
    QVERIFY(!lock.try_lock_for(std::chrono::milliseconds(0)));
    fade.cancel();
    clock->release(1);
    fade.join();
    QCOMPARE(calls(), (QStringList{"a: SetVolume 0", "a: Play 0", "a: SetVolume 0.02", "a: FadeTo 0.02 30"}));
    QVERIFY(lock.try_lock());
    lock.unlock();
}

// The other direction fades a playing player and then stops it, leaving the
// volume given for after the fade-out.
void TestSfxLegacy::fadeOutStopsAtItsEnd()
{
    calls_.clear();
    auto clock = std::make_shared<SteppedClock>();
    std::recursive_timed_mutex lock;
    std::unique_ptr<SfxPlayerInterface> player = std::make_unique<Recorder>(calls_, "a", Effect("a"));
    SfxWorkerVolume fade(-1, 60, 1.0f, 0.0f, &player, 0.75f, &lock, clock);
    fade.start();
    fade.join();
    QCOMPARE(calls(), (QStringList{"a: SetVolume 0.666667", "a: FadeTo 0.666667 30", "a: SetVolume 0.333333",
                                   "a: FadeTo 0.333333 30", "a: SetVolume 0", "a: FadeTo 0 30", "a: SetVolume 0.75",
                                   "a: Stop"}));
    QCOMPARE(clock->waits.load(), 2);
}

void TestSfxLegacy::stopsOnlyWhatPlays()
{
    auto m = manager(1);
    m->Stop(0, 1000);
    QCOMPARE(calls(), QStringList());
    m->Play(0, 0);
    m->Stop(0, 1000);
    QCOMPARE(calls(), (QStringList{"a: Play 0", "a: SetVolume 1", "a: Stop"}));
    QVERIFY_THROWS_EXCEPTION(std::out_of_range, m->Stop(7, 0));
    // After a fade-in the stop leaves the volume at 1 as well.
    calls_.clear();
    m->Play(0, 100);
    m->WaitForAllToComplete();
    m->Stop(0, 0);
    QCOMPARE(Summary(calls()), (QStringList{"a: fade-in 5 steps", "a: WaitUntilDone", "a: SetVolume 1", "a: Stop"}));
}

void TestSfxLegacy::ambientSwitching()
{
    auto m = manager(2);
    m->SetAmbient(0);
    m->SetAmbient(0);
    m->WaitForAllToComplete();
    QCOMPARE(Summary(calls()), (QStringList{"a: fade-in 50 steps", "a: WaitUntilDone", "b: WaitUntilDone"}));
    calls_.clear();
    m->SetAmbient(1);
    m->WaitForAllToComplete();
    // b's fade runs beside the wait for a.
    const QStringList all = calls();
    QCOMPARE(all.filter(QRegularExpression("^a: ")), (QStringList{"a: SetVolume 1", "a: Stop", "a: WaitUntilDone"}));
    QCOMPARE(Summary(all.filter(QRegularExpression("^b: "))), (QStringList{"b: fade-in 50 steps", "b: WaitUntilDone"}));
    QVERIFY(all.indexOf("a: Stop") < all.indexOf("b: Play 0"));
    calls_.clear();
    m->StopAmbient();
    QCOMPARE(calls(), (QStringList{"b: SetVolume 1", "b: Stop"}));
}

void TestSfxLegacy::stopsByType()
{
    auto m = manager(4); // a, c primary; b, d ambient
    m->ForEachPlayer([&m](int id) { m->Play(id, 0); });
    calls_.clear();
    m->StopAmbientEffects();
    QCOMPARE(calls(), (QStringList{"b: SetVolume 1", "b: Stop", "d: SetVolume 1", "d: Stop"}));
    calls_.clear();
    m->StopAllEffects();
    QCOMPARE(calls(), (QStringList{"a: SetVolume 1", "a: Stop", "c: SetVolume 1", "c: Stop"}));
}

// Players come from GetSfxPlayer, through the controller on this thread.
void TestSfxLegacy::addPlayerFindsTheSameSound()
{
    vand::audio::SfxPlayerController controller;
    auto m = manager(0);
    const vand::sfx::SfxManifest catalogue;
    SfxDto bell = Effect("bell");
    bell.setEffectPath(catalogue.path("bell").value());
    QCOMPARE(m->AddPlayer(bell), 0);
    QCOMPARE(m->AddPlayer(bell), 0);
    QCOMPARE(m->GetSfxDto(0).effectId(), std::string("bell"));
    QCOMPARE(m->AddPlayer(Effect("thunder")), -1);
    QCOMPARE(m->AddPlayer(Effect("bell", SfxType::AMBIENT)), -1); // not in the ambient list
    SfxDto rain = Effect("rain", SfxType::AMBIENT);
    rain.setEffectPath(catalogue.path("rain").value());
    QCOMPARE(m->AddPlayer(rain), 1);
    QVERIFY_THROWS_EXCEPTION(std::out_of_range, m->GetSfxDto(2));
}

void TestSfxLegacy::catalogueLists()
{
    auto m = manager(0);
    const QString folder = dir_.filePath("share") + "/vand_data/sfx/";
    const auto& primary = m->GetSfxList();
    QCOMPARE(primary.Count(), std::size_t(3));
    QCOMPARE(QString(primary.Get(0)), QString("bell"));
    QCOMPARE(QString(primary.GetPath(2)), folder + "chime.sfx");
    const auto& ambient = m->GetAmbientList();
    QCOMPARE(ambient.Count(), std::size_t(1));
    QCOMPARE(QString(ambient.GetPath(0)), folder + "ambient/rain.sfx");
}

// No manifest: said once per list; the primary list is not read again, the
// empty ambient list is.
void TestSfxLegacy::withoutManifest()
{
    const QByteArray dirs = qgetenv("XDG_DATA_DIRS");
    qputenv("XDG_DATA_DIRS", dir_.filePath("nothing").toUtf8());
    vand::test::StreamCapture out(std::cout);
    SfxManager m;
    const std::string line = "No SFX Manifest Found. Returning with no SFX in Manager.\n";
    QCOMPARE(out.text(), line + line);
    QCOMPARE(m.GetSfxList().Count(), std::size_t(0));
    QCOMPARE(out.text(), line + line);
    QCOMPARE(m.GetAmbientList().Count(), std::size_t(0));
    QCOMPARE(out.text(), line + line + line);
    qputenv("XDG_DATA_DIRS", dirs);
}

void TestSfxLegacy::outputPaths()
{
    auto m = manager(1);
    const AudioDevice stage(kStageDevice, "Stage", "stage-device");
    QCOMPARE(m->AddPath(AudioPath("Stage left", stage)), 1000);
    QCOMPARE(m->AddPath(AudioPath("Stage right", stage)), 1001);
    QCOMPARE(m->GetPathIdType(vand::core::DataVector(std::string_view("Stage right"))), 1001);
    QCOMPARE(m->GetPathIdType(vand::core::DataVector(std::string_view("Foyer"))), 0);
    m->SetPlayerOutputPath(0, 1234);
    QCOMPARE(calls(), QStringList());
    m->SetPlayerOutputPath(0, 1000);
    QCOMPARE(calls(), QStringList{"a: SetOutputDevice stage-device"});
}

QTEST_GUILESS_MAIN(TestSfxLegacy)
#include "tst_sfx_legacy.moc"
