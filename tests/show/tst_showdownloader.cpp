// The show downloader's controller: the progress throttle on a clock stepped
// by hand, its window's wiring, and the worker against a private nginx:
// completion, failure, an empty result, and deletion while the worker runs
// or waits for its error to be shown.

#include <QElapsedTimer>
#include <QQmlEngine>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QWindow>
#include <QtQml/qqmlextensionplugin.h>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <memory>
#include <thread>

#include "QmlWarningGuard.h"
#include "ShowServer.h"
#include "show/ShowDownloaderController.h"
#include "ui/QmlEngineSetup.h"
#include "vand_networking_http/NetworkApiInterface.h"
#include "vand_networking_http/Sha256.h"

Q_IMPORT_QML_PLUGIN(com_tarnwick_musical_uiPlugin)

using vand::networking::DownloadPlan;
using vand::networking::NetworkApiInterface;
using vand::networking::ServerConfig;
using vand::qt::ShowDownloaderController;
using vand::test::ShowServer;
namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

const vand::ShowIdentity kShow{"t", "T", "Org", "shows/t"};

void WriteFile(const fs::path& file, const std::string& bytes)
{
    fs::create_directories(file.parent_path());
    std::ofstream(file, std::ios::binary) << bytes;
}

// A show of identity.json and one audio file of `size` bytes.
void WriteShow(const fs::path& folder, std::size_t size)
{
    WriteFile(folder / "identity.json", "{\"identifier\": \"t\"}");
    WriteFile(folder / "audio" / "a.ogg", std::string(size, 'x'));
}

QString Pairs(const QSignalSpy& spy)
{
    QStringList out;
    for (const auto& args : spy)
        out << QStringLiteral("%1/%2").arg(args[0].toDouble(), 0, 'f', 0).arg(args[1].toDouble(), 0, 'f', 0);
    return out.join(' ');
}

} // namespace

class TestShowDownloader : public QObject
{
    Q_OBJECT
private:
    QQmlEngine engine;
    QTemporaryDir dir;

    // A plan for the show published on server, into a fresh folder.
    std::unique_ptr<DownloadPlan> Plan(ShowServer& server, std::size_t size, const std::string& folderName)
    {
        const fs::path source = fs::path(dir.path().toStdString()) / (folderName + "-source");
        WriteShow(source, size);
        server.Publish(source);
        NetworkApiInterface api(ServerConfig{server.ApiBase(), {}, {}});
        api.SetShowIdentity(kShow, 1);
        auto files = api.GetAllShowFiles();
        if (!files.HasValue())
            return nullptr;
        const fs::path target = fs::path(dir.path().toStdString()) / folderName;
        return std::make_unique<DownloadPlan>(
            api.ValidateDownloadPlan(api.GetDownloadPlan(*files.GetValue()), target.string()));
    }

private slots:
    void initTestCase() { vand::qt::PrepareQmlEngine(engine); }

    // Steps: "total N" sets the overall total; "T file done/size" reports at
    // T ms after construction. Expected: the forwarded pairs of both signals.
    void throttle_data()
    {
        QTest::addColumn<QStringList>("steps");
        QTest::addColumn<QString>("progress");
        QTest::addColumn<QString>("overall");

        QTest::newRow("a total of 0 is dropped") << QStringList{"total 100", "200 a 5/0"} << ""
                                                 << "";
        QTest::newRow("not within 100 ms of construction")
            << QStringList{"total 100", "99 a 5/50", "100 a 6/50"} << "6/50"
            << "6/100";
        QTest::newRow("a dropped report is counted in the next")
            << QStringList{"total 100", "100 a 10/50", "150 a 20/50", "250 a 30/50"} << "10/50 30/50"
            << "10/100 30/100";
        QTest::newRow("bytes of a file whose last report was dropped still count")
            << QStringList{"total 100", "100 a 10/50", "150 a 50/50", "250 b 10/50"} << "10/50 10/50"
            << "10/100 60/100";
        QTest::newRow("before the total, throttled too")
            << QStringList{"100 a 10/50", "150 a 20/50", "200 a 30/50", "total 100", "300 a 40/50"}
            << "10/50 30/50 40/50"
            << "40/100";
        QTest::newRow("5 GiB at half-way")
            << QStringList{"total 5368709120", "100 a 1073741824/2147483648", "200 b 1610612736/3221225472"}
            << "1073741824/2147483648 1610612736/3221225472"
            << "1073741824/5368709120 2684354560/5368709120";
    }

    void throttle()
    {
        QFETCH(QStringList, steps);
        QFETCH(QString, progress);
        QFETCH(QString, overall);

        Clock::time_point now{};
        ShowDownloaderController controller(&engine, nullptr, 1, [&] { return now; });
        QSignalSpy fileSpy(&controller, &ShowDownloaderController::progressChanged);
        QSignalSpy overallSpy(&controller, &ShowDownloaderController::totalProgressChanged);
        for (const QString& step : steps) {
            const QStringList words = step.split(' ');
            if (words[0] == QLatin1String("total")) {
                controller.SetOverallTotal(words[1].toLongLong());
                continue;
            }
            now = Clock::time_point{} + std::chrono::milliseconds(words[0].toInt());
            const QStringList counts = words[2].split('/');
            controller.ReportProgress(words[1].toStdString(), counts[0].toLongLong(), counts[1].toLongLong());
        }
        QCOMPARE(Pairs(fileSpy), progress);
        QCOMPARE(Pairs(overallSpy), overall);
    }

    void viewFollowsTheController()
    {
        vand::test::QmlWarningGuard guard;
        Clock::time_point now{};
        ShowDownloaderController controller(&engine, nullptr, 1, [&] { return now; });
        QObject* view = controller.GetQmlObject();
        QVERIFY(view);
        QCOMPARE(view->property("title").toString(), QStringLiteral("Downloading Show"));
        QCOMPARE(view->property("downloadStatus").toString(), QStringLiteral("Starting up..."));
        QTRY_VERIFY(view->property("visible").toBool());

        controller.SetStatus("Downloading 1 of 2: show.json");
        QCOMPARE(view->property("downloadStatus").toString(), QStringLiteral("Downloading 1 of 2: show.json"));
        QCOMPARE(controller.GetStatus(), std::string("Downloading 1 of 2: show.json"));

        controller.SetOverallTotal(3 * 1048576);
        now += std::chrono::milliseconds(100);
        controller.ReportProgress("a", 1048576, 2 * 1048576);
        QCOMPARE(view->findChild<QObject*>("progressLabel")->property("text").toString(), QStringLiteral("1/3 MB"));

        // Cancel after the worker has ended (none ran): hides, sets the flag, emits.
        QSignalSpy cancelled(&controller, &ShowDownloaderController::Cancelled);
        QSignalSpy finished(&controller, &ShowDownloaderController::DownloadFinishedSignal);
        QMetaObject::invokeMethod(view->findChild<QObject*>("cancelButton"), "clicked");
        QCOMPARE(cancelled.size(), 1);
        QVERIFY(controller.IsCancelRequested());
        QTRY_VERIFY(!view->property("visible").toBool());
        QCOMPARE(finished.size(), 0);

        // The window's close is relayed.
        QSignalSpy closing(&controller, &ShowDownloaderController::Closing);
        qobject_cast<QWindow*>(view)->close();
        QCOMPARE(closing.size(), 1);
        QCOMPARE(guard.warnings(), QStringList());
    }

    void downloadCompletes()
    {
        ShowServer server;
        QVERIFY(server.Start());
        auto plan = Plan(server, 2 * 1024 * 1024, "complete");
        QVERIFY(plan && plan->files.size() == 2);
        const fs::path target = plan->showFolder;

        ShowDownloaderController controller(&engine, nullptr, 1);
        QSignalSpy finished(&controller, &ShowDownloaderController::DownloadFinishedSignal);
        QSignalSpy cancelled(&controller, &ShowDownloaderController::Cancelled);
        QSignalSpy statuses(&controller, &ShowDownloaderController::statusChanged);
        controller.Download(kShow, std::move(plan));
        QTRY_COMPARE(finished.size(), 1);
        QCOMPARE(finished[0][0].value<vand::ShowIdentity>(), kShow);
        QCOMPARE(controller.GetIdentity(), kShow);
        QCOMPARE(cancelled.size(), 0);
        QCOMPARE(fs::file_size(target / "audio" / "a.ogg"), std::uintmax_t(2 * 1024 * 1024));
        QVERIFY(statuses.size() >= 3);
        QCOMPARE(statuses.last()[0].toString(), QStringLiteral("Done"));
    }

    void failureShowsTheErrorDialog()
    {
        ShowServer server;
        QVERIFY(server.Start());
        auto plan = Plan(server, 1000, "failing");
        QVERIFY(plan);
        for (auto& file : plan->files) {
            if (file.path == "audio/a.ogg")
                file.sha256 = std::string(64, '0');
        }

        vand::test::QmlWarningGuard guard;
        ShowDownloaderController controller(&engine, nullptr, 1);
        QObject* view = controller.GetQmlObject();
        QObject* dialog = view->findChild<QObject*>("errorDialog");
        QSignalSpy finished(&controller, &ShowDownloaderController::DownloadFinishedSignal);
        controller.Download(kShow, std::move(plan));
        QTRY_VERIFY(dialog->property("visible").toBool());
        QCOMPARE(dialog->property("text").toString(),
                 QStringLiteral("\"audio/a.ogg\" does not match its checksum on the server."));
        QTRY_VERIFY(!view->property("visible").toBool());
        QCOMPARE(finished.size(), 0);

        // Accepting the dialog lets start-up go on, with no show obtained.
        QMetaObject::invokeMethod(dialog->findChild<QObject*>("okButton"), "clicked");
        QCOMPARE(finished.size(), 1);
        QCOMPARE(finished[0][0].value<vand::ShowIdentity>().identifier, std::string());
        QCOMPARE(guard.warnings(), QStringList());
    }

    void emptyResultCancels()
    {
        ShowServer server(ShowServer::Options{false, "100k", false, {}});
        QVERIFY(server.Start());
        auto plan = Plan(server, 8 * 1024 * 1024, "cancelled");
        QVERIFY(plan);
        ShowDownloaderController controller(&engine, nullptr, 1);
        QSignalSpy cancelled(&controller, &ShowDownloaderController::Cancelled);
        QSignalSpy finished(&controller, &ShowDownloaderController::DownloadFinishedSignal);
        QSignalSpy progress(&controller, &ShowDownloaderController::progressChanged);
        controller.Download(kShow, std::move(plan));
        QTRY_VERIFY_WITH_TIMEOUT(progress.size() > 0, 20000);
        controller.Cancel_();
        // The user's cancel, then the worker's on the empty result.
        QTRY_COMPARE(cancelled.size(), 2);
        QCOMPARE(finished.size(), 0);
        QCOMPARE(controller.GetIdentity().identifier, std::string());
    }

    void deletionWhileTheWorkerRunsOrWaits_data()
    {
        QTest::addColumn<bool>("errorPending");
        QTest::newRow("mid-transfer") << false;
        QTest::newRow("error waiting for the GUI") << true;
    }

    void deletionWhileTheWorkerRunsOrWaits()
    {
        QFETCH(bool, errorPending);
        ShowServer server(ShowServer::Options{false, "100k", false, {}});
        QVERIFY(server.Start());
        auto plan = Plan(server, 8 * 1024 * 1024, errorPending ? "waiting" : "running");
        QVERIFY(plan);
        if (errorPending)
            plan->server.apiBase = "http://127.0.0.1:1/"; // fails at once

        auto controller = std::make_unique<ShowDownloaderController>(&engine, nullptr, 1);
        std::atomic<int> reports{0};
        connect(
            controller.get(), &ShowDownloaderController::progressChanged, this, [&] { ++reports; },
            Qt::DirectConnection);
        connect(
            controller.get(), &ShowDownloaderController::statusChanged, this, [&] { ++reports; }, Qt::DirectConnection);
        controller->Download(kShow, std::move(plan));
        // Without running the event loop: the worker is transferring, or
        // blocked until the GUI thread shows its error.
        const auto deadline = Clock::now() + std::chrono::seconds(20);
        while (reports < 2 && Clock::now() < deadline)
            std::this_thread::yield();
        while (errorPending && !controller->IsWaitingForErrorDialog() && Clock::now() < deadline)
            std::this_thread::yield();
        QVERIFY(reports >= 2);
        QCOMPARE(controller->IsWaitingForErrorDialog(), errorPending);
        QElapsedTimer elapsed;
        elapsed.start();
        controller.reset();
        qInfo("deleted after %lld ms", elapsed.elapsed());
        QVERIFY2(elapsed.elapsed() < 2000, "watchdog"); // a hang would be the fault, not slowness
    }
};

QTEST_MAIN(TestShowDownloader)
#include "tst_showdownloader.moc"
