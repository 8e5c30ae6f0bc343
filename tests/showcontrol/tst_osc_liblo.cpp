// Interoperation with liblo's oscsend and oscdump, an independent OSC
// implementation (Debian liblo-tools), on 127.0.0.1 only.

#include <QProcess>
#include <QScopeGuard>
#include <QStandardPaths>
#include <QTest>

#include "RecordingHandler.h"
#include "StreamCapture.h"
#include "UdpPorts.h"
#include "showcontrol/OscMessage.h"
#include "showcontrol/OscServer.h"
#include "showcontrol/OscUdpClient.h"

#include <iostream>
#include <memory>

using vand::osc::BuildOscPacket;
using vand::test::OscCalls;
using vand::test::RecordingHandler;

namespace {

constexpr int kWaitMs = 10000;

QString Tool(const char* name)
{
    return QStandardPaths::findExecutable(QString::fromLatin1(name));
}

// Runs oscsend to completion and returns what it wrote to standard output.
QByteArray RunOscsend(const QStringList& arguments)
{
    QProcess process;
    process.start(Tool("oscsend"), arguments);
    if (!process.waitForFinished(kWaitMs) || process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0) {
        process.kill();
        process.waitForFinished();
        qWarning() << "oscsend" << arguments << "failed:" << process.readAllStandardError();
        return "(oscsend failed)";
    }
    return process.readAllStandardOutput();
}

} // namespace

class TestOscLiblo : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase()
    {
        QVERIFY2(!Tool("oscsend").isEmpty() && !Tool("oscdump").isEmpty(),
                 "oscsend and oscdump are missing: scripts/setup installs liblo-tools");
    }

    // Our packets carry the bytes liblo writes for the same types.
    void builtPacketMatchesOscsend_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("oscsend");

        QTest::newRow("int, float, string") << "/x 1 2.5 hello" << QStringList{"/x", "ifs", "1", "2.5", "hello"};
        QTest::newRow("negative, exponent, quoted blank")
            << "/x -3 1e3 \"a b\"" << QStringList{"/x", "ifs", "-3", "1000", "a b"};
        QTest::newRow("sfx fade") << "/vand/sfx/2/fadeto -6 1.5"
                                  << QStringList{"/vand/sfx/2/fadeto", "if", "-6", "1.5"};
        QTest::newRow("empty and four-byte strings") << "/vand/x \"\" abcd" << QStringList{"/vand/x", "ss", "", "abcd"};
        QTest::newRow("quoted number") << "/x \"12\" 12" << QStringList{"/x", "si", "12", "12"};
        QTest::newRow("no arguments: an empty type-tag string") << "/vand/play" << QStringList{"/vand/play"};
    }
    void builtPacketMatchesOscsend()
    {
        QFETCH(QString, text);
        QFETCH(QStringList, oscsend);
        QCOMPARE(BuildOscPacket(text).toHex(' '), RunOscsend(QStringList{"-"} + oscsend).toHex(' '));
    }

    void oscsendCommandsAreDispatched_data()
    {
        QTest::addColumn<QStringList>("oscsend");
        QTest::addColumn<QStringList>("calls");
        QTest::addColumn<QString>("errors");

        QTest::newRow("stop without arguments")
            << QStringList{"/vand/stop"} << QStringList{"Notification(/vand/stop,0)", "Stop(,)", "SfxStopAll()"} << "";
        QTest::newRow("volume float") << QStringList{"/vand/volume", "f", "-6"}
                                      << QStringList{"Notification(/vand/volume,1)", "SetVolume(0.501187)"} << "";
        QTest::newRow("fadeout int") << QStringList{"/vand/show/my_show/song/3/fadeout", "i", "2"}
                                     << QStringList{"Notification(/vand/show/my_show/song/3/fadeout,1)",
                                                    "FadeOut(my_show,3,2)"}
                                     << "";
        QTest::newRow("sfx fadeto") << QStringList{"/vand/sfx/2/fadeto", "ff", "-6.5", "1.5"}
                                    << QStringList{"Notification(/vand/sfx/2/fadeto,2)", "SfxFadeTo(,2,0.501187,1500)"}
                                    << "";
        QTest::newRow("event with an ignored string")
            << QStringList{"/vand/event/E5/go", "s", "now"}
            << QStringList{"Notification(/vand/event/E5/go,1)", "EventCommand(,,E5)"} << "";
        QTest::newRow("unsupported type")
            << QStringList{"/vand/play", "d", "1"} << QStringList{} << "Unsupported or unknown OSC Type.\n";
    }
    void oscsendCommandsAreDispatched()
    {
        QFETCH(QStringList, oscsend);
        QFETCH(QStringList, calls);

        OscCalls seen;
        const quint16 port = vand::test::FreeUdpPort();
        vand::osc::OscServer server(port, std::make_unique<RecordingHandler>(seen));
        const vand::test::StreamCapture err(std::cerr);
        QCOMPARE(RunOscsend(QStringList{"127.0.0.1", QString::number(port)} + oscsend), QByteArray());
        // A follow-up marks the end: whatever the first datagram caused is in by then.
        QCOMPARE(RunOscsend({"127.0.0.1", QString::number(port), "/vand/pause"}), QByteArray());
        QTRY_VERIFY_WITH_TIMEOUT(seen.calls.contains("Pause(,)"), kWaitMs);
        QCOMPARE(seen.calls, (calls + QStringList{"Notification(/vand/pause,0)", "Pause(,)"}));
        QTEST(QString::fromStdString(err.text()), "errors");
    }

    // What our client sends, liblo receives and prints.
    void oscdumpPrintsClientPackets_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("printed");

        QTest::newRow("int, float, string") << "/x 1 2.5 \"hello world\""
                                            << "/x ifs 1 2.500000 \"hello world\"";
        QTest::newRow("big number and word") << "/cue/7/go 4294967296 go"
                                             << "/cue/7/go fs 4294967296.000000 \"go\"";
        // liblo drops a message without a type-tag string.
        QTest::newRow("address only") << "/cue/1/go"
                                      << "/cue/1/go";
    }
    void oscdumpPrintsClientPackets()
    {
        QFETCH(QString, text);
        const quint16 port = vand::test::FreeUdpPort();
        QProcess dump;
        dump.start(Tool("oscdump"), {"-L", QString::number(port)});
        QVERIFY(dump.waitForStarted(kWaitMs));
        const auto stop = qScopeGuard([&] {
            dump.kill();
            dump.waitForFinished(kWaitMs);
        });
        QTRY_VERIFY_WITH_TIMEOUT(vand::test::UdpPortIsBound(port), kWaitMs);

        vand::osc::OscUdpClient client;
        QVERIFY(client.Send(text, QHostAddress::LocalHost, port));
        QTRY_VERIFY_WITH_TIMEOUT(dump.canReadLine(), kWaitMs);
        // A line is a time tag, then the message.
        const QString line = QString::fromUtf8(dump.readLine()).trimmed();
        QTEST(line.section(QLatin1Char(' '), 1), "printed");
    }
};

QTEST_GUILESS_MAIN(TestOscLiblo)
#include "tst_osc_liblo.moc"
