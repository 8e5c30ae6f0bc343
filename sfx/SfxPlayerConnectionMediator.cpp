#include "sfx/SfxPlayerConnectionMediator.h"

#include "sfx/SfxPlayerControllerImpl.h"
#include "sfx/SfxPlayerProxy.h"

#include <atomic>
#include <stdexcept>

namespace vand::audio {

using vand::audio::sfx::SfxDto;

namespace {

constexpr char kNoController[] = "No sound effect player controller registered";

std::atomic<long long> answerTimeLimitMs{5000};

} // namespace

SfxPlayerConnectionMediator::SfxPlayerConnectionMediator() = default;

SfxPlayerConnectionMediator* SfxPlayerConnectionMediator::instance()
{
    static SfxPlayerConnectionMediator* const mediator = new SfxPlayerConnectionMediator();
    return mediator;
}

std::chrono::milliseconds SfxPlayerConnectionMediator::AnswerTimeLimit()
{
    return std::chrono::milliseconds(answerTimeLimitMs.load());
}

void SfxPlayerConnectionMediator::SetAnswerTimeLimit(std::chrono::milliseconds limit)
{
    answerTimeLimitMs = limit.count();
}

QPointer<SfxPlayerControllerImpl> SfxPlayerConnectionMediator::registered_() const
{
    std::lock_guard lock(lock_);
    return controller_;
}

bool SfxPlayerConnectionMediator::registerSfxPlayerController(SfxPlayerControllerImpl& controller)
{
    {
        std::lock_guard lock(lock_);
        controller_ = &controller;
    }
    using Controller = SfxPlayerControllerImpl;
    using Mediator = SfxPlayerConnectionMediator;
    connect(this, &Mediator::createSfxPlayer, &controller, &Controller::createSfxPlayer);
    connect(this, &Mediator::soundEffectsChanged, &controller, &Controller::onSoundEffectsChanged);
    connect(this, &Mediator::activeSfxRepositoryRequested, &controller, &Controller::onActiveRepositoryRequested);
    connect(this, &Mediator::preloadCustomAudio, &controller, &Controller::onPreloadCustomAudio);
    connect(this, &Mediator::setPosition, &controller, &Controller::SetPosition);
    // Relayed on the controller's thread, whatever thread the mediator was
    // made on.
    connect(&controller, &Controller::sfxIsReady, this, &Mediator::onSfxIsReady, Qt::DirectConnection);
    connect(&controller, &Controller::soundEffectError, this, &Mediator::soundEffectError, Qt::DirectConnection);
    connect(&controller, &Controller::playingSfx, this, &Mediator::onPlayingSfx, Qt::DirectConnection);
    return true;
}

bool SfxPlayerConnectionMediator::registerSfxPlayerProxy(SfxPlayerProxy* proxy, qulonglong id, const SfxDto& sfx,
                                                         std::shared_ptr<std::promise<void>> playerCreated)
{
    const QPointer<SfxPlayerControllerImpl> controller = registered_();
    if (!controller)
        throw std::runtime_error(kNoController);
    using Controller = SfxPlayerControllerImpl;
    connect(proxy, &SfxPlayerProxy::playSfx, controller, &Controller::onPlaySfx);
    connect(proxy, &SfxPlayerProxy::stopSfx, controller, &Controller::onStopSfx);
    connect(proxy, &SfxPlayerProxy::getDuration, controller, &Controller::onGetDuration);
    connect(proxy, &SfxPlayerProxy::setOutputDevice, controller, &Controller::onSetOutputDevice);
    connect(proxy, &SfxPlayerProxy::setVolume, controller, &Controller::onSetVolume);
    connect(proxy, &SfxPlayerProxy::volume, controller, &Controller::onVolume);
    connect(proxy, &SfxPlayerProxy::setReverb, controller, &Controller::onSetReverb);
    connect(proxy, &SfxPlayerProxy::setPan, controller, &Controller::onSetPan);
    connect(proxy, &SfxPlayerProxy::setSfxPath, controller, &Controller::onSetSfxPath);
    connect(proxy, &SfxPlayerProxy::done, controller, &Controller::onDone);
    connect(proxy, &SfxPlayerProxy::waitUntilDone, controller, &Controller::onWaitUntilDone);
    connect(proxy, &SfxPlayerProxy::playsSameSfx, controller, &Controller::onPlaysSameSfx);
    connect(proxy, &SfxPlayerProxy::sfxData, controller, &Controller::onSfxData);
    connect(proxy, &SfxPlayerProxy::replaceSfxData, controller, &Controller::onReplaceSfxData);
    connect(proxy, &SfxPlayerProxy::fadeRequested, controller, &Controller::onFadeRequested);
    emit createSfxPlayer(id, sfx, std::move(playerCreated));
    return true;
}

void SfxPlayerConnectionMediator::onSoundEffectsChanged()
{
    emit soundEffectsChanged();
}

void SfxPlayerConnectionMediator::onActiveSfxRepositoryRequested(std::promise<SfxRepository*>* promise)
{
    if (promise == nullptr)
        return;
    if (!registered_()) {
        promise->set_exception(std::make_exception_ptr(std::runtime_error(kNoController)));
        return;
    }
    emit activeSfxRepositoryRequested(promise);
}

void SfxPlayerConnectionMediator::onFadeRequested(qulonglong id, double volume, uint duration)
{
    emit fadeRequested(id, volume, duration);
}

void SfxPlayerConnectionMediator::onPlayingSfx(qulonglong playerId, const QString& eventId)
{
    emit playingSfx(playerId, eventId);
}

void SfxPlayerConnectionMediator::onSetPosition(qulonglong id, double position)
{
    emit setPosition(id, position);
}

} // namespace vand::audio
