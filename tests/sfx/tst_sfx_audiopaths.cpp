#include <QTest>

#include <stdexcept>

#include "sfx/AudioPath.h"

using vand::audio::AudioDevice;
using vand::audio::AudioPath;
using vand::audio::AudioPathManager;

namespace {

const AudioDevice kFront(L"front-id", "Front", "front-id");
const AudioDevice kBack(L"back-id", "Back", "back-id");

QString thrownBy(const AudioPathManager& manager, int id)
{
    try {
        (void)manager.GetDeviceIdFromPathId(id);
    } catch (const std::runtime_error& e) {
        return e.what();
    }
    return "nothing";
}

} // namespace

class TestSfxAudioPaths : public QObject
{
    Q_OBJECT

private slots:
    void numbersFromThousand();
    void copyContinuesNumbering();
    void moveTakesPaths();
    void unknownIdThrows();
    void pathKeepsDevicePointer();
};

void TestSfxAudioPaths::numbersFromThousand()
{
    AudioPathManager manager;
    QCOMPARE(manager.AddPath(AudioPath("Stage", kFront)), 1000);
    QCOMPARE(manager.AddPath(AudioPath("Stage", kBack)), 1001);
    QCOMPARE(manager.GetDeviceIdFromPathId(1000), kFront.id);
    QCOMPARE(manager.GetDeviceIdFromPathId(1001), kBack.id);
}

void TestSfxAudioPaths::copyContinuesNumbering()
{
    AudioPathManager source;
    source.AddPath(AudioPath("A", kFront));
    AudioPathManager copy(source);
    AudioPathManager assigned;
    assigned.AddPath(AudioPath("Old", kBack));
    assigned.AddPath(AudioPath("Old", kBack));
    assigned = source;

    QCOMPARE(copy.AddPath(AudioPath("B", kBack)), 1001);
    QCOMPARE(assigned.AddPath(AudioPath("B", kBack)), 1001);
    QCOMPARE(source.AddPath(AudioPath("C", kBack)), 1001);
    QCOMPARE(copy.GetDeviceIdFromPathId(1000), kFront.id);
    QCOMPARE(assigned.GetDeviceIdFromPathId(1000), kFront.id);

    assigned = *&assigned;
    QCOMPARE(assigned.GetDeviceIdFromPathId(1001), kBack.id);
}

void TestSfxAudioPaths::moveTakesPaths()
{
    AudioPathManager source;
    source.AddPath(AudioPath("A", kFront));
    AudioPathManager target(std::move(source));
    QCOMPARE(target.GetDeviceIdFromPathId(1000), kFront.id);
    QCOMPARE(thrownBy(source, 1000), QString("Path Id not found."));
    QCOMPARE(target.AddPath(AudioPath("B", kBack)), 1001);
}

void TestSfxAudioPaths::unknownIdThrows()
{
    AudioPathManager manager;
    QCOMPARE(thrownBy(manager, 999), QString("Path Id not found."));
    manager.AddPath(AudioPath("A", kFront));
    QCOMPARE(thrownBy(manager, 1001), QString("Path Id not found."));
}

void TestSfxAudioPaths::pathKeepsDevicePointer()
{
    AudioPath path("A", kFront);
    AudioPath moved(std::move(path));
    QCOMPARE(moved.Name(), std::string("A"));
    QCOMPARE(moved.OutputAudioDevice().id, kFront.id);
    QCOMPARE(moved.OutputAudioDevice().narrowId, std::string("front-id"));
    moved.SetOutputAudioDevice(kBack);
    QCOMPARE(moved.OutputAudioDevice().name, std::string("Back"));
    QCOMPARE(moved.OutputAudioDevice().id, kBack.id);
}

QTEST_APPLESS_MAIN(TestSfxAudioPaths)
#include "tst_sfx_audiopaths.moc"
