#pragma once

// The abstract sound-effect player: plays one sound-effect instance with
// fades, pan and reverb.
//
// Threads: see each implementation.

#include "sfx/SfxDto.h"
#include "sfx/SfxExport.h"

#include <string>

namespace vand::audio {

class SFX_EXPORT SfxPlayerInterface
{
public:
    SfxPlayerInterface();
    SfxPlayerInterface(const SfxPlayerInterface& other);
    SfxPlayerInterface& operator=(const SfxPlayerInterface& other);

    // `position` is a fraction 0 to 1 of one pass.
    virtual void Play(double position) = 0;
    virtual void Stop(bool isUrgent) = 0;
    virtual void Stop() = 0;
    virtual void SetOutputDevice(const wchar_t* deviceId) = 0;
    virtual void SetVolume(float volume) = 0;
    virtual float Volume() = 0;
    virtual void SetReverb(float reverb) = 0;
    virtual void SetPan(float pan) = 0;
    virtual void SetSfxPath(const std::string& path) = 0;
    virtual void ReplaceSfxData(const vand::audio::sfx::SfxDto& other) = 0;
    // Seconds of one pass.
    virtual float GetDuration() = 0;
    virtual void FadeTo(float volume, unsigned int milliseconds) = 0;
    virtual ~SfxPlayerInterface();
    virtual bool Done() = 0;
    virtual void WaitUntilDone() = 0;
    virtual bool PlaysSameSfx(const vand::audio::sfx::SfxDto& other) = 0;
    virtual const vand::audio::sfx::SfxDto& SfxData() const = 0;
};

} // namespace vand::audio
