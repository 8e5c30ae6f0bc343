// Pictures of the main window's timeline on the demo show, for looking at.
//
//   timeline_shots OUTDIR [SONG...]
//
// Runs the main window on the current show of the data folder
// ($XDG_DATA_HOME/pelorin; scripts/run installs the demo show there) and, for
// each song (default: all), loads it, seeks to its third bar and writes the
// window at zoom 0.3, 1 and 4 as OUTDIR/song<N>-zoom<Z>.png. Run it under a
// display (Xvfb): the offscreen platform draws no shader effects.

#include <QDir>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QImage>
#include <QQmlApplicationEngine>
#include <QQuickItem>
#include <QQuickStyle>
#include <QQuickWindow>
#include <iostream>
#include <string>
#include <vector>

#include "app/AppQmlEngineSetup.h"
#include "app/MusicalMainController.h"
#include "app/PelorinPlayerFactory.h"
#include "model/EditModel.h"
#include "vand_player_core/Interface.h"

namespace {

void Pump(int ms)
{
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < ms) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
}

} // namespace

int main(int argc, char** argv)
{
    QQuickStyle::setStyle(QStringLiteral("Basic"));
    QGuiApplication application(argc, argv);
    if (argc < 2) {
        std::cerr << "usage: timeline_shots OUTDIR [SONG...]\n";
        return 2;
    }
    const QDir out(QString::fromLocal8Bit(argv[1]));
    QDir().mkpath(out.path());
    QQmlApplicationEngine engine;
    vand::qt::PrepareAppQmlEngine(engine);
    vand::qt::PelorinPlayerFactory factory;
    try {
        vand::qt::MusicalMainController controller(&engine, &factory);
        auto* window = qobject_cast<QQuickWindow*>(controller.GetQmlObject());
        QObject* timeline = window->property("timelineControl").value<QObject*>();
        std::vector<std::string> songs;
        for (int i = 2; i < argc; ++i)
            songs.emplace_back(argv[i]);
        if (songs.empty()) {
            for (const auto& [number, name] : controller.GetPlayer()->GetSongNamesBySongNumber())
                songs.push_back(number);
        }
        Pump(500);
        for (const std::string& song : songs) {
            const auto player = controller.GetPlayer();
            // The song-loaded event comes from the engine (also for the song
            // already loaded) and puts the zoom back to 1.
            player->LoadSong(song);
            Pump(1000);
            const auto table = player->GetBarsBeats(song);
            if (table.size() > 8)
                player->Seek(table[8].tick);
            for (double zoom : {0.3, 1.0, 4.0}) {
                timeline->setProperty("viewScale", zoom);
                QMetaObject::invokeMethod(timeline, "setViewStart", Q_ARG(int, 0));
                Pump(800); // beat lines fade in or out over 500 ms
                const QString file =
                    out.filePath(QStringLiteral("song%1-zoom%2.png").arg(QString::fromStdString(song)).arg(zoom));
                if (!window->grabWindow().save(file)) {
                    std::cerr << "cannot write " << file.toStdString() << '\n';
                    return 1;
                }
                std::cout << file.toStdString() << '\n';
            }
        }
    } catch (const std::exception& e) {
        std::cerr << "timeline_shots: " << e.what() << '\n';
        return 1;
    }
    return 0;
}
