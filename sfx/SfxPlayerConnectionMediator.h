#pragma once

// Joins the players that clients hold on any thread to the player controller
// on its own thread: knows the controller, wires every new player proxy to
// it, and relays requests and notifications between clients and controller.
//
// Threads: callable from any thread; the mediator needs no event loop of its
// own. Its slots run on the calling thread, and what they emit reaches the
// controller directly on the controller's thread and queued from any other;
// the controller's notifications are relayed on the controller's thread.
// The registered controller is read under a lock.

#include "sfx/SfxDto.h"
#include "sfx/SfxExport.h"
#include "sfx/SfxMetaTypes.h"

#include <QObject>
#include <QPointer>
#include <QString>

#include <chrono>
#include <future>
#include <memory>
#include <mutex>

namespace vand::audio {

class SfxPlayerControllerImpl;
class SfxPlayerProxy;
class SfxRepository;

class SFX_EXPORT SfxPlayerConnectionMediator : public QObject
{
    Q_OBJECT

public:
    // Made on first use; never destroyed.
    static SfxPlayerConnectionMediator* instance();

    // How long a player proxy waits for the controller's answer before it
    // gives up with vand::audio::SfxException; 5 s unless set.
    static std::chrono::milliseconds AnswerTimeLimit();
    static void SetAnswerTimeLimit(std::chrono::milliseconds limit);

public slots:
    // Remembers the controller (forgetting any earlier one) and connects it.
    bool registerSfxPlayerController(vand::audio::SfxPlayerControllerImpl& controller);
    // On the proxy's thread (its createSfxPlayerImpl is connected here
    // directly): connects the proxy's requests to the controller and asks the
    // controller to make its player, which fulfils `playerCreated`.
    // std::runtime_error "No sound effect player controller registered" when
    // there is none.
    bool registerSfxPlayerProxy(vand::audio::SfxPlayerProxy* proxy, qulonglong id, const vand::audio::sfx::SfxDto& sfx,
                                std::shared_ptr<std::promise<void>> playerCreated);
    // The controller reloads its players from its repository.
    void onSoundEffectsChanged();
    // Fulfils the promise with the controller's repository (null when it has
    // none); without a controller the promise holds the runtime_error above.
    void onActiveSfxRepositoryRequested(std::promise<vand::audio::SfxRepository*>* promise);
    void onFadeRequested(qulonglong id, double volume, uint duration);
    void onPlayingSfx(qulonglong playerId, const QString& eventId);
    void onSetPosition(qulonglong id, double position);

signals:
    void createSfxPlayer(qulonglong id, vand::audio::sfx::SfxDto sfx,
                         std::shared_ptr<std::promise<void>> playerCreated);
    void soundEffectsChanged();
    void onSfxIsReady(QString effectId);
    void activeSfxRepositoryRequested(std::promise<vand::audio::SfxRepository*>* promise);
    // Emit to preload a user audio file.
    void preloadCustomAudio(QString file);
    void soundEffectError(QString priority, QString message, QString what);
    // Not connected to the controller.
    void fadeRequested(qulonglong id, double volume, uint duration);
    void playingSfx(qulonglong playerId, QString eventId);
    void setPosition(qulonglong id, double position);

private:
    SfxPlayerConnectionMediator();
    QPointer<SfxPlayerControllerImpl> registered_() const;

    mutable std::mutex lock_;
    QPointer<SfxPlayerControllerImpl> controller_;
};

} // namespace vand::audio
