// Start-up of the application on a show whose newest change log is large:
// the demo show with N events added to its first song, the song shown at
// start: markers, or with --mixed a third each of markers, caesuras and OSC
// commands and a region of each kind in turn every 10 ticks.
//
//   bench_largelog [--events N[,N...]] [--mixed] [--timeout S]
//
// For each N the program starts itself as a child that comes up as the
// application does (style, application object, QML engine, Launcher with the
// product's identity) and reports, from just before the parent started it:
//   show loaded   the Launcher has built the main window on the show (change
//                 log read, engine plan made, lists and timeline filled) and
//                 the engine has reported the first song loaded
//   first frame   the main window's first frame after that
//   answering     the longest the event loop was kept from running a 10 ms
//                 timer in the 2 s after the first frame
//   cpu           the child's processor time until it reported (user and
//                 system; less affected by a busy machine than the clock)
//   peak rss      the most resident memory the child ever had (VmHWM)
//   log read      which change-log version the engine loaded (a log it
//                 refuses leaves the one before)
// A child that has not reported within the timeout (default 120 s) is
// killed and reported as such. Run it on the platform to measure
// (QT_QPA_PLATFORM, e.g. xcb under Xvfb, or offscreen).

#include <sys/resource.h>

#include <QCoreApplication>
#include <QGuiApplication>
#include <QProcess>
#include <QQmlApplicationEngine>
#include <QQuickStyle>
#include <QQuickWindow>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "CL/ChangeLog.h"
#include "DemoShow.h"
#include "app/AppQmlEngineSetup.h"
#include "app/Launcher.h"
#include "app/MusicalMainController.h"
#include "app/PelorinPlayerFactory.h"
#include "cmn/ShowIdentity.h"
#include "kit/File.h"
#include "kit/Json.h"
#include "notify/EventObserver.h"
#include "vand_player_core/Interface.h"

namespace fs = std::filesystem;

namespace {

long long NowNs()
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

// The most resident memory of this process in KiB (VmHWM); -1 when unknown.
long PeakResidentKb()
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmHWM:", 0) == 0)
            return std::stol(line.substr(6));
    }
    return -1;
}

double CpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    const auto seconds = [](const timeval& t) { return double(t.tv_sec) + t.tv_usec / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

std::atomic<long long> songLoadedNs{0};

void OnEvent(int, int, const char*, void*)
{
    long long expected = 0;
    songLoadedNs.compare_exchange_strong(expected, NowNs());
}

int Child(int argc, char** argv)
{
    notify::EventObserver observer;
    observer.SetCallbackFunc(&OnEvent, nullptr);
    observer.RegisterSongLoaded(15);

    QQuickStyle::setStyle(QStringLiteral("Basic"));
    QGuiApplication application(argc, argv);
    QQmlApplicationEngine engine;
    vand::qt::PrepareAppQmlEngine(engine);
    vand::qt::Launcher launcher(&engine, std::make_unique<vand::qt::PelorinPlayerFactory>());
    const long long builtNs = NowNs();

    auto* controller = launcher.GetMainController();
    auto* window = controller ? qobject_cast<QQuickWindow*>(controller->GetQmlObject()) : nullptr;
    if (!window) {
        std::cerr << "no main window\n";
        return 1;
    }
    const std::string version = controller->GetPlayer() ? controller->GetPlayer()->GetLogVersion() : "?";

    long long frameNs = 0;
    long long loadedNs = 0;
    long long lastTickNs = 0;
    long long longestGapNs = 0;
    QTimer ticks;
    ticks.setInterval(10);
    QObject::connect(&ticks, &QTimer::timeout, [&] {
        const long long now = NowNs();
        if (lastTickNs != 0)
            longestGapNs = std::max(longestGapNs, now - lastTickNs);
        lastTickNs = now;
        if (now - frameNs > 2'000'000'000LL) {
            std::printf("show_loaded_ns=%lld first_frame_ns=%lld longest_gap_ns=%lld cpu_s=%f peak_rss_kb=%ld "
                        "version=%s\n",
                        loadedNs, frameNs, longestGapNs, CpuSeconds(), PeakResidentKb(), version.c_str());
            std::fflush(stdout);
            QCoreApplication::exit(0);
        }
    });
    QObject::connect(window, &QQuickWindow::frameSwapped, window, [&] {
        if (frameNs != 0 || songLoadedNs.load() == 0)
            return;
        frameNs = NowNs();
        loadedNs = std::max(builtNs, songLoadedNs.load());
        ticks.start();
    });
    // The song-loaded event arrives from the engine thread; a frame follows
    // any update.
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, window, [&] {
        if (frameNs == 0 && songLoadedNs.load() != 0)
            window->update();
    });
    poll.start(5);
    return QGuiApplication::exec();
}

// The demo show's change log with `events` events added to song 1, spread
// over its bars, as the next version, written without indentation (a
// million markers take some 55 MB).
void WriteLargeLog(const fs::path& show, int events, bool mixed)
{
    CL::ChangeLog log(show / "Demo Show-1.0.logdata", {});
    CL::SongLog& song = log.GetOrCreateSongLog("1");
    constexpr UInt32 kFirst = 1000;
    constexpr UInt32 kSpan = 22000;
    for (int i = 0; i < events; ++i) {
        const UInt32 tick = kFirst + static_cast<UInt32>(static_cast<long long>(i) * kSpan / events);
        const std::string n = std::to_string(i);
        switch (mixed ? i % 3 : 0) {
        case 0:
            song.Add(CL::Marker(tick, "M" + n, "E" + n));
            break;
        case 1:
            song.Add(CL::Caesura(tick, "N" + n, 0));
            break;
        default:
            song.Add(CL::Osc(tick, "S" + n, CL::OscProperties("/cue/" + n, "NETWORK0")));
            break;
        }
    }
    if (mixed) {
        // Regions never overlap: one kind after another, 5 ticks each.
        for (UInt32 t = kFirst, j = 0; t + 5 < kFirst + kSpan; t += 10, ++j) {
            const std::string n = std::to_string(j);
            switch (j % 7) {
            case 0:
                song.Add(CL::Vamp(t, t + 5, "V" + n, 0));
                break;
            case 1:
                song.Add(CL::Repeat(t, t + 5, "A" + n, 2));
                break;
            case 2:
                song.Add(CL::Cut(t, t + 5, "B" + n, 0));
                break;
            case 3:
                song.Add(CL::Transpose(t, t + 5, "C" + n, 1));
                break;
            case 4:
                song.Add(CL::TempoScale(t, t + 5, "D" + n, 1.1));
                break;
            case 5:
                song.Add(CL::Click(t, t + 5, "L" + n, 8));
                break;
            default:
                song.Add(CL::Fermata(t, t + 5, "M" + n, 0));
                break;
            }
        }
    }
    log.SetVersion(cmn::VANDVersion(1, 1));
    rapidjson::Document document;
    kit::json::Parse(document, log.ToJson());
    kit::WriteFileAtomically(show / "Demo Show-1.1.logdata", kit::json::Write(document));
}

} // namespace

int main(int argc, char** argv)
{
    if (argc > 1 && std::strcmp(argv[1], "--child") == 0)
        return Child(argc, argv);

    std::vector<int> counts{10000, 100000, 1000000};
    bool mixed = false;
    int timeoutS = 120;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--events") == 0 && i + 1 < argc) {
            counts.clear();
            for (const QString& n : QString::fromLocal8Bit(argv[++i]).split(','))
                counts.push_back(std::max(0, n.toInt()));
        } else if (std::strcmp(argv[i], "--mixed") == 0) {
            mixed = true;
        } else if (std::strcmp(argv[i], "--timeout") == 0 && i + 1 < argc) {
            timeoutS = std::max(1, std::atoi(argv[++i]));
        }
    }

    QGuiApplication application(argc, argv);
    for (const int events : counts) {
        QTemporaryDir home;
        const fs::path data = fs::path(home.path().toStdString()) / "pelorin";
        const fs::path show = data / "shows" / "demo";
        vand::demo::DemoOptions options;
        options.small = true;
        vand::demo::WriteDemoShow(show, options);
        vand::ShowIdentityService(data).SetCurrent(
            {vand::demo::kDemoIdentifier, vand::demo::kDemoShowName, vand::demo::kDemoOrganisation, "shows/demo"});
        WriteLargeLog(show, events, mixed);
        const auto bytes = fs::file_size(show / "Demo Show-1.1.logdata");

        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("XDG_DATA_HOME"), home.path());
        QProcess child;
        child.setProcessEnvironment(environment);
        const long long startNs = NowNs();
        child.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--child")});
        if (!child.waitForFinished(timeoutS * 1000)) {
            child.kill();
            child.waitForFinished();
            std::printf("%7d events (%5.1f MB): no report within %d s\n", events, bytes / 1e6, timeoutS);
            continue;
        }
        const QByteArray out = child.readAllStandardOutput();
        const qsizetype result = out.indexOf("show_loaded_ns=");
        long long loadedNs = 0, frameNs = 0, gapNs = 0;
        double cpu = 0;
        long peak = 0;
        char version[32] = {};
        if (child.exitCode() != 0 || result < 0
            || std::sscanf(out.constData() + result,
                           "show_loaded_ns=%lld first_frame_ns=%lld longest_gap_ns=%lld cpu_s=%lf peak_rss_kb=%ld "
                           "version=%31s",
                           &loadedNs, &frameNs, &gapNs, &cpu, &peak, version)
                   != 6) {
            std::printf("%7d events: the child failed:\n%s\n%s\n", events, out.constData(),
                        child.readAllStandardError().constData());
            continue;
        }
        std::printf("%7d %s (%5.1f MB): show loaded %8.1f ms, first frame %8.1f ms, cpu %5.1f s, longest "
                    "stall after %6.1f ms, peak resident %7.1f MiB, log version %s\n",
                    events, mixed ? "mixed events" : "markers", bytes / 1e6, (loadedNs - startNs) / 1e6,
                    (frameNs - startNs) / 1e6, cpu, gapNs / 1e6, peak / 1024.0, version);
        std::fflush(stdout);
    }
    return 0;
}
