#include "sfx/SfxWorker.h"

#include "kit/Log.h"

#include <algorithm>
#include <cmath>
#include <exception>
#include <stdexcept>
#include <string>

namespace vand::audio {

namespace {

// A player's fade of this length is one step, which sets its level at once;
// each of the worker's steps hands the running sound its new level so.
constexpr unsigned int kOneStepFadeMs = 30;

} // namespace

SfxWorker::SfxWorker() = default;

SfxWorker::~SfxWorker()
{
    finish();
}

void SfxWorker::start()
{
    std::lock_guard lock(lock_);
    if (thread_.joinable())
        throw std::logic_error("A sound-effect worker was started twice.");
    thread_ = std::thread([this] {
        try {
            run();
        } catch (const std::exception& e) {
            kit::Log(kit::LogLevel::Error, "sfx", std::string("A sound-effect fade failed: ") + e.what());
        } catch (...) {
            kit::Log(kit::LogLevel::Error, "sfx", "A sound-effect fade failed.");
        }
    });
}

void SfxWorker::cancel()
{
    cancel_ = true;
}

bool SfxWorker::cancelled() const
{
    return cancel_;
}

bool SfxWorker::joinable()
{
    std::lock_guard lock(lock_);
    return thread_.joinable();
}

void SfxWorker::join()
{
    std::lock_guard lock(lock_);
    if (thread_.joinable())
        thread_.join();
}

void SfxWorker::finish()
{
    cancel();
    join();
}

SfxWorkerVolume::SfxWorkerVolume(int direction, int durationMilliseconds, float startVolume, float targetVolume,
                                 std::unique_ptr<SfxPlayerInterface>* player, float volumeAfterFadeOut,
                                 std::recursive_timed_mutex* playerLock, std::shared_ptr<SfxFadeClock> clock)
    : startVolume_(startVolume)
    , targetVolume_(targetVolume)
    , volumeAfterFadeOut_(volumeAfterFadeOut)
    , durationMilliseconds_(durationMilliseconds)
    , player_(player)
    , direction_(direction)
    , playerLock_(playerLock)
    , clock_(clock ? std::move(clock) : SfxFadeClock::Sleeping())
{
    if (player_ == nullptr || playerLock_ == nullptr)
        throw std::invalid_argument("A volume fade needs its player and the player's lock.");
}

SfxWorkerVolume::~SfxWorkerVolume()
{
    finish();
}

bool SfxWorkerVolume::setLevel_(float level, bool wait)
{
    std::lock_guard lock(*playerLock_);
    if (cancelled())
        return false;
    if (SfxPlayerInterface* player = player_->get()) {
        player->SetVolume(level);
        player->FadeTo(level, kOneStepFadeMs);
    }
    if (wait)
        clock_->WaitStep(static_cast<unsigned int>(stepMilliseconds_));
    return true;
}

void SfxWorkerVolume::run()
{
    const auto clamp = [](float level) { return std::isnan(level) ? 0.0f : std::clamp(level, 0.0f, 1.0f); };
    const float start = clamp(startVolume_);
    const float target = clamp(targetVolume_);
    const float steps = std::max(1.0f, std::ceil(static_cast<float>(durationMilliseconds_) / stepMilliseconds_));

    if (direction_ == kFadeIn) {
        std::lock_guard lock(*playerLock_);
        if (cancelled())
            return;
        if (SfxPlayerInterface* player = player_->get()) {
            player->SetVolume(start);
            player->Play(0.0);
        }
    }
    // Each level is reckoned from the start, so the last step is the target.
    for (float step = 1.0f; step <= steps; step += 1.0f) {
        const float level = clamp(start + (target - start) * (step / steps));
        if (!setLevel_(level, step < steps))
            return;
    }
    if (direction_ == kFadeIn)
        return;
    std::lock_guard lock(*playerLock_);
    if (cancelled())
        return;
    if (SfxPlayerInterface* player = player_->get()) {
        player->SetVolume(volumeAfterFadeOut_);
        player->Stop();
    }
}

} // namespace vand::audio
