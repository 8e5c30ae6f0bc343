#include <QMap>
#include <QMetaMethod>
#include <QPair>
#include <QPointer>
#include <QQmlEngine>
#include <QQuickWindow>
#include <QSignalSpy>
#include <QTest>
#include <map>
#include <memory>

#include "MenuFixture.h"
#include "QmlWarningGuard.h"
#include "app/AppQmlEngineSetup.h"
#include "app/ResponsiveMenuController.h"
#include "app/VandMenuBarController.h"

using vand::qt::ResponsiveMenuController;
using vand::qt::VandMenuBarController;

namespace {

// Messages of the warning level and above while alive. Under a
// QGuiApplication, Qt Labs Platform has no native menu on Linux and says so
// once per menu; that message is the only one a bar may cause.
class Messages
{
public:
    Messages() { previous_ = qInstallMessageHandler(&Messages::Handle); }
    ~Messages() { qInstallMessageHandler(previous_); }

    // What was said besides the missing native menu.
    QStringList Unexpected() const
    {
        QStringList out;
        for (const QString& message : said) {
            if (!message.contains(QLatin1String("No native Menu implementation available")))
                out << message;
        }
        return out;
    }

    static inline QStringList said;

private:
    static void Handle(QtMsgType type, const QMessageLogContext&, const QString& message)
    {
        if (type != QtDebugMsg && type != QtInfoMsg)
            said << message;
    }

    QtMessageHandler previous_ = nullptr;
};

// The order in which the undo, redo, save and share flags of watched menus
// change.
class ChangeOrder : public QObject
{
    Q_OBJECT
public:
    void Watch(QObject* target, const QString& who)
    {
        const QMetaObject* mo = target->metaObject();
        const QMetaMethod note = metaObject()->method(metaObject()->indexOfSlot("Note()"));
        for (const char* flag : {"canUndo", "canRedo", "canSave", "canShare"}) {
            const QMetaMethod notify = mo->property(mo->indexOfProperty(flag)).notifySignal();
            QVERIFY(notify.isValid());
            connect(target, notify, this, note);
            names_[{target, notify.methodIndex()}] = who + QLatin1Char('.') + QLatin1String(flag);
        }
    }

    QStringList order;

public slots:
    void Note() { order << names_.value({sender(), senderSignalIndex()}); }

private:
    QMap<QPair<QObject*, int>, QString> names_;
};

} // namespace

class TestVandMenuBar : public QObject
{
    Q_OBJECT
private:
    QQmlEngine engine;
    std::unique_ptr<QQuickWindow> window;
    std::unique_ptr<QObject> menu;

    // The menu controller over the stand-in menu, owning a bar for the window.
    std::unique_ptr<ResponsiveMenuController> makeController(bool showAudioManager = true, bool oscEnabled = true)
    {
        auto bar = std::make_unique<VandMenuBarController>(&engine, window.get());
        if (!bar->GetQmlObject())
            return nullptr;
        return std::make_unique<ResponsiveMenuController>(showAudioManager, "Pelorin", menu.get(), &engine, oscEnabled,
                                                          std::move(bar));
    }

    static QObject* Bar(const ResponsiveMenuController& c) { return c.GetMenuBar()->GetQmlObject(); }

    static QObject* Item(const ResponsiveMenuController& c, const char* name)
    {
        return Bar(c)->findChild<QObject*>(QString::fromLatin1(name));
    }

private slots:
    void initTestCase() { vand::qt::PrepareAppQmlEngine(engine); }

    void init()
    {
        window = std::make_unique<QQuickWindow>();
        menu = menu_test::MakeMenuStandIn(engine);
        QVERIFY(menu);
        Messages::said.clear();
    }

    void cleanup()
    {
        menu.reset();
        window.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    void buildingTheBarSaysNothingElse()
    {
        Messages messages;
        vand::test::QmlWarningGuard guard;
        auto c = makeController();
        QVERIFY(c);
        QVERIFY2(guard.warnings().isEmpty(), qPrintable(guard.warnings().join('\n')));
        QVERIFY2(messages.Unexpected().isEmpty(), qPrintable(messages.Unexpected().join('\n')));
        // Its window is the one it was made for.
        QCOMPARE(Bar(*c)->property("window").value<QObject*>(), window.get());
    }

    // Each entry of the bar reaches the controller signal (or slot) of the
    // in-window menu's command, and nothing else.
    void everyEntryReachesItsCommand_data()
    {
        QTest::addColumn<QString>("item");
        QTest::addColumn<QString>("controllerSignal");
        QTest::newRow("Download Latest Log") << "latestLogItem"
                                             << "getLatestChangelogClicked";
        QTest::newRow("View Past Logs...") << "pastLogsItem"
                                           << "ViewPastLogsRequested";
        QTest::newRow("Save Edits") << "saveItem"
                                    << "saveRequested";
        QTest::newRow("Share Edits") << "shareItem"
                                     << "shareRequested";
        QTest::newRow("Undo") << "undoItem"
                              << "UndoRequested";
        QTest::newRow("Redo") << "redoItem"
                              << "RedoRequested";
        QTest::newRow("Delete") << "deleteItem"
                                << "DeleteRequested";
        QTest::newRow("Select All") << "selectAllItem"
                                    << "selectAllRequested";
        QTest::newRow("Play/Pause") << "playPauseItem"
                                    << "PlayPauseRequested";
        QTest::newRow("Stop") << "stopItem"
                              << "StopRequested";
        QTest::newRow("Advance") << "advanceItem"
                                 << "ContinuePlayRequested";
        QTest::newRow("Jump to Bar...") << "jumpToBarItem"
                                        << "JumpToBarStartRequested";
        QTest::newRow("Previous Marker") << "prevMarkerItem"
                                         << "SeekPrevMarkerRequested";
        QTest::newRow("Next Marker") << "nextMarkerItem"
                                     << "SeekNextMarkerRequested";
        QTest::newRow("Previous Bar") << "prevBarItem"
                                      << "SeekPrevBarRequested";
        QTest::newRow("Next Bar") << "nextBarItem"
                                  << "SeekNextBarRequested";
        QTest::newRow("Zoom In Timeline") << "zoomInItem"
                                          << "ZoomInRequested";
        QTest::newRow("Zoom Out Timeline") << "zoomOutItem"
                                           << "ZoomOutRequested";
        QTest::newRow("Audio Manager...") << "audioManagerItem"
                                          << "audioManagerClicked";
        QTest::newRow("MIDI Manager...") << "midiManagerItem"
                                         << "midiCommandsClicked";
        QTest::newRow("OSC Manager...") << "oscManagerItem"
                                        << "oscManagerClicked";
        // Handled without a controller signal.
        QTest::newRow("About") << "aboutItem"
                               << "";
        QTest::newRow("About, application menu") << "aboutAppMenuItem"
                                                 << "";
        QTest::newRow("Output Paths...") << "outputPathsItem"
                                         << "";
    }
    void everyEntryReachesItsCommand()
    {
        QFETCH(QString, item);
        QFETCH(QString, controllerSignal);
        auto c = makeController();
        QVERIFY(c);
        std::map<QString, std::unique_ptr<QSignalSpy>> spies;
        for (const QString& name : menu_test::ControllerSignals()) {
            const QByteArray sig = "2" + name.toLatin1() + "()";
            spies[name] = std::make_unique<QSignalSpy>(c.get(), sig.constData());
        }
        QCOMPARE(int(spies.size()), 21);
        QSignalSpy ownLatestLog(c->GetMenuBar(), &VandMenuBarController::getLatestChangelogClicked);
        QSignalSpy outputPaths(menu.get(), SIGNAL(outputPaths()));
        QObject* about = menu->property("aboutWindow").value<QObject*>();

        QObject* entry = Item(*c, item.toLatin1().constData());
        QVERIFY(entry);
        QVERIFY(QMetaObject::invokeMethod(entry, "triggered"));

        for (const auto& [name, spy] : spies)
            QCOMPARE(spy->count(), name == controllerSignal ? 1 : 0);
        QCOMPARE(ownLatestLog.count(), item == QLatin1String("latestLogItem") ? 1 : 0);
        QCOMPARE(about->property("openCount").toInt(), item.startsWith(QLatin1String("about")) ? 1 : 0);
        // The output paths open through the main window, as from the in-window menu.
        QCOMPARE(outputPaths.count(), item == QLatin1String("outputPathsItem") ? 1 : 0);
    }

    // The entries with their texts and shortcuts as the platform shows them,
    // and the flag that enables each ("" for always).
    void entriesFollowTheirFlags_data()
    {
        QTest::addColumn<QString>("item");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("shortcut");
        QTest::addColumn<QString>("flag");
        QTest::newRow("save") << "saveItem"
                              << "Save Edits"
                              << "Ctrl+S"
                              << "canSave";
        QTest::newRow("share") << "shareItem"
                               << "Share Edits"
                               << ""
                               << "canShare";
        QTest::newRow("quit") << "quitItem"
                              << "Quit Pelorin"
                              << "Ctrl+Q"
                              << "";
        QTest::newRow("undo") << "undoItem"
                              << "Undo"
                              << "Ctrl+z"
                              << "canUndo";
        QTest::newRow("redo") << "redoItem"
                              << "Redo"
                              << "Shift+Ctrl+z"
                              << "canRedo";
        QTest::newRow("delete") << "deleteItem"
                                << "Delete"
                                << "Backspace"
                                << "canDelete";
        QTest::newRow("select all") << "selectAllItem"
                                    << "Select All"
                                    << "Ctrl+a"
                                    << "";
        QTest::newRow("stop") << "stopItem"
                              << "Stop"
                              << "Shift+ "
                              << "";
        QTest::newRow("next bar") << "nextBarItem"
                                  << "Next Bar"
                                  << "Shift+."
                                  << "";
        QTest::newRow("audio manager") << "audioManagerItem"
                                       << "Audio Manager..."
                                       << "Shift+Ctrl+G"
                                       << "showAudioManager";
        QTest::newRow("osc manager") << "oscManagerItem"
                                     << "OSC Manager..."
                                     << "Shift+Ctrl+O"
                                     << "oscEnabled";
        QTest::newRow("about") << "aboutItem"
                               << "About Pelorin..."
                               << ""
                               << "";
    }
    void entriesFollowTheirFlags()
    {
        QFETCH(QString, item);
        QFETCH(QString, text);
        QFETCH(QString, shortcut);
        QFETCH(QString, flag);
        auto c = makeController();
        QVERIFY(c);
        QObject* entry = Item(*c, item.toLatin1().constData());
        QVERIFY(entry);
        QCOMPARE(entry->property("text").toString(), text);
        QCOMPARE(entry->property("shortcut").toString(), shortcut);
        if (flag.isEmpty()) {
            QVERIFY(entry->property("enabled").toBool());
            return;
        }
        for (bool on : {false, true, false}) {
            QVERIFY(Bar(*c)->setProperty(flag.toLatin1().constData(), on));
            QCOMPARE(entry->property("enabled").toBool(), on);
        }
    }

    void menusAndPlatformOnlyEntries()
    {
        auto c = makeController();
        QVERIFY(c);
        QStringList titles;
        for (const char* name : {"fileMenu", "editMenu", "playerMenu", "viewMenu", "toolsMenu", "helpMenu"})
            titles << Item(*c, name)->property("title").toString();
        QCOMPARE(titles, (QStringList{"&File", "Edit", "Player", "View", "Tools", "Help"}));
        // The application-menu entries are for macOS alone.
        QCOMPARE(Item(*c, "aboutAppMenuItem")->property("visible").toBool(), false);
        QCOMPARE(Item(*c, "supportAppMenuItem")->property("visible").toBool(), false);
        QCOMPARE(Item(*c, "aboutItem")->property("visible").toBool(), true);
        QCOMPARE(Item(*c, "supportItem")->property("visible").toBool(), true);
    }

    // The product's name and switches reach the bar as they reach the
    // in-window menu.
    void switchesReachBothMenus_data()
    {
        QTest::addColumn<bool>("showAudioManager");
        QTest::addColumn<bool>("oscEnabled");
        QTest::newRow("both off") << false << false;
        QTest::newRow("audio on, osc off") << true << false;
        QTest::newRow("audio off, osc on") << false << true;
    }
    void switchesReachBothMenus()
    {
        QFETCH(bool, showAudioManager);
        QFETCH(bool, oscEnabled);
        auto c = makeController(showAudioManager, oscEnabled);
        QVERIFY(c);
        for (QObject* target : {menu.get(), Bar(*c)}) {
            QCOMPARE(target->property("showAudioManager").toBool(), showAudioManager);
            QCOMPARE(target->property("oscEnabled").toBool(), oscEnabled);
            QCOMPARE(target->property("appName").toString(), QStringLiteral("Pelorin"));
        }
        QCOMPARE(Item(*c, "audioManagerItem")->property("enabled").toBool(), showAudioManager);
        QCOMPARE(Item(*c, "oscManagerItem")->property("enabled").toBool(), oscEnabled);
        QCOMPARE(Item(*c, "quitItem")->property("text").toString(), QStringLiteral("Quit Pelorin"));
    }

    // The bar is written first, then the in-window menu.
    void undoRedoStateWritesTheBarFirst()
    {
        auto c = makeController();
        QVERIFY(c);
        ChangeOrder changes;
        changes.Watch(Bar(*c), QStringLiteral("bar"));
        changes.Watch(menu.get(), QStringLiteral("menu"));
        c->UpdateUndoRedoState(true, true, true, true);
        QCOMPARE(changes.order, (QStringList{"bar.canUndo", "bar.canRedo", "bar.canSave", "bar.canShare",
                                             "menu.canUndo", "menu.canRedo", "menu.canSave", "menu.canShare"}));
        c->UpdateUndoRedoState(false, true, false, true);
        for (QObject* target : {menu.get(), Bar(*c)}) {
            QCOMPARE(target->property("canUndo").toBool(), false);
            QCOMPARE(target->property("canRedo").toBool(), true);
            QCOMPARE(target->property("canSave").toBool(), false);
            QCOMPARE(target->property("canShare").toBool(), true);
            QCOMPARE(target->property("canDelete").toBool(), true);
        }
        QCOMPARE(Item(*c, "undoItem")->property("enabled").toBool(), false);
        QCOMPARE(Item(*c, "shareItem")->property("enabled").toBool(), true);
    }

    void deletedWithTheMenuController()
    {
        auto c = makeController();
        QVERIFY(c);
        QPointer<VandMenuBarController> bar = c->GetMenuBar();
        QPointer<QObject> root = Bar(*c);
        c.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(bar.isNull());
        QVERIFY(root.isNull());
        // The in-window menu stays, and reaches no controller.
        QVERIFY(QMetaObject::invokeMethod(menu.get(), "undo"));
    }

    // Quit asks the window to close, as the in-window menu does; without a
    // window it does nothing.
    void quitAsksTheWindowToClose()
    {
        auto c = makeController();
        QVERIFY(c);
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
        QSignalSpy closing(window.get(), &QQuickWindow::closing);
        QVERIFY(QMetaObject::invokeMethod(Item(*c, "quitItem"), "triggered"));
        QCOMPARE(closing.count(), 1);

        Messages messages;
        vand::test::QmlWarningGuard guard;
        VandMenuBarController loose(&engine, nullptr);
        QVERIFY(loose.GetQmlObject());
        QObject* quit = loose.GetQmlObject()->findChild<QObject*>(QStringLiteral("quitItem"));
        QVERIFY(QMetaObject::invokeMethod(quit, "triggered"));
        QVERIFY2(guard.warnings().isEmpty(), qPrintable(guard.warnings().join('\n')));
        QVERIFY2(messages.Unexpected().isEmpty(), qPrintable(messages.Unexpected().join('\n')));
    }
};

QTEST_MAIN(TestVandMenuBar)
#include "tst_vandmenubar.moc"
