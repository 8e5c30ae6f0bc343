// Start-up of the application on the demo show.
//
//   bench_startup [--runs N] [--small]
//
// Writes the demo show into a temporary data folder, then starts itself N
// times as a child that comes up as the application does (style, application
// object, QML engine, Launcher with the product's identity). Each child
// reports, on the monotonic clock shared by both processes:
//   first frame   the main window's first frame was swapped to the screen
//   show loaded   the Launcher has built the main window on the show (engine
//                 created, change log read, output running) and the engine has
//                 reported the first song loaded
//   rss           resident memory once both have happened
// The parent measures from just before it starts the child. Run it on the
// platform to measure (QT_QPA_PLATFORM, e.g. xcb under Xvfb, or offscreen).

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
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "DemoShow.h"
#include "ProcessMemory.h"
#include "app/AppQmlEngineSetup.h"
#include "app/Launcher.h"
#include "app/MusicalMainController.h"
#include "app/PelorinPlayerFactory.h"
#include "cmn/ShowIdentity.h"
#include "notify/EventObserver.h"

namespace fs = std::filesystem;

namespace {

long long NowNs()
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

std::atomic<long long> songLoadedNs{0};

void OnEvent(int, int, const char*, void*)
{
    long long expected = 0;
    songLoadedNs.compare_exchange_strong(expected, NowNs());
}

int Child(int argc, char** argv)
{
    const long long mainNs = NowNs();
    notify::EventObserver observer;
    observer.SetCallbackFunc(&OnEvent, nullptr);
    observer.RegisterSongLoaded(15);

    QQuickStyle::setStyle(QStringLiteral("Basic"));
    QGuiApplication application(argc, argv);
    QQmlApplicationEngine engine;
    vand::qt::PrepareAppQmlEngine(engine);
    const long long appNs = NowNs();
    vand::qt::Launcher launcher(&engine, std::make_unique<vand::qt::PelorinPlayerFactory>());
    const long long builtNs = NowNs();

    auto* controller = launcher.GetMainController();
    auto* window = controller ? qobject_cast<QQuickWindow*>(controller->GetQmlObject()) : nullptr;
    if (!window) {
        std::cerr << "no main window\n";
        return 1;
    }
    long long frameNs = 0;
    bool reported = false;
    auto finish = [&] {
        if (reported || frameNs == 0 || songLoadedNs.load() == 0)
            return;
        reported = true;
        std::printf("first_frame_ns=%lld show_loaded_ns=%lld rss_kb=%ld main_ns=%lld app_ns=%lld built_ns=%lld\n",
                    frameNs, std::max(builtNs, songLoadedNs.load()), vand::bench::ResidentKb(), mainNs, appNs, builtNs);
        std::fflush(stdout);
        QCoreApplication::exit(0);
    };
    QObject::connect(window, &QQuickWindow::frameSwapped, window, [&] {
        if (frameNs == 0)
            frameNs = NowNs();
        finish();
    });
    // The song-loaded event arrives from the engine thread.
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] { finish(); });
    poll.start(5);
    return QGuiApplication::exec();
}

struct Sample
{
    double frameMs;
    double loadedMs;
    long rssKb;
    double mainMs;
    double appMs;
    double builtMs;
};

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

} // namespace

int main(int argc, char** argv)
{
    if (argc > 1 && std::strcmp(argv[1], "--child") == 0)
        return Child(argc, argv);

    int runs = 5;
    bool small = false;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--runs") == 0 && i + 1 < argc)
            runs = std::max(1, std::atoi(argv[++i]));
        else if (std::strcmp(argv[i], "--small") == 0)
            small = true;
    }

    QGuiApplication application(argc, argv);
    QTemporaryDir home;
    const fs::path data = fs::path(home.path().toStdString()) / "pelorin";
    vand::demo::DemoOptions options;
    options.small = small;
    vand::demo::WriteDemoShow(data / "shows" / "demo", options);
    vand::ShowIdentityService(data).SetCurrent(
        {vand::demo::kDemoIdentifier, vand::demo::kDemoShowName, vand::demo::kDemoOrganisation, "shows/demo"});

    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("XDG_DATA_HOME"), home.path());

    std::vector<Sample> samples;
    for (int run = 0; run < runs; ++run) {
        QProcess child;
        child.setProcessEnvironment(environment);
        const long long startNs = NowNs();
        child.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--child")});
        if (!child.waitForFinished(60000) || child.exitCode() != 0) {
            std::cerr << "run " << run << " failed:\n" << child.readAllStandardError().constData() << '\n';
            return 1;
        }
        long long frameNs = 0, loadedNs = 0, mainNs = 0, appNs = 0, builtNs = 0;
        long rss = 0;
        // The application writes lines of its own before the result.
        const QByteArray out = child.readAllStandardOutput();
        const qsizetype result = out.indexOf("first_frame_ns=");
        if (result < 0
            || std::sscanf(out.constData() + result,
                        "first_frame_ns=%lld show_loaded_ns=%lld rss_kb=%ld main_ns=%lld app_ns=%lld built_ns=%lld",
                           &frameNs, &loadedNs, &rss, &mainNs, &appNs, &builtNs)
                   != 6) {
            std::cerr << "run " << run << ": unexpected output " << out.constData() << '\n';
            return 1;
        }
        auto ms = [&](long long ns) { return (ns - startNs) / 1e6; };
        samples.push_back({ms(frameNs), ms(loadedNs), rss, ms(mainNs), ms(appNs), ms(builtNs)});
        const Sample& s = samples.back();
        std::printf("run %d: main() %.1f, application and QML engine %.1f, main window on the show %.1f, "
                    "show loaded %.1f, first frame %.1f ms; resident %.1f MiB\n",
                    run + 1, s.mainMs, s.appMs, s.builtMs, s.loadedMs, s.frameMs, rss / 1024.0);
    }

    std::vector<double> frames, loaded, rss;
    for (const auto& s : samples) {
        frames.push_back(s.frameMs);
        loaded.push_back(s.loadedMs);
        rss.push_back(s.rssKb / 1024.0);
    }
    std::printf("platform %s, %s demo show, %d runs (median): first frame %.1f ms (target < 500), "
                "show loaded %.1f ms (target < 1500), resident %.1f MiB\n",
                qPrintable(QGuiApplication::platformName()), small ? "small" : "full", runs, Median(frames),
                Median(loaded), Median(rss));
    return 0;
}
