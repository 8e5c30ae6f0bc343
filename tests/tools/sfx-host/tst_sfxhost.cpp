#include "AudioFixtures.h"
#include "CL/Editor.h"
#include "ListRows.h"
#include "QmlWarningGuard.h"
#include "SfxHost.h"
#include "SfxShow.h"
#include "SinkMonitor.h"
#include "sfx/ActiveAudioListModel.h"
#include "sfx/SfxPlayerConnectionMediator.h"
#include "sfx/SfxPlayerControllerImpl.h"
#include "sfx/SfxRepository.h"
#include "ui/QmlEngineSetup.h"

#include <QtQuickTest/quicktest.h>
#include <QFile>
#include <QGuiApplication>
#include <QQmlEngine>
#include <QQuickItem>
#include <QQuickWindow>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <cmath>
#include <cstddef>
#include <memory>

using vand::audio::sfx::SfxDto;
using vand::sfx::ActiveAudioListModel;
using vand::sfxhost::SfxHost;

namespace {

QQuickItem* Find(QObject* root, const char* name) {
  return root ? root->findChild<QQuickItem*>(QString::fromUtf8(name)) : nullptr;
}

// A press and release at the item's centre, or at a fraction of its width.
void Click(QQuickItem* item, double xFraction = 0.5) {
  QVERIFY(item);
  QQuickWindow* window = item->window();
  QVERIFY(window);
  const QPointF at = item->mapToScene(QPointF(item->width() * xFraction, item->height() / 2));
  QTest::mouseClick(window, Qt::LeftButton, Qt::NoModifier, at.toPoint());
}

bool Enabled(QObject* root, const char* name) {
  QQuickItem* item = Find(root, name);
  return item && item->isEnabled();
}

}  // namespace

class SfxHostTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase();
  void init();
  void cleanup();
  void cleanupTestCase();

  void createdInstanceIsStoredAndListed();
  void playFromManagerSoundsAndEnds();
  void stopFromRowFreesTheManager();
  void refusedPlayFreesTheManager();
  void pinnedRowOutlivesItsSound();
  void seekMovesThePlayer();
  void fileOfOnesOwnPlays();
  void refusedFileIsShown();
  void editKeepsWhatTheDialogDoesNotShow();
  void deleteRemovesTheEvent();
  void closedManagerComesBack();

 private:
  // A stored instance, listed in the manager and ready to play.
  QString addInstance(const std::string& effectId, const std::string& name, int repeats = 0,
                      const std::string& outputPath = "");
  QQuickItem* instanceRow(const QString& eventId) const;
  // The first row's delegate in the active-audio window (or a child of it),
  // looked up afresh: the list may make it again.
  QQuickItem* activeRow(const char* child = nullptr) const;
  void selectInstance(const QString& eventId);
  QString writeWav(const QString& name, double seconds);
  ActiveAudioListModel& activeAudio() { return *host_->Controller().getActiveAudioList(); }
  vand::audio::ChangeLogSfxRepository store() { return vand::audio::ChangeLogSfxRepository(&editor_); }

  QTemporaryDir dir_;
  CL::Editor editor_;
  std::unique_ptr<QQmlEngine> engine_;
  std::unique_ptr<SfxHost> host_;
  std::unique_ptr<vand::test::QmlWarningGuard> warnings_;
  QObject* manager_ = nullptr;
};

void SfxHostTest::initTestCase() {
  VAND_REQUIRE_SOUND_SERVER();
  QVERIFY(dir_.isValid());
  vand::test::InstallDemoCatalogue(dir_);
  // One host for the run, as in the program: the process's controller
  // announces an effect file ready once, when it has loaded.
  warnings_ = std::make_unique<vand::test::QmlWarningGuard>();
  engine_ = std::make_unique<QQmlEngine>();
  vand::qt::PrepareQmlEngine(*engine_);
  host_ = std::make_unique<SfxHost>(editor_, *engine_);
  manager_ = host_->ManagerWindow();
  QVERIFY(manager_);
}

void SfxHostTest::init() {
  QVERIFY(host_);
  host_->ShowManager();
  QVERIFY(QTest::qWaitForWindowExposed(host_->ManagerWindow()));
  QVERIFY(QTest::qWaitForWindowExposed(host_->ActiveAudioWindow()));
}

void SfxHostTest::cleanup() {
  if (!host_) return;
  auto repository = store();
  for (const SfxDto& record : repository.Get()) repository.Delete(record.eventId());
  ActiveAudioListModel& list = activeAudio();
  for (int row = 0; row < list.rowCount(); ++row)
    list.setData(list.index(row), false, ActiveAudioListModel::IsPinnedRole);
  host_->Controller().stop(true);
  host_->Reload();
  QTRY_COMPARE_WITH_TIMEOUT(list.rowCount(), 0, 10000);
  // The process's controller outlives the test: a player it kept would play
  // into the next one.
  std::unique_ptr<vand::audio::SfxRepository> none;
  QTRY_COMPARE(vand::audio::SfxPlayerControllerImpl::instance(none)->PlayerCount(), std::size_t(0));
  QTRY_VERIFY(Enabled(manager_, "createButton"));
  if (QObject* message = host_->ActiveAudioWindow()->findChild<QObject*>(QStringLiteral("messageWindow")))
    message->setProperty("visible", false);
  const QStringList warnings = warnings_->warnings();
  warnings_->clear();
  QVERIFY2(warnings.isEmpty(), qPrintable(warnings.join(QLatin1Char('\n'))));
}

void SfxHostTest::cleanupTestCase() {
  host_.reset();
  engine_.reset();
  warnings_.reset();
}

QString SfxHostTest::addInstance(const std::string& effectId, const std::string& name, int repeats,
                                 const std::string& outputPath) {
  auto repository = store();
  const std::string eventId = repository.GenerateEventId();
  repository.Save(SfxDto::builder()
                      .eventId(eventId)
                      .name(name)
                      .effectId(effectId)
                      .outputPath(outputPath)
                      .repeats(repeats)
                      .type(effectId == "rain" ? vand::audio::SfxType::AMBIENT : vand::audio::SfxType::PRIMARY)
                      .build());
  // The host reloads as the manager's own edits do.
  host_->Reload();
  const QString id = QString::fromStdString(eventId);
  const vand::sfxhost::InstancesModel& instances = host_->Instances();
  [&] { QTRY_VERIFY_WITH_TIMEOUT(instances.RowOf(id) >= 0, 5000); }();
  [&] {
    QTRY_VERIFY_WITH_TIMEOUT(
        instances.data(instances.index(instances.RowOf(id)), vand::sfxhost::InstancesModel::IsReadyRole).toBool(),
        10000);
  }();
  return id;
}

QQuickItem* SfxHostTest::instanceRow(const QString& eventId) const {
  const int row = host_->Instances().RowOf(eventId);
  return row < 0 ? nullptr : vand::test::ListRow(manager_, QStringLiteral("instanceList"), row);
}

QQuickItem* SfxHostTest::activeRow(const char* child) const {
  QQuickItem* row = vand::test::ListRow(host_->ActiveAudioWindow(), QStringLiteral("activeAudioList"), 0);
  return child ? Find(row, child) : row;
}

// One click, once no modal dialog blocks the window (its input would be
// dropped), the window takes input and the rows are laid out where the click
// lands. The headless platform has no window manager to hand the window the
// focus back when a dialog closes: the test asks for it as one would.
void SfxHostTest::selectInstance(const QString& eventId) {
  QTRY_VERIFY(instanceRow(eventId));
  QTRY_VERIFY(!QGuiApplication::modalWindow());
  host_->ManagerWindow()->requestActivate();
  QVERIFY(QTest::qWaitForWindowActive(host_->ManagerWindow()));
  QVERIFY(QQuickTest::qWaitForPolish(host_->ManagerWindow()));
  Click(Find(instanceRow(eventId), "instanceRowArea"));
  QCOMPARE(manager_->property("selectedSfxInstanceEventId").toString(), eventId);
}

QString SfxHostTest::writeWav(const QString& name, double seconds) {
  const QString path = dir_.filePath(name);
  QFile file(path);
  if (!file.open(QIODevice::WriteOnly)) return {};
  const std::string bytes =
      vand_audio::fixtures::Sine(vand_audio::SoundFileFormat::Wav16, 48000, 2, seconds, 330.0, 0.5);
  file.write(bytes.data(), static_cast<qint64>(bytes.size()));
  return path;
}

// Create: the chosen effect's dialog, its values mapped into the change log,
// the new instance listed and, once its file is loaded, ready.
void SfxHostTest::createdInstanceIsStoredAndListed() {
  QTRY_VERIFY(vand::test::ListRow(manager_, QStringLiteral("sourceList"), 2));
  Click(Find(vand::test::ListRow(manager_, QStringLiteral("sourceList"), 2), "sourceRowArea"));
  QTRY_COMPARE(manager_->property("selectedSfxEffectId").toString(), QStringLiteral("chime"));
  const std::string expectedId = store().PreviewEventId();
  Click(Find(manager_, "createButton"));

  QObject* dialog = host_->InstanceDialog();
  QVERIFY(dialog);
  QTRY_VERIFY(dialog->property("visible").toBool());
  QCOMPARE(dialog->property("title").toString(), QStringLiteral("Create Instance"));
  QCOMPARE(dialog->property("eventId").toString(), QString::fromStdString(expectedId));
  QCOMPARE(dialog->property("name").toString(), QStringLiteral("Chime"));
  QCOMPARE(dialog->property("reverb").toDouble(), 0.0);
  dialog->setProperty("name", QStringLiteral("Church bells"));
  dialog->setProperty("pan", 25.0);
  dialog->setProperty("fadeIn", QStringLiteral("0.5"));
  dialog->setProperty("fadeOut", QStringLiteral("-1"));
  dialog->setProperty("loop", true);
  dialog->setProperty("volume", 1.0);
  Click(Find(Find(dialog, "buttons"), "okButton"));

  QTRY_VERIFY(!host_->InstanceDialog());
  const std::optional<SfxDto> stored = store().GetById(expectedId);
  QVERIFY(stored);
  QCOMPARE(stored->name(), std::string("Church bells"));
  QCOMPARE(stored->effectId(), std::string("chime"));
  QCOMPARE(stored->type(), vand::audio::SfxType::PRIMARY);
  QCOMPARE(stored->pan(), 0.25f);
  QCOMPARE(stored->reverb(), 0.0f);
  QCOMPARE(stored->fadeIn(), std::uint16_t(500));
  QCOMPARE(stored->fadeOut(), std::uint16_t(0));
  QCOMPARE(stored->repeats(), -1);
  QCOMPARE(stored->volume(), 1.0f);
  QVERIFY(stored->outputPath().empty());

  const QString id = QString::fromStdString(expectedId);
  QTRY_VERIFY(instanceRow(id));
  QCOMPARE(Find(instanceRow(id), "instanceSummary")->property("text").toString(),
           QStringLiteral("Church bells (Chime)"));
  QTRY_VERIFY_WITH_TIMEOUT(instanceRow(id)->property("isReady").toBool(), 10000);
}

// Play from the manager: the row appears and progresses, the sound reaches
// the sink, the buttons wait, and the end of the sound frees them.
void SfxHostTest::playFromManagerSoundsAndEnds() {
  const QString id = addInstance("bell", "Doorbell");
  selectInstance(id);
  QVERIFY(Enabled(manager_, "editButton"));
  const std::set<int> before = vand::test::OurSinkInputs();
  QSignalSpy inserted(&activeAudio(), &QAbstractItemModel::rowsInserted);
  Click(Find(instanceRow(id), "rowPlayArea"));

  QTRY_COMPARE_WITH_TIMEOUT(activeAudio().rowCount(), 1, 10000);
  QVERIFY(!Enabled(manager_, "createButton"));
  QVERIFY(!Enabled(manager_, "editButton"));
  QVERIFY(!Enabled(manager_, "deleteButton"));
  QTRY_VERIFY(activeRow("nameText"));
  QCOMPARE(activeRow("nameText")->property("text").toString(), QStringLiteral("Doorbell"));
  const int input = vand::test::NewSinkInput(before);
  QVERIFY(input >= 0);
  const vand::test::Loudness heard = vand::test::Listen(input, 44100 / 4);
  QVERIFY2(heard.first > 0.01, qPrintable(QString::number(heard.first)));
  QTRY_VERIFY(activeAudio().data(activeAudio().index(0), ActiveAudioListModel::ProgressRole).toDouble() > 0.1);
  QVERIFY(activeRow("timeText")->property("text").toString().endsWith(QStringLiteral("/ 0:02")));

  QTRY_COMPARE_WITH_TIMEOUT(activeAudio().rowCount(), 0, 10000);
  QTRY_VERIFY(Enabled(manager_, "createButton"));
  QVERIFY(Enabled(manager_, "editButton"));
  QVERIFY(Enabled(manager_, "deleteButton"));
  QCOMPARE(manager_->property("playing").toList().size(), 0);
  QCOMPARE(inserted.count(), 1);
}

// Stop from the active-audio row: the looping sound fades out, its row goes
// and the manager hears that it ended.
void SfxHostTest::stopFromRowFreesTheManager() {
  const QString id = addInstance("rain", "Storm", -1);
  QTRY_VERIFY(instanceRow(id));
  Click(Find(instanceRow(id), "rowPlayArea"));
  QTRY_COMPARE_WITH_TIMEOUT(activeAudio().rowCount(), 1, 10000);
  QTRY_VERIFY(!Enabled(manager_, "createButton"));
  QTRY_VERIFY(activeRow("playArea"));
  Click(activeRow("playArea"));
  QTRY_COMPARE_WITH_TIMEOUT(activeAudio().rowCount(), 0, 10000);
  QTRY_VERIFY(Enabled(manager_, "createButton"));
  QCOMPARE(manager_->property("playing").toList().size(), 0);
}

// A play refused at once (every voice busy) is reported ended after the
// window has recorded it: the row shows play again and the buttons come
// back. Reported from inside the window's request, before the window
// recorded the play, it would leave the manager waiting for ever.
void SfxHostTest::refusedPlayFreesTheManager() {
  const QString refused = addInstance("knock", "Refused");
  std::vector<QString> busy;
  for (int i = 0; i < 16; ++i) busy.push_back(addInstance("rain", "Rain " + std::to_string(i), -1));
  for (const QString& id : busy) QVERIFY(host_->Controller().play(id.toStdString()) != 0);
  QTRY_COMPARE_WITH_TIMEOUT(activeAudio().rowCount(), 16, 10000);
  QSignalSpy shown(host_.get(), &SfxHost::messageShown);

  QTRY_VERIFY(instanceRow(refused));
  Click(Find(instanceRow(refused), "rowPlayArea"));
  QTRY_VERIFY_WITH_TIMEOUT(!shown.isEmpty(), 10000);
  QCOMPARE(shown.at(0).at(0).toString(), QStringLiteral("WARNING"));
  QTRY_COMPARE(manager_->property("playing").toList().size(), 0);
  QTRY_VERIFY(Enabled(manager_, "createButton"));
  QVERIFY(!Find(instanceRow(refused), "rowPlayButton")->property("playing").toBool());
  QCOMPARE(activeAudio().rowCount(), 16);
}

// Pin: the row stays after its sound ends; unpinning lets it go.
void SfxHostTest::pinnedRowOutlivesItsSound() {
  const QString id = addInstance("knock", "Knock");
  QTRY_VERIFY(instanceRow(id));
  Click(Find(instanceRow(id), "rowPlayArea"));
  QTRY_COMPARE_WITH_TIMEOUT(activeAudio().rowCount(), 1, 10000);
  QTRY_VERIFY(activeRow("pinArea"));
  Click(activeRow("pinArea"));
  QVERIFY(activeAudio().data(activeAudio().index(0), ActiveAudioListModel::IsPinnedRole).toBool());
  QTRY_VERIFY(activeRow("pinOverlay") && !activeRow("pinOverlay")->isVisible());

  QTRY_VERIFY_WITH_TIMEOUT(!activeAudio().data(activeAudio().index(0), ActiveAudioListModel::IsPlayingRole).toBool(),
                           10000);
  QTRY_VERIFY(Enabled(manager_, "createButton"));
  QCOMPARE(activeAudio().rowCount(), 1);

  Click(activeRow("pinArea"));
  QTRY_COMPARE_WITH_TIMEOUT(activeAudio().rowCount(), 0, 10000);
}

// A click on the row's middle area moves the player there: it reports
// progress from the new place. A report or two from before the move may still
// be on its way; playing on from the old place would give dozens below 0.5.
void SfxHostTest::seekMovesThePlayer() {
  const QString id = addInstance("bell", "Doorbell");
  QTRY_VERIFY(instanceRow(id));
  Click(Find(instanceRow(id), "rowPlayArea"));
  QTRY_COMPARE_WITH_TIMEOUT(activeAudio().rowCount(), 1, 10000);
  QTRY_VERIFY(activeRow("seekArea"));
  const auto progress = [this] {
    return activeAudio().data(activeAudio().index(0), ActiveAudioListModel::ProgressRole).toDouble();
  };
  QTRY_VERIFY(progress() > 0.0);
  QVERIFY(progress() < 0.2);

  std::vector<double> after;
  QObject context;
  connect(&activeAudio(), &QAbstractItemModel::dataChanged, &context,
          [&](const QModelIndex& from, const QModelIndex&, const QList<int>& roles) {
            if (roles.contains(ActiveAudioListModel::ProgressRole))
              after.push_back(activeAudio().data(from, ActiveAudioListModel::ProgressRole).toDouble());
          });
  Click(activeRow("seekArea"), 0.5);
  QTRY_VERIFY_WITH_TIMEOUT(!after.empty() && after.back() > 0.55, 5000);
  const auto behind = std::count_if(after.begin(), after.end(), [](double p) { return p < 0.5; });
  QVERIFY2(behind < 10, qPrintable(QString::number(behind) + " reports from before the seek"));
  QTRY_COMPARE_WITH_TIMEOUT(activeAudio().rowCount(), 0, 10000);
}

// A WAV chosen in the custom audio dialog plays under its own path. It is
// long enough to be still sounding once its stream is found and recorded on
// a busy machine.
void SfxHostTest::fileOfOnesOwnPlays() {
  const QString wav = writeWav(QStringLiteral("door slam.wav"), 3.0);
  QVERIFY(!wav.isEmpty());
  Click(Find(host_->ActiveAudioWindow(), "playFileButton"));
  QObject* dialog = host_->CustomDialog();
  QVERIFY(dialog);
  QTRY_VERIFY(dialog->property("visible").toBool());
  QQuickItem* ok = Find(Find(dialog, "buttons"), "okButton");
  QVERIFY(!ok->isEnabled());
  QVERIFY(
      QMetaObject::invokeMethod(Find(dialog, "fileInput"), "chooseFile", Q_ARG(QVariant, QUrl::fromLocalFile(wav))));
  QTRY_VERIFY(ok->isEnabled());
  const std::set<int> before = vand::test::OurSinkInputs();
  Click(ok);

  QTRY_VERIFY(!host_->CustomDialog());
  QTRY_COMPARE_WITH_TIMEOUT(activeAudio().rowCount(), 1, 10000);
  QCOMPARE(activeAudio().data(activeAudio().index(0), ActiveAudioListModel::NameRole).toString(), wav);
  const int input = vand::test::NewSinkInput(before);
  QVERIFY(input >= 0);
  const vand::test::Loudness heard = vand::test::Listen(input, 44100 / 8);
  QVERIFY2(heard.first > 0.01, qPrintable(QString::number(heard.first)));
  QTRY_COMPARE_WITH_TIMEOUT(activeAudio().rowCount(), 0, 10000);
}

// A file that is no audio: the host says so and nothing plays.
void SfxHostTest::refusedFileIsShown() {
  const QString path = dir_.filePath(QStringLiteral("notes.wav"));
  QFile file(path);
  QVERIFY(file.open(QIODevice::WriteOnly));
  file.write("these are not samples");
  file.close();
  QSignalSpy shown(host_.get(), &SfxHost::messageShown);
  host_->OpenCustomAudio();
  QObject* dialog = host_->CustomDialog();
  QVERIFY(dialog);
  QVERIFY(
      QMetaObject::invokeMethod(Find(dialog, "fileInput"), "chooseFile", Q_ARG(QVariant, QUrl::fromLocalFile(path))));
  Click(Find(Find(dialog, "buttons"), "okButton"));

  QTRY_VERIFY_WITH_TIMEOUT(!shown.isEmpty(), 10000);
  QTRY_VERIFY(std::any_of(shown.cbegin(), shown.cend(), [](const QList<QVariant>& message) {
    return message.at(0).toString() == QLatin1String("ERROR");
  }));
  QObject* window = host_->ActiveAudioWindow()->findChild<QObject*>(QStringLiteral("messageWindow"));
  QVERIFY(window->property("visible").toBool());
  QVERIFY(!window->property("text").toString().isEmpty());
  QCOMPARE(activeAudio().rowCount(), 0);
}

// Edit: the dialog shows the stored values; OK changes what it shows and
// keeps the output path, which it does not.
void SfxHostTest::editKeepsWhatTheDialogDoesNotShow() {
  const QString id = addInstance("knock", "Knocking", 0, "Booth");
  selectInstance(id);
  Click(Find(manager_, "editButton"));
  QObject* dialog = host_->InstanceDialog();
  QVERIFY(dialog);
  QTRY_VERIFY(dialog->property("visible").toBool());
  QCOMPARE(dialog->property("title").toString(), QStringLiteral("Edit Instance"));
  QCOMPARE(dialog->property("eventId").toString(), id);
  QCOMPARE(dialog->property("name").toString(), QStringLiteral("Knocking"));
  QCOMPARE(dialog->property("effectId").toString(), QStringLiteral("knock"));
  QCOMPARE(dialog->property("loop").toBool(), false);
  dialog->setProperty("name", QStringLiteral("Knocking twice"));
  dialog->setProperty("effectIdIndex", 0);
  Click(Find(Find(dialog, "buttons"), "okButton"));

  QTRY_VERIFY(!host_->InstanceDialog());
  const std::optional<SfxDto> stored = store().GetById(id.toStdString());
  QVERIFY(stored);
  QCOMPARE(stored->name(), std::string("Knocking twice"));
  QCOMPARE(stored->effectId(), std::string("bell"));
  QCOMPARE(stored->outputPath(), std::string("Booth"));
  QCOMPARE(store().Get().size(), std::size_t(1));
  QTRY_COMPARE(Find(instanceRow(id), "instanceSummary")->property("text").toString(),
               QStringLiteral("Knocking twice (Bell)"));
}

// Delete: the event leaves the change log and the list; the selection is
// cleared.
void SfxHostTest::deleteRemovesTheEvent() {
  const QString kept = addInstance("bell", "Kept");
  const QString id = addInstance("chime", "Gone");
  selectInstance(id);
  Click(Find(manager_, "deleteButton"));
  QVERIFY(!store().GetById(id.toStdString()));
  QVERIFY(store().GetById(kept.toStdString()));
  QTRY_COMPARE(host_->Instances().rowCount(), 1);
  QCOMPARE(host_->Instances().RowOf(kept), 0);
  QCOMPARE(manager_->property("selectedSfxInstanceEventId").toString(), QString());
}

// Close hides the manager (its own closing asks again, so it must not close
// it once more); the host's button brings it back.
void SfxHostTest::closedManagerComesBack() {
  Click(Find(manager_, "closeButton"));
  QTRY_VERIFY(!host_->ManagerWindow()->isVisible());
  QVERIFY(host_->ActiveAudioWindow()->isVisible());
  Click(Find(host_->ActiveAudioWindow(), "managerButton"));
  QTRY_VERIFY(host_->ManagerWindow()->isVisible());
  host_->ManagerWindow()->close();
  QTRY_VERIFY(!host_->ManagerWindow()->isVisible());
  host_->ShowManager();
  QTRY_VERIFY(host_->ManagerWindow()->isVisible());
}

QTEST_MAIN(SfxHostTest)
#include "tst_sfxhost.moc"
