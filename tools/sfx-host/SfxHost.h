#pragma once

// The sound-effect views on the library's player controller, outside the
// application: the SFX manager window over the installed catalogue and the
// show's instances, the instance and custom audio dialogs it opens, and a
// window with the active-audio list.
//
// Threads: GUI thread only. The process's player controller is made (or
// found) on this thread, which must run the Qt event loop; the active-audio
// list model has no lock and the views bind to it.

#include "HostModels.h"
#include "sfx/SfxManifest.h"
#include "sfx/SfxPlayerController.h"
#include "sfx/SfxRepository.h"

#include <QObject>
#include <QPointer>
#include <QString>
#include <QUrl>

#include <functional>
#include <map>
#include <memory>
#include <string>

class QQmlEngine;
class QQuickWindow;

namespace CL {
class Editor;
}  // namespace CL

namespace vand::sfxhost {

class SfxHost : public QObject {
  Q_OBJECT

 public:
  // Instances live in `editor`'s log, which this makes the active one and
  // which must outlive the process's player controller. Nothing is written
  // to disk. The first host of the process makes the controller over this
  // editor's store; later hosts find it.
  SfxHost(CL::Editor& editor, QQmlEngine& engine, QObject* parent = nullptr);
  ~SfxHost() override;

  QQuickWindow* ManagerWindow() const;
  QQuickWindow* ActiveAudioWindow() const;
  // The open instance or custom audio dialog; null when none is open.
  QObject* InstanceDialog() const { return instanceDialog_; }
  QObject* CustomDialog() const { return customDialog_; }
  vand::audio::SfxPlayerController& Controller() { return *controller_; }
  const InstancesModel& Instances() const { return instances_; }

 public slots:
  void ShowManager();
  void OpenCustomAudio();
  // Reloads the controller's players and the instance list from the store.
  void Reload();

 signals:
  // A message the host put up (its type "ERROR", "WARNING" or "INFO").
  void messageShown(const QString& type, const QString& heading, const QString& text);

 private slots:
  void PlaySfx_(const QString& eventId);
  void StopSfx_(const QString& eventId);
  void AddInstance_(const QString& effectId);
  void EditInstance_(const QString& eventId);
  void DeleteInstance_(const QString& eventId);
  void CreateRequest_(const QString& name, const QString& outputPath, int outputPathIndex, const QString& effectId,
                      int effectIdIndex, double volume, double pan, int reverb, int fadeIn, int fadeOut, int repeats);
  void ChangeRequest_(const QString& name, const QString& outputPath, int outputPathIndex, const QString& effectId,
                      int effectIdIndex, double volume, double pan, int reverb, int fadeIn, int fadeOut, int repeats);
  void CustomEntry_(const QUrl& fileUrl, int commandIndex, double volume, double pan, int fadeIn, int fadeOut,
                    bool loop);
  void SetPosition_(double playerId, double position);
  void InstanceDialogClosing_();
  void CustomDialogClosing_();
  void SoundEffectError_(const QString& priority, const QString& message, const QString& what);
  void CheckFinished_();

 private:
  void Guarded_(const QString& heading, const std::function<void()>& body);
  void ShowMessage_(const QString& type, const QString& heading, const QString& text);
  void OpenInstanceDialog_(bool isEdit, const QString& eventId);
  QObject* BuildDialog_(const char* url);
  void DropDialog_(QPointer<QObject>& dialog);
  void ScheduleFinishedCheck_();
  void Finished_(const QString& eventId);

  QQmlEngine& engine_;
  vand::sfx::SfxManifest catalogueFile_;
  vand::audio::ChangeLogSfxRepository store_;
  std::unique_ptr<vand::audio::SfxPlayerController> controller_;
  CatalogueModel catalogue_;
  InstancesModel instances_;
  QPointer<QObject> manager_;
  QPointer<QObject> activeAudioWindow_;
  QPointer<QObject> instanceDialog_;
  QPointer<QObject> customDialog_;
  // The players that the manager's play buttons started, by event id.
  std::map<QString, unsigned long long> playing_;
  bool checkQueued_ = false;
};

}  // namespace vand::sfxhost
