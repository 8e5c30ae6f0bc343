// The timeline on a synthetic show of two songs of one pattern: 6 000 bars
// and 300 bars (tempo and meter changes, a marker every 16 bars, regions and
// OSC glyphs every few bars; short silent audio).
//
//   bench_timeline [--frames N]
//   bench_timeline --write-show DIR             (the show alone)
//   bench_timeline --child DIR SONG [--frames N] (one run, here)
//
// Starts itself once per song and per Qt Quick backend ("software", then the
// default OpenGL one) in a 1366 x 768 window holding the main window's
// timeline panel, and prints for each:
//   items     QQuickItems under the TimeLine, TimeBar delegates and item
//             views, at zoom 0.15, 1 and 4 (start and middle of the song)
//   switch    SetCurrentSong to the next swapped frame
//   scroll    frame times (between frameSwapped signals) scrolling 25 px per frame
//   jump      frame times jumping with setViewStart to spread-out places
//   zoom      frame times animating the zoom 0.15 <-> 4
//   rss       resident memory after the layout
// Frame figures: median, p95, max in ms. Run it under a display (Xvfb).

#include <QColor>
#include <QGuiApplication>
#include <QProcess>
#include <QQmlEngine>
#include <QQuickItem>
#include <QQuickWindow>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "CL/ChangeLog.h"
#include "DemoShow.h"
#include "FrameWatch.h"
#include "PanelWindow.h"
#include "PatternShow.h"
#include "ProcessMemory.h"
#include "app/AppQmlEngineSetup.h"
#include "engine/ShowFile.h"
#include "model/EditModel.h"
#include "model/ShowManager.h"
#include "timeline/BarsBeatsViewController.h"
#include "timeline/TimelineController.h"
#include "vand_pelorin/OutputClock.h"
#include "vand_pelorin2/Pelorin2AudioInterface.h"

namespace fs = std::filesystem;
using vand::bench::NowMs;
using vand::bench::Stats;
using vand::bench::Summarise;

namespace {

void AddPatternEdits(CL::SongLog& log, int bars)
{
    const auto tick = vand::bench::PatternBarTick;
    for (int bar = 1; bar <= bars; bar += 16)
        log.Add(CL::Marker(tick(bar), "M" + std::to_string(bar), "E" + std::to_string(bar)));
    int n = 0;
    for (int bar = 5; bar + 2 <= bars; bar += 20, ++n) {
        const std::string id = std::to_string(bar);
        switch (n % 4) {
        case 0:
            log.Add(CL::Repeat(tick(bar), tick(bar + 2), "A" + id, 1));
            break;
        case 1:
            log.Add(CL::Vamp(tick(bar), tick(bar + 2), "V" + id, 0));
            break;
        case 2:
            log.Add(CL::TempoScale(tick(bar), tick(bar + 2), "D" + id, 0.9));
            break;
        default:
            log.Add(CL::Transpose(tick(bar), tick(bar + 2), "C" + id, 1));
            break;
        }
    }
    for (int bar = 3; bar <= bars; bar += 25)
        log.Add(CL::Osc(tick(bar), "S" + std::to_string(bar), CL::OscProperties("/cue/go", "N")));
}

int CountItems(QQuickItem* item)
{
    int n = 1;
    for (QQuickItem* child : item->childItems())
        n += CountItems(child);
    return n;
}

class Bench
{
public:
    Bench(const fs::path& folder, const std::string& song, int frames)
        : song_(song)
        , frames_(frames)
    {
        clock_ = std::make_shared<vand::player::ManualClock>();
        vand::player::EngineOptions options;
        options.clock = clock_;
        engine_ = std::make_shared<vand::Pelorin2AudioInterface>((folder / "show").string(), (folder / "data").string(),
                                                                 nullptr, options);
        engine_->ThrowIfThreadExceptions();
        if (engine_->GetCurrentSongNumber() != song) {
            engine_->LoadSong(song);
            clock_->Pump();
        }
        manager_ = std::make_shared<vand::ShowManager>(engine_);
        model_ = std::make_shared<vand::qt::EditModel>(manager_, true);
        vand::qt::PrepareAppQmlEngine(qml_);
        vand::test::PanelWindowOptions look;
        look.width = 1366;
        look.height = 768;
        look.color = QColor(QStringLiteral("#282828"));
        QString error;
        window_ = vand::test::MakePanelWindow(qml_, look, error);
        if (!window_)
            throw std::runtime_error(error.toStdString());
        timeline_ = vand::test::PanelTimeline(*window_);
        flick_ = timeline_->findChild<QQuickItem*>(QStringLiteral("timelineFlickable"));
        controller_ =
            std::make_unique<vand::qt::TimelineController>(timeline_, &qml_, engine_, manager_, model_, true, true);
        watch_ = std::make_unique<vand::bench::FrameWatch>(window_.get());
    }

    void Run()
    {
        watch_->WaitFrames(3);
        const double before = NowMs();
        const std::size_t seen = watch_->swaps.size();
        controller_->SetCurrentSong(song_);
        const double switched = NowMs() - before;
        window_->update();
        while (watch_->swaps.size() == seen)
            vand::bench::FrameWatch::Spin();
        const double firstFrame = watch_->swaps.back() - before;
        watch_->WaitFrames(2);
        Print("switch",
              QString("first frame %1 ms (SetCurrentSong %2 ms)").arg(firstFrame, 0, 'f', 1).arg(switched, 0, 'f', 1));
        Print("rss", QString("%1 MiB").arg(vand::bench::ResidentKb() / 1024.0, 0, 'f', 1));
        Print("lines", QString("%1 bar and beat lines, %2 items")
                           .arg(controller_->GetBarsView()->GetLines().size())
                           .arg(controller_->Items().size()));

        const int width = timeline_->property("baseWidth").toInt();
        for (double zoom : {0.15, 1.0, 4.0}) {
            for (bool middle : {false, true}) {
                timeline_->setProperty("viewScale", zoom);
                QMetaObject::invokeMethod(timeline_, "setViewStart", Q_ARG(int, middle ? width / 2 : 0));
                watch_->WaitFrames(2);
                Print("items", QString("zoom %1 %2: %3 items under the timeline, %4 TimeBars, %5 item views")
                                   .arg(zoom)
                                   .arg(middle ? "middle" : "start ")
                                   .arg(CountItems(timeline_))
                                   .arg(TimeBars())
                                   .arg(ItemViews()));
            }
        }

        timeline_->setProperty("viewScale", 1.0);
        QMetaObject::invokeMethod(timeline_, "setViewStart", Q_ARG(int, 0));
        watch_->WaitFrames(2);
        Frames("scroll",
               [this](int) { flick_->setProperty("contentX", flick_->property("contentX").toDouble() + 25); });
        Frames("jump", [this, width](int i) {
            QMetaObject::invokeMethod(timeline_, "setViewStart", Q_ARG(int, (i * 7919) % std::max(1, width - 1000)));
        });
        QMetaObject::invokeMethod(timeline_, "setViewStart", Q_ARG(int, width / 3));
        timeline_->setProperty("viewScale", 0.15);
        watch_->WaitFrames(2);
        ZoomFrames();
    }

private:
    void Print(const char* what, const QString& text)
    {
        std::printf("%-6s %-8s %-6s %s\n", song_ == "1" ? "6000" : "300", backend_.c_str(), what, qPrintable(text));
        std::fflush(stdout);
    }

    // Applies step(i) after every swapped frame and records the intervals.
    void Frames(const char* what, std::function<void(int)> step)
    {
        std::vector<double> intervals;
        int i = 0;
        double last = 0;
        auto running = std::make_shared<bool>(true);
        watch_->onSwap = [&] {
            const double now = watch_->swaps.back();
            if (i > 0)
                intervals.push_back(now - last);
            last = now;
            ++i;
            QTimer::singleShot(0, window_.get(), [this, &step, running, index = i] {
                if (!*running)
                    return;
                step(index);
                window_->update();
            });
        };
        window_->update();
        while (i <= frames_)
            vand::bench::FrameWatch::Spin();
        *running = false;
        watch_->onSwap = nullptr;
        Report(what, intervals);
    }

    void ZoomFrames()
    {
        std::vector<double> intervals;
        double last = 0;
        bool recording = false;
        watch_->onSwap = [&] {
            if (recording)
                intervals.push_back(watch_->swaps.back() - last);
            last = watch_->swaps.back();
            recording = true;
        };
        for (int round = 0; round < std::max(1, frames_ / 30); ++round) {
            const bool in = timeline_->property("viewScale").toDouble() < 1.0;
            QMetaObject::invokeMethod(timeline_, in ? "zoomin" : "zoomout", Q_ARG(QVariant, 3.85),
                                      Q_ARG(QVariant, true));
            recording = false;
            const double until = NowMs() + 320;
            while (NowMs() < until) {
                window_->update();
                vand::bench::FrameWatch::Spin();
            }
        }
        watch_->onSwap = nullptr;
        Report("zoom", intervals);
    }

    void Report(const char* what, const std::vector<double>& intervals)
    {
        const Stats s = Summarise(intervals);
        Print(what, QString("%1 frames: median %2 ms, p95 %3 ms, max %4 ms")
                        .arg(intervals.size())
                        .arg(s.median, 0, 'f', 1)
                        .arg(s.p95, 0, 'f', 1)
                        .arg(s.max, 0, 'f', 1));
    }

    int TimeBars() const
    {
        int n = 0;
        for (QQuickItem* child : timeline_->findChild<QQuickItem*>(QStringLiteral("barsRegion"))->childItems())
            n += child->objectName() == QLatin1String("timeBar") ? 1 : 0;
        return n;
    }

    int ItemViews() const
    {
        int n = 0;
        for (auto* item : controller_->Items())
            n += item->HasView() ? 1 : 0;
        return n;
    }

public:
    std::string backend_;

private:
    std::string song_;
    int frames_;
    std::shared_ptr<vand::player::ManualClock> clock_;
    std::shared_ptr<vand::Pelorin2AudioInterface> engine_;
    std::shared_ptr<vand::ShowManager> manager_;
    std::shared_ptr<vand::qt::EditModel> model_;
    QQmlEngine qml_;
    std::unique_ptr<QQuickWindow> window_;
    QQuickItem* timeline_ = nullptr;
    QQuickItem* flick_ = nullptr;
    std::unique_ptr<vand::qt::TimelineController> controller_;
    std::unique_ptr<vand::bench::FrameWatch> watch_;
};

void WriteShow(const fs::path& folder)
{
    vand::bench::WritePatternShow(folder, {{"1", 6000}, {"2", 300}}, [](CL::ChangeLog& log) {
        AddPatternEdits(log.GetOrCreateSongLog("1"), 6000);
        AddPatternEdits(log.GetOrCreateSongLog("2"), 300);
    });
}

} // namespace

int main(int argc, char** argv)
{
    std::vector<std::string> args(argv + 1, argv + argc);
    int frames = 300;
    for (std::size_t i = 0; i + 1 < args.size(); ++i) {
        if (args[i] == "--frames")
            frames = std::max(30, std::stoi(args[i + 1]));
    }
    if (args.size() >= 3 && args[0] == "--child") {
        QGuiApplication app(argc, argv);
        try {
            Bench bench(fs::u8path(args[1]), args[2], frames);
            bench.backend_ = qEnvironmentVariable("QT_QUICK_BACKEND", "opengl").toStdString();
            bench.Run();
        } catch (const std::exception& e) {
            std::cerr << "bench_timeline: " << e.what() << '\n';
            return 1;
        }
        return 0;
    }

    QCoreApplication app(argc, argv);
    if (args.size() >= 2 && args[0] == "--write-show") {
        WriteShow(fs::u8path(args[1]));
        return 0;
    }
    QTemporaryDir dir;
    const fs::path folder = fs::u8path(dir.path().toStdString());
    WriteShow(folder);
    std::printf("%-6s %-8s %-6s %s\n", "bars", "backend", "what", "figures");
    int failures = 0;
    for (const char* backend : {"software", ""}) {
        for (const char* song : {"1", "2"}) {
            QProcess child;
            QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
            if (*backend)
                env.insert("QT_QUICK_BACKEND", backend);
            else
                env.remove("QT_QUICK_BACKEND");
            child.setProcessEnvironment(env);
            child.setProcessChannelMode(QProcess::ForwardedChannels);
            child.start(QCoreApplication::applicationFilePath(), {"--child", QString::fromStdString(folder.string()),
                                                                  song, "--frames", QString::number(frames)});
            child.waitForFinished(-1);
            failures += child.exitCode() != 0 ? 1 : 0;
        }
    }
    return failures;
}
