#include <QAbstractItemModelTester>
#include <QFile>
#include <QPointer>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <cmath>
#include <functional>
#include <limits>
#include <map>
#include <mutex>
#include <set>

#include "AudioFixtures.h"
#include "PlayerLevels.h"
#include "SfxShow.h"
#include "SinkMonitor.h"
#include "kit/Log.h"
#include "sfx/ActiveAudioListModel.h"
#include "sfx/CustomAudioParameters.h"
#include "sfx/SfxManifest.h"
#include "sfx/SfxPlayerControllerImpl.h"
#include "sfx/SfxPlayerImpl.h"
#include "sfx/SfxRepository.h"

using vand::audio::ChangeLogSfxRepository;
using vand::audio::CustomAudioParameters;
using vand::audio::SfxPlayerControllerImpl;
using vand::audio::SfxPlayerImpl;
using vand::audio::SfxRepository;
using vand::audio::SfxType;
using vand::audio::sfx::SfxDto;
using vand::sfx::ActiveAudioListModel;
using vand::sfx::CustomAudioException;
using vand_audio::SoundFileFormat;

namespace {

// Every log line, for the debug lines and failures the controller writes.
class LogLines
{
public:
    LogLines()
    {
        kit::SetLogThreshold(kit::LogLevel::Debug);
        kit::SetLogSink([this](kit::LogLevel, std::string_view, std::string_view text) {
            std::lock_guard lock(lock_);
            lines_ << QString::fromUtf8(text.data(), qsizetype(text.size()));
        });
    }
    ~LogLines()
    {
        kit::SetLogSink({});
        kit::SetLogThreshold(kit::LogLevel::Info);
    }
    int count(const QString& start) const
    {
        std::lock_guard lock(lock_);
        int n = 0;
        for (const QString& line : lines_)
            n += line.startsWith(start) ? 1 : 0;
        return n;
    }
    void clear()
    {
        std::lock_guard lock(lock_);
        lines_.clear();
    }

private:
    mutable std::mutex lock_;
    QStringList lines_;
};

} // namespace

// The process's player controller on this (the test's) thread, over a real
// change-log editor whose log is the active one and the demo catalogue,
// found through XDG_DATA_DIRS. Sounds play on the private sound server's null
// sink; the list model is checked by QAbstractItemModelTester throughout.
class TestSfxController : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanup();
    void cleanupTestCase();

    // First: the catalogue's readers for bell and knock are made here.
    void reloadMakesAPlayerPerEventAndAReaderPerEffect();
    void reloadAgainReplacesTheRecords();
    void reloadFollowsAnEffectChange();
    void reloadSkipsAndReportsUnlistedEffects();
    void eventDeletedWhilePlaying();
    void playByTextOnAnEmptyControllerLoads();
    void firstPlayOfAFreshEffectIsHeard();
    void playById_data();
    void playById();
    void pinnedRowOutlivesItsSound();
    void playWithoutAFreeVoiceIsAWarning();
    void playByText_data();
    void playByText();
    void stopByText();
    void stopAll_data();
    void stopAll();
    void fadeToReachesTheLevel();
    void setPositionMovesTheRun();
    void restartPlaysAgainFromTheStart();
    void preloadFile_data();
    void preloadFile();
    void failuresAreReported_data();
    void failuresAreReported();
    void customAudioPlaysAndIsReused();
    void customAudioStopsByParameters();
    void undecodableCustomAudio();

private:
    std::string addEvent(const std::string& effectId, const std::string& name, int repeats = 0)
    {
        return show_->Add(effectId, name, repeats);
    }
    void updateEvent(const std::string& eventId, const std::function<void(SfxDto&)>& change)
    {
        show_->Update(eventId, change);
    }
    SfxPlayerImpl* playerOf(const std::string& eventId)
    {
        const auto player = controller_->GetPlayer(eventId);
        return player ? dynamic_cast<SfxPlayerImpl*>(*player) : nullptr;
    }
    void reload() { controller_->onSoundEffectsChanged(); }
    void setPinned(quint64 id, bool pinned) { list_->setData(id, pinned, ActiveAudioListModel::IsPinnedRole); }
    quint64 onlyRowId() const
    {
        return list_->rowCount() == 1 ? list_->data(list_->index(0), ActiveAudioListModel::IdRole).toULongLong() : 0;
    }
    QString writeWav(const QString& name, double seconds)
    {
        const QString path = dir_.filePath(name);
        QFile file(path);
        if (file.open(QIODevice::WriteOnly))
            file.write(QByteArray::fromStdString(
                vand_audio::fixtures::Sine(SoundFileFormat::Wav16, 48000, 2, seconds, 330.0, 0.5)));
        return path;
    }
    CustomAudioParameters userAudio(const QString& file, int repeats = 0) const
    {
        return CustomAudioParameters::builder().name("Door").file(file).volume(0.1).pan(0.5).repeats(repeats).build();
    }

    QTemporaryDir dir_;
    std::unique_ptr<vand::test::SfxShow> show_;
    SfxPlayerControllerImpl* controller_ = nullptr;
    std::shared_ptr<ActiveAudioListModel> list_;
    std::unique_ptr<QAbstractItemModelTester> tester_;
    std::unique_ptr<QSignalSpy> errors_;
    std::unique_ptr<LogLines> log_;
};

void TestSfxController::initTestCase()
{
    VAND_REQUIRE_SOUND_SERVER();
    vand::test::InstallDemoCatalogue(dir_);
    log_ = std::make_unique<LogLines>();
    show_ = std::make_unique<vand::test::SfxShow>();
    controller_ = show_->Controller();
    // A second call returns the same controller and leaves its pointer alone.
    std::unique_ptr<SfxRepository> other = std::make_unique<ChangeLogSfxRepository>(nullptr);
    QCOMPARE(SfxPlayerControllerImpl::instance(other), controller_);
    QVERIFY(other);

    list_ = controller_->getActiveAudioList();
    tester_ =
        std::make_unique<QAbstractItemModelTester>(list_.get(), QAbstractItemModelTester::FailureReportingMode::QtTest);
    errors_ = std::make_unique<QSignalSpy>(controller_, &SfxPlayerControllerImpl::soundEffectError);
}

// Each test ends with every sound stopped, every player pruned and the list
// empty: the controller outlives the test, and a player it kept would play
// into the next one.
void TestSfxController::cleanup()
{
    QVERIFY(show_->Clear());
    QCOMPARE(controller_->PlayerCount(), std::size_t(0));
    errors_->clear();
    log_->clear();
}

void TestSfxController::cleanupTestCase()
{
    tester_.reset();
    log_.reset();
    show_.reset();
}

void TestSfxController::reloadMakesAPlayerPerEventAndAReaderPerEffect()
{
    QSignalSpy ready(controller_, &SfxPlayerControllerImpl::sfxIsReady);
    const std::string a = addEvent("bell", "Bell A");
    const std::string b = addEvent("bell", "Bell B");
    const std::string c = addEvent("knock", "Knock");
    reload();
    SfxPlayerImpl* pa = playerOf(a);
    SfxPlayerImpl* pb = playerOf(b);
    SfxPlayerImpl* pc = playerOf(c);
    QVERIFY(pa && pb && pc);
    QVERIFY(pa != pb && pb != pc && pa != pc);
    const vand::sfx::SfxManifest manifest;
    QCOMPARE(pa->SfxData().name(), std::string("Bell A"));
    QCOMPARE(pb->SfxData().eventId(), b);
    // Players play the catalogue's file, not the effect id's.
    QCOMPARE(pa->SfxData().effectPath(), manifest.path("bell").value());
    QCOMPARE(pc->SfxData().effectPath(), manifest.path("knock").value());
    // One reader per effect: two loads announced, one per effect id.
    QTRY_COMPARE(ready.count(), 2);
    QCOMPARE((std::set<QString>{ready.at(0).at(0).toString(), ready.at(1).at(0).toString()}),
             (std::set<QString>{"bell", "knock"}));
    // Once loaded, the players know the length of their effect.
    QVERIFY(std::fabs(pa->GetDuration() - 2.5f) < 0.01f);
    QCOMPARE(pb->GetDuration(), pa->GetDuration());
    QVERIFY(std::fabs(pc->GetDuration() - 0.6f) < 0.01f);
    QCOMPARE(errors_->count(), 0);
}

void TestSfxController::reloadAgainReplacesTheRecords()
{
    QSignalSpy ready(controller_, &SfxPlayerControllerImpl::sfxIsReady);
    const std::string a = addEvent("bell", "Bell");
    reload();
    SfxPlayerImpl* player = playerOf(a);
    QVERIFY(player);
    QSignalSpy destroyed(player, &QObject::destroyed);
    updateEvent(a, [](SfxDto& r) {
        r.setName("Bell, softer");
        r.setVolume(0.25f);
    });
    reload();
    QCOMPARE(playerOf(a), player);
    QCOMPARE(player->Volume(), 0.25f);
    QCOMPARE(player->SfxData().name(), std::string("Bell, softer"));
    QCOMPARE(player->SfxData().effectPath(), vand::sfx::SfxManifest().path("bell").value());
    QCOMPARE(destroyed.count(), 0);
    QCOMPARE(ready.count(), 0); // the bell's reader is kept
}

// The event's new effect gets a new player, the event ids map names that new
// player, and the old player goes. Were the map left naming the old player,
// pruning would erase the entry and the event would have no player until the
// next reload.
void TestSfxController::reloadFollowsAnEffectChange()
{
    const std::string a = addEvent("bell", "Cue");
    reload();
    QPointer<SfxPlayerImpl> old = playerOf(a);
    QVERIFY(old);
    updateEvent(a, [](SfxDto& r) { r.setEffectId("knock"); });
    reload();
    SfxPlayerImpl* now = playerOf(a);
    QVERIFY(now && now != old);
    QCOMPARE(now->SfxData().effectId(), std::string("knock"));
    QVERIFY(!old);
    reload();
    QCOMPARE(playerOf(a), now);
    QCOMPARE(errors_->count(), 0);
}

// An event whose effect the catalogue lacks is skipped and reported; the
// events after it still get their players and pruning still runs. Otherwise
// one bad record would leave the rest of the show silent without a word.
void TestSfxController::reloadSkipsAndReportsUnlistedEffects()
{
    const std::string a = addEvent("bell", "Bell");
    const std::string b = addEvent("thunder", "Thunder");
    const std::string c = addEvent("knock", "Knock");
    reload();
    QVERIFY(playerOf(a));
    QVERIFY(!playerOf(b));
    QVERIFY(playerOf(c));
    QCOMPARE(errors_->count(), 1);
    QCOMPARE(errors_->at(0).at(0).toString(), QString("error"));
    QVERIFY2(errors_->at(0).at(1).toString().contains("\"thunder\""), qPrintable(errors_->at(0).at(1).toString()));
}

// The player of a deleted event is cut at once and goes when its run has
// ended; its row goes with it.
void TestSfxController::eventDeletedWhilePlaying()
{
    const std::string a = addEvent("rain", "Rain", -1);
    reload();
    const quint64 id = controller_->play(a);
    QVERIFY(id != 0);
    QTRY_VERIFY_WITH_TIMEOUT(list_->isPlaying(id), 10000);
    QPointer<SfxPlayerImpl> player = playerOf(a);
    show_->Delete(a);
    reload();
    QVERIFY(!playerOf(a));
    QTRY_VERIFY_WITH_TIMEOUT(!player, 10000);
    QVERIFY(!list_->contains(id));
    QCOMPARE(errors_->count(), 0);
}

// A play by text on a controller without players loads the repository first
// and then finds the event; a load still running elsewhere would make that
// lookup fail.
void TestSfxController::playByTextOnAnEmptyControllerLoads()
{
    QVERIFY(!controller_->GetPlayer(std::string("sfx.anything")));
    const std::string a = addEvent("knock", "Knock");
    const quint64 id = controller_->play(a);
    QVERIFY(id != 0);
    QTRY_VERIFY_WITH_TIMEOUT(list_->contains(id), 10000);
    QTRY_VERIFY_WITH_TIMEOUT(!list_->contains(id), 10000);
    QCOMPARE(errors_->count(), 0);
}

// Played before its reader has loaded, an effect starts once it has; a run
// started without PCM would play nothing and end at once while its row
// claimed it played.
void TestSfxController::firstPlayOfAFreshEffectIsHeard()
{
    const std::string a = addEvent("chime", "Chime");
    reload();
    SfxPlayerImpl* player = playerOf(a);
    QSignalSpy progress(player, &SfxPlayerImpl::progress);
    const std::set<int> before = vand::test::OurSinkInputs();
    const quint64 id = controller_->play(a);
    QVERIFY(id != 0);
    QVERIFY(!controller_->Done(id)); // waiting for the file counts as playing
    QVERIFY(!list_->contains(id));   // listed once it sounds
    QTRY_VERIFY_WITH_TIMEOUT(list_->isPlaying(id), 10000);
    QCOMPARE(list_->data(list_->index(0), ActiveAudioListModel::NameRole).toString(), QString("Chime"));
    QVERIFY(std::fabs(list_->data(list_->index(0), ActiveAudioListModel::DurationRole).toDouble() - 1.5) < 0.01);
    const int input = vand::test::NewSinkInput(before);
    QVERIFY(input >= 0);
    const vand::test::Loudness heard = vand::test::Listen(input, 44100 / 4);
    QVERIFY2(heard.first > 0.01, qPrintable(QString::number(heard.first)));
    QTRY_VERIFY(progress.count() > 0 && progress.last().at(0).toDouble() > 0.0);
    QTRY_VERIFY_WITH_TIMEOUT(!list_->contains(id), 10000);
    QVERIFY(controller_->Done(id));
}

void TestSfxController::playById_data()
{
    QTest::addColumn<QString>("row");
    QTest::addColumn<double>("lowest");
    QTest::addColumn<double>("highest");
    QTest::newRow("paused at 0.4 resumes there") << "paused at 0.4" << 0.4 << 0.5;
    QTest::newRow("paused at 0 starts") << "paused at 0" << 0.0 << 0.1;
    QTest::newRow("playing restarts") << "playing" << 0.0 << 0.1;
}

// Where a play by player id starts, by the state of its row; the row stays
// one row, playing, also after the replaced run reports its end.
void TestSfxController::playById()
{
    QFETCH(QString, row);
    QFETCH(double, lowest);
    QFETCH(double, highest);
    const std::string a = addEvent("bell", "Bell");
    reload();
    SfxPlayerImpl* player = playerOf(a);
    QSignalSpy finished(player, &SfxPlayerImpl::sfxFinished);
    const quint64 id = controller_->play(a);
    QTRY_VERIFY_WITH_TIMEOUT(list_->progress(id) > 0.1, 10000);
    if (row != "playing") {
        setPinned(id, true);
        controller_->onStopSfx(id, true);
        QTRY_VERIFY_WITH_TIMEOUT(!list_->isPlaying(id), 10000);
        QVERIFY(list_->contains(id));
        list_->setData(id, row == "paused at 0.4" ? 0.4 : 0.0, ActiveAudioListModel::ProgressRole);
    }
    QSignalSpy progress(player, &SfxPlayerImpl::progress);
    QVERIFY(controller_->play(id));
    QTRY_VERIFY_WITH_TIMEOUT(progress.count() >= 3, 10000);
    double least = 1.0;
    for (const QList<QVariant>& p : progress)
        least = std::min(least, p.at(0).toDouble());
    QVERIFY2(least >= lowest && least < highest, qPrintable(QString::number(least)));
    QTRY_COMPARE_WITH_TIMEOUT(finished.count(), 1, 10000);
    QCOMPARE(list_->rowCount(), 1);
    QVERIFY(list_->isPlaying(id));
    controller_->onStopSfx(id, true);
    QTRY_COMPARE_WITH_TIMEOUT(finished.count(), 2, 10000);
}

void TestSfxController::pinnedRowOutlivesItsSound()
{
    const std::string a = addEvent("knock", "Knock");
    reload();
    const quint64 id = controller_->play(a);
    QTRY_VERIFY_WITH_TIMEOUT(list_->isPlaying(id), 10000);
    setPinned(id, true);
    setPinned(id, false); // still playing: the row stays
    QVERIFY(list_->contains(id));
    setPinned(id, true);
    QTRY_VERIFY_WITH_TIMEOUT(!list_->isPlaying(id), 10000);
    QVERIFY(list_->contains(id));
    setPinned(id, false);
    QTRY_VERIFY(!list_->contains(id));
}

// With every voice taken, a play is refused, said as a warning, and lists
// nothing: a row marked playing would show a sound that never sounds.
void TestSfxController::playWithoutAFreeVoiceIsAWarning()
{
    std::vector<std::string> events;
    for (int i = 0; i < 17; ++i)
        events.push_back(addEvent("rain", "Rain " + std::to_string(i), -1));
    reload();
    for (int i = 0; i < 16; ++i)
        QVERIFY(controller_->play(events[std::size_t(i)]) != 0);
    QTRY_COMPARE_WITH_TIMEOUT(list_->rowCount(), 16, 10000);
    QCOMPARE(controller_->play(events.back()), 0ull);
    QCOMPARE(list_->rowCount(), 16);
    QCOMPARE(errors_->count(), 1);
    QCOMPARE(errors_->at(0).at(0).toString(), QString("warning"));
    QCOMPARE(errors_->at(0).at(1).toString(), QString("The sound effect Rain 16 was not played: every voice is busy."));
}

void TestSfxController::playByText_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("plays");
    QTest::addColumn<QString>("debugLine");
    QTest::addColumn<int>("errors");
    QTest::newRow("event id") << "event" << true << "" << 0;
    QTest::newRow("name") << "Knock" << true << "" << 0;
    QTest::newRow("player id") << "id" << true << "" << 0;
    QTest::newRow("no such text") << "x" << false
                                  << "Invalid request from OSC: cannot play sound effect player with event id x" << 0;
    QTest::newRow("no such player id") << "987654321" << false << "Invalid sound effect id" << 1;
    QTest::newRow("a number and more") << "12abc" << false
                                       << "Invalid request from OSC: cannot play sound effect player with event id "
                                          "12abc"
                                       << 0;
}

void TestSfxController::playByText()
{
    QFETCH(QString, text);
    QFETCH(bool, plays);
    QFETCH(QString, debugLine);
    QFETCH(int, errors);
    const std::string a = addEvent("knock", "Knock");
    reload();
    SfxPlayerImpl* player = playerOf(a);
    QSignalSpy finished(player, &SfxPlayerImpl::sfxFinished);
    QSignalSpy playing(controller_, &SfxPlayerControllerImpl::playingSfx);
    std::string asked = text.toStdString();
    if (text == "event")
        asked = a;
    const bool byId = text == "id";
    // The player id of the event, from a first play that the test lets end.
    if (byId) {
        const quint64 id = controller_->play(a);
        QTRY_COMPARE_WITH_TIMEOUT(finished.count(), 1, 10000);
        QTRY_VERIFY(!list_->contains(id));
        asked = std::to_string(id);
        playing.clear();
    }
    const quint64 result = controller_->play(asked);
    if (plays) {
        QVERIFY(result != 0);
        QTRY_VERIFY_WITH_TIMEOUT(list_->isPlaying(result), 10000);
        QCOMPARE(playing.count(), 1);
        QCOMPARE(playing.at(0).at(0).toULongLong(), result);
        QCOMPARE(playing.at(0).at(1).toString(), QString::fromStdString(a));
    } else {
        QCOMPARE(result, 0ull);
        QCOMPARE(list_->rowCount(), 0);
        QCOMPARE(log_->count(debugLine), 1);
    }
    QCOMPARE(errors_->count(), errors);
}

void TestSfxController::stopByText()
{
    const std::string a = addEvent("rain", "Rain", -1);
    reload();
    const quint64 id = controller_->play(a);
    QTRY_VERIFY_WITH_TIMEOUT(list_->isPlaying(id), 10000);
    controller_->stop("x");
    QCOMPARE(log_->count("Invalid request from OSC: cannot stop sound effect player with id x"), 1);
    QVERIFY(list_->isPlaying(id));
    // A text literal is an id text, not a bool: stop(bool) would stop every
    // player.
    controller_->stop(std::to_string(id).c_str());
    QTRY_VERIFY_WITH_TIMEOUT(!list_->contains(id), 10000);
    QCOMPARE(errors_->count(), 0);
}

void TestSfxController::stopAll_data()
{
    QTest::addColumn<QString>("how");
    QTest::newRow("stop(true) cuts") << "urgent";
    QTest::newRow("stop(false) fades out") << "fade-out";
    QTest::newRow("stop() fades out") << "plain";
}

// Stopping everything ends every sound and empties the list: urgently at
// once, otherwise each over its own fade-out.
void TestSfxController::stopAll()
{
    QFETCH(QString, how);
    const std::string a = addEvent("rain", "Rain", -1);
    const std::string b = addEvent("knock", "Knock", -1);
    for (const std::string& eventId : {a, b})
        updateEvent(eventId, [](SfxDto& r) { r.setFadeOut(300); });
    reload();
    vand::test::Levels levels(*playerOf(a));
    QSignalSpy sounding(playerOf(a), &SfxPlayerImpl::outputStarted);
    const quint64 ida = controller_->play(a);
    const quint64 idb = controller_->play(b);
    // Sounding: a stop given before a run has set itself up ends it unheard.
    QTRY_VERIFY_WITH_TIMEOUT(list_->isPlaying(ida) && list_->isPlaying(idb) && !sounding.isEmpty(), 10000);
    const int before = levels.count();
    if (how == "urgent")
        controller_->stop(true);
    else if (how == "fade-out")
        controller_->stop(false);
    else
        controller_->stop();
    QTRY_COMPARE_WITH_TIMEOUT(list_->rowCount(), 0, 10000);
    QVERIFY(controller_->Done(ida) && controller_->Done(idb));
    const std::vector<float> all = levels.all();
    const std::vector<float> after(all.begin() + before, all.end());
    QVERIFY(!after.empty());
    const bool faded = std::any_of(after.begin(), after.end(), [](float l) { return l > 0.001f && l < 0.9f; });
    QCOMPARE(faded, how != "urgent");
    QCOMPARE(errors_->count(), 0);
}

// FadeTo by event id fades the running sound to the level in steps.
void TestSfxController::fadeToReachesTheLevel()
{
    const std::string a = addEvent("rain", "Rain", -1);
    reload();
    vand::test::Levels levels(*playerOf(a));
    QSignalSpy sounding(playerOf(a), &SfxPlayerImpl::outputStarted);
    const quint64 id = controller_->play(a);
    // Sounding, its own fade-in given: a fade asked before would give way to
    // it.
    QTRY_VERIFY_WITH_TIMEOUT(list_->isPlaying(id) && !sounding.isEmpty(), 10000);
    QCOMPARE(levels.last(), 1.0f);
    controller_->FadeTo(a, 0.25f, 300.0f);
    QTRY_VERIFY_WITH_TIMEOUT(std::fabs(levels.last() - 0.25f) < 1e-4f, 10000);
    const std::vector<float> all = levels.all();
    QCOMPARE(all.size(), std::size_t(1 + 10)); // ten steps of 30 ms
    QVERIFY(std::is_sorted(all.rbegin(), all.rend()));
    QVERIFY(list_->isPlaying(id));
    QCOMPARE(errors_->count(), 0);
}

// SetPosition moves the running sound: it reports progress from there on.
// Unknown players and positions that are no number change nothing.
void TestSfxController::setPositionMovesTheRun()
{
    const std::string a = addEvent("bell", "Bell");
    reload();
    const quint64 id = controller_->play(a);
    QTRY_VERIFY_WITH_TIMEOUT(list_->progress(id) > 0.0, 10000);
    QVERIFY(list_->progress(id) < 0.5);
    controller_->SetPosition(987654321, 0.5);
    controller_->SetPosition(id, std::numeric_limits<double>::quiet_NaN());
    controller_->SetPosition(id, 0.6);
    QTRY_VERIFY_WITH_TIMEOUT(list_->progress(id) >= 0.6, 10000);
    QVERIFY(list_->isPlaying(id));
    QCOMPARE(errors_->count(), 0);
}

// A restart ends the run at once and plays a new one from the start; the row
// stays, playing, through the old run's end.
void TestSfxController::restartPlaysAgainFromTheStart()
{
    const std::string a = addEvent("bell", "Bell");
    reload();
    SfxPlayerImpl* player = playerOf(a);
    QSignalSpy finished(player, &SfxPlayerImpl::sfxFinished);
    const quint64 id = controller_->play(a);
    QTRY_VERIFY_WITH_TIMEOUT(list_->progress(id) > 0.3, 10000);
    QSignalSpy progress(player, &SfxPlayerImpl::progress);
    controller_->restart(id);
    QTRY_COMPARE_WITH_TIMEOUT(finished.count(), 1, 10000);
    QTRY_VERIFY_WITH_TIMEOUT(!progress.isEmpty() && progress.last().at(0).toDouble() < 0.2, 10000);
    QCOMPARE(list_->rowCount(), 1);
    QVERIFY(list_->isPlaying(id));
    QVERIFY(!controller_->Done(id));
    QCOMPARE(errors_->count(), 0);
}

void TestSfxController::preloadFile_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<bool>("ready");
    QTest::addColumn<QString>("priority");
    QTest::addColumn<int>("errors");
    QTest::newRow("catalogue effect file") << "catalogue" << true << "" << 0;
    QTest::newRow("WAV file") << "wav" << true << "" << 0;
    // A ".sfx" key is read as a packaged effect, whatever the file holds;
    // its reader stays under the key, so the second call reads nothing.
    QTest::newRow("WAV data under a .sfx name") << "wav.sfx" << false << "error" << 1;
    // Nothing is kept for a user file that cannot be opened: each call tries.
    QTest::newRow("missing user file") << "missing" << false << "warning" << 2;
}

// PreloadFile reads a key once: a packaged effect reader for ".sfx" keys, a
// user file reader for any other; a failure is reported.
void TestSfxController::preloadFile()
{
    QFETCH(QString, file);
    QFETCH(bool, ready);
    QFETCH(QString, priority);
    QFETCH(int, errors);
    QString key;
    if (file == "catalogue")
        key = QString::fromStdString(vand::sfx::SfxManifest().path("chime").value());
    else if (file == "wav")
        key = writeWav("preload.wav", 0.5);
    else if (file == "wav.sfx")
        key = writeWav("preload-wav.sfx", 0.5);
    else
        key = dir_.filePath("missing.wav");
    QSignalSpy readySpy(controller_, &SfxPlayerControllerImpl::sfxIsReady);
    const auto readyFor = [&readySpy](const QString& k) {
        return std::count_if(readySpy.cbegin(), readySpy.cend(),
                             [&k](const QList<QVariant>& r) { return r.at(0) == k; });
    };
    controller_->PreloadFile(key.toStdString());
    controller_->PreloadFile(key.toStdString()); // the key is taken: nothing more
    // A later preload announces itself after the first one has.
    const QString sentinel = writeWav("sentinel-" + file + ".wav", 0.1);
    controller_->PreloadFile(sentinel.toStdString());
    QTRY_COMPARE_WITH_TIMEOUT(readyFor(sentinel), 1, 10000);
    QTRY_COMPARE_WITH_TIMEOUT(readyFor(key), ready ? 1 : 0, 10000);
    QTRY_COMPARE_WITH_TIMEOUT(errors_->count(), errors, 10000);
    for (const QList<QVariant>& error : *errors_)
        QCOMPARE(error.at(0).toString(), priority);
}

void TestSfxController::failuresAreReported_data()
{
    QTest::addColumn<QString>("call");
    QTest::addColumn<QString>("priority");
    for (const char* call : {"play", "onPlaySfx", "onStopSfx", "onStopSfx urgent", "onFadeRequested", "restart",
                             "onSetVolume", "onPlayerDone", "FadeTo unknown event"})
        QTest::newRow(call) << call << "error";
    for (const char* call : {"FadeTo NaN level", "FadeTo negative level", "FadeTo negative time",
                             "FadeTo infinite time", "onFadeRequested negative level"})
        QTest::newRow(call) << call << "warning";
    QTest::newRow("onSetVolume NaN") << "onSetVolume NaN"
                                     << "error";
}

// Unknown ids and refused values reach soundEffectError, never the caller or
// the event loop, and change nothing.
void TestSfxController::failuresAreReported()
{
    QFETCH(QString, call);
    QFETCH(QString, priority);
    const std::string a = addEvent("bell", "Bell");
    reload();
    SfxPlayerImpl* player = playerOf(a);
    const quint64 id = controller_->play(a);
    QTRY_VERIFY_WITH_TIMEOUT(list_->isPlaying(id), 10000);
    controller_->onStopSfx(id, true);
    QTRY_VERIFY_WITH_TIMEOUT(!list_->contains(id), 10000);
    const quint64 none = 987654321;
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    const std::map<QString, std::function<void()>> calls = {
        {"play", [&] { QVERIFY(!controller_->play(none)); }},
        {"onPlaySfx", [&] { controller_->onPlaySfx(none); }},
        {"onStopSfx", [&] { controller_->onStopSfx(none); }},
        {"onStopSfx urgent", [&] { controller_->onStopSfx(none, true); }},
        {"onFadeRequested", [&] { controller_->onFadeRequested(none, 0.5, 300); }},
        {"restart", [&] { controller_->restart(none); }},
        {"onSetVolume", [&] { controller_->onSetVolume(none, 0.5f); }},
        {"onPlayerDone", [&] { controller_->onPlayerDone("sfx.none"); }},
        {"FadeTo unknown event", [&] { controller_->FadeTo("sfx.none", 0.5f, 300.0f); }},
        {"FadeTo NaN level", [&] { controller_->FadeTo(a, nan, 300.0f); }},
        {"FadeTo negative level", [&] { controller_->FadeTo(a, -0.5f, 300.0f); }},
        {"FadeTo negative time", [&] { controller_->FadeTo(a, 0.5f, -1.0f); }},
        {"FadeTo infinite time", [&] { controller_->FadeTo(a, 0.5f, inf); }},
        {"onFadeRequested negative level", [&] { controller_->onFadeRequested(id, -0.5, 300); }},
        {"onSetVolume NaN", [&] { controller_->onSetVolume(id, nan); }},
    };
    calls.at(call)();
    QCOMPARE(errors_->count(), 1);
    QCOMPARE(errors_->at(0).at(0).toString(), priority);
    QVERIFY(!errors_->at(0).at(1).toString().isEmpty());
    QCOMPARE(list_->rowCount(), 0);
    QCOMPARE(player->Volume(), 1.0f);
    QVERIFY(controller_->Done(id));
}

// A user file plays under its file's name; once it has ended (its player
// reaches the end handling now) the same parameters, at a volume a double
// cannot hold exactly, play the same player again.
void TestSfxController::customAudioPlaysAndIsReused()
{
    const QString wav = writeWav("door.wav", 0.5);
    const CustomAudioParameters door = userAudio(wav);
    QSignalSpy ready(controller_, &SfxPlayerControllerImpl::sfxIsReady);
    controller_->play(door);
    QTRY_COMPARE_WITH_TIMEOUT(list_->rowCount(), 1, 10000);
    const quint64 id = onlyRowId();
    QCOMPARE(list_->data(list_->index(0), ActiveAudioListModel::NameRole).toString(), wav);
    QCOMPARE(list_->data(list_->index(0), ActiveAudioListModel::PathRole).toString(), wav);
    QVERIFY(std::fabs(list_->data(list_->index(0), ActiveAudioListModel::VolumeRole).toDouble() - 0.1) < 1e-6);
    QCOMPARE(ready.count(), 1);
    QTRY_COMPARE_WITH_TIMEOUT(list_->rowCount(), 0, 10000);
    controller_->play(door);
    QTRY_COMPARE_WITH_TIMEOUT(list_->rowCount(), 1, 10000);
    QCOMPARE(onlyRowId(), id);
    QCOMPARE(ready.count(), 1); // the file is decoded once
    QCOMPARE(errors_->count(), 0);
}

void TestSfxController::customAudioStopsByParameters()
{
    const QString wav = writeWav("loop.wav", 0.5);
    controller_->play(userAudio(wav, -1));
    QTRY_COMPARE_WITH_TIMEOUT(list_->rowCount(), 1, 10000);
    const quint64 id = onlyRowId();
    controller_->stop(userAudio(wav, 0)); // other parameters: another sound
    QVERIFY(list_->isPlaying(id));
    controller_->stop(userAudio(wav, -1));
    QTRY_COMPARE_WITH_TIMEOUT(list_->rowCount(), 0, 10000);
    QCOMPARE(errors_->count(), 0);
}

// A file that cannot be decoded is tried twice and reported once.
void TestSfxController::undecodableCustomAudio()
{
    const QString path = dir_.filePath("noise.wav");
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("this is no sound file");
    file.close();
    QVERIFY_THROWS_EXCEPTION(CustomAudioException, controller_->play(userAudio(path)));
    QCOMPARE(log_->count("Cannot decode the audio file " + path), 2);
    QCOMPARE(errors_->count(), 1);
    QCOMPARE(errors_->at(0).at(0).toString(), QString("warning"));
    QVERIFY(errors_->at(0).at(1).toString().startsWith("Error decoding audio file: "));
    QCOMPARE(list_->rowCount(), 0);
}

QTEST_GUILESS_MAIN(TestSfxController)
#include "tst_sfx_controller.moc"
