// MIDI benchmarks (run on demand):
//   1. latency from a message at the backend's handler to the engine starting
//      playback (the PlaybackStarted event of the block that applied it; MIDI
//      commands reach the transport inside the engine, not through Play):
//      through a source fed by hand, and through a virtual ALSA port where a
//      sequencer opens;
//   2. a fader: 10 000 control-change messages sent as fast as possible into
//      the product's engine under the main window, which flashes the MIDI lamp
//      for each (event 18): messages handled and dropped (the engine's queue
//      holds at most 10 000), resident memory before and after three rounds,
//      and the longest gap between ticks of a 1 ms timer on the GUI thread.
//
// Run offscreen: QT_QPA_PLATFORM=offscreen bench_midi

#include <RtMidi.h>

#include <QGuiApplication>
#include <QQmlApplicationEngine>
#include <QQuickStyle>
#include <QTimer>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "../../tests/app/AppFixture.h"
#include "ProcessMemory.h"
#include "app/AppQmlEngineSetup.h"
#include "app/MusicalMainController.h"
#include "notify/EventObserver.h"
#include "vand_midi/RtMidiBackend.h"

namespace {

using Clock = std::chrono::steady_clock;
using notify::PlayerEvent;

constexpr int kRounds = 300;
constexpr int kFader = 10000;
constexpr auto kWait = std::chrono::seconds(5);

double Us(Clock::duration d)
{
    return std::chrono::duration<double, std::micro>(d).count();
}

void PrintPercentiles(const char* what, std::vector<double> us)
{
    if (us.empty()) {
        std::printf("   %-28s no samples\n", what);
        return;
    }
    std::sort(us.begin(), us.end());
    const auto at = [&](double q) { return us[std::min(us.size() - 1, static_cast<std::size_t>(q * us.size()))]; };
    std::printf("   %-28s p50 %8.1f us   p99 %8.1f us   max %8.1f us   (%zu)\n", what, at(0.5), at(0.99), us.back(),
                us.size());
}

// Waits for the engine's transport events, stamped on the engine's thread.
class TransportWatch
{
public:
    TransportWatch()
    {
        observer_.SetCallbackFunc(&TransportWatch::OnEvent, this);
        observer_.Register(PlayerEvent::PlaybackStarted, int(PlayerEvent::PlaybackStarted));
        observer_.Register(PlayerEvent::PlaybackStopped, int(PlayerEvent::PlaybackStopped));
    }

    void Reset()
    {
        std::lock_guard lock(mutex_);
        started_.reset();
        stopped_ = false;
    }
    std::optional<Clock::time_point> WaitStarted()
    {
        std::unique_lock lock(mutex_);
        cv_.wait_for(lock, kWait, [&] { return started_.has_value(); });
        return started_;
    }
    bool WaitStopped()
    {
        std::unique_lock lock(mutex_);
        return cv_.wait_for(lock, kWait, [&] { return stopped_; });
    }

private:
    static void OnEvent(int id, int, const char*, void* self)
    {
        auto* watch = static_cast<TransportWatch*>(self);
        const auto now = Clock::now();
        std::lock_guard lock(watch->mutex_);
        if (id == int(PlayerEvent::PlaybackStarted))
            watch->started_ = now;
        else
            watch->stopped_ = true;
        watch->cv_.notify_all();
    }

    notify::EventObserver observer_;
    std::mutex mutex_;
    std::condition_variable cv_;
    std::optional<Clock::time_point> started_;
    bool stopped_ = false;
};

// The product's engine on its real-time clock with the given input.
std::unique_ptr<vand::Pelorin2AudioInterface> MakeEngine(const app_test::DataFolder& folder,
                                                         std::shared_ptr<vand::player::MidiBackend> midi)
{
    vand::player::EngineOptions options;
    options.midi = std::move(midi);
    auto engine =
        std::make_unique<vand::Pelorin2AudioInterface>(folder.show.string(), folder.data.string(), nullptr, options);
    engine->ThrowIfThreadExceptions();
    engine->SetMidiCommand(0, 0x90, 0, 60); // Play
    engine->SetMidiCommand(2, 0x90, 0, 61); // Stop
    return engine;
}

// Sends note 60 (Play) and note 61 (Stop) kRounds times; the time from each
// send to the engine's start of playback.
std::vector<double> PlayLatencies(vand::Pelorin2AudioInterface& engine, const std::function<void(int note)>& send)
{
    TransportWatch watch;
    std::vector<double> samples;
    for (int i = 0; i < kRounds; ++i) {
        watch.Reset();
        const auto sent = Clock::now();
        send(60);
        const auto started = watch.WaitStarted();
        if (!started)
            break;
        samples.push_back(Us(*started - sent));
        send(61);
        if (!watch.WaitStopped())
            break;
    }
    (void)engine;
    return samples;
}

void BenchLatency(const app_test::DataFolder& folder)
{
    std::printf("1. latency, message at the backend's handler -> PlaybackStarted (%d rounds):\n", kRounds);
    {
        auto midi = std::make_shared<app_test::FakeMidi>();
        midi->sources = {{"Keys", "20:0"}};
        auto engine = MakeEngine(folder, midi);
        engine->SetMidiSource(0);
        PrintPercentiles("source fed by hand", PlayLatencies(*engine, [&](int note) {
                             midi->Send({0x90, static_cast<std::uint8_t>(note), 100});
                         }));
        engine->Shutdown();
    }
    auto backend = std::make_shared<vand::midi::RtMidiBackend>("vand bench input");
    if (!backend->Available()) {
        std::printf("   %-28s skipped: no ALSA sequencer\n", "virtual ALSA port");
        return;
    }
    RtMidiOut keys(RtMidi::LINUX_ALSA, "vand bench keys");
    keys.openVirtualPort("Keys");
    auto engine = MakeEngine(folder, backend);
    const auto sources = engine->GetMidiSources();
    const auto found = std::find_if(sources.begin(), sources.end(),
                                    [](const MidiEndPoint& s) { return s.GetSourceName() == "vand bench keys:Keys"; });
    if (found == sources.end()) {
        std::printf("   %-28s the virtual port is not listed\n", "virtual ALSA port");
        return;
    }
    engine->SetMidiSource(int(found - sources.begin()));
    PrintPercentiles("virtual ALSA port", PlayLatencies(*engine, [&](int note) {
                         const std::vector<unsigned char> message{0x90, static_cast<unsigned char>(note), 100};
                         keys.sendMessage(&message);
                     }));
    engine->Shutdown();
}

// The product's engine with a source fed by hand.
class BenchFactory : public vand::qt::PelorinPlayerFactory
{
public:
    std::shared_ptr<app_test::FakeMidi> midi = std::make_shared<app_test::FakeMidi>();
    std::unique_ptr<AudioInterface> CreateAudioInterface(const QString& showFolder,
                                                         std::shared_ptr<vand::PlayerOscCallback> osc) override
    {
        vand::player::EngineOptions options;
        options.midi = midi;
        auto engine = std::make_unique<vand::Pelorin2AudioInterface>(
            showFolder.toStdString(), DataFolderPath().toStdString(), std::move(osc), options);
        engine->ThrowIfThreadExceptions();
        return engine;
    }
};

// Counts the lamp's events as the engine raises them.
std::atomic<int> g_notices{0};
void OnNotice(int, int, const char*, void*)
{
    g_notices.fetch_add(1, std::memory_order_relaxed);
}

void BenchFader()
{
    std::printf("2. a fader: %d control changes into the engine under the main window:\n", kFader);
    QQmlApplicationEngine qml;
    vand::qt::PrepareAppQmlEngine(qml);
    BenchFactory factory;
    factory.midi->sources = {{"Desk", "24:0"}};
    vand::qt::MusicalMainController controller(&qml, &factory);
    controller.GetPlayer()->SetMidiSource(0);
    notify::EventObserver observer;
    observer.SetCallbackFunc(&OnNotice, nullptr);
    observer.Register(PlayerEvent::MidiNotification, int(PlayerEvent::MidiNotification));
    QCoreApplication::processEvents();

    for (int round = 1; round <= 3; ++round) {
        g_notices = 0;
        const long before = vand::bench::ResidentKb();
        double longestGapMs = 0;
        auto lastTick = Clock::now();
        QTimer tick;
        tick.setInterval(1);
        QObject::connect(&tick, &QTimer::timeout, [&] {
            const auto now = Clock::now();
            longestGapMs = std::max(longestGapMs, std::chrono::duration<double, std::milli>(now - lastTick).count());
            lastTick = now;
        });
        tick.start();
        const auto start = Clock::now();
        std::thread fader([&] {
            for (int i = 0; i < kFader; ++i)
                factory.midi->Send({0xB0, 7, static_cast<std::uint8_t>(i % 128)});
        });
        // Until the engine has raised its events and the GUI has applied them.
        int seen = -1;
        auto quiet = Clock::now();
        while (Clock::now() - start < std::chrono::seconds(20)) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
            const int now = g_notices.load();
            if (now != seen) {
                seen = now;
                quiet = Clock::now();
            } else if (Clock::now() - quiet > std::chrono::milliseconds(300)) {
                break;
            }
        }
        fader.join();
        QCoreApplication::sendPostedEvents();
        tick.stop();
        const long after = vand::bench::ResidentKb();
        std::printf("   round %d: handled %d, dropped %d, rss %ld -> %ld kB, longest 1 ms timer gap %.1f ms\n", round,
                    g_notices.load(), kFader - g_notices.load(), before, after, longestGapMs);
    }
}

} // namespace

int main(int argc, char** argv)
{
    QQuickStyle::setStyle(QStringLiteral("Basic"));
    QGuiApplication app(argc, argv);
    app_test::DataFolder folder;
    BenchLatency(folder);
    BenchFader();
    return 0;
}
