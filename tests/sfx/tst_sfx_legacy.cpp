#include <QTemporaryDir>
#include <QTest>

#include <iostream>
#include <memory>
#include <stdexcept>

#include "SfxShow.h"
#include "StreamCapture.h"
#include "sfx/SfxManager.h"
#include "sfx/SfxManifest.h"
#include "sfx/SfxPlayerController.h"

using vand::audio::AudioDevice;
using vand::audio::AudioPath;
using vand::audio::SfxManager;
using vand::audio::SfxPlayerInterface;
using vand::audio::SfxType;
using vand::audio::sfx::SfxDto;

namespace {

SfxDto Effect(const std::string& effectId, SfxType type = SfxType::PRIMARY)
{
    return SfxDto::builder().name(effectId).effectId(effectId).type(type).build();
}

// A player that writes down what it is asked, as "<name>: <call>".
class Recorder : public SfxPlayerInterface
{
public:
    Recorder(QStringList& calls, const QString& name, SfxDto record)
        : calls_(calls), name_(name), record_(std::move(record))
    {
    }
    void Play(double position) override
    {
        playing_ = true;
        log(QString("Play %1").arg(position));
    }
    void Stop(bool isUrgent) override { log(isUrgent ? "Stop urgently" : "Stop(false)"); }
    void Stop() override
    {
        playing_ = false;
        log("Stop");
    }
    void SetOutputDevice(const wchar_t* deviceId) override
    {
        log("SetOutputDevice " + QString::fromWCharArray(deviceId));
    }
    void SetVolume(float volume) override { log(QString("SetVolume %1").arg(volume)); }
    float Volume() override { return record_.volume(); }
    void SetReverb(float) override { log("SetReverb"); }
    void SetPan(float) override { log("SetPan"); }
    void SetSfxPath(const std::string&) override { log("SetSfxPath"); }
    void ReplaceSfxData(const SfxDto&) override { log("ReplaceSfxData"); }
    float GetDuration() override { return 1.0f; }
    void FadeTo(float volume, unsigned int milliseconds) override
    {
        log(QString("FadeTo %1 %2").arg(volume).arg(milliseconds));
    }
    bool Done() override { return !playing_; }
    void WaitUntilDone() override { log("WaitUntilDone"); }
    bool PlaysSameSfx(const SfxDto& other) override { return record_ == other; }
    const SfxDto& SfxData() const override { return record_; }

private:
    void log(const QString& call) { calls_ << name_ + ": " + call; }

    QStringList& calls_;
    QString name_;
    SfxDto record_;
    bool playing_ = false;
};

const wchar_t kStageDevice[] = L"stage-device";

} // namespace

// The legacy manager over recording players, and over the demo catalogue with
// real players of the controller on this thread.
class TestSfxLegacy : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void playFadesInWithOneFade_data();
    void playFadesInWithOneFade();
    void stopsOnlyWhatPlays();
    void ambientSwitching();
    void stopsByType();
    void addPlayerFindsTheSameSound();
    void catalogueLists();
    void withoutManifest();
    void outputPaths();

private:
    std::unique_ptr<SfxManager> manager(int players)
    {
        calls_.clear();
        vand::test::StreamCapture out(std::cout);
        auto m = std::make_unique<SfxManager>();
        for (int i = 0; i < players; ++i) {
            const QString name(QChar('a' + i));
            m->AddPlayer(std::make_unique<Recorder>(calls_, name,
                                                    Effect(name.toStdString(), i % 2 ? SfxType::AMBIENT
                                                                                     : SfxType::PRIMARY)));
        }
        return m;
    }

    QTemporaryDir dir_;
    QStringList calls_;
};

void TestSfxLegacy::initTestCase()
{
    vand::test::InstallDemoCatalogue(dir_);
}

void TestSfxLegacy::playFadesInWithOneFade_data()
{
    QTest::addColumn<int>("id");
    QTest::addColumn<int>("fade");
    QTest::addColumn<QStringList>("calls");
    QTest::newRow("1000 ms fade-in") << 0 << 1000 << QStringList{"a: Play 0", "a: FadeTo 1 1000"};
    QTest::newRow("30 ms fade-in") << 0 << 30 << QStringList{"a: Play 0", "a: FadeTo 1 30"};
    QTest::newRow("no fade") << 0 << 0 << QStringList{"a: Play 0"};
    QTest::newRow("id -1") << -1 << 1000 << QStringList{};
}

// A fade-in is the player's own fade after the start (as written 20 ms
// volume steps, which a running sound does not follow).
void TestSfxLegacy::playFadesInWithOneFade()
{
    QFETCH(int, id);
    QFETCH(int, fade);
    QFETCH(QStringList, calls);
    auto m = manager(1);
    m->Play(id, fade);
    QCOMPARE(calls_, calls);
}

void TestSfxLegacy::stopsOnlyWhatPlays()
{
    auto m = manager(1);
    m->Stop(0, 1000);
    QCOMPARE(calls_, QStringList());
    m->Play(0, 0);
    m->Stop(0, 1000);
    QCOMPARE(calls_, (QStringList{"a: Play 0", "a: SetVolume 1", "a: Stop"}));
    QVERIFY_THROWS_EXCEPTION(std::out_of_range, m->Stop(7, 0));
}

void TestSfxLegacy::ambientSwitching()
{
    auto m = manager(2);
    m->SetAmbient(0);
    m->SetAmbient(0);
    QCOMPARE(calls_, (QStringList{"a: Play 0", "a: FadeTo 1 1000"}));
    calls_.clear();
    m->SetAmbient(1);
    QCOMPARE(calls_, (QStringList{"a: SetVolume 1", "a: Stop", "b: Play 0", "b: FadeTo 1 1000"}));
    calls_.clear();
    m->StopAmbient();
    QCOMPARE(calls_, (QStringList{"b: SetVolume 1", "b: Stop"}));
}

void TestSfxLegacy::stopsByType()
{
    auto m = manager(4); // a, c primary; b, d ambient
    m->ForEachPlayer([&m](int id) { m->Play(id, 0); });
    calls_.clear();
    m->StopAmbientEffects();
    QCOMPARE(calls_, (QStringList{"b: SetVolume 1", "b: Stop", "d: SetVolume 1", "d: Stop"}));
    calls_.clear();
    m->StopAllEffects();
    QCOMPARE(calls_, (QStringList{"a: SetVolume 1", "a: Stop", "c: SetVolume 1", "c: Stop"}));
}

// Players come from GetSfxPlayer, through the controller on this thread.
void TestSfxLegacy::addPlayerFindsTheSameSound()
{
    vand::audio::SfxPlayerController controller;
    auto m = manager(0);
    const vand::sfx::SfxManifest catalogue;
    SfxDto bell = Effect("bell");
    bell.setEffectPath(catalogue.path("bell").value());
    QCOMPARE(m->AddPlayer(bell), 0);
    QCOMPARE(m->AddPlayer(bell), 0);
    QCOMPARE(m->GetSfxDto(0).effectId(), std::string("bell"));
    QCOMPARE(m->AddPlayer(Effect("thunder")), -1);
    QCOMPARE(m->AddPlayer(Effect("bell", SfxType::AMBIENT)), -1); // not in the ambient list
    SfxDto rain = Effect("rain", SfxType::AMBIENT);
    rain.setEffectPath(catalogue.path("rain").value());
    QCOMPARE(m->AddPlayer(rain), 1);
    QVERIFY_THROWS_EXCEPTION(std::out_of_range, m->GetSfxDto(2));
}

void TestSfxLegacy::catalogueLists()
{
    auto m = manager(0);
    const QString folder = dir_.filePath("share") + "/vand_data/sfx/";
    const auto& primary = m->GetSfxList();
    QCOMPARE(primary.Count(), std::size_t(3));
    QCOMPARE(QString(primary.Get(0)), QString("bell"));
    QCOMPARE(QString(primary.GetPath(2)), folder + "chime.sfx");
    const auto& ambient = m->GetAmbientList();
    QCOMPARE(ambient.Count(), std::size_t(1));
    QCOMPARE(QString(ambient.GetPath(0)), folder + "ambient/rain.sfx");
}

// No manifest: said once per list; the primary list is not read again, the
// empty ambient list is.
void TestSfxLegacy::withoutManifest()
{
    const QByteArray dirs = qgetenv("XDG_DATA_DIRS");
    qputenv("XDG_DATA_DIRS", dir_.filePath("nothing").toUtf8());
    vand::test::StreamCapture out(std::cout);
    SfxManager m;
    const std::string line = "No SFX Manifest Found. Returning with no SFX in Manager.\n";
    QCOMPARE(out.text(), line + line);
    QCOMPARE(m.GetSfxList().Count(), std::size_t(0));
    QCOMPARE(out.text(), line + line);
    QCOMPARE(m.GetAmbientList().Count(), std::size_t(0));
    QCOMPARE(out.text(), line + line + line);
    qputenv("XDG_DATA_DIRS", dirs);
}

void TestSfxLegacy::outputPaths()
{
    auto m = manager(1);
    const AudioDevice stage(kStageDevice, "Stage", "stage-device");
    QCOMPARE(m->AddPath(AudioPath("Stage left", stage)), 1000);
    QCOMPARE(m->AddPath(AudioPath("Stage right", stage)), 1001);
    QCOMPARE(m->GetPathIdType(vand::core::DataVector(std::string_view("Stage right"))), 1001);
    QCOMPARE(m->GetPathIdType(vand::core::DataVector(std::string_view("Foyer"))), 0);
    m->SetPlayerOutputPath(0, 1234);
    QCOMPARE(calls_, QStringList());
    m->SetPlayerOutputPath(0, 1000);
    QCOMPARE(calls_, QStringList{"a: SetOutputDevice stage-device"});
}

QTEST_GUILESS_MAIN(TestSfxLegacy)
#include "tst_sfx_legacy.moc"
