#include "app/MusicalApp.h"

#include <QGuiApplication>
#include <QQmlApplicationEngine>
#include <QQuickStyle>
#include <cstring>
#include <exception>
#include <string>

#include "app/AppQmlEngineSetup.h"
#include "app/ErrorLog.h"
#include "app/Launcher.h"
#include "app/PelorinPlayerFactory.h"
#include "vand/os/Console.h"

namespace vand::qt {

bool WantsConsole(int argc, char** argv)
{
    for (int i = 1; i < argc; ++i) {
        if (argv[i] && (std::strcmp(argv[i], "-c") == 0 || std::strcmp(argv[i], "--console") == 0))
            return true;
    }
    return false;
}

MusicalApp::MusicalApp(int& argc, char** argv, std::unique_ptr<vand::PlayerFactory> factory)
    : QObject(nullptr)
{
    // The image resources and the QML modules register themselves by static
    // initialisation (they are linked in as resource objects and plug-ins).
    if (WantsConsole(argc, argv))
        vand::os::OpenConsole();

    std::string version;
    std::string errorLogFolder;
    std::string applicationName;
    try {
        if (!factory)
            throw std::invalid_argument("No product identity.");
        version = factory->VersionString().toStdString() + " - " + factory->BuildIdentifier().toStdString();
        errorLogFolder = factory->ErrorLogFolder();
        applicationName = factory->displayName.toUtf8().toStdString();

        QQuickStyle::setStyle(QStringLiteral("Basic"));
        QGuiApplication::setHighDpiScaleFactorRoundingPolicy(Qt::HighDpiScaleFactorRoundingPolicy::PassThrough);
        application_ = std::make_unique<QGuiApplication>(argc, argv);

        engine_ = std::make_unique<QQmlApplicationEngine>();
        PrepareAppQmlEngine(*engine_);
        connect(engine_.get(), &QQmlEngine::quit, QCoreApplication::instance(), &QCoreApplication::quit,
                Qt::DirectConnection);

        launcher_ = std::make_unique<Launcher>(engine_.get(), std::move(factory));

        QGuiApplication::exec();
        if (std::exception_ptr fatal = launcher_->TakeFatalError())
            std::rethrow_exception(fatal);
    } catch (const std::exception& e) {
        vand::WriteErrorLog(errorLogFolder, applicationName, version, e);
        exitCode_ = 1;
    }
}

MusicalApp::~MusicalApp()
{
    launcher_.reset();
    // The controllers delete their views later; after the event loop nothing
    // would, so the views go here, before the engine they were built with.
    if (application_)
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    engine_.reset();
    application_.reset();
}

PelorinApp::PelorinApp(int& argc, char** argv)
    : MusicalApp(argc, argv, std::make_unique<PelorinPlayerFactory>())
{
}

} // namespace vand::qt
