#include <QFile>
#include <QQmlEngine>
#include <QQuickWindow>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

#include "app/AppSettings.h"
#include "ui/DialogController.h"
#include "ui/QmlEngineSetup.h"

using vand::AppSettings;
using vand::qt::DialogController;

namespace {
const char* kName = "ClickToolNotification";
}

// The message dialog keeps its "Do not show again" answer in the application
// settings file, where the next start reads it.
class TestDialogSettings : public QObject
{
    Q_OBJECT
private:
    QTemporaryDir dir;
    QQmlEngine engine;

    QString Path() const { return dir.filePath("general_settings.vand"); }
    std::shared_ptr<AppSettings> Open() const
    {
        return std::make_shared<AppSettings>(std::make_unique<QSettings>(Path(), QSettings::IniFormat));
    }

private slots:
    void initTestCase()
    {
        QVERIFY(dir.isValid());
        vand::qt::PrepareQmlEngine(engine);
    }

    void storedAnswerDecides_data()
    {
        QTest::addColumn<QString>("stored"); // "" = no answer stored
        QTest::addColumn<bool>("shown");
        QTest::newRow("no answer") << "" << true;
        QTest::newRow("true") << "true" << true;
        QTest::newRow("false") << "false" << false;
    }
    void storedAnswerDecides()
    {
        QFETCH(QString, stored);
        QFETCH(bool, shown);
        QFile::remove(Path());
        if (!stored.isEmpty())
            QSettings(Path(), QSettings::IniFormat).setValue(QStringLiteral("Dialogs/") + kName, stored);
        DialogController c("msg", "About Click", 2, nullptr, &engine, Open(), true, kName);
        QVERIFY(c.GetQmlObject());
        QCOMPARE(c.GetQmlObject()->property("visible").toBool(), shown);
    }

    void confirmedAnswerReachesTheFile()
    {
        QFile::remove(Path());
        {
            DialogController c("msg", "About Click", 2, nullptr, &engine, Open(), true, kName);
            auto* window = qobject_cast<QQuickWindow*>(c.GetQmlObject());
            QVERIFY(window);
            QVERIFY(window->isVisible());
            QVERIFY(QMetaObject::invokeMethod(window, "checkboxConfirmed"));
        }
        QCOMPARE(QSettings(Path(), QSettings::IniFormat).value(QStringLiteral("Dialogs/") + kName).toString(),
                 QString("false"));
        DialogController again("msg", "About Click", 2, nullptr, &engine, Open(), true, kName);
        QVERIFY(!again.GetQmlObject()->property("visible").toBool());
    }
};

QTEST_MAIN(TestDialogSettings)
#include "tst_dialogsettings.moc"
