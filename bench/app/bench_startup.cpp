// Start-up of the application on the demo show, beside a minimal Qt Quick
// window (Button, Slider, Text) started the same way in the same run.
//
//   bench_startup [--runs N] [--small] [--seconds S]
//
// Writes the demo show into a temporary data folder, then starts itself N
// times as a child that comes up as the application does (style, application
// object, QML engine, Launcher with the product's identity), each time
// followed by a child that shows the minimal window. Each child reports, on
// the monotonic clock shared by both processes:
//   first frame   the main window's first frame was swapped to the screen
//   show loaded   the Launcher has built the main window on the show (engine
//                 created, change log read, output running) and the engine has
//                 reported the first song loaded (the minimal window: its
//                 first frame)
//   first idle    the first time the GUI thread's event loop waits for work
//                 once both have happened
//   rss           resident memory at the first idle
//   CPU           the GUI thread's CPU time at the first idle and S seconds
//                 (default 6) after the parent started the child, and the
//                 whole process's CPU time (every thread) at S seconds
// The ratio compared is the application's GUI-thread CPU over the minimal
// window's whole-process CPU, both over the first S seconds (target <= 2.5).
// Run it on the platform to measure (QT_QPA_PLATFORM, e.g. xcb under Xvfb,
// or offscreen).

#include <QAbstractEventDispatcher>
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
#include <ctime>
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

const char* kMinimalWindow = R"(
import QtQuick
import QtQuick.Controls.Basic

ApplicationWindow {
    width: 640
    height: 480
    visible: true

    Column {
        anchors.centerIn: parent
        spacing: 10
        Button { text: "Button" }
        Slider { value: 0.5 }
        Text { text: "Text" }
    }
}
)";

long long NowNs()
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

long long CpuNs(clockid_t clock)
{
    timespec t{};
    clock_gettime(clock, &t);
    return static_cast<long long>(t.tv_sec) * 1000000000LL + t.tv_nsec;
}

std::atomic<long long> songLoadedNs{0};

void OnEvent(int, int, const char*, void*)
{
    long long expected = 0;
    if (songLoadedNs.compare_exchange_strong(expected, NowNs())) {
        // Wakes the GUI thread, which may be waiting for this alone.
        QMetaObject::invokeMethod(
            QCoreApplication::instance(), [] {}, Qt::QueuedConnection);
    }
}

// Watches one child's window from its first frame to the end of the measured
// time, then prints the result line and quits.
struct Watch
{
    long long startNs = 0;
    long long endNs = 0;
    long long mainNs = 0;
    long long appNs = 0;
    long long builtNs = 0;
    long long frameNs = 0;
    long long idleNs = 0;
    long long idleGuiCpuNs = 0;
    long rssKb = 0;
    bool waitsForSong = true;

    void Arm(QQuickWindow* window)
    {
        QObject::connect(window, &QQuickWindow::frameSwapped, window, [this] {
            if (frameNs == 0)
                frameNs = NowNs();
        });
        QObject::connect(QAbstractEventDispatcher::instance(), &QAbstractEventDispatcher::aboutToBlock, [this] {
            if (idleNs != 0 || frameNs == 0 || (waitsForSong && songLoadedNs.load() == 0))
                return;
            idleGuiCpuNs = CpuNs(CLOCK_THREAD_CPUTIME_ID);
            idleNs = NowNs();
            rssKb = vand::bench::ResidentKb();
        });
        QTimer::singleShot(std::chrono::milliseconds(std::max(1LL, (endNs - NowNs()) / 1000000)), [this] { Finish(); });
    }

    void Finish()
    {
        const long long guiCpu = CpuNs(CLOCK_THREAD_CPUTIME_ID);
        const long long processCpu = CpuNs(CLOCK_PROCESS_CPUTIME_ID);
        if (idleNs == 0) {
            std::cerr << "no first idle within the measured time\n";
            QCoreApplication::exit(1);
            return;
        }
        const long long loaded = waitsForSong ? std::max(builtNs, songLoadedNs.load()) : frameNs;
        std::printf("first_frame_ns=%lld show_loaded_ns=%lld rss_kb=%ld main_ns=%lld app_ns=%lld built_ns=%lld "
                    "idle_ns=%lld idle_gui_cpu_ns=%lld gui_cpu_ns=%lld process_cpu_ns=%lld\n",
                    frameNs, loaded, rssKb, mainNs, appNs, builtNs, idleNs, idleGuiCpuNs, guiCpu, processCpu);
        std::fflush(stdout);
        QCoreApplication::exit(0);
    }
};

int Child(int argc, char** argv, long long startNs, long long endNs)
{
    Watch watch;
    watch.startNs = startNs;
    watch.endNs = endNs;
    watch.mainNs = NowNs();
    notify::EventObserver observer;
    observer.SetCallbackFunc(&OnEvent, nullptr);
    observer.RegisterSongLoaded(15);

    QQuickStyle::setStyle(QStringLiteral("Basic"));
    QGuiApplication application(argc, argv);
    QQmlApplicationEngine engine;
    vand::qt::PrepareAppQmlEngine(engine);
    watch.appNs = NowNs();
    vand::qt::Launcher launcher(&engine, std::make_unique<vand::qt::PelorinPlayerFactory>());
    watch.builtNs = NowNs();

    auto* controller = launcher.GetMainController();
    auto* window = controller ? qobject_cast<QQuickWindow*>(controller->GetQmlObject()) : nullptr;
    if (!window) {
        std::cerr << "no main window\n";
        return 1;
    }
    watch.Arm(window);
    return QGuiApplication::exec();
}

int MinimalChild(int argc, char** argv, long long startNs, long long endNs)
{
    Watch watch;
    watch.startNs = startNs;
    watch.endNs = endNs;
    watch.waitsForSong = false;
    watch.mainNs = NowNs();

    QQuickStyle::setStyle(QStringLiteral("Basic"));
    QGuiApplication application(argc, argv);
    QQmlApplicationEngine engine;
    watch.appNs = NowNs();
    engine.loadData(kMinimalWindow);
    watch.builtNs = NowNs();
    auto* window = engine.rootObjects().isEmpty() ? nullptr : qobject_cast<QQuickWindow*>(engine.rootObjects().first());
    if (!window) {
        std::cerr << "no minimal window\n";
        return 1;
    }
    watch.Arm(window);
    return QGuiApplication::exec();
}

struct Sample
{
    double frameMs = 0;
    double loadedMs = 0;
    double rssKb = 0;
    double mainMs = 0;
    double appMs = 0;
    double builtMs = 0;
    double idleMs = 0;
    double idleGuiCpuMs = 0;
    double guiCpuMs = 0;
    double processCpuMs = 0;
};

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

template <typename Field>
double MedianOf(const std::vector<Sample>& samples, Field field)
{
    std::vector<double> values;
    for (const Sample& s : samples)
        values.push_back(field(s));
    return Median(values);
}

// Runs one child and reads its result line; false (with the reason on
// standard error) when it failed.
bool RunChild(const QProcessEnvironment& environment, const char* mode, double seconds, Sample& sample)
{
    QProcess child;
    child.setProcessEnvironment(environment);
    const long long startNs = NowNs();
    const long long endNs = startNs + static_cast<long long>(seconds * 1e9);
    child.start(QCoreApplication::applicationFilePath(),
                {QString::fromLatin1(mode), QString::number(startNs), QString::number(endNs)});
    if (!child.waitForFinished(static_cast<int>(seconds * 1000) + 60000) || child.exitCode() != 0) {
        std::cerr << mode << " failed:\n" << child.readAllStandardError().constData() << '\n';
        return false;
    }
    long long frameNs = 0, loadedNs = 0, mainNs = 0, appNs = 0, builtNs = 0, idleNs = 0, idleGuiCpuNs = 0, guiCpuNs = 0,
              processCpuNs = 0;
    long rss = 0;
    // The application writes lines of its own before the result.
    const QByteArray out = child.readAllStandardOutput();
    const qsizetype result = out.indexOf("first_frame_ns=");
    if (result < 0
        || std::sscanf(out.constData() + result,
                       "first_frame_ns=%lld show_loaded_ns=%lld rss_kb=%ld main_ns=%lld app_ns=%lld built_ns=%lld "
                       "idle_ns=%lld idle_gui_cpu_ns=%lld gui_cpu_ns=%lld process_cpu_ns=%lld",
                       &frameNs, &loadedNs, &rss, &mainNs, &appNs, &builtNs, &idleNs, &idleGuiCpuNs, &guiCpuNs,
                       &processCpuNs)
               != 10) {
        std::cerr << mode << ": unexpected output " << out.constData() << '\n';
        return false;
    }
    auto ms = [&](long long ns) { return (ns - startNs) / 1e6; };
    sample = {ms(frameNs), ms(loadedNs), static_cast<double>(rss), ms(mainNs),     ms(appNs),
              ms(builtNs), ms(idleNs),   idleGuiCpuNs / 1e6,       guiCpuNs / 1e6, processCpuNs / 1e6};
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc == 4 && (std::strcmp(argv[1], "--child") == 0 || std::strcmp(argv[1], "--minimal") == 0)) {
        const long long startNs = std::atoll(argv[2]);
        const long long endNs = std::atoll(argv[3]);
        return std::strcmp(argv[1], "--child") == 0 ? Child(argc, argv, startNs, endNs)
                                                    : MinimalChild(argc, argv, startNs, endNs);
    }

    int runs = 5;
    bool small = false;
    double seconds = 6.0;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--runs") == 0 && i + 1 < argc)
            runs = std::max(1, std::atoi(argv[++i]));
        else if (std::strcmp(argv[i], "--seconds") == 0 && i + 1 < argc)
            seconds = std::max(1.0, std::atof(argv[++i]));
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

    std::vector<Sample> apps, minimals;
    for (int run = 0; run < runs; ++run) {
        Sample app, minimal;
        if (!RunChild(environment, "--child", seconds, app) || !RunChild(environment, "--minimal", seconds, minimal))
            return 1;
        apps.push_back(app);
        minimals.push_back(minimal);
        std::printf("run %d: main() %.1f, application and QML engine %.1f, main window on the show %.1f, "
                    "show loaded %.1f, first frame %.1f, first idle %.1f ms; resident %.1f MiB; "
                    "GUI-thread CPU %.1f ms to the first idle, %.1f ms in %.0f s; process CPU %.1f ms\n",
                    run + 1, app.mainMs, app.appMs, app.builtMs, app.loadedMs, app.frameMs, app.idleMs,
                    app.rssKb / 1024.0, app.idleGuiCpuMs, app.guiCpuMs, seconds, app.processCpuMs);
        std::printf("       minimal window: first frame %.1f, first idle %.1f ms; resident %.1f MiB; "
                    "GUI-thread CPU %.1f ms to the first idle, %.1f ms in %.0f s; process CPU %.1f ms\n",
                    minimal.frameMs, minimal.idleMs, minimal.rssKb / 1024.0, minimal.idleGuiCpuMs, minimal.guiCpuMs,
                    seconds, minimal.processCpuMs);
    }

    auto median = [](const std::vector<Sample>& samples, double Sample::*field) {
        return MedianOf(samples, [field](const Sample& s) { return s.*field; });
    };
    const double appGui = median(apps, &Sample::guiCpuMs);
    const double minimalProcess = median(minimals, &Sample::processCpuMs);
    std::printf("platform %s, %s demo show, %d runs (median): first frame %.1f ms (target < 500), "
                "show loaded %.1f ms (target < 1500), first idle %.1f ms, resident %.1f MiB\n",
                qPrintable(QGuiApplication::platformName()), small ? "small" : "full", runs,
                median(apps, &Sample::frameMs), median(apps, &Sample::loadedMs), median(apps, &Sample::idleMs),
                median(apps, &Sample::rssKb) / 1024.0);
    std::printf("application: GUI-thread CPU %.1f ms to the first idle, %.1f ms in %.0f s; process CPU %.1f ms\n",
                median(apps, &Sample::idleGuiCpuMs), appGui, seconds, median(apps, &Sample::processCpuMs));
    std::printf("minimal window: first frame %.1f ms, resident %.1f MiB; GUI-thread CPU %.1f ms to the first idle, "
                "%.1f ms in %.0f s; process CPU %.1f ms\n",
                median(minimals, &Sample::frameMs), median(minimals, &Sample::rssKb) / 1024.0,
                median(minimals, &Sample::idleGuiCpuMs), median(minimals, &Sample::guiCpuMs), seconds, minimalProcess);
    std::printf("ratio: application GUI-thread CPU / minimal window process CPU = %.2f (target <= 2.5)\n",
                minimalProcess > 0 ? appGui / minimalProcess : 0.0);
    return 0;
}
