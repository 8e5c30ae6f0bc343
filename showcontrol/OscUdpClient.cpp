#include "showcontrol/OscUdpClient.h"

#include "showcontrol/OscMessage.h"

#include "kit/Log.h"

#include <QUdpSocket>

namespace vand::osc {

namespace {

// Names the message by its OSC address (its first word), cut short: the
// arguments may be long.
void ReportSendFailure(const QString& message, const QHostAddress& address, quint16 port, const QString& reason)
{
    const QString oscAddress = message.section(QLatin1Char(' '), 0, 0).left(120);
    const QString line = QStringLiteral("Unable to send OSC message %1 to %2:%3: %4")
                             .arg(oscAddress, address.isNull() ? QStringLiteral("(no address)") : address.toString(),
                                  QString::number(port), reason);
    kit::Log(kit::LogLevel::Error, "osc", line.toStdString());
}

} // namespace

OscUdpClient::OscUdpClient()
    : socket_(std::make_unique<QUdpSocket>())
{
    connect(socket_.get(), &QUdpSocket::errorOccurred, this, &OscUdpClient::onSocketError);
}

OscUdpClient::~OscUdpClient() = default;

bool OscUdpClient::Send(const QString& message, const QHostAddress& address, quint16 port)
{
    if (message.trimmed().isEmpty())
        return false;
    const QByteArray packet = BuildOscPacket(message);
    if (packet.isEmpty())
        return false;
    if (address.isNull()) {
        ReportSendFailure(message, address, port, QStringLiteral("no valid destination address"));
        return false;
    }
    if (port == 0) {
        ReportSendFailure(message, address, port, QStringLiteral("port 0 is not a destination port"));
        return false;
    }
    if (socket_->writeDatagram(packet, address, port) != packet.size()) {
        ReportSendFailure(message, address, port, socket_->errorString());
        return false;
    }
    return true;
}

void OscUdpClient::onSocketError(QAbstractSocket::SocketError error)
{
    emit onError(
        QStringLiteral("OSC Socket Error Occured (%1): %2").arg(static_cast<int>(error)).arg(socket_->errorString()));
}

} // namespace vand::osc
