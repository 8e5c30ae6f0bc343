// The main controller with the Audio Manager and the Output Paths window:
// the menu entries, audio settings applied to the engine and saved in order,
// their failures, a device lost while playing, and output paths that reach
// the engine, ask to be saved, and come back after a restart. Engines are the
// product's, on a manual clock.

#include <QDir>
#include <QFile>
#include <QPointer>
#include <QQuickItem>
#include <QSettings>
#include <QTest>
#include <QWindow>
#include <memory>

#include "AppFixture.h"
#include "MainWindowFixture.h"
#include "app/Launcher.h"
#include "app/MusicalMainController.h"
#include "audio/AudioManagerController.h"
#include "audio/OutputDeviceMonitor.h"
#include "audio/OutputPathsManagerController.h"
#include "model/EditModel.h"
#include "ui/DialogController.h"
#include "ui/InputDialogController.h"
#include "vand_pelorin/OutputClock.h"

using app_test::ClockFactory;
using app_test::ExitCodeOf;
using app_test::kNoExit;
using app_test::TestFactory;
using vand::qt::AudioManagerController;
using vand::qt::OutputPathsManagerController;

namespace {

// The engine's paths as "name|device id", sorted.
QStringList EnginePaths(Interface& player)
{
    QStringList out;
    for (const auto& [id, path] : player.GetOutputPathMap())
        out << QString::fromStdString(path.GetName() + "|" + path.GetDeviceId());
    out.sort();
    return out;
}

} // namespace

// The main controller under test is the one made here, or a Launcher's.
class TestMainControllerAudio : public QObject, public app_test::MainWindowFixture<vand::qt::PelorinPlayerFactory>
{
    Q_OBJECT
private:
    std::shared_ptr<app_test::EngineScript> Script() { return static_cast<TestFactory*>(factory.get())->script; }
    QString SettingsPath() const { return QString::fromStdString((folder->data / "general_settings.vand").string()); }
    QString DeviceFile() const { return QString::fromStdString((folder->show / "outputpathdevices.json").string()); }

    void Build()
    {
        MainWindowFixture::Build();
        QCoreApplication::sendPostedEvents();
    }

    QString Dialog(const char* property) const
    {
        auto* dialog = controller->GetMessageDialog();
        if (!dialog || !dialog->GetQmlObject())
            return QStringLiteral("<no dialog>");
        return dialog->GetQmlObject()->property(property).toString();
    }

    QObject* Menu() const { return window->property("menu").value<QObject*>(); }

    QObject* PathsWindow() const { return controller->GetOutputPathsManager()->GetQmlObject(); }
    // The window builds its contents when it first shows.
    QObject* PathsChild(const char* name) const
    {
        QObject* found = nullptr;
        QTest::qWaitFor([&] { return (found = PathsWindow()->findChild<QObject*>(QString::fromLatin1(name))); });
        return found;
    }

    QStringList PathNames() const
    {
        QStringList names;
        const auto model = controller->GetOutputPathsManager()->GetModel();
        for (int row = 0; row < model->rowCount(); ++row)
            names << model->PathName(row);
        return names;
    }

    // What the user does in the Output Paths window, opened from the menu.
    void NewPath(const QString& name)
    {
        QVERIFY(QMetaObject::invokeMethod(Menu(), "outputPaths"));
        QVERIFY(QMetaObject::invokeMethod(PathsChild("newPathButton"), "clicked"));
        QVERIFY(PathsChild("pathTool")->setProperty("pathName", name));
        QVERIFY(QMetaObject::invokeMethod(PathsChild("pathTool"), "confirm"));
    }
    void EditPath(int row, const QString& name)
    {
        QVERIFY(QMetaObject::invokeMethod(Menu(), "outputPaths"));
        QVERIFY(PathsWindow()->setProperty("currentIndex", row));
        QVERIFY(QMetaObject::invokeMethod(PathsChild("editButton"), "clicked"));
        QVERIFY(PathsChild("pathTool")->setProperty("pathName", name));
        QVERIFY(QMetaObject::invokeMethod(PathsChild("pathTool"), "confirm"));
    }
    void DeletePath(int row)
    {
        QVERIFY(QMetaObject::invokeMethod(Menu(), "outputPaths"));
        QVERIFY(PathsWindow()->setProperty("currentIndex", row));
        QVERIFY(QMetaObject::invokeMethod(PathsChild("deleteButton"), "clicked"));
    }

    bool SaveEnabled() const
    {
        QObject* panel = window->property("editPanelControl").value<QObject*>();
        QObject* bar = panel->property("editBarControl").value<QObject*>();
        return bar->property("saveControl").value<QQuickItem*>()->isEnabled();
    }

    void OpenAudioManager()
    {
        QVERIFY(QMetaObject::invokeMethod(Menu(), "audioManagerClicked"));
        QVERIFY(controller->GetAudioManager());
    }

    void ConfirmAudioManager(int entry)
    {
        QObject* dialog = controller->GetAudioManager()->GetQmlObject();
        QVERIFY(dialog->setProperty("outputDeviceIndex", entry));
        QVERIFY(QMetaObject::invokeMethod(dialog->findChild<QObject*>(QStringLiteral("okButton")), "clicked"));
    }

private slots:
    void initTestCase() { SetUpTestCase(); }

    void init()
    {
        factory = std::make_unique<TestFactory>();
        QFile::remove(SettingsPath());
        QDir(SettingsPath()).removeRecursively();
        QFile::remove(DeviceFile());
    }

    void cleanup()
    {
        Destroy();
        factory.reset();
    }

    void audioManagerFromTheMenu()
    {
        Build();
        OpenAudioManager();
        QPointer<QObject> first = controller->GetAudioManager()->GetQmlObject();
        QCOMPARE(first->property("visible").toBool(), true);
        // Each request makes a new dialog, with the list as it is then.
        OpenAudioManager();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(first.isNull());
        QCOMPARE(controller->GetAudioManager()->GetQmlObject()->property("visible").toBool(), true);
    }

    void audioSettingsAreAppliedThenSaved_data()
    {
        QTest::addColumn<QString>("failure");
        QTest::addColumn<QStringList>("calls");
        QTest::addColumn<QString>("dialog");
        QTest::newRow("applied") << "" << QStringList{"Stop", "SetOutputDeviceUid()", "SetVolume(0.5,1)"}
                                 << "<no dialog>";
        QTest::newRow("engine refuses the device")
            << "SetOutputDeviceUid" << QStringList{"Stop", "SetOutputDeviceUid()"} << "Error Updating Audio Settings";
        QTest::newRow("settings cannot be written")
            << "settings" << QStringList{"Stop", "SetOutputDeviceUid()", "SetVolume(0.5,1)"}
            << "Error Updating Audio Settings";
    }

    void audioSettingsAreAppliedThenSaved()
    {
        QFETCH(QString, failure);
        QFETCH(QStringList, calls);
        QFETCH(QString, dialog);
        Script()->volume = 0.5;
        Build();
        if (failure == "settings")
            QVERIFY(QDir().mkpath(SettingsPath()));
        else if (!failure.isEmpty())
            Script()->failing.insert(failure.toStdString());
        OpenAudioManager();
        Script()->Take();
        ConfirmAudioManager(0);

        QStringList applied;
        for (const QString& call : Script()->Take()) {
            if (call != "IsStopped")
                applied << call;
        }
        QCOMPARE(applied, calls);
        QCOMPARE(Dialog("title"), dialog);
        if (failure.isEmpty()) {
            QSettings saved(SettingsPath(), QSettings::IniFormat);
            QCOMPARE(saved.value("defaultVolume").toDouble(), 0.5);
            QCOMPARE(saved.value("defaultOutputDeviceString").toString(), QString());
        } else if (failure != "settings") {
            QVERIFY(!QFile::exists(SettingsPath()));
        }
    }

    void audioManagerThatCannotBeBuiltIsReported()
    {
        Build();
        Script()->failDeviceQuery = true;
        QVERIFY(QMetaObject::invokeMethod(Menu(), "audioManagerClicked"));
        QCOMPARE(controller->GetAudioManager(), nullptr);
        QCOMPARE(Dialog("title"), QStringLiteral("Error Configuring Audio"));
        QCOMPARE(Dialog("text"), QStringLiteral("engine refused GetOutputDeviceUid"));
    }

    // The device goes away while the show plays: the show goes on through
    // the default device, the user is told, and the settings keep the choice.
    void lostDeviceLeadsToTheDefault()
    {
        {
            QSettings saved(SettingsPath(), QSettings::IniFormat);
            saved.setValue("defaultOutputDeviceString", "card-9");
        }
        Build();
        // At start the saved device is not there either.
        QStringList calls = Script()->Take().filter("SetOutputDeviceUid");
        QCOMPARE(calls, (QStringList{"SetOutputDeviceUid(card-9)", "SetOutputDeviceUid()"}));
        QCOMPARE(Dialog("title"), QStringLiteral("Audio Device Not Available"));
        QCOMPARE(Dialog("type"), QStringLiteral("warning"));
        QCOMPARE(Dialog("text"), QStringLiteral("The output device \"card-9\" is not available. The show now plays "
                                                "through the system's default device. Choose a device in Audio "
                                                "Manager."));

        // Playing on a device of its own that then goes.
        controller->onInformation("cleared", "cleared");
        Script()->outputDevice = "card-7";
        controller->GetDeviceMonitor()->Poll();
        QCOMPARE(Script()->Take().filter(QRegularExpression("SetOutputDevice|Stop")),
                 QStringList{"SetOutputDeviceUid()"});
        QCOMPARE(Dialog("title"), QStringLiteral("Audio Device Not Available"));
        QVERIFY(controller->GetDeviceMonitor()->Timer().isActive());
        QCOMPARE(QSettings(SettingsPath(), QSettings::IniFormat).value("defaultOutputDeviceString").toString(),
                 QStringLiteral("card-9"));
    }

    void outputPathsFromTheMenu()
    {
        Build();
        QCOMPARE(PathsWindow()->property("visible").toBool(), false);
        QVERIFY(QMetaObject::invokeMethod(Menu(), "outputPaths"));
        QCOMPARE(PathsWindow()->property("visible").toBool(), true);
        QCOMPARE(controller->GetOutputPathsManager()->GetModel()->rowCount(), 1);
    }

    // Each change reaches the engine and makes the change log need a save:
    // Save stays enabled and Quit asks.
    void pathChangesReachTheEngineAndAskToBeSaved_data()
    {
        QTest::addColumn<QString>("change");
        QTest::addColumn<QStringList>("paths");
        QTest::newRow("create") << "create" << QStringList{"Main|", "Stage Left|"};
        QTest::newRow("change") << "edit" << QStringList{"Stage Left|"};
        QTest::newRow("delete") << "delete" << QStringList{};
    }

    void pathChangesReachTheEngineAndAskToBeSaved()
    {
        QFETCH(QString, change);
        QFETCH(QStringList, paths);
        // The Launcher holds the main controller and asks at quit.
        vand::qt::Launcher launcher(&engine, std::make_unique<TestFactory>());
        Borrow(launcher.GetMainController());
        QVERIFY(controller);
        QVERIFY(!controller->HasUnsavedEdits());
        QVERIFY(!SaveEnabled());

        if (change == "create")
            NewPath("Stage Left");
        else if (change == "edit")
            EditPath(0, "Stage Left");
        else
            DeletePath(0);
        QCOMPARE(EnginePaths(*controller->GetPlayer()), paths);
        QVERIFY(controller->HasUnsavedEdits());
        QVERIFY(SaveEnabled());

        QCOMPARE(ExitCodeOf([&] { qobject_cast<QWindow*>(window)->close(); }), kNoExit);
        QVERIFY(launcher.GetQuitPrompt());
        QVERIFY(launcher.GetQuitPrompt()->GetQmlObject()->property("visible").toBool());
        // The Launcher deletes its main controller.
        controller = nullptr;
        window = nullptr;
    }

    void showLoadMakesANewHiddenWindow()
    {
        Build();
        QVERIFY(QMetaObject::invokeMethod(Menu(), "outputPaths"));
        QPointer<OutputPathsManagerController> first = controller->GetOutputPathsManager();
        QVERIFY(QMetaObject::invokeMethod(controller.get(), "LoadShow_"));
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(first.isNull());
        QCOMPARE(PathsWindow()->property("visible").toBool(), false);
        // The new window is wired: a new path reaches the new engine.
        NewPath("Stage Left");
        QCOMPARE(EnginePaths(*controller->GetPlayer()), (QStringList{"Main|", "Stage Left|"}));
        QVERIFY(controller->HasUnsavedEdits());
    }

    // Created, changed and deleted paths are back after a save and a
    // restart.
    void savedPathsSurviveARestart()
    {
        factory = std::make_unique<ClockFactory>();
        Build();
        NewPath("Stage Left");
        NewPath("Stage Left");
        QCOMPARE(PathNames(), (QStringList{"Main", "Stage Left", "Stage Left 2"}));
        DeletePath(0);
        EditPath(0, "Stage Right");
        QCOMPARE(PathNames(), (QStringList{"Stage Right", "Stage Left 2"}));

        QVERIFY(QMetaObject::invokeMethod(controller.get(), "onSaveButton"));
        QVERIFY(!controller->HasUnsavedEdits());
        Destroy();

        Build();
        QStringList names = PathNames();
        names.sort();
        QCOMPARE(names, (QStringList{"Stage Left 2", "Stage Right"}));
        QVERIFY(!controller->HasUnsavedEdits());
    }
};

QTEST_MAIN(TestMainControllerAudio)
#include "tst_maincontroller_audio.moc"
