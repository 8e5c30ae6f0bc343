#pragma once

// The main window of the shell's tests, made on a product of type Factory:
// the test engine's (AppFixture.h), or a base class when a test changes
// products. The data folder and the QML engine serve the whole test case;
// each test function builds its main controller (Build) and lets it go
// (Destroy). A test class derives from QObject, then from this.

#include <QCoreApplication>
#include <QEvent>
#include <QQmlApplicationEngine>
#include <QQuickWindow>
#include <QTest>
#include <cstddef>
#include <functional>
#include <memory>
#include <string>

#include "AppFixture.h"
#include "app/AppQmlEngineSetup.h"
#include "app/MusicalMainController.h"
#include "notify/CallbackDispatcher.h"

namespace app_test {

template <class Factory = TestFactory>
class MainWindowFixture
{
protected:
    // Deletes what Build() made; a controller another owner deletes (a
    // Launcher's) is only borrowed (Borrow).
    using Controller =
        std::unique_ptr<vand::qt::MusicalMainController, std::function<void(vand::qt::MusicalMainController*)>>;

    // For initTestCase().
    void SetUpTestCase()
    {
        folder = std::make_unique<DataFolder>();
        vand::qt::PrepareAppQmlEngine(engine);
    }

    // Makes the main controller on factory (or on another product) and finds
    // its window.
    void Build(vand::qt::PelorinPlayerFactory* with = nullptr)
    {
        controller = std::make_unique<vand::qt::MusicalMainController>(&engine, with ? with : factory.get());
        window = qobject_cast<QQuickWindow*>(controller->GetQmlObject());
        QVERIFY(window);
    }

    void Borrow(vand::qt::MusicalMainController* made)
    {
        controller = Controller(made, [](vand::qt::MusicalMainController*) {});
        window = made ? qobject_cast<QQuickWindow*>(made->GetQmlObject()) : nullptr;
    }

    // Deletes the main controller, then what it left to be deleted later.
    // The process-wide dispatcher outlives it: a subscription left behind
    // would be called with a dangling target by the next test, so it fails
    // the test that left it.
    void Destroy()
    {
        controller.reset();
        QCoreApplication::sendPostedEvents();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        window = nullptr;
        QCOMPARE(notify::callbackDispatcher->CallbackCount(), std::size_t(0));
    }

    // Loads a song and delivers the engine's events, as while running (on
    // the test engine).
    void LoadSong(const std::string& song)
    {
        controller->GetPlayer()->LoadSong(song);
        factory->script->clock->Pump();
        QCoreApplication::sendPostedEvents();
    }

    std::unique_ptr<DataFolder> folder;
    QQmlApplicationEngine engine;
    std::unique_ptr<Factory> factory;
    Controller controller;
    QQuickWindow* window = nullptr;
};

} // namespace app_test
