// Saving, sharing and fetching change logs through the main controller, with
// a private nginx as the show server and data folders that stand for members
// of a cast (label net). The engines write and read their change logs for
// real; the rest of the engine is the recording test engine.

#include <QQmlApplicationEngine>
#include <QSignalSpy>
#include <QTest>
#include <QUdpSocket>
#include <QWindow>
#include <chrono>
#include <ctime>
#include <filesystem>
#include <functional>
#include <iostream>
#include <memory>

#include "AppFixture.h"
#include "QmlWarningGuard.h"
#include "ShowServer.h"
#include "StallingServer.h"
#include "StreamCapture.h"
#include "app/AppQmlEngineSetup.h"
#include "app/MusicalMainController.h"
#include "app/ResponsiveMenuController.h"
#include "kit/File.h"
#include "kit/Log.h"
#include "model/ShowManager.h"
#include "notify/CallbackDispatcher.h"
#include "show/ChangelogManagerController.h"
#include "showcontrol/OscMessage.h"
#include "ui/BackgroundTask.h"
#include "ui/DialogController.h"
#include "vand_networking_http/NetworkApiInterface.h"
#include "vand_networking_http/Sha256.h"

using vand::qt::BackgroundTask;
using vand::qt::ChangelogManagerController;
using vand::qt::MusicalMainController;
using vand::test::ShowServer;
using vand::test::StallingServer;
namespace fs = std::filesystem;

namespace {

const char* kLog10 = "Demo Show-1.0.logdata";

// Larger than any file the tests read.
constexpr std::uintmax_t kMaxBytes = 1u << 20;

// Long enough for any answer of a local server.
constexpr int kWaitMs = 20000;

void WriteFile(const fs::path& file, const std::string& bytes)
{
    fs::create_directories(file.parent_path());
    kit::WriteFileAtomically(file, bytes);
}

// A change log of the demo show at a version.
CL::ChangeLog DemoLog(unsigned major, unsigned minor)
{
    CL::ChangeLog log;
    log.SetVersion(cmn::VANDVersion(static_cast<UInt16>(major), static_cast<UInt16>(minor)));
    log.SetModifiedTime(1700000000);
    log.SetShowIdentifier(vand::demo::kDemoIdentifier);
    return log;
}

// "name", "name@M.m" or "name@M.m~": an empty file, a demo change log of
// version M.m, or one of that version holding other edits.
void WriteLocal(const fs::path& show, const QString& entry)
{
    const QStringList parts = entry.split('@');
    const fs::path file = show / parts[0].toStdString();
    if (parts.size() == 1) {
        WriteFile(file, "{}");
        return;
    }
    QString text = parts[1];
    const bool other = text.endsWith('~');
    text.remove('~');
    const QStringList version = text.split('.');
    CL::ChangeLog log = DemoLog(version[0].toUInt(), version[1].toUInt());
    if (other)
        log.SetModifiedTime(1700000500);
    log.SaveToFile(file);
}

QStringList LogFiles(const fs::path& folder)
{
    QStringList names;
    for (const auto& entry : fs::directory_iterator(folder)) {
        const std::string name = entry.path().filename().string();
        if (name.find(".logdata") != std::string::npos || name.find(".LOGDATA") != std::string::npos)
            names << QString::fromStdString(name);
    }
    names.sort();
    return names;
}

void RemoveLogFiles(const fs::path& folder)
{
    for (const QString& name : LogFiles(folder))
        fs::remove(folder / name.toStdString());
}

// A member of the cast: a data folder of its own holding the small demo show
// (with its change log 1.0) as the current show.
using CastMember = app_test::DataFolder;

// The recording engine, except that change logs are really saved and loaded.
class ChangeLogEngine : public app_test::TestEngine
{
public:
    ChangeLogEngine(const std::string& show, const std::string& data, std::shared_ptr<app_test::EngineScript> script,
                    std::function<void()> beforeSave)
        : TestEngine(show, data, std::move(script))
        , beforeSave_(std::move(beforeSave))
    {
    }
    std::string SaveChangelog(unsigned major, unsigned minor) override
    {
        TestEngine::SaveChangelog(major, minor);
        if (beforeSave_)
            beforeSave_();
        return vand::Pelorin2AudioInterface::SaveChangelog(major, minor);
    }
    void LoadNewChangeLog() override
    {
        TestEngine::LoadNewChangeLog();
        vand::Pelorin2AudioInterface::LoadNewChangeLog();
    }
    void SetChangelogFilename(const std::string& name) override
    {
        TestEngine::SetChangelogFilename(name);
        vand::Pelorin2AudioInterface::SetChangelogFilename(name);
    }

private:
    std::function<void()> beforeSave_;
};

class ChangeLogFactory : public app_test::TestFactory
{
public:
    // Runs inside the engine's save, before the file is written.
    std::function<void()> beforeSave;

    std::unique_ptr<AudioInterface> CreateAudioInterface(const QString& showFolder,
                                                         std::shared_ptr<vand::PlayerOscCallback>) override
    {
        ++created;
        auto engine =
            std::make_unique<ChangeLogEngine>(showFolder.toStdString(), DataFolderPath().toStdString(), script, [this] {
                if (beforeSave)
                    beforeSave();
            });
        engine->ThrowIfThreadExceptions();
        return engine;
    }
};

// The server's change-log index: (major, minor, file) of each entry.
QStringList ServerVersions(const ShowServer& server)
{
    vand::networking::NetworkApiInterface api(vand::networking::ServerConfig{server.ApiBase(), {}, {}});
    api.SetShowIdentity({vand::demo::kDemoIdentifier, {}, {}, {}}, 0);
    auto logs = api.GetAvailableLogs();
    QStringList versions;
    if (!logs.HasValue())
        return {QStringLiteral("<no list>")};
    for (const auto& entry : *logs.GetValue())
        versions << QStringLiteral("%1.%2").arg(entry.major).arg(entry.minor);
    versions.sort();
    return versions;
}

// Replaces the server's change logs and their index: "M.m" entries (no
// file), or "M.m=name" with a demo log of that version stored under name, or
// "M.m=name!" with a wrong checksum.
void WriteServerIndex(ShowServer& server, const QStringList& entries)
{
    fs::remove_all(server.Root() / "shows" / "demo" / "logs");
    std::string index = "[";
    for (const QString& entry : entries) {
        const QStringList parts = entry.split('=');
        const QStringList version = parts[0].split('.');
        const unsigned major = version[0].toUInt();
        const unsigned minor = version[1].toUInt();
        std::string name = "Demo Show-" + parts[0].toStdString() + ".logdata";
        bool badSum = false;
        if (parts.size() > 1) {
            name = parts[1].toStdString();
            badSum = name.back() == '!';
            if (badSum)
                name.pop_back();
        }
        const std::string bytes = DemoLog(major, minor).ToJson();
        if (parts.size() > 1 && name.find('/') == std::string::npos)
            server.WriteFile("shows/demo/logs/" + name, QByteArray::fromStdString(bytes));
        const std::string sha = badSum ? std::string(64, 'a') : vand::networking::Sha256Hex(bytes);
        if (index.size() > 1)
            index += ",";
        index += "{\"major\":" + std::to_string(major) + ",\"minor\":" + std::to_string(minor)
                 + ",\"modified\":1700000000,\"file\":\"" + name + "\",\"sha256\":\"" + sha + "\"}";
    }
    server.WriteFile("shows/demo/logs/index.json", QByteArray::fromStdString(index + "]"));
}

QString DialogText(const MusicalMainController& controller, const char* property)
{
    auto* dialog = controller.GetMessageDialog();
    if (!dialog || !dialog->GetQmlObject())
        return QStringLiteral("<no dialog>");
    return dialog->GetQmlObject()->property(property).toString();
}

QString LoadedVersion(const MusicalMainController& controller)
{
    return QString::fromStdString(controller.GetShowManager()->GetPlayer()->GetLogVersion());
}

QString LoadedFile(const MusicalMainController& controller)
{
    return QString::fromStdString(
        fs::path(controller.GetShowManager()->GetPlayer()->GetChangelogFilename()).filename().string());
}

std::uint32_t Now()
{
    return static_cast<std::uint32_t>(std::time(nullptr));
}

} // namespace

class TestChangeLogs : public QObject
{
    Q_OBJECT
private:
    QQmlApplicationEngine engine;
    std::unique_ptr<ShowServer> server;
    std::unique_ptr<CastMember> first;
    std::unique_ptr<ChangeLogFactory> firstFactory;
    std::unique_ptr<MusicalMainController> firstController;
    std::unique_ptr<CastMember> second;
    std::unique_ptr<ChangeLogFactory> secondFactory;
    std::unique_ptr<MusicalMainController> secondController;
    // The show-control desk.
    QUdpSocket desk;

    void SendFromDesk(const CastMember& member, const QString& message)
    {
        desk.writeDatagram(vand::osc::BuildOscPacket(message), QHostAddress::LocalHost, member.oscPort);
    }

    // Starts the server and publishes the demo show (with its log 1.0).
    void StartServer(ShowServer::Options options = {})
    {
        server = std::make_unique<ShowServer>(options);
        QVERIFY2(server->Start(), qPrintable(server->Error()));
        first = std::make_unique<CastMember>();
        server->Publish(first->show);
    }

    // The main controller of a member whose server.json names the server.
    std::unique_ptr<MusicalMainController> Build(CastMember& member, ChangeLogFactory& factory)
    {
        member.Activate();
        vand::test::WriteServerJson(member.data, server->ApiBase());
        return std::make_unique<MusicalMainController>(&engine, &factory);
    }

    MusicalMainController& First()
    {
        if (!first)
            first = std::make_unique<CastMember>();
        firstFactory = std::make_unique<ChangeLogFactory>();
        firstController = Build(*first, *firstFactory);
        return *firstController;
    }

    MusicalMainController& Second()
    {
        second = std::make_unique<CastMember>();
        secondFactory = std::make_unique<ChangeLogFactory>();
        secondController = Build(*second, *secondFactory);
        return *secondController;
    }

    // Runs what was queued, the deferred deletions among it.
    static void Settle()
    {
        QCoreApplication::sendPostedEvents();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    // Starts a request to the show server as the user would: "share",
    // "latest log", "past logs" (the manager opens and asks for the list) or
    // "past log" (the open manager's row 1); returns the task that runs it.
    static BackgroundTask* Request(MusicalMainController& controller, const QString& path)
    {
        if (path == QLatin1String("share"))
            controller.onSaveAndUploadButton();
        else if (path == QLatin1String("latest log"))
            controller.GetLatestLogClicked_();
        else if (path == QLatin1String("past logs"))
            controller.ShowChangelogManager_();
        else
            controller.ChangelogServerSelected_(1);
        return path.startsWith(QLatin1String("past")) ? controller.GetChangelogManager()->GetServerTask()
                                                      : controller.GetServerTask();
    }

    // Waits until the engine has been called `call`, taking the calls as they
    // come.
    bool EngineCalled(ChangeLogFactory& factory, const QString& call, QStringList* calls = nullptr)
    {
        QStringList seen;
        const bool called = QTest::qWaitFor(
            [&] {
                seen << factory.script->Take();
                return seen.contains(call);
            },
            kWaitMs);
        if (calls)
            *calls = seen;
        return called;
    }

    // Waits until the controller's server requests (and those of its open
    // change-log manager) have come back.
    static bool Answered(const MusicalMainController& controller)
    {
        return QTest::qWaitFor(
            [&] {
                const auto* manager = controller.GetChangelogManager();
                return !controller.GetServerTask()->IsRunning() && (!manager || !manager->IsBusy());
            },
            kWaitMs);
    }

private slots:
    void initTestCase() { vand::qt::PrepareAppQmlEngine(engine); }

    void cleanup()
    {
        firstController.reset();
        secondController.reset();
        Settle();
        firstFactory.reset();
        secondFactory.reset();
        first.reset();
        second.reset();
        server.reset();
        // The process-wide dispatcher outlives the test: a subscription left
        // behind would be called with a dangling target by the next one.
        QCOMPARE(notify::callbackDispatcher->CallbackCount(), std::size_t(0));
    }

    void newestLocalVersion_data()
    {
        QTest::addColumn<QStringList>("files");
        QTest::addColumn<QString>("newest"); // version; empty: none
        QTest::addColumn<QString>("saved");
        QTest::newRow("no log") << QStringList() << ""
                                << "Demo Show-0.1.logdata";
        QTest::newRow("numbers, not text") << QStringList{"Demo Show-2.3.logdata", "Demo Show-2.10.logdata"} << "2.10"
                                           << "Demo Show-2.11.logdata";
        QTest::newRow("names without a version are ignored")
            << QStringList{"nodash.logdata",          "Demo.Show-7-x.logdata", "Demo Show-300.1.logdata",
                           "Demo Show-1.256.logdata", "Demo Show-9.9.LOGDATA", "Demo Show-1.1.logdata"}
            << "1.1"
            << "Demo Show-1.2.logdata";
        QTest::newRow("only a version above 255") << QStringList{"Demo Show-300.1.logdata"} << ""
                                                  << "Demo Show-0.1.logdata";
    }

    // E and F read names alike; Save writes the next minor version.
    void newestLocalVersion()
    {
        QFETCH(QStringList, files);
        QFETCH(QString, newest);
        QFETCH(QString, saved);
        StartServer();
        MusicalMainController& controller = First();
        RemoveLogFiles(first->show);
        for (const QString& name : files)
            WriteLocal(first->show, name);

        unsigned char major = 9;
        unsigned char minor = 9;
        const bool found = controller.GetNewestLocalLogVersion(major, minor);
        QCOMPARE(found, !newest.isEmpty());
        QCOMPARE(found ? QStringLiteral("%1.%2").arg(major).arg(minor) : QString(), newest);
        const QString newestFile = controller.FindNewestLocalLogFile();
        QCOMPARE(newestFile.isEmpty(), newest.isEmpty());
        if (found)
            QVERIFY(newestFile.endsWith("-" + newest + ".logdata"));

        QSignalSpy completed(&controller, &MusicalMainController::SaveCompleted);
        controller.onSaveButton();
        QCOMPARE(completed.count(), 1);
        QCOMPARE(DialogText(controller, "title"), QStringLiteral("Save Complete"));
        QVERIFY(LogFiles(first->show).contains(saved));
        QCOMPARE(LoadedFile(controller), saved);
    }

    // Of two files of one version, the one the folder lists later is chosen.
    void equalVersionsTheLaterEntryWins()
    {
        StartServer();
        MusicalMainController& controller = First();
        RemoveLogFiles(first->show);
        for (const char* name : {"A-2.0.logdata", "B-2.0.logdata", "C-2.0.logdata", "D-1.9.logdata"})
            WriteLocal(first->show, name);
        QString later;
        for (const auto& entry : fs::directory_iterator(first->show)) {
            const QString name = QString::fromStdString(entry.path().filename().string());
            if (name.endsWith("-2.0.logdata"))
                later = name;
        }
        QCOMPARE(controller.FindNewestLocalLogFile(), later);
    }

    void share_data()
    {
        QTest::addColumn<QStringList>("index"); // the server's; "published": as published
        QTest::addColumn<bool>("stopped");
        QTest::addColumn<bool>("allowPut");
        QTest::addColumn<QString>("saved");     // empty: nothing written
        QTest::addColumn<QStringList>("after"); // the server's versions afterwards
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("text");
        const QString shared = "Your edits are now available in Dravel and Pelorin.";
        QTest::newRow("majors 1, 4 and 2")
            << QStringList{"1.0", "4.0", "2.3"} << false << true << "Demo Show-5.0.logdata"
            << QStringList{"1.0", "2.3", "4.0", "5.0"} << "Share Complete" << shared;
        QTest::newRow("as published") << QStringList{"published"} << false << true << "Demo Show-2.0.logdata"
                                      << QStringList{"1.0", "2.0"} << "Share Complete" << shared;
        QTest::newRow("empty list") << QStringList() << false << true << "Demo Show-1.0.logdata" << QStringList{"1.0"}
                                    << "Share Complete" << shared;
        QTest::newRow("top major 255") << QStringList{"3.0", "255.1"} << false << true << ""
                                       << QStringList{"255.1", "3.0"} << "Save and Share Failed"
                                       << "The show server already holds version 255, the highest version that can "
                                          "be shared. Nothing was saved.";
        QTest::newRow("server stopped") << QStringList{"published"} << true << true << "Demo Show-1.1.logdata"
                                        << QStringList{"<no list>"} << "Server Error on Save"
                                        << "Failed to get current log on server. Check internet connectivity? Your "
                                           "edits were saved locally as version 1.1.";
        QTest::newRow("upload refused") << QStringList{"published"} << false << false << "Demo Show-2.0.logdata"
                                        << QStringList{"1.0"} << "Save and Share Failed"
                                        << "The edits failed to upload. Upload returned an error.";
    }

    void share()
    {
        QFETCH(QStringList, index);
        QFETCH(bool, stopped);
        QFETCH(bool, allowPut);
        QFETCH(QString, saved);
        QFETCH(QStringList, after);
        QFETCH(QString, title);
        QFETCH(QString, text);
        ShowServer::Options options;
        options.allowPut = allowPut;
        StartServer(options);
        if (index != QStringList{"published"})
            WriteServerIndex(*server, index);
        MusicalMainController& controller = First();
        const QStringList before = LogFiles(first->show);
        const std::uint32_t start = Now();
        if (stopped)
            server->Stop();

        controller.onSaveAndUploadButton();
        QVERIFY(Answered(controller));
        QCOMPARE(DialogText(controller, "title"), title);
        QCOMPARE(DialogText(controller, "text"), text);
        if (saved.isEmpty()) {
            QCOMPARE(LogFiles(first->show), before);
        } else {
            // Written now by this share, and kept whatever the upload did.
            const CL::ChangeLog log(first->show / saved.toStdString(), first->show / "identity.json");
            QCOMPARE(QString::fromStdString(log.GetVersion().GetAsString()) + ".logdata",
                     saved.mid(saved.lastIndexOf('-') + 1));
            QVERIFY(log.GetModifiedTime() >= start);
            QCOMPARE(LoadedFile(controller), saved);
        }
        if (stopped)
            QVERIFY(server->Start());
        QCOMPARE(ServerVersions(*server), stopped ? QStringList{"1.0"} : after);
        if (title == QLatin1String("Share Complete")) {
            // What the server holds is the saved file.
            const std::string local = kit::ReadWholeFile(first->show / saved.toStdString(), kMaxBytes);
            const std::string remote =
                kit::ReadWholeFile(server->Root() / "shows" / "demo" / "logs" / saved.toStdString(), kMaxBytes);
            QCOMPARE(vand::networking::Sha256Hex(remote), vand::networking::Sha256Hex(local));
        }
    }

    // Two members share at the same time: both saw 1.0 on the server, so both
    // save 2.0; the second upload is refused and its 2.0 stays; sharing again
    // takes 3.0.
    void twoMembersShareTheSameVersion()
    {
        StartServer();
        MusicalMainController& a = First();
        MusicalMainController& b = Second();
        bool raced = false;
        secondFactory->beforeSave = [&] {
            if (raced)
                return;
            raced = true;
            first->Activate();
            a.onSaveAndUploadButton();
            QVERIFY(Answered(a));
            second->Activate();
        };
        b.onSaveAndUploadButton();
        QVERIFY(Answered(b));
        QVERIFY(raced);
        QCOMPARE(DialogText(a, "title"), QStringLiteral("Share Complete"));
        QCOMPARE(DialogText(b, "title"), QStringLiteral("Save and Share Failed"));
        QCOMPARE(ServerVersions(*server), (QStringList{"1.0", "2.0"}));
        const fs::path serverLogs = server->Root() / "shows" / "demo" / "logs";
        QCOMPARE(kit::ReadWholeFile(serverLogs / "Demo Show-2.0.logdata", kMaxBytes),
                 kit::ReadWholeFile(first->show / "Demo Show-2.0.logdata", kMaxBytes));
        QVERIFY(fs::exists(second->show / "Demo Show-2.0.logdata"));

        b.onSaveAndUploadButton();
        QVERIFY(Answered(b));
        QCOMPARE(DialogText(b, "title"), QStringLiteral("Share Complete"));
        QCOMPARE(ServerVersions(*server), (QStringList{"1.0", "2.0", "3.0"}));
        QCOMPARE(LoadedFile(b), QStringLiteral("Demo Show-3.0.logdata"));
    }

    void fetch_data()
    {
        QTest::addColumn<QStringList>("index"); // see WriteServerIndex; "published": as published
        QTest::addColumn<QStringList>("local"); // added to the show folder (see WriteLocal)
        QTest::addColumn<bool>("stopped");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("loaded");    // the engine's version afterwards
        QTest::addColumn<QStringList>("files"); // the folder's log files afterwards
        const QString failed = "Log failed to download. ";
        const QString unsafe =
            failed + "Get Latest Log Version Failed. The change-log index's entry 2 names an unsafe file.";
        QTest::newRow("the latest") << QStringList{"1.0=" + QString(kLog10), "2.0=Demo Show-2.0.logdata"}
                                    << QStringList() << false << "Download successful"
                                    << "Log version 2.0 has been downloaded."
                                    << "2.0" << QStringList{kLog10, "Demo Show-2.0.logdata"};
        QTest::newRow("a newer local version is loaded")
            << QStringList{"2.0=Demo Show-2.0.logdata"} << QStringList{"Demo Show-3.1.logdata@3.1"} << false
            << "Download successful"
            << "Log version 2.0 has been downloaded."
            << "3.1" << QStringList{kLog10, "Demo Show-2.0.logdata", "Demo Show-3.1.logdata"};
        // Guards against the fetch overwriting the member's own edits; the
        // newest file is loaded, which is now theirs.
        QTest::newRow("the member's own 2.0 is kept as 2.1")
            << QStringList{"1.0=" + QString(kLog10), "2.0=Demo Show-2.0.logdata"}
            << QStringList{"Demo Show-2.0.logdata@2.0~"} << false << "Download successful"
            << "Log version 2.0 has been downloaded. Your own \"Demo Show-2.0.logdata\" held other edits; it is "
               "kept as version 2.1 (\"Demo Show-2.1.logdata\")."
            << "2.1" << QStringList{kLog10, "Demo Show-2.0.logdata", "Demo Show-2.1.logdata"};
        QTest::newRow("server stopped") << QStringList{"published"} << QStringList() << true << "Download Error"
                                        << failed + "Get Latest Log Version Failed. "
                                        << "1.0" << QStringList{kLog10};
        QTest::newRow("no log on the server")
            << QStringList() << QStringList() << false << "Download Error"
            << failed + "Get Latest Log Version Failed. The show server holds no change log of this show."
            << "1.0" << QStringList{kLog10};
        QTest::newRow("parent folder") << QStringList{"1.0", "2.0=../x.logdata"} << QStringList() << false
                                       << "Download Error" << unsafe << "1.0" << QStringList{kLog10};
        QTest::newRow("absolute") << QStringList{"1.0", "2.0=/tmp/x.logdata"} << QStringList() << false
                                  << "Download Error" << unsafe << "1.0" << QStringList{kLog10};
        QTest::newRow("sub-folder") << QStringList{"1.0", "2.0=a/b.logdata"} << QStringList() << false
                                    << "Download Error" << unsafe << "1.0" << QStringList{kLog10};
        QTest::newRow("not a change-log name")
            << QStringList{"1.0", "2.0=x.txt"} << QStringList() << false << "Download Error"
            << failed
                   + "The show server named the change log of version 2.0 \"x.txt\", which is not a change-log "
                     "file name."
            << "1.0" << QStringList{kLog10};
        QTest::newRow("bad checksum") << QStringList{"1.0", "2.0=Demo Show-2.0.logdata!"}
                                      << QStringList{"Demo Show-2.0.logdata"} << false << "Download Error"
                                      << failed + "The downloaded change log does not match its checksum."
                                      << "1.0" << QStringList{kLog10, "Demo Show-2.0.logdata"};
    }

    void fetch()
    {
        QFETCH(QStringList, index);
        QFETCH(QStringList, local);
        QFETCH(bool, stopped);
        QFETCH(QString, title);
        QFETCH(QString, text);
        QFETCH(QString, loaded);
        QFETCH(QStringList, files);
        StartServer();
        if (index != QStringList{"published"})
            WriteServerIndex(*server, index);
        MusicalMainController& controller = Second();
        for (const QString& entry : local)
            WriteLocal(second->show, entry);
        const fs::path old = second->show / "Demo Show-2.0.logdata";
        const std::string oldBytes = fs::exists(old) ? kit::ReadWholeFile(old, kMaxBytes) : std::string();
        if (stopped)
            server->Stop();

        controller.GetLatestLogClicked_();
        QVERIFY(Answered(controller));
        QCOMPARE(DialogText(controller, "title"), title);
        QCOMPARE(DialogText(controller, "text"), text);
        QCOMPARE(LoadedVersion(controller), loaded);
        QCOMPARE(LogFiles(second->show), files);
        if (title == QLatin1String("Download Error") && !oldBytes.empty())
            QCOMPARE(kit::ReadWholeFile(old, kMaxBytes), oldBytes);
        QVERIFY(!fs::exists("/tmp/x.logdata"));
    }

    void deskIsServedWhileTheServerHoldsARequest_data()
    {
        QTest::addColumn<QString>("path");
        for (const char* path : {"share", "latest log", "past logs", "past log"})
            QTest::newRow(path) << path;
    }

    // While the server holds a request the wait window offers Cancel, and the
    // desk's OSC reaches the engine meanwhile (real UDP); Cancel ends the
    // wait at once, the transfer stops and nothing changes (guards against a
    // request that holds the event loop).
    void deskIsServedWhileTheServerHoldsARequest()
    {
        QFETCH(QString, path);
        StartServer();
        WriteServerIndex(*server, {"1.0=" + QString(kLog10), "2.0=Demo Show-2.0.logdata"});
        StallingServer::Options options;
        options.mode = StallingServer::Mode::Relay;
        options.upstream = server->Port();
        options.held = path != QLatin1String("past log");
        StallingServer relay(options);
        QVERIFY(relay.Start());
        MusicalMainController& controller = First();
        vand::test::WriteServerJson(first->data, relay.ApiBase());
        if (path == QLatin1String("past log")) {
            controller.ShowChangelogManager_();
            QVERIFY(Answered(controller));
            QCOMPARE(controller.GetChangelogManager()->GetServerModel()->rowCount(), 2);
            relay.Hold();
        }
        const QStringList files = LogFiles(first->show);
        const int connections = relay.Connections();
        firstFactory->script->Take();

        BackgroundTask* task = Request(controller, path);
        QVERIFY(task->IsRunning());
        QObject* wait = task->GetQmlObject();
        QVERIFY(wait && wait->property("visible").toBool());
        QTRY_VERIFY(relay.Connections() > connections);
        SendFromDesk(*first, "/vand/stop");
        QVERIFY(EngineCalled(*firstFactory, "Stop"));
        QVERIFY(task->IsRunning());

        QSignalSpy discarded(task, &BackgroundTask::Discarded);
        QVERIFY(QMetaObject::invokeMethod(wait->findChild<QObject*>(QStringLiteral("cancelButton")), "clicked"));
        QVERIFY(!task->IsRunning());
        QVERIFY(!wait->property("visible").toBool());
        QVERIFY(discarded.wait(kWaitMs));
        QCOMPARE(LogFiles(first->show), files);
        QCOMPARE(LoadedVersion(controller), QStringLiteral("1.0"));
        QCOMPARE(controller.GetMessageDialog(), nullptr);
        QCOMPARE(ServerVersions(*server), (QStringList{"1.0", "2.0"}));
    }

    void stalledRequestEndsWithItsMessage_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("title"); // of the dialog; empty: none
        QTest::addColumn<QString>("text");  // of the dialog, or what goes to the standard output
        QTest::newRow("share") << "share"
                               << "Server Error on Save"
                               << "Failed to get current log on server. Check internet connectivity? Your edits "
                                  "were saved locally as version 1.1.";
        QTest::newRow("latest log") << "latest log"
                                    << "Download Error"
                                    << "Log failed to download. Get Latest Log Version Failed. The show server did "
                                       "not finish answering within 0.3 s.";
        QTest::newRow("past logs") << "past logs"
                                   << ""
                                   << "Networking Issue: ";
    }

    // A server that never answers: each request ends at its deadline as a
    // failed request does, with its message.
    void stalledRequestEndsWithItsMessage()
    {
        QFETCH(QString, path);
        QFETCH(QString, title);
        QFETCH(QString, text);
        StallingServer staller;
        QVERIFY(staller.Start());
        first = std::make_unique<CastMember>();
        firstFactory = std::make_unique<ChangeLogFactory>();
        first->Activate();
        WriteFile(first->data / "server.json",
                  "{\"apiBase\": \"" + staller.ApiBase() + "\", \"apiDeadlineMs\": 300, \"fileDeadlineMs\": 300}");
        firstController = std::make_unique<MusicalMainController>(&engine, firstFactory.get());
        MusicalMainController& controller = *firstController;
        vand::test::StreamCapture out(std::cout);
        BackgroundTask* task = Request(controller, path);
        QVERIFY(task->IsRunning());
        QVERIFY(Answered(controller));
        QVERIFY(staller.Connections() >= 1);
        if (title.isEmpty()) {
            QCOMPARE(controller.GetMessageDialog(), nullptr);
            QVERIFY2(QString::fromStdString(out.text()).endsWith(text), out.text().c_str());
            QCOMPARE(controller.GetChangelogManager()->GetServerModel()->rowCount(), 0);
        } else {
            QCOMPARE(DialogText(controller, "title"), title);
            QCOMPARE(DialogText(controller, "text"), text);
        }
    }

    void answersAreCheckedAgainWhenTheyCome_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("meanwhile");    // "reload": the show is loaded again; else what the desk sends
        QTest::addColumn<QString>("title");        // of the dialog afterwards; empty: none
        QTest::addColumn<QString>("loaded");       // the engine's version afterwards
        QTest::addColumn<QStringList>("versions"); // on the server afterwards
        QTest::newRow("share, the show loaded again") << "share"
                                                      << "reload"
                                                      << "Save and Share Failed"
                                                      << "1.0" << QStringList{"1.0", "2.0"};
        QTest::newRow("latest log, another song loaded") << "latest log"
                                                         << "/vand/song/2/play"
                                                         << "Download successful"
                                                         << "2.0" << QStringList{"1.0", "2.0"};
        QTest::newRow("past log, the show loaded again") << "past log"
                                                         << "reload"
                                                         << ""
                                                         << "2.0" << QStringList{"1.0", "2.0"};
    }

    // What changed while the server held the request (a song loaded from the
    // desk, the show loaded again) is taken into account when the answer
    // comes: a share of edits that were lost with the old player saves and
    // shares nothing; a fetched version reloads the song current now, on the
    // player loaded now.
    void answersAreCheckedAgainWhenTheyCome()
    {
        QFETCH(QString, path);
        QFETCH(QString, meanwhile);
        QFETCH(QString, title);
        QFETCH(QString, loaded);
        QFETCH(QStringList, versions);
        StartServer();
        WriteServerIndex(*server, {"1.0=" + QString(kLog10), "2.0=Demo Show-2.0.logdata"});
        StallingServer::Options options;
        options.mode = StallingServer::Mode::Relay;
        options.upstream = server->Port();
        options.held = path != QLatin1String("past log");
        StallingServer relay(options);
        QVERIFY(relay.Start());
        MusicalMainController& controller = First();
        vand::test::WriteServerJson(first->data, relay.ApiBase());
        if (path == QLatin1String("past log")) {
            controller.ShowChangelogManager_();
            QVERIFY(Answered(controller));
            relay.Hold();
        }
        const QStringList files = LogFiles(first->show);
        const int connections = relay.Connections();
        BackgroundTask* task = Request(controller, path);
        QTRY_VERIFY(relay.Connections() > connections);

        firstFactory->script->Take();
        if (meanwhile == QLatin1String("reload")) {
            controller.LoadShow_();
        } else {
            SendFromDesk(*first, meanwhile);
            QVERIFY(EngineCalled(*firstFactory, "LoadSong(2)"));
            firstFactory->script->clock->Pump();
            QCOMPARE(controller.GetShowManager()->GetCurrentSongNumber(), std::string("2"));
        }
        QVERIFY(task->IsRunning());
        relay.Release();
        QVERIFY(Answered(controller));

        QCOMPARE(controller.GetMessageDialog() ? DialogText(controller, "title") : QString(), title);
        QCOMPARE(LoadedVersion(controller), loaded);
        QCOMPARE(ServerVersions(*server), versions);
        const QStringList calls = firstFactory->script->Take();
        if (path == QLatin1String("share")) {
            QCOMPARE(DialogText(controller, "text"), QStringLiteral("The show was loaded again while the show server "
                                                                    "was asked. Nothing was saved or shared."));
            QCOMPARE(LogFiles(first->show), files);
            QVERIFY(!calls.join(' ').contains("SaveChangelog"));
        } else {
            QCOMPARE(LoadedFile(controller), QStringLiteral("Demo Show-2.0.logdata"));
            const QString song = meanwhile == QLatin1String("reload") ? "1" : "2";
            QVERIFY2(calls.contains("LoadSong(" + song + ")"), qPrintable(calls.join(' ')));
            QVERIFY2(!calls.contains(song == "1" ? "LoadSong(2)" : "LoadSong(1)"), qPrintable(calls.join(' ')));
        }
    }

    void managerLoadsExactlyTheRowsFile_data()
    {
        QTest::addColumn<QStringList>("local");
        QTest::addColumn<QString>("version"); // the row chosen
        QTest::addColumn<QString>("file");    // what is loaded
        QTest::newRow("1.1 next to 11.1")
            << QStringList{"Demo Show-11.1.logdata@11.1", "Demo Show-1.1.logdata@1.1"} << "1.1"
            << "Demo Show-1.1.logdata";
        QTest::newRow("11.1 next to 1.1")
            << QStringList{"Demo Show-11.1.logdata@11.1", "Demo Show-1.1.logdata@1.1"} << "11.1"
            << "Demo Show-11.1.logdata";
        QTest::newRow("content disagrees with the name")
            << QStringList{"Demo Show-5.5.logdata@7.0", "Demo Show-7.0.logdata@5.5"} << "7.0"
            << "Demo Show-5.5.logdata";
    }

    // The row is loaded from its own file; the window goes by a queued call,
    // after the button's handler that chose the row has returned.
    void managerLoadsExactlyTheRowsFile()
    {
        QFETCH(QStringList, local);
        QFETCH(QString, version);
        QFETCH(QString, file);
        vand::test::QmlWarningGuard guard;
        StartServer();
        MusicalMainController& controller = First();
        for (const QString& entry : local)
            WriteLocal(first->show, entry);
        QVERIFY(QMetaObject::invokeMethod(controller.GetQmlObject(), "changelogManagerOpened"));
        ChangelogManagerController* manager = controller.GetChangelogManager();
        QVERIFY(manager);
        QVERIFY(Answered(controller));
        auto* window = qobject_cast<QWindow*>(manager->GetQmlObject());
        QVERIFY(window && window->isVisible());
        QCOMPARE(manager->GetServerModel()->GetVersionString(0), QStringLiteral("1.0"));
        int row = -1;
        for (int i = 0; i < manager->GetLocalModel()->rowCount(); ++i) {
            if (manager->GetLocalModel()->GetVersionString(i) == version)
                row = i;
        }
        QVERIFY(row >= 0);

        QSignalSpy attacca(&controller, &MusicalMainController::SignalAttaccaUpdate);
        QPointer<QWindow> watched(window);
        QPointer<QObject> managerObject(manager);
        QObject* list = window->findChild<QObject*>(QStringLiteral("localList"));
        QVERIFY(list->setProperty("index", row));
        QVERIFY(
            QMetaObject::invokeMethod(window->findChild<QObject*>(QStringLiteral("loadSelectedButton")), "clicked"));
        QCOMPARE(LoadedFile(controller), file);
        QCOMPARE(attacca.count(), 1);
        QCOMPARE(controller.GetChangelogManager(), nullptr);
        // Not deleted inside its own signal: it goes once the handler returned.
        QVERIFY(managerObject);
        QVERIFY(watched && !watched->isVisible());
        Settle();
        QVERIFY(!managerObject);
        QVERIFY(!watched);
        QCOMPARE(guard.warnings(), QStringList());
    }

    void managerKeepsTheLoadedVersion_data()
    {
        QTest::addColumn<bool>("gone");
        QTest::addColumn<QString>("title"); // of the dialog; empty: none
        QTest::newRow("the file no longer reads") << false << "Event Log Manager";
        QTest::newRow("the file has gone") << true << "";
    }

    // Choosing a row whose file changed since the list was read: the loaded
    // version stays, and so does the window.
    void managerKeepsTheLoadedVersion()
    {
        QFETCH(bool, gone);
        QFETCH(QString, title);
        StartServer();
        MusicalMainController& controller = First();
        WriteLocal(first->show, "Demo Show-1.1.logdata@1.1");
        controller.ShowChangelogManager_();
        ChangelogManagerController* manager = controller.GetChangelogManager();
        QVERIFY(manager);
        QCOMPARE(manager->GetLocalModel()->GetVersionString(1), QStringLiteral("1.1"));
        const fs::path file = first->show / "Demo Show-1.1.logdata";
        if (gone)
            fs::remove(file);
        else
            WriteFile(file, "no longer a change log");
        controller.ChangelogLocalSelected_(1);
        QCOMPARE(controller.GetMessageDialog() ? DialogText(controller, "title") : QString(), title);
        QCOMPARE(LoadedVersion(controller), QStringLiteral("1.0"));
        QCOMPARE(controller.GetChangelogManager(), manager);
    }

    void touchFile_data()
    {
        QTest::addColumn<QString>("what");
        QTest::addColumn<bool>("touched");
        QTest::newRow("a file") << "file" << true;
        QTest::newRow("no file") << "missing" << false;
        QTest::newRow("a folder") << "folder" << false;
    }

    void touchFile()
    {
        QFETCH(QString, what);
        QFETCH(bool, touched);
        QTemporaryDir dir;
        const fs::path path = fs::path(dir.path().toStdString()) / "x.logdata";
        if (what == QLatin1String("file")) {
            WriteFile(path, "x");
            fs::last_write_time(path, fs::file_time_type::clock::now() - std::chrono::hours(24));
        } else if (what == QLatin1String("folder")) {
            fs::create_directory(path);
        }
        const auto before = fs::file_time_type::clock::now() - std::chrono::minutes(1);
        QCOMPARE(MusicalMainController::TouchFile(QString::fromStdString(path.string())), touched);
        if (touched)
            QVERIFY(fs::last_write_time(path) > before);
    }

    // Without a current show the window cannot be filled: it goes, and the
    // reason is shown.
    void managerFailureIsReported()
    {
        StartServer();
        MusicalMainController& controller = First();
        fs::remove(first->data / "current_show.json");
        controller.ShowChangelogManager_();
        QCOMPARE(controller.GetChangelogManager(), nullptr);
        QCOMPARE(DialogText(controller, "title"), QStringLiteral("Event Log Manager"));
        Settle();
    }

    void managerClosesWithItsWindow()
    {
        StartServer();
        MusicalMainController& controller = First();
        auto* menu = controller.GetMenuController();
        emit menu->ViewPastLogsRequested();
        ChangelogManagerController* manager = controller.GetChangelogManager();
        QVERIFY(manager);
        QPointer<QWindow> window(qobject_cast<QWindow*>(manager->GetQmlObject()));
        window->close();
        QCOMPARE(controller.GetChangelogManager(), nullptr);
        Settle();
        QVERIFY(!window);
        // A local choice while it is gone does nothing.
        controller.ChangelogLocalSelected_(0);
        QCOMPARE(controller.GetMessageDialog(), nullptr);
    }

    void secondMemberLoadsTheSharedVersion_data()
    {
        QTest::addColumn<QString>("local"); // a file of the second member (see WriteLocal)
        QTest::addColumn<int>("age");       // its modification time, in hours before now
        QTest::addColumn<QStringList>("files");
        QTest::addColumn<QString>("notice"); // the dialog's text; empty: none
        QTest::newRow("an older copy of that version is pruned")
            << "Old copy-2.0.logdata@2.0" << 1 << QStringList{kLog10, "Demo Show-2.0.logdata"} << "";
        // Guards against pruning the file just loaded.
        QTest::newRow("a newer copy of that version is pruned, never the chosen one")
            << "Old copy-2.0.logdata@2.0" << -1 << QStringList{kLog10, "Demo Show-2.0.logdata"} << "";
        // Guards against a fetch overwriting the member's own edits.
        QTest::newRow("the member's own 2.0 is kept as 2.1")
            << "Demo Show-2.0.logdata@2.0~" << 0
            << QStringList{kLog10, "Demo Show-2.0.logdata", "Demo Show-2.1.logdata"}
            << "Your own \"Demo Show-2.0.logdata\" held other edits than the server's version; it is kept as "
               "version 2.1 (\"Demo Show-2.1.logdata\").";
    }

    // The first member shares; the second lists the new version under the
    // server's and loads it: downloaded into the show folder, other copies
    // of that version pruned, loaded, and the window goes.
    void secondMemberLoadsTheSharedVersion()
    {
        QFETCH(QString, local);
        QFETCH(int, age);
        QFETCH(QStringList, files);
        QFETCH(QString, notice);
        StartServer();
        MusicalMainController& a = First();
        a.onSaveAndUploadButton();
        QVERIFY(Answered(a));
        QCOMPARE(DialogText(a, "title"), QStringLiteral("Share Complete"));

        MusicalMainController& b = Second();
        WriteLocal(second->show, local);
        const fs::path localFile = second->show / local.split('@')[0].toStdString();
        const std::string localBytes = kit::ReadWholeFile(localFile, kMaxBytes);
        fs::last_write_time(localFile, fs::file_time_type::clock::now() - std::chrono::hours(age));
        b.ShowChangelogManager_();
        ChangelogManagerController* manager = b.GetChangelogManager();
        QVERIFY(manager);
        QVERIFY(Answered(b));
        QCOMPARE(manager->GetServerModel()->rowCount(), 2);
        QCOMPARE(manager->GetServerModel()->GetVersionString(1), QStringLiteral("2.0"));
        QSignalSpy attacca(&b, &MusicalMainController::SignalAttaccaUpdate);
        QPointer<QObject> window(manager->GetQmlObject());
        QVERIFY(QMetaObject::invokeMethod(window, "loadSelectedServer", Q_ARG(int, 1)));
        QVERIFY(Answered(b));
        QCOMPARE(LoadedFile(b), QStringLiteral("Demo Show-2.0.logdata"));
        QCOMPARE(LoadedVersion(b), QStringLiteral("2.0"));
        QCOMPARE(LogFiles(second->show), files);
        QCOMPARE(kit::ReadWholeFile(second->show / "Demo Show-2.0.logdata", kMaxBytes),
                 kit::ReadWholeFile(first->show / "Demo Show-2.0.logdata", kMaxBytes));
        if (files.contains("Demo Show-2.1.logdata")) {
            // The member's edits, as version 2.1.
            const CL::ChangeLog kept(second->show / "Demo Show-2.1.logdata", second->show / "identity.json");
            QCOMPARE(QString::fromStdString(kept.GetVersion().GetAsString()), QStringLiteral("2.1"));
            QCOMPARE(kept.GetModifiedTime(), CL::ChangeLog::FromJson(localBytes, {}, "local").GetModifiedTime());
        }
        QCOMPARE(b.GetMessageDialog() ? DialogText(b, "text") : QString(), notice);
        QCOMPARE(attacca.count(), 1);
        QCOMPARE(b.GetChangelogManager(), nullptr);
        Settle();
        QVERIFY(!window);

        // And the latest, fetched from the menu.
        b.GetLatestLogClicked_();
        QVERIFY(Answered(b));
        QCOMPARE(DialogText(b, "text"), QStringLiteral("Log version 2.0 has been downloaded."));
    }

    void managerServerVersionMissing_data()
    {
        QTest::addColumn<QStringList>("index"); // after the window opened
        QTest::addColumn<bool>("fileGone");
        QTest::addColumn<QString>("title"); // of the dialog; empty: none
        QTest::addColumn<QString>("logLine");
        QTest::newRow("gone from the index") << QStringList{"1.0=" + QString(kLog10)} << false << ""
                                             << "Server file does not exist.";
        QTest::newRow("its file gone") << QStringList() << true << "Download Error"
                                       << "";
    }

    // The window stays open, and the loaded version with it.
    void managerServerVersionMissing()
    {
        QFETCH(QStringList, index);
        QFETCH(bool, fileGone);
        QFETCH(QString, title);
        QFETCH(QString, logLine);
        StartServer();
        WriteServerIndex(*server, {"1.0=" + QString(kLog10), "2.0=Demo Show-2.0.logdata"});
        MusicalMainController& controller = Second();
        controller.ShowChangelogManager_();
        ChangelogManagerController* manager = controller.GetChangelogManager();
        QVERIFY(manager);
        QVERIFY(Answered(controller));
        QCOMPARE(manager->GetServerModel()->rowCount(), 2);
        if (!index.isEmpty())
            WriteServerIndex(*server, index);
        if (fileGone)
            fs::remove(server->Root() / "shows" / "demo" / "logs" / "Demo Show-2.0.logdata");

        std::vector<std::string> lines;
        kit::SetLogSink([&](kit::LogLevel, std::string_view, std::string_view text) { lines.emplace_back(text); });
        vand::test::StreamCapture out(std::cout);
        controller.ChangelogServerSelected_(1);
        QVERIFY(Answered(controller));
        kit::SetLogSink({});
        QCOMPARE(controller.GetChangelogManager(), manager);
        QVERIFY(qobject_cast<QWindow*>(manager->GetQmlObject())->isVisible());
        QCOMPARE(LoadedVersion(controller), QStringLiteral("1.0"));
        QCOMPARE(LogFiles(second->show), QStringList{kLog10});
        QCOMPARE(controller.GetMessageDialog() ? DialogText(controller, "title") : QString(), title);
        if (!logLine.isEmpty())
            QCOMPARE(lines, std::vector<std::string>{logLine.toStdString()});
    }

    void commandsReachTheirSlots_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QString>("title"); // of the dialog; "manager": the manager opens
        QTest::newRow("edit bar share") << "editBar shareButton"
                                        << "Share Complete";
        QTest::newRow("menu share") << "menu shareClicked"
                                    << "Share Complete";
        QTest::newRow("menu latest log") << "menu getLatestLogClicked"
                                         << "Download successful";
        QTest::newRow("menu past logs") << "menu changelogManagerOpened"
                                        << "manager";
        QTest::newRow("menu view past logs") << "controller ViewPastLogsRequested"
                                             << "manager";
    }

    // Each command runs once, also after the show was loaded again.
    void commandsReachTheirSlots()
    {
        QFETCH(QString, command);
        QFETCH(QString, title);
        StartServer();
        MusicalMainController& controller = First();
        controller.LoadShow_();
        const QStringList words = command.split(' ');
        QObject* target = controller.GetQmlObject();
        if (words[0] == QLatin1String("editBar"))
            target = target->findChild<QObject*>(QStringLiteral("editBar"));
        else if (words[0] == QLatin1String("menu"))
            target = target->property("menu").value<QObject*>();
        else
            target = controller.GetMenuController();
        QVERIFY(target);
        QVERIFY(QMetaObject::invokeMethod(target, words[1].toLatin1().constData()));
        QVERIFY(Answered(controller));
        if (title == QLatin1String("manager")) {
            QVERIFY(controller.GetChangelogManager());
        } else {
            QCOMPARE(DialogText(controller, "title"), title);
            const QStringList expected =
                title == QLatin1String("Share Complete") ? QStringList{"1.0", "2.0"} : QStringList{"1.0"};
            QCOMPARE(ServerVersions(*server), expected);
        }
    }
};

QTEST_MAIN(TestChangeLogs)
#include "tst_changelogs.moc"
