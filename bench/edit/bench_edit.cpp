// Edit mode on a long song: the 6 000-bar pattern song of the timeline
// benchmark with about 1 000 change-log events and 300 markers, in a
// 1366 x 768 window holding the main window's timeline panel and edit panel,
// the controllers wired as the main controller wires them.
//
//   bench_edit [--rounds N]
//
// Times, from the call (or the click) to the next swapped frame: Delete,
// Undo and Redo of an event, a drag of a region on the timeline, a click on
// an event-list row and a click on a marker-list row (which also seeks).
// Prints the median and the maximum in ms. Targets: an edit under 100 ms, a
// selection within one frame (16.7 ms). Run it under a display (Xvfb);
// QT_QUICK_BACKEND=software selects the software renderer.

#include <QColor>
#include <QGuiApplication>
#include <QQmlEngine>
#include <QQuickItem>
#include <QQuickWindow>
#include <QTemporaryDir>
#include <QTest>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "CL/Editor.h"
#include "FrameWatch.h"
#include "PanelWindow.h"
#include "PatternShow.h"
#include "ProcessMemory.h"
#include "app/AppQmlEngineSetup.h"
#include "app/DragClamp.h"
#include "edit/EditController.h"
#include "edit/EventList.h"
#include "edit/MarkerList.h"
#include "model/EditModel.h"
#include "model/ShowManager.h"
#include "timeline/TimelineController.h"
#include "vand_core/qt/MetaTypes.h"
#include "vand_pelorin/OutputClock.h"
#include "vand_pelorin2/Pelorin2AudioInterface.h"

namespace fs = std::filesystem;
using vand::bench::NowMs;

namespace {

constexpr int kBars = 6000;

// "E" and "20" -> "E20" (appended: GCC 12 warns wrongly about "E" + text).
std::string Id(const char* letter, int bar)
{
    std::string id = letter;
    id += std::to_string(bar);
    return id;
}

// A marker every 20 bars (300); a two-bar region every 10 bars, the kinds in
// turn (600); an OSC command every 25 bars (240); a caesura every 40 (150).
void AddEdits(CL::SongLog& log)
{
    const auto tick = vand::bench::PatternBarTick;
    for (int bar = 1; bar <= kBars; bar += 20)
        log.Add(CL::Marker(tick(bar) + 10, Id("M", bar), Id("E", bar)));
    int n = 0;
    for (int bar = 5; bar + 2 <= kBars; bar += 10, ++n) {
        switch (n % 6) {
        case 0:
            log.Add(CL::Repeat(tick(bar), tick(bar + 2), Id("A", bar), 2));
            break;
        case 1:
            log.Add(CL::Vamp(tick(bar), tick(bar + 2), Id("V", bar), 0));
            break;
        case 2:
            log.Add(CL::TempoScale(tick(bar), tick(bar + 2), Id("D", bar), 0.9));
            break;
        case 3:
            log.Add(CL::Transpose(tick(bar), tick(bar + 2), Id("C", bar), 1));
            break;
        case 4:
            log.Add(CL::Cut(tick(bar), tick(bar + 2), Id("B", bar), 0));
            break;
        default:
            log.Add(CL::Fermata(tick(bar), tick(bar + 2), Id("M", bar), 0));
            break;
        }
    }
    for (int bar = 3; bar <= kBars; bar += 25)
        log.Add(CL::Osc(tick(bar), Id("S", bar), CL::OscProperties("/cue/go", "N")));
    for (int bar = 8; bar <= kBars; bar += 40)
        log.Add(CL::Caesura(tick(bar), Id("N", bar), 0));
}

class Bench
{
public:
    explicit Bench(const fs::path& folder)
    {
        clock_ = std::make_shared<vand::player::ManualClock>();
        vand::player::EngineOptions options;
        options.clock = clock_;
        engine_ = std::make_shared<vand::Pelorin2AudioInterface>((folder / "show").string(), (folder / "data").string(),
                                                                 nullptr, options);
        engine_->ThrowIfThreadExceptions();
        manager_ = std::make_shared<vand::ShowManager>(engine_);
        model_ = std::make_shared<vand::qt::EditModel>(manager_, true);
        vand::qt::PrepareAppQmlEngine(qml_);
        vand::test::PanelWindowOptions look;
        look.width = 1366;
        look.height = 768;
        look.editPanel = true;
        look.color = QColor(QStringLiteral("#282828"));
        QString error;
        window_ = vand::test::MakePanelWindow(qml_, look, error);
        if (!window_)
            throw std::runtime_error(error.toStdString());
        QQuickItem* timelineView = vand::test::PanelTimeline(*window_);
        panel_ = vand::test::PanelEditPanel(*window_);
        timeline_ =
            std::make_unique<vand::qt::TimelineController>(timelineView, &qml_, engine_, manager_, model_, true, true);
        timeline_->SetCurrentSong("1");
        edit_ = std::make_unique<vand::qt::EditController>(&qml_, manager_, model_, engine_, panel_, *timeline_, true);
        edit_->SetCurrentSong("1");
        Wire();
        watch_ = std::make_unique<vand::bench::FrameWatch>(window_.get());
    }

    ~Bench()
    {
        edit_.reset();
        timeline_.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        window_.reset();
        engine_->Shutdown();
    }

    void Run(int rounds)
    {
        WaitFrames(3);
        std::printf("song: %d bars, %zu panel events, %zu markers, %zu timeline items; backend %s\n", kBars,
                    model_->changeLogPanelEvents.size(), model_->markers.size(), timeline_->Items().size(),
                    qPrintable(qEnvironmentVariable("QT_QUICK_BACKEND", "opengl")));

        std::vector<double> deletes, undos, redos, drags, eventRows, markerRows;
        for (int round = 0; round < rounds; ++round) {
            const std::size_t count = model_->changeLogPanelEvents.size();
            cmn::VandEvent* event = model_->changeLogPanelEvents[(static_cast<std::size_t>(round) * 97) % count].get();
            model_->SetSelectedEvent(event);
            WaitFrames(2);
            deletes.push_back(Measure([this] { edit_->DeleteRequested(); }));
            undos.push_back(Measure([this] { edit_->UndoRequested(); }));
            redos.push_back(Measure([this] { edit_->RedoRequested(); }));
            edit_->UndoRequested();
            WaitFrames(2);

            // A region on screen, dragged 250 ticks on and back.
            auto regions = timeline_->RegionItems();
            const cmn::VandEvent* region = regions[static_cast<std::size_t>(round) % 4]->GetEvent();
            const int start = static_cast<int>(region->start());
            const int end = static_cast<int>(region->end());
            drags.push_back(
                Measure([&] { emit timeline_->EditDraggedSignal(region, start + 250, end + 250, false, false); }));
            regions = timeline_->RegionItems();
            region = regions[static_cast<std::size_t>(round) % 4]->GetEvent();
            emit timeline_->EditDraggedSignal(region, start, end, false, false);
            WaitFrames(2);

            eventRows.push_back(Measure([&] { ClickRow("eventListControl", "eventListView", round % 8); }));
            WaitFrames(2);
            markerRows.push_back(Measure([&] { ClickRow("markerListControl", "markerListView", round % 8); }));
            WaitFrames(2);
        }
        Report("delete", deletes);
        Report("undo", undos);
        Report("redo", redos);
        Report("drag", drags);
        Report("event row", eventRows);
        Report("marker row", markerRows);
        std::printf("rss: %.1f MiB\n", vand::bench::ResidentKb() / 1024.0);
    }

private:
    // As the main controller relays between the lists and the timeline.
    void Wire()
    {
        using vand::qt::EditController;
        using vand::qt::TimelineController;
        QObject::connect(edit_.get(), &EditController::EventItemChangedSignal, edit_.get(),
                         [this](vand::qt::EventInfoItem item) {
                             timeline_->SelectEvent(item);
                             edit_->ClearMarkerSelection();
                         });
        QObject::connect(edit_.get(), &EditController::MarkerItemChangedSignal, edit_.get(),
                         [this](vand::qt::MarkerInfoItem item) {
                             timeline_->SelectMarker(item);
                             edit_->ClearEventSelection();
                         });
        QObject::connect(timeline_.get(), &TimelineController::EditDraggedSignal, edit_.get(),
                         [this](const cmn::VandEvent* event, int start, int end, bool left, bool right) {
                             const auto ticks = vand::qt::ClampDrag(start, end, engine_->GetSongStartTickIndex("1"),
                                                                    engine_->GetSongLength("1"), left, right);
                             if (vand::qt::FitsInTicks(ticks)
                                 && edit_->onVandMoveEvent(*event, static_cast<UInt32>(ticks.start),
                                                           static_cast<UInt32>(ticks.end), left, right))
                                 edit_->RefreshAfterEdit({});
                         });
    }

    void ClickRow(const char* list, const char* listView, int row)
    {
        QQuickItem* view = panel_->property(list).value<QQuickItem*>()->findChild<QQuickItem*>(listView);
        QQuickItem* delegate = nullptr;
        if (view)
            QMetaObject::invokeMethod(view, "itemAtIndex", Q_RETURN_ARG(QQuickItem*, delegate), Q_ARG(int, row));
        if (!delegate)
            throw std::runtime_error(std::string("no row ") + std::to_string(row) + " in " + listView);
        QTest::mouseClick(window_.get(), Qt::LeftButton, {},
                          delegate->mapToScene(QPointF(delegate->width() / 2, delegate->height() / 2)).toPoint());
    }

    void WaitFrames(int n) { watch_->WaitFrames(n); }
    double Measure(const std::function<void()>& action) { return watch_->TimeToNextFrame(action); }

    static void Report(const char* what, const std::vector<double>& times)
    {
        const vand::bench::Stats s = vand::bench::Summarise(times);
        std::printf("%-10s %zu runs: median %.1f ms, max %.1f ms\n", what, times.size(), s.median, s.max);
        std::fflush(stdout);
    }

    std::shared_ptr<vand::player::ManualClock> clock_;
    std::shared_ptr<vand::Pelorin2AudioInterface> engine_;
    std::shared_ptr<vand::ShowManager> manager_;
    std::shared_ptr<vand::qt::EditModel> model_;
    QQmlEngine qml_;
    std::unique_ptr<QQuickWindow> window_;
    QQuickItem* panel_ = nullptr;
    std::unique_ptr<vand::qt::TimelineController> timeline_;
    std::unique_ptr<vand::qt::EditController> edit_;
    std::unique_ptr<vand::bench::FrameWatch> watch_;
};

} // namespace

int main(int argc, char** argv)
{
    QGuiApplication app(argc, argv);
    int rounds = 20;
    const QStringList args = app.arguments();
    for (int i = 1; i + 1 < args.size(); ++i) {
        if (args[i] == QLatin1String("--rounds"))
            rounds = std::max(1, args[i + 1].toInt());
    }
    try {
        QTemporaryDir dir;
        const fs::path folder = fs::u8path(dir.path().toStdString());
        vand::bench::WritePatternShow(folder, {{"1", kBars}},
                                      [](CL::ChangeLog& log) { AddEdits(log.GetOrCreateSongLog("1")); });
        Bench bench(folder);
        bench.Run(rounds);
    } catch (const std::exception& e) {
        std::cerr << "bench_edit: " << e.what() << '\n';
        return 1;
    }
    return 0;
}
