#include <QMetaMethod>
#include <QQmlComponent>
#include <QQmlEngine>
#include <QSignalSpy>
#include <QTest>
#include <memory>

#include "MenuFixture.h"
#include "QmlWarningGuard.h"
#include "app/AppQmlEngineSetup.h"
#include "app/ResponsiveMenuController.h"

using vand::qt::ResponsiveMenuController;

class TestResponsiveMenuController : public QObject
{
    Q_OBJECT
private:
    QQmlEngine engine;

    std::unique_ptr<QObject> makeMenu() { return menu_test::MakeMenuStandIn(engine); }

private slots:
    void initTestCase() { vand::qt::PrepareAppQmlEngine(engine); }

    void constructorHandsTheMenuTheProductSwitches_data()
    {
        QTest::addColumn<bool>("showAudioManager");
        QTest::addColumn<bool>("oscEnabled");
        QTest::newRow("both off") << false << false;
        QTest::newRow("audio on, osc off") << true << false;
        QTest::newRow("audio off, osc on") << false << true;
        QTest::newRow("both on") << true << true;
    }
    void constructorHandsTheMenuTheProductSwitches()
    {
        QFETCH(bool, showAudioManager);
        QFETCH(bool, oscEnabled);
        auto menu = makeMenu();
        QVERIFY(menu);
        ResponsiveMenuController c(showAudioManager, "Pelorin", menu.get(), &engine, oscEnabled);
        QCOMPARE(menu->property("showAudioManager").toBool(), showAudioManager);
        QCOMPARE(menu->property("oscEnabled").toBool(), oscEnabled);
        QCOMPARE(menu->property("appName").toString(), QString("Pelorin"));
        QCOMPARE(c.GetQmlObject(), menu.get());
        // The flags start at nothing to undo, redo, save or share.
        QCOMPARE(menu->property("canUndo").toBool(), false);
        QCOMPARE(menu->property("canSave").toBool(), false);
    }

    void everyMenuCommandIsRelayedToItsOwnSignal_data()
    {
        QTest::addColumn<QString>("menuSignal");
        QTest::addColumn<QString>("controllerSignal");
        QTest::newRow("midi") << "midiCommandsClicked"
                              << "midiCommandsClicked";
        QTest::newRow("osc") << "oscManagerClicked"
                             << "oscManagerClicked";
        QTest::newRow("audio") << "audioManagerClicked"
                               << "audioManagerClicked";
        QTest::newRow("play/pause") << "playPause"
                                    << "PlayPauseRequested";
        QTest::newRow("stop") << "stop"
                              << "StopRequested";
        QTest::newRow("advance") << "continuePlay"
                                 << "ContinuePlayRequested";
        QTest::newRow("next marker") << "nextMarker"
                                     << "SeekNextMarkerRequested";
        QTest::newRow("previous marker") << "previousMarker"
                                         << "SeekPrevMarkerRequested";
        QTest::newRow("next bar") << "nextBar"
                                  << "SeekNextBarRequested";
        QTest::newRow("previous bar") << "previousBar"
                                      << "SeekPrevBarRequested";
        QTest::newRow("zoom in") << "zoomIn"
                                 << "ZoomInRequested";
        QTest::newRow("zoom out") << "zoomOut"
                                  << "ZoomOutRequested";
        QTest::newRow("delete") << "deleteSelected"
                                << "DeleteRequested";
        QTest::newRow("undo") << "undo"
                              << "UndoRequested";
        QTest::newRow("redo") << "redo"
                              << "RedoRequested";
        QTest::newRow("latest log") << "getLatestLogClicked"
                                    << "getLatestChangelogClicked";
        QTest::newRow("save") << "saveClicked"
                              << "saveRequested";
        QTest::newRow("share") << "shareClicked"
                               << "shareRequested";
        QTest::newRow("select all") << "selectAll"
                                    << "selectAllRequested";
        // Handled by the main window, not by the controller.
        QTest::newRow("jump to bar") << "jumpToBarStart"
                                     << "";
        QTest::newRow("past logs") << "changelogManagerOpened"
                                   << "";
        QTest::newRow("output paths") << "outputPaths"
                                      << "";
        QTest::newRow("about") << "aboutClicked"
                               << "";
    }
    void everyMenuCommandIsRelayedToItsOwnSignal()
    {
        QFETCH(QString, menuSignal);
        QFETCH(QString, controllerSignal);
        auto menu = makeMenu();
        QVERIFY(menu);
        ResponsiveMenuController c(true, "Pelorin", menu.get(), &engine, true);

        std::map<QString, std::unique_ptr<QSignalSpy>> spies;
        for (const QString& name : menu_test::ControllerSignals()) {
            const QByteArray sig = "2" + name.toLatin1() + "()";
            spies[name] = std::make_unique<QSignalSpy>(&c, sig.constData());
            QVERIFY(spies[name]->isValid());
        }
        QCOMPARE(int(spies.size()), 21);

        QVERIFY(QMetaObject::invokeMethod(menu.get(), menuSignal.toLatin1().constData()));
        for (const auto& [name, spy] : spies)
            QCOMPARE(spy->count(), name == controllerSignal ? 1 : 0);
    }

    void aboutOpensTheHostedAboutBox()
    {
        auto menu = makeMenu();
        QVERIFY(menu);
        ResponsiveMenuController c(false, "Pelorin", menu.get(), &engine, true);
        QObject* about = menu->property("aboutWindow").value<QObject*>();
        QVERIFY(about);
        QVERIFY(QMetaObject::invokeMethod(menu.get(), "aboutClicked"));
        QCOMPARE(about->property("openCount").toInt(), 1);
        c.AboutClicked_();
        QCOMPARE(about->property("openCount").toInt(), 2);
    }

    void aboutWithoutAnAboutBoxDoesNothing()
    {
        auto menu = makeMenu();
        QVERIFY(menu);
        menu->setProperty("aboutWindow", QVariant::fromValue<QObject*>(nullptr));
        ResponsiveMenuController c(false, "Pelorin", menu.get(), &engine, true);
        vand::test::QmlWarningGuard guard;
        QVERIFY(QMetaObject::invokeMethod(menu.get(), "aboutClicked"));
        QVERIFY(guard.warnings().isEmpty());
    }

    void undoRedoStateReachesTheMenu_data()
    {
        QTest::addColumn<bool>("canUndo");
        QTest::addColumn<bool>("canRedo");
        QTest::addColumn<bool>("canSave");
        QTest::addColumn<bool>("canShare");
        QTest::newRow("undo and save") << true << false << true << false;
        QTest::newRow("redo and share") << false << true << false << true;
        QTest::newRow("all") << true << true << true << true;
        QTest::newRow("none") << false << false << false << false;
    }
    void undoRedoStateReachesTheMenu()
    {
        QFETCH(bool, canUndo);
        QFETCH(bool, canRedo);
        QFETCH(bool, canSave);
        QFETCH(bool, canShare);
        auto menu = makeMenu();
        QVERIFY(menu);
        ResponsiveMenuController c(false, "Pelorin", menu.get(), &engine, true);
        c.UpdateUndoRedoState(!canUndo, !canRedo, !canSave, !canShare);
        c.UpdateUndoRedoState(canUndo, canRedo, canSave, canShare);
        QCOMPARE(menu->property("canUndo").toBool(), canUndo);
        QCOMPARE(menu->property("canRedo").toBool(), canRedo);
        QCOMPARE(menu->property("canSave").toBool(), canSave);
        QCOMPARE(menu->property("canShare").toBool(), canShare);
        QCOMPARE(menu->property("canDelete").toBool(), true);
    }

    void deletingTheControllerLeavesTheMenuAlone()
    {
        auto menu = makeMenu();
        QVERIFY(menu);
        QPointer<QObject> watched = menu.get();
        {
            ResponsiveMenuController c(false, "Pelorin", menu.get(), &engine, true);
        }
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(!watched.isNull());
        // Its signals no longer reach a controller.
        QVERIFY(QMetaObject::invokeMethod(menu.get(), "undo"));
    }

    void withoutAMenuItemNothingHappens()
    {
        ResponsiveMenuController c(true, "Pelorin", nullptr, &engine, true);
        c.UpdateUndoRedoState(true, true, true, true);
        c.AboutClicked_();
        QVERIFY(!c.GetQmlObject());
    }
};

QTEST_MAIN(TestResponsiveMenuController)
#include "tst_responsivemenucontroller.moc"
