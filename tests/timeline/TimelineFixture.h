#pragma once

// A timeline on a real engine: a show folder with silent audio, the product's
// engine on a manual clock (its seeks recorded), the show manager, the edit
// model, and the main window's timeline panel in a window of its own.

#include <QQmlEngine>
#include <QQuickItem>
#include <QQuickWindow>
#include <QTemporaryDir>
#include <QTest>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "CL/ChangeLog.h"
#include "DemoShow.h"
#include "PanelWindow.h"
#include "QmlWarningGuard.h"
#include "app/AppQmlEngineSetup.h"
#include "engine/ShowFile.h"
#include "model/EditModel.h"
#include "model/ShowManager.h"
#include "timeline/TimelineController.h"
#include "vand_pelorin/OutputClock.h"
#include "vand_pelorin2/Pelorin2AudioInterface.h"

namespace timeline_test {

namespace fs = std::filesystem;

// The product's engine with its seeks recorded (and still made).
class SeekRecordingEngine : public vand::Pelorin2AudioInterface
{
public:
    SeekRecordingEngine(const std::string& show, const std::string& data,
                        std::shared_ptr<vand::player::ManualClock> clock)
        : vand::Pelorin2AudioInterface(show, data, nullptr, Options(std::move(clock)))
    {
    }
    void Seek(UInt32 tick) override
    {
        seeks.push_back(tick);
        vand::Pelorin2AudioInterface::Seek(tick);
    }
    const CL::SongLog* GetSongLog() const override
    {
        return nullLog ? nullptr : vand::Pelorin2AudioInterface::GetSongLog();
    }
    std::vector<UInt32> seeks;
    bool nullLog = false;

private:
    static vand::player::EngineOptions Options(std::shared_ptr<vand::player::ManualClock> clock)
    {
        vand::player::EngineOptions options;
        options.clock = std::move(clock);
        return options;
    }
};

// 4/4 at 120 bpm: a bar is 2000 ticks (80 base pixels), a beat 500 (20).
inline vand::player::SongDefinition Song(const std::string& number, int bars, std::uint32_t startTick = 0)
{
    vand::player::SongDefinition s;
    s.number = number;
    s.name = "Song " + number;
    s.audio = "audio/" + number + ".wav";
    s.startTick = startTick;
    s.barCount = bars;
    s.tempos = {{"1", 120.0}};
    s.meters = {{"1", 4, 4}};
    s.keys = {{"1", 0, 0}};
    return s;
}

struct ShowSetup
{
    std::vector<vand::player::SongDefinition> songs;
    CL::ChangeLog log;
    std::uint32_t tailMs = 0;
    // Song definitions that replace the written ones after the audio is made
    // (a song longer than its audio).
    std::vector<vand::player::SongDefinition> rewritten;
    bool fadeRegion = true;
    bool osc = true;
};

class TimelineFixture
{
    QTemporaryDir dir_;

public:
    explicit TimelineFixture(ShowSetup setup)
    {
        const fs::path root(dir_.path().toStdString());
        const fs::path showFolder = root / "show";
        const fs::path dataFolder = root / "data";
        fs::create_directories(dataFolder);
        vand::player::ShowDefinition show;
        show.identifier = "test";
        show.showName = "Test Show";
        show.songs = setup.songs;
        vand::demo::AudioStyle style;
        style.format = vand::demo::AudioStyle::Format::Wav;
        style.sampleRate = 8000;
        style.channels = 1;
        style.silent = true;
        style.tailMs = setup.tailMs;
        vand::demo::WriteShowFolder(showFolder, show, style);
        if (!setup.rewritten.empty()) {
            show.songs = setup.rewritten;
            vand::demo::WriteShowFolder(root / "unused", show, style);
            fs::copy_file(root / "unused" / "show.json", showFolder / "show.json",
                          fs::copy_options::overwrite_existing);
        }
        setup.log.SetShowIdentifier(show.identifier);
        setup.log.SaveToFile(showFolder / CL::ChangeLog::MakeFileName(show.showName, setup.log.GetVersion()));

        clock = std::make_shared<vand::player::ManualClock>();
        engine = std::make_shared<SeekRecordingEngine>(showFolder.string(), dataFolder.string(), clock);
        engine->ThrowIfThreadExceptions();
        manager = std::make_shared<vand::ShowManager>(engine);
        model = std::make_shared<vand::qt::EditModel>(manager, setup.osc);

        vand::qt::PrepareAppQmlEngine(qml);
        vand::test::QmlWarningGuard guard;
        QString error;
        window = vand::test::MakePanelWindow(qml, {}, error);
        if (!window)
            qFatal("%s", qPrintable(error));
        timeline = vand::test::PanelTimeline(*window);
        controller = std::make_unique<vand::qt::TimelineController>(timeline, &qml, engine, manager, model,
                                                                    setup.fadeRegion, setup.osc);
        if (!guard.warnings().isEmpty())
            qFatal("%s", qPrintable(guard.warnings().join('\n')));
    }

    ~TimelineFixture()
    {
        controller.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        window.reset();
        model.reset();
        manager.reset();
        engine->Shutdown();
    }

    // Makes the engine load a song and the timeline follow, as the song-loaded
    // event does.
    void Load(const std::string& song)
    {
        if (engine->GetCurrentSongNumber() != song) {
            engine->LoadSong(song);
            clock->Pump();
        }
        controller->SetCurrentSong(song);
    }

    QQuickItem* Child(const char* name) const { return timeline->findChild<QQuickItem*>(QString::fromLatin1(name)); }
    QQuickItem* Flickable() const { return Child("timelineFlickable"); }
    double ContentX() const { return Flickable()->property("contentX").toDouble(); }
    void SetZoom(double scale) { timeline->setProperty("viewScale", scale); }
    // The point of the window at content coordinates (x, y).
    QPoint ContentPoint(double x, double y) const
    {
        return Child("timelineContent")->mapToScene(QPointF(x, y)).toPoint();
    }

    std::shared_ptr<vand::player::ManualClock> clock;
    std::shared_ptr<SeekRecordingEngine> engine;
    std::shared_ptr<vand::ShowManager> manager;
    std::shared_ptr<vand::qt::EditModel> model;
    QQmlEngine qml;
    std::unique_ptr<QQuickWindow> window;
    QQuickItem* timeline = nullptr;
    std::unique_ptr<vand::qt::TimelineController> controller;
};

} // namespace timeline_test
