#include "StreamCapture.h"
#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QStorageInfo>
#include <QSysInfo>
#include <QTemporaryDir>
#include <QTest>
#include <bit>
#include <iostream>
#include <sstream>
#include <stdexcept>
#include <typeinfo>

#include "app/ErrorLog.h"

namespace {

const QString kSeparator(43, QLatin1Char('-'));

using Capture = vand::test::StreamCapture;

class DiskFull : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

QString ReadAll(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromLocal8Bit(file.readAll());
}

int ReadyVolumeCount()
{
    int count = 0;
    for (const QStorageInfo& volume : QStorageInfo::mountedVolumes())
        if (volume.isValid() && volume.isReady())
            ++count;
    return count;
}

} // namespace

class TestErrorLog : public QObject
{
    Q_OBJECT
private slots:
    void headerLaysOutTheMachine()
    {
        std::ostringstream out;
        {
            Capture err(std::cerr);
            vand::ErrorLog log(out, "Pelorin", "2.15.1 - ");
            QCOMPARE(err.text(), out.str());
        }
        const QString text = QString::fromLocal8Bit(out.str().c_str());
        QVERIFY(text.endsWith(kSeparator + "\n"));
        const QStringList lines = text.split('\n');
        QCOMPARE(lines.last(), QString()); // text ends with a line end

        QCOMPARE(lines.at(0), QString("Tarnwick Error Log"));
        QCOMPARE(lines.at(1), kSeparator);
        QCOMPARE(lines.at(2), QString("Application: Pelorin"));
        QCOMPARE(lines.at(3), QString("Version: 2.15.1 - "));
        QVERIFY2(QRegularExpression(R"(^Log Created on: \w{3} \w{3} [ \d]\d \d\d:\d\d:\d\d \d{4}$)")
                     .match(lines.at(4))
                     .hasMatch(),
                 qPrintable(lines.at(4)));
        QCOMPARE(lines.at(5), kSeparator);
        QCOMPARE(lines.at(6), QString("System Information:"));
        QCOMPARE(lines.at(7), "CPU Architecture: " + QSysInfo::currentCpuArchitecture());
        QCOMPARE(lines.at(8), "Product Type: " + QSysInfo::prettyProductName());
        QCOMPARE(lines.at(9), "Kernel Type: " + QSysInfo::kernelType());
        QCOMPARE(lines.at(10), "Kernel Version: " + QSysInfo::kernelVersion());
        const QByteArray host = QSysInfo::machineHostName().toLocal8Bit();
        QCOMPARE(lines.at(11), "Hashed Machine ID: " + QString::number(vand::Fnv1a64(host.toStdString()), 16));
        QVERIFY(!lines.at(11).contains(QSysInfo::machineHostName()) || host.isEmpty());
        QCOMPARE(lines.at(12), kSeparator);
        QCOMPARE(lines.at(13), QString("Mounted Volumes:"));

        const QStringList volumes = lines.mid(14, lines.size() - 14 - 2);
        QCOMPARE(lines.at(lines.size() - 2), kSeparator);
        if (QStorageInfo::mountedVolumes().isEmpty()) {
            QCOMPARE(volumes, QStringList{"None."});
        } else {
            QCOMPARE(volumes.size(), ReadyVolumeCount());
            const QRegularExpression volumeLine(
                R"(^\tName: .* \tRoot:/\S* \tFileSys:\S* \tDisk Spaces:[0-9.e+-]+GB/[0-9.e+-]+GB$)");
            for (const QString& line : volumes)
                QVERIFY2(volumeLine.match(line).hasMatch(), qPrintable(line));
            // The root volume is always mounted on Linux.
            QVERIFY(volumes.filter("\tRoot:/ ").size() == 1);
        }
    }

    void fnv1a64Vectors_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<quint64>("hash");
        QTest::newRow("empty") << QByteArray("") << Q_UINT64_C(0xcbf29ce484222325);
        QTest::newRow("a") << QByteArray("a") << Q_UINT64_C(0xaf63dc4c8601ec8c);
        QTest::newRow("foobar") << QByteArray("foobar") << Q_UINT64_C(0x85944171f73967e8);
        QTest::newRow("high bytes") << QByteArray("\xff\x80") << Q_UINT64_C(0x0a9a2607b6f6e56a);
    }
    void fnv1a64Vectors()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(quint64, hash);
        QCOMPARE(quint64(vand::Fnv1a64(std::string_view(bytes.constData(), size_t(bytes.size())))), hash);
    }

    void hostsThatDifferInOneLetterGetUnrelatedIds()
    {
        const auto a = vand::Fnv1a64("stage-left");
        const auto b = vand::Fnv1a64("stage-lefu");
        QCOMPARE(vand::Fnv1a64("stage-left"), a);
        QVERIFY(a != b);
        // Many bits change, not only the last ones.
        QVERIFY(std::popcount(a ^ b) > 8);
    }

    void exceptionReport_data()
    {
        QTest::addColumn<QString>("message");
        QTest::addColumn<bool>("custom");
        QTest::newRow("runtime_error") << "Could not open show folder" << false;
        QTest::newRow("empty message") << "" << false;
        QTest::newRow("derived type") << "disk full" << true;
    }
    void exceptionReport()
    {
        QFETCH(QString, message);
        QFETCH(bool, custom);
        std::ostringstream out;
        Capture err(std::cerr);
        vand::ErrorLog log(out, "Pelorin", "2.15.1 - ");
        const std::string header = out.str();

        const std::runtime_error plain(message.toStdString());
        const DiskFull full(message.toStdString());
        const std::exception& thrown = custom ? static_cast<const std::exception&>(full) : plain;
        std::string report;
        {
            Capture console(std::cout);
            log.LogException(thrown);
            report = out.str().substr(header.size());
            QCOMPARE(console.text(), report);
        }
        QCOMPARE(err.text(), header);

        const QRegularExpression layout(
            QString("^(\\d+): An EXCEPTION has been generated by the system.\n"
                    "\tException type: %1\n"
                    "\tException: %2\n\n$")
                .arg(QRegularExpression::escape(typeid(thrown).name()), QRegularExpression::escape(message)));
        QVERIFY2(layout.match(QString::fromStdString(report)).hasMatch(), report.c_str());
        QVERIFY(QString(typeid(thrown).name()).contains(custom ? "DiskFull" : "runtime_error"));
    }

    void logLinesAreTimestamped()
    {
        std::ostringstream out;
        Capture err(std::cerr);
        Capture console(std::cout);
        vand::ErrorLog log(out, "Pelorin", "2.15.1 - ");
        const size_t headerSize = out.str().size();
        log.Log("first");
        log.Log("second");
        const QString lines = QString::fromStdString(out.str().substr(headerSize));
        const auto match = QRegularExpression("^(\\d+): first\n(\\d+): second\n$").match(lines);
        QVERIFY2(match.hasMatch(), qPrintable(lines));
        QVERIFY(match.captured(1).toULongLong() <= match.captured(2).toULongLong());
    }

    void writeErrorLogReplacesTheEarlierLog()
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const std::string folder = QDir::toNativeSeparators(dir.path()).toStdString();
        const QString file = dir.filePath("vand_pelorin_error_log.txt");
        Capture err(std::cerr);
        Capture console(std::cout);

        vand::WriteErrorLog(folder, "Pelorin", "2.15.1 - ", std::runtime_error("first failure"));
        QVERIFY(ReadAll(file).contains("\tException: first failure\n"));

        vand::WriteErrorLog(folder, "Pelorin", "2.15.1 - ", std::logic_error("second failure"));
        const QString text = ReadAll(file);
        QVERIFY(text.startsWith("Tarnwick Error Log\n"));
        QCOMPARE(text.count("Tarnwick Error Log"), 1);
        QVERIFY(!text.contains("first failure"));
        QVERIFY(text.contains("\tException: second failure\n\n"));
        QVERIFY(text.contains("Version: 2.15.1 - \n"));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"vand_pelorin_error_log.txt"});
    }

    void unwritableFolderStillEchoes()
    {
        QTemporaryDir dir;
        QFile blocker(dir.filePath("blocker"));
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        std::string echoed;
        {
            Capture err(std::cerr);
            Capture console(std::cout);
            vand::WriteErrorLog(dir.filePath("blocker").toStdString(), "Pelorin", "2.15.1 - ",
                                std::runtime_error("nowhere to write"));
            echoed = err.text() + console.text();
        }
        QVERIFY(QString::fromStdString(echoed).contains("Tarnwick Error Log\n"));
        QVERIFY(QString::fromStdString(echoed).contains("\tException: nowhere to write\n"));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"blocker"});
    }

    void emptyFolderWritesIntoWorkingFolder()
    {
        QTemporaryDir dir;
        const QString previous = QDir::currentPath();
        QVERIFY(QDir::setCurrent(dir.path()));
        {
            Capture err(std::cerr);
            Capture console(std::cout);
            vand::WriteErrorLog("", "Pelorin", "2.15.1 - ", std::runtime_error("early"));
        }
        QVERIFY(QDir::setCurrent(previous));
        QVERIFY(ReadAll(dir.filePath("vand_pelorin_error_log.txt")).contains("\tException: early\n"));
    }
};

QTEST_GUILESS_MAIN(TestErrorLog)
#include "tst_errorlog.moc"
