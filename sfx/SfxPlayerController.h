#pragma once

// The player controller's interface, and the facade through which a client on
// the controller's thread drives it.
//
// Threads: SfxPlayerController calls the process's one controller directly,
// so it is used on the controller's thread only (the thread that first made
// a controller, which runs a Qt event loop). Other threads play through
// players made with vand::audio::sfx::GetSfxPlayer.

#include "sfx/CustomAudioParameters.h"
#include "sfx/SfxDto.h"
#include "sfx/SfxExport.h"
#include "sfx/SfxPlayerInterface.h"

#include <memory>
#include <optional>
#include <string>

namespace vand::sfx {
class ActiveAudioListModel;
} // namespace vand::sfx

namespace vand::audio {

class SfxRepository;

class SFX_EXPORT SfxPlayerControllerInterface
{
public:
    SfxPlayerControllerInterface();
    SfxPlayerControllerInterface(const SfxPlayerControllerInterface& other);
    SfxPlayerControllerInterface& operator=(const SfxPlayerControllerInterface& other);
    virtual ~SfxPlayerControllerInterface();

    // Plays a user audio file, reusing an idle player made for the same
    // parameters. Throws vand::sfx::CustomAudioException when the file cannot
    // be decoded or a value is out of range.
    virtual void play(const vand::audio::CustomAudioParameters& parameters) = 0;
    // Plays every player whose name or event id is the text, else the player
    // whose id the text is in decimal. The player id played, 0 when none.
    virtual unsigned long long play(const std::string& id) = 0;
    // Resumes a paused row, restarts a playing one, else plays from the
    // start; a player whose file is still loading starts once it is loaded.
    // False (and soundEffectError) when the player cannot play.
    virtual bool play(unsigned long long playerId) = 0;
    virtual void stop(bool isUrgent) = 0;
    virtual void stop(const vand::audio::CustomAudioParameters& parameters) = 0;
    virtual void stop(const std::string& id) = 0;
    virtual void stop(unsigned long long playerId) = 0;
    virtual void stop() = 0;
    // A text literal is an id, not the isUrgent flag.
    void stop(const char* id) { stop(std::string(id)); }

    // Per-player operations: std::out_of_range for an id no player has.
    virtual float GetDuration(unsigned long long playerId) = 0;
    virtual void SetOutputDevice(unsigned long long playerId, const wchar_t* deviceId) = 0;
    virtual void SetVolume(unsigned long long playerId, float volume) = 0;
    virtual float Volume(unsigned long long playerId) = 0;
    virtual void SetReverb(unsigned long long playerId, float reverb) = 0;
    virtual void SetPan(unsigned long long playerId, float pan) = 0;
    virtual void SetSfxPath(unsigned long long playerId, const std::string& path) = 0;
    // False while a run plays or a play waits for the player's file.
    virtual bool Done(unsigned long long playerId) = 0;
    // Blocks the calling thread, polling Done every 100 ms.
    virtual void WaitUntilDone(unsigned long long playerId) = 0;
    virtual bool PlaysSameSfx(unsigned long long playerId, const vand::audio::sfx::SfxDto& other) = 0;
    // The player's record, valid until the player is pruned; empty for an
    // unknown id.
    virtual std::optional<const vand::audio::sfx::SfxDto*> SfxData(unsigned long long playerId) = 0;
    // The player made last for the change-log event; empty when none.
    virtual std::optional<vand::audio::SfxPlayerInterface*> GetPlayer(const std::string& eventId) = 0;
    virtual std::optional<vand::audio::SfxPlayerInterface*> GetPlayer(unsigned long long playerId) = 0;
    // Starts loading a file: ".sfx" keys as effect files, others as user
    // audio; a key already loaded is left alone.
    virtual void PreloadFile(const std::string& key) = 0;
    // Fades the event's player to `volume` over `milliseconds`; refuses
    // negative, NaN and infinite values (soundEffectError).
    virtual void FadeTo(std::string eventId, float volume, float milliseconds) = 0;
    virtual std::shared_ptr<vand::sfx::ActiveAudioListModel> getActiveAudioList() = 0;
    // Moves the player's runs to `position` (0 to 1) of their pass; an
    // unknown id is ignored.
    virtual void SetPosition(unsigned long long playerId, double position) = 0;
};

// The client's handle on the process's controller, which the first handle
// (or SfxPlayerControllerImpl::instance) creates on the calling thread. The
// handle's life does not touch the controller's.
class SFX_EXPORT SfxPlayerController : public SfxPlayerControllerInterface
{
public:
    // The first controller takes the repository out of the pointer; later
    // handles leave it there.
    explicit SfxPlayerController(std::unique_ptr<vand::audio::SfxRepository>& repository);
    // A first controller made this way has no repository.
    SfxPlayerController();
    ~SfxPlayerController() override;

    using SfxPlayerControllerInterface::stop;

    void play(const vand::audio::CustomAudioParameters& parameters) override;
    unsigned long long play(const std::string& id) override;
    bool play(unsigned long long playerId) override;
    void stop(bool isUrgent) override;
    void stop(const vand::audio::CustomAudioParameters& parameters) override;
    void stop(const std::string& id) override;
    void stop(unsigned long long playerId) override;
    void stop() override;
    float GetDuration(unsigned long long playerId) override;
    void SetOutputDevice(unsigned long long playerId, const wchar_t* deviceId) override;
    void SetVolume(unsigned long long playerId, float volume) override;
    float Volume(unsigned long long playerId) override;
    void SetReverb(unsigned long long playerId, float reverb) override;
    void SetPan(unsigned long long playerId, float pan) override;
    void SetSfxPath(unsigned long long playerId, const std::string& path) override;
    bool Done(unsigned long long playerId) override;
    void WaitUntilDone(unsigned long long playerId) override;
    bool PlaysSameSfx(unsigned long long playerId, const vand::audio::sfx::SfxDto& other) override;
    std::optional<const vand::audio::sfx::SfxDto*> SfxData(unsigned long long playerId) override;
    std::optional<vand::audio::SfxPlayerInterface*> GetPlayer(const std::string& eventId) override;
    std::optional<vand::audio::SfxPlayerInterface*> GetPlayer(unsigned long long playerId) override;
    void PreloadFile(const std::string& key) override;
    void FadeTo(std::string eventId, float volume, float milliseconds) override;
    std::shared_ptr<vand::sfx::ActiveAudioListModel> getActiveAudioList() override;
    void SetPosition(unsigned long long playerId, double position) override;

private:
    SfxPlayerControllerInterface* controller_;
};

} // namespace vand::audio
