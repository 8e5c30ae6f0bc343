// The download of a whole show against a private nginx: files arrive byte
// for byte or not at all, progress only moves forward, cancel returns at
// once, and the next run resumes what a broken one left.

#include <QElapsedTimer>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>
#include <atomic>
#include <filesystem>
#include <future>
#include <mutex>
#include <thread>

#include "NetFixture.h"
#include "ShowServer.h"
#include "vand_networking_http/NetworkApiInterface.h"
#include "vand_networking_http/ShowDownload.h"

using vand::networking::DownloadCallbacks;
using vand::networking::DownloadPlan;
using vand::networking::NetworkApiInterface;
using vand::networking::ServerConfig;
using vand::test::ShowServer;
using vand_download::DownloadException;
using vand_download::PerformShowDownload;
using namespace net_test;

namespace {

const vand::ShowIdentity kShow{"t", "T", "Org", "shows/t"};

// What a download reported.
struct Reports {
  std::mutex mutex;
  std::vector<std::tuple<std::string, std::int64_t, std::int64_t>> progress;
  std::vector<std::string> statuses;
  std::int64_t total = -1;
  std::atomic<std::int64_t> received{0};

  std::shared_ptr<DownloadCallbacks> Callbacks() {
    auto callbacks = std::make_shared<DownloadCallbacks>();
    callbacks->status = [this](const std::string& text) {
      std::lock_guard lock(mutex);
      statuses.push_back(text);
    };
    callbacks->progress = [this](const std::string& file, std::int64_t done, std::int64_t size) {
      std::lock_guard lock(mutex);
      progress.emplace_back(file, done, size);
      received = done;
    };
    callbacks->total = [this](std::int64_t value) { total = value; };
    return callbacks;
  }
  // The first report of a file.
  std::int64_t FirstDone(const std::string& file) {
    std::lock_guard lock(mutex);
    for (const auto& [name, done, size] : progress) {
      if (name == file) return done;
    }
    return -1;
  }
};

}  // namespace

class TestShowDownload : public QObject {
  Q_OBJECT

 private:
  // Publishes `files` on `server` and plans them for a fresh show folder.
  DownloadPlan Plan(ShowServer& server, const ShowFiles& files, const fs::path& show) {
    QTemporaryDir source;
    WriteShow(source.path().toStdString(), files);
    server.Publish(source.path().toStdString());
    NetworkApiInterface api(ServerConfig{server.ApiBase(), {}, {}});
    api.SetShowIdentity(kShow, 1);
    auto list = api.GetAllShowFiles();
    if (!list.HasValue()) qFatal("no file list: %s", list.GetDisplayMessage().c_str());
    return api.ValidateDownloadPlan(api.GetDownloadPlan(*list.GetValue()), show.string());
  }

  static void ExpectShow(const fs::path& show, const ShowFiles& files) {
    for (const auto& [path, bytes] : files) {
      if (Read(show / path) != bytes) QFAIL(qPrintable(QString::fromStdString(path) + " differs"));
    }
  }

 private slots:
  void arrivesByteForByte() {
    ShowServer server;
    QVERIFY(server.Start());
    QTemporaryDir local;
    const fs::path show = fs::path(local.path().toStdString()) / "shows" / "t";
    const ShowFiles files = SmallShow(3 * 1024 * 1024);
    DownloadPlan plan = Plan(server, files, show);
    QCOMPARE(plan.files.size(), files.size());

    Reports reports;
    std::atomic<bool> cancel{false};
    const vand::ShowIdentity result = PerformShowDownload(kShow, reports.Callbacks(), &cancel, {}, 1, &plan);
    QCOMPARE(result, kShow);
    ExpectShow(show, files);
    QVERIFY(!fs::exists(show / ".incoming"));
    std::int64_t sum = 0;
    for (const auto& [path, bytes] : files) sum += bytes.size();
    QCOMPARE(reports.total, sum);

    // Per file, progress only moves forward and ends at the file's size.
    std::map<std::string, std::int64_t> last;
    for (const auto& [file, done, size] : reports.progress) {
      QCOMPARE(size, std::int64_t(files.at(file).size()));
      QVERIFY2(done >= last[file], file.c_str());
      QVERIFY(done <= size);
      last[file] = done;
    }
    for (const auto& [path, bytes] : files) QCOMPARE(last[path], std::int64_t(bytes.size()));

    // The next start finds nothing to fetch and reads no file again.
    NetworkApiInterface api(ServerConfig{server.ApiBase(), {}, {}});
    api.SetShowIdentity(kShow, 1);
    QVERIFY(api.ValidateDownloadPlan(api.GetDownloadPlan(*api.GetAllShowFiles().GetValue()), show.string()).empty());
  }

  void failuresLeaveTheShowAlone_data() {
    QTest::addColumn<QString>("fault");
    QTest::addColumn<QString>("message");
    QTest::newRow("bad SHA-256") << "sha"
                                 << "\"audio/a.ogg\" does not match its checksum on the server.";
    QTest::newRow("oversize file") << "oversize"
                                   << "\"audio/a.ogg\" is larger on the server than its file list says.";
    QTest::newRow("missing on the server") << "missing"
                                           << "The show server answered \"audio/a.ogg\" with status 404.";
    QTest::newRow("symlinked subfolder") << "link"
                                         << "\"audio/a.ogg\" cannot be placed in the show folder: a link or "
                                            "a folder stands in its way.";
    QTest::newRow("unsafe path in the plan") << "path"
                                             << "The file list names a path that leaves its folder: \"../x\".";
  }

  void failuresLeaveTheShowAlone() {
    QFETCH(QString, fault);
    QFETCH(QString, message);
    ShowServer server;
    QVERIFY(server.Start());
    QTemporaryDir local;
    const fs::path show = fs::path(local.path().toStdString()) / "shows" / "t";
    WriteShow(show, SmallShow(1000, 7));  // the old show
    const ShowFiles files = SmallShow(200 * 1024, 8);
    DownloadPlan plan = Plan(server, files, show);
    QCOMPARE(plan.files.size(), std::size_t(3));  // both audio files and the score changed

    auto entry = std::find_if(plan.files.begin(), plan.files.end(), [](auto& f) { return f.path == "audio/a.ogg"; });
    if (fault == "sha") entry->sha256 = std::string(64, '0');
    if (fault == "oversize") entry->size -= 1;
    if (fault == "missing") fs::remove(server.Root() / "shows/t/files/audio/a.ogg");
    if (fault == "path") plan.files.back().path = "../x";
    if (fault == "link") {
      const fs::path outside = fs::path(local.path().toStdString()) / "outside";
      fs::rename(show / "audio", outside);
      fs::create_directory_symlink(outside, show / "audio");
    }
    const QByteArray before = TreeHash(show);
    const QByteArray outsideBefore = TreeHash(fs::path(local.path().toStdString()) / "outside");

    LogCapture log;
    std::atomic<bool> cancel{false};
    Reports reports;
    try {
      PerformShowDownload(kShow, reports.Callbacks(), &cancel, {}, 1, &plan);
      QFAIL("no exception");
    } catch (const DownloadException& e) {
      QCOMPARE(QString::fromUtf8(e.what()), message);
    }
    QCOMPARE(TreeHash(show), before);
    QCOMPARE(TreeHash(fs::path(local.path().toStdString()) / "outside"), outsideBefore);
    if (fault == "link" || fault == "path") {
      // Refused before anything was fetched or staged.
      QVERIFY(reports.progress.empty());
      QVERIFY(!fs::exists(show / ".incoming"));
    }
    if (fault == "sha") QCOMPARE(log.lines.size(), 1);  // restarted once, then gave up
  }

  void stagedShowIsCheckedBeforeItIsPutInPlace_data() {
    QTest::addColumn<bool>("refused");
    QTest::newRow("the show reads") << false;
    QTest::newRow("the show does not read") << true;
  }

  // The check sees the show as it will stand (staged files where the plan
  // brings them, the folder's own elsewhere); a refusal fails the download
  // with its reason and leaves the show folder as it was.
  void stagedShowIsCheckedBeforeItIsPutInPlace() {
    QFETCH(bool, refused);
    ShowServer server;
    QVERIFY(server.Start());
    QTemporaryDir local;
    const fs::path show = fs::path(local.path().toStdString()) / "shows" / "t";
    ShowFiles files = SmallShow(1000, 11);
    WriteShow(show, files);
    files["show.json"] = "{\"songs\": [1]}\n";
    DownloadPlan plan = Plan(server, files, show);
    QCOMPARE(plan.files.size(), std::size_t(1));
    const QByteArray before = TreeHash(show);

    QByteArray seenShow, seenIdentity;
    Reports reports;
    auto callbacks = reports.Callbacks();
    callbacks->checkStaged = [&](const vand::networking::StagedShow& staged) {
      QVERIFY(staged.Brings("show.json"));
      QVERIFY(!staged.Brings("identity.json"));
      seenShow = Read(staged.Resolve("show.json"));
      seenIdentity = Read(staged.Resolve("identity.json"));
      // Nothing is in place yet.
      QCOMPARE(Read(show / "show.json"), SmallShow().at("show.json"));
      if (refused) throw std::runtime_error("show.json: song 1 is not an object.");
    };
    std::atomic<bool> cancel{false};
    try {
      QCOMPARE(PerformShowDownload(kShow, callbacks, &cancel, {}, 1, &plan), kShow);
      QVERIFY(!refused);
      QCOMPARE(Read(show / "show.json"), files.at("show.json"));
    } catch (const DownloadException& e) {
      QVERIFY(refused);
      QCOMPARE(QString::fromUtf8(e.what()), QStringLiteral("The downloaded show cannot be used, so the show on this "
                                                           "computer is kept. show.json: song 1 is not an object."));
      QCOMPARE(TreeHash(show), before);
    }
    QCOMPARE(seenShow, files.at("show.json"));
    QCOMPARE(seenIdentity, files.at("identity.json"));
  }

  void cancelReturnsAtOnce_data() {
    QTest::addColumn<bool>("stalled");
    QTest::newRow("slow transfer") << false;
    QTest::newRow("stalled transfer") << true;
  }

  void cancelReturnsAtOnce() {
    QFETCH(bool, stalled);
    ShowServer server(ShowServer::Options{false, "200k", false, {}});
    QVERIFY(server.Start());
    QTemporaryDir local;
    const fs::path show = fs::path(local.path().toStdString()) / "shows" / "t";
    WriteShow(show, SmallShow(1000, 3));
    DownloadPlan plan = Plan(server, SmallShow(8 * 1024 * 1024, 4), show);
    const QByteArray before = TreeHash(show);

    // A server that answers every request with the head of a file and then
    // sends nothing more, the connection left open.
    QTcpServer staller;
    std::vector<std::unique_ptr<QTcpSocket>> held;
    connect(&staller, &QTcpServer::newConnection, this, [&] {
      held.emplace_back(staller.nextPendingConnection());
      held.back()->write("HTTP/1.1 200 OK\r\nContent-Length: 1000000\r\n\r\n0123456789");
    });
    if (stalled) {
      QVERIFY(staller.listen(QHostAddress::LocalHost));
      plan.server.apiBase = "http://127.0.0.1:" + std::to_string(staller.serverPort()) + "/";
    }

    Reports reports;
    std::atomic<bool> cancel{false};
    auto download = std::async(std::launch::async,
                               [&] { return PerformShowDownload(kShow, reports.Callbacks(), &cancel, {}, 1, &plan); });
    // Some bytes have arrived: the transfer is under way.
    QTRY_VERIFY_WITH_TIMEOUT(reports.received > 0, 20000);
    QElapsedTimer elapsed;
    elapsed.start();
    cancel = true;
    // Watchdog only: the transfer itself would take a minute or never end.
    QVERIFY(download.wait_for(std::chrono::seconds(5)) == std::future_status::ready);
    qInfo("cancel returned after %lld ms", elapsed.elapsed());
    QCOMPARE(download.get().identifier, std::string());
    QCOMPARE(TreeHash(show), before);
  }

  void resumesWhereABrokenRunStopped() {
    QTemporaryDir local;
    const fs::path show = fs::path(local.path().toStdString()) / "shows" / "t";
    WriteShow(show, SmallShow(1000, 5));
    const ShowFiles files = SmallShow(4 * 1024 * 1024, 6);
    QByteArray before;

    // nginx stops mid-way.
    DownloadPlan plan;
    std::int64_t stoppedAt = 0;
    {
      ShowServer slow(ShowServer::Options{false, "500k", false, {}});
      QVERIFY(slow.Start());
      plan = Plan(slow, files, show);
      before = TreeHash(show);
      Reports reports;
      std::atomic<bool> cancel{false};
      auto download = std::async(
          std::launch::async, [&] { return PerformShowDownload(kShow, reports.Callbacks(), &cancel, {}, 1, &plan); });
      QTRY_VERIFY_WITH_TIMEOUT(reports.FirstDone("audio/a.ogg") >= 0 && reports.received > 600 * 1024, 20000);
      slow.Stop();
      QVERIFY_THROWS_EXCEPTION(DownloadException, download.get());
      stoppedAt = reports.received;
      QCOMPARE(TreeHash(show), before);
    }

    // The next run asks for the rest of the part (a Range request).
    ShowServer fast;
    QVERIFY(fast.Start());
    plan = Plan(fast, files, show);
    Reports reports;
    std::atomic<bool> cancel{false};
    QCOMPARE(PerformShowDownload(kShow, reports.Callbacks(), &cancel, {}, 1, &plan), kShow);
    QVERIFY2(reports.FirstDone("audio/a.ogg") >= stoppedAt - 512 * 1024,
             qPrintable(QString("resumed at %1, stopped at %2").arg(reports.FirstDone("audio/a.ogg")).arg(stoppedAt)));
    QVERIFY(reports.FirstDone("audio/a.ogg") > 0);
    ExpectShow(show, files);
  }

  void aStaleOrIgnoredPartRestarts_data() {
    QTest::addColumn<QString>("kind");
    QTest::newRow("file changed on the server") << "changed";
    QTest::newRow("server ignores the range") << "no ranges";
  }

  void aStaleOrIgnoredPartRestarts() {
    QFETCH(QString, kind);
    ShowServer server(ShowServer::Options{false, {}, false, kind == "no ranges" ? "max_ranges 0;" : ""});
    QVERIFY(server.Start());
    QTemporaryDir local;
    const fs::path show = fs::path(local.path().toStdString()) / "shows" / "t";
    const ShowFiles files = SmallShow(256 * 1024, 9);
    DownloadPlan plan = Plan(server, files, show);
    // A part left by an earlier run, of another version of the file.
    Write(show / ".incoming" / "audio" / "a.ogg.part", Bytes(100 * 1024, 10));

    LogCapture log;
    Reports reports;
    std::atomic<bool> cancel{false};
    QCOMPARE(PerformShowDownload(kShow, reports.Callbacks(), &cancel, {}, 1, &plan), kShow);
    ExpectShow(show, files);
    // A changed file is found out by its checksum; an ignored range by the 200.
    QCOMPARE(log.lines.size(), kind == "changed" ? 1 : 0);
  }
};

QTEST_GUILESS_MAIN(TestShowDownload)
#include "tst_show_download.moc"
