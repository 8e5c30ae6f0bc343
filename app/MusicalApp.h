#pragma once

#include <QObject>
#include <memory>

class QGuiApplication;
class QQmlApplicationEngine;

namespace vand {
class PlayerFactory;
}

namespace vand::qt {

class Launcher;

// The application object: its constructor runs the whole life of the
// program (start-up, the event loop) and writes the error log when a
// std::exception ends it.
class MusicalApp : public QObject
{
    Q_OBJECT
public:
    MusicalApp(int& argc, char** argv, std::unique_ptr<vand::PlayerFactory> factory);
    ~MusicalApp() override;

    // 0 after a normal end, non-zero after a fatal error.
    int ExitCode() const { return exitCode_; }

private:
    std::unique_ptr<QGuiApplication> application_;
    std::unique_ptr<QQmlApplicationEngine> engine_;
    std::unique_ptr<Launcher> launcher_;
    int exitCode_ = 0;
};

// This product's application object.
class PelorinApp : public MusicalApp
{
    Q_OBJECT
public:
    PelorinApp(int& argc, char** argv);
};

// True when the first argument after the program that is exactly "-c" or
// "--console" exists.
bool WantsConsole(int argc, char** argv);

} // namespace vand::qt
