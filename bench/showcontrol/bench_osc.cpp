// OSC benchmarks (run on demand):
//   1. decoding, dispatching and building 20-60-byte messages, ns per packet;
//   2. latency from sendto on 127.0.0.1 to the handler call, interleaved with
//      a bare QUdpSocket pair (send -> readyRead -> read) on the same loop;
//   3. a burst of datagrams sent as fast as possible from another thread:
//      how many were dispatched, how many the kernel dropped (RcvbufErrors),
//      and the longest gap between ticks of a 1 ms timer on the GUI thread.

#include <QCoreApplication>
#include <QFile>
#include <QUdpSocket>

#include "UdpBench.h"
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

using vand::bench::FreePort;
using vand::bench::Loopback;
using vand::bench::Percentiles;
using vand::bench::Summarise;

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

void Burst(const char* label, quint16 port, const std::function<int()>& received, int count)
{
    const QByteArray packet = vand::osc::BuildOscPacket("/vand/song/3/play");
    const vand::bench::FloodResult r = vand::bench::Flood(
        port, count, [&](int) -> const QByteArray& { return packet; }, received);
    std::printf("   %-44s dispatched %5d/%d   dropped %5ld   longest tick gap %6.2f ms   (%.0f ms)\n", label,
                received(), count, r.drops, r.longestGapMs, r.busyMs);
}

void BenchBurst()
{
    constexpr int count = 10000;
    std::printf("\n3. burst of %d datagrams from another thread (kernel limit net.core.rmem_max %s):\n", count, [] {
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
        Burst(
            "OscServer (4 MiB buffer, 256 per read)", port, [&] { return messages.load(); }, count);
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
        Burst(
            "bare QUdpSocket (default buffer, reads all)", raw.localPort(), [&] { return got; }, count);
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
