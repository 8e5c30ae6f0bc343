#pragma once

// Edit mode on the small demo show: the product's engine on a manual clock
// with its transport and change-log reloads recorded (AppFixture.h), the show
// manager, the edit model, the main window's timeline panel and edit panel in
// a window of their own, and the timeline and edit controllers made as the
// main controller makes them. The timeline's suspensions are recorded and
// run by hand.

#include <QCoreApplication>
#include <QQmlEngine>
#include <QQuickItem>
#include <QQuickWindow>
#include <QTest>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "AppFixture.h"
#include "PanelWindow.h"
#include "QmlWarningGuard.h"
#include "app/AppQmlEngineSetup.h"
#include "cmn/VandEvent.h"
#include "edit/EditController.h"
#include "edit/EventList.h"
#include "edit/MarkerList.h"
#include "edit/SongList.h"
#include "edit/TimelineEditController.h"
#include "model/EditModel.h"
#include "model/ShowManager.h"
#include "timeline/TimelineController.h"

namespace edit_test {

class EditFixture
{
public:
    // prepareShow may rewrite the show folder before the engine reads it.
    explicit EditFixture(bool osc = true, const std::function<void(const std::filesystem::path&)>& prepareShow = {})
    {
        if (prepareShow)
            prepareShow(folder.show);
        script = std::make_shared<app_test::EngineScript>();
        engine = std::make_shared<app_test::TestEngine>(folder.show.string(), folder.data.string(), script);
        engine->ThrowIfThreadExceptions();
        manager = std::make_shared<vand::ShowManager>(engine);
        model = std::make_shared<vand::qt::EditModel>(manager, osc);

        vand::qt::PrepareAppQmlEngine(qml);
        vand::test::QmlWarningGuard guard;
        vand::test::PanelWindowOptions options;
        options.width = 1366;
        options.height = 720;
        options.editPanel = true;
        options.oscEnable = osc;
        QString error;
        window = vand::test::MakePanelWindow(qml, options, error);
        if (!window)
            qFatal("%s", qPrintable(error));
        timelineView = vand::test::PanelTimeline(*window);
        panel = vand::test::PanelEditPanel(*window);

        timeline =
            std::make_unique<vand::qt::TimelineController>(timelineView, &qml, engine, manager, model, true, osc);
        timeline->SetSingleShot([this](QObject*, int ms, std::function<void()> fire) {
            suspensions.push_back(ms);
            timers.push_back(std::move(fire));
        });
        timeline->SetCurrentSong(engine->GetCurrentSongNumber());
        edit = std::make_unique<vand::qt::EditController>(&qml, manager, model, engine, panel, *timeline, osc);
        edit->SetCurrentSong(engine->GetCurrentSongNumber());
        if (!guard.warnings().isEmpty())
            qFatal("%s", qPrintable(guard.warnings().join('\n')));
        FireTimers();
        script->Take();
        suspensions.clear();
    }

    ~EditFixture()
    {
        edit.reset();
        timeline.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        window.reset();
        model.reset();
        manager.reset();
        engine->Shutdown();
    }

    // Runs the suspensions' timeouts.
    void FireTimers()
    {
        auto due = std::move(timers);
        timers.clear();
        for (auto& fire : due)
            fire();
    }

    // Loads a song and has the timeline and the lists follow, as the
    // song-loaded event does.
    void Load(const std::string& song)
    {
        engine->LoadSong(song);
        script->clock->Pump();
        timeline->SetCurrentSong(song);
        edit->SetCurrentSong(song);
    }

    CL::Editor& Editor() const { return *manager->GetEditor(); }
    // The change log's event of the current song with this id.
    const cmn::VandEvent* Event(const std::string& id) const
    {
        const auto events = Editor().GetEventsByEventId();
        const auto found = events.find(id);
        return found == events.end() ? nullptr : found->second;
    }
    // The row of the panel events with this id, -1 when none.
    int PanelRow(const std::string& id) const
    {
        const auto& events = model->changeLogPanelEvents;
        for (std::size_t i = 0; i < events.size(); ++i) {
            if (events[i]->EventId() == id)
                return static_cast<int>(i);
        }
        return -1;
    }
    QObject* View(const char* name) const { return panel->property(name).value<QObject*>(); }
    QObject* Button(const char* name) const { return View("editBarControl")->property(name).value<QObject*>(); }
    bool Enabled(const char* name) const { return Button(name)->property("enabled").toBool(); }

    app_test::DataFolder folder;
    std::shared_ptr<app_test::EngineScript> script;
    std::shared_ptr<app_test::TestEngine> engine;
    std::shared_ptr<vand::ShowManager> manager;
    std::shared_ptr<vand::qt::EditModel> model;
    QQmlEngine qml;
    std::unique_ptr<QQuickWindow> window;
    QQuickItem* timelineView = nullptr;
    QQuickItem* panel = nullptr;
    std::unique_ptr<vand::qt::TimelineController> timeline;
    std::unique_ptr<vand::qt::EditController> edit;
    std::vector<int> suspensions;
    std::vector<std::function<void()>> timers;
};

} // namespace edit_test
