#pragma once

// What the OSC benchmarks share: loopback addresses and free ports for raw
// senders, the kernel's count of UDP datagrams dropped for a full receive
// buffer, percentiles, and a flood of datagrams from another thread.

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QHostAddress>
#include <QList>
#include <QTimer>
#include <QUdpSocket>

#include <algorithm>
#include <arpa/inet.h>
#include <atomic>
#include <chrono>
#include <cstddef>
#include <functional>
#include <netinet/in.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>
#include <vector>

#include "GapWatch.h"

namespace vand::bench {

inline sockaddr_in Loopback(quint16 port)
{
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_port = htons(port);
    to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    return to;
}

inline quint16 FreePort()
{
    QUdpSocket probe;
    probe.bind(QHostAddress::Any, 0, QUdpSocket::DontShareAddress);
    return probe.localPort();
}

// Udp RcvbufErrors of /proc/net/snmp (the whole machine); -1 when unknown.
inline long RcvbufErrors()
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

struct Percentiles
{
    double p50, p99, max;
};

inline Percentiles Summarise(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    const auto at = [&](double q) { return values[std::min(values.size() - 1, std::size_t(q * values.size()))]; };
    return {at(0.50), at(0.99), values.back()};
}

struct FloodResult
{
    double busyMs = 0;       // from the first send to the last progress
    double longestGapMs = 0; // between ticks of a 1 ms timer on this thread
    long drops = 0;          // RcvbufErrors during the flood
};

// Sends packetAt(0) ... packetAt(count - 1) to the port from another thread
// as fast as the kernel takes them, while this thread runs its event loop
// with a 1 ms timer. Returns once progress() reaches count, or nothing more
// came for 300 ms after the last send.
inline FloodResult Flood(quint16 port, int count, const std::function<const QByteArray&(int)>& packetAt,
                         const std::function<int()>& progress)
{
    using Clock = std::chrono::steady_clock;
    FloodResult result;
    GapWatch gaps;
    const long dropsBefore = RcvbufErrors();
    gaps.Start();

    const auto t0 = Clock::now();
    std::atomic<bool> sent{false};
    std::thread sender([&] {
        const int socket = ::socket(AF_INET, SOCK_DGRAM, 0);
        const sockaddr_in to = Loopback(port);
        for (int i = 0; i < count; ++i) {
            const QByteArray& packet = packetAt(i);
            ::sendto(socket, packet.constData(), std::size_t(packet.size()), 0, reinterpret_cast<const sockaddr*>(&to),
                     sizeof to);
        }
        ::close(socket);
        sent = true;
    });
    int lastSeen = -1;
    auto lastProgress = Clock::now();
    while (true) {
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
        const int now = progress();
        if (now != lastSeen) {
            lastSeen = now;
            lastProgress = Clock::now();
        }
        if (now >= count || (sent && Clock::now() - lastProgress > std::chrono::milliseconds(300)))
            break;
    }
    sender.join();
    gaps.Stop();
    result.busyMs = std::chrono::duration<double, std::milli>(lastProgress - t0).count();
    result.longestGapMs = gaps.LongestMs();
    result.drops = RcvbufErrors() - dropsBefore;
    return result;
}

} // namespace vand::bench
