// OSC cues through the whole application (run on demand, offscreen):
//   1. latency: the bytes `oscsend - /vand/play` writes, sent from a second
//      thread to the main controller on the small demo show, up to the
//      engine's first transport call (Stop); interleaved with a bare
//      QUdpSocket pair on the same event loop;
//   2. flood: datagrams as fast as the kernel takes them, valid cues mixed
//      with malformed ones: cues executed against sent minus kernel drops
//      (RcvbufErrors), the longest gap of a 1 ms timer on the GUI thread, and
//      the incoming-OSC lamp's share of the time spent on the datagrams.
// Run with 2>/dev/null: each malformed datagram writes a line to stderr.

#include <QGuiApplication>
#include <QProcess>
#include <QQmlApplicationEngine>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QUdpSocket>

#include <algorithm>
#include <arpa/inet.h>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <memory>
#include <netinet/in.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>
#include <vector>

#include "DemoData.h"
#include "StampEngine.h"
#include "UdpBench.h"
#include "app/AppQmlEngineSetup.h"
#include "app/MusicalMainController.h"
#include "app/PelorinPlayerFactory.h"
#include "kit/Log.h"
#include "showcontrol/OscMessage.h"
#include "vand_pelorin/OutputClock.h"
#include "vand_pelorin2/Pelorin2AudioInterface.h"

namespace {

using vand::bench::g_lastStop;
using vand::bench::g_stops;
using vand::bench::Loopback;
using vand::bench::NowNs;
using vand::bench::Percentiles;
using vand::bench::Summarise;

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

// liblo's bytes for the cue; ours when oscsend is missing.
QByteArray CuePacket()
{
    const QString oscsend = QStandardPaths::findExecutable(QStringLiteral("oscsend"));
    if (!oscsend.isEmpty()) {
        QProcess process;
        process.start(oscsend, {QStringLiteral("-"), QStringLiteral("/vand/play")});
        if (process.waitForFinished(10000) && process.exitCode() == 0)
            return process.readAllStandardOutput();
    }
    std::printf("   (oscsend missing: using our own bytes)\n");
    return vand::osc::BuildOscPacket(QStringLiteral("/vand/play"));
}

// Runs `body` on a thread of its own while the GUI thread runs its loop;
// returns when the body has finished.
void WhileLooping(const std::function<void()>& body)
{
    std::atomic<bool> done{false};
    std::thread worker([&] {
        body();
        done = true;
    });
    while (!done.load())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    worker.join();
}

void BenchLatency(quint16 port, const QByteArray& cue)
{
    constexpr int count = 10000;
    constexpr int warmup = 300;
    QUdpSocket raw;
    raw.bind(QHostAddress::LocalHost, 0);
    std::atomic<std::int64_t> rawRead{0};
    QObject::connect(&raw, &QUdpSocket::readyRead, [&] {
        while (raw.hasPendingDatagrams()) {
            QByteArray datagram(raw.pendingDatagramSize(), Qt::Uninitialized);
            raw.readDatagram(datagram.data(), datagram.size());
        }
        rawRead.store(NowNs());
    });

    std::vector<double> ours, bare;
    int lost = 0;
    WhileLooping([&] {
        const int sender = ::socket(AF_INET, SOCK_DGRAM, 0);
        const sockaddr_in toOurs = Loopback(port);
        const sockaddr_in toRaw = Loopback(raw.localPort());
        for (int i = 0; i < 2 * (count + warmup); ++i) {
            const bool mine = i % 2 == 0;
            std::atomic<std::int64_t>& stamp = mine ? g_lastStop : rawRead;
            stamp.store(0);
            const sockaddr_in& to = mine ? toOurs : toRaw;
            const std::int64_t t0 = NowNs();
            ::sendto(sender, cue.constData(), std::size_t(cue.size()), 0, reinterpret_cast<const sockaddr*>(&to),
                     sizeof to);
            std::int64_t arrived = 0;
            while ((arrived = stamp.load()) == 0) {
                if (NowNs() - t0 > 2'000'000'000) {
                    ++lost;
                    break;
                }
                std::this_thread::yield();
            }
            if (arrived && i >= 2 * warmup)
                (mine ? ours : bare).push_back((arrived - t0) / 1000.0);
            // Each datagram meets an idle loop: what one cue leaves for later
            // (the lamp) is not charged to the next.
            std::this_thread::sleep_for(std::chrono::microseconds(300));
        }
        ::close(sender);
    });
    const Percentiles o = Summarise(ours);
    const Percentiles b = Summarise(bare);
    std::printf("1. cue latency, sendto on another thread -> engine Stop, %d cues, interleaved (us):\n", count);
    std::printf("   %-30s p50 %7.1f   p99 %7.1f   max %8.1f\n", "main controller (demo show)", o.p50, o.p99, o.max);
    std::printf("   %-30s p50 %7.1f   p99 %7.1f   max %8.1f\n", "bare QUdpSocket pair", b.p50, b.p99, b.max);
    std::printf("   p99 ratio ours/bare: %.2f (target <= 2)%s\n", o.p99 / b.p99,
                lost ? "   (some cues never arrived)" : "");
}

void BenchFlood(quint16 port, const QByteArray& cue, vand::qt::MusicalMainController& controller)
{
    constexpr int count = 10000;
    const QByteArray malformed("/vand/play\0\0,i", 14); // an int tag without its four bytes
    std::atomic<int> reported{0};
    kit::SetLogSink([&](kit::LogLevel, std::string_view area, std::string_view) {
        if (area == "osc")
            reported.fetch_add(1);
    });

    const int stopsBefore = g_stops.load();
    const vand::bench::FloodResult r = vand::bench::Flood(
        port, count, [&](int i) -> const QByteArray& { return i % 4 == 3 ? malformed : cue; },
        [&] { return g_stops.load() - stopsBefore + reported.load(); });
    kit::SetLogSink({});
    const int executed = g_stops.load() - stopsBefore;
    const int validSent = count - count / 4;

    // The lamp alone, as often as the flood lit it.
    const auto l0 = Clock::now();
    for (int i = 0; i < executed + reported.load(); ++i)
        controller.FlashOscNotice();
    const double lampMs = std::chrono::duration<double, std::milli>(Clock::now() - l0).count();

    std::printf("\n2. flood of %d datagrams from another thread, 1 in 4 malformed:\n", count);
    std::printf("   valid sent %d, executed %d, malformed reported %d, kernel drops %ld (sent - drops - executed - "
                "reported = %ld)\n",
                validSent, executed, reported.load(), r.drops, long(count) - r.drops - executed - reported.load());
    std::printf("   handled within %.0f ms; longest 1 ms timer gap %.2f ms (target < 50)\n", r.busyMs, r.longestGapMs);
    std::printf("   lamp: %.1f ms for %d flashes, %.0f%% of the flood's time\n", lampMs, executed + reported.load(),
                100.0 * lampMs / r.busyMs);
}

} // namespace

int main(int argc, char** argv)
{
    QTemporaryDir home;
    vand::bench::UseOffscreenHome(home.path());
    QGuiApplication application(argc, argv);
    std::setvbuf(stdout, nullptr, _IOLBF, 0);

    const vand::bench::DemoData demo(home.path());
    const quint16 port = demo.oscPort;

    const QByteArray cue = CuePacket();
    QQmlApplicationEngine engine;
    vand::qt::PrepareAppQmlEngine(engine);
    vand::bench::StampFactory factory;
    vand::qt::MusicalMainController controller(&engine, &factory);
    QCoreApplication::processEvents();

    BenchLatency(port, cue);
    BenchFlood(port, cue, controller);
    return 0;
}
