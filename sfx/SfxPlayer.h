#pragma once

// The player a client of the library holds: plays one sound-effect instance
// through the player controller, from any thread. GetSfxPlayer makes one.
//
// Threads: made, used and destroyed on one client thread, which must not be
// one that the controller's thread waits for. Making a player and the
// queries (Volume, GetDuration, Done, PlaysSameSfx, SfxData) block until the
// controller's thread has answered, or throw vand::audio::SfxException when
// it does not answer within the mediator's time limit; commands return at
// once.

#include "sfx/SfxDto.h"
#include "sfx/SfxExport.h"
#include "sfx/SfxFileInterface.h" // SfxException
#include "sfx/SfxPlayerInterface.h"

#include <memory>
#include <string>

namespace vand::audio {

class SFX_EXPORT SfxPlayer : public SfxPlayerInterface
{
public:
    // Has the controller make the player for a copy of the record; throws
    // what making the proxy throws (std::runtime_error "No sound effect
    // player controller registered" when there is no controller).
    explicit SfxPlayer(const vand::audio::sfx::SfxDto& sfx);
    SfxPlayer(SfxPlayer&& other) noexcept;
    SfxPlayer& operator=(SfxPlayer&& other) noexcept;
    SfxPlayer(const SfxPlayer& other) = delete;
    SfxPlayer& operator=(const SfxPlayer& other) = delete;
    // The controller keeps its player until a reload prunes it.
    ~SfxPlayer() override;

    // Each forwards to the controller's player; a moved-from player throws
    // SfxException "No SFX Implementation Available".

    // The position is not used: the controller plays from the start, or
    // resumes where the player's paused row stands.
    void Play(double position) override;
    void Stop(bool isUrgent) override;
    void Stop() override;
    void SetOutputDevice(const wchar_t* deviceId) override;
    void SetVolume(float volume) override;
    float Volume() override;
    void SetReverb(float reverb) override;
    void SetPan(float pan) override;
    void SetSfxPath(const std::string& path) override;
    void ReplaceSfxData(const vand::audio::sfx::SfxDto& other) override;
    float GetDuration() override;
    void FadeTo(float volume, unsigned int milliseconds) override;
    bool Done() override;
    // Polls Done every 100 ms from the calling thread.
    void WaitUntilDone() override;
    bool PlaysSameSfx(const vand::audio::sfx::SfxDto& other) override;
    // A copy of the controller's record as it stood, unchanged for as long
    // as this player lives.
    const vand::audio::sfx::SfxDto& SfxData() const override;

private:
    SfxPlayerInterface& target_() const;

    std::unique_ptr<SfxPlayerInterface> proxy_;
};

namespace sfx {

// A new player for the record; the caller owns it and deletes it through the
// interface.
SFX_EXPORT vand::audio::SfxPlayerInterface* GetSfxPlayer(const vand::audio::sfx::SfxDto& sfx);

} // namespace sfx

} // namespace vand::audio
