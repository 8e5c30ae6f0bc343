#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include "FileSizeLimit.h"
#include "showcontrol/OscSettings.h"

#include <stdexcept>

using vand::osc::OscSettings;
using vand::test::FileSizeLimit;

namespace {

QByteArray ReadAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(unreadable)");
}

void WriteAll(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(bytes), bytes.size());
}

const OscSettings kBefore(true, 4321);

} // namespace

class TestOscSettings : public QObject
{
    Q_OBJECT
private:
    QTemporaryDir dir;

private slots:
    void init() { QTest::failOnWarning(QRegularExpression(".*")); }

    void defaults()
    {
        const OscSettings settings;
        QCOMPARE(settings.oscEnabled, true);
        QCOMPARE(settings.oscListenPort, 55037);
    }

    // File content → record, loaded over {true, 4321}; a warning when given.
    void load_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<bool>("enabled");
        QTest::addColumn<int>("port");
        QTest::addColumn<QString>("warning");

        QTest::newRow("both fields") << QByteArray(R"({"version":"1.0","oscEnabled":false,"oscListenPort":9000})")
                                     << false << 9000 << "";
        QTest::newRow("lowest and highest port")
            << QByteArray(R"({"version":"1.0","oscEnabled":true,"oscListenPort":1})") << true << 1 << "";
        QTest::newRow("highest port") << QByteArray(R"({"version":"1.0","oscEnabled":true,"oscListenPort":65535})")
                                      << true << 65535 << "";
        QTest::newRow("other version is ignored")
            << QByteArray(R"({"version":"2.0","oscEnabled":false,"oscListenPort":9000})") << true << 4321 << "";
        QTest::newRow("version as a number is ignored")
            << QByteArray(R"({"version":1.0,"oscEnabled":false,"oscListenPort":9000})") << true << 4321 << "";
        QTest::newRow("not JSON") << QByteArray("{\"version\":\"1.0\",") << true << 4321 << "";
        QTest::newRow("empty file") << QByteArray() << true << 4321 << "";
        QTest::newRow("JSON array") << QByteArray(R"(["1.0"])") << true << 4321 << "";
        QTest::newRow("non-boolean enabled reads as off")
            << QByteArray(R"({"version":"1.0","oscEnabled":"yes","oscListenPort":9000})") << false << 9000 << "";
        QTest::newRow("version only") << QByteArray(R"({"version":"1.0"})") << false << 55037
                                      << "Invalid OSC listen port (missing)";
        QTest::newRow("port 0") << QByteArray(R"({"version":"1.0","oscEnabled":true,"oscListenPort":0})") << true
                                << 55037 << "Invalid OSC listen port 0 ";
        QTest::newRow("port 70000") << QByteArray(R"({"version":"1.0","oscEnabled":true,"oscListenPort":70000})")
                                    << true << 55037 << "Invalid OSC listen port 70000 ";
        QTest::newRow("negative port") << QByteArray(R"({"version":"1.0","oscEnabled":true,"oscListenPort":-1})")
                                       << true << 55037 << "Invalid OSC listen port -1 ";
        QTest::newRow("fractional port") << QByteArray(R"({"version":"1.0","oscEnabled":true,"oscListenPort":9000.5})")
                                         << true << 55037 << "Invalid OSC listen port 9000.5 ";
        QTest::newRow("port as text") << QByteArray(R"({"version":"1.0","oscEnabled":true,"oscListenPort":"9000"})")
                                      << true << 55037 << "Invalid OSC listen port \"9000\" ";
        QTest::newRow("whole port written with a fraction")
            << QByteArray(R"({"version":"1.0","oscEnabled":true,"oscListenPort":9000.0})") << true << 9000 << "";
        QTest::newRow("port null") << QByteArray(R"({"version":"1.0","oscEnabled":true,"oscListenPort":null})") << true
                                   << 55037 << "Invalid OSC listen port null ";
        QTest::newRow("port an object") << QByteArray(
            R"({"version":"1.0","oscEnabled":true,"oscListenPort":{"a":[1]}})")
                                        << true << 55037 << "Invalid OSC listen port {\"a\":[1]} ";
        QTest::newRow("port beyond an int")
            << QByteArray(R"({"version":"1.0","oscEnabled":true,"oscListenPort":4294967297})") << true << 55037
            << "Invalid OSC listen port 4294967297 ";
        QTest::newRow("enabled null reads as off")
            << QByteArray(R"({"version":"1.0","oscEnabled":null,"oscListenPort":9000})") << false << 9000 << "";
        // The members are read whatever else the file holds, however deep.
        QTest::newRow("deeply nested other member")
            << QByteArray(R"({"version":"1.0","oscEnabled":false,"oscListenPort":9000,"x":)") + QByteArray(100000, '[')
                   + QByteArray(100000, ']') + "}"
            << false << 9000 << "";
        QTest::newRow("deep nesting cut short")
            << QByteArray(R"({"version":"1.0","x":)") + QByteArray(100000, '[') << true << 4321 << "";
        QTest::newRow("text after the document")
            << QByteArray(R"({"version":"1.0","oscEnabled":false,"oscListenPort":9000} {})") << true << 4321 << "";
    }
    void load()
    {
        QFETCH(QByteArray, content);
        QFETCH(QString, warning);
        const QString path = dir.filePath("osc_settings.vand");
        WriteAll(path, content);

        if (!warning.isEmpty())
            QTest::ignoreMessage(QtWarningMsg,
                                 QRegularExpression("^" + QRegularExpression::escape(warning) + ".*using 55037$"));
        OscSettings settings = kBefore;
        settings.Load(path.toStdString());
        QTEST(settings.oscEnabled, "enabled");
        QTEST(settings.oscListenPort, "port");
    }

    void loadOfMissingFileKeepsTheRecord()
    {
        OscSettings settings = kBefore;
        QTest::ignoreMessage(QtWarningMsg, "Failed to open osc settings file.");
        settings.Load(dir.filePath("absent.vand").toStdString());
        QCOMPARE(settings, kBefore);
    }

    // Files of at most 1 MiB are read; a larger one is not opened.
    void sizeLimit_data()
    {
        QTest::addColumn<int>("size");
        QTest::addColumn<bool>("read");
        QTest::newRow("1 MiB") << 1024 * 1024 << true;
        QTest::newRow("1 MiB and a byte") << 1024 * 1024 + 1 << false;
    }
    void sizeLimit()
    {
        QFETCH(int, size);
        QFETCH(bool, read);
        const QByteArray json(R"({"version":"1.0","oscEnabled":false,"oscListenPort":9000})");
        const QString path = dir.filePath("large.vand");
        WriteAll(path, json + QByteArray(size - json.size(), ' '));
        if (!read)
            QTest::ignoreMessage(QtWarningMsg, "Failed to open osc settings file.");
        OscSettings settings = kBefore;
        settings.Load(path.toStdString());
        QCOMPARE(settings, read ? OscSettings(false, 9000) : kBefore);
    }

    void saveWritesIndentedJson()
    {
        const QString path = dir.filePath("written.vand");
        OscSettings(false, 9000).Save(path.toStdString());
        QCOMPARE(ReadAll(path), QByteArray("{\n"
                                           "    \"oscEnabled\": false,\n"
                                           "    \"oscListenPort\": 9000,\n"
                                           "    \"version\": \"1.0\"\n"
                                           "}\n"));
    }

    void saveThenLoadIntoANewFolder_data()
    {
        QTest::addColumn<bool>("enabled");
        QTest::addColumn<int>("port");
        QTest::newRow("defaults") << true << 55037;
        QTest::newRow("off, port 1") << false << 1;
        QTest::newRow("on, port 65535") << true << 65535;
    }
    void saveThenLoadIntoANewFolder()
    {
        QFETCH(bool, enabled);
        QFETCH(int, port);
        const QString path = dir.filePath(QStringLiteral("new/%1/osc_settings.vand").arg(QTest::currentDataTag()));
        const OscSettings saved(enabled, port);
        saved.Save(path.toStdString());

        OscSettings loaded(!enabled, 4321);
        loaded.Load(path.toStdString());
        QCOMPARE(loaded, saved);
    }

    void saveThrowsWhenTheFolderCannotBeMade()
    {
        const QString blocker = dir.filePath("blocker");
        WriteAll(blocker, "a file where the folder should be");
        QString thrown;
        try {
            OscSettings().Save((blocker + "/sub/osc_settings.vand").toStdString());
        } catch (const std::runtime_error& e) {
            thrown = QString::fromStdString(e.what());
        }
        QCOMPARE(thrown, "Failed to create path for saving osc settings: " + blocker + "/sub");
        QCOMPARE(ReadAll(blocker), QByteArray("a file where the folder should be"));
    }

    // A write that fails half-way (the file-size limit stands in for a full
    // disk) throws and leaves the old file whole.
    void failedWriteKeepsTheOldFile()
    {
        const QString path = dir.filePath("kept.vand");
        OscSettings(false, 9000).Save(path.toStdString());
        const QByteArray before = ReadAll(path);

        QString thrown;
        {
            const FileSizeLimit limit(10);
            QVERIFY(limit.ok());
            try {
                OscSettings(true, 1234).Save(path.toStdString());
            } catch (const std::runtime_error& e) {
                thrown = QString::fromStdString(e.what());
            }
        }
        QVERIFY2(thrown.startsWith("Failed to save osc settings to " + path + ": "), qPrintable(thrown));
        QCOMPARE(ReadAll(path), before);
        QCOMPARE(QDir(dir.path()).entryList({"kept.vand*"}, QDir::Files), QStringList{"kept.vand"});
    }
};

QTEST_GUILESS_MAIN(TestOscSettings)
#include "tst_oscsettings.moc"
