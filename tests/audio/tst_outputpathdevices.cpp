// The output-path device file: what the reader refuses and with which words,
// what it takes, the bytes the writer writes, and that a failed write leaves
// the old file alone.

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <stdexcept>

#include "AudioDevicesFixture.h"
#include "FileSizeLimit.h"
#include "audio/OutputPathsManagerController.h"

using vand::qt::OutputPathsManagerController;
using PathMap = std::map<std::string, CL::OutputPath>;

using audio_test::ReadAll;

namespace {

// What the reader throws, or "(read)".
QString ReadFailure(const QString& path)
{
    try {
        OutputPathsManagerController::ReadOutputPathDevices(path.toStdString());
    } catch (const std::runtime_error& e) {
        return QString::fromStdString(e.what());
    }
    return QStringLiteral("(read)");
}

// ReadFailure on a thread with a small stack (256 KiB), where a reader that
// recursed once per nesting level would overflow it.
QString ReadFailureOnSmallStack(const QString& path)
{
    QString failure;
    std::unique_ptr<QThread> thread(QThread::create([&] { failure = ReadFailure(path); }));
    thread->setStackSize(256 * 1024);
    thread->start();
    thread->wait();
    return failure;
}

// "id=hwid" per entry, in map order.
QStringList Entries(const PathMap& paths)
{
    QStringList out;
    for (const auto& [key, path] : paths) {
        // A record of the file holds its id and device alone.
        if (key != path.GetId() || !path.GetName().empty() || !path.GetDeviceName().empty())
            out << QString::fromStdString("(record of " + key + " holds more)");
        out << QString::fromStdString(key + "=" + path.GetDeviceId());
    }
    return out;
}

CL::OutputPath Path(const std::string& id, const std::string& device)
{
    return CL::OutputPath(id, "name of " + id, device, "device of " + id);
}

} // namespace

class TestOutputPathDevices : public QObject
{
    Q_OBJECT
private:
    QTemporaryDir dir;
    QString File() const { return dir.filePath(QStringLiteral("outputpathdevices.json")); }

private slots:
    void init() { QFile::remove(File()); }

    void refusedFiles_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("message");

        const QString wrongType = QStringLiteral("The output path config file has a value of the wrong type: ");
        QTest::newRow("empty file") << QByteArray()
                                    << "The output path config file has a parse error: 1 The document is empty.";
        QTest::newRow("text after the document")
            << QByteArray("{\"outputpaths\":[]} x")
            << "The output path config file has a parse error: 2 The document root must not be followed by other "
               "values.";
        QTest::newRow("cut short") << QByteArray("{\"outputpaths\":[{\"id\":\"a\"")
                                   << "The output path config file has a parse error: 6 Missing a comma or '}' after "
                                      "an object member.";
        QTest::newRow("number beyond a double")
            << QByteArray("{\"outputpaths\":[],\"x\":1e400}")
            << "The output path config file has a parse error: 13 Number too big to be stored in double.";
        QTest::newRow("cut short 100 000 deep") << QByteArray("{\"outputpaths\":") + QByteArray(100000, '[')
                                                << "The output path config file has a parse error: 3 Invalid value.";
        QTest::newRow("no outputpaths") << QByteArray("{}")
                                        << "The output path config file does not contain a field called "
                                           "\"outputpaths\" and cannot be read.";
        QTest::newRow("first without id") << QByteArray("{\"outputpaths\":[{\"hwid\":\"x\"}]}")
                                          << "The first outputpath found  does not have an id. Failing.";
        QTest::newRow("later without id")
            << QByteArray("{\"outputpaths\":[{\"id\":\"p1\",\"hwid\":\"\"},{\"hwid\":\"x\"}]}")
            << "The outputpath after the outputpath with id p1  does not have an id. Failing.";
        QTest::newRow("without hwid") << QByteArray("{\"outputpaths\":[{\"id\":\"p1\",\"hwid\":\"\"},{\"id\":\"p2\"}]}")
                                      << "The outputpath with id p2  does not have a hwid. Failing.";
        QTest::newRow("empty id without hwid, not first")
            << QByteArray("{\"outputpaths\":[{\"id\":\"p1\",\"hwid\":\"\"},{\"id\":\"\"}]}")
            << "The first outputpath found  does not have a hwid. Failing.";
        QTest::newRow("root an array") << QByteArray("[]") << wrongType + "the root.";
        QTest::newRow("outputpaths an object") << QByteArray("{\"outputpaths\":{}}") << wrongType + "\"outputpaths\".";
        QTest::newRow("entry a string") << QByteArray("{\"outputpaths\":[\"p1\"]}") << wrongType + "outputpaths[0].";
        QTest::newRow("id a number") << QByteArray(
            "{\"outputpaths\":[{\"id\":\"p1\",\"hwid\":\"\"},{\"id\":2,\"hwid\":\"\"}]}")
                                     << wrongType + "outputpaths[1].id.";
        QTest::newRow("hwid null") << QByteArray("{\"outputpaths\":[{\"id\":\"p1\",\"hwid\":null}]}")
                                   << wrongType + "outputpaths[0].hwid.";
        // Read without recursion: a deep document costs no stack (the reader
        // runs on a small one).
        const int depth = 100000;
        QTest::newRow("100 000 nested arrays")
            << QByteArray("{\"outputpaths\":[") + QByteArray(depth, '[') + QByteArray(depth, ']') + QByteArray("]}")
            << wrongType + "outputpaths[0].";
    }

    void refusedFiles()
    {
        QFETCH(QByteArray, content);
        QFETCH(QString, message);
        QVERIFY(audio_test::WriteAll(File(), content));
        QCOMPARE(ReadFailureOnSmallStack(File()), message);
    }

    void missingFile()
    {
        const QString missing = dir.filePath(QStringLiteral("none/outputpathdevices.json"));
        QCOMPARE(ReadFailure(missing), "The Output path config file " + missing + " does not exist.");
    }

    void readsWhatItNeeds_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QStringList>("entries");
        QTest::newRow("none") << QByteArray("{\"outputpaths\":[]}") << QStringList{};
        QTest::newRow("any order, other members ignored") << QByteArray(
            "{\"v\":2,\"outputpaths\":[{\"hwid\":\"null2\",\"id\":\"b\",\"x\":[1]},{\"id\":\"a\",\"hwid\":\"\"}]}")
                                                          << QStringList{"a=", "b=null2"};
        QTest::newRow("a later entry of an id wins")
            << QByteArray("{\"outputpaths\":[{\"id\":\"a\",\"hwid\":\"one\"},{\"id\":\"a\",\"hwid\":\"two\"}]}")
            << QStringList{"a=two"};
        QTest::newRow("texts end at a zero byte")
            << QByteArray("{\"outputpaths\":[{\"id\":\"a\\u0000b\",\"hwid\":\"c\\u0000d\"}]}") << QStringList{"a=c"};
        QTest::newRow("escapes and UTF-8")
            << QByteArray("{\"outputpaths\":[{\"id\":\"\\\"q\\\"\",\"hwid\":\"Bühne\\n\"}]}")
            << QStringList{QString::fromUtf8("\"q\"=Bühne\n")};
    }

    void readsWhatItNeeds()
    {
        QFETCH(QByteArray, content);
        QFETCH(QStringList, entries);
        QVERIFY(audio_test::WriteAll(File(), content));
        QCOMPARE(Entries(OutputPathsManagerController::ReadOutputPathDevices(File().toStdString())), entries);
    }

    void writesExactBytes_data()
    {
        QTest::addColumn<QStringList>("idsAndDevices");
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("no paths") << QStringList{} << QByteArray("{\"outputpaths\":[]}");
        QTest::newRow("id order, default device")
            << QStringList{"b", "null2", "a", ""}
            << QByteArray("{\"outputpaths\":[{\"id\":\"a\",\"hwid\":\"\"},{\"id\":\"b\",\"hwid\":\"null2\"}]}");
        QTest::newRow("escapes") << QStringList{"q\"\\", QString::fromUtf8("Bühne\n\x01")}
                                 << QByteArray("{\"outputpaths\":[{\"id\":\"q\\\"\\\\\",\"hwid\":\"")
                                        + QByteArray("Bühne") + QByteArray("\\n\\u0001\"}]}");
    }

    void writesExactBytes()
    {
        QFETCH(QStringList, idsAndDevices);
        QFETCH(QByteArray, bytes);
        PathMap paths;
        for (int i = 0; i + 1 < idsAndDevices.size(); i += 2) {
            const std::string id = idsAndDevices[i].toStdString();
            paths[id] = Path(id, idsAndDevices[i + 1].toStdString());
        }
        QVERIFY(audio_test::WriteAll(File(), "old content, longer than what replaces it"));
        QVERIFY(OutputPathsManagerController::WriteOutputPathDevices(File().toStdString(), paths));
        QCOMPARE(ReadAll(File()), bytes);
        // Nothing left beside it.
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{"outputpathdevices.json"});
    }

    void roundTrip()
    {
        PathMap paths{{"0f1e", Path("0f1e", "null")}, {"a b", Path("a b", "")}, {"\t", Path("\t", "x\"y")}};
        OutputPathsManagerController::WriteOutputPathDevices(File().toStdString(), paths);
        const PathMap read = OutputPathsManagerController::ReadOutputPathDevices(File().toStdString());
        QCOMPARE(Entries(read), (QStringList{"\t=x\"y", "0f1e=null", "a b="}));
    }

    void failedWriteKeepsTheOldFile()
    {
        const QByteArray before = "{\"outputpaths\":[{\"id\":\"kept\",\"hwid\":\"null\"}]}";
        QVERIFY(audio_test::WriteAll(File(), before));
        const PathMap paths{{"new", Path("new", "null2")}};
        {
            // The file system is full.
            const vand::test::FileSizeLimit limit(10);
            QVERIFY(limit.ok());
            QVERIFY_THROWS_EXCEPTION(std::runtime_error,
                                     OutputPathsManagerController::WriteOutputPathDevices(File().toStdString(), paths));
        }
        QCOMPARE(ReadAll(File()), before);
        {
            // The folder takes no new file.
            const audio_test::LockedFolder locked(dir.path());
            QVERIFY(locked.Ok());
            QVERIFY_THROWS_EXCEPTION(std::runtime_error,
                                     OutputPathsManagerController::WriteOutputPathDevices(File().toStdString(), paths));
        }
        QCOMPARE(ReadAll(File()), before);
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{"outputpathdevices.json"});
    }
};

QTEST_GUILESS_MAIN(TestOutputPathDevices)
#include "tst_outputpathdevices.moc"
