#include <QDir>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

#include "app/AppSettings.h"

using vand::AppSettings;

class TestAppSettings : public QObject
{
    Q_OBJECT
private:
    std::unique_ptr<QTemporaryDir> dir;
    QString path;

    std::unique_ptr<AppSettings> Open(const QString& file)
    {
        return std::make_unique<AppSettings>(std::make_unique<QSettings>(file, QSettings::IniFormat));
    }
    std::unique_ptr<AppSettings> Open() { return Open(path); }

    void WriteFile(const QByteArray& text)
    {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(text);
    }

    QVariant Stored(const QString& key)
    {
        QSettings raw(path, QSettings::IniFormat);
        return raw.value(key);
    }

private slots:
    void init()
    {
        dir = std::make_unique<QTemporaryDir>();
        QVERIFY(dir->isValid());
        path = dir->filePath("general_settings.vand");
    }

    void freshObjectHoldsDefaultsWithoutReading()
    {
        WriteFile("[General]\ndefaultVolume=0.25\ndefaultOutputDeviceString=dev\n");
        auto settings = Open();
        QCOMPARE(settings->GetDefaultVolume(), 1.0);
        QCOMPARE(settings->GetDefaultOutputDeviceString(), QString());
        QCOMPARE(settings->currentMidiSourceName, QString());
    }

    void saveThenLoadRoundTrips()
    {
        {
            auto settings = Open();
            settings->SetDefaultVolume(0.375);
            settings->SetDefaultOutputDeviceString(QString::fromUtf8("alsa_output.pci-0000 \"Stéréo\", front"));
            settings->currentMidiSourceName = "Port 1: Keys";
            QVERIFY(settings->Save());
        }
        QVERIFY(QFile::exists(path));
        auto loaded = Open();
        QVERIFY(loaded->Load());
        QCOMPARE(loaded->GetDefaultVolume(), 0.375);
        QCOMPARE(loaded->GetDefaultOutputDeviceString(), QString::fromUtf8("alsa_output.pci-0000 \"Stéréo\", front"));
        QCOMPARE(loaded->currentMidiSourceName, QString("Port 1: Keys"));
        QCOMPARE(Stored("clickVolumeLinear").toDouble(), 1.0);
    }

    void saveWritesTheFileWithoutWaitingForTheStore()
    {
        auto settings = Open();
        settings->SetDefaultVolume(0.5);
        QVERIFY(settings->Save());
        // The store is still alive: the values are on disk already (read the
        // bytes; another QSettings in this process would share the cache).
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray text = file.readAll();
        for (const char* line : {"defaultVolume=0.5\n", "defaultOutputDeviceString=\n", "clickVolumeLinear=1\n",
                                 "currentMidiSourceName=\n"})
            QVERIFY2(text.contains(line), text.constData());
    }

    void loadOfFileWithOnlyDialogsGivesDefaults()
    {
        WriteFile("[Dialogs]\nClickToolNotification=false\n");
        auto settings = Open();
        settings->SetDefaultVolume(0.1);
        settings->SetDefaultOutputDeviceString("old");
        settings->currentMidiSourceName = "old";
        QVERIFY(settings->Load());
        QCOMPARE(settings->GetDefaultVolume(), 1.0);
        QCOMPARE(settings->GetDefaultOutputDeviceString(), QString());
        QCOMPARE(settings->currentMidiSourceName, QString());
        QVERIFY(!settings->GetShowDialog("ClickToolNotification"));
    }

    void loadOfStoredValues_data()
    {
        QTest::addColumn<QByteArray>("volumeText");
        QTest::addColumn<double>("volume");
        QTest::newRow("plain") << QByteArray("0.25") << 0.25;
        QTest::newRow("zero") << QByteArray("0") << 0.0;
        QTest::newRow("above one") << QByteArray("1.5") << 1.5;
        QTest::newRow("exponent") << QByteArray("2.5e-1") << 0.25;
        QTest::newRow("text") << QByteArray("loud") << 1.0;
        QTest::newRow("empty") << QByteArray("") << 1.0;
        QTest::newRow("trailing junk") << QByteArray("0.5dB") << 1.0;
        QTest::newRow("nan") << QByteArray("nan") << 1.0;
        QTest::newRow("infinite") << QByteArray("inf") << 1.0;
        QTest::newRow("list") << QByteArray("0.5, 0.7") << 1.0;
    }
    void loadOfStoredValues()
    {
        QFETCH(QByteArray, volumeText);
        QFETCH(double, volume);
        WriteFile("[General]\ndefaultVolume=" + volumeText + "\nclickVolumeLinear=" + volumeText
                  + "\ndefaultOutputDeviceString=hw:2\ncurrentMidiSourceName=Pads\n");
        auto settings = Open();
        QVERIFY(settings->Load());
        QCOMPARE(settings->GetDefaultVolume(), volume);
        QCOMPARE(settings->GetDefaultOutputDeviceString(), QString("hw:2"));
        QCOMPARE(settings->currentMidiSourceName, QString("Pads"));
        // The click volume is only carried along; Save shows what Load made of it.
        QVERIFY(settings->Save());
        QCOMPARE(Stored("clickVolumeLinear").toDouble(), volume);
    }

    void saveKeepsClickVolumeFromFile()
    {
        WriteFile("[General]\nclickVolumeLinear=0.3\ndefaultVolume=0.9\n");
        auto settings = Open();
        QVERIFY(settings->Load());
        settings->SetDefaultVolume(0.6);
        QVERIFY(settings->Save());
        QCOMPARE(Stored("clickVolumeLinear").toDouble(), 0.3);
        QCOMPARE(Stored("defaultVolume").toDouble(), 0.6);
    }

    void showDialogChoice_data()
    {
        QTest::addColumn<QByteArray>("entry");
        QTest::addColumn<bool>("show");
        QTest::newRow("true") << QByteArray("Notice=true") << true;
        QTest::newRow("false") << QByteArray("Notice=false") << false;
        QTest::newRow("FALSE") << QByteArray("Notice=FALSE") << false;
        QTest::newRow("0") << QByteArray("Notice=0") << false;
        QTest::newRow("1") << QByteArray("Notice=1") << true;
        QTest::newRow("yes") << QByteArray("Notice=yes") << true;
        QTest::newRow("no") << QByteArray("Notice=no") << true;
        QTest::newRow("list, first counts") << QByteArray("Notice=false, true") << false;
        QTest::newRow("missing") << QByteArray("Other=false") << true;
        QTest::newRow("outside the group") << QByteArray("") << true;
    }
    void showDialogChoice()
    {
        QFETCH(QByteArray, entry);
        QFETCH(bool, show);
        WriteFile("[General]\nNotice=false\n[Dialogs]\n" + entry + "\n");
        auto settings = Open();
        QCOMPARE(settings->GetShowDialog("Notice"), show);
    }

    void setShowDialogIsRememberedInTheFile()
    {
        {
            auto settings = Open();
            QVERIFY(settings->GetShowDialog("ClickToolNotification"));
            settings->SetShowDialog("ClickToolNotification", false);
            QVERIFY(!settings->GetShowDialog("ClickToolNotification"));
            QVERIFY(settings->GetShowDialog("SomethingElse"));
        }
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray text = file.readAll();
        QVERIFY2(text.contains("[Dialogs]\nClickToolNotification=false\n"), text.constData());

        auto reopened = Open();
        QVERIFY(!reopened->GetShowDialog("ClickToolNotification"));
        reopened->SetShowDialog("ClickToolNotification", true);
        QVERIFY(reopened->GetShowDialog("ClickToolNotification"));
        // The dialog group does not leak into the top-level keys.
        QVERIFY(reopened->Save());
        QVERIFY(Stored("defaultVolume").isValid());
        QVERIFY(!Stored("Dialogs/defaultVolume").isValid());
    }

    void storeErrorsAreReported()
    {
        // A folder where the file should be: the store can neither read nor write it.
        QVERIFY(QDir(dir->path()).mkdir("general_settings.vand"));
        auto settings = Open();
        QVERIFY(!settings->Load());
        QCOMPARE(settings->GetDefaultVolume(), 1.0);
        QVERIFY(!settings->Save());
    }

    void saveIntoMissingParentThatCannotBeMadeFails()
    {
        QFile blocker(dir->filePath("blocker"));
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        auto settings = Open(dir->filePath("blocker/general_settings.vand"));
        QVERIFY(!settings->Save());
    }
};

QTEST_GUILESS_MAIN(TestAppSettings)
#include "tst_appsettings.moc"
