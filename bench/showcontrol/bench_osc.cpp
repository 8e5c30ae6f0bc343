// OSC benchmarks (run on demand):
//   1. decoding, dispatching and building 20-60-byte messages, ns per packet;
//   2. latency from sendto on 127.0.0.1 to the handler call, interleaved with
//      a bare QUdpSocket pair (send -> readyRead -> read) on the same loop;
//   3. a burst of datagrams sent as fast as possible from another thread:
//      how many were dispatched, how many the kernel dropped (RcvbufErrors),
//      and the longest gap between ticks of a 1 ms timer on the GUI thread.

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTimer>
#include <QUdpSocket>

#include "showcontrol/OscCommand.h"
#include "showcontrol/OscMessage.h"
#include "showcontrol/OscProcInterface.h"
#include "showcontrol/OscServer.h"

#include <algorithm>
#include <arpa/inet.h>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <functional>
#include <memory>
#include <netinet/in.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

double Us(Clock::duration d)
{
    return std::chrono::duration<double, std::micro>(d).count();
}

volatile std::size_t g_sink = 0;

const char* const kMessages[] = {
    "/vand/song/12/play",
    "/vand/volume -6",
    "/x 1 2.5 hello",
    "/vand/sfx/2/fadeto -6 1.5",
    "/vand/show/my_show/song/3/fadeout 2",
    "/vand/event/E5/go \"a longer string\" 7",
};

// Notes the time of the last command call and counts messages.
class TimingHandler : public vand::osc::OscProcInterface
{
public:
    Clock::time_point* lastCall = nullptr;
    std::atomic<int>* messages = nullptr;
    void Play(const std::string&, const std::string&) override { *lastCall = Clock::now(); }
    void Notification(const vand::osc::OscMessage&) override
    {
        if (messages)
            messages->fetch_add(1, std::memory_order_relaxed);
    }
    void Error(const std::string&, const std::string&) override {}
};

void BenchCodec()
{
    std::printf("1. codec, ns per packet (median of 5 runs of 200000):\n");
    std::printf("   %-40s %5s %9s %9s %9s\n", "message", "bytes", "decode", "+dispatch", "build");
    struct : vand::osc::OscProcInterface
    {
        void Error(const std::string&, const std::string&) override {}
    } handler;
    for (const char* text : kMessages) {
        const QString message = QString::fromUtf8(text);
        const QByteArray packet = vand::osc::BuildOscPacket(message);
        const auto time = [](auto&& body) {
            constexpr int runs = 5;
            constexpr int count = 200000;
            std::vector<double> ns;
            for (int r = 0; r < runs; ++r) {
                const auto t0 = Clock::now();
                for (int i = 0; i < count; ++i)
                    body();
                ns.push_back(std::chrono::duration<double, std::nano>(Clock::now() - t0).count() / count);
            }
            std::sort(ns.begin(), ns.end());
            return ns[runs / 2];
        };
        const double decode = time([&] {
            const auto m = vand::osc::DecodeOscMessage(packet.constData(), std::size_t(packet.size()));
            g_sink = g_sink + m.arguments.size();
        });
        const double dispatch = time([&] {
            const auto m = vand::osc::DecodeOscMessage(packet.constData(), std::size_t(packet.size()));
            vand::osc::DispatchOscCommand(&handler, m);
        });
        const double build = time([&] { g_sink = g_sink + std::size_t(vand::osc::BuildOscPacket(message).size()); });
        std::printf("   %-40s %5lld %9.0f %9.0f %9.0f\n", text, static_cast<long long>(packet.size()), decode, dispatch,
                    build);
    }
}

int UdpSender()
{
    return ::socket(AF_INET, SOCK_DGRAM, 0);
}

sockaddr_in Loopback(quint16 port)
{
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_port = htons(port);
    to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    return to;
}

quint16 FreePort()
{
    QUdpSocket probe;
    probe.bind(QHostAddress::Any, 0, QUdpSocket::DontShareAddress);
    return probe.localPort();
}

struct Percentiles
{
    double p50, p99, max;
};

Percentiles Summarise(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    const auto at = [&](double q) { return values[std::min(values.size() - 1, std::size_t(q * values.size()))]; };
    return {at(0.50), at(0.99), values.back()};
}

void BenchLatency()
{
    constexpr int count = 10000;
    constexpr int warmup = 500;
    Clock::time_point handled{};
    auto handler = std::make_unique<TimingHandler>();
    handler->lastCall = &handled;
    const quint16 serverPort = FreePort();
    vand::osc::OscServer server(serverPort, std::move(handler));

    QUdpSocket raw;
    raw.bind(QHostAddress::LocalHost, 0);
    Clock::time_point rawRead{};
    QObject::connect(&raw, &QUdpSocket::readyRead, [&] {
        while (raw.hasPendingDatagrams()) {
            QByteArray datagram(raw.pendingDatagramSize(), Qt::Uninitialized);
            raw.readDatagram(datagram.data(), datagram.size());
        }
        rawRead = Clock::now();
    });

    const int sender = UdpSender();
    const QByteArray packet = vand::osc::BuildOscPacket("/vand/song/3/play");
    const sockaddr_in toServer = Loopback(serverPort);
    const sockaddr_in toRaw = Loopback(raw.localPort());
    std::vector<double> ours, bare;
    for (int i = 0; i < 2 * (count + warmup); ++i) {
        const bool toOurs = i % 2 == 0;
        Clock::time_point& arrived = toOurs ? handled : rawRead;
        arrived = {};
        const sockaddr_in& to = toOurs ? toServer : toRaw;
        const auto t0 = Clock::now();
        ::sendto(sender, packet.constData(), std::size_t(packet.size()), 0, reinterpret_cast<const sockaddr*>(&to),
                 sizeof to);
        while (arrived == Clock::time_point{})
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        if (i >= 2 * warmup)
            (toOurs ? ours : bare).push_back(Us(arrived - t0));
    }
    ::close(sender);

    const Percentiles o = Summarise(ours);
    const Percentiles b = Summarise(bare);
    std::printf("\n2. latency sendto -> call on 127.0.0.1, %d datagrams each, interleaved (us):\n", count);
    std::printf("   %-28s p50 %6.1f   p99 %6.1f   max %7.1f\n", "OscServer -> handler", o.p50, o.p99, o.max);
    std::printf("   %-28s p50 %6.1f   p99 %6.1f   max %7.1f\n", "bare QUdpSocket pair", b.p50, b.p99, b.max);
    std::printf("   p99 ratio ours/bare: %.2f\n", o.p99 / b.p99);
}

long RcvbufErrors()
{
    QFile snmp(QStringLiteral("/proc/net/snmp"));
    if (!snmp.open(QIODevice::ReadOnly))
        return -1;
    QList<QByteArray> names;
    while (!snmp.atEnd()) {
        const QList<QByteArray> fields = snmp.readLine().simplified().split(' ');
        if (fields.value(0) != "Udp:")
            continue;
        if (names.isEmpty()) {
            names = fields;
            continue;
        }
        const int at = names.indexOf("RcvbufErrors");
        return at < 0 ? -1 : fields.value(at).toLong();
    }
    return -1;
}

// Sends `count` datagrams to the port from another thread as fast as the
// kernel takes them while the GUI thread runs its loop with a 1 ms timer.
void Burst(const char* label, quint16 port, const std::function<int()>& received, int count)
{
    const QByteArray packet = vand::osc::BuildOscPacket("/vand/song/3/play");
    const long dropsBefore = RcvbufErrors();
    std::atomic<bool> sent{false};

    QElapsedTimer sinceTick;
    qint64 longestGapUs = 0;
    QTimer ticker;
    ticker.setTimerType(Qt::PreciseTimer);
    ticker.setInterval(1);
    QObject::connect(&ticker, &QTimer::timeout, [&] {
        longestGapUs = std::max(longestGapUs, sinceTick.nsecsElapsed() / 1000);
        sinceTick.restart();
    });
    sinceTick.start();
    ticker.start();

    const auto t0 = Clock::now();
    std::thread sender([&] {
        const int socket = UdpSender();
        const sockaddr_in to = Loopback(port);
        for (int i = 0; i < count; ++i)
            ::sendto(socket, packet.constData(), std::size_t(packet.size()), 0,
                     reinterpret_cast<const sockaddr*>(&to), sizeof to);
        ::close(socket);
        sent = true;
    });

    // Runs until everything arrived, or nothing more came for 300 ms after the sender finished.
    int lastSeen = -1;
    auto quietSince = Clock::now();
    while (true) {
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
        const int now = received();
        if (now != lastSeen) {
            lastSeen = now;
            quietSince = Clock::now();
        }
        if (now >= count || (sent && Clock::now() - quietSince > std::chrono::milliseconds(300)))
            break;
    }
    const double seconds = std::chrono::duration<double>(Clock::now() - t0).count();
    sender.join();
    ticker.stop();
    const long dropsAfter = RcvbufErrors();
    std::printf("   %-44s dispatched %5d/%d   dropped %5ld   longest tick gap %6.2f ms   (%.0f ms)\n", label,
                received(), count, dropsAfter - dropsBefore, longestGapUs / 1000.0, seconds * 1000);
}

void BenchBurst()
{
    constexpr int count = 10000;
    std::printf("\n3. burst of %d datagrams from another thread (kernel limit net.core.rmem_max %s):\n", count,
                [] {
                    QFile f(QStringLiteral("/proc/sys/net/core/rmem_max"));
                    static QByteArray text;
                    text = f.open(QIODevice::ReadOnly) ? f.readAll().trimmed() : QByteArray("?");
                    return text.constData();
                }());
    {
        std::atomic<int> messages{0};
        Clock::time_point ignored{};
        auto handler = std::make_unique<TimingHandler>();
        handler->lastCall = &ignored;
        handler->messages = &messages;
        const quint16 port = FreePort();
        vand::osc::OscServer server(port, std::move(handler));
        Burst("OscServer (4 MiB buffer, 256 per read)", port, [&] { return messages.load(); }, count);
    }
    {
        QUdpSocket raw;
        raw.bind(QHostAddress::LocalHost, 0);
        int got = 0;
        QObject::connect(&raw, &QUdpSocket::readyRead, [&] {
            while (raw.hasPendingDatagrams()) {
                QByteArray datagram(raw.pendingDatagramSize(), Qt::Uninitialized);
                raw.readDatagram(datagram.data(), datagram.size());
                vand::osc::DecodeOscMessage(datagram.constData(), std::size_t(datagram.size()));
                ++got;
            }
        });
        Burst("bare QUdpSocket (default buffer, reads all)", raw.localPort(), [&] { return got; }, count);
    }
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    BenchCodec();
    BenchLatency();
    BenchBurst();
    return 0;
}
