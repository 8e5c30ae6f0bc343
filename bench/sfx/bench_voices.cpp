// Sound-effect voices (run on demand; exit status 1 when the output ran dry):
//   1. N endless effects at once (mixed rates, pans 0.1 to 0.9, reverb 0.3,
//      500 ms fade-in, a fade midway, fade-out stop) for S seconds: render
//      CPU share (process CPU time / wall time, % of one core) and underruns
//      (Qt's "Got a buffer underflow!" warnings, and the output running dry
//      while data was left);
//   2. start latency, Play to the first readData and to the first processed
//      frame, median/p95/max over 50 starts, idle and beside 15 voices;
//   3. readData with reverb and pan and no device, frames per second;
//   4. fade timing, planned against measured.
//
//   bench_voices [--voices N] [--seconds S] [--starts N] [--no-latency]
// With --voices 1 and a desktop's sound server the one voice can be heard.

#include <QCoreApplication>
#include <QTemporaryDir>
#include <QThreadPool>

#include "AudioFixtures.h"
#include "BenchClock.h"
#include "DemoSfx.h"
#include "sfx/PackagedVorbisFile.h"
#include "sfx/SfxAudioStream.h"
#include "sfx/SfxManifest.h"
#include "sfx/SfxPlayerImpl.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace {

using vand::audio::PackagedVorbisFile;
using vand::audio::SfxPlayerImpl;
using vand::audio::sfx::SfxDto;
using vand::bench::Clock;
using vand::bench::cpuSeconds;
using vand::bench::ms;
using vand::bench::runFor;
using vand::bench::Stats;
using vand::bench::statsOf;

std::atomic<int> g_qtUnderflows{0};
QtMessageHandler g_previousHandler = nullptr;

void countUnderflows(QtMsgType type, const QMessageLogContext& context, const QString& text)
{
    if (text.contains(QLatin1String("buffer underflow")))
        ++g_qtUnderflows;
    if (g_previousHandler)
        g_previousHandler(type, context, text);
}

struct Pools
{
    std::shared_ptr<QThreadPool> play = std::make_shared<QThreadPool>();
    std::shared_ptr<QThreadPool> fade = std::make_shared<QThreadPool>();
    std::shared_ptr<QThreadPool> stop = std::make_shared<QThreadPool>();
    Pools()
    {
        for (QThreadPool* pool : {play.get(), fade.get()}) {
            pool->setMaxThreadCount(16);
            pool->setThreadPriority(QThread::TimeCriticalPriority);
        }
    }
};

// A player with its runs' events counted and timed.
struct Voice
{
    std::unique_ptr<SfxPlayerImpl> player;
    std::atomic<int> underruns{0};
    std::atomic<int> finished{0};
    std::atomic<bool> firstRead{false};
    std::atomic<bool> firstFrame{false};
    std::mutex lock;
    Clock::time_point playedAt;
    Clock::time_point readAt;
    Clock::time_point frameAt;
    Clock::time_point lastLevelAt;

    Voice(const SfxDto& record, vand::audio::SfxFileInterface* file, const Pools& pools)
        : player(std::make_unique<SfxPlayerImpl>(record, pools.play, pools.stop, pools.fade))
    {
        player->SetFile(file);
        SfxPlayerImpl* p = player.get();
        QObject::connect(
            p, &SfxPlayerImpl::underrun, p, [this] { ++underruns; }, Qt::DirectConnection);
        QObject::connect(
            p, &SfxPlayerImpl::sfxFinished, p, [this] { ++finished; }, Qt::DirectConnection);
        QObject::connect(
            p, &SfxPlayerImpl::progress, p,
            [this] {
                if (!firstRead.exchange(true)) {
                    std::lock_guard guard(lock);
                    readAt = Clock::now();
                }
            },
            Qt::DirectConnection);
        QObject::connect(
            p, &SfxPlayerImpl::outputStarted, p,
            [this] {
                std::lock_guard guard(lock);
                frameAt = Clock::now();
                firstFrame = true;
            },
            Qt::DirectConnection);
        QObject::connect(
            p, &SfxPlayerImpl::levelChanged, p,
            [this] {
                std::lock_guard guard(lock);
                lastLevelAt = Clock::now();
            },
            Qt::DirectConnection);
    }
    void play()
    {
        firstRead = false;
        firstFrame = false;
        {
            std::lock_guard guard(lock);
            playedAt = Clock::now();
        }
        player->Play(0.0);
    }
};

struct Catalogue
{
    QTemporaryDir dir;
    std::vector<std::unique_ptr<PackagedVorbisFile>> files;
    std::vector<std::string> names;

    Catalogue()
    {
        qputenv("XDG_DATA_DIRS", dir.filePath("share").toUtf8());
        vand::demo::WriteDemoSfx(dir.filePath("share").toStdString());
        vand::sfx::SfxManifest manifest;
        std::vector<std::string> paths;
        for (const auto& effect : vand::demo::DemoEffects()) {
            paths.push_back(manifest.path(effect.id).value());
            names.push_back(effect.id + " (" + std::to_string(effect.sampleRate) + " Hz)");
        }
        // Two more rates beside the catalogue's 44.1 and 48 kHz.
        for (const auto& [rate, channels] : {std::pair{22050, 2}, std::pair{96000, 1}}) {
            const std::string path = dir.filePath(QString("tone%1.sfx").arg(rate)).toStdString();
            std::ofstream(path, std::ios::binary)
                << vand_audio::fixtures::Sine(vand_audio::SoundFileFormat::OggVorbis, rate, channels, 3.0, 330.0, 0.3);
            paths.push_back(path);
            names.push_back("tone (" + std::to_string(rate) + " Hz)");
        }
        for (const std::string& path : paths) {
            files.push_back(std::make_unique<PackagedVorbisFile>(path));
            runFor(10000, [&] { return files.back()->Duration() > 0; });
            if (files.back()->Duration() <= 0) {
                std::fprintf(stderr, "bench_voices: %s did not load\n", path.c_str());
                std::exit(2);
            }
        }
    }
};

SfxDto endless(int i, int voices, bool quiet)
{
    return SfxDto::builder()
        .name("voice " + std::to_string(i))
        .eventId("sfx.bench" + std::to_string(i))
        .repeats(-1)
        .pan(voices == 1 ? 0.5f : 0.1f + 0.8f * float(i) / float(voices - 1))
        .reverb(0.3f)
        .fadeIn(500)
        .fadeOut(500)
        .volume(quiet ? 0.05f : 0.8f / std::sqrt(float(voices)))
        .build();
}

int voicesRun(Catalogue& catalogue, const Pools& pools, int count, double seconds)
{
    std::vector<std::unique_ptr<Voice>> voices;
    for (int i = 0; i < count; ++i) {
        const std::size_t file = std::size_t(i) % catalogue.files.size();
        voices.push_back(std::make_unique<Voice>(endless(i, count, false), catalogue.files[file].get(), pools));
    }
    const int qtBefore = g_qtUnderflows;
    const double cpu0 = cpuSeconds();
    const auto t0 = Clock::now();
    for (auto& v : voices)
        v->play();
    runFor(int(seconds * 500));
    for (int i = 0; i < count; ++i)
        voices[i]->player->FadeTo(i % 2 ? 0.3f : 0.9f, 1000);
    runFor(int(seconds * 500));
    const double wall = std::chrono::duration<double>(Clock::now() - t0).count();
    const double cpu = cpuSeconds() - cpu0;
    const int qtUnderflows = g_qtUnderflows - qtBefore;
    int dry = 0;
    for (auto& v : voices)
        dry += v->underruns;
    for (auto& v : voices)
        v->player->Stop();
    runFor(5000,
           [&] { return std::all_of(voices.begin(), voices.end(), [](const auto& v) { return v->finished > 0; }); });
    int ended = 0;
    for (auto& v : voices)
        ended += v->finished > 0 ? 1 : 0;

    std::printf("voices: %d endless for %.1f s over", count, wall);
    for (int i = 0; i < std::min<int>(count, int(catalogue.names.size())); ++i)
        std::printf("%s %s", i ? "," : "", catalogue.names[std::size_t(i)].c_str());
    std::printf("\n");
    std::printf("render CPU: %.1f %% of one core (%.2f s CPU in %.2f s)\n", 100.0 * cpu / wall, cpu, wall);
    std::printf("underruns: %d (Qt underflow warnings %d, output dry while data was left %d)\n", qtUnderflows + dry,
                qtUnderflows, dry);
    std::printf("fade-out stop: %d of %d voices ended\n", ended, count);
    return qtUnderflows + dry + (count - ended);
}

void latency(Catalogue& catalogue, const Pools& pools, int starts, int beside)
{
    std::vector<std::unique_ptr<Voice>> background;
    for (int i = 0; i < beside; ++i) {
        const std::size_t file = std::size_t(i) % catalogue.files.size();
        background.push_back(std::make_unique<Voice>(endless(i, 16, true), catalogue.files[file].get(), pools));
        background.back()->play();
    }
    runFor(1000);
    SfxDto record = SfxDto::builder().name("probe").eventId("sfx.probe").repeats(-1).reverb(0.3f).pan(0.3f).build();
    Voice probe(record, catalogue.files[0].get(), pools);
    std::vector<double> reads, frames;
    for (int i = 0; i < starts; ++i) {
        runFor(2000, [&] { return pools.play->activeThreadCount() < pools.play->maxThreadCount(); });
        const int finishedBefore = probe.finished;
        probe.play();
        runFor(3000, [&] { return probe.firstFrame.load(); });
        {
            std::lock_guard guard(probe.lock);
            if (probe.firstRead)
                reads.push_back(ms(probe.readAt - probe.playedAt));
            if (probe.firstFrame)
                frames.push_back(ms(probe.frameAt - probe.playedAt));
        }
        probe.player->Stop(true);
        runFor(3000, [&] { return probe.finished > finishedBefore; });
    }
    for (auto& v : background)
        v->player->Stop(true);
    runFor(3000, [&] {
        return std::all_of(background.begin(), background.end(), [](const auto& v) { return v->finished > 0; });
    });
    const Stats r = statsOf(reads);
    const Stats f = statsOf(frames);
    std::printf("start latency %s (%zu of %d): first read median %.1f ms, p95 %.1f, max %.1f; "
                "first processed frame median %.1f ms, p95 %.1f, max %.1f\n",
                beside ? "beside 15 voices" : "idle", frames.size(), starts, r.median, r.p95, r.max, f.median, f.p95,
                f.max);
}

void filterThroughput(Catalogue& catalogue)
{
    auto record = std::make_shared<SfxDto>(SfxDto::builder().repeats(-1).reverb(0.3f).pan(0.2f).build());
    vand::audio::SfxAudioStream stream(record, catalogue.files[0].get());
    stream.open(QIODevice::ReadOnly);
    std::vector<char> chunk(3528); // 20 ms of 44.1 kHz stereo, what the sink asks for
    const auto t0 = Clock::now();
    qint64 bytes = 0;
    while (Clock::now() - t0 < std::chrono::seconds(2))
        for (int i = 0; i < 100; ++i)
            bytes += stream.read(chunk.data(), qint64(chunk.size()));
    const double seconds = std::chrono::duration<double>(Clock::now() - t0).count();
    const double framesPerSecond = double(bytes) / 4.0 / seconds;
    std::printf("readData with reverb and pan, no device: %.3g frames/s (%.0f x real time at 44.1 kHz)\n",
                framesPerSecond, framesPerSecond / 44100.0);
}

void fadeTiming(Catalogue& catalogue, const Pools& pools)
{
    for (unsigned int planned : {300u, 1000u, 3000u}) {
        SfxDto record = SfxDto::builder().name("fade").eventId("sfx.fade").repeats(-1).volume(1.0f).build();
        Voice voice(record, catalogue.files[3].get(), pools);
        voice.play();
        runFor(3000, [&] { return voice.firstFrame.load(); });
        const auto start = Clock::now();
        voice.player->FadeTo(0.1f, planned);
        runFor(int(planned) + 1500);
        Clock::time_point last;
        {
            std::lock_guard guard(voice.lock);
            last = voice.lastLevelAt;
        }
        const unsigned int steps = planned / 30;
        std::printf("fade %u ms: %u steps, last level at %.0f ms (steps of 30 ms would end at %u ms)\n", planned, steps,
                    ms(last - start), steps * 30 - 30);
        voice.player->Stop(true);
        runFor(3000, [&] { return voice.finished > 0; });
    }
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    g_previousHandler = qInstallMessageHandler(countUnderflows);
    int voices = 16;
    double seconds = 30.0;
    int starts = 50;
    bool withLatency = true;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--voices" && i + 1 < argc)
            voices = std::clamp(std::atoi(argv[++i]), 1, 16);
        else if (arg == "--seconds" && i + 1 < argc)
            seconds = std::max(1.0, std::atof(argv[++i]));
        else if (arg == "--starts" && i + 1 < argc)
            starts = std::max(1, std::atoi(argv[++i]));
        else if (arg == "--no-latency")
            withLatency = false;
        else {
            std::fprintf(stderr, "usage: bench_voices [--voices N] [--seconds S] [--starts N] [--no-latency]\n");
            return 2;
        }
    }
    Catalogue catalogue;
    Pools pools;
    const int failures = voicesRun(catalogue, pools, voices, seconds);
    if (withLatency) {
        latency(catalogue, pools, starts, 0);
        latency(catalogue, pools, starts, 15);
        filterThroughput(catalogue);
        fadeTiming(catalogue, pools);
    }
    return failures == 0 ? 0 : 1;
}
