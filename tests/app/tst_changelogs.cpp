// Saving, sharing and fetching change logs through the main controller, with
// a private nginx as the show server and data folders that stand for members
// of a cast (label net). The engines write and read their change logs for
// real; the rest of the engine is the recording test engine.

#include <QQmlApplicationEngine>
#include <QSignalSpy>
#include <QTest>
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
#include "StreamCapture.h"
#include "app/AppQmlEngineSetup.h"
#include "app/MusicalMainController.h"
#include "app/ResponsiveMenuController.h"
#include "app/model/ShowManager.h"
#include "kit/File.h"
#include "kit/Log.h"
#include "show/ChangelogManagerController.h"
#include "ui/DialogController.h"
#include "vand_networking_http/NetworkApiInterface.h"
#include "vand_networking_http/Sha256.h"

using vand::qt::ChangelogManagerController;
using vand::qt::MusicalMainController;
using vand::test::ShowServer;
namespace fs = std::filesystem;

namespace {

const char* kLog10 = "Demo Show-1.0.logdata";

// Larger than any file the tests read.
constexpr std::uintmax_t kMaxBytes = 1u << 20;

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

// "name" or "name@M.m": an empty file, or a demo change log of version M.m.
void WriteLocal(const fs::path& show, const QString& entry)
{
    const QStringList parts = entry.split('@');
    const fs::path file = show / parts[0].toStdString();
    if (parts.size() == 1) {
        WriteFile(file, "{}");
        return;
    }
    const QStringList version = parts[1].split('.');
    DemoLog(version[0].toUInt(), version[1].toUInt()).SaveToFile(file);
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
    vand::networking::NetworkApiInterface api(vand::networking::ServerConfig{server.ApiBase(), {}});
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
            second->Activate();
        };
        b.onSaveAndUploadButton();
        QVERIFY(raced);
        QCOMPARE(DialogText(a, "title"), QStringLiteral("Share Complete"));
        QCOMPARE(DialogText(b, "title"), QStringLiteral("Save and Share Failed"));
        QCOMPARE(ServerVersions(*server), (QStringList{"1.0", "2.0"}));
        const fs::path serverLogs = server->Root() / "shows" / "demo" / "logs";
        QCOMPARE(kit::ReadWholeFile(serverLogs / "Demo Show-2.0.logdata", kMaxBytes),
                 kit::ReadWholeFile(first->show / "Demo Show-2.0.logdata", kMaxBytes));
        QVERIFY(fs::exists(second->show / "Demo Show-2.0.logdata"));

        b.onSaveAndUploadButton();
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
        QCOMPARE(DialogText(controller, "title"), title);
        QCOMPARE(DialogText(controller, "text"), text);
        QCOMPARE(LoadedVersion(controller), loaded);
        QCOMPARE(LogFiles(second->show), files);
        if (title == QLatin1String("Download Error") && !oldBytes.empty())
            QCOMPARE(kit::ReadWholeFile(old, kMaxBytes), oldBytes);
        QVERIFY(!fs::exists("/tmp/x.logdata"));
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

    // The first member shares; the second lists the new version under the
    // server's and loads it: downloaded into the show folder, older copies
    // of that version pruned, loaded, and the window goes.
    void secondMemberLoadsTheSharedVersion()
    {
        StartServer();
        MusicalMainController& a = First();
        a.onSaveAndUploadButton();
        QCOMPARE(DialogText(a, "title"), QStringLiteral("Share Complete"));

        MusicalMainController& b = Second();
        WriteLocal(second->show, "Old copy-2.0.logdata@2.0");
        fs::last_write_time(second->show / "Old copy-2.0.logdata",
                            fs::file_time_type::clock::now() - std::chrono::hours(1));
        b.ShowChangelogManager_();
        ChangelogManagerController* manager = b.GetChangelogManager();
        QVERIFY(manager);
        QCOMPARE(manager->GetServerModel()->rowCount(), 2);
        QCOMPARE(manager->GetServerModel()->GetVersionString(1), QStringLiteral("2.0"));
        QSignalSpy attacca(&b, &MusicalMainController::SignalAttaccaUpdate);
        QPointer<QObject> window(manager->GetQmlObject());
        QVERIFY(QMetaObject::invokeMethod(window, "loadSelectedServer", Q_ARG(int, 1)));
        QCOMPARE(LoadedFile(b), QStringLiteral("Demo Show-2.0.logdata"));
        QCOMPARE(LoadedVersion(b), QStringLiteral("2.0"));
        QCOMPARE(LogFiles(second->show), (QStringList{kLog10, "Demo Show-2.0.logdata"}));
        QCOMPARE(kit::ReadWholeFile(second->show / "Demo Show-2.0.logdata", kMaxBytes),
                 kit::ReadWholeFile(first->show / "Demo Show-2.0.logdata", kMaxBytes));
        QCOMPARE(attacca.count(), 1);
        QCOMPARE(b.GetChangelogManager(), nullptr);
        Settle();
        QVERIFY(!window);

        // And the latest, fetched from the menu.
        b.GetLatestLogClicked_();
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
        QCOMPARE(manager->GetServerModel()->rowCount(), 2);
        if (!index.isEmpty())
            WriteServerIndex(*server, index);
        if (fileGone)
            fs::remove(server->Root() / "shows" / "demo" / "logs" / "Demo Show-2.0.logdata");

        std::vector<std::string> lines;
        kit::SetLogSink([&](kit::LogLevel, std::string_view, std::string_view text) { lines.emplace_back(text); });
        vand::test::StreamCapture out(std::cout);
        controller.ChangelogServerSelected_(1);
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
