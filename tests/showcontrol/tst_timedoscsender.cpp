// The timed OSC sender on 127.0.0.1: destinations resolved through the
// player, the fallback to the local host, the order of delayed sends, the
// lamp, and letting go of the player. Receivers are QUdpSocket and liblo's
// oscdump.

#include <QProcess>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTest>
#include <QUdpSocket>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "../app/AppFixture.h"
#include "OscReceiver.h"
#include "UdpPorts.h"
#include "kit/Log.h"
#include "showcontrol/OscMessage.h"
#include "showcontrol/VandPlayerOscCallback.h"

using app_test::EngineScript;
using vand::VandPlayerOscCallback;

using vand::test::OscReceiver;

namespace {

constexpr int kWaitMs = 10000;
// Long enough never to come due while a test runs.
constexpr unsigned kHour = 3600u * 1000u;

// The test engine with destinations of our choice, looked up as the engine
// does (an unknown id throws).
class DestinationEngine : public app_test::TestEngine
{
public:
    DestinationEngine(const app_test::DataFolder& folder, std::shared_ptr<EngineScript> script,
                      CL::NetworkPathVectorT networks)
        : TestEngine(folder.show.string(), folder.data.string(), std::move(script))
        , networks_(std::move(networks))
    {
    }
    const CL::NetworkPath& GetNetwork(const std::string& id) const override
    {
        for (const CL::NetworkPath& n : networks_) {
            if (n.NetworkId() == id)
                return n;
        }
        throw std::out_of_range("Unknown network id: " + id);
    }

private:
    CL::NetworkPathVectorT networks_;
};

CL::Osc Event(const std::string& message, const std::string& networkId = "DEST")
{
    return CL::Osc(0, "S1", CL::OscProperties(message, networkId));
}

// Collects what kit::Log writes while alive (from any thread).
class LogLines
{
public:
    LogLines()
    {
        kit::SetLogSink([this](kit::LogLevel, std::string_view, std::string_view text) {
            std::lock_guard lock(mutex_);
            lines_ << QString::fromUtf8(text.data(), qsizetype(text.size()));
        });
    }
    ~LogLines() { kit::SetLogSink({}); }
    QStringList lines()
    {
        std::lock_guard lock(mutex_);
        return lines_;
    }

private:
    std::mutex mutex_;
    QStringList lines_;
};

} // namespace

class TestTimedOscSender : public QObject
{
    Q_OBJECT
private:
    std::unique_ptr<app_test::DataFolder> folder;
    std::shared_ptr<EngineScript> script;

    std::shared_ptr<Interface> Player(quint16 port, const std::string& ip = "127.0.0.1")
    {
        return std::make_shared<DestinationEngine>(
            *folder, script,
            CL::NetworkPathVectorT{CL::NetworkPath("DEST", "Desk", ip, port, 0),
                                   CL::NetworkPath("ZERO", "Port 0", "127.0.0.1", 0, 0),
                                   CL::NetworkPath("WIDE", "Port 70000", "127.0.0.1", 70000, 0)});
    }

private slots:
    void initTestCase()
    {
        folder = std::make_unique<app_test::DataFolder>();
        QVERIFY2(!QStandardPaths::findExecutable("oscdump").isEmpty(), "scripts/setup installs liblo-tools");
    }

    void init()
    {
        script = std::make_shared<EngineScript>();
        script->playing = true;
    }

    // liblo's oscdump, as a show-control desk, gets the event's message at
    // the event's destination; the lamp lights once it has left.
    void destinationReceivesTheMessage()
    {
        const quint16 port = vand::test::FreeUdpPort();
        QProcess dump;
        dump.start(QStandardPaths::findExecutable("oscdump"), {"-L", QString::number(port)});
        QVERIFY(dump.waitForStarted(kWaitMs));
        const auto stop = qScopeGuard([&] {
            dump.kill();
            dump.waitForFinished(kWaitMs);
        });
        QTRY_VERIFY_WITH_TIMEOUT(vand::test::UdpPortIsBound(port), kWaitMs);

        VandPlayerOscCallback sender(vand::test::FreeUdpPort());
        sender.SetPlayer(Player(port));
        QSignalSpy lamp(&sender, &VandPlayerOscCallback::OutgoingNotification);
        sender.ExecuteEvent(Event("/cue/1/go"), 0);
        sender.ExecuteEvent(Event("/cue/2/go 5 \"two words\""), 0);
        QTRY_COMPARE_WITH_TIMEOUT(lamp.count(), 2, kWaitMs);
        QStringList lines;
        QTRY_VERIFY_WITH_TIMEOUT(
            (lines << QString::fromUtf8(dump.readAll()).split('\n', Qt::SkipEmptyParts), lines.size() >= 2), kWaitMs);
        QCOMPARE(lines.at(0).trimmed().section(' ', 1), QStringLiteral("/cue/1/go"));
        QCOMPARE(lines.at(1).trimmed().section(' ', 1), QStringLiteral("/cue/2/go is 5 \"two words\""));
    }

    // A destination that cannot be resolved is replaced by the local host at
    // the default port, with one line naming why.
    void unresolvedDestinationGoesToTheDefaultPort_data()
    {
        QTest::addColumn<QString>("networkId");
        QTest::addColumn<QString>("reason");
        QTest::newRow("unknown id") << "NOPE"
                                    << "Unknown network id: NOPE";
        QTest::newRow("port 0") << "ZERO"
                                << "the port 0 of destination ZERO is not a UDP port";
        QTest::newRow("port beyond 65535") << "WIDE"
                                           << "the port 70000 of destination WIDE is not a UDP port";
    }
    void unresolvedDestinationGoesToTheDefaultPort()
    {
        QFETCH(QString, networkId);
        QFETCH(QString, reason);
        OscReceiver fallback;
        VandPlayerOscCallback sender(fallback.port());
        sender.SetPlayer(Player(vand::test::FreeUdpPort()));
        LogLines log;
        sender.ExecuteEvent(Event("/cue/9/go", networkId.toStdString()), 0);
        QCOMPARE(log.lines(), QStringList{"Unable to fully configure OSC Send command: " + reason
                                          + ". Using default values of localhost:" + QString::number(fallback.port())});
        QTRY_COMPARE_WITH_TIMEOUT(fallback.addresses(), QStringList{"/cue/9/go"}, kWaitMs);
    }

    // Without a player every event goes to the default destination, which
    // follows the listen port.
    void withoutAPlayerEverythingGoesToTheDefaultPort()
    {
        OscReceiver first;
        OscReceiver second;
        VandPlayerOscCallback sender(first.port());
        script->playing = false;
        sender.ExecuteEvent(Event("/cue/3/go"), 0);
        QTRY_COMPARE_WITH_TIMEOUT(first.addresses(), QStringList{"/cue/3/go"}, kWaitMs);
        sender.SetDefaultPort(second.port());
        sender.ExecuteEvent(Event("/cue/4/go"), 0);
        QTRY_COMPARE_WITH_TIMEOUT(second.addresses(), QStringList{"/cue/4/go"}, kWaitMs);
        QCOMPARE(first.addresses(), QStringList{"/cue/3/go"});
    }

    // Nothing leaves and the lamp stays dark: the player is not playing, the
    // message is blank, or the address is not one. A send that does leave,
    // made right after, marks the end.
    void nothingLeavesWithoutPlaybackOrAMessageOrAnAddress_data()
    {
        QTest::addColumn<bool>("playing");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("ip");
        QTest::newRow("not playing") << false << "/cue/1/go"
                                     << "127.0.0.1";
        QTest::newRow("empty message") << true << ""
                                       << "127.0.0.1";
        QTest::newRow("blank message") << true << "   \t "
                                       << "127.0.0.1";
        QTest::newRow("address that is not one") << true << "/cue/1/go"
                                                 << "stage.local";
    }
    void nothingLeavesWithoutPlaybackOrAMessageOrAnAddress()
    {
        QFETCH(bool, playing);
        QFETCH(QString, message);
        QFETCH(QString, ip);
        OscReceiver receiver;
        VandPlayerOscCallback sender(vand::test::FreeUdpPort());
        auto player = Player(receiver.port(), ip.toStdString());
        sender.SetPlayer(player);
        QSignalSpy lamp(&sender, &VandPlayerOscCallback::OutgoingNotification);
        LogLines log;
        script->playing = playing;
        sender.ExecuteEvent(Event(message.toStdString()), 0);

        // The marker goes through the same sender, after whatever was taken.
        script->playing = true;
        sender.SetPlayer(Player(receiver.port()));
        sender.ExecuteEvent(Event("/marker"), 0);
        QTRY_COMPARE_WITH_TIMEOUT(receiver.addresses(), QStringList{"/marker"}, kWaitMs);
        QCOMPARE(lamp.count(), 1);
        // Only the refused address is reported (by the socket side).
        QCOMPARE(log.lines().size(), ip == "127.0.0.1" ? 0 : 1);
    }

    // Each send's deadline is fixed when it is asked for; none waits behind
    // another's delay.
    void shorterDelaysGoFirst_data()
    {
        QTest::addColumn<QList<int>>("delays");
        QTest::addColumn<QStringList>("order");
        QTest::newRow("500 then 100") << QList<int>{500, 100} << QStringList{"/d/1", "/d/0"};
        QList<int> many(12, 100);
        many << 0;
        QStringList manyOrder{"/d/12"};
        for (int i = 0; i < 12; ++i)
            manyOrder << QStringLiteral("/d/%1").arg(i);
        QTest::newRow("twelve of 100, then one of 0") << many << manyOrder;
        QTest::newRow("equal delays keep their order") << QList<int>{50, 50, 50} << QStringList{"/d/0", "/d/1", "/d/2"};
    }
    void shorterDelaysGoFirst()
    {
        QFETCH(QList<int>, delays);
        QFETCH(QStringList, order);
        OscReceiver receiver;
        VandPlayerOscCallback sender(vand::test::FreeUdpPort());
        sender.SetPlayer(Player(receiver.port()));
        for (int i = 0; i < delays.size(); ++i)
            sender.ExecuteEvent(Event(QStringLiteral("/d/%1").arg(i).toStdString()), unsigned(delays.at(i)));
        QTRY_COMPARE_WITH_TIMEOUT(receiver.addresses().size(), order.size(), kWaitMs);
        QCOMPARE(receiver.addresses(), order);
    }

    // Held commands are sent although the engine does not report playing yet.
    void heldCommandsSkipThePlayingTest()
    {
        OscReceiver receiver;
        VandPlayerOscCallback sender(vand::test::FreeUdpPort());
        sender.SetPlayer(Player(receiver.port()));
        script->playing = false;
        sender.ExecuteHeldEvent(Event("/held"), 0);
        QTRY_COMPARE_WITH_TIMEOUT(receiver.addresses(), QStringList{"/held"}, kWaitMs);
    }

    // Destruction never sleeps out a delay (a wait of an hour would time the
    // test out) and sends nothing.
    void destructionDropsWaitingSends()
    {
        OscReceiver receiver;
        {
            VandPlayerOscCallback sender(vand::test::FreeUdpPort());
            sender.SetPlayer(Player(receiver.port()));
            sender.ExecuteEvent(Event("/late"), kHour);
            QCOMPARE(sender.WaitingSends(), std::size_t(1));
        }
        QVERIFY(!receiver.socket.hasPendingDatagrams());
    }

    // After ReleasePlayer nothing waits and nothing more is taken, so the
    // engine being shut down is never asked again.
    void releasedSenderSendsNothing()
    {
        OscReceiver receiver;
        VandPlayerOscCallback sender(receiver.port());
        auto player = Player(receiver.port());
        sender.SetPlayer(player);
        sender.ExecuteEvent(Event("/late"), kHour);
        QCOMPARE(sender.WaitingSends(), std::size_t(1));
        sender.ReleasePlayer();
        QCOMPARE(sender.WaitingSends(), std::size_t(0));
        QCOMPARE(player.use_count(), 1L);
        sender.ExecuteEvent(Event("/after"), kHour);
        sender.ExecuteHeldEvent(Event("/after"), kHour);
        QCOMPARE(sender.WaitingSends(), std::size_t(0));
    }

    // A send already taken off the queue when the player is let go is over
    // by the time ReleasePlayer returns, so nothing leaves afterwards. The
    // send is held mid-way by the line its refused address writes to the log;
    // it is let go once ReleasePlayer has returned, or after a grace long
    // enough for a release that does not wait to have returned. Guards
    // against ReleasePlayer returning while the sender thread still sends.
    void releaseWaitsForTheSendBeingMade()
    {
        VandPlayerOscCallback sender(vand::test::FreeUdpPort());
        sender.SetPlayer(Player(vand::test::FreeUdpPort(), "stage.local"));
        std::mutex mutex;
        std::condition_variable changed;
        bool sending = false;
        bool sent = false;
        bool released = false;
        kit::SetLogSink([&](kit::LogLevel, std::string_view, std::string_view) {
            std::unique_lock lock(mutex);
            sending = true;
            changed.notify_all();
            changed.wait_for(lock, std::chrono::milliseconds(200), [&] { return released; });
            sent = true;
        });
        const auto restore = qScopeGuard([] { kit::SetLogSink({}); });
        sender.ExecuteEvent(Event("/taken"), 0);
        {
            std::unique_lock lock(mutex);
            QVERIFY(changed.wait_for(lock, std::chrono::milliseconds(kWaitMs), [&] { return sending; }));
        }
        sender.ReleasePlayer();
        bool sentOnReturn = false;
        {
            std::lock_guard lock(mutex);
            sentOnReturn = sent;
            released = true;
        }
        changed.notify_all();
        QVERIFY(sentOnReturn);
    }

    // Engine threads send while the GUI thread swaps and releases the
    // player (run under ThreadSanitizer to see races).
    void playerSwapsRaceWithSends()
    {
        OscReceiver receiver;
        auto sender = std::make_shared<VandPlayerOscCallback>(receiver.port());
        std::vector<std::shared_ptr<Interface>> players{Player(receiver.port()), Player(receiver.port())};
        std::atomic<bool> go{false};
        std::atomic<int> calls{0};
        std::vector<std::thread> engines;
        for (int t = 0; t < 3; ++t) {
            engines.emplace_back([&] {
                while (!go.load()) {
                }
                for (int i = 0; i < 300; ++i) {
                    sender->ExecuteEvent(Event("/x", i % 2 ? "DEST" : "NOPE"), kHour);
                    sender->EnqueueEvent(Event("/y"), 0);
                    calls.fetch_add(1);
                }
            });
        }
        LogLines quiet;
        go = true;
        for (int i = 0; i < 200; ++i)
            sender->SetPlayer(players[i % 2]);
        sender->ReleasePlayer();
        // What was taken before the release is dropped with it, and nothing
        // is taken after it, while the engine threads still call.
        QCOMPARE(sender->WaitingSends(), std::size_t(0));
        for (auto& t : engines)
            t.join();
        QCOMPARE(calls.load(), 900);
        QCOMPARE(sender->WaitingSends(), std::size_t(0));
        QCOMPARE(players[0].use_count(), 1L);
        QCOMPARE(players[1].use_count(), 1L);
    }
};

QTEST_MAIN(TestTimedOscSender)
#include "tst_timedoscsender.moc"
