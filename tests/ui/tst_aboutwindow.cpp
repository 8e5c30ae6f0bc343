// About box and acknowledgements window: the About controller fills the item,
// opens one acknowledgements window per click and replaces the previous one.
#include <QFile>
#include <QPointer>
#include <QQmlComponent>
#include <QQmlEngine>
#include <QQuickItem>
#include <QQuickWindow>
#include <QTest>
#include <memory>

#include "QmlWarningGuard.h"
#include "ui/AboutWindowController.h"
#include "ui/AcknowledgementsWindowController.h"
#include "ui/QmlEngineSetup.h"

namespace {
const QString kAcknowledgements =
    QStringLiteral(":/qt/qml/com/tarnwick/pelorin2_ui/resources/text/acknowledgements.txt");
}

class TestAboutWindow : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { vand::qt::PrepareQmlEngine(engine); }

    void init()
    {
        QQmlComponent component(&engine);
        component.setData("import QtQuick\nimport com.tarnwick.vand_ui\n"
                          "Window { width: 800; height: 600; visible: true\n"
                          " AboutWindow { objectName: \"about\" } }\n",
                          QUrl("qrc:/test/AboutHost.qml"));
        QVERIFY2(component.isReady(), qPrintable(component.errorString()));
        host.reset(qobject_cast<QQuickWindow*>(component.create()));
        QVERIFY(host);
        about = host->findChild<QQuickItem*>("about");
        QVERIFY(about);
        QVERIFY(QTest::qWaitForWindowExposed(host.get()));
    }

    void cleanup()
    {
        host.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    void defaultVersionText()
    {
        openBox();
        QCOMPARE(text("versionText"), QStringLiteral("Version See Installation File for Version Info"));
        QCOMPARE(text("versionIdentifierText"), QString());
    }

    void controllerFillsTheItem()
    {
        vand::test::QmlWarningGuard guard;
        vand::qt::AboutWindowController controller(about, &engine, "2.15.1", "qrc:/images/info_icon.svg",
                                                   kAcknowledgements, "");
        QCOMPARE(controller.GetQmlObject(), about);
        QCOMPARE(about->property("logoSource").toUrl(), QUrl("qrc:/images/info_icon.svg"));
        QVERIFY(!controller.GetAcknowledgementsWindow());

        // What the controller set before the box was first built shows in it.
        openBox();
        QCOMPARE(text("versionText"), QStringLiteral("Version 2.15.1"));
        QCOMPARE(text("versionIdentifierText"), QString());
        auto* logo = about->findChild<QObject*>("logo");
        QVERIFY(logo);
        QCOMPARE(logo->property("source").toUrl(), QUrl("qrc:/images/info_icon.svg"));
        QTRY_COMPARE(logo->property("status").toInt(), 1); // Image.Ready
        QVERIFY2(guard.warnings().isEmpty(), qPrintable(guard.warnings().join('\n')));
    }

    // The box and its logo are built when it first opens, not with the item.
    void boxIsBuiltOnFirstOpen()
    {
        about->setProperty("logoSource", QUrl("qrc:/images/info_icon.svg"));
        QVERIFY(!about->findChild<QObject*>("aboutPopup"));
        QVERIFY(!about->findChild<QObject*>("logo"));
        openBox();
        QVERIFY(about->findChild<QObject*>("logo"));
    }

    void escapeClosesTheBox()
    {
        QMetaObject::invokeMethod(about, "open");
        auto* popup = about->findChild<QObject*>("aboutPopup");
        QTRY_VERIFY(popup->property("opened").toBool());
        host->requestActivate();
        QVERIFY(QTest::qWaitForWindowActive(host.get()));
        QTest::keyClick(host.get(), Qt::Key_Escape);
        QTRY_VERIFY(!popup->property("visible").toBool());
        // Opening again shows the same box.
        QMetaObject::invokeMethod(about, "open");
        QTRY_VERIFY(popup->property("opened").toBool());
    }

    void boxLayout()
    {
        QMetaObject::invokeMethod(about, "open");
        auto* popup = about->findChild<QObject*>("aboutPopup");
        QTRY_VERIFY(popup->property("opened").toBool());
        auto* button = about->findChild<QQuickItem*>("acknowledgementsButton");
        QVERIFY(button);
        QQuickItem* row = button->parentItem();
        QQuickItem* column = row->parentItem();
        QCOMPARE(popup->property("width").toReal(), 525.0);
        QCOMPARE(row->property("spacing").toReal(), 15.0);
        // The margin under the buttons is a quarter of the buttons' row, not
        // of the row with that margin added (which never settles there).
        const auto padding = [row] { return row->property("bottomPadding").toReal(); };
        QTRY_VERIFY(padding() > 0 && qFuzzyCompare(row->implicitHeight() - padding(), 4 * padding()));
        QCOMPARE(button->implicitHeight(), 25.0);
        QCOMPARE(padding(), 25.0 / 4);
        QTRY_COMPARE(popup->property("height").toReal(), column->height() + 60);
    }

    void acknowledgementsShowTheResourceText()
    {
        vand::test::QmlWarningGuard guard;
        vand::qt::AboutWindowController controller(about, &engine, "2.15.1", "", kAcknowledgements, "");
        QMetaObject::invokeMethod(about, "acknowledgementsClicked");
        auto* acknowledgements = controller.GetAcknowledgementsWindow();
        QVERIFY(acknowledgements);
        auto* window = qobject_cast<QQuickWindow*>(acknowledgements->GetQmlObject());
        QVERIFY(window);
        QVERIFY(window->isVisible());
        QCOMPARE(window->modality(), Qt::ApplicationModal);

        QFile file(kAcknowledgements);
        QVERIFY(file.open(QIODevice::ReadOnly | QIODevice::Text));
        const QString expected = QString::fromUtf8(file.readAll());
        QVERIFY(expected.startsWith(QStringLiteral("Qt\n")));
        QVERIFY(expected.contains(QStringLiteral("\nRapidJSON\n")));
        QCOMPARE(window->property("acknowledgementText").toString(), expected);
        QVERIFY(QTest::qWaitForWindowExposed(window));
        QVERIFY2(guard.warnings().isEmpty(), qPrintable(guard.warnings().join('\n')));
    }

    void missingFileShowsTheErrorSentence()
    {
        vand::qt::AcknowledgementsWindowController controller(about, &engine, ":/no/such/acknowledgements.txt");
        QVERIFY(controller.GetQmlObject());
        QCOMPARE(controller.GetQmlObject()->property("acknowledgementText").toString(),
                 QStringLiteral("Error: Unable to Load Acknowledgements."));
    }

    void secondClickReplacesTheWindow()
    {
        vand::qt::AboutWindowController controller(about, &engine, "1.0.0", "", kAcknowledgements, "");
        QMetaObject::invokeMethod(about, "acknowledgementsClicked");
        QPointer<QObject> first = controller.GetAcknowledgementsWindow()->GetQmlObject();
        QVERIFY(first);
        QMetaObject::invokeMethod(first.data(), "close");

        QMetaObject::invokeMethod(about, "acknowledgementsClicked");
        QPointer<QObject> second = controller.GetAcknowledgementsWindow()->GetQmlObject();
        QVERIFY(second);
        QVERIFY(second != first);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(first.isNull());
        QVERIFY(!second.isNull());
        QCOMPARE(about->findChildren<QQuickWindow*>().size(), 1);
    }

private:
    void openBox()
    {
        QMetaObject::invokeMethod(about, "open");
        auto* popup = about->findChild<QObject*>("aboutPopup");
        QVERIFY(popup);
        QTRY_VERIFY(popup->property("opened").toBool());
    }

    QString text(const char* name) const
    {
        auto* item = about->findChild<QObject*>(name);
        return item ? item->property("text").toString() : QStringLiteral("<missing %1>").arg(name);
    }

    QQmlEngine engine;
    std::unique_ptr<QQuickWindow> host;
    QQuickItem* about = nullptr;
};

QTEST_MAIN(TestAboutWindow)
#include "tst_aboutwindow.moc"
