#include "HostModels.h"
#include "InstanceMapping.h"
#include "SfxShow.h"
#include "audio/VolumeTaper.h"
#include "sfx/SfxManifest.h"

#include <QAbstractItemModelTester>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <cmath>
#include <limits>
#include <memory>
#include <stdexcept>

using vand::audio::CustomAudioCommand;
using vand::audio::SfxType;
using vand::audio::sfx::SfxDto;
using namespace vand::sfxhost;

namespace {

SfxDto Record(const std::string& eventId, const std::string& name, const std::string& effectId) {
  return SfxDto::builder().eventId(eventId).name(name).effectId(effectId).build();
}

}  // namespace

class SfxHostMappingTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() {
    QVERIFY(dir_.isValid());
    vand::test::InstallDemoCatalogue(dir_);
    catalogue_ = std::make_unique<vand::sfx::SfxManifest>();
    QVERIFY(catalogue_->HasEffectId("bell"));
  }

  void requestBecomesRecord_data() {
    QTest::addColumn<QString>("effectId");
    QTest::addColumn<double>("volume");
    QTest::addColumn<double>("pan");
    QTest::addColumn<double>("reverb");
    QTest::addColumn<int>("fadeIn");
    QTest::addColumn<int>("repeats");
    QTest::addColumn<int>("type");
    QTest::addColumn<float>("recordVolume");
    QTest::addColumn<float>("recordPan");
    QTest::addColumn<float>("recordReverb");
    QTest::addColumn<int>("recordFadeIn");
    QTest::addColumn<int>("recordRepeats");

    const int primary = static_cast<int>(SfxType::PRIMARY);
    const int ambient = static_cast<int>(SfxType::AMBIENT);
    QTest::newRow("centre, dry, once") << "bell" << 0.5 << 50.0 << 0.0 << 1500 << 0 << primary << 0.5f << 0.5f << 0.0f
                                       << 1500 << 0;
    QTest::newRow("hard left, wet, loop")
        << "knock" << 1.0 << 0.0 << 100.0 << 0 << -1 << primary << 1.0f << 0.0f << 1.0f << 0 << -1;
    QTest::newRow("hard right, three repeats")
        << "chime" << 0.0001 << 100.0 << 25.0 << 0 << 3 << primary << 0.0001f << 1.0f << 0.25f << 0 << 3;
    QTest::newRow("ambient effect") << "rain" << 0.8 << 50.0 << 0.0 << 0 << -1 << ambient << 0.8f << 0.5f << 0.0f << 0
                                    << -1;
    QTest::newRow("out of range clamps") << "bell" << 4.0 << 180.0 << -20.0 << 90000 << -7 << primary << 1.0f << 1.0f
                                         << 0.0f << 65535 << -1;
    QTest::newRow("negative fade") << "bell" << -1.0 << -5.0 << 50.0 << -1 << 0 << primary << 0.0f << 0.0f << 0.5f << 0
                                   << 0;
  }

  void requestBecomesRecord() {
    QFETCH(QString, effectId);
    QFETCH(double, volume);
    QFETCH(double, pan);
    QFETCH(double, reverb);
    QFETCH(int, fadeIn);
    QFETCH(int, repeats);
    QFETCH(int, type);
    QFETCH(float, recordVolume);
    QFETCH(float, recordPan);
    QFETCH(float, recordReverb);
    QFETCH(int, recordFadeIn);
    QFETCH(int, recordRepeats);

    InstanceRequest request;
    request.name = QStringLiteral("Doorbell");
    request.outputPath = QStringLiteral("ignored by the record");
    request.effectId = effectId;
    request.volume = volume;
    request.pan = pan;
    request.reverb = reverb;
    request.fadeIn = fadeIn;
    request.fadeOut = 250;
    request.repeats = repeats;
    const SfxDto record = RecordOfRequest(request, *catalogue_, "sfx.7", "Stage Left");

    QCOMPARE(record.eventId(), std::string("sfx.7"));
    QCOMPARE(record.name(), std::string("Doorbell"));
    QCOMPARE(record.effectId(), effectId.toStdString());
    QCOMPARE(record.effectPath(), catalogue_->path(effectId.toStdString()).value());
    QCOMPARE(record.outputPath(), std::string("Stage Left"));
    QCOMPARE(static_cast<int>(record.type()), type);
    QCOMPARE(record.volume(), recordVolume);
    QCOMPARE(record.pan(), recordPan);
    QCOMPARE(record.reverb(), recordReverb);
    QCOMPARE(static_cast<int>(record.fadeIn()), recordFadeIn);
    QCOMPARE(static_cast<int>(record.fadeOut()), 250);
    QCOMPARE(record.repeats(), recordRepeats);
  }

  void refusedRequests_data() {
    QTest::addColumn<QString>("effectId");
    QTest::addColumn<double>("volume");
    QTest::addColumn<double>("pan");
    QTest::addColumn<double>("reverb");
    const double nan = std::numeric_limits<double>::quiet_NaN();
    QTest::newRow("unknown effect") << "thunder" << 1.0 << 50.0 << 0.0;
    QTest::newRow("no effect") << "" << 1.0 << 50.0 << 0.0;
    QTest::newRow("NaN volume") << "bell" << nan << 50.0 << 0.0;
    QTest::newRow("NaN pan") << "bell" << 1.0 << nan << 0.0;
    QTest::newRow("NaN reverb") << "bell" << 1.0 << 50.0 << nan;
  }

  void refusedRequests() {
    QFETCH(QString, effectId);
    QFETCH(double, volume);
    QFETCH(double, pan);
    QFETCH(double, reverb);
    InstanceRequest request;
    request.effectId = effectId;
    request.volume = volume;
    request.pan = pan;
    request.reverb = reverb;
    QVERIFY_THROWS_EXCEPTION(std::invalid_argument, RecordOfRequest(request, *catalogue_, "sfx.1", ""));
  }

  // What the edit dialog shows comes back unchanged when OK is pressed
  // without a change.
  void storedRecordSurvivesTheDialog_data() {
    QTest::addColumn<float>("volume");
    QTest::addColumn<int>("repeats");
    QTest::addColumn<int>("fadeIn");
    QTest::addColumn<QString>("fadeText");
    QTest::newRow("loud loop") << 1.0f << -1 << 1500 << "1.5";
    QTest::newRow("quiet once") << 0.05f << 0 << 0 << "0";
    QTest::newRow("longest fade") << 0.5f << 0 << 65535 << "65.535";
  }

  void storedRecordSurvivesTheDialog() {
    QFETCH(float, volume);
    QFETCH(int, repeats);
    QFETCH(int, fadeIn);
    QFETCH(QString, fadeText);
    const SfxDto stored = SfxDto::builder()
                              .eventId("sfx.3")
                              .name("Knocking")
                              .effectId("knock")
                              .effectPath(catalogue_->path("knock").value())
                              .outputPath("Booth")
                              .volume(volume)
                              .pan(0.25f)
                              .reverb(0.75f)
                              .fadeIn(static_cast<std::uint16_t>(fadeIn))
                              .fadeOut(100)
                              .repeats(repeats)
                              .build();
    const InstanceDialogValues values = DialogValuesOfRecord(stored);
    QCOMPARE(values.name, QStringLiteral("Knocking"));
    QCOMPARE(values.effectId, QStringLiteral("knock"));
    QCOMPARE(values.fadeIn, fadeText);
    QCOMPARE(values.fadeOut, QStringLiteral("0.1"));
    QCOMPARE(values.loop, repeats < 0);

    InstanceRequest request;
    request.name = values.name;
    request.effectId = values.effectId;
    request.volume = vand::qt::LinearGainOfPosition(static_cast<float>(values.volume));
    request.pan = values.pan;
    request.reverb = values.reverb;
    request.fadeIn = static_cast<int>(values.fadeIn.toDouble() * 1000.0 + 0.5);
    request.fadeOut = static_cast<int>(values.fadeOut.toDouble() * 1000.0 + 0.5);
    request.repeats = values.loop ? -1 : 0;
    const SfxDto back = RecordOfRequest(request, *catalogue_, "sfx.3", stored.outputPath());
    QCOMPARE(back.name(), stored.name());
    QCOMPARE(back.outputPath(), stored.outputPath());
    QCOMPARE(back.fadeIn(), stored.fadeIn());
    QCOMPARE(back.fadeOut(), stored.fadeOut());
    QCOMPARE(back.repeats(), stored.repeats());
    QCOMPARE(back.pan(), stored.pan());
    QCOMPARE(back.reverb(), stored.reverb());
    QVERIFY2(std::abs(back.volume() - stored.volume()) < 1e-5f, qPrintable(QString::number(back.volume())));
  }

  void customEntryBecomesParameters_data() {
    QTest::addColumn<int>("commandIndex");
    QTest::addColumn<bool>("loop");
    QTest::addColumn<int>("fadeIn");
    QTest::addColumn<double>("pan");
    QTest::addColumn<int>("command");
    QTest::addColumn<int>("repeats");
    QTest::addColumn<uint>("recordFadeIn");
    QTest::addColumn<double>("recordPan");
    const int play = static_cast<int>(CustomAudioCommand::PLAY);
    const int stop = static_cast<int>(CustomAudioCommand::STOP);
    QTest::newRow("play once") << 0 << false << 1500 << 50.0 << play << 0 << 1500u << 0.5;
    QTest::newRow("play looping") << 0 << true << 0 << 0.0 << play << -1 << 0u << 0.0;
    QTest::newRow("stop") << 1 << false << 0 << 100.0 << stop << 0 << 0u << 1.0;
    QTest::newRow("long fade clamps") << 0 << false << 100000 << 130.0 << play << 0 << 65535u << 1.0;
    QTest::newRow("negative fade") << 0 << false << -5 << 50.0 << play << 0 << 0u << 0.5;
  }

  void customEntryBecomesParameters() {
    QFETCH(int, commandIndex);
    QFETCH(bool, loop);
    QFETCH(int, fadeIn);
    QFETCH(double, pan);
    QFETCH(int, command);
    QFETCH(int, repeats);
    QFETCH(uint, recordFadeIn);
    QFETCH(double, recordPan);
    const QString file = dir_.filePath("Thunder Roll.take2.wav");
    const auto parameters = ParametersOfEntry({QUrl::fromLocalFile(file), commandIndex, 0.5, pan, fadeIn, 300, loop});
    QCOMPARE(parameters.file(), file);
    QCOMPARE(parameters.name(), QStringLiteral("Thunder Roll.take2"));
    QCOMPARE(static_cast<int>(parameters.command()), command);
    QCOMPARE(parameters.repeats(), repeats);
    QCOMPARE(parameters.fadeIn(), recordFadeIn);
    QCOMPARE(parameters.fadeOut(), 300u);
    QCOMPARE(parameters.volume(), 0.5);
    QCOMPARE(parameters.pan(), recordPan);
    QCOMPARE(parameters.reverb(), 0.0);
    QVERIFY(parameters.outputPath().isEmpty());
    QVERIFY(parameters.networkPatch().isEmpty());
  }

  void refusedCustomEntries_data() {
    QTest::addColumn<QUrl>("url");
    QTest::addColumn<double>("volume");
    QTest::newRow("web address") << QUrl("https://example.com/a.wav") << 1.0;
    QTest::newRow("resource") << QUrl("qrc:/a.wav") << 1.0;
    QTest::newRow("no file") << QUrl() << 1.0;
    QTest::newRow("NaN volume") << QUrl::fromLocalFile("/tmp/a.wav") << std::numeric_limits<double>::quiet_NaN();
  }

  void refusedCustomEntries() {
    QFETCH(QUrl, url);
    QFETCH(double, volume);
    QVERIFY_THROWS_EXCEPTION(std::invalid_argument, ParametersOfEntry({url, 0, volume, 50.0, 0, 0, false}));
  }

  void summaryNamesTheEffect() {
    QCOMPARE(InstanceSummary(Record("sfx.1", "Front door", "bell"), *catalogue_), QStringLiteral("Front door (Bell)"));
    QCOMPARE(InstanceSummary(Record("sfx.2", "Storm", "rain"), *catalogue_), QStringLiteral("Storm (Rain)"));
    QCOMPARE(InstanceSummary(Record("sfx.3", "Gone", "removed-effect"), *catalogue_), QStringLiteral("Gone"));
  }

  void catalogueListsPrimaryThenAmbient() {
    CatalogueModel model(*catalogue_);
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
    QStringList ids;
    QStringList names;
    for (int row = 0; row < model.rowCount(); ++row) {
      ids << model.data(model.index(row), CatalogueModel::SfxIdRole).toString();
      names << model.data(model.index(row), CatalogueModel::DisplayNameRole).toString();
    }
    QCOMPARE(ids, QStringList({"bell", "knock", "chime", "rain"}));
    QCOMPARE(names, QStringList({"Bell", "Knock", "Chime", "Rain"}));
    QCOMPARE(model.RowOf("rain"), 3);
    QCOMPARE(model.RowOf("thunder"), -1);
    QCOMPARE(model.EffectIdAt(1), QStringLiteral("knock"));
    QCOMPARE(model.EffectIdAt(4), QString());
    QCOMPARE(model.roleNames().value(CatalogueModel::SfxIdRole), QByteArray("sfxid"));
  }

  // Ready effects are announced once, when their file has loaded; a reload
  // of the list must not forget them.
  void instancesKeepReadinessAcrossFills() {
    InstancesModel model;
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
    model.Fill({Record("sfx.1", "Door", "bell"), Record("sfx.2", "Storm", "rain"), Record("sfx.3", "Bell 2", "bell")},
               *catalogue_);
    const auto ready = [&model](int row) { return model.data(model.index(row), InstancesModel::IsReadyRole).toBool(); };
    QVERIFY(!ready(0) && !ready(1) && !ready(2));

    QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);
    model.EffectReady("bell");
    QCOMPARE(changed.count(), 2);
    QCOMPARE(changed.at(0).at(0).toModelIndex().row(), 0);
    QCOMPARE(changed.at(1).at(0).toModelIndex().row(), 2);
    QVERIFY(ready(0) && !ready(1) && ready(2));
    model.EffectReady("bell");
    QCOMPARE(changed.count(), 2);

    model.Fill({Record("sfx.2", "Storm", "rain"), Record("sfx.4", "Bell 3", "bell")}, *catalogue_);
    QCOMPARE(model.rowCount(), 2);
    QVERIFY(!ready(0));
    QVERIFY(ready(1));
    QCOMPARE(model.data(model.index(1), InstancesModel::EventIdRole).toString(), QStringLiteral("sfx.4"));
    QCOMPARE(model.data(model.index(1), InstancesModel::SummaryRole).toString(), QStringLiteral("Bell 3 (Bell)"));
    QCOMPARE(model.RowOf("sfx.4"), 1);
    QCOMPARE(model.RowOf("sfx.1"), -1);
  }

 private:
  QTemporaryDir dir_;
  std::unique_ptr<vand::sfx::SfxManifest> catalogue_;
};

QTEST_GUILESS_MAIN(SfxHostMappingTest)
#include "tst_sfxhost_mapping.moc"
