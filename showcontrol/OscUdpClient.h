#pragma once

// Sends one OSC message, written as text, as one UDP datagram.
//
// Threads: a client is made, used and destroyed on one thread (a worker of
// the timed sender's pool, which runs no event loop); clients share nothing.

#include <QAbstractSocket>
#include <QHostAddress>
#include <QObject>
#include <QString>

#include <memory>

class QUdpSocket;

namespace vand::osc {

class OscUdpClient : public QObject
{
    Q_OBJECT
public:
    OscUdpClient();
    ~OscUdpClient() override;

    // True when the whole packet was handed to the socket. A blank text
    // returns false silently; a null address, port 0 or a failed write
    // return false and write one line to standard error.
    bool Send(const QString& message, const QHostAddress& address, quint16 port);

signals:
    void onError(QString errorDescription);

public slots:
    void onSocketError(QAbstractSocket::SocketError error);

private:
    std::unique_ptr<QUdpSocket> socket_;
};

} // namespace vand::osc
