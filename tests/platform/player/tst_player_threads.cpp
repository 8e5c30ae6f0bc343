// The engine on its real thread (the silent null clock): calls back into the
// engine from its callbacks, queries from other threads, start-up failures,
// shutdown while playing. Waits are on conditions, never on time.

#include <atomic>
#include <future>
#include <thread>

#include <QTest>

#include "PlayerFixture.h"
#include "engine/Transport.h"
#include "kit/Log.h"
#include "vand_pelorin/PulseClock.h"

using namespace player_test;
using namespace std::chrono_literals;

namespace {

// An engine on the silent null clock (a real thread).
std::unique_ptr<vand::Pelorin2AudioInterface> RealEngine(const Fixture& f,
                                                         std::shared_ptr<vand::PlayerOscCallback> osc = nullptr) {
  vand::player::EngineOptions options;
  options.clock = std::make_shared<vand::player::NullClock>();
  auto engine =
      std::make_unique<vand::Pelorin2AudioInterface>(f.showFolder.string(), f.dataFolder.string(), osc, options);
  engine->ThrowIfThreadExceptions();
  return engine;
}

// Calls back into the engine from ExecuteEvent, as the application's sender does.
class ReenteringOsc final : public vand::PlayerOscCallback {
 public:
  void ExecuteEvent(const CL::Osc& osc, unsigned) override {
    const Interface* e = engine.load();
    if (!e) return;
    port = e->GetNetwork(osc.osc_properties().NetworkId()).Port;
    playing = e->GetIsPlaying();
    thread = std::this_thread::get_id();
    done.set_value();
  }
  void EnqueueEvent(const CL::Osc&, unsigned) override {}
  void SetDefaultPort(std::uint16_t) override {}

  std::atomic<const Interface*> engine{nullptr};
  int port = 0;
  bool playing = false;
  std::thread::id thread;
  std::promise<void> done;
};

class FailingClock final : public vand::player::OutputClock {
 public:
  explicit FailingClock(bool onThread) : onThread_(onThread) {}
  ~FailingClock() override { Stop(); }
  void Start(vand::player::BlockSink& sink, int) override {
    if (!onThread_) throw std::runtime_error("no output could be opened");
    thread_ = std::thread(
        [&sink] { sink.OnClockFailure(std::make_exception_ptr(std::runtime_error("the output thread failed"))); });
  }
  void Stop() override {
    if (thread_.joinable()) thread_.join();
  }
  void Wake() override {}
  std::int64_t BlockFrames() const override { return 480; }

 private:
  bool onThread_;
  std::thread thread_;
};

}  // namespace

class TstPlayerThreads : public QObject {
  Q_OBJECT

 private slots:
  void playsOnTheSilentClock();
  void playsSilentlyWithoutASoundServer();
  void oscCallbackReentersTheEngine();
  void queriesFromAnotherThreadWhilePlaying();
  void volumeSetIsNotOverwritten();
  void stopFromFadeCompletionOnTheEngineThread();
  void startupFailures_data();
  void startupFailures();
  void destroyWhilePlaying();
  void destroyedFromItsOwnCallback();
  void silentClockOutlivesAFailedBlock();
};

void TstPlayerThreads::playsOnTheSilentClock() {
  Fixture f(SimpleShow({SimpleSong("1", 60)}));
  EventRecorder rec;
  auto engine = RealEngine(f);
  QVERIFY(WaitFor([&] { return !EventRecorder::Of(rec.Snapshot(), PlayerEvent::SongLoaded).empty(); }));
  engine->Play();
  QVERIFY(WaitFor([&] { return engine->GetTickIndex() >= 200; }));
  QVERIFY(engine->GetIsPlaying());
  engine->Pause(false);
  QVERIFY(WaitFor([&] { return engine->GetIsPaused(); }));
  const UInt32 paused = engine->GetTickIndex();
  engine->Play();
  QVERIFY(WaitFor([&] { return engine->GetTickIndex() > paused; }));
  auto heads = EventRecorder::Values(rec.Snapshot(), PlayerEvent::Playhead);
  QVERIFY(std::is_sorted(heads.begin(), heads.end()));
}

// No sound server: the sound clock says so once and plays on silently in
// real time; choosing a device finds none and changes nothing.
void TstPlayerThreads::playsSilentlyWithoutASoundServer() {
  Fixture f(SimpleShow({SimpleSong("1", 60)}));
  std::vector<std::string> warnings;
  std::mutex mutex;
  kit::SetLogSink([&](kit::LogLevel level, std::string_view, std::string_view text) {
    std::lock_guard lock(mutex);
    if (level == kit::LogLevel::Warning) warnings.emplace_back(text);
  });
  vand::player::PulseClock::Settings settings;
  settings.server = "unix:" + (f.dataFolder / "no-server" / "native").string();
  auto clock = std::make_shared<vand::player::PulseClock>(settings);
  vand::player::EngineOptions options;
  options.clock = clock;
  auto engine =
      std::make_unique<vand::Pelorin2AudioInterface>(f.showFolder.string(), f.dataFolder.string(), nullptr, options);
  engine->ThrowIfThreadExceptions();
  QVERIFY(clock->GetStats().silent);
  engine->Play();
  QVERIFY(WaitFor([&] { return engine->GetTickIndex() >= 200; }));
  QVERIFY(engine->GetIsPlaying());
  {
    std::lock_guard lock(mutex);
    QCOMPARE(warnings.size(), std::size_t(1));
    QVERIFY2(warnings[0].find("playback goes on silently") != std::string::npos, warnings[0].c_str());
  }
  engine->SetOutputDeviceUid("card");
  QCOMPARE(engine->GetOutputDeviceUid(), std::string());
  const UInt32 tick = engine->GetTickIndex();
  QVERIFY(WaitFor([&] { return engine->GetTickIndex() > tick + 100; }));
  engine.reset();
  kit::SetLogSink({});
  QCOMPARE(warnings.size(), std::size_t(2));  // the device could not be opened either
}

void TstPlayerThreads::oscCallbackReentersTheEngine() {
  CL::ChangeLog log;
  log.SetNetworks({CL::NetworkPath("NET0", "Lights", "10.0.0.5", 9000)});
  log.GetOrCreateSongLog("1").Add(CL::Osc(300, "S1", CL::OscProperties("/go", "NET0")));
  Fixture f(SimpleShow({SimpleSong("1", 60)}), &log);
  auto osc = std::make_shared<ReenteringOsc>();
  auto future = osc->done.get_future();
  auto engine = RealEngine(f, osc);
  osc->engine.store(engine.get());
  engine->DoOscProcessing(true);
  engine->Play();
  QCOMPARE(future.wait_for(kPatience), std::future_status::ready);
  QCOMPARE(osc->port, 9000);
  QVERIFY(osc->playing);
  QVERIFY(osc->thread != std::this_thread::get_id());
  osc->engine.store(nullptr);
}

void TstPlayerThreads::queriesFromAnotherThreadWhilePlaying() {
  CL::ChangeLog log;
  log.SetNetworks({CL::NetworkPath("NET0", "Lights", "10.0.0.5", 9000)});
  Fixture f(SimpleShow({SimpleSong("1", 60), SimpleSong("2", 60)}), &log);
  auto engine = RealEngine(f);
  engine->Play();
  QVERIFY(WaitFor([&] { return engine->GetIsPlaying(); }));
  std::atomic<bool> stop{false};
  std::atomic<int> bad{0};
  std::thread reader([&] {
    while (!stop.load()) {
      const int port = engine->GetNetwork("NET0").Port;
      if (port != 9000 && port != 9001) ++bad;
      const std::string song = engine->GetCurrentSongNumber();
      if (song != "1" && song != "2") ++bad;
      (void)engine->GetIsPlaying();
      (void)engine->GetTickIndex();
    }
  });
  // Meanwhile the GUI side replaces the destinations and switches songs.
  for (int i = 0; i < 50; ++i) {
    engine->GetChangeLogEditor()->UpdateNetworks({CL::NetworkPath("NET0", "Lights", "10.0.0.5", 9000 + i % 2)});
    engine->LoadNewChangeLog();
    engine->LoadSong(i % 2 ? "1" : "2");
    engine->Play();
  }
  stop.store(true);
  reader.join();
  QCOMPARE(bad.load(), 0);
}

// GetVolume right after SetVolume gives the new volume, even while the engine
// thread publishes its state for other commands (it used to publish its older
// volume over it until it reached the SetVolume command).
void TstPlayerThreads::volumeSetIsNotOverwritten() {
  Fixture f(SimpleShow({SimpleSong("1", 60)}));
  auto engine = RealEngine(f);
  engine->Play();
  QVERIFY(WaitFor([&] { return engine->GetIsPlaying(); }));
  std::atomic<bool> stop{false};
  std::thread seeker([&] {
    // Every command wakes the engine thread, which then publishes its state.
    for (UInt32 tick = 0; !stop.load(); tick = (tick + 500) % 100000) engine->Seek(tick);
  });
  int stale = 0;
  for (int i = 0; i < 3000; ++i) {
    const double volume = (i % 100) / 100.0 + 0.005;
    engine->SetVolume(volume);
    if (engine->GetVolume() != volume) ++stale;
  }
  stop.store(true);
  seeker.join();
  QCOMPARE(stale, 0);
}

void TstPlayerThreads::stopFromFadeCompletionOnTheEngineThread() {
  Fixture f(SimpleShow({SimpleSong("1", 60)}));
  auto engine = RealEngine(f);
  engine->Play();
  QVERIFY(WaitFor([&] { return engine->GetIsPlaying(); }));
  std::promise<std::thread::id> ran;
  auto future = ran.get_future();
  auto* e = engine.get();
  engine->Fade(
      [e, &ran] {
        e->Stop();  // queues only: no deadlock on the engine's own thread
        ran.set_value(std::this_thread::get_id());
      },
      0.05f);
  QCOMPARE(future.wait_for(kPatience), std::future_status::ready);
  QVERIFY(future.get() != std::this_thread::get_id());
  QVERIFY(WaitFor([&] { return engine->IsStopped(); }));
  QCOMPARE(engine->GetTickIndex(), 0u);
}

void TstPlayerThreads::startupFailures_data() {
  QTest::addColumn<bool>("onThread");
  QTest::addColumn<QString>("message");
  QTest::newRow("start throws") << false << "no output could be opened";
  QTest::newRow("thread fails") << true << "the output thread failed";
}

void TstPlayerThreads::startupFailures() {
  QFETCH(bool, onThread);
  QFETCH(QString, message);
  Fixture f(SimpleShow({SimpleSong("1", 2)}));
  vand::player::EngineOptions options;
  options.clock = std::make_shared<FailingClock>(onThread);
  vand::Pelorin2AudioInterface engine(f.showFolder.string(), f.dataFolder.string(), nullptr, options);
  try {
    engine.ThrowIfThreadExceptions();
    QFAIL("no exception");
  } catch (const std::runtime_error& e) {
    QCOMPARE(QString(e.what()), message);
  }
  engine.ThrowIfThreadExceptions();  // once only
}

// Once the engine is gone no callback runs: none is still running when
// reset() returns, and none starts in the two playhead periods after it (a
// clock of the same kind measures them, so the wait is on a condition).
void TstPlayerThreads::destroyWhilePlaying() {
  Fixture f(SimpleShow({SimpleSong("1", 60)}));
  struct Watch {
    std::atomic<bool> destroyed{false};
    std::atomic<int> running{0};
    std::atomic<int> calls{0};
    std::atomic<int> late{0};
  } watch;
  notify::EventObserver observer;
  observer.SetCallbackFunc(
      [](int, int, const char*, void* context) {
        auto* w = static_cast<Watch*>(context);
        ++w->running;
        ++w->calls;
        if (w->destroyed.load()) ++w->late;
        --w->running;
      },
      &watch);
  observer.Register(PlayerEvent::Playhead, 0);
  observer.Register(PlayerEvent::PlaybackStopped, 1);
  auto engine = RealEngine(f);
  engine->Play();
  QVERIFY(WaitFor([&] { return engine->GetTickIndex() > 100; }));
  QVERIFY(watch.calls.load() > 0);  // the watch sees the playhead while playing

  engine.reset();
  watch.destroyed.store(true);
  QCOMPARE(watch.running.load(), 0);

  struct Witness final : vand::player::BlockSink {
    std::atomic<std::int64_t> frames{0};
    void RunBlock(std::int64_t n) override { frames += n; }
    void OnClockFailure(std::exception_ptr) override {}
  } witness;
  constexpr int kRate = 48000;
  const auto twoPeriods = static_cast<std::int64_t>(2 * vand::player::Transport::kPlayheadPeriodMs * kRate / 1000);
  vand::player::NullClock clock;
  clock.Start(witness, kRate);
  QVERIFY(WaitFor([&] { return witness.frames.load() > twoPeriods; }));
  clock.Stop();
  QCOMPARE(watch.late.load(), 0);
}

void TstPlayerThreads::destroyedFromItsOwnCallback() {
  Fixture f(SimpleShow({SimpleSong("1", 60)}));
  auto holder = std::make_shared<std::unique_ptr<vand::Pelorin2AudioInterface>>(RealEngine(f));
  (*holder)->Play();
  QVERIFY(WaitFor([&] { return (*holder)->GetIsPlaying(); }));
  std::promise<std::thread::id> done;
  auto future = done.get_future();
  // The last owner lets go on the engine thread, inside a fade completion.
  (*holder)->Fade(
      [holder, &done] {
        holder->reset();
        done.set_value(std::this_thread::get_id());
      },
      0.3f);  // long enough for this thread to be out of Fade when it ends
  QCOMPARE(future.wait_for(kPatience), std::future_status::ready);
  QVERIFY(future.get() != std::this_thread::get_id());
  QVERIFY(!*holder);
}

void TstPlayerThreads::silentClockOutlivesAFailedBlock() {
  // A sink whose second block throws: the clock reports it and keeps running.
  struct Sink final : vand::player::BlockSink {
    std::atomic<int> blocks{0};
    std::atomic<int> failures{0};
    void RunBlock(std::int64_t) override {
      if (++blocks == 2) throw std::runtime_error("block failed");
    }
    void OnClockFailure(std::exception_ptr) override { ++failures; }
  } sink;
  vand::player::NullClock clock;
  clock.Start(sink, 48000);
  QVERIFY(WaitFor([&] { return sink.blocks.load() >= 5; }));
  clock.Stop();
  QCOMPARE(sink.failures.load(), 1);
}

QTEST_MAIN(TstPlayerThreads)
#include "tst_player_threads.moc"
