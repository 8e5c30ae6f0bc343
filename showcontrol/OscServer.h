#pragma once

// The OSC server: listens on one UDP port on every interface, decodes each
// datagram and hands the message to the command dispatcher, which calls the
// handler. Nothing is ever sent back.
//
// Threads: the server, its socket wrapper and the handler live on the GUI
// thread; datagrams are read, decoded and dispatched there, one at a time,
// in arrival order. A flood of datagrams is read in bounded batches, so the
// event loop keeps running between them.

#include <QByteArray>
#include <QHostAddress>
#include <QObject>
#include <QString>

#include <memory>

class QUdpSocket;

namespace vand::osc {

class OscProcInterface;

// Owns the server's bound socket and turns its pending datagrams into
// datagramReceived signals.
class QUdpSocketWrapper : public QObject
{
    Q_OBJECT
public:
    // Datagrams read per readyRead; the rest wait for the next pass of the
    // event loop (readyRead comes again while datagrams are pending).
    static constexpr int kMaxDatagramsPerRead = 256;
    // Kernel receive buffer asked for (Linux grants up to net.core.rmem_max).
    static constexpr int kReceiveBufferBytes = 4 * 1024 * 1024;

    QUdpSocketWrapper();
    ~QUdpSocketWrapper() override;

    // Binds exclusively (a port already in use fails alike on every platform).
    bool Bind(const QHostAddress& address, quint16 port);
    void Close();
    QString ErrorString() const;

signals:
    void datagramReceived(QByteArray datagram);

public slots:
    void onReadyRead();

private:
    std::unique_ptr<QUdpSocket> socket_;
};

class OscServer : public QObject
{
    Q_OBJECT
public:
    // Binds at once and writes "****Opening port <port>" to standard output;
    // throws std::runtime_error "Unable to bind to OSC server port <port>:
    // <reason>" when the port cannot be bound. The handler may be null (the
    // datagrams are then decoded and dropped).
    OscServer(quint16 port, std::unique_ptr<OscProcInterface> handler);
    // Closes the socket, writes "****Closing port <port>", then destroys the
    // handler.
    ~OscServer() override;

public slots:
    void onDatagramReceived(QByteArray datagram);

private:
    std::unique_ptr<QUdpSocketWrapper> socket_;
    std::unique_ptr<OscProcInterface> handler_;
    quint16 port_ = 0;
};

} // namespace vand::osc
