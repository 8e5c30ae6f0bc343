#pragma once

// The older, self-contained sound-effects interface: the catalogue's primary
// and ambient lists, numbered players made through GetSfxPlayer, one ambient
// effect at a time, and output paths. Nothing in the library uses it.
//
// Threads: driven from one thread, beside which only the fade workers run;
// each player's calls are serialised by its own lock, so WaitForAllToComplete
// on one thread holds up Play and Stop of that player on another until it has
// ended. A fade worker calls its player from its own thread: with players of
// the library's controller, drive the manager from a thread other than the
// controller's, so that the workers' requests and the manager's reach the
// controller in the order they were given.

#include "cmn/DataVector.h"
#include "sfx/AudioPath.h"
#include "sfx/SfxDto.h"
#include "sfx/SfxExport.h"
#include "sfx/SfxFadeClock.h"
#include "sfx/SfxPlayerInterface.h"
#include "sfx/SfxVector.h"

#include <functional>
#include <map>
#include <memory>

class ManagedSfxPlayer;

namespace vand::audio {

class SFX_EXPORT SfxManager
{
public:
    // Reads the primary list, then the ambient list; a failure writes "The
    // Population of SFX Manager has failed: " and its text to standard
    // output and leaves the lists as far as they were read.
    SfxManager();
    SfxManager(const SfxManager& other) = delete;
    SfxManager& operator=(const SfxManager& other) = delete;
    ~SfxManager();

    // Adds the path (ids from 1000 up) and records its name; the id.
    int AddPath(const vand::audio::AudioPath& path);
    // The id recorded for the path name; a name never recorded gives 0.
    int GetPathIdType(vand::core::DataVector name);
    const vand::audio::AudioPathManager& GetPathManager() const;

    // The id of a player that already plays the same sound, else of a new
    // player made with GetSfxPlayer; -1 when the record's effect is in
    // neither list (primary for PRIMARY records, ambient otherwise).
    int AddPlayer(vand::audio::sfx::SfxDto sfx);
    // Takes the player under the next id.
    int AddPlayer(std::unique_ptr<vand::audio::SfxPlayerInterface> player);
    // std::out_of_range for an id no player has.
    const vand::audio::sfx::SfxDto& GetSfxDto(int playerId) const;
    // Every player id in ascending order.
    void ForEachPlayer(const std::function<void(int)>& action);
    // The primary list, read first when the constructor could not.
    vand::audio::sfx::SfxVector& GetSfxList();
    // The ambient list, read again while it is empty.
    vand::audio::sfx::SfxVector& GetAmbientList();

    // Plays from the start. With a fade-in (above 0 ms) a worker thread
    // starts the player silent and raises its level to the stored volume
    // (1.0) in steps of 20 ms; otherwise it plays at once. A fade under way is
    // cancelled first. Id -1 does nothing.
    void Play(int playerId, int fadeInMilliseconds);
    // Cancels a fade under way, then stops a playing player (its own
    // fade-out) and leaves its volume at the stored volume. The second
    // argument is not used.
    void Stop(int playerId, int unused);
    // Plays the player as the one ambient effect, fading it in over 1 s and
    // stopping the previous one; the current ambient again does nothing.
    void SetAmbient(int playerId);
    void StopAmbient();
    void StopAllEffects();
    void StopAmbientEffects();
    void StopPrimaryEffects();
    // Sends the player to the path's device; an unknown path changes nothing.
    void SetPlayerOutputPath(int playerId, int pathId);
    // Waits until each player in turn has ended: its fade first, then its
    // sound.
    void WaitForAllToComplete();
    // Replaces the wait between fade steps (20 ms sleeps); for tests. Takes
    // effect from the next fade.
    void SetFadeClock(std::shared_ptr<vand::audio::SfxFadeClock> clock);

private:
    void readList_(vand::audio::SfxType type);
    ManagedSfxPlayer& player_(int playerId) const;
    void stopWhere_(const std::function<bool(const vand::audio::sfx::SfxDto&)>& which);

    int currentAmbient_ = 0;
    vand::audio::AudioPathManager pathManager_;
    int nextPlayerId_ = 0;
    std::map<int, std::unique_ptr<ManagedSfxPlayer>> players_;
    vand::audio::sfx::SfxVector primary_;
    vand::audio::sfx::SfxVector ambient_;
    bool primaryLoaded_ = false;
    bool ambientRunning_ = false;
    std::map<vand::core::DataVector, int> pathIds_;
    std::shared_ptr<vand::audio::SfxFadeClock> fadeClock_;
};

} // namespace vand::audio
