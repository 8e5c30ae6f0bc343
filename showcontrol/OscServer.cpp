#include "showcontrol/OscServer.h"

#include "showcontrol/OscCommand.h"
#include "showcontrol/OscMessage.h"
#include "showcontrol/OscProcInterface.h"

#include "kit/Log.h"

#include <QDebug>
#include <QPointer>
#include <QUdpSocket>
#include <QVariant>

#include <iostream>
#include <stdexcept>
#include <string>

namespace vand::osc {

QUdpSocketWrapper::QUdpSocketWrapper()
    : socket_(std::make_unique<QUdpSocket>())
{
    connect(socket_.get(), &QUdpSocket::readyRead, this, &QUdpSocketWrapper::onReadyRead);
}

QUdpSocketWrapper::~QUdpSocketWrapper() = default;

bool QUdpSocketWrapper::Bind(const QHostAddress& address, quint16 port)
{
    if (!socket_->bind(address, port, QUdpSocket::DontShareAddress))
        return false;
    socket_->setSocketOption(QAbstractSocket::ReceiveBufferSizeSocketOption, kReceiveBufferBytes);
    return true;
}

void QUdpSocketWrapper::Close()
{
    socket_->close();
}

QString QUdpSocketWrapper::ErrorString() const
{
    return socket_->errorString();
}

void QUdpSocketWrapper::onReadyRead()
{
    // A receiver may destroy the server (and this wrapper) while handling a datagram.
    const QPointer<QUdpSocketWrapper> alive(this);
    for (int read = 0; read < kMaxDatagramsPerRead && socket_->hasPendingDatagrams(); ++read) {
        const qint64 size = socket_->pendingDatagramSize();
        if (size < 0)
            break;
        QByteArray datagram(size, Qt::Uninitialized);
        const qint64 got = socket_->readDatagram(datagram.data(), size);
        if (got < 0)
            continue;
        datagram.truncate(got);
        emit datagramReceived(datagram);
        if (!alive)
            return;
    }
}

OscServer::OscServer(quint16 port, std::unique_ptr<OscProcInterface> handler)
    : socket_(std::make_unique<QUdpSocketWrapper>())
    , handler_(std::move(handler))
{
    connect(socket_.get(), &QUdpSocketWrapper::datagramReceived, this, &OscServer::onDatagramReceived);
    if (!socket_->Bind(QHostAddress::Any, port)) {
        const QString text =
            QStringLiteral("Unable to bind to OSC server port %1: %2").arg(port).arg(socket_->ErrorString());
        qDebug().noquote() << text;
        throw std::runtime_error(text.toStdString());
    }
    port_ = port;
    std::cout << "****Opening port " << port_ << std::endl;
}

OscServer::~OscServer()
{
    socket_->Close();
    std::cout << "****Closing port " << port_ << std::endl;
    handler_.reset();
    socket_.reset();
}

void OscServer::onDatagramReceived(QByteArray datagram)
{
    OscMessage message;
    try {
        message = DecodeOscMessage(datagram.constData(), static_cast<std::size_t>(datagram.size()));
    } catch (const std::exception& e) {
        kit::Log(kit::LogLevel::Error, "osc", e.what());
        return;
    } catch (...) {
        kit::Log(kit::LogLevel::Error, "osc", "Unknown error while decoding an OSC datagram.");
        return;
    }
    DispatchOscCommand(handler_.get(), message);
}

} // namespace vand::osc
