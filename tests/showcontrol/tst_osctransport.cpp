#include <QSignalSpy>
#include <QTest>
#include <QUdpSocket>

#include "RecordingHandler.h"
#include "StreamCapture.h"
#include "UdpPorts.h"
#include "showcontrol/OscMessage.h"
#include "showcontrol/OscServer.h"
#include "showcontrol/OscUdpClient.h"

#include <iostream>
#include <memory>
#include <stdexcept>

using vand::osc::BuildOscPacket;
using vand::osc::OscServer;
using vand::osc::OscUdpClient;
using vand::osc::QUdpSocketWrapper;
using vand::test::FreeUdpPort;
using vand::test::OscCalls;
using vand::test::RecordingHandler;
using vand::test::StreamCapture;

namespace {

constexpr int kWaitMs = 10000;

std::unique_ptr<OscServer> StartServer(quint16 port, OscCalls& calls)
{
    return std::make_unique<OscServer>(port, std::make_unique<RecordingHandler>(calls));
}

void SendTo(quint16 port, const QByteArray& datagram)
{
    QUdpSocket sender;
    QCOMPARE(sender.writeDatagram(datagram, QHostAddress::LocalHost, port), datagram.size());
}

} // namespace

class TestOscTransport : public QObject
{
    Q_OBJECT
private slots:
    void datagramsAreDispatchedInOrder()
    {
        OscCalls calls;
        const quint16 port = FreeUdpPort();
        const auto server = StartServer(port, calls);
        QUdpSocket sender;
        sender.writeDatagram(BuildOscPacket("/vand/song/3/play"), QHostAddress::LocalHost, port);
        sender.writeDatagram(BuildOscPacket("/vand/volume -6"), QHostAddress::LocalHost, port);

        QTRY_COMPARE_WITH_TIMEOUT(calls.calls.size(), 4, kWaitMs);
        QCOMPARE(calls.calls, (QStringList{"Notification(/vand/song/3/play,0)", "Play(,3)",
                                           "Notification(/vand/volume,1)", "SetVolume(0.501187)"}));
    }

    // A datagram that does not decode leaves one error line and nothing
    // else; the next one is handled.
    void malformedDatagramIsDropped_data()
    {
        QTest::addColumn<QByteArray>("datagram");
        QTest::addColumn<QString>("line");

        QTest::newRow("empty") << QByteArray() << "OSC string is larger than buffer during read of null terminator.\n";
        QTest::newRow("bundle") << QByteArray("#bundle\0\0\0\0\0\0\0\0\1", 16)
                                << "OSC Bundle detected. OSC Bundles unsupported at this time.\n";
        QTest::newRow("bad padding") << QByteArray(
            "/vand/play\0X",
            12) << "The OSC string /vand/play does not contain proper pad to extend the string to a multiple of 4.\n";
        QTest::newRow("blob") << QByteArray("/vand/play\0\0,b\0\0\0\0\0\0", 20) << "Unsupported or unknown OSC Type.\n";
    }
    void malformedDatagramIsDropped()
    {
        QFETCH(QByteArray, datagram);
        OscCalls calls;
        const quint16 port = FreeUdpPort();
        const auto server = StartServer(port, calls);
        const StreamCapture err(std::cerr);
        SendTo(port, datagram);
        SendTo(port, BuildOscPacket("/vand/pause"));

        QTRY_COMPARE_WITH_TIMEOUT(calls.calls.size(), 2, kWaitMs);
        QCOMPARE(calls.calls, (QStringList{"Notification(/vand/pause,0)", "Pause(,)"}));
        QTEST(QString::fromStdString(err.text()), "line");
    }

    // More datagrams than one read takes: all are dispatched in order, and
    // the event loop runs between the batches.
    void floodIsReadInBatches()
    {
        // Small enough for the receive buffer a stock Linux grants (rmem_max 208 KiB).
        constexpr int total = QUdpSocketWrapper::kMaxDatagramsPerRead + 10;
        OscCalls calls;
        int dispatchedWhenLoopRan = -1;
        calls.afterCall = [&] {
            if (calls.calls.size() == 2) // the first Play: post a probe behind it
                QMetaObject::invokeMethod(
                    this, [&] { dispatchedWhenLoopRan = int(calls.calls.size() / 2); }, Qt::QueuedConnection);
        };
        const quint16 port = FreeUdpPort();
        const auto server = StartServer(port, calls);
        QUdpSocket sender;
        for (int i = 0; i < total; ++i) {
            const QByteArray packet = BuildOscPacket(QStringLiteral("/vand/song/%1/play").arg(i));
            QCOMPARE(sender.writeDatagram(packet, QHostAddress::LocalHost, port), packet.size());
        }

        QTRY_COMPARE_WITH_TIMEOUT(calls.calls.size(), 2 * total, kWaitMs);
        for (int i = 0; i < total; ++i)
            QCOMPARE(calls.calls.at(2 * i + 1), QStringLiteral("Play(,%1)").arg(i));
        QVERIFY(dispatchedWhenLoopRan > 0);
        QVERIFY2(dispatchedWhenLoopRan <= QUdpSocketWrapper::kMaxDatagramsPerRead,
                 qPrintable(QStringLiteral("%1 datagrams before the event loop ran").arg(dispatchedWhenLoopRan)));
    }

    void portInUseThrowsAndOpensNothing()
    {
        const quint16 port = FreeUdpPort();
        QUdpSocket holder;
        QVERIFY(holder.bind(QHostAddress::Any, port, QUdpSocket::DontShareAddress));
        QUdpSocket second;
        QVERIFY(!second.bind(QHostAddress::Any, port, QUdpSocket::DontShareAddress));
        const QString expected =
            QStringLiteral("Unable to bind to OSC server port %1: %2").arg(port).arg(second.errorString());

        OscCalls calls;
        const StreamCapture out(std::cout);
        QTest::ignoreMessage(QtDebugMsg, qPrintable(expected));
        QString thrown;
        try {
            StartServer(port, calls);
        } catch (const std::runtime_error& e) {
            thrown = QString::fromStdString(e.what());
        }
        QCOMPARE(thrown, expected);
        QCOMPARE(QString::fromStdString(out.text()), QString());
        QVERIFY(calls.handlerDestroyed);
    }

    void openingAndClosingLines_data()
    {
        QTest::addColumn<bool>("systemChoosesPort");
        QTest::newRow("given port") << false;
        QTest::newRow("port 0") << true;
    }
    void openingAndClosingLines()
    {
        QFETCH(bool, systemChoosesPort);
        const quint16 port = systemChoosesPort ? 0 : FreeUdpPort();
        OscCalls calls;
        const StreamCapture out(std::cout);
        auto server = StartServer(port, calls);
        QCOMPARE(QString::fromStdString(out.text()), QStringLiteral("****Opening port %1\n").arg(port));
        server.reset();
        QCOMPARE(QString::fromStdString(out.text()),
                 QStringLiteral("****Opening port %1\n****Closing port %1\n").arg(port));
        QVERIFY(calls.handlerDestroyed);
        if (!systemChoosesPort)
            QVERIFY(vand::test::UdpPortIsFree(port));
    }

    void clientSendsTheBuiltPacket()
    {
        QUdpSocket receiver;
        QVERIFY(receiver.bind(QHostAddress::LocalHost, 0));
        const StreamCapture err(std::cerr);
        OscUdpClient client;
        QSignalSpy errors(&client, &OscUdpClient::onError);

        QVERIFY(!client.Send("  \t ", QHostAddress::LocalHost, receiver.localPort()));
        QVERIFY(client.Send("/x 1 2.5 \"hello world\"", QHostAddress::LocalHost, receiver.localPort()));

        QTRY_VERIFY_WITH_TIMEOUT(receiver.hasPendingDatagrams(), kWaitMs);
        QByteArray got(receiver.pendingDatagramSize(), Qt::Uninitialized);
        receiver.readDatagram(got.data(), got.size());
        QCOMPARE(got.toHex(' '), BuildOscPacket("/x 1 2.5 \"hello world\"").toHex(' '));
        QCOMPARE(QString::fromStdString(err.text()), QString());
        QCOMPARE(errors.count(), 0);
    }

    // A send that cannot leave returns false and says so in one line.
    void clientReportsFailedSend_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QHostAddress>("address");
        QTest::addColumn<int>("port");
        QTest::addColumn<QString>("line");

        QTest::newRow("null address") << "/cue/1/go" << QHostAddress() << 53000
                                      << "Unable to send OSC message /cue/1/go to (no address):53000: "
                                         "no valid destination address\n";
        QTest::newRow("port 0") << "/cue/1/go 5" << QHostAddress(QHostAddress::LocalHost) << 0
                                << "Unable to send OSC message /cue/1/go to 127.0.0.1:0: "
                                   "port 0 is not a destination port\n";
        const QString tooLarge = "/x \"" + QString(70000, QLatin1Char('a')) + "\"";
        QTest::newRow("datagram too large")
            << tooLarge << QHostAddress(QHostAddress::LocalHost) << -1 << "Unable to send OSC message /x to 127.0.0.1:";
    }
    void clientReportsFailedSend()
    {
        QFETCH(QString, text);
        QFETCH(QHostAddress, address);
        QFETCH(int, port);
        QFETCH(QString, line);

        QUdpSocket receiver;
        QVERIFY(receiver.bind(QHostAddress::LocalHost, 0));
        const quint16 destination = port < 0 ? receiver.localPort() : quint16(port);
        const StreamCapture err(std::cerr);
        OscUdpClient client;
        QVERIFY(!client.Send(text, address, destination));

        const QString written = QString::fromStdString(err.text());
        QCOMPARE(written.count(QLatin1Char('\n')), 1);
        QVERIFY2(written.startsWith(line), qPrintable(written));
        QVERIFY(!receiver.hasPendingDatagrams());
    }
};

QTEST_GUILESS_MAIN(TestOscTransport)
#include "tst_osctransport.moc"
