// The Launcher's download branch, in process, against a private nginx: a
// show that is missing or out of date is downloaded before the main window
// opens with "Files Were Updated"; Cancel and a failure open the show on disk
// without the notice; the main window is built once whatever arrives.

#include <QFile>
#include <QQmlApplicationEngine>
#include <QSignalSpy>
#include <QTest>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iostream>
#include <memory>

#include "AppFixture.h"
#include "ShowServer.h"
#include "StallingServer.h"
#include "StreamCapture.h"
#include "app/AppQmlEngineSetup.h"
#include "app/Launcher.h"
#include "app/MusicalMainController.h"
#include "notify/CallbackDispatcher.h"
#include "show/ShowDownloaderController.h"
#include "ui/BackgroundTask.h"
#include "ui/DialogController.h"

using app_test::DataFolder;
using app_test::TestFactory;
using vand::qt::Launcher;
using vand::qt::ShowDownloaderController;
using vand::test::ShowServer;
using vand::test::StallingServer;
namespace fs = std::filesystem;

namespace {

QByteArray Read(const fs::path& file)
{
    QFile in(QString::fromStdString(file.string()));
    return in.open(QIODevice::ReadOnly) ? in.readAll() : QByteArray("absent");
}

} // namespace

class TestLauncherDownload : public QObject
{
    Q_OBJECT
private:
    QQmlApplicationEngine engine;
    std::unique_ptr<DataFolder> folder;
    std::unique_ptr<ShowServer> server;
    std::unique_ptr<Launcher> launcher;
    TestFactory* factory = nullptr; // owned by the Launcher
    QTemporaryDir sources;

    // Publishes the small demo show, with an extra audio file of `extraBytes`
    // when given, and names the server in the data folder.
    void Serve(ShowServer::Options options, std::size_t extraBytes,
               const std::function<void(const fs::path&)>& alter = {})
    {
        const fs::path source = fs::path(sources.path().toStdString()) / "demo";
        fs::remove_all(source);
        vand::demo::DemoOptions small;
        small.small = true;
        vand::demo::WriteDemoShow(source, small);
        if (extraBytes > 0)
            std::ofstream(source / "audio" / "zz-extra.wav", std::ios::binary) << std::string(extraBytes, 'x');
        if (alter)
            alter(source);
        server = std::make_unique<ShowServer>(options);
        QVERIFY(server->Start());
        server->Publish(source);
        vand::test::WriteServerJson(folder->data, server->ApiBase());
    }

    void Launch()
    {
        auto owned = std::make_unique<TestFactory>();
        factory = owned.get();
        launcher = std::make_unique<Launcher>(&engine, std::move(owned));
    }

    QObject* DownloaderView() { return launcher->GetDownloader()->GetQmlObject(); }
    // The file list is asked for on a worker: the start goes on when it
    // comes.
    bool Started()
    {
        return QTest::qWaitFor([&] { return launcher->GetDownloader() || launcher->GetMainController(); }, 20000);
    }
    QString NoticeTitle()
    {
        auto* dialog = launcher->GetMainController()->GetMessageDialog();
        return dialog ? dialog->GetQmlObject()->property("title").toString() : QString();
    }

private slots:
    void initTestCase() { vand::qt::PrepareAppQmlEngine(engine); }

    void init() { folder = std::make_unique<DataFolder>(); }

    void cleanup()
    {
        launcher.reset();
        factory = nullptr;
        server.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        folder.reset();
        // The process-wide dispatcher outlives the test: a subscription left
        // behind would be called with a dangling target by the next one.
        QCOMPARE(notify::callbackDispatcher->CallbackCount(), std::size_t(0));
    }

    void missingShowIsDownloadedFirst()
    {
        Serve({}, 0);
        fs::remove_all(folder->show);
        Launch();
        QVERIFY(Started());
        QVERIFY(launcher->GetDownloader());
        QCOMPARE(launcher->GetMainController(), nullptr);
        QTRY_VERIFY_WITH_TIMEOUT(launcher->GetMainController(), 20000);
        QCOMPARE(launcher->GetDownloader(), nullptr);
        QCOMPARE(NoticeTitle(), QStringLiteral("Files Were Updated"));
        QCOMPARE(launcher->GetMainController()->GetMessageDialog()->GetQmlObject()->property("text").toString(),
                 QStringLiteral("The event log has been updated to version 1.0 and the show files have been "
                                "repaired or updated to the latest version."));
        QCOMPARE(Read(folder->show / "show.json"), Read(server->Root() / "shows/demo/files/show.json"));
        QCOMPARE(factory->created, 1);
    }

    void upToDateShowOpensAtOnce()
    {
        Serve({}, 0);
        Launch();
        QVERIFY(Started());
        QCOMPARE(launcher->GetDownloader(), nullptr);
        QVERIFY(launcher->GetMainController());
        QCOMPARE(NoticeTitle(), QString());
    }

    void cancelOpensTheShowOnDisk()
    {
        Serve(ShowServer::Options{false, "50k", false, {}}, 8 * 1024 * 1024);
        const QByteArray before = Read(folder->show / "show.json");
        Launch();
        QVERIFY(Started());
        QVERIFY(launcher->GetDownloader());
        QSignalSpy progress(launcher->GetDownloader(), &ShowDownloaderController::progressChanged);
        QTRY_VERIFY_WITH_TIMEOUT(progress.size() > 0, 20000);
        QMetaObject::invokeMethod(DownloaderView()->findChild<QObject*>("cancelButton"), "clicked");
        QTRY_VERIFY(launcher->GetMainController());
        QCOMPARE(launcher->GetDownloader(), nullptr);
        QCOMPARE(NoticeTitle(), QString());
        QVERIFY(!fs::exists(folder->show / "audio" / "zz-extra.wav"));
        QCOMPARE(Read(folder->show / "show.json"), before);
        QCOMPARE(factory->created, 1);
    }

    void failureShowsTheErrorThenTheMainWindow()
    {
        Serve({}, 4096);
        // The served file no longer matches its listed checksum.
        server->WriteFile("shows/demo/files/audio/zz-extra.wav", QByteArray(4096, 'y'));
        Launch();
        QVERIFY(Started());
        QObject* dialog = DownloaderView()->findChild<QObject*>("errorDialog");
        QTRY_VERIFY_WITH_TIMEOUT(dialog->property("visible").toBool(), 20000);
        QCOMPARE(dialog->property("text").toString(),
                 QStringLiteral("\"audio/zz-extra.wav\" does not match its checksum on the server."));
        QCOMPARE(launcher->GetMainController(), nullptr);
        QMetaObject::invokeMethod(dialog->findChild<QObject*>("okButton"), "clicked");
        QTRY_VERIFY(launcher->GetMainController());
        QCOMPARE(NoticeTitle(), QString());
        QVERIFY(!fs::exists(folder->show / "audio" / "zz-extra.wav"));
    }

    void aShowThatDoesNotReadNeverReplacesTheWorkingOne_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("why"); // the start of what the dialog says after the common part
        QTest::newRow("show.json does not parse")
            << "show.json" << QByteArray("{\"format\": \"vand-show\", \"songs\": [ oops\n") << "show.json: ";
        QTest::newRow("a change log that does not read") << "Demo Show-1.0.logdata" << QByteArray("not a change log")
                                                         << "The change log \"Demo Show-1.0.logdata\" cannot be read: ";
        QTest::newRow("a score package that does not read")
            << "score.score" << QByteArray(4096, 'z') << "The score package \"score.score\" cannot be read: ";
    }

    // The server publishes a file that does not read, with its true
    // checksum: the download fails with the reason, the show on disk stays
    // and the program starts on it (guards against a show that ends the
    // program at every start).
    void aShowThatDoesNotReadNeverReplacesTheWorkingOne()
    {
        QFETCH(QString, file);
        QFETCH(QByteArray, bytes);
        QFETCH(QString, why);
        Serve({}, 0, [&](const fs::path& source) {
            std::ofstream(source / file.toStdString(), std::ios::binary | std::ios::trunc) << bytes.toStdString();
        });
        const QByteArray before = Read(folder->show / file.toStdString());
        Launch();
        QVERIFY(Started());
        QVERIFY(launcher->GetDownloader());
        QObject* dialog = DownloaderView()->findChild<QObject*>("errorDialog");
        QTRY_VERIFY_WITH_TIMEOUT(dialog->property("visible").toBool(), 20000);
        const QString text = dialog->property("text").toString();
        QVERIFY2(text.startsWith("The downloaded show cannot be used, so the show on this computer is kept. " + why),
                 qPrintable(text));
        QCOMPARE(Read(folder->show / file.toStdString()), before);
        QCOMPARE(launcher->GetMainController(), nullptr);
        QMetaObject::invokeMethod(dialog->findChild<QObject*>("okButton"), "clicked");
        QTRY_VERIFY(launcher->GetMainController());
        QCOMPARE(factory->created, 1);
        QCOMPARE(NoticeTitle(), QString());
        QCOMPARE(Read(folder->show / file.toStdString()), before);
    }

    void startsOnTheShowOnDiskWhenTheServerStalls_data()
    {
        QTest::addColumn<QString>("server");
        QTest::addColumn<QString>("message");
        const QString late = "Getting file list failed: The show server did not finish answering within 0.3 s.";
        QTest::newRow("silent") << "silent" << late;
        QTest::newRow("a byte at a time") << "trickle" << late;
        QTest::newRow("cancelled") << "cancel"
                                   << "Getting file list failed: Cancelled.";
    }

    // The file list is asked for behind a wait window with Cancel; a server
    // that stalls delays the main window only until the request's deadline,
    // and Cancel opens it at once, on the show on disk.
    void startsOnTheShowOnDiskWhenTheServerStalls()
    {
        QFETCH(QString, server);
        QFETCH(QString, message);
        StallingServer::Options options;
        options.mode = server == "trickle" ? StallingServer::Mode::Trickle : StallingServer::Mode::Silent;
        StallingServer staller(options);
        QVERIFY(staller.Start());
        const int deadlineMs = server == "cancel" ? 600000 : 300;
        std::ofstream(folder->data / "server.json", std::ios::trunc)
            << "{\"apiBase\": \"" << staller.ApiBase() << "\", \"apiDeadlineMs\": " << deadlineMs << "}";
        const QByteArray before = Read(folder->show / "show.json");
        vand::test::StreamCapture errors(std::cerr);
        Launch();
        QCOMPARE(launcher->GetMainController(), nullptr);
        QObject* wait = launcher->GetFileListTask()->GetQmlObject();
        QVERIFY(wait && wait->property("visible").toBool());
        if (server == "cancel") {
            QTRY_VERIFY(staller.Connections() >= 1);
            QVERIFY(QMetaObject::invokeMethod(wait->findChild<QObject*>("cancelButton"), "clicked"));
            QVERIFY(launcher->GetMainController());
        }
        QVERIFY(Started());
        QVERIFY(launcher->GetMainController());
        QCOMPARE(launcher->GetDownloader(), nullptr);
        QVERIFY(!wait->property("visible").toBool());
        QVERIFY2(QString::fromStdString(errors.text()).contains(message), errors.text().c_str());
        QCOMPARE(Read(folder->show / "show.json"), before);
        QCOMPARE(factory->created, 1);
    }

    void completionAndCloseBuildOneMainWindow()
    {
        Serve(ShowServer::Options{false, "50k", false, {}}, 8 * 1024 * 1024);
        Launch();
        QVERIFY(Started());
        ShowDownloaderController* downloader = launcher->GetDownloader();
        QVERIFY(downloader);
        // Two deliveries, as when the window closes just as the download ends.
        emit downloader->DownloadFinishedSignal({"demo", "Demo Show", "Demo Theatre Company", "shows/demo"});
        emit downloader->Closing();
        QCOMPARE(launcher->GetMainController(), nullptr); // queued: never inside the downloader's signal
        QTRY_VERIFY(launcher->GetMainController());
        QCoreApplication::processEvents();
        QCOMPARE(factory->created, 1);
        QCOMPARE(NoticeTitle(), QStringLiteral("Files Were Updated"));
    }
};

QTEST_MAIN(TestLauncherDownload)
#include "tst_launcher_download.moc"
