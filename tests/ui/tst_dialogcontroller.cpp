#include "StreamCapture.h"
#include <QHash>
#include <QPointer>
#include <QQmlEngine>
#include <QQuickItem>
#include <QQuickWindow>
#include <QSignalSpy>
#include <QTest>
#include <iostream>
#include <memory>
#include <sstream>

#include "QmlWarningGuard.h"
#include "ui/DialogController.h"
#include "ui/DialogSettings.h"
#include "ui/QmlEngineSetup.h"

using vand::qt::DialogController;

namespace {
const char* kName = "ClickToolNotification";

// The "Do not show again" answers in memory, with the writes counted.
class MemoryDialogSettings : public vand::qt::DialogSettings
{
public:
    bool GetShowDialog(const QString& name) override { return answers.value(name, true); }
    void SetShowDialog(const QString& name, bool show) override
    {
        answers[name] = show;
        ++writes;
    }

    QHash<QString, bool> answers;
    int writes = 0;
};
} // namespace

class TestDialogController : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { vand::qt::PrepareQmlEngine(engine); }

    void kinds_data()
    {
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("type");
        QTest::addColumn<QString>("icon");
        QTest::addColumn<QColor>("colour");
        QTest::newRow("0 error") << 0 << "error"
                                 << "qrc:/images/error_icon.svg" << QColor("#FF5757");
        QTest::newRow("1 warning") << 1 << "warning"
                                   << "qrc:/images/warning_icon.svg" << QColor("#FFC400");
        QTest::newRow("2 info") << 2 << "info"
                                << "qrc:/images/info_icon.svg" << QColor("#00AEEF");
        QTest::newRow("7 info") << 7 << "info"
                                << "qrc:/images/info_icon.svg" << QColor("#00AEEF");
    }
    void kinds()
    {
        QFETCH(int, code);
        QFETCH(QString, type);
        QFETCH(QString, icon);
        QFETCH(QColor, colour);

        vand::test::QmlWarningGuard guard;
        DialogController c("Ünïcode message", "Save Complete", code, nullptr, &engine);
        QObject* window = c.GetQmlObject();
        QVERIFY(window);
        QCOMPARE(window->property("type").toString(), type);
        QCOMPARE(window->property("title").toString(), QString("Save Complete"));
        QCOMPARE(window->property("text").toString(), QString::fromUtf8("Ünïcode message"));
        QVERIFY(window->property("visible").toBool());
        QVERIFY(!window->property("showCheckbox").toBool());
        QCOMPARE(child(window, "icon")->property("source").toUrl(), QUrl(icon));
        QCOMPARE(child(window, "iconOverlay")->property("color").value<QColor>(), colour);
        QVERIFY2(guard.warnings().isEmpty(), qPrintable(guard.warnings().join('\n')));
    }

    // The comparison is made on the upper-cased type; an unknown kind shows no icon.
    void typeLetterCase_data()
    {
        QTest::addColumn<QString>("type");
        QTest::addColumn<QString>("icon");
        QTest::addColumn<QColor>("colour");
        QTest::newRow("Error") << "Error"
                               << "qrc:/images/error_icon.svg" << QColor("#FF5757");
        QTest::newRow("ERROR") << "ERROR"
                               << "qrc:/images/error_icon.svg" << QColor("#FF5757");
        QTest::newRow("wArNiNg") << "wArNiNg"
                                 << "qrc:/images/warning_icon.svg" << QColor("#FFC400");
        QTest::newRow("notice") << "notice"
                                << "" << QColor("silver");
    }
    void typeLetterCase()
    {
        QFETCH(QString, type);
        QFETCH(QString, icon);
        QFETCH(QColor, colour);
        DialogController c("m", "t", 0, nullptr, &engine);
        QObject* window = c.GetQmlObject();
        window->setProperty("type", type);
        QCOMPARE(child(window, "icon")->property("source").toUrl(), QUrl(icon));
        QCOMPARE(child(window, "iconOverlay")->property("color").value<QColor>(), colour);
    }

    void suppression_data()
    {
        QTest::addColumn<bool>("withSettings");
        QTest::addColumn<QString>("stored"); // "" = no answer stored
        QTest::addColumn<bool>("shown");
        QTest::newRow("no settings") << false << "" << true;
        QTest::newRow("no answer") << true << "" << true;
        QTest::newRow("show") << true << "show" << true;
        QTest::newRow("do not show") << true << "hide" << false;
        QTest::newRow("another dialog hidden") << true << "other" << true;
    }
    void suppression()
    {
        QFETCH(bool, withSettings);
        QFETCH(QString, stored);
        QFETCH(bool, shown);
        std::shared_ptr<MemoryDialogSettings> settings;
        if (withSettings) {
            settings = std::make_shared<MemoryDialogSettings>();
            if (stored == QLatin1String("other"))
                settings->answers[QStringLiteral("OtherNotice")] = false;
            else if (!stored.isEmpty())
                settings->answers[kName] = stored == QLatin1String("show");
        }
        DialogController c("msg", "About Click", 2, nullptr, &engine, settings, true, kName);
        QObject* window = c.GetQmlObject();
        QVERIFY(window);
        QCOMPARE(window->property("visible").toBool(), shown);
        QCOMPARE(window->property("showCheckbox").toBool(), shown);
        if (settings)
            QCOMPARE(settings->writes, 0);
    }

    void tickAndReturnStoresFalse()
    {
        auto settings = std::make_shared<MemoryDialogSettings>();
        DialogController c("msg", "About Click", 2, nullptr, &engine, settings, true, kName);
        auto* window = qobject_cast<QQuickWindow*>(c.GetQmlObject());
        QVERIFY(window);
        QVERIFY(activate(window));
        QSignalSpy accepted(window, SIGNAL(accepted()));
        QSignalSpy confirmed(window, SIGNAL(checkboxConfirmed()));
        QVERIFY(child(window, "checkbox")->property("visible").toBool());
        child(window, "checkbox")->setProperty("checked", true);

        QTest::keyClick(window, Qt::Key_Return);
        QCOMPARE(accepted.count(), 1);
        QCOMPARE(confirmed.count(), 1);
        QVERIFY(!window->isVisible());
        QCOMPARE(settings->answers, (QHash<QString, bool>{{kName, false}}));
        QCOMPARE(settings->writes, 1);

        // The next notice of that name stays hidden.
        DialogController again("msg", "About Click", 2, nullptr, &engine, settings, true, kName);
        QVERIFY(!again.GetQmlObject()->property("visible").toBool());
    }

    void untickedOkStoresNothing()
    {
        auto settings = std::make_shared<MemoryDialogSettings>();
        DialogController c("msg", "About Click", 2, nullptr, &engine, settings, true, kName);
        auto* window = qobject_cast<QQuickWindow*>(c.GetQmlObject());
        QSignalSpy confirmed(window, SIGNAL(checkboxConfirmed()));
        QMetaObject::invokeMethod(child(window, "okButton"), "clicked");
        QCOMPARE(confirmed.count(), 0);
        QVERIFY(!window->isVisible());
        QCOMPARE(settings->writes, 0);
    }

    void titleBarCloseStoresNothing()
    {
        auto settings = std::make_shared<MemoryDialogSettings>();
        DialogController c("msg", "About Click", 2, nullptr, &engine, settings, true, kName);
        auto* window = qobject_cast<QQuickWindow*>(c.GetQmlObject());
        QVERIFY(window);
        QVERIFY(QTest::qWaitForWindowExposed(window));
        QSignalSpy accepted(window, SIGNAL(accepted()));
        QSignalSpy confirmed(window, SIGNAL(checkboxConfirmed()));
        child(window, "checkbox")->setProperty("checked", true);

        QVERIFY(window->close());
        QVERIFY(!window->isVisible());
        QCOMPARE(accepted.count(), 0);
        QCOMPARE(confirmed.count(), 0);
        QCOMPARE(settings->writes, 0);
    }

    void confirmingKeys_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<bool>("focusOnCheckbox");
        QTest::newRow("Escape") << int(Qt::Key_Escape) << false;
        QTest::newRow("Return") << int(Qt::Key_Return) << false;
        QTest::newRow("Enter") << int(Qt::Key_Enter) << false;
        QTest::newRow("Escape, check box focused") << int(Qt::Key_Escape) << true;
        QTest::newRow("Return, check box focused") << int(Qt::Key_Return) << true;
    }
    void confirmingKeys()
    {
        QFETCH(int, key);
        QFETCH(bool, focusOnCheckbox);
        DialogController c("msg", "About Click", 2, nullptr, &engine, std::make_shared<MemoryDialogSettings>(), true,
                           kName);
        auto* window = qobject_cast<QQuickWindow*>(c.GetQmlObject());
        QVERIFY(activate(window));
        if (focusOnCheckbox) {
            QTest::keyClick(window, Qt::Key_Tab);
            QVERIFY(child(window, "checkbox")->property("activeFocus").toBool());
        }
        QSignalSpy accepted(window, SIGNAL(accepted()));
        QSignalSpy confirmed(window, SIGNAL(checkboxConfirmed()));
        QTest::keyClick(window, Qt::Key(key));
        QCOMPARE(accepted.count(), 1);
        QCOMPARE(confirmed.count(), 0);
        QVERIFY(!window->isVisible());
    }

    void tabMovesBetweenCheckboxAndOk()
    {
        DialogController c("msg", "About Click", 2, nullptr, &engine, std::make_shared<MemoryDialogSettings>(), true,
                           kName);
        auto* window = qobject_cast<QQuickWindow*>(c.GetQmlObject());
        QVERIFY(activate(window));
        QObject* box = child(window, "checkbox");
        QObject* ok = child(window, "okButton");
        QTest::keyClick(window, Qt::Key_Tab);
        QVERIFY(box->property("activeFocus").toBool());
        QTest::keyClick(window, Qt::Key_Tab);
        QVERIFY(ok->property("activeFocus").toBool());
        QTest::keyClick(window, Qt::Key_Tab);
        QVERIFY(box->property("activeFocus").toBool());
    }

    void fixedWidthGrowsInHeight()
    {
        DialogController shortOne("Short.", "Title", 0, nullptr, &engine);
        DialogController longOne(std::string(40, 'x') + " " + std::string(600, 'y'), "Title", 0, nullptr, &engine);
        auto* a = qobject_cast<QQuickWindow*>(shortOne.GetQmlObject());
        auto* b = qobject_cast<QQuickWindow*>(longOne.GetQmlObject());
        QCOMPARE(a->width(), 325);
        QCOMPARE(b->width(), 325);
        QCOMPARE(b->maximumWidth(), 325);
        QCOMPARE(b->minimumWidth(), 325);
        QVERIFY(b->height() > a->height());
        QCOMPARE(b->minimumHeight(), b->maximumHeight());
        QCOMPARE(b->height(), b->maximumHeight());
        QCOMPARE(b->modality(), Qt::ApplicationModal);
        QVERIFY(b->flags() & Qt::WindowCloseButtonHint);
        QVERIFY(!(b->flags() & Qt::WindowMinimizeButtonHint));
    }

    void parentMakesTransientWindow()
    {
        QQuickWindow mainWindow;
        DialogController c("m", "t", 0, &mainWindow, &engine);
        auto* window = qobject_cast<QQuickWindow*>(c.GetQmlObject());
        QVERIFY(window);
        QCOMPARE(window->transientParent(), &mainWindow);
    }

    void replacingControllerRemovesOpenWindow()
    {
        auto first = std::make_unique<DialogController>("one", "t", 0, nullptr, &engine);
        QPointer<QObject> firstWindow = first->GetQmlObject();
        first = std::make_unique<DialogController>("two", "t", 0, nullptr, &engine);
        QTRY_VERIFY(firstWindow.isNull());
        QVERIFY(first->GetQmlObject()->property("visible").toBool());
    }

    // A dialog that cannot be built reports on the standard error stream and
    // throws nothing into the caller.
    void brokenDialogDoesNotThrow()
    {
        QQmlEngine bare;
        bare.setImportPathList({}); // no QtQuick: the window cannot be built
        vand::test::StreamCapture captured(std::cerr);
        bool threw = false;
        try {
            DialogController c("Disk full", "Save Failed", 0, nullptr, &bare);
            QVERIFY(!c.GetQmlObject());
        } catch (...) {
            threw = true;
        }
        QVERIFY(!threw);
        QVERIFY2(captured.text().find("Save Failed: Disk full") != std::string::npos, captured.text().c_str());
    }

private:
    static QObject* child(QObject* window, const char* name)
    {
        QObject* found = window->findChild<QObject*>(QString::fromLatin1(name));
        if (!found) {
            if (auto* w = qobject_cast<QQuickWindow*>(window))
                found = w->contentItem()->findChild<QObject*>(QString::fromLatin1(name));
        }
        return found;
    }

    static bool activate(QQuickWindow* window)
    {
        window->requestActivate();
        return QTest::qWaitForWindowActive(window);
    }

    QQmlEngine engine;
};

QTEST_MAIN(TestDialogController)
#include "tst_dialogcontroller.moc"
