#include <QAudioDevice>
#include <QCoreApplication>
#include <QMediaDevices>
#include <QProcess>
#include <QTest>

#include <cstdio>
#include <cwchar>

#include "sfx/DeviceControlWin32.h"

using vand::audio::AudioDevice;
using vand::audio::DeviceControlWin32;

namespace {

// Run as a child with this variable set, the program lists the devices once
// and prints how many it found.
constexpr char kChildVariable[] = "TST_SFX_DEVICES_LIST_ONCE";

QStringList narrowIds(const std::vector<AudioDevice>& devices)
{
    QStringList ids;
    for (const AudioDevice& device : devices)
        ids << QString::fromStdString(device.narrowId);
    return ids;
}

const AudioDevice* find(const std::vector<AudioDevice>& devices, const char* narrowId)
{
    for (const AudioDevice& device : devices) {
        if (device.narrowId == narrowId)
            return &device;
    }
    return nullptr;
}

// pactl against the test's sound server; its standard output.
QByteArray pactl(const QStringList& arguments, bool* ok = nullptr)
{
    QProcess process;
    process.start("pactl", arguments);
    const bool finished = process.waitForFinished(10000);
    if (ok)
        *ok = finished && process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
    return process.readAllStandardOutput().trimmed();
}

} // namespace

// Lists the outputs of the private PulseAudio daemon that scripts/test starts
// (PULSE_SERVER), whose null sinks Qt shows as ids "null" and "null2", both
// "Null Output".
class TestSfxDevices : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void listsTheNullSinks();
    void followsQtsList();
    void stableBetweenCalls();
    void idOutlivesItsRecords();
    void sameNameKeptApartById();
    void cleanup();
    void movedFromListsNothing();
    void noSoundServerGivesEmptyList();

private:
    QString ownModule_;
};

void TestSfxDevices::initTestCase()
{
    const QByteArray failure = qgetenv("VAND_AUDIO_ERROR");
    if (!failure.isEmpty())
        QFAIL(qPrintable("The test sound server did not start: " + QString::fromUtf8(failure)));
    const QByteArray server = qgetenv("PULSE_SERVER");
    if (server.isEmpty())
        QFAIL("PULSE_SERVER is not set: the test sound server did not start (scripts/test starts it with "
              "scripts/start-audio)");
    bool ok = false;
    pactl({"info"}, &ok);
    if (!ok)
        QFAIL(qPrintable("No PulseAudio server answers at " + server + " (scripts/start-audio did not start it)"));
}

// The server's two sinks, "null" and "null2", both "Null Output".
void TestSfxDevices::listsTheNullSinks()
{
    const std::vector<AudioDevice> devices = DeviceControlWin32().GetOutputDevices();
    for (const char* id : {"null", "null2"}) {
        const AudioDevice* sink = find(devices, id);
        QVERIFY2(sink, qPrintable(narrowIds(devices).join(", ")));
        QCOMPARE(sink->name, std::string("Null Output"));
        QVERIFY(sink->id);
        QCOMPARE(QString::fromWCharArray(sink->id), QString::fromLatin1(id));
    }
}

void TestSfxDevices::followsQtsList()
{
    const QList<QAudioDevice> outputs = QMediaDevices::audioOutputs();
    const std::vector<AudioDevice> devices = DeviceControlWin32().GetOutputDevices();
    QCOMPARE(devices.size(), std::size_t(outputs.size()));
    for (std::size_t i = 0; i < devices.size(); ++i) {
        const QAudioDevice& output = outputs.at(qsizetype(i));
        QCOMPARE(QByteArray::fromStdString(devices[i].narrowId), output.id());
        QCOMPARE(QString::fromStdString(devices[i].name), output.description());
        QCOMPARE(QString::fromWCharArray(devices[i].id), QString::fromUtf8(output.id()));
    }
}

void TestSfxDevices::stableBetweenCalls()
{
    DeviceControlWin32 control;
    const std::vector<AudioDevice> first = control.GetOutputDevices();
    const std::vector<AudioDevice> second = DeviceControlWin32().GetOutputDevices();
    QCOMPARE(narrowIds(second), narrowIds(first));
    for (std::size_t i = 0; i < first.size(); ++i)
        QCOMPARE(second[i].id, first[i].id);
}

void TestSfxDevices::idOutlivesItsRecords()
{
    const wchar_t* id = nullptr;
    {
        DeviceControlWin32 control;
        std::vector<AudioDevice> devices = control.GetOutputDevices();
        QVERIFY(find(devices, "null"));
        id = find(devices, "null")->id;
    }
    // Records and enumerator are gone; the text stays for whoever kept it.
    QCOMPARE(QString::fromWCharArray(id), QString("null"));
}

// Every null sink is described "Null Output": one more, of this test's own,
// shows that records are told apart by id, not name.
void TestSfxDevices::sameNameKeptApartById()
{
    const QByteArray ownId = "tst_sfx_devices_" + QByteArray::number(QCoreApplication::applicationPid());
    bool ok = false;
    ownModule_ = QString::fromUtf8(pactl({"load-module", "module-null-sink", "sink_name=" + ownId}, &ok));
    QVERIFY2(ok, "pactl could not load a null sink");
    // Qt 6.4's PulseAudio backend updates its list without emitting
    // QMediaDevices::audioOutputsChanged, so the test waits for the list.
    const auto listed = [&ownId] {
        for (const QAudioDevice& output : QMediaDevices::audioOutputs()) {
            if (output.id() == ownId)
                return true;
        }
        return false;
    };
    QTRY_VERIFY_WITH_TIMEOUT(listed(), 10000);

    const std::vector<AudioDevice> list = DeviceControlWin32().GetOutputDevices();
    const AudioDevice* first = find(list, "null");
    const AudioDevice* second = find(list, ownId.constData());
    QVERIFY2(first && second, qPrintable(narrowIds(list).join(", ")));
    QCOMPARE(first->name, std::string("Null Output"));
    QCOMPARE(second->name, first->name);
    QVERIFY(first->id != second->id);
    QCOMPARE(QString::fromWCharArray(second->id), QString::fromLatin1(ownId));
}

void TestSfxDevices::cleanup()
{
    if (!ownModule_.isEmpty()) {
        pactl({"unload-module", ownModule_});
        ownModule_.clear();
    }
}

void TestSfxDevices::movedFromListsNothing()
{
    DeviceControlWin32 source;
    DeviceControlWin32 target(std::move(source));
    QVERIFY(source.GetOutputDevices().empty());
    QVERIFY(find(target.GetOutputDevices(), "null"));

    DeviceControlWin32 assigned;
    assigned = std::move(target);
    QVERIFY(target.GetOutputDevices().empty());
    QVERIFY(find(assigned.GetOutputDevices(), "null"));
}

// A process whose sound server is unreachable gets an empty list, no
// exception, and one line on the standard error stream.
void TestSfxDevices::noSoundServerGivesEmptyList()
{
    QProcess child;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(kChildVariable, "1");
    environment.insert("PULSE_SERVER", "unix:/nonexistent/pulse/native");
    child.setProcessEnvironment(environment);
    child.start(QCoreApplication::applicationFilePath(), {});
    QVERIFY(child.waitForFinished(30000));
    QCOMPARE(child.exitStatus(), QProcess::NormalExit);
    QCOMPARE(child.exitCode(), 0);
    QCOMPARE(child.readAllStandardOutput(), QByteArray("devices: 0\n"));
    const QByteArray errors = child.readAllStandardError();
    QCOMPARE(errors.count("No audio output devices found.\n"), 1);
}

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsSet(kChildVariable)) {
        QCoreApplication app(argc, argv);
        std::printf("devices: %zu\n", DeviceControlWin32().GetOutputDevices().size());
        return 0;
    }
    QCoreApplication app(argc, argv);
    TestSfxDevices test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_sfx_devices.moc"
