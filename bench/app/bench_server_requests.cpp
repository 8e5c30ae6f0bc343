// Server requests against a show server that accepts and never answers (run
// on demand, offscreen): Share Edits and Download Latest Log are started from
// the event loop of the main window on the small demo show, and run until
// they end (at the request's deadline, 3 s here); Share then saves locally,
// which is also measured alone (Save Edits). Meanwhile:
//   - a 1 ms timer on the GUI thread: the longest gap between its ticks
//     (goal <= 50 ms);
//   - a desk on another thread sends "/vand/stop" every 50 ms to the OSC
//     port: the time from each send to the engine's Stop (goal <= 100 ms).
// Uses only the main window's slots and its message dialog.

#include <QGuiApplication>
#include <QQmlApplicationEngine>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <arpa/inet.h>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <netinet/in.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>
#include <vector>

#include "../showcontrol/UdpBench.h"
#include "DemoData.h"
#include "GapWatch.h"
#include "StampEngine.h"
#include "app/AppQmlEngineSetup.h"
#include "app/MusicalMainController.h"
#include "app/PelorinPlayerFactory.h"
#include "showcontrol/OscMessage.h"
#include "ui/DialogController.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;
using vand::bench::g_stops;
using vand::bench::Loopback;

// Accepts connections on 127.0.0.1 and holds them open, answering nothing.
class SilentServer
{
public:
    SilentServer()
    {
        listener_ = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address = Loopback(0);
        socklen_t length = sizeof address;
        ::bind(listener_, reinterpret_cast<const sockaddr*>(&address), sizeof address);
        ::listen(listener_, 16);
        ::getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length);
        port_ = ntohs(address.sin_port);
        thread_ = std::thread([this] {
            for (;;) {
                const int client = ::accept(listener_, nullptr, nullptr);
                if (client < 0)
                    return;
                held_.push_back(client);
            }
        });
    }
    ~SilentServer()
    {
        ::shutdown(listener_, SHUT_RDWR);
        ::close(listener_);
        thread_.join();
        for (int fd : held_)
            ::close(fd);
    }
    quint16 Port() const { return port_; }

private:
    int listener_ = -1;
    quint16 port_ = 0;
    std::vector<int> held_;
    std::thread thread_;
};

struct Figures
{
    double requestMs = 0;
    double longestGapMs = 0;
    std::vector<double> stopMs; // per /vand/stop, send to engine
    int lost = 0;
};

// Starts `request` from the event loop and runs the loop until the message
// dialog that ends it has opened.
Figures Measure(vand::qt::MusicalMainController& controller, quint16 oscPort, const std::function<void()>& request)
{
    Figures figures;
    vand::bench::GapWatch gaps;
    const QByteArray stop = vand::osc::BuildOscPacket(QStringLiteral("/vand/stop"));
    std::atomic<bool> ended{false};
    std::atomic<bool> deskDone{false};
    std::thread desk([&] {
        const int socket = ::socket(AF_INET, SOCK_DGRAM, 0);
        const sockaddr_in to = Loopback(oscPort);
        while (!ended.load()) {
            const int before = g_stops.load();
            const auto sent = Clock::now();
            ::sendto(socket, stop.constData(), std::size_t(stop.size()), 0, reinterpret_cast<const sockaddr*>(&to),
                     sizeof to);
            while (g_stops.load() == before && Clock::now() - sent < std::chrono::seconds(20))
                std::this_thread::sleep_for(std::chrono::microseconds(100));
            if (g_stops.load() == before)
                ++figures.lost;
            else
                figures.stopMs.push_back(std::chrono::duration<double, std::milli>(Clock::now() - sent).count());
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        ::close(socket);
        deskDone = true;
    });

    const vand::qt::DialogController* before = controller.GetMessageDialog();
    const auto start = Clock::now();
    gaps.Start();
    QTimer::singleShot(0, &controller, request);
    while (controller.GetMessageDialog() == before)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
    figures.requestMs = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
    gaps.Stop();
    ended = true;
    // The desk's last command still needs the loop.
    while (!deskDone.load())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    desk.join();
    figures.longestGapMs = gaps.LongestMs();
    return figures;
}

void Print(const char* name, Figures figures)
{
    std::sort(figures.stopMs.begin(), figures.stopMs.end());
    const auto at = [&](double q) {
        return figures.stopMs.empty()
                   ? 0.0
                   : figures.stopMs[std::min(figures.stopMs.size() - 1, std::size_t(q * figures.stopMs.size()))];
    };
    std::printf("%-20s request %7.0f ms   longest GUI gap %8.1f ms (goal <= 50)   /vand/stop -> engine: %zu sent, "
                "p50 %6.1f ms, max %8.1f ms (goal <= 100)%s\n",
                name, figures.requestMs, figures.longestGapMs, figures.stopMs.size() + figures.lost, at(0.5),
                figures.stopMs.empty() ? 0.0 : figures.stopMs.back(), figures.lost ? "  (some never arrived)" : "");
}

} // namespace

int main(int argc, char** argv)
{
    QTemporaryDir home;
    vand::bench::UseOffscreenHome(home.path());
    QGuiApplication application(argc, argv);
    std::setvbuf(stdout, nullptr, _IOLBF, 0);

    const vand::bench::DemoData demo(home.path());
    const fs::path data = demo.data;
    const quint16 oscPort = demo.oscPort;
    SilentServer server;
    std::ofstream(data / "server.json") << "{\"apiBase\": \"http://127.0.0.1:" << server.Port()
                                        << "/\", \"apiDeadlineMs\": 3000, \"fileDeadlineMs\": 3000}\n";

    QQmlApplicationEngine engine;
    vand::qt::PrepareAppQmlEngine(engine);
    vand::bench::StampFactory factory;
    vand::qt::MusicalMainController controller(&engine, &factory);
    QCoreApplication::processEvents();

    std::printf("Requests to a show server that never answers, the main window on the small demo show:\n");
    Print("Share Edits", Measure(controller, oscPort, [&] { controller.onSaveAndUploadButton(); }));
    Print("Download Latest Log", Measure(controller, oscPort, [&] { controller.GetLatestLogClicked_(); }));
    // What Share does on its own when the list does not come: a local save.
    Print("Save Edits (local)", Measure(controller, oscPort, [&] { controller.onSaveButton(); }));
    return 0;
}
