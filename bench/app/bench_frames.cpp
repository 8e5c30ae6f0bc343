// Frames the main window draws on the full demo show, and what they cost:
//
//   bench_frames [--seconds S] [--shots DIR]
//
// The window is built as the application builds it; the engine plays in real
// time on a silent clock. For each state, after a second to settle, the
// benchmark counts the frames swapped over S seconds (default 5) and the CPU
// the process and the GUI thread spent meanwhile:
//   stopped              the first song loaded, nothing playing
//   playing, timeline    the first song playing, the Music Edit tab in front
//   playing, score       the same with the Score tab in front
//   caesura, timeline    held at the first song's caesura
//   caesura, score       the same with the Score tab in front
// --shots writes the window's pictures, stopped with each tab in front, into
// DIR (timeline.png, score.png) and ends: for comparing the look of two builds
// where effects are drawn (under Xvfb).
// Run it on the platform to measure: under Xvfb (DISPLAY=:N, xcb, no vsync,
// so a window draws as often as it asks) or offscreen (QT_QPA_PLATFORM).

#include <QElapsedTimer>
#include <QEventLoop>
#include <QGuiApplication>
#include <QQmlApplicationEngine>
#include <QQuickItem>
#include <QQuickStyle>
#include <QQuickWindow>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <iostream>
#include <memory>
#include <string>

#include "../player/EngineBench.h"
#include "DemoShow.h"
#include "app/AppQmlEngineSetup.h"
#include "app/MusicalMainController.h"
#include "app/PelorinPlayerFactory.h"
#include "cmn/ShowIdentity.h"
#include "vand_pelorin/OutputClock.h"
#include "vand_pelorin2/Pelorin2AudioInterface.h"
#include "vand_player_core/Interface.h"

namespace fs = std::filesystem;

namespace {

// The product's identity; its engine plays in real time without a sound card.
class SilentFactory : public vand::qt::PelorinPlayerFactory
{
public:
    std::unique_ptr<AudioInterface> CreateAudioInterface(const QString& showFolder,
                                                         std::shared_ptr<vand::PlayerOscCallback> osc) override
    {
        vand::player::EngineOptions options;
        options.clock = std::make_shared<vand::player::NullClock>();
        auto engine = std::make_unique<vand::Pelorin2AudioInterface>(
            showFolder.toStdString(), DataFolderPath().toStdString(), std::move(osc), std::move(options));
        engine->ThrowIfThreadExceptions();
        return engine;
    }
};

// Turns the event loop for `ms`, or until `done` holds (looked at every
// 10 ms); false when it never did. The loop sleeps between events, so that
// the GUI thread's CPU is the window's own.
bool RunLoop(int ms, const std::function<bool()>& done = {})
{
    QEventLoop loop;
    QTimer end;
    end.setSingleShot(true);
    QObject::connect(&end, &QTimer::timeout, &loop, &QEventLoop::quit);
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        if (done && done())
            loop.quit();
    });
    end.start(ms);
    if (done)
        poll.start(10);
    loop.exec();
    return !done || done();
}

struct Figures
{
    double framesPerSecond = 0;
    double processCpuPercent = 0;
    double guiCpuPercent = 0;
};

Figures Measure(QQuickWindow* window, int seconds)
{
    RunLoop(1000);
    long frames = 0;
    const auto connection = QObject::connect(window, &QQuickWindow::frameSwapped, window, [&] { ++frames; });
    const double process = vand::bench::ProcessCpuSeconds();
    const double gui = vand::bench::ThreadCpuSeconds();
    QElapsedTimer clock;
    clock.start();
    RunLoop(seconds * 1000);
    const double elapsed = clock.nsecsElapsed() / 1e9;
    QObject::disconnect(connection);
    Figures figures;
    figures.framesPerSecond = frames / elapsed;
    figures.processCpuPercent = 100.0 * (vand::bench::ProcessCpuSeconds() - process) / elapsed;
    figures.guiCpuPercent = 100.0 * (vand::bench::ThreadCpuSeconds() - gui) / elapsed;
    return figures;
}

void Print(const char* state, const Figures& figures)
{
    std::printf("%-20s %7.1f frames/s   process %6.1f %% of a core   GUI thread %6.1f %%\n", state,
                figures.framesPerSecond, figures.processCpuPercent, figures.guiCpuPercent);
}

void ShowTab(QObject* window, int index)
{
    if (QObject* tabs = window->findChild<QObject*>(QStringLiteral("modeTabs")))
        tabs->setProperty("currentIndex", index);
}

} // namespace

int main(int argc, char** argv)
{
    int seconds = 5;
    QString shots;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--seconds") == 0 && i + 1 < argc)
            seconds = std::max(1, std::atoi(argv[++i]));
        else if (std::strcmp(argv[i], "--shots") == 0 && i + 1 < argc)
            shots = QString::fromLocal8Bit(argv[++i]);
    }

    QTemporaryDir home;
    qputenv("XDG_DATA_HOME", home.path().toUtf8());
    QQuickStyle::setStyle(QStringLiteral("Basic"));
    QGuiApplication application(argc, argv);
    std::setvbuf(stdout, nullptr, _IOLBF, 0);

    const fs::path data = fs::path(home.path().toStdString()) / "pelorin";
    vand::demo::WriteDemoShow(data / "shows" / "demo");
    vand::ShowIdentityService(data).SetCurrent(
        {vand::demo::kDemoIdentifier, vand::demo::kDemoShowName, vand::demo::kDemoOrganisation, "shows/demo"});

    QQmlApplicationEngine engine;
    vand::qt::PrepareAppQmlEngine(engine);
    SilentFactory factory;
    vand::qt::MusicalMainController controller(&engine, &factory);
    auto* window = qobject_cast<QQuickWindow*>(controller.GetQmlObject());
    const std::shared_ptr<Interface> player = controller.GetPlayer();
    if (!window || !player) {
        std::cerr << "no main window or no player\n";
        return 1;
    }
    if (!RunLoop(20000, [&] { return !player->GetCurrentSongNumber().empty(); })) {
        std::cerr << "no song loaded\n";
        return 1;
    }

    if (!shots.isEmpty()) {
        RunLoop(1500);
        const bool timeline = window->grabWindow().save(shots + QStringLiteral("/timeline.png"));
        ShowTab(window, 1);
        RunLoop(1500);
        const bool score = window->grabWindow().save(shots + QStringLiteral("/score.png"));
        return timeline && score ? 0 : 1;
    }

    std::printf("platform %s, %s, the full demo show, %d s per state:\n", qPrintable(QGuiApplication::platformName()),
                qPrintable(QQuickWindow::graphicsApi() == QSGRendererInterface::Software ? QStringLiteral("software")
                                                                                         : QStringLiteral("GPU API")),
                seconds);
    Print("stopped", Measure(window, seconds));

    controller.Play_();
    Print("playing, timeline", Measure(window, seconds));
    ShowTab(window, 1);
    Print("playing, score", Measure(window, seconds));

    controller.Stop_();
    ShowTab(window, 0);
    RunLoop(500);
    player->SeekToBar("8");
    controller.Play_();
    if (!RunLoop(20000, [&] { return window->property("highlightContinueButton").toBool(); })) {
        std::cerr << "the caesura was never reached\n";
        return 1;
    }
    Print("caesura, timeline", Measure(window, seconds));
    ShowTab(window, 1);
    Print("caesura, score", Measure(window, seconds));
    controller.Stop_();
    return 0;
}
