#pragma once

#include <QHostAddress>
#include <QStringList>
#include <QUdpSocket>

#include "showcontrol/OscMessage.h"

namespace vand::test {

// A UDP receiver on a free port of 127.0.0.1 that keeps the addresses of the
// OSC messages it gets, in arrival order. GUI thread; reads when asked.
class OscReceiver
{
public:
    OscReceiver() { socket.bind(QHostAddress::LocalHost, 0); }
    quint16 port() const { return socket.localPort(); }
    QStringList addresses()
    {
        while (socket.hasPendingDatagrams()) {
            QByteArray datagram(socket.pendingDatagramSize(), Qt::Uninitialized);
            socket.readDatagram(datagram.data(), datagram.size());
            got << QString::fromStdString(
                vand::osc::DecodeOscMessage(datagram.constData(), std::size_t(datagram.size())).address);
        }
        return got;
    }

    QUdpSocket socket;
    QStringList got;
};

} // namespace vand::test
