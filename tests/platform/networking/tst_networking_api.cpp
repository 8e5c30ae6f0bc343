// The web API client against a private nginx: the show's file list and its
// statuses, the plan of files to fetch, TLS, and the change-log calls.

#include <QTemporaryDir>
#include <QTest>
#include <filesystem>
#include <future>
#include <thread>

#include "NetFixture.h"
#include "ShowServer.h"
#include "StallingServer.h"
#include "vand_networking_http/ChangelogTransfer.h"
#include "vand_networking_http/NetworkApiInterface.h"
#include "vand_networking_http/Sha256.h"

using vand::networking::ChangelogInfo;
using vand::networking::ChangelogInfoList;
using vand::networking::DownloadPlan;
using vand::networking::NetworkApiInterface;
using vand::networking::ServerConfig;
using vand::networking::ShowFile;
using vand::test::ShowServer;
using vand::test::StallingServer;
using Api = vand::networking::NetworkApiInterface;
using namespace std::chrono_literals;
using namespace net_test;

Q_DECLARE_METATYPE(std::string)

namespace {

const vand::ShowIdentity kShow{"t", "T", "Org", "shows/t"};

QByteArray Entry(const QByteArray& path, const QByteArray& kind = "AUDIO", const QByteArray& sha = QByteArray(64, 'a'),
                 const QByteArray& size = "1") {
  return "{\"path\": \"" + path + "\", \"kind\": \"" + kind + "\", \"size\": " + size + ", \"sha256\": \"" + sha +
         "\"}";
}

std::string Sha(const QByteArray& bytes) { return vand::networking::Sha256Hex(bytes.toStdString()); }

// Makes one request of a kind through `server` and says how it ended: "ok",
// or the status and the text a user would read ("-1 ..." for an API status;
// what the transfer threw; the upload's last log line).
QString Request(const QString& kind, const ServerConfig& server, const std::atomic<bool>* cancel,
                const fs::path& folder) {
  NetworkApiInterface api(server);
  api.SetShowIdentity(kShow, 1);
  api.SetCancelFlag(cancel);
  auto ended = [](const auto& result) {
    return result.HasValue()
               ? QStringLiteral("ok")
               : QString::number(result.GetStatus()) + " " + QString::fromStdString(result.GetDisplayMessage());
  };
  if (kind == "file list") return ended(api.GetAllShowFiles());
  if (kind == "log list") return ended(api.GetAvailableLogs());
  if (kind == "latest") return ended(api.GetLatestLog());
  if (kind == "link") return ended(api.GetChangelogLinkByVersion(1, 2));
  if (kind == "change-log file") {
    try {
      vand::networking::VANDDownloader(server, cancel)
          .Download(server.apiBase + "shows/t/logs/T-1.2.logdata", (folder / "T-1.2.logdata").string(), Sha("x"));
      return QStringLiteral("ok");
    } catch (const std::runtime_error& e) {
      return QString::fromUtf8(e.what());
    }
  }
  LogCapture log;
  Write(folder / "T-4.0.logdata", "four");
  if (vand::networking::UploadChangelog(server, "T-4.0.logdata", 4, 0, kShow, folder.string(), cancel)) {
    return QStringLiteral("ok");
  }
  return log.lines.isEmpty() ? QStringLiteral("refused") : log.lines.last();
}

void RequestKinds() {
  QTest::addColumn<QString>("kind");
  for (const char* kind : {"file list", "log list", "latest", "link", "change-log file", "upload"}) {
    QTest::newRow(kind) << kind;
  }
}

}  // namespace

class TestNetworkingApi : public QObject {
  Q_OBJECT

 private:
  QTemporaryDir dir;
  fs::path source;  // the published show
  std::unique_ptr<ShowServer> server;

  NetworkApiInterface Client(const std::string& apiBase) {
    NetworkApiInterface api(ServerConfig{apiBase, {}, {}});
    api.SetShowIdentity(kShow, 1);
    return api;
  }

 private slots:
  void initTestCase() {
    source = fs::path(dir.path().toStdString()) / "source";
    WriteShow(source, SmallShow());
    server = std::make_unique<ShowServer>(
        ShowServer::Options{false,
                            {},
                            true,
                            "location = /shows/s400/files.json { return 400 '{\"message\": \"Bad show id.\"}'; }\n"
                            "location = /shows/s401/files.json { return 401; }\n"
                            "location = /shows/s403/files.json { return 403; }\n"
                            "location = /shows/s500/files.json { return 500; }"});
    QVERIFY2(server->Start(), qPrintable(server->Error()));
    server->Publish(source);
    vand::SetDefaultDataFolder(fs::path(dir.path().toStdString()) / "data");
  }

  void fileListOfAPublishedShow() {
    auto api = Client(server->ApiBase());
    auto result = api.GetAllShowFiles();
    QCOMPARE(result.GetStatus(), Api::API_SUCCESS);
    QVERIFY(result.HasValue());
    QStringList listed;
    for (const auto& file : *result.GetValue()) {
      listed << QString::fromStdString(file.kind + " " + file.path);
      const QByteArray bytes = SmallShow().at(file.path);
      QCOMPARE(file.size, std::uint64_t(bytes.size()));
      QCOMPARE(file.sha256, Sha(bytes));
      if (file.kind == "LOG") QCOMPARE(std::make_pair(file.major, file.minor), std::make_pair(1, 2));
    }
    QCOMPARE(listed, QStringList({"LOG T-1.2.logdata", "AUDIO audio/a.ogg", "AUDIO audio/b.ogg",
                                  "IDENTITY identity.json", "SCORE score.score", "SHOW show.json"}));
  }

  void fileListFailures_data() {
    QTest::addColumn<QString>("show");
    QTest::addColumn<QByteArray>("filesJson");  // written for show "bad" when set
    QTest::addColumn<bool>("stopped");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("message");

    QTest::newRow("400 with a message") << "s400" << QByteArray() << false << Api::API_BAD_REQUEST << "Bad show id.";
    QTest::newRow("401") << "s401" << QByteArray() << false << Api::API_UNAUTHORIZED
                         << "The show server answered with status 401.";
    QTest::newRow("403") << "s403" << QByteArray() << false << Api::API_UNAUTHORIZED
                         << "The show server answered with status 403.";
    QTest::newRow("404") << "nothere" << QByteArray() << false << Api::API_NOT_FOUND
                         << "The show server answered with status 404.";
    QTest::newRow("500") << "s500" << QByteArray() << false << 500 << "The show server answered with status 500.";
    QTest::newRow("server stopped") << "t" << QByteArray() << true << Api::API_NETWORK_ERROR << "";
    QTest::newRow("malformed JSON") << "bad" << QByteArray("[{\"path\": ") << false << Api::API_INVALID_RESPONSE
                                    << "The file list is not valid JSON.";
    QTest::newRow("over 1 MiB") << "bad" << QByteArray("[" + QByteArray(1024 * 1024, ' ') + "]") << false
                                << Api::API_INVALID_RESPONSE << "The show server's answer is larger than 1 MiB.";
    QTest::newRow("not a list") << "bad" << QByteArray("{}") << false << Api::API_INVALID_RESPONSE
                                << "The file list is not a list.";
    QTest::newRow("size missing") << "bad"
                                  << QByteArray("[{\"path\": \"a\", \"kind\": \"ART\", \"sha256\": \"" +
                                                QByteArray(64, 'a') + "\"}]")
                                  << false << Api::API_INVALID_RESPONSE
                                  << "The file list's entry 1 lacks its path, kind, size or SHA-256.";
    QTest::newRow("negative size") << "bad"
                                   << "[" + Entry("a", "ART", QByteArray(64, 'a'), "-1") + "]" << false
                                   << Api::API_INVALID_RESPONSE
                                   << "The file list's entry 1 lacks its path, kind, size or SHA-256.";
    QTest::newRow("unknown kind") << "bad"
                                  << "[" + Entry("a", "EXE") + "]" << false << Api::API_INVALID_RESPONSE
                                  << "The file list gives \"a\" an unknown kind.";
    QTest::newRow("short checksum") << "bad"
                                    << "[" + Entry("a", "ART", "abc") + "]" << false << Api::API_INVALID_RESPONSE
                                    << "The file list gives \"a\" no valid SHA-256.";
    QTest::newRow("twice") << "bad"
                           << "[" + Entry("a/b") + "," + Entry("a/b") + "]" << false << Api::API_INVALID_RESPONSE
                           << "The file list names \"a/b\" twice.";
    QTest::newRow("file and folder") << "bad"
                                     << "[" + Entry("a") + "," + Entry("a/b") + "]" << false
                                     << Api::API_INVALID_RESPONSE
                                     << "The file list names \"a\" both as a file and as a folder.";
    // Paths that leave the show folder: one refuses the whole list.
    const std::pair<const char*, const char*> unsafe[] = {
        {"../x", "a path that leaves its folder: \"../x\""},
        {"/etc/passwd", "an absolute path: \"/etc/passwd\""},
        {"a/../../b", "a path that leaves its folder: \"a/../../b\""},
        {"a/./b", "a path that leaves its folder: \"a/./b\""},
        {"a//b", "a path that leaves its folder: \"a//b\""},
        {"a\\\\b", "a path with a backslash: \"a\\b\""},
        {"", "an empty path"},
        {"a\\u0000b", "a path with a NUL character"},
        {".incoming/x", "a reserved path: \".incoming/x\""},
        {"a\\tb", "a path with a control character"},
        {"a\\udc00b", "a path that is not valid UTF-8"},
    };
    for (const auto& [path, why] : unsafe) {
      QTest::newRow(qPrintable(QStringLiteral("refused ") + path))
          << "bad"
          << "[" + Entry("fine") + "," + Entry(path) + "]" << false << Api::API_INVALID_RESPONSE
          << QStringLiteral("The file list names %1.").arg(QString::fromUtf8(why));
    }
  }

  void fileListFailures() {
    QFETCH(QString, show);
    QFETCH(QByteArray, filesJson);
    QFETCH(bool, stopped);
    QFETCH(int, status);
    QFETCH(QString, message);

    if (!filesJson.isEmpty()) server->WriteFile("shows/bad/files.json", filesJson);
    ShowServer stoppedServer;
    if (stopped) {
      QVERIFY(stoppedServer.Start());
      stoppedServer.Stop();
    }
    auto api = Client(stopped ? stoppedServer.ApiBase() : server->ApiBase());
    api.SetShowIdentity({show.toStdString(), "", "", "shows/x"}, 1);
    auto result = api.GetAllShowFiles();
    QCOMPARE(result.GetStatus(), status);
    QVERIFY(!result.HasValue());
    QCOMPARE(QString::fromStdString(result.GetDisplayMessage()), message);
  }

  void noServerFileMeansNoRequest() {
    // The offline path: without server.json every call is a network failure.
    QTemporaryDir data;
    vand::SetDefaultDataFolder(data.path().toStdString());
    NetworkApiInterface api;
    QCOMPARE(api.GetServer(), ServerConfig{});
    api.SetShowIdentity(kShow, 1);
    auto files = api.GetAllShowFiles();
    QCOMPARE(files.GetStatus(), Api::API_NETWORK_ERROR);
    QVERIFY(files.GetDisplayMessage().empty());
    QCOMPARE(api.GetAvailableLogs().GetStatus(), Api::API_NETWORK_ERROR);

    // A server.json that cannot be used is reported and means no server.
    LogCapture log;
    vand::test::WriteServerJson(data.path().toStdString(), "file:///etc/");
    QCOMPARE(NetworkApiInterface().GetServer(), ServerConfig{});
    QCOMPARE(log.lines.size(), 1);
    QVERIFY(log.lines[0].contains("\"apiBase\" is not an http or https address"));

    vand::test::WriteServerJson(data.path().toStdString(), "http://127.0.0.1:9", "/ca.pem");
    QCOMPARE(NetworkApiInterface().GetServer(), (ServerConfig{"http://127.0.0.1:9/", "/ca.pem", {}}));
    vand::SetDefaultDataFolder(fs::path(dir.path().toStdString()) / "data");
  }

  void serverFileSetsTheDeadlines_data() {
    QTest::addColumn<QByteArray>("members");  // after "apiBase"
    QTest::addColumn<int>("apiMs");           // -1: the file is not used
    QTest::addColumn<int>("fileMs");
    QTest::newRow("shipped") << QByteArray() << 10000 << 30000;
    QTest::newRow("both") << QByteArray(", \"apiDeadlineMs\": 250, \"fileDeadlineMs\": 700") << 250 << 700;
    QTest::newRow("API only") << QByteArray(", \"apiDeadlineMs\": 1") << 1 << 30000;
    QTest::newRow("zero") << QByteArray(", \"apiDeadlineMs\": 0") << -1 << -1;
    QTest::newRow("not a number") << QByteArray(", \"fileDeadlineMs\": \"5\"") << -1 << -1;
  }

  // The deadlines are a setting of the client: server.json may set them.
  void serverFileSetsTheDeadlines() {
    QFETCH(QByteArray, members);
    QFETCH(int, apiMs);
    QFETCH(int, fileMs);
    QTemporaryDir data;
    Write(fs::path(data.path().toStdString()) / "server.json", "{\"apiBase\": \"http://127.0.0.1:9/\"" + members + "}");
    LogCapture log;
    const ServerConfig config = vand::networking::LoadServerConfig(data.path().toStdString());
    if (apiMs < 0) {
      QCOMPARE(config, ServerConfig{});
      QCOMPARE(log.lines.size(), 1);
      return;
    }
    QCOMPARE(config.deadlines.api, std::chrono::milliseconds(apiMs));
    QCOMPARE(config.deadlines.file, std::chrono::milliseconds(fileMs));
    QVERIFY(log.lines.isEmpty());
  }

  void stalledRequestEndsAtItsDeadline_data() {
    QTest::addColumn<QString>("kind");
    QTest::addColumn<bool>("trickle");
    for (const char* kind : {"file list", "log list", "latest", "link", "change-log file", "upload"}) {
      QTest::newRow((std::string(kind) + ", silent").c_str()) << kind << false;
      QTest::newRow((std::string(kind) + ", a byte at a time").c_str()) << kind << true;
    }
  }

  // A server that never answers, or answers too slowly for the stall limit
  // to notice, is given up at the request's deadline with a failure that
  // says so (guards against the wait being bounded by nothing).
  void stalledRequestEndsAtItsDeadline() {
    QFETCH(QString, kind);
    QFETCH(bool, trickle);
    StallingServer::Options options;
    options.mode = trickle ? StallingServer::Mode::Trickle : StallingServer::Mode::Silent;
    StallingServer staller(options);
    QVERIFY(staller.Start());
    ServerConfig config{staller.ApiBase(), {}, {300ms, 600ms}};
    QTemporaryDir folder;

    const QString ended = Request(kind, config, nullptr, folder.path().toStdString());
    const QString why = QStringLiteral("The show server did not finish answering within %1.")
                            .arg(kind == "change-log file" ? "0.6 s" : "0.3 s");
    if (kind == "change-log file") {
      QCOMPARE(ended, why);
    } else if (kind == "upload") {
      QCOMPARE(ended, "Change log upload: " + why);
    } else {
      QCOMPARE(ended, QString::number(Api::API_NETWORK_ERROR) + " " + why);
    }
    QVERIFY(staller.Connections() >= 1);
    // Nothing of the transfer is left behind.
    QVERIFY(!fs::exists(fs::path(folder.path().toStdString()) / "T-1.2.logdata"));
    QVERIFY(!fs::exists(fs::path(folder.path().toStdString()) / "T-1.2.logdata.part"));
  }

  void cancelStopsAStalledRequest_data() { RequestKinds(); }

  // The cancel flag ends a request that the server holds, long before its
  // deadline, as a failure that is no time-out.
  void cancelStopsAStalledRequest() {
    QFETCH(QString, kind);
    StallingServer staller;
    QVERIFY(staller.Start());
    const ServerConfig config{staller.ApiBase(), {}, {}};
    QTemporaryDir folder;
    std::atomic<bool> cancel{false};
    auto request =
        std::async(std::launch::async, [&] { return Request(kind, config, &cancel, folder.path().toStdString()); });
    QTRY_VERIFY(staller.Connections() >= 1);
    cancel = true;
    // Watchdog only: without the flag the request would wait for its deadline.
    QVERIFY(request.wait_for(std::chrono::seconds(5)) == std::future_status::ready);
    const QString ended = request.get();
    if (kind == "change-log file") {
      QCOMPARE(ended, QStringLiteral("Cancelled."));
    } else if (kind == "upload") {
      QCOMPARE(ended, QStringLiteral("Change log upload: Cancelled."));
    } else {
      QCOMPARE(ended, QString::number(Api::API_NETWORK_ERROR) + " ");
    }
    QVERIFY(!fs::exists(fs::path(folder.path().toStdString()) / "T-1.2.logdata.part"));
  }

  void plan_data() {
    QTest::addColumn<QString>("change");
    QTest::addColumn<QStringList>("fetched");
    const QStringList all{"T-1.2.logdata", "audio/a.ogg", "audio/b.ogg", "identity.json", "score.score", "show.json"};
    QTest::newRow("up to date") << "" << QStringList();
    QTest::newRow("empty folder") << "wipe" << all;
    QTest::newRow("missing") << "remove audio/b.ogg" << QStringList{"audio/b.ogg"};
    QTest::newRow("other size") << "grow show.json" << QStringList{"show.json"};
    QTest::newRow("other SHA-256, same size") << "flip score.score" << QStringList{"score.score"};
    QTest::newRow("folder where the file belongs") << "folder score.score" << QStringList{"score.score"};
    QTest::newRow("file where a folder belongs") << "file audio" << QStringList{"audio/a.ogg", "audio/b.ogg"};
    QTest::newRow("symlinked subfolder pointing outside") << "link audio" << QStringList{"audio/a.ogg", "audio/b.ogg"};
    QTest::newRow("symlinked file") << "link show.json" << QStringList{"show.json"};
  }

  void plan() {
    QFETCH(QString, change);
    QFETCH(QStringList, fetched);
    QTemporaryDir local;
    const fs::path show = fs::path(local.path().toStdString()) / "show";
    WriteShow(show, SmallShow());
    const QStringList words = change.split(' ');
    const fs::path target = words.size() > 1 ? show / words[1].toStdString() : show;
    if (words[0] == "wipe") fs::remove_all(show);
    if (words[0] == "remove") fs::remove(target);
    if (words[0] == "grow") Write(target, Read(target) + "x");
    if (words[0] == "flip") {
      QByteArray bytes = Read(target);
      bytes[0] = char(bytes[0] ^ 1);
      Write(target, bytes);
    }
    if (words[0] == "folder") {
      fs::remove(target);
      fs::create_directories(target / "inner");
    }
    if (words[0] == "file") {
      fs::remove_all(target);
      Write(target, "x");
    }
    if (words[0] == "link") {
      // The same contents, reached through a link.
      const fs::path outside = fs::path(local.path().toStdString()) / "outside";
      fs::rename(target, outside);
      fs::create_symlink(outside, target);
    }

    auto api = Client(server->ApiBase());
    auto files = api.GetAllShowFiles();
    QVERIFY(files.HasValue());
    const DownloadPlan plan = api.ValidateDownloadPlan(api.GetDownloadPlan(*files.GetValue()), show.string());
    QStringList paths;
    for (const auto& file : plan.files) paths << QString::fromStdString(file.path);
    QCOMPARE(paths, fetched);
    QCOMPARE(plan.showFolder, show.string());
    QCOMPARE(plan.showIdentifier, std::string("t"));
    QCOMPARE(plan.server.apiBase, server->ApiBase());
  }

  void planTrustsTheRecordOnlyForAnUnchangedFile() {
    QTemporaryDir local;
    const fs::path show = fs::path(local.path().toStdString()) / "show";
    WriteShow(show, SmallShow());
    auto api = Client(server->ApiBase());
    const DownloadPlan listed = api.GetDownloadPlan(*api.GetAllShowFiles().GetValue());
    QVERIFY(api.ValidateDownloadPlan(listed, show.string()).empty());  // checks every file, keeps the record
    QVERIFY(fs::exists(show / ".download-record.json"));

    // Same size and modification time: the record stands for the checksum,
    // so a change that keeps both goes unnoticed (the file is not read).
    const fs::path audio = show / "audio" / "a.ogg";
    const auto stamp = fs::last_write_time(audio);
    QByteArray bytes = Read(audio);
    bytes[10] = char(bytes[10] ^ 1);
    Write(audio, bytes);
    fs::last_write_time(audio, stamp);
    QVERIFY(api.ValidateDownloadPlan(listed, show.string()).empty());

    // Another modification time: read again, and found out of date.
    fs::last_write_time(audio, stamp + std::chrono::seconds(1));
    const DownloadPlan plan = api.ValidateDownloadPlan(listed, show.string());
    QCOMPARE(plan.files.size(), std::size_t(1));
    QCOMPARE(plan.files[0].path, std::string("audio/a.ogg"));
  }

  void tls_data() {
    QTest::addColumn<QString>("host");
    QTest::addColumn<bool>("withCa");
    QTest::addColumn<bool>("accepted");
    QTest::newRow("self-signed without the CA file") << "localhost" << false << false;
    QTest::newRow("self-signed with the CA file") << "localhost" << true << true;
    QTest::newRow("wrong host name") << "127.0.0.1" << true << false;
  }

  void tls() {
    QFETCH(QString, host);
    QFETCH(bool, withCa);
    QFETCH(bool, accepted);
    ShowServer secure(ShowServer::Options{true, {}, false, {}});
    QVERIFY2(secure.Start(), qPrintable(secure.Error()));
    secure.Publish(source);
    NetworkApiInterface api(ServerConfig{secure.ApiBase(host.toStdString()), withCa ? secure.CaFile() : "", {}});
    api.SetShowIdentity(kShow, 1);
    auto result = api.GetAllShowFiles();
    QCOMPARE(result.GetStatus(), accepted ? Api::API_SUCCESS : Api::API_NETWORK_ERROR);
    QCOMPARE(result.HasValue(), accepted);
  }

  void changelogVersions() {
    ShowServer logs;
    QVERIFY(logs.Start());
    logs.WriteFile(
        "shows/t/logs/index.json",
        "[{\"major\": 2, \"minor\": 9, \"modified\": 100, \"file\": \"T-2.9.logdata\", \"sha256\": \"" +
            QByteArray(64, 'b') +
            "\"},"
            " {\"major\": 10, \"minor\": 1, \"modified\": 300, \"file\": \"T-10.1.logdata\", \"sha256\": \"" +
            QByteArray(64, 'C') +
            "\"},"
            " {\"major\": 3, \"minor\": 0, \"modified\": 200, \"file\": \"T-3.0.logdata\", \"sha256\": \"" +
            QByteArray(64, 'd') + "\"}]");
    auto api = Client(logs.ApiBase());
    auto all = api.GetAvailableLogs();
    QCOMPARE(all.GetStatus(), Api::API_SUCCESS);
    QCOMPARE(*all.GetValue(), (ChangelogInfoList{{2, 9, 100}, {10, 1, 300}, {3, 0, 200}}));

    auto latest = api.GetLatestLog();
    QCOMPARE(latest.GetStatus(), Api::API_SUCCESS);
    QCOMPARE(*latest.GetValue(), (ChangelogInfo{10, 1, 300}));

    auto link = api.GetChangelogLinkByVersion(10, 1);
    QCOMPARE(link.GetStatus(), Api::API_SUCCESS);
    QCOMPARE(link.GetValue()->link, logs.ApiBase() + "shows/t/logs/T-10.1.logdata");
    QCOMPARE(link.GetValue()->sha256, std::string(64, 'c'));
    QCOMPARE(link.GetValue()->fileName, std::string("T-10.1.logdata"));
    QCOMPARE(link.GetValue()->modified, 300u);

    auto missing = api.GetChangelogLinkByVersion(1, 0);
    QCOMPARE(missing.GetStatus(), Api::API_NOT_FOUND);
    QVERIFY(!missing.HasValue());

    // A show without an index has no versions yet.
    api.SetShowIdentity({"fresh", "", "", "shows/fresh"}, 0);
    QVERIFY(api.GetAvailableLogs().GetValue()->empty());
    QCOMPARE(api.GetLatestLog().GetStatus(), Api::API_NOT_FOUND);

    // An index entry naming a file elsewhere refuses the index.
    logs.WriteFile("shows/evil/logs/index.json",
                   "[{\"major\": 1, \"minor\": 0, \"modified\": 1, \"file\": \"../files/show.json\", \"sha256\": \"" +
                       QByteArray(64, 'b') + "\"}]");
    api.SetShowIdentity({"evil", "", "", "shows/evil"}, 0);
    QCOMPARE(api.GetChangelogLinkByVersion(1, 0).GetStatus(), Api::API_INVALID_RESPONSE);
  }

  void changelogDownload_data() {
    QTest::addColumn<QString>("checksum");  // "good", "upper" or "bad"
    QTest::addColumn<QString>("link");      // relative to the server, or absolute
    QTest::addColumn<bool>("arrives");
    QTest::newRow("checksum matches") << "good"
                                      << "shows/t/logs/T-1.2.logdata" << true;
    QTest::newRow("upper-case checksum") << "upper"
                                         << "shows/t/logs/T-1.2.logdata" << true;
    QTest::newRow("bad checksum") << "bad"
                                  << "shows/t/logs/T-1.2.logdata" << false;
    QTest::newRow("missing file") << "good"
                                  << "shows/t/logs/none.logdata" << false;
    QTest::newRow("file link") << "good"
                               << "file:///etc/hostname" << false;
  }

  void changelogDownload() {
    QFETCH(QString, checksum);
    QFETCH(QString, link);
    QFETCH(bool, arrives);
    const QByteArray bytes = SmallShow().at("T-1.2.logdata");
    std::string sha = Sha(bytes);
    if (checksum == "upper") sha = QString::fromStdString(sha).toUpper().toStdString();
    if (checksum == "bad") sha = Sha("other");
    const std::string url = link.startsWith("file:") ? link.toStdString() : server->ApiBase() + link.toStdString();

    QTemporaryDir local;
    const fs::path target = fs::path(local.path().toStdString()) / "T-1.2.logdata";
    vand::networking::VANDDownloader downloader;
    if (arrives) {
      downloader.Download(url, target.string(), sha);
      QCOMPARE(Read(target), bytes);
    } else {
      QVERIFY_THROWS_EXCEPTION(std::runtime_error, downloader.Download(url, target.string(), sha));
      QVERIFY(!fs::exists(target));
    }
    QCOMPARE(std::distance(fs::directory_iterator(local.path().toStdString()), fs::directory_iterator()),
             arrives ? 1 : 0);
  }

  void upload() {
    QTemporaryDir data;
    vand::SetDefaultDataFolder(data.path().toStdString());
    ShowServer logs;
    QVERIFY(logs.Start());
    vand::test::WriteServerJson(data.path().toStdString(), logs.ApiBase());
    const fs::path show = fs::path(data.path().toStdString()) / "shows" / "t";
    Write(show / "T-4.0.logdata", "four");
    Write(show / "T-5.0.logdata", "five");
    LogCapture log;

    // A bare name: the file and its index entry arrive.
    QVERIFY2(vand::networking::UploadChangelog("T-4.0.logdata", 4, 0, kShow, show.string(), 1),
             qPrintable(log.lines.join('\n')));
    QCOMPARE(Read(logs.Root() / "shows/t/logs/T-4.0.logdata"), QByteArray("four"));
    NetworkApiInterface api;
    api.SetShowIdentity(kShow, 0);
    auto link = api.GetChangelogLinkByVersion(4, 0);
    QCOMPARE(link.GetStatus(), Api::API_SUCCESS);
    QCOMPARE(link.GetValue()->sha256, Sha("four"));

    // An absolute path inside the show folder, as the engine names it; the
    // index keeps the earlier entry.
    QVERIFY(vand::networking::UploadChangelog((show / "T-5.0.logdata").string(), 5, 0, kShow, show.string(), 1));
    QCOMPARE(api.GetAvailableLogs().GetValue()->size(), std::size_t(2));
    QVERIFY(log.lines.isEmpty());

    // An existing version is kept, under another name too.
    Write(show / "T-4.0.logdata", "changed");
    QVERIFY(!vand::networking::UploadChangelog("T-4.0.logdata", 4, 0, kShow, show.string(), 1));
    Write(show / "Other-4.0.logdata", "changed");
    QVERIFY(!vand::networking::UploadChangelog("Other-4.0.logdata", 4, 0, kShow, show.string(), 1));
    QCOMPARE(Read(logs.Root() / "shows/t/logs/T-4.0.logdata"), QByteArray("four"));
    QVERIFY(!fs::exists(logs.Root() / "shows/t/logs/Other-4.0.logdata"));

    // Files outside the show folder are not sent.
    Write(fs::path(data.path().toStdString()) / "secret.logdata", "secret");
    QVERIFY(
        !vand::networking::UploadChangelog((show / ".." / "secret.logdata").string(), 6, 0, kShow, show.string(), 1));
    QVERIFY(!vand::networking::UploadChangelog("../secret.logdata", 6, 0, kShow, show.string(), 1));
    QVERIFY(!fs::exists(logs.Root() / "shows/t/logs/secret.logdata"));
    QCOMPARE(log.lines.size(), 4);

    // A server that takes no PUT.
    ShowServer readOnly(ShowServer::Options{false, {}, false, {}});
    QVERIFY(readOnly.Start());
    vand::test::WriteServerJson(data.path().toStdString(), readOnly.ApiBase());
    QVERIFY(!vand::networking::UploadChangelog("T-5.0.logdata", 5, 0, kShow, show.string(), 1));
    QVERIFY(!fs::exists(readOnly.Root() / "shows/t/logs/T-5.0.logdata"));
    vand::SetDefaultDataFolder(fs::path(dir.path().toStdString()) / "data");
  }
};

QTEST_GUILESS_MAIN(TestNetworkingApi)
#include "tst_networking_api.moc"
