// The QLab network patch file: its bytes against a file written from the
// documented layout, and the OSC manager's export into a chosen folder.

#include <QDir>
#include <QFile>
#include <QQmlApplicationEngine>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>

#include <iostream>
#include <memory>
#include <sstream>

#include "../app/AppFixture.h"
#include "FileSizeLimit.h"
#include "StreamCapture.h"
#include "app/AppQmlEngineSetup.h"
#include "showcontrol/OscManagerController.h"
#include "showcontrol/QLabFileWriter.h"

using vand::QLabFileWriter;
using vand::qt::OscManagerController;

namespace {

const QString kFileName = QStringLiteral("qlab_network_patch_definition.qlabnetwork");

// The small demo show's engine, answering with a song list of our choice.
class SongListEngine : public app_test::TestEngine
{
public:
    SongListEngine(const app_test::DataFolder& folder, SongNameMap songs)
        : TestEngine(folder.show.string(), folder.data.string(), std::make_shared<app_test::EngineScript>())
        , songs_(std::move(songs))
    {
    }
    SongNameMap GetSongNamesBySongNumber() const override { return songs_; }

private:
    SongNameMap songs_;
};

QByteArray Golden()
{
    QFile file(QStringLiteral(VAND_TEST_DATA_DIR "/") + kFileName);
    if (!file.open(QIODevice::ReadOnly))
        return "(golden file missing)";
    return file.readAll();
}

QByteArray Written(const std::shared_ptr<Interface>& player)
{
    std::ostringstream out;
    QLabFileWriter(player).WriteQLabNetworkPatch(out);
    return QByteArray::fromStdString(out.str());
}

QByteArray ReadFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(no file)");
}

} // namespace

class TestQLabExport : public QObject
{
    Q_OBJECT
private:
    std::unique_ptr<app_test::DataFolder> folder;
    QQmlApplicationEngine engine;

    std::shared_ptr<Interface> Player(SongNameMap songs)
    {
        return std::make_shared<SongListEngine>(*folder, std::move(songs));
    }

private slots:
    void initTestCase()
    {
        folder = std::make_unique<app_test::DataFolder>();
        vand::qt::PrepareAppQmlEngine(engine);
    }

    // The golden file was written from the documented layout: LF line ends,
    // no line end after the closing brace, songs "2" and "10" (the first in
    // numeric order is "2").
    void documentMatchesTheGoldenFile()
    {
        QCOMPARE(QLabFileWriter::GetFileName(), kFileName.toStdString());
        const QByteArray written = Written(Player({{"2", "Two"}, {"10", "Ten"}}));
        const QByteArray golden = Golden();
        QVERIFY(golden.endsWith("\n}"));
        if (written != golden) {
            const QList<QByteArray> a = written.split('\n');
            const QList<QByteArray> b = golden.split('\n');
            for (qsizetype i = 0; i < std::min(a.size(), b.size()); ++i)
                QCOMPARE(a.at(i), b.at(i));
            QCOMPARE(a.size(), b.size());
        }
        QCOMPARE(written, golden);
    }

    void showWithoutSongsHasAnEmptyDefaultSong()
    {
        const QByteArray expected = Golden().replace("\"defaultValue\": \"2\"", "\"defaultValue\": \"\"");
        QCOMPARE(Written(Player({})), expected);
    }

    // Without a player nothing at all is written (not even the opening brace).
    void noPlayerWritesNothing()
    {
        std::ostringstream out;
        QVERIFY_THROWS_EXCEPTION(std::runtime_error, QLabFileWriter(nullptr).WriteQLabNetworkPatch(out));
        QVERIFY(out.str().empty());
    }

    void exportWritesIntoTheChosenFolder_data()
    {
        QTest::addColumn<QString>("subfolder");
        QTest::newRow("plain") << "export";
        QTest::newRow("blanks, sent as %20") << "my exports";
        QTest::newRow("non-ASCII") << QString::fromUtf8("Expo\xcc\x81rt \xc3\xa9t\xc3\xa9");
    }
    void exportWritesIntoTheChosenFolder()
    {
        QFETCH(QString, subfolder);
        QTemporaryDir dir;
        const QString target = QDir(dir.path()).filePath(subfolder);
        QVERIFY(QDir().mkpath(target));
        OscManagerController manager(&engine, {}, Player({{"2", "Two"}, {"10", "Ten"}}), nullptr);
        QSignalSpy errors(&manager, &OscManagerController::error);
        const QString url = QUrl::fromLocalFile(target).toString(QUrl::FullyEncoded);
        if (subfolder.contains(' '))
            QVERIFY(url.contains("%20"));
        manager.exportQLab_(url);
        const QString path = QDir(target).filePath(kFileName);
        QCOMPARE(ReadFile(path), Golden());
        // Again: the file is replaced with the same content.
        manager.exportQLab_(url);
        QCOMPARE(ReadFile(path), Golden());
        QCOMPARE(QDir(target).entryList(QDir::Files | QDir::Hidden), QStringList{kFileName});
        QCOMPARE(errors.count(), 0);
    }

    // A failed export leaves the file that was there as it was, and says so
    // on the standard error stream and through the controller's error.
    void failedExportKeepsTheOldFile_data()
    {
        QTest::addColumn<bool>("withPlayer");
        QTest::addColumn<QString>("message");
        QTest::newRow("no player") << false << "QLab File Writer has no data to write.";
        // A file-size limit stands in for a full disk.
        QTest::newRow("disk full") << true << "Cannot write ";
    }
    void failedExportKeepsTheOldFile()
    {
        QFETCH(bool, withPlayer);
        QFETCH(QString, message);
        QTemporaryDir dir;
        const QString path = QDir(dir.path()).filePath(kFileName);
        {
            QFile old(path);
            QVERIFY(old.open(QIODevice::WriteOnly));
            old.write("old content");
        }
        OscManagerController manager(&engine, {}, withPlayer ? Player({{"1", "One"}}) : nullptr, nullptr);
        QSignalSpy errors(&manager, &OscManagerController::error);
        {
            vand::test::StreamCapture captured(std::cerr);
            const vand::test::FileSizeLimit limit(withPlayer ? 100 : RLIM_INFINITY);
            QVERIFY(limit.ok());
            manager.exportQLab_(QUrl::fromLocalFile(dir.path()).toString());
            QCOMPARE(errors.count(), 1);
            QCOMPARE(captured.text(), "Error exporting qlab: " + errors.at(0).at(0).value<std::string>() + "\n");
        }
        QCOMPARE(ReadFile(path), QByteArray("old content"));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{kFileName});
        QVERIFY2(errors.at(0).at(0).value<std::string>().find(message.toStdString()) != std::string::npos,
                 errors.at(0).at(0).value<std::string>().c_str());
        QCOMPARE(errors.at(0).at(1).value<std::string>(), std::string("QLab Export Failed"));
    }

    void folderThatDoesNotExistIsReported()
    {
        QTemporaryDir dir;
        const QString missing = QDir(dir.path()).filePath("missing");
        OscManagerController manager(&engine, {}, Player({{"1", "One"}}), nullptr);
        QSignalSpy errors(&manager, &OscManagerController::error);
        vand::test::StreamCapture captured(std::cerr);
        manager.exportQLab_(QUrl::fromLocalFile(missing).toString());
        QCOMPARE(errors.count(), 1);
        QVERIFY(!QFileInfo::exists(missing));
        QVERIFY(captured.text().rfind("Error exporting qlab: Cannot write ", 0) == 0);
    }

    void folderThatIsNotLocalIsRefused()
    {
        OscManagerController manager(&engine, {}, Player({{"1", "One"}}), nullptr);
        QSignalSpy errors(&manager, &OscManagerController::error);
        vand::test::StreamCapture captured(std::cerr);
        manager.exportQLab_(QStringLiteral("https://example.org/shows"));
        QCOMPARE(errors.count(), 1);
        QVERIFY(captured.text().rfind("Error exporting qlab: ", 0) == 0);
    }
};

QTEST_MAIN(TestQLabExport)
#include "tst_qlabexport.moc"
