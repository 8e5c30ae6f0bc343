#include "sfx/SfxPlayer.h"

#include "sfx/SfxFileInterface.h"
#include "sfx/SfxPlayerProxy.h"

namespace vand::audio {

using vand::audio::sfx::SfxDto;

namespace {

const std::string kNoImplementation = "No SFX Implementation Available";

} // namespace

SfxPlayer::SfxPlayer(const SfxDto& sfx)
    : proxy_(std::make_unique<SfxPlayerProxy>(sfx))
{
}

SfxPlayer::SfxPlayer(SfxPlayer&& other) noexcept = default;

SfxPlayer& SfxPlayer::operator=(SfxPlayer&& other) noexcept = default;

SfxPlayer::~SfxPlayer() = default;

SfxPlayerInterface& SfxPlayer::target_() const
{
    if (!proxy_)
        throw SfxException(kNoImplementation);
    return *proxy_;
}

void SfxPlayer::Play(double)
{
    target_().Play(0.0);
}

void SfxPlayer::Stop(bool isUrgent)
{
    target_().Stop(isUrgent);
}

void SfxPlayer::Stop()
{
    target_().Stop();
}

void SfxPlayer::SetOutputDevice(const wchar_t* deviceId)
{
    target_().SetOutputDevice(deviceId);
}

void SfxPlayer::SetVolume(float volume)
{
    target_().SetVolume(volume);
}

float SfxPlayer::Volume()
{
    return target_().Volume();
}

void SfxPlayer::SetReverb(float reverb)
{
    target_().SetReverb(reverb);
}

void SfxPlayer::SetPan(float pan)
{
    target_().SetPan(pan);
}

void SfxPlayer::SetSfxPath(const std::string& path)
{
    target_().SetSfxPath(path);
}

void SfxPlayer::ReplaceSfxData(const SfxDto& other)
{
    target_().ReplaceSfxData(other);
}

float SfxPlayer::GetDuration()
{
    return target_().GetDuration();
}

void SfxPlayer::FadeTo(float volume, unsigned int milliseconds)
{
    target_().FadeTo(volume, milliseconds);
}

bool SfxPlayer::Done()
{
    return target_().Done();
}

void SfxPlayer::WaitUntilDone()
{
    target_().WaitUntilDone();
}

bool SfxPlayer::PlaysSameSfx(const SfxDto& other)
{
    return target_().PlaysSameSfx(other);
}

const SfxDto& SfxPlayer::SfxData() const
{
    return target_().SfxData();
}

namespace sfx {

SfxPlayerInterface* GetSfxPlayer(const SfxDto& record)
{
    return new SfxPlayer(record);
}

} // namespace sfx

} // namespace vand::audio
