#include "StreamCapture.h"
#include <QFile>
#include <QQmlApplicationEngine>
#include <QQuickWindow>
#include <QSignalSpy>
#include <QTest>
#include <fstream>
#include <iostream>
#include <map>
#include <memory>
#include <sstream>

#include "AppFixture.h"
#include "CL/Errors.h"
#include "app/AppQmlEngineSetup.h"
#include "app/Launcher.h"
#include "app/MusicalMainController.h"
#include "app/VandMenuBarController.h"
#include "model/EditModel.h"
#include "notify/CallbackDispatcher.h"
#include "ui/DialogController.h"
#include "ui/InputDialogController.h"

using app_test::DataFolder;
using app_test::ExitCodeOf;
using app_test::kNoExit;
using app_test::TestFactory;
namespace fs = std::filesystem;
using vand::networking::DownloadPlan;
using vand::networking::ShowFile;
using vand::qt::Launcher;

Q_DECLARE_METATYPE(DownloadPlan)

namespace {

using Capture = vand::test::StreamCapture;

DownloadPlan PlanOf(std::vector<ShowFile> files)
{
    DownloadPlan plan;
    plan.files = std::move(files);
    return plan;
}

std::string ReadBytes(const fs::path& file)
{
    std::ifstream in(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

QWindow* AsWindow(QObject* object)
{
    return qobject_cast<QWindow*>(object);
}

} // namespace

class TestLauncher : public QObject
{
    Q_OBJECT
private:
    std::unique_ptr<DataFolder> folder;
    QQmlApplicationEngine engine;
    std::unique_ptr<Launcher> launcher;
    std::shared_ptr<app_test::EngineScript> script;
    TestFactory* factory = nullptr; // owned by the Launcher

    void Launch(std::exception_ptr createError = nullptr)
    {
        auto owned = std::make_unique<TestFactory>();
        owned->createError = createError;
        factory = owned.get();
        script = owned->script;
        launcher = std::make_unique<Launcher>(&engine, std::move(owned));
    }

    QObject* MainWindow() { return launcher->GetMainController()->GetQmlObject(); }

private slots:
    void initTestCase()
    {
        folder = std::make_unique<DataFolder>();
        vand::qt::PrepareAppQmlEngine(engine);
    }

    void cleanup()
    {
        launcher.reset();
        factory = nullptr;
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        // The process-wide dispatcher outlives the test: a subscription left
        // behind would be called with a dangling target by the next one.
        QCOMPARE(notify::callbackDispatcher->CallbackCount(), std::size_t(0));
    }

    void offlineStartOpensTheMainWindow()
    {
        Capture errors(std::cerr);
        Launch();
        // A machine without a sound server lists no output device, and says so.
        QString text = QString::fromStdString(errors.text());
        text.remove(QStringLiteral("No audio output devices found.\n"));
        QCOMPARE(text, QStringLiteral("Getting file list failed: No error message. Possible network failure."));
        QVERIFY(launcher->GetMainController());
        QVERIFY(MainWindow()->property("visible").toBool());
        QCOMPARE(MainWindow()->property("title").toString(),
                 QStringLiteral("Pelorin - Demo Show - Demo Theatre Company"));
        QVERIFY(launcher->GetUpdateNotice().isEmpty());
        QCOMPARE(launcher->GetMainController()->GetMessageDialog(), nullptr);
        QCOMPARE(launcher->GetStartErrorDialog(), nullptr);
    }

    void mainControllerIsBuiltOnce()
    {
        Launch();
        auto* first = launcher->GetMainController();
        launcher->LaunchPelorinMainController();
        launcher->LaunchPelorinMainController();
        QCOMPARE(launcher->GetMainController(), first);
        QCOMPARE(factory->created, 1);
    }

    void changeLogVersionErrorShowsTheStartError()
    {
        Launch(std::make_exception_ptr(CL::ChangeLogVersionError("the log needs reader 9")));
        QCOMPARE(launcher->GetMainController(), nullptr);
        QVERIFY(launcher->GetStartErrorDialog());
        QObject* dialog = launcher->GetStartErrorDialog()->GetQmlObject();
        QVERIFY(dialog);
        QCOMPARE(dialog->property("title").toString(), QStringLiteral("Loading Edits Failed"));
        QCOMPARE(dialog->property("type").toString(), QStringLiteral("error"));
        QCOMPARE(dialog->property("text").toString(),
                 QStringLiteral("Loading show edits failed with the following error: the log needs reader 9. \n\n"
                                "Because the error is related to log versioning, you may be able to fix this issue "
                                "by downloading the latest version of the application from the VAND website."));
        QVERIFY(dialog->property("visible").toBool());
    }

    void changeLogOfANewerFormatFromTheEngine()
    {
        // The product's own engine, on a change log that needs a newer reader.
        const fs::path newer = folder->show / "Demo Show-9.0.logdata";
        {
            QFile source(QString::fromStdString((folder->show / "Demo Show-1.0.logdata").string()));
            QVERIFY(source.open(QIODevice::ReadOnly));
            QByteArray text = source.readAll();
            text.replace("\"minReaderVersion\": \"1.0\"", "\"minReaderVersion\": \"9.0\"");
            text.replace("\"version\": \"1.0\"", "\"version\": \"9.0\"");
            QFile target(QString::fromStdString(newer.string()));
            QVERIFY(target.open(QIODevice::WriteOnly));
            target.write(text);
        }
        launcher = std::make_unique<Launcher>(&engine, std::make_unique<vand::qt::PelorinPlayerFactory>());
        fs::remove(newer);
        QCOMPARE(launcher->GetMainController(), nullptr);
        QVERIFY(launcher->GetStartErrorDialog());
        QCOMPARE(launcher->GetStartErrorDialog()->GetQmlObject()->property("title").toString(),
                 QStringLiteral("Loading Edits Failed"));
    }

    // Each row: the show folder's change logs ("version:kind", kind good,
    // cut off, empty or garbage), the version the product's engine loads, and
    // the files the start dialog names. Whatever loads, the main window opens
    // and no file is changed; a save then goes above every file.
    void unreadableNewestLogFallsBack_data()
    {
        QTest::addColumn<QStringList>("logs");
        QTest::addColumn<QString>("loaded");
        QTest::addColumn<QStringList>("named");
        QTest::addColumn<QString>("saved");
        QTest::newRow("1.0 good, 1.1 cut off")
            << QStringList{"1.0:good", "1.1:cut"} << "1.0" << QStringList{"1.1"} << "1.2";
        QTest::newRow("1.0 good, 1.1 empty")
            << QStringList{"1.0:good", "1.1:empty"} << "1.0" << QStringList{"1.1"} << "1.2";
        QTest::newRow("only a bad file") << QStringList{"2.0:garbage"} << "0.0" << QStringList{"2.0"} << "2.1";
        QTest::newRow("two bad above a good one")
            << QStringList{"1.0:good", "1.1:cut", "1.2:empty"} << "1.0" << QStringList{"1.2", "1.1"} << "1.3";
        QTest::newRow("1.0 good, 1.1 good") << QStringList{"1.0:good", "1.1:good"} << "1.1" << QStringList{} << "1.2";
    }

    void unreadableNewestLogFallsBack()
    {
        QFETCH(QStringList, logs);
        QFETCH(QString, loaded);
        QFETCH(QStringList, named);
        QFETCH(QString, saved);
        DataFolder data; // this row's own show folder
        auto name = [](const QString& version) { return "Demo Show-" + version.toStdString() + ".logdata"; };
        const std::string good = ReadBytes(data.show / name("1.0"));
        fs::remove(data.show / name("1.0"));
        std::map<std::string, std::string> written;
        for (const QString& entry : logs) {
            const QString version = entry.section(':', 0, 0);
            const QString kind = entry.section(':', 1);
            std::string bytes = good;
            const std::string field = "\"version\": \"1.0\"";
            bytes.replace(bytes.find(field), field.size(), "\"version\": \"" + version.toStdString() + "\"");
            if (kind == QLatin1String("cut"))
                bytes.resize(bytes.size() / 2);
            else if (kind == QLatin1String("empty"))
                bytes.clear();
            else if (kind == QLatin1String("garbage"))
                bytes = "not a change log";
            written[name(version)] = bytes;
            std::ofstream(data.show / name(version), std::ios::binary) << bytes;
        }

        launcher = std::make_unique<Launcher>(&engine, std::make_unique<vand::qt::PelorinPlayerFactory>());
        auto* main = launcher->GetMainController();
        QVERIFY(main);
        QVERIFY(MainWindow()->property("visible").toBool());
        QCOMPARE(QString::fromStdString(main->GetPlayer()->GetLogVersion()), loaded);
        if (named.isEmpty()) {
            QCOMPARE(launcher->GetStartErrorDialog(), nullptr);
        } else {
            QVERIFY(launcher->GetStartErrorDialog());
            QObject* dialog = launcher->GetStartErrorDialog()->GetQmlObject();
            QCOMPARE(dialog->property("title").toString(), QStringLiteral("Loading Edits Failed"));
            QVERIFY(dialog->property("visible").toBool());
            const QString text = dialog->property("text").toString();
            QVERIFY2(text.startsWith("Loading show edits failed with the following error: "), qPrintable(text));
            qsizetype at = 0;
            for (const QString& version : named) { // newest first
                const qsizetype found = text.indexOf(QString::fromStdString(name(version)), at);
                QVERIFY2(found > at, qPrintable(text));
                at = found;
            }
            QVERIFY2(text.contains(loaded == QLatin1String("0.0")
                                       ? QStringLiteral("so the show starts without edits")
                                       : "The edits of version " + loaded + " (\""
                                             + QString::fromStdString(name(loaded)) + "\") were loaded instead."),
                     qPrintable(text));
        }

        main->onSaveButton();
        QCOMPARE(main->GetMessageDialog()->GetQmlObject()->property("title").toString(),
                 QStringLiteral("Save Complete"));
        QVERIFY(fs::exists(data.show / name(saved)));
        QCOMPARE(QString::fromStdString(main->GetPlayer()->GetLogVersion()), saved);
        for (const auto& [file, bytes] : written)
            QVERIFY2(ReadBytes(data.show / file) == bytes, file.c_str());
        launcher.reset();
        folder->Activate();
    }

    void otherStartErrorsAreFatal()
    {
        // At construction the failure leaves the Launcher for the error log.
        factory = nullptr;
        auto owned = std::make_unique<TestFactory>();
        owned->createError = std::make_exception_ptr(std::runtime_error("no audio device"));
        QVERIFY_THROWS_EXCEPTION(std::runtime_error, Launcher(&engine, std::move(owned)));

        // From the event loop it ends the loop with a failure status and is
        // kept for the error log.
        Launch(std::make_exception_ptr(CL::ChangeLogVersionError("v")));
        factory->createError = std::make_exception_ptr(std::runtime_error("no audio device"));
        QCOMPARE(ExitCodeOf([&] { launcher->LaunchPelorinMainController(); }), 1);
        std::exception_ptr fatal = launcher->TakeFatalError();
        QVERIFY(fatal);
        try {
            std::rethrow_exception(fatal);
        } catch (const std::runtime_error& e) {
            QCOMPARE(std::string(e.what()), std::string("no audio device"));
        }
        QVERIFY(!launcher->TakeFatalError());
    }

    void closingWithoutUnsavedEditsQuits()
    {
        Launch();
        QCOMPARE(ExitCodeOf([&] { AsWindow(MainWindow())->close(); }), 0);
        QCOMPARE(launcher->GetQuitPrompt(), nullptr);
        // The window refused to close by itself.
        QVERIFY(MainWindow()->property("visible").toBool());
    }

    // The platform menu bar's Quit closes the window like the in-window
    // menu, so unsaved edits are asked about before the program ends.
    void menuBarQuitAsksAboutUnsavedEdits_data()
    {
        QTest::addColumn<bool>("unsaved");
        QTest::addColumn<int>("exitCode");
        QTest::newRow("unsaved edits: the prompt") << true << kNoExit;
        QTest::newRow("nothing unsaved: quits") << false << 0;
    }
    void menuBarQuitAsksAboutUnsavedEdits()
    {
        QFETCH(bool, unsaved);
        QFETCH(int, exitCode);
        Launch();
        launcher->GetMainController()->GetEditModel()->needsSave = unsaved;
        vand::qt::VandMenuBarController bar(&engine, MainWindow());
        QObject* quit = bar.GetQmlObject() ? bar.GetQmlObject()->findChild<QObject*>("quitItem") : nullptr;
        QVERIFY(quit);
        QCOMPARE(quit->property("text").toString(), QStringLiteral("Quit Application"));

        QCOMPARE(ExitCodeOf([&] { QMetaObject::invokeMethod(quit, "triggered"); }), exitCode);
        QCOMPARE(launcher->GetQuitPrompt() != nullptr, unsaved);
        if (unsaved)
            QVERIFY(launcher->GetQuitPrompt()->GetQmlObject()->property("visible").toBool());
        QVERIFY(MainWindow()->property("visible").toBool());
    }

    void quitPrompt_data()
    {
        QTest::addColumn<QString>("answer");
        QTest::addColumn<bool>("saveFails");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<bool>("saved");
        QTest::addColumn<bool>("closeAfterSave");

        QTest::newRow("Save and Close") << "okButton" << false << 0 << true << true;
        QTest::newRow("Save and Close, save fails") << "okButton" << true << kNoExit << false << true;
        QTest::newRow("Close Without Saving") << "cancelButton" << false << 0 << false << true;
        QTest::newRow("Cancel") << "negateButton" << false << kNoExit << false << false;
        QTest::newRow("Escape") << "escape" << false << kNoExit << false << false;
        QTest::newRow("title bar close") << "close" << false << kNoExit << false << false;
    }

    void quitPrompt()
    {
        QFETCH(QString, answer);
        QFETCH(bool, saveFails);
        QFETCH(int, exitCode);
        QFETCH(bool, saved);
        QFETCH(bool, closeAfterSave);

        Launch();
        launcher->GetMainController()->GetEditModel()->needsSave = true;
        script->Take();
        if (saveFails)
            script->failing = {"SaveChangelog"};

        QCOMPARE(ExitCodeOf([&] { AsWindow(MainWindow())->close(); }), kNoExit);
        QVERIFY(launcher->GetQuitPrompt());
        QPointer<QObject> prompt = launcher->GetQuitPrompt()->GetQmlObject();
        QVERIFY(prompt);
        QVERIFY(launcher->GetCloseAfterSave());
        QCOMPARE(prompt->property("title").toString(), QStringLiteral("Unsaved Changes"));
        QCOMPARE(prompt->property("text").toString(),
                 QStringLiteral("You have unsaved changes.  If you quit now, they will be lost forever."));
        QCOMPARE(prompt->property("type").toString(), QStringLiteral("warning"));
        QCOMPARE(prompt->property("acceptButtonText").toString(), QStringLiteral("Save and Close"));
        QCOMPARE(prompt->property("cancelButtonText").toString(), QStringLiteral("Close Without Saving"));
        QCOMPARE(prompt->property("negateButtonText").toString(), QStringLiteral("Cancel"));
        QCOMPARE(prompt->property("showNegateButton").toBool(), true);
        QCOMPARE(prompt->property("showInputField").toBool(), false);
        QCOMPARE(prompt->property("confirmationPreamble").toString(), QStringLiteral("Unsaved Changes Detected:"));
        QVERIFY(prompt->property("visible").toBool());

        const int code = ExitCodeOf([&] {
            if (answer == QLatin1String("escape"))
                QTest::keyClick(AsWindow(prompt), Qt::Key_Escape);
            else if (answer == QLatin1String("close"))
                AsWindow(prompt)->close();
            else
                QMetaObject::invokeMethod(prompt->findChild<QObject*>(answer), "clicked");
        });
        QCOMPARE(code, exitCode);
        QCOMPARE(script->Take().contains(QStringLiteral("SaveChangelog(1,1)")), saved || saveFails);
        QCOMPARE(launcher->GetCloseAfterSave(), closeAfterSave);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(prompt.isNull());

        if (!closeAfterSave) {
            // The quit was cancelled: a later save does not end the program.
            script->failing.clear();
            QCOMPARE(ExitCodeOf([&] { launcher->GetMainController()->onSaveButton(); }), kNoExit);
        }
        if (saveFails) {
            QCOMPARE(launcher->GetMainController()->GetMessageDialog()->GetQmlObject()->property("title").toString(),
                     QStringLiteral("Save Failed"));
            // The next save that completes ends the program.
            script->failing.clear();
            QCOMPARE(ExitCodeOf([&] { launcher->GetMainController()->onSaveButton(); }), 0);
        }
    }

    void updateNotice_data()
    {
        QTest::addColumn<DownloadPlan>("plan");
        QTest::addColumn<QString>("notice");
        const ShowFile log32{"Demo Show-3.2.logdata", "LOG", 3, 2, 10, {}};
        const ShowFile log41{"Demo Show-4.1.logdata", "LOG", 4, 1, 10, {}};
        const ShowFile audio{"audio/1.ogg", "AUDIO", 0, 0, 10, {}};
        QTest::newRow("empty") << PlanOf({}) << QString();
        QTest::newRow("log only") << PlanOf({log32}) << "The event log has been updated to version 3.2.";
        QTest::newRow("last log wins") << PlanOf({log32, log41}) << "The event log has been updated to version 4.1.";
        QTest::newRow("log and files")
            << PlanOf({audio, log32})
            << "The event log has been updated to version 3.2 and the show files have been repaired or updated to "
               "the latest version.";
        QTest::newRow("files only") << PlanOf({audio})
                                    << "The show files have been repaired or updated to the latest version.";
        QTest::newRow("kind is exact") << PlanOf({{"x.logdata", "log", 1, 0, 1, {}}})
                                       << "The show files have been repaired or updated to the latest version.";
    }

    void updateNotice()
    {
        QFETCH(DownloadPlan, plan);
        QFETCH(QString, notice);
        QCOMPARE(Launcher::UpdateNotice(plan), notice);
    }
};

QTEST_MAIN(TestLauncher)
#include "tst_launcher.moc"
