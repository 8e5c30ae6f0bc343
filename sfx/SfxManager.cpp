#include "sfx/SfxManager.h"

#include "sfx/CatalogueReader.h"
#include "sfx/SfxPlayer.h"
#include "sfx/SfxWorker.h"

#include <iostream>
#include <mutex>
#include <stdexcept>

namespace {

constexpr int kNoPlayer = -1;
constexpr int kAmbientFadeMs = 1000;
// A fade-in rises from here to the managed player's volume.
constexpr float kSilence = 0.0f;

} // namespace

// One player of the manager, the lock that serialises the calls into it, and
// the fade worker of its last fade.
class ManagedSfxPlayer
{
public:
    explicit ManagedSfxPlayer(std::unique_ptr<vand::audio::SfxPlayerInterface> player)
        : player(std::move(player))
    {
    }
    ~ManagedSfxPlayer()
    {
        std::lock_guard lock(fadeLock);
        EndFade();
    }

    // Runs `action` on the player under its lock.
    template <class Action>
    decltype(auto) With(Action&& action)
    {
        std::lock_guard lock(playerLock);
        return action(*player);
    }

    // Cancels the fade under way and waits for its thread; under fadeLock.
    void EndFade()
    {
        if (!worker)
            return;
        worker->cancel();
        if (worker->joinable())
            worker->join();
    }

    // Guards the worker: starting, cancelling and joining it.
    std::recursive_timed_mutex fadeLock;
    // Guards the calls into the player; the fade worker takes it for each
    // step.
    std::recursive_timed_mutex playerLock;
    std::unique_ptr<vand::audio::SfxPlayerInterface> player;
    // The level a fade-in reaches and a stop leaves.
    const float volume = 1.0f;
    std::unique_ptr<vand::audio::SfxWorker> worker;
};

namespace vand::audio {

using vand::audio::sfx::SfxDto;
using vand::audio::sfx::SfxVector;

SfxManager::SfxManager()
    : fadeClock_(SfxFadeClock::Sleeping())
{
    try {
        readList_(SfxType::PRIMARY);
        readList_(SfxType::AMBIENT);
    } catch (const std::exception& e) {
        std::cout << "The Population of SFX Manager has failed: " << e.what() << "\n" << std::flush;
    }
}

SfxManager::~SfxManager() = default;

void SfxManager::readList_(SfxType type)
{
    SfxVector& list = type == SfxType::PRIMARY ? primary_ : ambient_;
    const auto entries = vand::sfx::detail::ReadCatalogueList(type, list);
    if (entries) {
        for (const vand::sfx::detail::CatalogueEntry& entry : *entries) {
            list.Add(entry.id);
            list.SetPath(list.Count() - 1, entry.path);
        }
    }
    primaryLoaded_ = true;
}

int SfxManager::AddPath(const AudioPath& path)
{
    const int id = pathManager_.AddPath(path);
    const std::string name = path.Name();
    pathIds_[vand::core::DataVector(name)] = id;
    return id;
}

int SfxManager::GetPathIdType(vand::core::DataVector name)
{
    return pathIds_[name];
}

const AudioPathManager& SfxManager::GetPathManager() const
{
    return pathManager_;
}

int SfxManager::AddPlayer(SfxDto sfx)
{
    for (const auto& [id, managed] : players_) {
        if (managed->With([&sfx](SfxPlayerInterface& player) { return player.PlaysSameSfx(sfx); }))
            return id;
    }
    const SfxVector& list = sfx.type() == SfxType::PRIMARY ? primary_ : ambient_;
    if (list.Find(sfx.effectId()) == SfxVector::npos)
        return kNoPlayer;
    const int id = nextPlayerId_++;
    players_.emplace(id, std::make_unique<ManagedSfxPlayer>(
                             std::unique_ptr<SfxPlayerInterface>(vand::audio::sfx::GetSfxPlayer(sfx))));
    return id;
}

int SfxManager::AddPlayer(std::unique_ptr<SfxPlayerInterface> player)
{
    const int id = nextPlayerId_++;
    players_.emplace(id, std::make_unique<ManagedSfxPlayer>(std::move(player)));
    return id;
}

ManagedSfxPlayer& SfxManager::player_(int playerId) const
{
    const auto it = players_.find(playerId);
    if (it == players_.end())
        throw std::out_of_range("No sound effect player has id " + std::to_string(playerId) + ".");
    return *it->second;
}

const SfxDto& SfxManager::GetSfxDto(int playerId) const
{
    return player_(playerId).With([](SfxPlayerInterface& player) -> const SfxDto& { return player.SfxData(); });
}

void SfxManager::ForEachPlayer(const std::function<void(int)>& action)
{
    for (const auto& [id, managed] : players_)
        action(id);
}

SfxVector& SfxManager::GetSfxList()
{
    if (!primaryLoaded_)
        readList_(SfxType::PRIMARY);
    return primary_;
}

SfxVector& SfxManager::GetAmbientList()
{
    if (ambient_.Count() == 0)
        readList_(SfxType::AMBIENT);
    return ambient_;
}

void SfxManager::Play(int playerId, int fadeInMilliseconds)
{
    if (playerId == kNoPlayer)
        return;
    ManagedSfxPlayer& managed = player_(playerId);
    std::lock_guard fadeLock(managed.fadeLock);
    managed.EndFade();
    std::lock_guard playerLock(managed.playerLock);
    if (fadeInMilliseconds > 0) {
        managed.worker =
            std::make_unique<SfxWorkerVolume>(SfxWorkerVolume::kFadeIn, fadeInMilliseconds, kSilence, managed.volume,
                                              &managed.player, managed.volume, &managed.playerLock, fadeClock_);
        managed.worker->start();
    } else {
        managed.player->Play(0.0);
    }
}

void SfxManager::Stop(int playerId, int)
{
    ManagedSfxPlayer& managed = player_(playerId);
    // A fade still rising would otherwise set the stopped player's volume.
    std::lock_guard fadeLock(managed.fadeLock);
    managed.EndFade();
    managed.With([&managed](SfxPlayerInterface& player) {
        if (player.Done())
            return;
        player.SetVolume(managed.volume);
        player.Stop();
    });
}

void SfxManager::SetAmbient(int playerId)
{
    if (ambientRunning_ && playerId == currentAmbient_)
        return;
    if (ambientRunning_)
        Stop(currentAmbient_, kAmbientFadeMs);
    Play(playerId, kAmbientFadeMs);
    ambientRunning_ = true;
    currentAmbient_ = playerId;
}

void SfxManager::StopAmbient()
{
    if (ambientRunning_)
        Stop(currentAmbient_, kAmbientFadeMs);
}

void SfxManager::stopWhere_(const std::function<bool(const SfxDto&)>& which)
{
    for (const auto& [id, managed] : players_) {
        const bool chosen = managed->With([&which](SfxPlayerInterface& player) { return which(player.SfxData()); });
        if (chosen)
            Stop(id, 0);
    }
}

void SfxManager::StopAllEffects()
{
    stopWhere_([](const SfxDto&) { return true; });
}

void SfxManager::StopAmbientEffects()
{
    stopWhere_([](const SfxDto& sfx) { return sfx.type() == SfxType::AMBIENT; });
}

void SfxManager::StopPrimaryEffects()
{
    stopWhere_([](const SfxDto& sfx) { return sfx.type() == SfxType::PRIMARY; });
}

void SfxManager::SetPlayerOutputPath(int playerId, int pathId)
{
    const wchar_t* deviceId = nullptr;
    try {
        deviceId = pathManager_.GetDeviceIdFromPathId(pathId);
    } catch (...) {
        return;
    }
    player_(playerId).With([deviceId](SfxPlayerInterface& player) { player.SetOutputDevice(deviceId); });
}

void SfxManager::WaitForAllToComplete()
{
    for (const auto& [id, managed] : players_) {
        {
            std::lock_guard fadeLock(managed->fadeLock);
            if (managed->worker && managed->worker->joinable())
                managed->worker->join();
        }
        managed->With([](SfxPlayerInterface& player) { player.WaitUntilDone(); });
    }
}

void SfxManager::SetFadeClock(std::shared_ptr<SfxFadeClock> clock)
{
    fadeClock_ = clock ? std::move(clock) : SfxFadeClock::Sleeping();
}

} // namespace vand::audio
