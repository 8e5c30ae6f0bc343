// Sixteen long sounds in the active-audio list of sfx-host's window: how
// often the GUI thread writes a row's progress, how busy that thread is, and
// the time between frames the window swaps while the rows move.
//
// Needs a sound server and a display: under Xvfb,
//   eval "$(scripts/start-audio build-bench)"
//   xvfb-run -a build/bench/sfx/bench_activeaudio [seconds]

#include "BenchClock.h"
#include "CL/Editor.h"
#include "SfxHost.h"
#include "SfxShow.h"
#include "sfx/ActiveAudioListModel.h"
#include "sfx/SfxRepository.h"
#include "ui/QmlEngineSetup.h"

#include <QGuiApplication>
#include <QQmlEngine>
#include <QQuickWindow>
#include <QTemporaryDir>

#include <cstdio>
#include <iostream>
#include <sstream>

using vand::audio::sfx::SfxDto;
using vand::sfx::ActiveAudioListModel;

int main(int argc, char* argv[])
{
    QGuiApplication app(argc, argv);
    const int seconds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 10;
    constexpr int kSounds = 16;

    QTemporaryDir dir;
    vand::test::InstallDemoCatalogue(dir);
    CL::Editor editor;
    QQmlEngine engine;
    vand::qt::PrepareQmlEngine(engine);
    vand::sfxhost::SfxHost host(editor, engine);
    QQuickWindow* window = host.ActiveAudioWindow();
    window->resize(420, 16 * 45 + 80);

    std::vector<std::string> events;
    {
        std::ostringstream quiet;
        std::streambuf* out = std::cout.rdbuf(quiet.rdbuf());
        vand::audio::ChangeLogSfxRepository store(&editor);
        // Finite repeats: an endless sound reports no progress.
        const char* effects[] = {"bell", "knock", "chime"};
        for (int i = 0; i < kSounds; ++i) {
            const std::string id = store.GenerateEventId();
            const std::string effect = effects[i % 3];
            store.Save(SfxDto::builder()
                           .eventId(id)
                           .name("Sound " + std::to_string(i + 1))
                           .effectId(effect)
                           .repeats(500)
                           .volume(0.05f)
                           .type(vand::audio::SfxType::PRIMARY)
                           .build());
            events.push_back(id);
        }
        std::cout.rdbuf(out);
    }
    host.Reload();

    const std::shared_ptr<ActiveAudioListModel> list = host.Controller().getActiveAudioList();
    for (const std::string& id : events)
        host.Controller().play(id);
    vand::bench::runFor(15000, [&] { return list->rowCount() == kSounds; });
    if (list->rowCount() != kSounds) {
        std::fprintf(stderr, "only %d of %d sounds started\n", list->rowCount(), kSounds);
        return 1;
    }
    vand::bench::runFor(500);

    long progressWrites = 0;
    QObject::connect(list.get(), &QAbstractItemModel::dataChanged, list.get(),
                     [&](const QModelIndex&, const QModelIndex&, const QList<int>& roles) {
                         if (roles.contains(ActiveAudioListModel::ProgressRole))
                             ++progressWrites;
                     });
    // Swaps come queued from the render thread where there is one.
    std::vector<double> swaps;
    QObject::connect(window, &QQuickWindow::frameSwapped, window,
                     [&swaps] { swaps.push_back(vand::bench::ms(vand::bench::Clock::now().time_since_epoch())); });
    const double guiCpuBefore = vand::bench::cpuSeconds(RUSAGE_THREAD);
    const double processCpuBefore = vand::bench::cpuSeconds();
    const auto start = vand::bench::Clock::now();
    vand::bench::runFor(seconds * 1000);
    const double wall = vand::bench::ms(vand::bench::Clock::now() - start) / 1000.0;
    const double guiCpu = vand::bench::cpuSeconds(RUSAGE_THREAD) - guiCpuBefore;
    const double processCpu = vand::bench::cpuSeconds() - processCpuBefore;

    std::vector<double> gaps;
    for (std::size_t i = 1; i < swaps.size(); ++i)
        gaps.push_back(swaps[i] - swaps[i - 1]);
    const vand::bench::Stats gap = vand::bench::statsOf(gaps);
    int playing = 0;
    for (int row = 0; row < list->rowCount(); ++row)
        playing += list->data(list->index(row), ActiveAudioListModel::IsPlayingRole).toBool() ? 1 : 0;

    std::printf("sounds playing: %d of %d, %.1f s measured\n", playing, kSounds, wall);
    std::printf("progress writes on the GUI thread: %.0f/s (%.1f/s per sound)\n", progressWrites / wall,
                progressWrites / wall / kSounds);
    std::printf("GUI thread busy: %.1f %% (whole process %.1f %% of one core)\n", 100.0 * guiCpu / wall,
                100.0 * processCpu / wall);
    std::printf("frames swapped: %zu (%.1f/s); time between frames median %.1f ms, p95 %.1f ms, max %.1f ms\n",
                swaps.size(), swaps.size() / wall, gap.median, gap.p95, gap.max);

    host.Controller().stop(true);
    vand::bench::runFor(2000, [&] { return list->rowCount() == 0; });
    return 0;
}
