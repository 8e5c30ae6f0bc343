#pragma once

#include <QFile>
#include <QHostAddress>
#include <QUdpSocket>

namespace vand::test {

// A UDP port that was free a moment ago: the system's choice for a
// throwaway socket bound to port 0 (tests run in parallel; no fixed ports).
inline quint16 FreeUdpPort()
{
    QUdpSocket probe;
    if (!probe.bind(QHostAddress::Any, 0, QUdpSocket::DontShareAddress))
        return 0;
    return probe.localPort();
}

// True when nothing holds the port (an exclusive bind succeeds).
inline bool UdpPortIsFree(quint16 port)
{
    QUdpSocket probe;
    return probe.bind(QHostAddress::Any, port, QUdpSocket::DontShareAddress);
}

// True when some socket of this machine is bound to the port, read from the
// kernel's tables without touching the port (a probe bind could make the
// owner's own bind fail).
inline bool UdpPortIsBound(quint16 port)
{
    const QByteArray local = ":" + QByteArray::number(port, 16).toUpper().rightJustified(4, '0') + " ";
    for (const char* table : {"/proc/net/udp", "/proc/net/udp6"}) {
        QFile file(QString::fromLatin1(table));
        if (!file.open(QIODevice::ReadOnly))
            continue;
        file.readLine(); // header
        while (!file.atEnd()) {
            // "  sl  local_address rem_address ...": the local address is the second field.
            const QList<QByteArray> fields = file.readLine().simplified().split(' ');
            if (fields.size() > 1 && (fields.at(1) + ' ').endsWith(local))
                return true;
        }
    }
    return false;
}

} // namespace vand::test
