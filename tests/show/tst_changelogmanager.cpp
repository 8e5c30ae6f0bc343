// The change-log manager: its version lists, the local list read from the
// show folder, the server list and the download of one version from a
// private nginx, the pruning of older duplicates, and its window's wiring.

#include <QQmlEngine>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QWindow>
#include <QtQml/qqmlextensionplugin.h>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <map>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "CL/ChangeLog.h"
#include "QmlWarningGuard.h"
#include "ShowServer.h"
#include "StallingServer.h"
#include "StreamCapture.h"
#include "cmn/ShowIdentity.h"
#include "kit/File.h"
#include "kit/Log.h"
#include "show/ChangelogFiles.h"
#include "show/ChangelogListModel.h"
#include "show/ChangelogManagerController.h"
#include "ui/BackgroundTask.h"
#include "ui/QmlEngineSetup.h"
#include "vand_networking_http/Sha256.h"

Q_IMPORT_QML_PLUGIN(com_tarnwick_musical_uiPlugin)

using vand::qt::ChangelogListModel;
using vand::qt::ChangelogManagerController;
using vand::test::ShowServer;
using vand::test::StallingServer;
namespace fs = std::filesystem;

namespace {

const vand::ShowIdentity kShow{"t", "T", "Org", "shows/t"};

// Larger than any file the tests read.
constexpr std::uintmax_t kMaxBytes = 1u << 20;

// Long enough for any answer of a local server.
constexpr int kWaitMs = 20000;

void WriteFile(const fs::path& file, const std::string& bytes)
{
    fs::create_directories(file.parent_path());
    kit::WriteFileAtomically(file, bytes);
}

CL::ChangeLog Log(unsigned major, unsigned minor, std::uint32_t modified, const std::string& show = "t")
{
    CL::ChangeLog log;
    log.SetVersion(cmn::VANDVersion(static_cast<UInt16>(major), static_cast<UInt16>(minor)));
    log.SetModifiedTime(modified);
    log.SetShowIdentifier(show);
    return log;
}

void SetWritten(const fs::path& file, int seconds)
{
    const auto time = std::chrono::file_clock::from_sys(std::chrono::sys_seconds(std::chrono::seconds(seconds)));
    fs::last_write_time(file, time);
}

// The names of the folder's files.
QStringList Names(const fs::path& folder)
{
    QStringList names;
    for (const auto& entry : fs::directory_iterator(folder))
        names << QString::fromStdString(entry.path().filename().string());
    names.sort();
    return names;
}

QStringList Rows(const ChangelogListModel& model)
{
    QStringList rows;
    for (int row = 0; row < model.rowCount(); ++row)
        rows << model.GetVersionString(row);
    return rows;
}

// A data folder whose current show is kShow, with its identity file.
struct DataFolder
{
    DataFolder()
    {
        data = fs::path(dir.path().toStdString());
        show = data / "shows" / "t";
        WriteFile(show / "identity.json", "{\"identifier\": \"t\"}");
        vand::ShowIdentityService(data).SetCurrent(kShow);
    }
    std::shared_ptr<vand::ShowIdentityService> Identity() const
    {
        return std::make_shared<vand::ShowIdentityService>(data);
    }

    QTemporaryDir dir;
    fs::path data;
    fs::path show;
};

// One entry of a server's change-log index, and the file it names.
struct ServerLog
{
    unsigned major;
    unsigned minor;
    std::string file;
    std::string bytes;
    std::string sha256; // empty: the bytes' own
};

void PublishLogs(ShowServer& server, const std::vector<ServerLog>& logs)
{
    std::string index = "[";
    for (const auto& log : logs) {
        if (index.size() > 1)
            index += ",";
        const std::string sha = log.sha256.empty() ? vand::networking::Sha256Hex(log.bytes) : log.sha256;
        index += "{\"major\":" + std::to_string(log.major) + ",\"minor\":" + std::to_string(log.minor)
                 + ",\"modified\":" + std::to_string(1700000000 + log.major * 10 + log.minor) + ",\"file\":\""
                 + log.file + "\",\"sha256\":\"" + sha + "\"}";
        if (log.file.find('/') == std::string::npos)
            server.WriteFile("shows/t/logs/" + log.file, QByteArray::fromStdString(log.bytes));
    }
    server.WriteFile("shows/t/logs/index.json", QByteArray::fromStdString(index + "]"));
}

// Collects the log's lines while alive.
class LogLines
{
public:
    LogLines()
    {
        kit::SetLogSink(
            [this](kit::LogLevel, std::string_view, std::string_view text) { lines_.push_back(std::string(text)); });
    }
    ~LogLines() { kit::SetLogSink({}); }
    const std::vector<std::string>& lines() const { return lines_; }

private:
    std::vector<std::string> lines_;
};

} // namespace

class TestChangelogManager : public QObject
{
    Q_OBJECT
private:
    QQmlEngine engine;

private slots:
    void initTestCase() { vand::qt::PrepareQmlEngine(engine); }

    void splitString_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("maxSplits");
        QTest::addColumn<QStringList>("parts");
        QTest::newRow("a-b") << "a-b" << -1 << QStringList{"a", "b"};
        QTest::newRow("trailing delimiter") << "a-" << -1 << QStringList{"a", ""};
        QTest::newRow("empty text") << "" << -1 << QStringList{""};
        QTest::newRow("only the delimiter") << "-" << -1 << QStringList{"", ""};
        QTest::newRow("two in a row") << "a--b" << -1 << QStringList{"a", "", "b"};
        QTest::newRow("at most one split") << "a-b-c" << 1 << QStringList{"a", "b-c"};
        QTest::newRow("no split") << "a-b-c" << 0 << QStringList{"a-b-c"};
        QTest::newRow("no delimiter") << "abc" << -1 << QStringList{"abc"};
    }

    void splitString()
    {
        QFETCH(QString, text);
        QFETCH(int, maxSplits);
        QFETCH(QStringList, parts);
        QStringList got;
        for (const auto& part : vand::qt::SplitString(text.toStdString(), '-', maxSplits))
            got << QString::fromStdString(part);
        QCOMPARE(got, parts);
    }

    void plainLogNames_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("plain");
        QTest::newRow("a version") << "Demo Show-1.2.logdata" << true;
        QTest::newRow("no version") << "notes.logdata" << true;
        QTest::newRow("parent folder") << "../x.logdata" << false;
        QTest::newRow("absolute") << "/etc/x.logdata" << false;
        QTest::newRow("sub-folder") << "a/b.logdata" << false;
        QTest::newRow("backslash") << "a\\b.logdata" << false;
        QTest::newRow("drive") << "C:x.logdata" << false;
        QTest::newRow("other extension") << "x.txt" << false;
        QTest::newRow("upper-case extension") << "x.LOGDATA" << false;
        QTest::newRow("extension only") << ".logdata" << false;
        QTest::newRow("hidden") << ".x.logdata" << false;
        QTest::newRow("two dots") << "x..logdata" << false;
        QTest::newRow("line end") << "x\n.logdata" << false;
        QTest::newRow("empty") << "" << false;
    }

    void plainLogNames()
    {
        QFETCH(QString, name);
        QFETCH(bool, plain);
        QCOMPARE(vand::qt::IsPlainLogFileName(name.toStdString()), plain);
    }

    void modifiedText_data()
    {
        QTest::addColumn<qint64>("seconds");
        QTest::addColumn<QString>("text");
        // The test runs with TZ=UTC.
        QTest::newRow("morning") << qint64(1704103200) << "Jan 01 2024 10:00 AM";
        QTest::newRow("afternoon") << qint64(1718466300) << "Jun 15 2024 03:45 PM";
        QTest::newRow("midnight") << qint64(0) << "Jan 01 1970 12:00 AM";
    }

    void modifiedText()
    {
        QFETCH(qint64, seconds);
        QFETCH(QString, text);
        ChangelogListModel model;
        model.AddLog(Log(1, 0, static_cast<std::uint32_t>(seconds)));
        QCOMPARE(model.GetModifiedString(0), text);
        QCOMPARE(model.data(model.index(0), ChangelogListModel::ModifiedRole).toString(), text);
    }

    void rowsAreAddedOnceSortedAndRefreshed()
    {
        ChangelogListModel model;
        QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);
        QSignalSpy inserted(&model, &QAbstractItemModel::rowsInserted);
        // Refreshing an empty model names no rows.
        model.RefreshAll();
        QCOMPARE(changed.count(), 0);

        model.AddLog(Log(11, 1, 100), "/s/Show-11.1.logdata");
        model.AddLog(Log(2, 0, 100), "/s/Show-2.0.logdata");
        model.AddLog(Log(2, 0, 100), "/s/Copy-2.0.logdata"); // equal: not added
        model.AddLog(Log(2, 0, 200), "/s/Later-2.0.logdata");
        model.AddLog(Log(1, 1, 100), "/s/Show-1.1.logdata");
        QCOMPARE(inserted.count(), 4);
        QCOMPARE(Rows(model), (QStringList{"11.1", "2.0", "2.0", "1.1"}));

        model.Sort();
        QCOMPARE(Rows(model), (QStringList{"1.1", "2.0", "2.0", "11.1"}));
        // Each row keeps its file through the sort; equal versions keep their order.
        QCOMPARE(model.GetFile(0), fs::path("/s/Show-1.1.logdata"));
        QCOMPARE(model.GetFile(1), fs::path("/s/Show-2.0.logdata"));
        QCOMPARE(model.GetFile(2), fs::path("/s/Later-2.0.logdata"));
        QCOMPARE(model.GetFile(3), fs::path("/s/Show-11.1.logdata"));
        QCOMPARE(model.data(model.index(3), ChangelogListModel::VersionRole).toString(), QStringLiteral("11.1"));

        model.RefreshAll();
        QCOMPARE(changed.count(), 1);
        QCOMPARE(changed[0][0].toModelIndex().row(), 0);
        QCOMPARE(changed[0][1].toModelIndex().row(), 3);

        // Rows that do not exist read as nothing.
        QCOMPARE(model.GetVersionString(4), QString());
        QCOMPARE(model.GetVersionString(-1), QString());
        QCOMPARE(model.GetModifiedString(9), QString());
        QVERIFY(model.GetFile(4).empty());
        QVERIFY(!model.data(model.index(0), Qt::DisplayRole).isValid());
        QCOMPARE(model.roleNames(), (QHash<int, QByteArray>{{257, "version"}, {258, "modified"}}));

        QSignalSpy removed(&model, &QAbstractItemModel::rowsRemoved);
        model.RemoveRow(7);
        QCOMPARE(removed.count(), 0);
        model.Clear();
        QCOMPARE(model.rowCount(), 0);
        QCOMPARE(removed.count(), 4);
    }

    // Files that cannot be read (broken, another show's, not a file) are left
    // out with one line each; the others are listed by their content's
    // version, each row with its own file.
    void localListSkipsWhatCannotBeRead()
    {
        DataFolder folder;
        Log(2, 0, 100).SaveToFile(folder.show / "Show-2.0.logdata");
        Log(11, 1, 100).SaveToFile(folder.show / "Show-11.1.logdata");
        Log(1, 1, 100).SaveToFile(folder.show / "Show-1.1.logdata");
        Log(7, 0, 100).SaveToFile(folder.show / "Show-5.5.logdata");
        Log(3, 0, 100, "other").SaveToFile(folder.show / "Foreign-3.0.logdata");
        WriteFile(folder.show / "Broken-4.0.logdata", "not a change log");
        fs::create_directories(folder.show / "Folder-6.0.logdata");
        Log(8, 0, 100).SaveToFile(folder.show / "Upper-8.0.LOGDATA");

        // Nothing listens there: the server list stays empty.
        vand::test::WriteServerJson(folder.data, "http://127.0.0.1:9/");
        ChangelogManagerController manager(&engine, folder.Identity(), nullptr);
        LogLines log;
        vand::test::StreamCapture out(std::cout);
        QSignalSpy read(&manager, &ChangelogManagerController::ServerLogsRead);
        manager.Show();
        QVERIFY(!read.isEmpty() || read.wait(kWaitMs));
        QCOMPARE(Rows(*manager.GetLocalModel()), (QStringList{"1.1", "2.0", "7.0", "11.1"}));
        QCOMPARE(manager.GetLocalModel()->GetFile(2), folder.show / "Show-5.5.logdata");
        QCOMPARE(log.lines().size(), std::size_t(3));
        std::set<std::string> named;
        for (const auto& line : log.lines()) {
            for (const char* name : {"Foreign-3.0.logdata", "Broken-4.0.logdata", "Folder-6.0.logdata"}) {
                if (line.find(name) != std::string::npos)
                    named.insert(name);
            }
        }
        QCOMPARE(named.size(), std::size_t(3));
        QCOMPARE(manager.GetServerModel()->rowCount(), 0);
        QCOMPARE(out.text(), std::string("Networking Issue: "));
    }

    void serverList_data()
    {
        QTest::addColumn<QByteArray>("answer"); // nginx "return" for the index; empty: the index
        QTest::addColumn<bool>("stopped");
        QTest::addColumn<QStringList>("rows");
        QTest::addColumn<QString>("out");
        QTest::newRow("sorted") << QByteArray() << false << QStringList{"1.0", "2.1", "3.0", "10.0"} << "";
        QTest::newRow("bad request") << QByteArray("400") << false << QStringList()
                                     << "Networking Issue: API_BAD_REQUEST\n";
        QTest::newRow("unauthorized") << QByteArray("401") << false << QStringList()
                                      << "Networking Issue: API_UNAUTHORIZED\n";
        QTest::newRow("forbidden") << QByteArray("403") << false << QStringList()
                                   << "Networking Issue: API_UNAUTHORIZED\n";
        QTest::newRow("server error") << QByteArray("500") << false << QStringList() << "Networking Issue: ";
        QTest::newRow("server stopped") << QByteArray() << true << QStringList() << "Networking Issue: ";
    }

    void serverList()
    {
        QFETCH(QByteArray, answer);
        QFETCH(bool, stopped);
        QFETCH(QStringList, rows);
        QFETCH(QString, out);
        ShowServer::Options options;
        if (!answer.isEmpty())
            options.extra = "location = /shows/t/logs/index.json { return " + answer + "; }";
        ShowServer server(options);
        QVERIFY2(server.Start(), qPrintable(server.Error()));
        PublishLogs(server, {{3, 0, "T-3.0.logdata", "c", {}},
                             {1, 0, "T-1.0.logdata", "a", {}},
                             {10, 0, "T-10.0.logdata", "e", {}},
                             {2, 1, "T-2.1.logdata", "b", {}}});
        DataFolder folder;
        vand::test::WriteServerJson(folder.data, server.ApiBase());
        if (stopped)
            server.Stop();

        ChangelogManagerController manager(&engine, folder.Identity(), nullptr);
        vand::test::StreamCapture capture(std::cout);
        QSignalSpy read(&manager, &ChangelogManagerController::ServerLogsRead);
        manager.Show();
        QVERIFY(!read.isEmpty() || read.wait(kWaitMs));
        QCOMPARE(Rows(*manager.GetServerModel()), rows);
        QCOMPARE(QString::fromStdString(capture.text()), out);
        if (!rows.isEmpty())
            QCOMPARE(manager.GetServerModel()->GetModifiedString(0),
                     QDateTime::fromSecsSinceEpoch(1700000010, Qt::UTC).toString("MMM dd yyyy hh:mm AP"));
    }

    void downloadServerLog_data()
    {
        QTest::addColumn<QString>("version");
        QTest::addColumn<QString>("file"); // what the index names
        QTest::addColumn<bool>("badSum");
        QTest::addColumn<bool>("stopped");
        QTest::addColumn<QString>("result"); // the file name; "error: " and the error
        QTest::newRow("listed version") << "2.1"
                                        << "T-2.1.logdata" << false << false << "T-2.1.logdata";
        QTest::newRow("unknown version") << "4.0"
                                         << "T-2.1.logdata" << false << false << "";
        // 256.0 narrowed to 8 bits would be 0.0, which the server has.
        QTest::newRow("beyond 8 bits") << "256.0"
                                       << "T-2.1.logdata" << false << false << "";
        QTest::newRow("server stopped") << "2.1"
                                        << "T-2.1.logdata" << false << true << "";
        QTest::newRow("not a change-log name")
            << "2.1"
            << "x.txt" << false << false
            << "error: The show server named the change log of version 2.1 \"x.txt\", which is not a change-log "
               "file name.";
        QTest::newRow("hidden name") << "2.1"
                                     << ".T-2.1.logdata" << false << false
                                     << "error: The show server named the change log of version 2.1 "
                                        "\".T-2.1.logdata\", which is not a change-log file name.";
        QTest::newRow("bad checksum") << "2.1"
                                      << "T-2.1.logdata" << true << false
                                      << "error: The downloaded change log does not match its checksum.";
    }

    // The download runs on the worker and its outcome comes back; only a file
    // that arrived whole is written (a local file of its name with other
    // content is kept aside: placeFetchedChangelog).
    void downloadServerLog()
    {
        QFETCH(QString, version);
        QFETCH(QString, file);
        QFETCH(bool, badSum);
        QFETCH(bool, stopped);
        QFETCH(QString, result);
        ShowServer server;
        QVERIFY2(server.Start(), qPrintable(server.Error()));
        const std::string bytes = Log(2, 1, 500).ToJson();
        PublishLogs(server, {{0, 0, "T-0.0.logdata", "zero", {}},
                             {2, 1, file.toStdString(), bytes, badSum ? std::string(64, 'a') : std::string()}});
        DataFolder folder;
        vand::test::WriteServerJson(folder.data, server.ApiBase());
        vand::SetDefaultDataFolder(folder.data);
        QStringList names = Names(folder.show);
        if (stopped)
            server.Stop();

        ChangelogManagerController manager(&engine, folder.Identity(), nullptr);
        vand::test::StreamCapture capture(std::cout);
        std::optional<vand::qt::ServerLogDownload> outcome;
        QVERIFY(manager.DownloadServerLog(version.toStdString(),
                                          [&](vand::qt::ServerLogDownload got) { outcome = std::move(got); }));
        QTRY_VERIFY_WITH_TIMEOUT(outcome.has_value(), kWaitMs);
        QVERIFY(!manager.IsBusy());
        const QString got = outcome->error.empty() ? QString::fromStdString(outcome->placed.fileName)
                                                   : "error: " + QString::fromStdString(outcome->error);
        QCOMPARE(got, result);
        QVERIFY(outcome->placed.keptAs.empty());
        if (result.isEmpty())
            QCOMPARE(capture.text(), std::string("Link was not successfully received.\n"));
        if (result == QLatin1String("T-2.1.logdata")) {
            QCOMPARE(capture.text(), server.ApiBase() + "shows/t/logs/T-2.1.logdata\n");
            QCOMPARE(kit::ReadWholeFile(folder.show / "T-2.1.logdata", kMaxBytes), bytes);
            names << "T-2.1.logdata";
            names.sort();
        }
        QCOMPARE(Names(folder.show), names);
    }

    void downloadServerLogRefusesWhatIsNoVersion()
    {
        DataFolder folder;
        ChangelogManagerController manager(&engine, folder.Identity(), nullptr);
        QVERIFY_THROWS_EXCEPTION(std::invalid_argument, manager.DownloadServerLog("latest", {}));
    }

    void placeFetchedChangelog_data()
    {
        QTest::addColumn<QString>("version");   // the fetched one
        QTest::addColumn<QStringList>("local"); // name=mine|server|junk
        QTest::addColumn<QString>("keptAs");    // "error" when refused
        QTest::newRow("no local file") << "2.0" << QStringList() << "";
        QTest::newRow("the same bytes") << "2.0" << QStringList{"T-2.0.logdata=server"} << "";
        QTest::newRow("other edits") << "2.0" << QStringList{"T-2.0.logdata=mine"} << "T-2.1.logdata";
        QTest::newRow("the next minor is taken")
            << "2.0" << QStringList{"T-2.0.logdata=mine", "T-2.1.logdata=junk"} << "T-2.2.logdata";
        QTest::newRow("the next minor is taken under another name")
            << "2.0" << QStringList{"T-2.0.logdata=mine", "Copy-2.1.logdata=junk"} << "T-2.2.logdata";
        QTest::newRow("not a change log") << "2.0" << QStringList{"T-2.0.logdata=junk"} << "T-2.1.logdata";
        QTest::newRow("no minor left") << "2.255" << QStringList{"T-2.255.logdata=mine"} << "error";
    }

    // A fetched version never overwrites other local content: the local file
    // is kept under the next free minor version (its own version set to
    // match) before the fetched one takes its name, or nothing changes.
    void placeFetchedChangelog()
    {
        QFETCH(QString, version);
        QFETCH(QStringList, local);
        QFETCH(QString, keptAs);
        DataFolder folder;
        const QStringList parts = version.split('.');
        vand::networking::ChangelogFullInfo info;
        info.major = static_cast<std::uint8_t>(parts[0].toUInt());
        info.minor = static_cast<std::uint8_t>(parts[1].toUInt());
        info.fileName = "T-" + version.toStdString() + ".logdata";
        const std::string server = Log(info.major, info.minor, 900).ToJson();
        const std::string mine = Log(info.major, info.minor, 100).ToJson();
        std::map<QString, std::string> before;
        for (const QString& entry : local) {
            const QStringList nameAndWhat = entry.split('=');
            const QString what = nameAndWhat[1];
            const std::string bytes = what == "server" ? server : what == "mine" ? mine : std::string("junk");
            WriteFile(folder.show / nameAndWhat[0].toStdString(), bytes);
            before[nameAndWhat[0]] = bytes;
        }
        const fs::path staged = folder.show / (info.fileName + ".incoming");
        WriteFile(staged, server);

        if (keptAs == QLatin1String("error")) {
            QVERIFY_THROWS_EXCEPTION(std::runtime_error, vand::qt::PlaceFetchedChangelog(
                                                             staged, info, folder.show, folder.show / "identity.json"));
            for (const auto& [name, bytes] : before)
                QCOMPARE(kit::ReadWholeFile(folder.show / name.toStdString(), kMaxBytes), bytes);
            QVERIFY(!fs::exists(staged));
            return;
        }
        const vand::qt::PlacedChangelog placed =
            vand::qt::PlaceFetchedChangelog(staged, info, folder.show, folder.show / "identity.json");
        QCOMPARE(placed.fileName, info.fileName);
        QCOMPARE(QString::fromStdString(placed.keptAs), keptAs);
        QCOMPARE(kit::ReadWholeFile(folder.show / info.fileName, kMaxBytes), server);
        QVERIFY(!fs::exists(staged));
        // The others are untouched.
        for (const auto& [name, bytes] : before) {
            if (name.toStdString() != info.fileName)
                QCOMPARE(kit::ReadWholeFile(folder.show / name.toStdString(), kMaxBytes), bytes);
        }
        if (keptAs.isEmpty())
            return;
        const fs::path kept = folder.show / keptAs.toStdString();
        const std::string original = before.at(QString::fromStdString(info.fileName));
        if (original == "junk") {
            QCOMPARE(kit::ReadWholeFile(kept, kMaxBytes), original);
            return;
        }
        // The same edits, now as the version its name says.
        const CL::ChangeLog log(kept, folder.show / "identity.json");
        QCOMPARE(QString::fromStdString(log.GetVersion().GetAsString()),
                 keptAs.mid(2, keptAs.size() - 2 - int(std::strlen(".logdata"))));
        QCOMPARE(log.GetModifiedTime(), 100u);
        QCOMPARE(QString::fromStdString(placed.keptVersion) + ".logdata", keptAs.mid(2));
    }

    void prune_data()
    {
        QTest::addColumn<QString>("subfolder");
        QTest::addColumn<QStringList>("files"); // name@seconds
        QTest::addColumn<QStringList>("kept");
        QTest::newRow("the later of one version, met first")
            << "show" << QStringList{"Show-1.2.logdata@100", "Copy-1.2.logdata@200"} << QStringList{"Copy-1.2.logdata"};
        QTest::newRow("the later of one version, met last")
            << "show" << QStringList{"Show-1.2.logdata@200", "Copy-1.2.logdata@100"} << QStringList{"Show-1.2.logdata"};
        QTest::newRow("other versions stay")
            << "show" << QStringList{"Show-1.2.logdata@100", "Show-1.3.logdata@200", "Show-11.2.logdata@50"}
            << QStringList{"Show-1.2.logdata", "Show-1.3.logdata", "Show-11.2.logdata"};
        QTest::newRow("no dash is never pruned") << "show" << QStringList{"notes.logdata@100", "other.logdata@200"}
                                                 << QStringList{"notes.logdata", "other.logdata"};
        QTest::newRow("upper-case extension is never pruned")
            << "show" << QStringList{"Show-1.2.LOGDATA@100", "Copy-1.2.logdata@200"}
            << QStringList{"Copy-1.2.logdata", "Show-1.2.LOGDATA"};
        QTest::newRow("other files are never pruned")
            << "show" << QStringList{"Show-1.2.txt@100", "Copy-1.2.logdata@200"}
            << QStringList{"Copy-1.2.logdata", "Show-1.2.txt"};
        QTest::newRow("dash in the folder's path")
            << "my-show" << QStringList{"notes.logdata@100", "Show-1.2.logdata@100", "Copy-1.2.logdata@200"}
            << QStringList{"Copy-1.2.logdata", "notes.logdata"};
    }

    void prune()
    {
        QFETCH(QString, subfolder);
        QFETCH(QStringList, files);
        QFETCH(QStringList, kept);
        // A folder whose own path holds no "-" unless the row asks for one.
        QTemporaryDir dir(QDir::tempPath() + QStringLiteral("/clmXXXXXX"));
        QVERIFY(!dir.path().contains('-'));
        const fs::path data = fs::path(dir.path().toStdString());
        const fs::path show = data / subfolder.toStdString();
        WriteFile(show / "identity.json", "{}");
        vand::ShowIdentityService(data).SetCurrent({"t", "T", "Org", subfolder.toStdString()});
        for (const QString& entry : files) {
            const QStringList parts = entry.split('@');
            WriteFile(show / parts[0].toStdString(), "x");
            SetWritten(show / parts[0].toStdString(), parts[1].toInt());
        }
        ChangelogManagerController manager(&engine, std::make_shared<vand::ShowIdentityService>(data), nullptr);
        manager.PruneLocalLogs();
        kept << "identity.json";
        kept.sort();
        QCOMPARE(Names(show), kept);
    }

    // Two files of one version written in the same second: one of them stays,
    // whichever the folder lists first.
    void pruneKeepsOneOfTheSameSecond()
    {
        QTemporaryDir dir(QDir::tempPath() + QStringLiteral("/clmXXXXXX"));
        const fs::path data = fs::path(dir.path().toStdString());
        const fs::path show = data / "show";
        vand::ShowIdentityService(data).SetCurrent({"t", "T", "Org", "show"});
        for (const char* name : {"Show-1.2.logdata", "Copy-1.2.logdata", "Show-1.3.logdata"}) {
            WriteFile(show / name, "x");
            SetWritten(show / name, 100);
        }
        ChangelogManagerController manager(&engine, std::make_shared<vand::ShowIdentityService>(data), nullptr);
        manager.PruneLocalLogs();
        const QStringList names = Names(show);
        QVERIFY2(names == (QStringList{"Copy-1.2.logdata", "Show-1.3.logdata"})
                     || names == (QStringList{"Show-1.2.logdata", "Show-1.3.logdata"}),
                 qPrintable(names.join(' ')));
    }

    void pruneKeepsTheChosenFile_data()
    {
        QTest::addColumn<QStringList>("files"); // name@seconds
        QTest::addColumn<QString>("keep");
        QTest::addColumn<QStringList>("kept");
        QTest::newRow("the chosen one is older") << QStringList{"Show-2.0.logdata@100", "Copy-2.0.logdata@200"}
                                                 << "Show-2.0.logdata" << QStringList{"Show-2.0.logdata"};
        QTest::newRow("the chosen one is newer") << QStringList{"Show-2.0.logdata@300", "Copy-2.0.logdata@200"}
                                                 << "Show-2.0.logdata" << QStringList{"Show-2.0.logdata"};
        QTest::newRow("the same second") << QStringList{"Show-2.0.logdata@100", "Copy-2.0.logdata@100",
                                                        "Other-2.0.logdata@100"}
                                         << "Copy-2.0.logdata" << QStringList{"Copy-2.0.logdata"};
        QTest::newRow("other versions as before")
            << QStringList{"Show-2.0.logdata@100", "Show-1.0.logdata@100", "Copy-1.0.logdata@200"} << "Show-2.0.logdata"
            << QStringList{"Copy-1.0.logdata", "Show-2.0.logdata"};
    }

    // The file just loaded survives pruning whatever else shares its version
    // (guards against deleting the active change log).
    void pruneKeepsTheChosenFile()
    {
        QFETCH(QStringList, files);
        QFETCH(QString, keep);
        QFETCH(QStringList, kept);
        QTemporaryDir dir(QDir::tempPath() + QStringLiteral("/clmXXXXXX"));
        const fs::path data = fs::path(dir.path().toStdString());
        const fs::path show = data / "show";
        vand::ShowIdentityService(data).SetCurrent({"t", "T", "Org", "show"});
        for (const QString& entry : files) {
            const QStringList parts = entry.split('@');
            WriteFile(show / parts[0].toStdString(), "x");
            SetWritten(show / parts[0].toStdString(), parts[1].toInt());
        }
        ChangelogManagerController manager(&engine, std::make_shared<vand::ShowIdentityService>(data), nullptr);
        manager.PruneLocalLogs(show / keep.toStdString());
        QCOMPARE(Names(show), kept);
    }

    void serverRequestEndsAtItsDeadline_data()
    {
        QTest::addColumn<QString>("request");
        QTest::addColumn<QString>("out");
        QTest::newRow("the version list") << "list"
                                          << "Networking Issue: ";
        QTest::newRow("a version") << "version"
                                   << "Link was not successfully received.\n";
    }

    // A server that never answers: the request gives up at its deadline and
    // ends as a failed one, with the window's message for it.
    void serverRequestEndsAtItsDeadline()
    {
        QFETCH(QString, request);
        QFETCH(QString, out);
        StallingServer staller;
        QVERIFY(staller.Start());
        DataFolder folder;
        WriteFile(folder.data / "server.json",
                  "{\"apiBase\": \"" + staller.ApiBase() + "\", \"apiDeadlineMs\": 300, \"fileDeadlineMs\": 300}");
        ChangelogManagerController manager(&engine, folder.Identity(), nullptr);
        vand::test::StreamCapture capture(std::cout);
        QSignalSpy finished(manager.GetServerTask(), &vand::qt::BackgroundTask::Finished);
        bool done = false;
        if (request == QLatin1String("list")) {
            manager.Show();
        } else {
            QVERIFY(manager.DownloadServerLog("2.1", [&](vand::qt::ServerLogDownload outcome) {
                done = outcome.placed.fileName.empty() && outcome.error.empty();
            }));
        }
        QVERIFY(manager.IsBusy());
        QVERIFY(finished.wait(kWaitMs));
        QCOMPARE(QString::fromStdString(capture.text()), out);
        QCOMPARE(manager.GetServerModel()->rowCount(), 0);
        QCOMPARE(done, request == QLatin1String("version"));
        QVERIFY(staller.Connections() >= 1);
    }

    // Cancel in the wait window ends the wait at once; the answer that comes
    // later is dropped and nothing is written.
    void cancelDropsTheAnswer()
    {
        vand::test::QmlWarningGuard guard;
        StallingServer staller;
        QVERIFY(staller.Start());
        DataFolder folder;
        vand::test::WriteServerJson(folder.data, staller.ApiBase());
        ChangelogManagerController manager(&engine, folder.Identity(), nullptr);
        // The wait window shows over the manager's window once that shows.
        manager.SetVisible(true);
        const QStringList names = Names(folder.show);
        bool done = false;
        QVERIFY(manager.DownloadServerLog("2.1", [&](vand::qt::ServerLogDownload) { done = true; }));
        QObject* wait = manager.GetServerTask()->GetQmlObject();
        QVERIFY(wait && wait->property("visible").toBool());
        QTRY_VERIFY(staller.Connections() >= 1);
        QSignalSpy discarded(manager.GetServerTask(), &vand::qt::BackgroundTask::Discarded);
        QVERIFY(QMetaObject::invokeMethod(wait->findChild<QObject*>(QStringLiteral("cancelButton")), "clicked"));
        QVERIFY(!manager.IsBusy());
        QVERIFY(!wait->property("visible").toBool());
        // The transfer stops long before its deadline, and its answer goes.
        QVERIFY(discarded.wait(kWaitMs));
        QVERIFY(!done);
        QCOMPARE(Names(folder.show), names);
        QCOMPARE(guard.warnings(), QStringList());
    }

    void windowIsWiredAndClosedByTheDestructor()
    {
        vand::test::QmlWarningGuard guard;
        DataFolder folder;
        Log(1, 1, 100).SaveToFile(folder.show / "T-1.1.logdata");
        Log(1, 2, 100).SaveToFile(folder.show / "T-1.2.logdata");
        auto manager = std::make_unique<ChangelogManagerController>(&engine, folder.Identity(), nullptr);
        auto* window = qobject_cast<QWindow*>(manager->GetQmlObject());
        QVERIFY(window);
        QCOMPARE(window->title(), QStringLiteral("Event Log Manager"));
        QVERIFY(!window->isVisible());
        QCOMPARE(window->property("localModel").value<QObject*>(), manager->GetLocalModel());
        QCOMPARE(window->property("serverModel").value<QObject*>(), manager->GetServerModel());
        {
            vand::test::StreamCapture out(std::cout); // no server: "Networking Issue: "
            QSignalSpy read(manager.get(), &ChangelogManagerController::ServerLogsRead);
            manager->Show();
            QVERIFY(!read.isEmpty() || read.wait(kWaitMs));
        }
        QCOMPARE(Rows(*manager->GetLocalModel()), (QStringList{"1.1", "1.2"}));
        QVERIFY(window->isVisible());

        QSignalSpy local(manager.get(), &ChangelogManagerController::ChangelogLocalSelected);
        QSignalSpy server(manager.get(), &ChangelogManagerController::ChangelogServerSelected);
        QSignalSpy closing(manager.get(), &ChangelogManagerController::Closing);
        {
            vand::test::StreamCapture out(std::cout);
            QVERIFY(QMetaObject::invokeMethod(window, "loadSelectedLocal", Q_ARG(int, 1)));
            QVERIFY(QMetaObject::invokeMethod(window, "loadSelectedServer", Q_ARG(int, 0)));
            QCOMPARE(out.text(), std::string("LoadSelectedLocal_(), index = 1\nLoadSelectedServer_(), index = 0\n"));
        }
        QCOMPARE(local.count(), 1);
        QCOMPARE(local[0][0].toInt(), 1);
        QCOMPARE(server.count(), 1);
        QCOMPARE(server[0][0].toInt(), 0);

        window->close();
        QCOMPARE(closing.count(), 1);
        window->show();
        QPointer<QWindow> watched(window);
        manager.reset();
        // Closed at once, without a closing of its own; deleted later.
        QVERIFY(!watched || !watched->isVisible());
        QCOMPARE(closing.count(), 1);
        QTRY_VERIFY(!watched);
        QCOMPARE(guard.warnings(), QStringList());
    }
};

QTEST_MAIN(TestChangelogManager)
#include "tst_changelogmanager.moc"
