// Builds every component of the library inside a window that declares
// `VandTheme { id: theme }`, renders it once, and fails on any QML warning.
// Add a row to components_data() for each new component.
#include <QQmlComponent>
#include <QQmlEngine>
#include <QQuickWindow>
#include <QTest>
#include <memory>

#include "QmlWarningGuard.h"
#include "ui/QmlEngineSetup.h"

class TestComponentsSmoke : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { vand::qt::PrepareQmlEngine(engine); }

    void components_data()
    {
        QTest::addColumn<QString>("type");
        QTest::addColumn<QString>("properties"); // QML put inside the instance

        QTest::newRow("VandTheme") << "VandTheme" << "";
        QTest::newRow("VandToolTip") << "VandToolTip" << "text: \"Hint\"; visible: true";
        QTest::newRow("FocusHighlight") << "FocusHighlight" << "width: 40; height: 20";
        QTest::newRow("FlatButton") << "FlatButton" << "text: \"OK\"; isDefault: true";
        QTest::newRow("FlatButton tooltip") << "FlatButton" << "text: \"Go\"; toolTip.text: \"Tip\"; focus: true";
        QTest::newRow("FlatButton disabled") << "FlatButton" << "text: \"\"; enabled: false";
        QTest::newRow("CustomCheckbox") << "CustomCheckbox" << "checkboxTextStr: \"Loop\"; checked: true; focus: true";
        QTest::newRow("BasicBevel") << "Rectangle" << "width: 50; height: 20; color: \"gray\"; BasicBevel {}";
        QTest::newRow("CustomBevel") << "Rectangle" << "width: 50; height: 20; color: \"gray\"; CustomBevel { bgvisible: true }";
        QTest::newRow("RecessedBevel") << "Rectangle" << "width: 50; height: 20; color: \"gray\"; RecessedBevel { bevel_width: 3 }";
        QTest::newRow("bevel without colour") << "Item" << "width: 50; height: 20; BasicBevel {}";
        QTest::newRow("FlatDialogWindow") << "FlatDialogWindow"
            << "title: \"Title\"; text: \"Message\"; type: \"warning\"; showCheckbox: true; visible: true";
        QTest::newRow("FlatDialogWindow unknown kind") << "FlatDialogWindow" << "type: \"notice\"; visible: true";
        QTest::newRow("MessageBox") << "MessageBox" << "text: \"line 1\\nline 2\"";
        QTest::newRow("CustomScrollBar") << "CustomScrollBar" << "height: 100; size: 0.5";
        QTest::newRow("CustomScrollBar horizontal") << "CustomScrollBar"
            << "orientation: Qt.Horizontal; width: 200; height: 20; size: 0.3";
        QTest::newRow("CustomTwoColumnListView") << "CustomTwoColumnListView"
            << "width: 200; height: 100; currentIndex: 1; focus: true;"
               " model: ListModel { ListElement { first: \"a\"; second: \"b\" }"
               " ListElement { first: \"c\"; second: \"d\" } }";
        QTest::newRow("CustomTwoColumnListView empty") << "CustomTwoColumnListView" << "width: 200; height: 100";
    }

    void components()
    {
        QFETCH(QString, type);
        QFETCH(QString, properties);

        vand::test::QmlWarningGuard guard;
        const QString source = QStringLiteral(
            "import QtQuick\nimport QtQuick.Controls.Basic\nimport QtQuick.Window\n"
            "import com.tarnwick.vand_ui\n"
            "Window {\n width: 400; height: 300; visible: true\n"
            " VandTheme { id: theme }\n"
            " %1 {\n  objectName: \"subject\"\n  %2\n }\n}\n").arg(type, properties);
        QQmlComponent component(&engine);
        component.setData(source.toUtf8(), QUrl("qrc:/smoke/Smoke.qml"));
        QVERIFY2(component.isReady(), qPrintable(component.errorString()));
        std::unique_ptr<QObject> root(component.create());
        QVERIFY2(root, qPrintable(component.errorString()));
        auto* window = qobject_cast<QQuickWindow*>(root.get());
        QVERIFY(window);
        QVERIFY(root->findChild<QObject*>("subject"));
        QVERIFY(QTest::qWaitForWindowExposed(window));
        QVERIFY(!window->grabWindow().isNull()); // render at least one frame
        QCoreApplication::processEvents();
        QVERIFY2(guard.warnings().isEmpty(), qPrintable(guard.warnings().join('\n')));
    }

private:
    QQmlEngine engine;
};

QTEST_MAIN(TestComponentsSmoke)
#include "tst_components_smoke.moc"
