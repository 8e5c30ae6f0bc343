#pragma once

// The working sound-effect player. Each Play starts a run: a thread of the
// play pool that opens an audio sink on the default output, feeds it from an
// SfxAudioStream and runs an event loop until the sound ends. Fades run on the
// fade pool, stop requests on the stop pool; a pool is shared by every player
// of the process, so a Play finds a free voice at once or is refused.
//
// Threads: Play, Stop, FadeTo, Restart, SetPosition, SetFile and the setters
// are called on the owner's thread (the controller's), which they never
// block; their signals reach the runs through direct connections. The sink and
// its stream live on the run's thread and are touched only there: fades and
// stops queue their level changes and ends to it. sfxFinished, progress,
// levelChanged, underrun and outputStarted come from pool threads. The
// destructor ends every run at once and waits until all of the player's pool
// work is over.

#include "sfx/SfxDto.h"
#include "sfx/SfxExport.h"
#include "sfx/SfxFadeClock.h"
#include "sfx/SfxFileInterface.h"
#include "sfx/SfxPlayerInterface.h"

#include <QObject>
#include <QPromise>
#include <QString>
#include <QThreadPool>

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <future>
#include <memory>
#include <mutex>
#include <string>

namespace vand::audio {

class SFX_EXPORT SfxPlayerImpl : public QObject, public SfxPlayerInterface
{
    Q_OBJECT

public:
    // Runs play on `playPool` (one thread per run, time-critical, at most as
    // many runs as it has threads), fades on `fadePool` and stop requests on
    // `stopPool`; std::invalid_argument when one is missing.
    SfxPlayerImpl(vand::audio::sfx::SfxDto record, std::shared_ptr<QThreadPool> playPool,
                  std::shared_ptr<QThreadPool> stopPool, std::shared_ptr<QThreadPool> fadePool,
                  QObject* parent = nullptr);
    ~SfxPlayerImpl() override;

    // Starts a run at `position` of the first pass (from the start unless it
    // lies strictly between 0 and 0.99) and returns at once. With every voice
    // of the play pool busy the run is refused: playRefused.
    void Play(double position) override;
    // Non-urgent: fades out over the record's fade-out, then ends the runs.
    // Urgent: ends them at once. A run still being set up ends unheard.
    void Stop(bool isUrgent) override;
    void Stop() override;
    // Every run plays on the system's default output; throws SfxException "No
    // audio devices found" when the system has none.
    void SetOutputDevice(const wchar_t* deviceId) override;
    // Used from the next run on.
    void SetVolume(float volume) override;
    float Volume() override;
    void SetReverb(float reverb) override;
    void SetPan(float pan) override;
    void SetSfxPath(const std::string& path) override;
    // Takes every field but the active intervals.
    void ReplaceSfxData(const vand::audio::sfx::SfxDto& other) override;
    // Seconds of one pass of the file; -1 until a file is set.
    float GetDuration() override;
    // Fades the runs to `volume` in steps of 30 ms; under 30 ms nothing changes.
    // A stop under way is not undone.
    void FadeTo(float volume, unsigned int milliseconds) override;
    bool Done() override;
    // Polls Done every 100 ms.
    void WaitUntilDone() override;
    bool PlaysSameSfx(const vand::audio::sfx::SfxDto& other) override;
    const vand::audio::sfx::SfxDto& SfxData() const override;

    // Not owned; must outlive the player's runs.
    void SetFile(SfxFileInterface* file);
    // Ends the runs at once (a fade to silence in 0 ms).
    void Restart();
    // Moves the runs to `position` (0 to 1) of their current pass.
    void SetPosition(double position);
    // Replaces the wait between fade steps (30 ms sleeps by default). Set it
    // before Play.
    void SetFadeClock(std::shared_ptr<SfxFadeClock> clock);

signals:
    void cancelSfx(bool isUrgent);
    // Once per run, when it has ended.
    void sfxFinished(QString eventId);
    void sfxFileRequested(std::string effectId, std::promise<const vand::audio::SfxFileInterface*>& file);
    void fadeRequested(float volume, unsigned int milliseconds, bool stopAfterFade = false);
    void fadeSuspensionRequested();
    void fadeResumeRequested();
    void fadeCancellationRequested();
    // 0 to 1 over every pass, once per chunk the sink pulls.
    void progress(double progress);
    void restartRequested();
    void jumpToPosition(double position);
    // Play found every voice of the play pool busy; nothing was started.
    void playRefused(QString eventId);
    // A run's output level was set (from its thread).
    void levelChanged(float level);
    // The output ran dry while data remained; the run goes on.
    void underrun();
    // A run's first audio reached the output.
    void outputStarted();

private:
    struct Run;

    void StartPlayer(double position, std::shared_ptr<vand::audio::sfx::SfxDto> record, SfxFileInterface* file,
                     std::uint64_t stopsBefore);
    void PlayRun_(double position, const std::shared_ptr<Run>& run, SfxFileInterface* file);
    void Cut_(const std::shared_ptr<Run>& run);
    void FadeIn(const std::shared_ptr<Run>& run);
    void FadeOut(const std::shared_ptr<Run>& run);
    void FadeTo_(QPromise<void>& promise, const std::weak_ptr<Run>& run, float volume, unsigned int milliseconds,
                 bool stopAfterFade);
    void StartFade_(const std::shared_ptr<Run>& run, float volume, unsigned int milliseconds, bool stopAfterFade);
    void SetLevel_(Run& run, float level);
    std::shared_ptr<void> Task_();

    std::atomic<std::uint16_t> activeRuns_{0};
    // Stops and restarts requested so far; a run that finds more than when it
    // was started has missed one and does not play.
    std::atomic<std::uint64_t> stopRequests_{0};
    float duration_ = -1.0f;
    std::shared_ptr<vand::audio::sfx::SfxDto> record_;
    std::shared_ptr<QThreadPool> playPool_;
    std::shared_ptr<QThreadPool> stopPool_;
    std::shared_ptr<QThreadPool> fadePool_;
    SfxFileInterface* file_ = nullptr;
    std::shared_ptr<SfxFadeClock> clock_;
    // Guards the record against the runs' threads; the owner's thread writes.
    mutable std::mutex recordLock_;
    // Pool work of this player not yet over; the destructor waits for 0.
    std::mutex tasksLock_;
    std::condition_variable tasksOver_;
    int tasks_ = 0;
};

} // namespace vand::audio
