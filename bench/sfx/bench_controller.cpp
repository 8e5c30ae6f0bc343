// The player controller (run on demand):
//   1. Play through the exported player on a client thread to the run's first
//      pulled frame (the first chunk its audio sink reads): median/p95/max
//      over N plays, idle and beside 15 voices; the first play of an effect
//      whose file has just begun loading against later plays;
//   2. the controller's thread with 500 players and 16 sounding for S
//      seconds: progress deliveries per second and the thread's busy share
//      (its CPU time / wall time);
//   3. threads and resident memory after 100 reloads and 100 custom plays,
//      against a warmed-up start.
//
//   bench_controller [--plays N] [--seconds S]
// Needs a sound server: on a desktop its own; elsewhere
//   eval "$(scripts/start-audio build-bench)"; export PULSE_SERVER

#include <QAudioDevice>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QMediaDevices>
#include <QTemporaryDir>

#include "AudioFixtures.h"
#include "BenchClock.h"
#include "ProcessMemory.h"
#include "SfxShow.h"
#include "sfx/ActiveAudioListModel.h"
#include "sfx/SfxPlayer.h"
#include "sfx/SfxPlayerControllerImpl.h"
#include "sfx/SfxPlayerImpl.h"

#include <atomic>
#include <cstdio>
#include <filesystem>
#include <future>
#include <iostream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace {

using vand::audio::SfxPlayer;
using vand::audio::SfxPlayerControllerImpl;
using vand::audio::SfxPlayerImpl;
using vand::audio::sfx::SfxDto;
using vand::bench::Clock;
using vand::bench::ms;
using vand::bench::runFor;
using vand::bench::statsOf;
using vand::sfx::ActiveAudioListModel;

constexpr int kFreshEffects = 40;

int threadCount()
{
    int n = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator("/proc/self/task"))
        ++n;
    return n;
}

// The demo catalogue, plus copies of the bell under their own ids
// ("fresh0", ...), so that each can be loaded for the first time.
struct Catalogue
{
    QTemporaryDir dir;

    Catalogue()
    {
        vand::test::InstallDemoCatalogue(dir);
        const std::filesystem::path folder = dir.filePath("share/vand_data/sfx").toStdString();
        std::string fresh;
        for (int i = 0; i < kFreshEffects; ++i) {
            const std::string name = "fresh" + std::to_string(i);
            std::filesystem::copy_file(folder / "bell.sfx", folder / (name + ".sfx"));
            fresh += ", {\"id\": \"" + name + "\", \"name\": \"" + name + "\", \"path\": \"" + name + ".sfx\"}";
        }
        QFile manifest(QString::fromStdString((folder / "manifest.json").string()));
        manifest.open(QIODevice::WriteOnly);
        manifest.write(QByteArray::fromStdString(
            R"({"metadata": {"version": "1.1"}, "sfx": [{"id": "bell", "name": "Bell", "path": "bell.sfx"}, )"
            R"({"id": "knock", "name": "Knock", "path": "knock.sfx"}, {"id": "chime", "name": "Chime", )"
            R"("path": "chime.sfx"})"
            + fresh + R"(], "ambient": [{"id": "rain", "name": "Rain", "path": "ambient/rain.sfx"}]})"));
    }
};

// When the run of one player first pulls audio; armed before each play.
struct FirstPull
{
    std::atomic<bool> pulled{false};
    std::atomic<Clock::rep> at{0};

    void hook(SfxPlayerImpl* player)
    {
        QObject::connect(
            player, &SfxPlayerImpl::progress, player,
            [this] {
                if (!pulled.exchange(true))
                    at = Clock::now().time_since_epoch().count();
            },
            Qt::DirectConnection);
    }
};

// On a client thread: plays `record` through a new exported player `plays`
// times, from Play to the first pulled frame, and returns the timings.
std::future<std::vector<double>> clientPlays(SfxPlayerControllerImpl* controller, SfxDto record, int plays)
{
    return std::async(std::launch::async, [controller, record, plays] {
        std::vector<double> timings;
        SfxPlayer player(record);
        FirstPull probe;
        // Queued before the first play, so the hook is in place when it runs.
        QMetaObject::invokeMethod(
            controller,
            [controller, &probe, eventId = record.eventId()] {
                probe.hook(dynamic_cast<SfxPlayerImpl*>(*controller->GetPlayer(eventId)));
            },
            Qt::QueuedConnection);
        for (int i = 0; i < plays; ++i) {
            probe.pulled = false;
            const auto t0 = Clock::now();
            player.Play(0.0);
            const auto deadline = t0 + std::chrono::seconds(5);
            while (!probe.pulled && Clock::now() < deadline)
                std::this_thread::sleep_for(std::chrono::microseconds(200));
            if (probe.pulled)
                timings.push_back(ms(Clock::time_point(Clock::duration(probe.at.load())) - t0));
            player.Stop(true);
            while (!player.Done())
                std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
        return timings;
    });
}

template <class T>
T served(std::future<T> result)
{
    runFor(600000, [&] { return result.wait_for(std::chrono::seconds(0)) == std::future_status::ready; });
    return result.get();
}

void printStats(const char* what, const std::vector<double>& timings, int asked)
{
    const vand::bench::Stats s = statsOf(timings);
    std::printf("%s (%zu of %d): median %.1f ms, p95 %.1f, max %.1f\n", what, timings.size(), asked, s.median, s.p95,
                s.max);
}

void latency(vand::test::SfxShow& show, int plays)
{
    const SfxDto knock = SfxDto::builder().name("probe").effectId("knock").eventId("bench.probe").build();
    // Loads the knock first, so that these plays find it ready.
    served(clientPlays(show.Controller(), knock, 1));
    printStats("play to first pulled frame, idle", served(clientPlays(show.Controller(), knock, plays)), plays);

    for (int i = 0; i < 15; ++i)
        show.Controller()->play(show.Add("rain", "rain", -1, 0.05f));
    runFor(1000);
    printStats("play to first pulled frame, beside 15 voices", served(clientPlays(show.Controller(), knock, plays)),
               plays);
    show.Clear();

    std::vector<double> first, later;
    for (int i = 0; i < std::min(plays, kFreshEffects); ++i) {
        const std::string id = "fresh" + std::to_string(i);
        const std::vector<double> t = served(
            clientPlays(show.Controller(), SfxDto::builder().name(id).effectId(id).eventId("bench." + id).build(), 2));
        if (t.size() == 2) {
            first.push_back(t[0]);
            later.push_back(t[1]);
        }
    }
    printStats("first play of an effect still loading", first, std::min(plays, kFreshEffects));
    printStats("second play of the same effect", later, std::min(plays, kFreshEffects));
    show.Clear();
}

void busyController(vand::test::SfxShow& show, double seconds)
{
    std::vector<std::string> sounding;
    for (int i = 0; i < 500; ++i) {
        const char* effect = i % 3 == 0 ? "knock" : i % 3 == 1 ? "chime" : "bell";
        const std::string eventId = show.Add(i < 16 ? "bell" : effect, effect, i < 16 ? 1000 : 0, 0.05f);
        if (i < 16)
            sounding.push_back(eventId);
    }
    show.Controller()->onSoundEffectsChanged();
    const auto list = show.Controller()->getActiveAudioList();
    runFor(5000, [&] { return show.Controller()->GetPlayer(sounding.back()).has_value(); });
    for (const std::string& eventId : sounding)
        show.Controller()->play(eventId);
    runFor(10000, [&] { return list->rowCount() == 16; });
    runFor(1000);
    std::atomic<long> deliveries{0};
    const auto counting = QObject::connect(list.get(), &QAbstractItemModel::dataChanged, list.get(),
                                           [&](const QModelIndex&, const QModelIndex&, const QList<int>& roles) {
                                               if (roles.contains(ActiveAudioListModel::ProgressRole))
                                                   ++deliveries;
                                           });
    const double cpu0 = vand::bench::cpuSeconds(RUSAGE_THREAD);
    const auto t0 = Clock::now();
    QEventLoop loop;
    QTimer::singleShot(int(seconds * 1000), Qt::PreciseTimer, &loop, &QEventLoop::quit);
    loop.exec();
    const double wall = std::chrono::duration<double>(Clock::now() - t0).count();
    const double cpu = vand::bench::cpuSeconds(RUSAGE_THREAD) - cpu0;
    QObject::disconnect(counting);
    std::printf("controller with 500 players, %d sounding, %.1f s: %.0f progress deliveries/s, thread busy %.2f %%\n",
                list->rowCount(), wall, double(deliveries) / wall, 100.0 * cpu / wall);
    show.Clear();
}

void growth(vand::test::SfxShow& show, const QString& wav, int rounds)
{
    const std::string cue = show.Add("bell", "cue");
    const auto list = show.Controller()->getActiveAudioList();
    const auto round = [&](int i) {
        // A changed effect makes a new player and prunes the old one; the
        // custom player of the last round is pruned too.
        show.Update(cue, [i](SfxDto& record) { record.setEffectId(i % 2 ? "knock" : "bell"); });
        show.Controller()->onSoundEffectsChanged();
        show.Controller()->play(vand::audio::CustomAudioParameters::builder()
                                    .name("door")
                                    .file(wav)
                                    .volume(i % 2 ? 0.1 : 0.2)
                                    .pan(0.5)
                                    .build());
        runFor(5000, [&] { return list->rowCount() == 1; });
        runFor(5000, [&] { return list->rowCount() == 0; });
    };
    std::ostringstream quiet;
    auto* previous = std::cout.rdbuf(quiet.rdbuf());
    for (int i = 0; i < 10; ++i)
        round(i);
    const int threads0 = threadCount();
    const long rss0 = vand::bench::ResidentKb();
    for (int i = 0; i < rounds; ++i)
        round(i);
    std::cout.rdbuf(previous);
    std::printf("after %d reloads and %d custom plays: threads %d -> %d, resident %ld -> %ld KiB\n", rounds, rounds,
                threads0, threadCount(), rss0, vand::bench::ResidentKb());
    show.Clear();
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    int plays = 50;
    double seconds = 10.0;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--plays" && i + 1 < argc)
            plays = std::max(1, std::atoi(argv[++i]));
        else if (arg == "--seconds" && i + 1 < argc)
            seconds = std::max(1.0, std::atof(argv[++i]));
        else {
            std::fprintf(stderr, "usage: bench_controller [--plays N] [--seconds S]\n");
            return 2;
        }
    }
    if (QMediaDevices::audioOutputs().isEmpty()) {
        std::fprintf(stderr, "bench_controller: no audio output; is a sound server running (PULSE_SERVER)?\n");
        return 2;
    }
    Catalogue catalogue;
    const QString wav = catalogue.dir.filePath("door.wav");
    QFile file(wav);
    file.open(QIODevice::WriteOnly);
    file.write(QByteArray::fromStdString(
        vand_audio::fixtures::Sine(vand_audio::SoundFileFormat::Wav16, 48000, 2, 0.2, 330.0, 0.3)));
    file.close();

    vand::test::SfxShow show;
    latency(show, plays);
    busyController(show, seconds);
    growth(show, wav, 100);
    return 0;
}
