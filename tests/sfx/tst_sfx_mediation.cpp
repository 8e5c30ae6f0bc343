#include <QAbstractItemModelTester>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <atomic>
#include <chrono>
#include <future>
#include <memory>
#include <thread>

#include "AudioFixtures.h"
#include "SfxShow.h"
#include "SinkMonitor.h"
#include "sfx/ActiveAudioListModel.h"
#include "sfx/SfxPlayer.h"
#include "sfx/SfxPlayerConnectionMediator.h"
#include "sfx/SfxPlayerControllerImpl.h"
#include "sfx/SfxRepository.h"

using vand::audio::SfxException;
using vand::audio::SfxPlayer;
using vand::audio::SfxPlayerConnectionMediator;
using vand::audio::SfxPlayerControllerImpl;
using vand::audio::SfxPlayerInterface;
using vand::audio::SfxRepository;
using vand::audio::sfx::SfxDto;
using vand::sfx::ActiveAudioListModel;

namespace {

// Runs `work` on a thread of its own, as a client of the library.
template <class Work>
auto OnClient(Work work)
{
    using Result = decltype(work());
    auto task = std::make_shared<std::packaged_task<Result()>>(std::move(work));
    std::future<Result> result = task->get_future();
    std::thread([task] { (*task)(); }).detach();
    return result;
}

// Waits for a client's result while this thread serves the controller.
template <class T>
bool Served(std::future<T>& result, int ms = 10000)
{
    return QTest::qWaitFor([&] { return result.wait_for(std::chrono::seconds(0)) == std::future_status::ready; }, ms);
}

SfxDto Effect(const std::string& effectId, const std::string& eventId, int repeats = 0)
{
    return SfxDto::builder().name(eventId).effectId(effectId).eventId(eventId).repeats(repeats).build();
}

std::string Thrown(const std::function<void()>& call)
{
    try {
        call();
    } catch (const SfxException& e) {
        return std::string("SfxException: ") + e.what();
    } catch (const std::runtime_error& e) {
        return std::string("runtime_error: ") + e.what();
    }
    return "nothing";
}

} // namespace

// Clients on threads of their own play through facades; the controller runs
// on this thread, which serves them while each test waits.
class TestSfxMediation : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void cleanupTestCase();

    // First: no controller exists yet.
    void facadeBeforeAnyController();
    void facadesGetConsecutiveIds();
    void queriesFromAClientThread();
    void sfxDataCopiesStayAsTheyWere();
    void sfxDataFromTwoThreads();
    void prunedPlayerFailsAtOnce_data();
    void prunedPlayerFailsAtOnce();
    void preloadThroughTheMediator();
    void controllerOffersItsNames_data();
    void controllerOffersItsNames();
    void unansweredQueryGivesUp();
    void waitUntilDoneStallsNoOtherClient();
    void changeLogEffectPlaysThroughAClient();
    void movedFromFacade();

private:
    QTemporaryDir dir_;
    std::unique_ptr<vand::test::SfxShow> show_;
    SfxPlayerControllerImpl* controller_ = nullptr;
    std::shared_ptr<ActiveAudioListModel> list_;
    std::unique_ptr<QAbstractItemModelTester> tester_;
};

void TestSfxMediation::initTestCase()
{
    VAND_REQUIRE_SOUND_SERVER();
    vand::test::InstallDemoCatalogue(dir_);
    show_ = std::make_unique<vand::test::SfxShow>();
}

void TestSfxMediation::init()
{
    if (controller_ || QTest::currentTestFunction() == QByteArray("facadeBeforeAnyController"))
        return;
    controller_ = show_->Controller();
    list_ = controller_->getActiveAudioList();
    tester_ =
        std::make_unique<QAbstractItemModelTester>(list_.get(), QAbstractItemModelTester::FailureReportingMode::QtTest);
}

void TestSfxMediation::cleanup()
{
    SfxPlayerConnectionMediator::SetAnswerTimeLimit(std::chrono::seconds(5));
    if (!controller_)
        return;
    // The controller outlives the test: a player it kept would play into the
    // next one.
    QVERIFY(show_->Clear());
    QCOMPARE(controller_->PlayerCount(), std::size_t(0));
}

void TestSfxMediation::cleanupTestCase()
{
    tester_.reset();
    show_.reset();
}

// Found on the client's own thread, before anything is queued.
void TestSfxMediation::facadeBeforeAnyController()
{
    auto thrown = OnClient([] {
        std::string facade = Thrown([] { SfxPlayer player(Effect("bell", "sfx.early")); });
        std::string factory = Thrown([] { delete vand::audio::sfx::GetSfxPlayer(Effect("bell", "sfx.early")); });
        return std::make_pair(facade, factory);
    });
    QVERIFY(Served(thrown));
    const auto [facade, factory] = thrown.get();
    QCOMPARE(facade, std::string("runtime_error: No sound effect player controller registered"));
    QCOMPARE(factory, facade);
}

// Each facade has a player of its own in the controller, under the next id.
void TestSfxMediation::facadesGetConsecutiveIds()
{
    QSignalSpy playing(SfxPlayerConnectionMediator::instance(), &SfxPlayerConnectionMediator::playingSfx);
    auto done = OnClient([] {
        SfxPlayer a(Effect("knock", "sfx.a"));
        SfxPlayer b(Effect("knock", "sfx.b"));
        a.Play(0.7); // from the start whatever it is given
        b.Play(0.0);
        return true;
    });
    QVERIFY(Served(done));
    QTRY_COMPARE_WITH_TIMEOUT(playing.count(), 2, 10000);
    const quint64 a = playing.at(0).at(0).toULongLong();
    QCOMPARE(playing.at(0).at(1).toString(), QString("sfx.a"));
    QCOMPARE(playing.at(1).at(0).toULongLong(), a + 1);
    QCOMPARE(playing.at(1).at(1).toString(), QString("sfx.b"));
    // The facades are gone; their players stay until a reload.
    QCOMPARE(*controller_->GetPlayer(std::string("sfx.a")), *controller_->GetPlayer(a));
    QCOMPARE(*controller_->GetPlayer(std::string("sfx.b")), *controller_->GetPlayer(a + 1));
    QVERIFY(list_->progress(a) < 0.5); // started at the beginning
}

// Commands from a client reach the controller in order, before the query
// that follows them; SfxData is a copy.
void TestSfxMediation::queriesFromAClientThread()
{
    auto answers = OnClient([] {
        SfxPlayer player(Effect("bell", "sfx.q"));
        const bool idle = player.Done();
        player.SetVolume(0.3f);
        player.SetPan(0.2f);
        const float volume = player.Volume();
        const SfxDto copy = player.SfxData();
        const bool same = player.PlaysSameSfx(copy);
        return std::make_tuple(idle, volume, copy.pan(), copy.eventId(), same);
    });
    QVERIFY(Served(answers));
    const auto [idle, volume, pan, eventId, same] = answers.get();
    QVERIFY(idle);
    QCOMPARE(volume, 0.3f);
    QCOMPARE(pan, 0.2f);
    QCOMPARE(eventId, std::string("sfx.q"));
    QVERIFY(same);
    QCOMPARE((*controller_->GetPlayer(std::string("sfx.q")))->Volume(), 0.3f);
}

// A copy of the record once handed out stays as it was: a later answer, on
// this thread or another, must not overwrite what an earlier caller holds.
void TestSfxMediation::sfxDataCopiesStayAsTheyWere()
{
    auto answers = OnClient([] {
        SfxPlayer player(Effect("bell", "sfx.copies"));
        const SfxDto& first = player.SfxData();
        player.SetVolume(0.3f);
        const SfxDto& second = player.SfxData();
        const SfxDto& third = player.SfxData();
        return std::make_tuple(first.volume(), second.volume(), &first == &second, &second == &third, first.eventId());
    });
    QVERIFY(Served(answers));
    const auto [first, second, firstIsSecond, secondIsThird, eventId] = answers.get();
    QCOMPARE(first, 1.0f);
    QCOMPARE(second, 0.3f);
    QVERIFY(!firstIsSecond);
    QVERIFY(secondIsThird); // equal answers share one copy
    QCOMPARE(eventId, std::string("sfx.copies"));
}

// Two threads asking one player for its record at once each read a whole
// record, one of those the controller held.
void TestSfxMediation::sfxDataFromTwoThreads()
{
    auto player = std::make_shared<std::unique_ptr<SfxPlayer>>();
    auto made = OnClient([player] {
        *player = std::make_unique<SfxPlayer>(Effect("bell", "sfx.shared"));
        return true;
    });
    QVERIFY(Served(made));
    const auto reader = [player](float volume) {
        return [player, volume] {
            int whole = 0;
            for (int i = 0; i < 100; ++i) {
                (*player)->SetVolume(volume);
                const SfxDto& record = (*player)->SfxData();
                whole += record.eventId() == "sfx.shared" && (record.volume() == 0.25f || record.volume() == 0.75f);
            }
            return whole;
        };
    };
    auto a = OnClient(reader(0.25f));
    auto b = OnClient(reader(0.75f));
    QVERIFY(Served(a));
    QVERIFY(Served(b));
    QCOMPARE(a.get(), 100);
    QCOMPARE(b.get(), 100);
    auto gone = OnClient([player] {
        player->reset();
        return true;
    });
    QVERIFY(Served(gone));
}

void TestSfxMediation::prunedPlayerFailsAtOnce_data()
{
    QTest::addColumn<QString>("operation");
    QTest::newRow("Volume") << "Volume";
    QTest::newRow("WaitUntilDone") << "WaitUntilDone";
}

// A player that a reload pruned is missing at once, not after the time limit;
// a wait for it is announced to the controller, which reports the unknown
// player, while the client's own polling finds it gone.
void TestSfxMediation::prunedPlayerFailsAtOnce()
{
    QFETCH(QString, operation);
    QSignalSpy errors(controller_, &SfxPlayerControllerImpl::soundEffectError);
    auto thrown = OnClient([waits = operation == "WaitUntilDone"] {
        SfxPlayer player(Effect("bell", "sfx.pruned"));
        SfxPlayerConnectionMediator::instance()->onSoundEffectsChanged();
        return Thrown([&] {
            if (waits)
                player.WaitUntilDone();
            else
                player.Volume();
        });
    });
    QVERIFY(Served(thrown));
    const std::string text = thrown.get();
    const std::string asked = operation == "WaitUntilDone" ? "Done" : "Volume";
    QVERIFY2(text.rfind("SfxException: Sound effect player ", 0) == 0, text.c_str());
    QVERIFY2(text.find(", " + asked + ": No sound effect player has id ") != std::string::npos, text.c_str());
    QVERIFY(!controller_->GetPlayer(std::string("sfx.pruned")));
    if (operation == "WaitUntilDone") {
        QCOMPARE(errors.count(), 1);
        QVERIFY(errors.at(0).at(1).toString().startsWith("No sound effect player has id "));
        QCOMPARE(errors.at(0).at(2).toString(), QString("WaitUntilDone"));
    } else {
        QCOMPARE(errors.count(), 0);
    }
}

// A client preloads its own file through the mediator: the controller reads
// it once and the mediator relays that it is ready.
void TestSfxMediation::preloadThroughTheMediator()
{
    const QString wav = dir_.filePath("preloaded.wav");
    QFile file(wav);
    QVERIFY(file.open(QIODevice::WriteOnly));
    const std::string bytes = vand_audio::fixtures::Sine(vand_audio::SoundFileFormat::Wav16, 48000, 2, 0.5, 330.0, 0.5);
    file.write(bytes.data(), qint64(bytes.size()));
    file.close();
    QSignalSpy ready(SfxPlayerConnectionMediator::instance(), &SfxPlayerConnectionMediator::onSfxIsReady);
    auto asked = OnClient([wav] {
        emit SfxPlayerConnectionMediator::instance()->preloadCustomAudio(wav);
        return true;
    });
    QVERIFY(Served(asked));
    QTRY_COMPARE_WITH_TIMEOUT(ready.count(), 1, 10000);
    QCOMPARE(ready.at(0).at(0).toString(), wav);
    auto again = OnClient([wav] {
        emit SfxPlayerConnectionMediator::instance()->preloadCustomAudio(wav);
        return true;
    });
    QVERIFY(Served(again));
    // Once a player made after it is ready, the second request has been
    // handled too, and it read nothing.
    auto after = OnClient([] { return SfxPlayer(Effect("bell", "sfx.after")).Done(); });
    QVERIFY(Served(after));
    QCOMPARE(std::count_if(ready.cbegin(), ready.cend(), [&wav](const QList<QVariant>& r) { return r.at(0) == wav; }),
             1);
}

void TestSfxMediation::controllerOffersItsNames_data()
{
    QTest::addColumn<bool>("isSignal");
    QTest::addColumn<QByteArray>("signature");
    for (const char* slot : {"onIsReady()", "onWaitUntilDone(qulonglong)",
                             "createSfxPlayer(qulonglong,"
                             "vand::audio::sfx::SfxDto,std::shared_ptr<std::promise<void>>)",
                             "restart(qulonglong)"})
        QTest::newRow(slot) << false << QByteArray(slot);
    for (const char* signal :
         {"sfxPlayerImplCreated(qulonglong)", "duration(qulonglong,float)", "volume(qulonglong,float)",
          "done(qulonglong,bool)", "playsSameSfx(qulonglong,bool)", "sfxData(qulonglong,vand::audio::sfx::SfxDto)",
          "initialize()", "restartRequest(QString&)", "sfxIsReady(QString)", "playingSfx(qulonglong,QString)"})
        QTest::newRow(signal) << true << QByteArray(signal);
}

// A client that connects to the controller by signature finds each signal
// and slot it names.
void TestSfxMediation::controllerOffersItsNames()
{
    QFETCH(bool, isSignal);
    QFETCH(QByteArray, signature);
    const QMetaObject& meta = SfxPlayerControllerImpl::staticMetaObject;
    const QByteArray normal = QMetaObject::normalizedSignature(signature);
    QVERIFY2((isSignal ? meta.indexOfSignal(normal) : meta.indexOfSlot(normal)) >= 0, normal.constData());
}

// While the controller's thread is held up, a query gives up after the time
// limit with an exception naming it.
void TestSfxMediation::unansweredQueryGivesUp()
{
    SfxPlayerConnectionMediator::SetAnswerTimeLimit(std::chrono::milliseconds(300));
    std::promise<void> madeSignal;
    std::future<void> made = madeSignal.get_future();
    std::promise<void> askSignal;
    auto thrown = OnClient([&madeSignal, ask = askSignal.get_future()] {
        SfxPlayer player(Effect("bell", "sfx.held"));
        madeSignal.set_value();
        ask.wait();
        return Thrown([&] { player.GetDuration(); });
    });
    QVERIFY(Served(made));
    // From here this thread serves nothing until the client has given up.
    askSignal.set_value();
    QVERIFY(thrown.wait_for(std::chrono::seconds(10)) == std::future_status::ready);
    const std::string text = thrown.get();
    QVERIFY2(text.rfind("SfxException: Sound effect player ", 0) == 0, text.c_str());
    QVERIFY2(text.find(", GetDuration: the player controller did not answer within 300 ms.") != std::string::npos,
             text.c_str());
}

// A client waiting for its sound polls from its own thread: the controller
// answers other clients meanwhile.
void TestSfxMediation::waitUntilDoneStallsNoOtherClient()
{
    std::atomic<bool> waiting{false};
    auto waited = OnClient([&waiting] {
        SfxPlayer player(Effect("rain", "sfx.endless", -1));
        player.Play(0.0);
        waiting = true;
        player.WaitUntilDone();
        return true;
    });
    QVERIFY(QTest::qWaitFor([&] { return waiting.load(); }, 10000));
    auto other = OnClient([] { return SfxPlayer(Effect("bell", "sfx.other")).Volume(); });
    QVERIFY(Served(other));
    QCOMPARE(other.get(), 1.0f);
    QVERIFY(waited.wait_for(std::chrono::seconds(0)) != std::future_status::ready);
    controller_->stop(std::string("sfx.endless"));
    QVERIFY(Served(waited));
}

// The whole road: an effect of the change log, played by a client thread,
// heard on the null sink, with its row appearing, progressing and going.
void TestSfxMediation::changeLogEffectPlaysThroughAClient()
{
    const std::string eventId = show_->Add("bell", "Church bell");
    QSignalSpy inserted(list_.get(), &QAbstractItemModel::rowsInserted);
    QSignalSpy removed(list_.get(), &QAbstractItemModel::rowsRemoved);
    const std::set<int> before = vand::test::OurSinkInputs();
    auto played = OnClient([eventId] {
        SfxPlayerConnectionMediator::instance()->onSoundEffectsChanged();
        SfxRepository* store = nullptr;
        std::promise<SfxRepository*> asked;
        std::future<SfxRepository*> answer = asked.get_future();
        SfxPlayerConnectionMediator::instance()->onActiveSfxRepositoryRequested(&asked);
        store = answer.get();
        const SfxDto record = store->GetById(eventId).value();
        std::unique_ptr<SfxPlayerInterface> player(vand::audio::sfx::GetSfxPlayer(record));
        player->Play(0.0);
        return !player->Done();
    });
    QVERIFY(Served(played));
    QVERIFY(played.get());
    QTRY_COMPARE_WITH_TIMEOUT(inserted.count(), 1, 10000);
    QCOMPARE(list_->rowCount(), 1);
    const QModelIndex row = list_->index(0);
    QCOMPARE(row.data(ActiveAudioListModel::NameRole).toString(), QString("Church bell"));
    QVERIFY(row.data(ActiveAudioListModel::IsPlayingRole).toBool());
    const int input = vand::test::NewSinkInput(before);
    QVERIFY(input >= 0);
    const vand::test::Loudness heard = vand::test::Listen(input, 44100 / 4);
    QVERIFY2(heard.first > 0.01, qPrintable(QString::number(heard.first)));
    QTRY_VERIFY_WITH_TIMEOUT(list_->index(0).data(ActiveAudioListModel::ProgressRole).toDouble() > 0.5, 10000);
    QTRY_COMPARE_WITH_TIMEOUT(removed.count(), 1, 10000);
    QCOMPARE(list_->rowCount(), 0);
}

void TestSfxMediation::movedFromFacade()
{
    auto thrown = OnClient([] {
        SfxPlayer a(Effect("bell", "sfx.moved"));
        SfxPlayer b(std::move(a));
        return std::make_pair(Thrown([&] { a.Done(); }), b.Done());
    });
    QVERIFY(Served(thrown));
    const auto [text, done] = thrown.get();
    QCOMPARE(text, std::string("SfxException: No SFX Implementation Available"));
    QVERIFY(done);
}

QTEST_GUILESS_MAIN(TestSfxMediation)
#include "tst_sfx_mediation.moc"
