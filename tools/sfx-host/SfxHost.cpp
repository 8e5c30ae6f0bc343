#include "SfxHost.h"

#include "CL/Editor.h"
#include "InstanceMapping.h"
#include "kit/Log.h"
#include "sfx/ActiveAudioListModel.h"
#include "sfx/SfxPlayerConnectionMediator.h"
#include "ui/QmlController.h"
#include "ui/ViewProperty.h"

#include <QMetaObject>
#include <QQmlEngine>
#include <QQuickWindow>
#include <QVariantList>

#include <cmath>
#include <exception>
#include <iostream>
#include <sstream>
#include <stdexcept>

namespace vand::sfxhost {

using vand::audio::SfxPlayerConnectionMediator;

namespace {

const char* kManagerUrl = "qrc:/qt/qml/com/tarnwick/vand_ui/qml/SfxManagerTool.qml";
const char* kInstanceToolUrl = "qrc:/qt/qml/com/tarnwick/vand_ui/qml/StandaloneSfxTool.qml";
const char* kCustomToolUrl = "qrc:/qt/qml/com/tarnwick/vand_ui/qml/organisms/SfxPropertyTool.qml";
const char* kActiveAudioUrl = "qrc:/sfx-host/qml/HostWindow.qml";

// The store writes a line to standard output for each event it writes; the
// host logs it instead.
class StoreOutput {
 public:
  StoreOutput() : previous_(std::cout.rdbuf(captured_.rdbuf())) {}
  ~StoreOutput() {
    std::cout.rdbuf(previous_);
    std::string line;
    while (std::getline(captured_, line)) kit::Log(kit::LogLevel::Info, "sfx-host", line);
  }
  StoreOutput(const StoreOutput&) = delete;
  StoreOutput& operator=(const StoreOutput&) = delete;

 private:
  std::stringstream captured_;
  std::streambuf* previous_;
};

// A player id as the views send it: a whole number a player id can be.
std::optional<unsigned long long> PlayerIdOf(double value) {
  if (!std::isfinite(value) || value < 0.0 || value >= 18446744073709551616.0 || std::trunc(value) != value)
    return std::nullopt;
  return static_cast<unsigned long long>(value);
}

void Connect(QObject* sender, const char* signal, QObject* receiver, const char* slot) {
  if (!sender || !QObject::connect(sender, signal, receiver, slot))
    throw std::logic_error(std::string("The view does not offer ") + (signal + 1) + ".");
}

}  // namespace

SfxHost::SfxHost(CL::Editor& editor, QQmlEngine& engine, QObject* parent)
    : QObject(parent), engine_(engine), store_(&editor), catalogue_(catalogueFile_) {
  editor.MakeActive();
  std::unique_ptr<vand::audio::SfxRepository> controllerStore =
      std::make_unique<vand::audio::ChangeLogSfxRepository>(&editor);
  controller_ = std::make_unique<vand::audio::SfxPlayerController>(controllerStore);

  SfxPlayerConnectionMediator* mediator = SfxPlayerConnectionMediator::instance();
  connect(mediator, &SfxPlayerConnectionMediator::onSfxIsReady, this,
          [this](const QString& effectId) { instances_.EffectReady(effectId); });
  connect(mediator, &SfxPlayerConnectionMediator::soundEffectError, this, &SfxHost::SoundEffectError_);

  const std::shared_ptr<vand::sfx::ActiveAudioListModel> activeAudio = controller_->getActiveAudioList();
  connect(activeAudio.get(), &QAbstractItemModel::rowsRemoved, this, &SfxHost::ScheduleFinishedCheck_);
  connect(activeAudio.get(), &QAbstractItemModel::modelReset, this, &SfxHost::ScheduleFinishedCheck_);
  // Progress is written many times a second; only a change of the playing
  // state can end a play.
  connect(activeAudio.get(), &QAbstractItemModel::dataChanged, this,
          [this](const QModelIndex&, const QModelIndex&, const QList<int>& roles) {
            if (roles.isEmpty() || roles.contains(vand::sfx::ActiveAudioListModel::IsPlayingRole))
              ScheduleFinishedCheck_();
          });

  instances_.Fill(store_.Get(), catalogueFile_);

  activeAudioWindow_ =
      vand::qt::BuildQmlObject(&engine_, QUrl(QString::fromUtf8(kActiveAudioUrl)), nullptr,
                               {{"activeAudioModel", QVariant::fromValue<QObject*>(activeAudio.get())}});
  manager_ = vand::qt::BuildQmlObject(&engine_, QUrl(QString::fromUtf8(kManagerUrl)), nullptr,
                                      {{"availableSoundEffectsModel", QVariant::fromValue<QObject*>(&catalogue_)},
                                       {"soundEffectInstancesModel", QVariant::fromValue<QObject*>(&instances_)}});
  if (!manager_ || !activeAudioWindow_)
    throw std::runtime_error("The sound-effect views could not be built; the log says why.");
  QQmlEngine::setObjectOwnership(manager_, QQmlEngine::CppOwnership);
  QQmlEngine::setObjectOwnership(activeAudioWindow_, QQmlEngine::CppOwnership);

  Connect(manager_, SIGNAL(playSfx(QString)), this, SLOT(PlaySfx_(QString)));
  Connect(manager_, SIGNAL(stopSfx(QString)), this, SLOT(StopSfx_(QString)));
  Connect(manager_, SIGNAL(addSoundEffectInstanceClicked(QString)), this, SLOT(AddInstance_(QString)));
  Connect(manager_, SIGNAL(editSoundEffectInstanceClicked(QString)), this, SLOT(EditInstance_(QString)));
  Connect(manager_, SIGNAL(deleteSoundEffectInstanceClicked(QString)), this, SLOT(DeleteInstance_(QString)));
  // Hidden, not closed: the window asks on its own closing too.
  Connect(manager_, SIGNAL(requestClose()), manager_, SLOT(hide()));
  Connect(activeAudioWindow_, SIGNAL(setPosition(double, double)), this, SLOT(SetPosition_(double, double)));
  Connect(activeAudioWindow_, SIGNAL(playFileClicked()), this, SLOT(OpenCustomAudio()));
  Connect(activeAudioWindow_, SIGNAL(managerClicked()), this, SLOT(ShowManager()));

  // Loads the instances' effect files; each reports ready.
  SfxPlayerConnectionMediator::instance()->onSoundEffectsChanged();
}

SfxHost::~SfxHost() {
  for (QPointer<QObject>* view : {&instanceDialog_, &customDialog_, &manager_, &activeAudioWindow_})
    delete view->data();
}

QQuickWindow* SfxHost::ManagerWindow() const { return qobject_cast<QQuickWindow*>(manager_.data()); }

QQuickWindow* SfxHost::ActiveAudioWindow() const { return qobject_cast<QQuickWindow*>(activeAudioWindow_.data()); }

void SfxHost::ShowManager() {
  if (QQuickWindow* window = ManagerWindow()) {
    window->show();
    window->raise();
  }
}

void SfxHost::Guarded_(const QString& heading, const std::function<void()>& body) {
  try {
    body();
  } catch (const std::exception& e) {
    ShowMessage_(QStringLiteral("ERROR"), heading, QString::fromUtf8(e.what()));
  } catch (...) {
    ShowMessage_(QStringLiteral("ERROR"), heading, tr("An unknown error occurred."));
  }
}

void SfxHost::ShowMessage_(const QString& type, const QString& heading, const QString& text) {
  kit::Log(type == QLatin1String("ERROR") ? kit::LogLevel::Error : kit::LogLevel::Warning, "sfx-host",
           (heading + ": " + text).toStdString());
  QObject* window =
      activeAudioWindow_ ? activeAudioWindow_->findChild<QObject*>(QStringLiteral("messageWindow")) : nullptr;
  if (window) {
    vand::qt::SetViewProperty(window, "type", type);
    vand::qt::SetViewProperty(window, "title", heading);
    vand::qt::SetViewProperty(window, "text", text);
    vand::qt::SetViewProperty(window, "visible", true);
  }
  emit messageShown(type, heading, text);
}

void SfxHost::SoundEffectError_(const QString& priority, const QString& message, const QString& what) {
  Guarded_(tr("Sound Effect Error"), [&] {
    const bool warning = priority.compare(QLatin1String("warning"), Qt::CaseInsensitive) == 0;
    ShowMessage_(warning ? QStringLiteral("WARNING") : QStringLiteral("ERROR"),
                 warning ? tr("Sound Effect Warning") : tr("Sound Effect Error"), message);
    Q_UNUSED(what);
    // A play that failed to start leaves no row to watch.
    ScheduleFinishedCheck_();
  });
}

// Manager requests ------------------------------------------------------------

// The window records the play after this returns, so a play that fails is
// reported ended once the window has recorded it.
void SfxHost::PlaySfx_(const QString& eventId) {
  bool started = false;
  Guarded_(tr("Sound Effect Not Played"), [&] {
    const unsigned long long playerId = controller_->play(eventId.toStdString());
    if (playerId == 0) return;
    playing_[eventId] = playerId;
    started = true;
    ScheduleFinishedCheck_();
  });
  if (!started)
    QMetaObject::invokeMethod(
        this, [this, eventId] { Finished_(eventId); }, Qt::QueuedConnection);
}

void SfxHost::StopSfx_(const QString& eventId) {
  Guarded_(tr("Sound Effect Not Stopped"), [&] { controller_->stop(eventId.toStdString()); });
}

void SfxHost::AddInstance_(const QString& effectId) {
  Guarded_(tr("Instance Not Created"), [&] {
    OpenInstanceDialog_(false, QString::fromStdString(store_.PreviewEventId()));
    vand::qt::SetViewProperty(instanceDialog_, "effectIdIndex", catalogue_.RowOf(effectId));
    vand::qt::SetViewProperty(instanceDialog_, "reverb", 0);
    vand::qt::SetViewProperty(instanceDialog_, "visible", true);
  });
}

void SfxHost::EditInstance_(const QString& eventId) {
  Guarded_(tr("Instance Not Edited"), [&] {
    const std::optional<vand::audio::sfx::SfxDto> record = store_.GetById(eventId.toStdString());
    if (!record) throw std::invalid_argument("The show has no sound-effect instance " + eventId.toStdString() + ".");
    const InstanceDialogValues values = DialogValuesOfRecord(*record);
    OpenInstanceDialog_(true, eventId);
    QObject* dialog = instanceDialog_;
    // The effect first: the name follows it until a name is written.
    vand::qt::SetViewProperty(dialog, "effectIdIndex", catalogue_.RowOf(values.effectId));
    vand::qt::SetViewProperty(dialog, "name", values.name);
    vand::qt::SetViewProperty(dialog, "volume", values.volume);
    vand::qt::SetViewProperty(dialog, "pan", values.pan);
    vand::qt::SetViewProperty(dialog, "reverb", values.reverb);
    vand::qt::SetViewProperty(dialog, "fadeIn", values.fadeIn);
    vand::qt::SetViewProperty(dialog, "fadeOut", values.fadeOut);
    vand::qt::SetViewProperty(dialog, "loop", values.loop);
    vand::qt::SetViewProperty(dialog, "visible", true);
  });
}

void SfxHost::DeleteInstance_(const QString& eventId) {
  Guarded_(tr("Instance Not Deleted"), [&] {
    {
      StoreOutput output;
      store_.Delete(eventId.toStdString());
    }
    Reload();
  });
}

// Dialogs -------------------------------------------------------------------

QObject* SfxHost::BuildDialog_(const char* url) {
  QObject* dialog = vand::qt::BuildQmlObject(&engine_, QUrl(QString::fromUtf8(url)), manager_);
  if (!dialog) throw std::runtime_error(std::string("The dialog ") + url + " could not be built; the log says why.");
  QQmlEngine::setObjectOwnership(dialog, QQmlEngine::CppOwnership);
  // Nothing chooses an output path here: sounds play on the default output.
  vand::qt::SetViewProperty(dialog, "outputPathsModel", QVariantList());
  vand::qt::SetViewProperty(dialog, "effectModel", QVariant::fromValue<QObject*>(&catalogue_));
  return dialog;
}

void SfxHost::OpenInstanceDialog_(bool isEdit, const QString& eventId) {
  DropDialog_(instanceDialog_);
  instanceDialog_ = BuildDialog_(kInstanceToolUrl);
  vand::qt::SetViewProperty(instanceDialog_, "isEdit", isEdit);
  vand::qt::SetViewProperty(instanceDialog_, "eventId", eventId);
  Connect(instanceDialog_,
          SIGNAL(createRequest(QString, QString, int, QString, int, double, double, int, int, int, int)), this,
          SLOT(CreateRequest_(QString, QString, int, QString, int, double, double, int, int, int, int)));
  Connect(instanceDialog_,
          SIGNAL(changeRequest(QString, QString, int, QString, int, double, double, int, int, int, int)), this,
          SLOT(ChangeRequest_(QString, QString, int, QString, int, double, double, int, int, int, int)));
  Connect(instanceDialog_, SIGNAL(toolClosing()), this, SLOT(InstanceDialogClosing_()));
}

void SfxHost::OpenCustomAudio() {
  Guarded_(tr("Custom Audio Not Opened"), [&] {
    DropDialog_(customDialog_);
    customDialog_ = BuildDialog_(kCustomToolUrl);
    Connect(customDialog_, SIGNAL(updateCustomAudioEntry(QUrl, int, double, double, int, int, bool)), this,
            SLOT(CustomEntry_(QUrl, int, double, double, int, int, bool)));
    Connect(customDialog_, SIGNAL(toolClosing()), this, SLOT(CustomDialogClosing_()));
    vand::qt::SetViewProperty(customDialog_, "visible", true);
  });
}

void SfxHost::DropDialog_(QPointer<QObject>& dialog) {
  if (!dialog) return;
  QObject* old = dialog;
  dialog = nullptr;
  old->disconnect(this);
  old->setProperty("visible", false);
  // The dialog may be inside one of its own signals.
  old->deleteLater();
}

void SfxHost::InstanceDialogClosing_() { DropDialog_(instanceDialog_); }

void SfxHost::CustomDialogClosing_() { DropDialog_(customDialog_); }

void SfxHost::CreateRequest_(const QString& name, const QString& outputPath, int, const QString& effectId, int,
                             double volume, double pan, int reverb, int fadeIn, int fadeOut, int repeats) {
  Guarded_(tr("Instance Not Created"), [&] {
    const InstanceRequest request{name,   outputPath, effectId, volume, pan, static_cast<double>(reverb),
                                  fadeIn, fadeOut,    repeats};
    {
      StoreOutput output;
      const std::string eventId = store_.GenerateEventId();
      store_.Save(RecordOfRequest(request, catalogueFile_, eventId, std::string()));
    }
    Reload();
  });
}

void SfxHost::ChangeRequest_(const QString& name, const QString& outputPath, int, const QString& effectId, int,
                             double volume, double pan, int reverb, int fadeIn, int fadeOut, int repeats) {
  Guarded_(tr("Instance Not Changed"), [&] {
    const QString eventId = sender() ? sender()->property("eventId").toString() : QString();
    const std::optional<vand::audio::sfx::SfxDto> stored = store_.GetById(eventId.toStdString());
    if (!stored) throw std::invalid_argument("The show has no sound-effect instance " + eventId.toStdString() + ".");
    const InstanceRequest request{name,   outputPath, effectId, volume, pan, static_cast<double>(reverb),
                                  fadeIn, fadeOut,    repeats};
    {
      StoreOutput output;
      store_.Update(eventId.toStdString(),
                    RecordOfRequest(request, catalogueFile_, eventId.toStdString(), stored->outputPath()));
    }
    Reload();
  });
}

void SfxHost::CustomEntry_(const QUrl& fileUrl, int commandIndex, double volume, double pan, int fadeIn, int fadeOut,
                           bool loop) {
  Guarded_(tr("Custom Audio Not Played"), [&] {
    const vand::audio::CustomAudioParameters parameters =
        ParametersOfEntry({fileUrl, commandIndex, volume, pan, fadeIn, fadeOut, loop});
    if (parameters.command() == vand::audio::CustomAudioCommand::STOP)
      controller_->stop(parameters);
    else
      controller_->play(parameters);
  });
}

void SfxHost::SetPosition_(double playerId, double position) {
  Guarded_(tr("Sound Effect Not Moved"), [&] {
    const std::optional<unsigned long long> id = PlayerIdOf(playerId);
    if (!id || !std::isfinite(position)) return;
    controller_->SetPosition(*id, std::clamp(position, 0.0, 1.0));
  });
}

void SfxHost::Reload() {
  SfxPlayerConnectionMediator::instance()->onSoundEffectsChanged();
  instances_.Fill(store_.Get(), catalogueFile_);
  ScheduleFinishedCheck_();
}

// The end of a play -----------------------------------------------------------

void SfxHost::ScheduleFinishedCheck_() {
  if (checkQueued_ || playing_.empty()) return;
  checkQueued_ = true;
  QMetaObject::invokeMethod(this, &SfxHost::CheckFinished_, Qt::QueuedConnection);
}

void SfxHost::CheckFinished_() {
  checkQueued_ = false;
  Guarded_(tr("Sound Effect Error"), [&] {
    std::vector<QString> finished;
    for (const auto& [eventId, playerId] : playing_) {
      bool done = true;
      try {
        done = controller_->Done(playerId);
      } catch (const std::out_of_range&) {
        // The player was pruned.
      }
      if (done) finished.push_back(eventId);
    }
    for (const QString& eventId : finished) Finished_(eventId);
  });
}

void SfxHost::Finished_(const QString& eventId) {
  playing_.erase(eventId);
  if (manager_ && !QMetaObject::invokeMethod(manager_, "sfxFinished", Q_ARG(QString, eventId)))
    kit::Log(kit::LogLevel::Error, "sfx-host", "The SFX manager window does not offer sfxFinished.");
}

}  // namespace vand::sfxhost
