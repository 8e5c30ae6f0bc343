// Pictures of the main window with a show under way, its menu open and the
// jump-to-bar popup, for looking at them, not a check of pixels: writes
// musical_main*.png into the working folder. Labelled "look"; the test script
// leaves it out.
#include <QCoreApplication>
#include <QDir>
#include <QQmlEngine>
#include <QQuickItem>
#include <QQuickWindow>
#include <QTest>
#include <memory>

#include "Grab.h"
#include "app/AppQmlEngineSetup.h"
#include "app/ResponsiveMenuController.h"
#include "ui/QmlController.h"

using vand::qt::ResponsiveMenuController;

class LookMusicalMain : public QObject
{
    Q_OBJECT
private:
    QQmlEngine engine;
    std::unique_ptr<vand::qt::QmlController> view;
    QObject* window = nullptr;

private slots:
    void initTestCase()
    {
        vand::qt::PrepareAppQmlEngine(engine);
        view = std::make_unique<vand::qt::QmlController>(
            &engine, QUrl("qrc:/qt/qml/com/tarnwick/musical_ui/qml/MusicalMain.qml"), nullptr, true,
            QVariantMap{{"showAlbumArtImage", false}, {"showFade", true}});
        window = view->GetQmlObject();
        QVERIFY(window);
    }

    void cleanupTestCase()
    {
        view.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    void grabScreenshot()
    {
        window->setProperty("songTitle", "Overture (Act One)");
        window->setProperty("measure", "12");
        window->setProperty("beat", "3");
        window->setProperty("key", "D major");
        window->setProperty("transpose", "0");
        window->setProperty("tempo", "120");
        window->setProperty("tempoScale", "100%");
        window->setProperty("meter", "4/4");
        window->setProperty("volumeLevelPercent", 0.5);
        window->setProperty("flowControlLabel", "Vamp");
        window->setProperty("flowControlValue", "2");
        window->setProperty("cornerLogoSource", QUrl("qrc:/images/pelorin"));
        window->setProperty("highlightContinueButton", true);
        window->setProperty("showScore", true);
        QVERIFY(QMetaObject::invokeMethod(window, "playStarted"));
        QVERIFY(vand::test::GrabToPng(window, QDir::current().filePath("musical_main.png")));

        // The menu with its Player submenu open, and the jump-to-bar popup.
        auto* quickWindow = qobject_cast<QQuickWindow*>(window);
        QObject* menu = window->property("menu").value<QObject*>();
        ResponsiveMenuController controller(true, "Pelorin", menu, &engine, true);
        controller.UpdateUndoRedoState(true, false, true, false);
        auto* icon = qobject_cast<QQuickItem*>(menu);
        QTest::mouseClick(quickWindow, Qt::LeftButton, {}, icon->mapToScene(QPointF(10, 10)).toPoint());
        QObject* mainMenu = window->findChild<QObject*>("mainMenu");
        QTRY_VERIFY(mainMenu->property("opened").toBool());
        QObject* player = nullptr;
        for (QObject* o : mainMenu->findChildren<QObject*>()) {
            if (o->property("title").toString() == "Player")
                player = o;
        }
        QVERIFY(player);
        QVERIFY(QMetaObject::invokeMethod(player, "open"));
        QTRY_VERIFY(player->property("opened").toBool());
        QVERIFY(vand::test::GrabToPng(window, QDir::current().filePath("musical_main_menu.png")));
        QVERIFY(QMetaObject::invokeMethod(player, "close"));
        QVERIFY(QMetaObject::invokeMethod(mainMenu, "close"));
        QTRY_VERIFY(!mainMenu->property("visible").toBool());

        QVERIFY(QMetaObject::invokeMethod(window, "startJumpToBar"));
        QObject* popup = window->findChild<QObject*>("jumpToBar")->findChild<QObject*>("jumpToBarPopup");
        QTRY_VERIFY(popup->property("opened").toBool());
        QVERIFY(vand::test::GrabToPng(window, QDir::current().filePath("musical_main_jump.png")));
    }
};

QTEST_MAIN(LookMusicalMain)
#include "look_musicalmain.moc"
