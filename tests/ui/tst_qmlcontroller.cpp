#include <QPointer>
#include <QQmlEngine>
#include <QQuickItem>
#include <QQuickWindow>
#include <QSignalSpy>
#include <QTest>

#include "QmlWarningGuard.h"
#include "ui/QmlController.h"
#include "ui/QmlEngineSetup.h"

using vand::qt::QmlController;

class TestQmlController : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { vand::qt::PrepareQmlEngine(engine); }

    void initialPropertiesHoldBeforeBindings()
    {
        QmlController c(&engine, QUrl("qrc:/fixtures/FlagItem.qml"), nullptr, true, {{"flag", true}});
        QObject* root = c.GetQmlObject();
        QVERIFY(root);
        QCOMPARE(root->property("flagAtCompletion").toBool(), true);
        QCOMPARE(c.GetX(), 10);
        QCOMPARE(c.GetRight(), 30);
        c.SetZ(4);
        QCOMPARE(qobject_cast<QQuickItem*>(root)->z(), 4.0);
    }

    void itemRootBecomesVisualChildOfParent()
    {
        QQuickItem parentItem;
        QmlController c(&engine, QUrl("qrc:/fixtures/FlagItem.qml"), &parentItem, true);
        auto* item = qobject_cast<QQuickItem*>(c.GetQmlObject());
        QVERIFY(item);
        QCOMPARE(item->parentItem(), &parentItem);
        QCOMPARE(item->parent(), &parentItem);
    }

    void windowRootGetsTransientParentOnly()
    {
        QQuickWindow parentWindow;
        QmlController c(&engine, QUrl("qrc:/fixtures/PlainWindow.qml"), &parentWindow, true);
        auto* window = qobject_cast<QQuickWindow*>(c.GetQmlObject());
        QVERIFY(window);
        QCOMPARE(window->transientParent(), &parentWindow);
        QCOMPARE(static_cast<QObject*>(window)->parent(), static_cast<QObject*>(&parentWindow));
    }

    void failedBuildLeavesNullRoot_data()
    {
        QTest::addColumn<QString>("url");
        QTest::newRow("missing") << "qrc:/fixtures/DoesNotExist.qml";
        QTest::newRow("syntax error") << "qrc:/fixtures/Broken.qml";
    }
    void failedBuildLeavesNullRoot()
    {
        QFETCH(QString, url);
        QmlController c(&engine, QUrl(url), nullptr, true);
        QVERIFY(!c.GetQmlObject());
        try {
            c.SetVisible(true);
            QFAIL("SetVisible without a root must throw");
        } catch (const std::runtime_error& e) {
            QCOMPARE(QString(e.what()), QString("Cannot Set QML Object visible. Qml Object is null."));
        }
    }

    void ownedRootIsReleasedOnceLater()
    {
        auto* c = new QmlController(&engine, QUrl("qrc:/fixtures/PlainWindow.qml"), nullptr, true);
        QPointer<QObject> root = c->GetQmlObject();
        QVERIFY(root);
        c->Closing_(nullptr);
        QVERIFY(!c->GetQmlObject());
        QVERIFY(root); // deleted by the event loop, not synchronously
        c->Closing_(nullptr);
        QTRY_VERIFY(root.isNull());
        delete c;
    }

    void destroyingControllerSchedulesRootDeletion()
    {
        auto* c = new QmlController(&engine, QUrl("qrc:/fixtures/FlagItem.qml"), nullptr, true);
        QPointer<QObject> root = c->GetQmlObject();
        delete c;
        QVERIFY(root);
        QTRY_VERIFY(root.isNull());
    }

    void wrappedItemIsNeverReleased()
    {
        QQuickItem item;
        {
            QmlController c(&item, &engine);
            QCOMPARE(c.GetQmlObject(), &item);
            c.Closing_(nullptr);
            QCOMPARE(c.GetQmlObject(), &item);
            c.SetVisible(false);
            QVERIFY(!item.isVisible());
        }
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QCOMPARE(item.parent(), nullptr); // still alive and untouched
    }

    void themeValuesAreReadOnlyAndShared()
    {
        vand::test::QmlWarningGuard guard;
        QQmlComponent component(&engine);
        component.setData("import QtQuick\nimport com.tarnwick.vand_ui\nItem {\n"
                          " VandTheme { id: a }\n VandTheme { id: b }\n"
                          " property bool same: a.default_bg_color === b.default_bg_color"
                          " && a.default_font.pixelSize === 14 && a.bevel_width === 1\n"
                          " property color intense: a.default_selected_color_intense\n}",
                          QUrl("qrc:/fixtures/inline_theme.qml"));
        QVERIFY2(component.isReady(), qPrintable(component.errorString()));
        std::unique_ptr<QObject> obj(component.create());
        QVERIFY2(obj, qPrintable(component.errorString()));
        QVERIFY(obj->property("same").toBool());
        // Qt.lighter(rgb(38,165,222), 0.4) is a dark blue.
        const QColor intense = obj->property("intense").value<QColor>();
        QVERIFY(intense.blue() > intense.red());
        QVERIFY(intense.value() < 128);
        QVERIFY2(guard.warnings().isEmpty(), qPrintable(guard.warnings().join('\n')));
    }

private:
    QQmlEngine engine;
};

QTEST_MAIN(TestQmlController)
#include "tst_qmlcontroller.moc"
