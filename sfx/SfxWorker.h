#pragma once

// The legacy manager's fade workers: SfxWorker runs a task on a std::thread
// of its own; SfxWorkerVolume is the volume fade of one player, in steps of
// 20 ms.
//
// Threads: start, cancel, joinable and join may be called from any thread
// but the worker's own; run runs on the worker's thread. A fade calls its
// player from that thread, each step under the player lock it was given,
// which it holds through the step's 20 ms wait, so a caller that takes the
// lock waits at most one step. The player must accept calls from the
// worker's thread (the library's SfxPlayer queues them to the player
// controller). Nothing of a run escapes its thread: a failure is logged and
// ends the run.

#include "sfx/SfxExport.h"
#include "sfx/SfxFadeClock.h"
#include "sfx/SfxPlayerInterface.h"

#include <atomic>
#include <memory>
#include <mutex>
#include <thread>

namespace vand::audio {

class SFX_EXPORT SfxWorker
{
public:
    SfxWorker();
    SfxWorker(const SfxWorker& other) = delete;
    SfxWorker& operator=(const SfxWorker& other) = delete;
    // Cancels and joins a running thread. A derived worker does the same in
    // its own destructor, while its part still exists.
    virtual ~SfxWorker();

    // Starts the thread, which runs `run`; std::logic_error when a thread
    // was started and not joined.
    void start();
    // Asks `run` to end at its next check; returns at once.
    void cancel();
    bool joinable();
    // Waits until `run` has ended.
    void join();

protected:
    virtual void run() = 0;
    bool cancelled() const;
    // Cancels and joins a joinable thread.
    void finish();

private:
    std::atomic<bool> cancel_{false};
    std::mutex lock_;
    std::thread thread_;
};

class SFX_EXPORT SfxWorkerVolume : public SfxWorker
{
public:
    static constexpr int kStepMilliseconds = 20;
    static constexpr int kFadeIn = 1;

    // A fade of `*player` from `startVolume` to `targetVolume` over
    // `durationMilliseconds`, taken up to whole steps of 20 ms (at least
    // one). Direction kFadeIn: the player is set to the start volume and
    // played from the start, then its level rises step by step. Any other
    // direction fades a player that plays and then stops it, leaving its
    // volume at `volumeAfterFadeOut`. Levels are kept within 0 and 1. The
    // player pointer and the lock are not owned and must outlive the worker.
    SfxWorkerVolume(int direction, int durationMilliseconds, float startVolume, float targetVolume,
                    std::unique_ptr<vand::audio::SfxPlayerInterface>* player, float volumeAfterFadeOut,
                    std::recursive_timed_mutex* playerLock,
                    std::shared_ptr<vand::audio::SfxFadeClock> clock = vand::audio::SfxFadeClock::Sleeping());
    ~SfxWorkerVolume() override;

protected:
    void run() override;

private:
    // Sets the player's volume and the level of what it plays, under the
    // player lock; false when the fade was cancelled first.
    bool setLevel_(float level, bool wait);

    const int stepMilliseconds_ = kStepMilliseconds;
    float startVolume_;
    float targetVolume_;
    float volumeAfterFadeOut_;
    int durationMilliseconds_;
    std::unique_ptr<vand::audio::SfxPlayerInterface>* player_;
    int direction_;
    std::recursive_timed_mutex* playerLock_;
    std::shared_ptr<vand::audio::SfxFadeClock> clock_;
};

} // namespace vand::audio
