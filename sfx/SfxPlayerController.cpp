#include "sfx/SfxPlayerController.h"

#include "sfx/SfxPlayerControllerImpl.h"
#include "sfx/SfxRepository.h"

namespace vand::audio {

using vand::audio::sfx::SfxDto;

SfxPlayerControllerInterface::SfxPlayerControllerInterface() = default;
SfxPlayerControllerInterface::SfxPlayerControllerInterface(const SfxPlayerControllerInterface& other) = default;
SfxPlayerControllerInterface& SfxPlayerControllerInterface::operator=(const SfxPlayerControllerInterface& other) =
    default;
SfxPlayerControllerInterface::~SfxPlayerControllerInterface() = default;

SfxPlayerController::SfxPlayerController(std::unique_ptr<SfxRepository>& repository)
    : controller_(SfxPlayerControllerImpl::instance(repository))
{
}

SfxPlayerController::SfxPlayerController()
{
    std::unique_ptr<SfxRepository> none;
    controller_ = SfxPlayerControllerImpl::instance(none);
}

SfxPlayerController::~SfxPlayerController() = default;

void SfxPlayerController::play(const CustomAudioParameters& parameters)
{
    controller_->play(parameters);
}

unsigned long long SfxPlayerController::play(const std::string& id)
{
    return controller_->play(id);
}

bool SfxPlayerController::play(unsigned long long playerId)
{
    return controller_->play(playerId);
}

void SfxPlayerController::stop(bool isUrgent)
{
    controller_->stop(isUrgent);
}

void SfxPlayerController::stop(const CustomAudioParameters& parameters)
{
    controller_->stop(parameters);
}

void SfxPlayerController::stop(const std::string& id)
{
    controller_->stop(id);
}

void SfxPlayerController::stop(unsigned long long playerId)
{
    controller_->stop(playerId);
}

void SfxPlayerController::stop()
{
    controller_->stop();
}

float SfxPlayerController::GetDuration(unsigned long long playerId)
{
    return controller_->GetDuration(playerId);
}

void SfxPlayerController::SetOutputDevice(unsigned long long playerId, const wchar_t* deviceId)
{
    controller_->SetOutputDevice(playerId, deviceId);
}

void SfxPlayerController::SetVolume(unsigned long long playerId, float volume)
{
    controller_->SetVolume(playerId, volume);
}

float SfxPlayerController::Volume(unsigned long long playerId)
{
    return controller_->Volume(playerId);
}

void SfxPlayerController::SetReverb(unsigned long long playerId, float reverb)
{
    controller_->SetReverb(playerId, reverb);
}

void SfxPlayerController::SetPan(unsigned long long playerId, float pan)
{
    controller_->SetPan(playerId, pan);
}

void SfxPlayerController::SetSfxPath(unsigned long long playerId, const std::string& path)
{
    controller_->SetSfxPath(playerId, path);
}

bool SfxPlayerController::Done(unsigned long long playerId)
{
    return controller_->Done(playerId);
}

void SfxPlayerController::WaitUntilDone(unsigned long long playerId)
{
    controller_->WaitUntilDone(playerId);
}

bool SfxPlayerController::PlaysSameSfx(unsigned long long playerId, const SfxDto& other)
{
    return controller_->PlaysSameSfx(playerId, other);
}

std::optional<const SfxDto*> SfxPlayerController::SfxData(unsigned long long playerId)
{
    return controller_->SfxData(playerId);
}

std::optional<SfxPlayerInterface*> SfxPlayerController::GetPlayer(const std::string& eventId)
{
    return controller_->GetPlayer(eventId);
}

std::optional<SfxPlayerInterface*> SfxPlayerController::GetPlayer(unsigned long long playerId)
{
    return controller_->GetPlayer(playerId);
}

void SfxPlayerController::PreloadFile(const std::string& key)
{
    controller_->PreloadFile(key);
}

void SfxPlayerController::FadeTo(std::string eventId, float volume, float milliseconds)
{
    controller_->FadeTo(std::move(eventId), volume, milliseconds);
}

std::shared_ptr<vand::sfx::ActiveAudioListModel> SfxPlayerController::getActiveAudioList()
{
    return controller_->getActiveAudioList();
}

void SfxPlayerController::SetPosition(unsigned long long playerId, double position)
{
    controller_->SetPosition(playerId, position);
}

} // namespace vand::audio
