#include "sfx/SfxPlayerImpl.h"

#include "kit/Log.h"
#include "sfx/SfxAudioStream.h"
#include "sfx/UserAudioFile.h"

#include <QAudioSink>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFuture>
#include <QMediaDevices>
#include <QThread>
#include <QTimer>
#include <QtConcurrent/QtConcurrentRun>

#include <algorithm>
#include <cmath>
#include <exception>
#include <stdexcept>
#include <vector>

namespace vand::audio {

using vand::audio::sfx::SfxDto;

namespace {

constexpr unsigned int kFadeStepMs = 30;
constexpr float kFadeFloor = 1e-4f;
// A start position outside this open range plays from the beginning.
constexpr double kMinStartPosition = 2.220446049250313e-16;
constexpr double kMaxStartPosition = 0.9900000000000002;
constexpr int kWatchdogMs = 250;
constexpr qint64 kDrainGraceMs = 1000;

QString LevelText(float level)
{
    return QString::number(level, 'g', 6);
}

} // namespace

// One run's state, shared with the fades and stops that act on it. The sink,
// stream and loop live on the run's thread and are reached only through
// Post_, which queues work to that thread while the run is alive.
struct SfxPlayerImpl::Run
{
    std::shared_ptr<SfxDto> record;
    // Stops and restarts requested before the run was started.
    std::uint64_t stopsBefore = 0;
    std::mutex lock;
    bool alive = true;          // under lock
    bool stopping = false;      // under lock: a fade that ends the run is under way
    QFuture<void> fade;         // under lock: the fade in progress
    QObject* context = nullptr; // the run thread's target for queued work
    SfxAudioStream* stream = nullptr;
    std::atomic<float> level{0.0f};
    // Run thread only.
    QAudioSink* sink = nullptr;
    QEventLoop* loop = nullptr;
    bool ended = false;
    bool outputStarted = false;

    template <class Work>
    void Post(Work work)
    {
        std::lock_guard guard(lock);
        if (alive)
            QMetaObject::invokeMethod(context, std::move(work), Qt::QueuedConnection);
    }

    // Run thread.
    void End()
    {
        ended = true;
        loop->quit();
    }
};

SfxPlayerImpl::SfxPlayerImpl(SfxDto record, std::shared_ptr<QThreadPool> playPool,
                             std::shared_ptr<QThreadPool> stopPool, std::shared_ptr<QThreadPool> fadePool,
                             QObject* parent)
    : QObject(parent)
    , record_(std::make_shared<SfxDto>(std::move(record)))
    , playPool_(std::move(playPool))
    , stopPool_(std::move(stopPool))
    , fadePool_(std::move(fadePool))
    , clock_(SfxFadeClock::Sleeping())
{
    if (!playPool_ || !stopPool_ || !fadePool_)
        throw std::invalid_argument("A sound-effect player needs its play, stop and fade pools.");
}

SfxPlayerImpl::~SfxPlayerImpl()
{
    ++stopRequests_;
    emit cancelSfx(true);
    std::unique_lock lock(tasksLock_);
    tasksOver_.wait(lock, [this] { return tasks_ == 0; });
}

// Held by each piece of pool work from its hand-over to the end of the
// work's life (run, or dropped unrun after a cancel).
std::shared_ptr<void> SfxPlayerImpl::Task_()
{
    {
        std::lock_guard lock(tasksLock_);
        ++tasks_;
    }
    return std::shared_ptr<void>(nullptr, [this](void*) {
        std::lock_guard lock(tasksLock_);
        if (--tasks_ == 0)
            tasksOver_.notify_all();
    });
}

void SfxPlayerImpl::Play(double position)
{
    std::shared_ptr<SfxDto> record;
    {
        std::lock_guard lock(recordLock_);
        record = std::make_shared<SfxDto>(*record_);
    }
    SfxFileInterface* file = file_;
    const std::uint64_t stopsBefore = stopRequests_;
    ++activeRuns_;
    const bool started = playPool_->tryStart([this, position, record, file, stopsBefore, task = Task_()] {
        StartPlayer(position, record, file, stopsBefore);
    });
    if (!started) {
        --activeRuns_;
        kit::Log(kit::LogLevel::Warning, "sfx",
                 "Sound effect " + record->name() + " was not played: every voice is busy.");
        emit playRefused(QString::fromStdString(record->eventId()));
    }
}

void SfxPlayerImpl::Stop(bool isUrgent)
{
    ++stopRequests_;
    emit cancelSfx(isUrgent);
}

void SfxPlayerImpl::Stop()
{
    Stop(false);
}

void SfxPlayerImpl::SetOutputDevice(const wchar_t*)
{
    if (QMediaDevices::audioOutputs().isEmpty())
        throw SfxException("No audio devices found");
}

void SfxPlayerImpl::SetVolume(float volume)
{
    std::lock_guard lock(recordLock_);
    record_->setVolume(volume);
}

float SfxPlayerImpl::Volume()
{
    return record_->volume();
}

void SfxPlayerImpl::SetReverb(float reverb)
{
    std::lock_guard lock(recordLock_);
    record_->setReverb(reverb);
}

void SfxPlayerImpl::SetPan(float pan)
{
    std::lock_guard lock(recordLock_);
    record_->setPan(pan);
}

void SfxPlayerImpl::SetSfxPath(const std::string& path)
{
    std::lock_guard lock(recordLock_);
    record_->setEffectPath(path);
}

void SfxPlayerImpl::ReplaceSfxData(const SfxDto& other)
{
    std::lock_guard lock(recordLock_);
    record_->setName(other.name());
    record_->setEventId(other.eventId());
    record_->setVolume(other.volume());
    record_->setPan(other.pan());
    record_->setReverb(other.reverb());
    record_->setEffectPath(other.effectPath());
    record_->setFadeIn(other.fadeIn());
    record_->setFadeOut(other.fadeOut());
    record_->setRepeats(other.repeats());
    record_->setType(other.type());
    record_->setOutputPath(other.outputPath());
    record_->setEffectId(other.effectId());
    record_->setEffectIdIndex(other.effectIdIndex());
}

float SfxPlayerImpl::GetDuration()
{
    return duration_;
}

void SfxPlayerImpl::FadeTo(float volume, unsigned int milliseconds)
{
    emit fadeRequested(volume, milliseconds, false);
}

bool SfxPlayerImpl::Done()
{
    return activeRuns_ == 0;
}

void SfxPlayerImpl::WaitUntilDone()
{
    while (!Done())
        QThread::msleep(100);
}

bool SfxPlayerImpl::PlaysSameSfx(const SfxDto& other)
{
    return *record_ == other;
}

const SfxDto& SfxPlayerImpl::SfxData() const
{
    return *record_;
}

void SfxPlayerImpl::SetFile(SfxFileInterface* file)
{
    file_ = file;
    duration_ = file != nullptr ? file->Duration() : -1.0f;
    if (file != nullptr)
        SetSfxPath(file->Path());
}

void SfxPlayerImpl::Restart()
{
    ++stopRequests_;
    emit restartRequested();
}

void SfxPlayerImpl::SetPosition(double position)
{
    emit jumpToPosition(position);
}

void SfxPlayerImpl::SetFadeClock(std::shared_ptr<SfxFadeClock> clock)
{
    if (clock)
        clock_ = std::move(clock);
}

void SfxPlayerImpl::StartPlayer(double position, std::shared_ptr<SfxDto> record, SfxFileInterface* file,
                                std::uint64_t stopsBefore)
{
    auto run = std::make_shared<Run>();
    run->record = record;
    run->stopsBefore = stopsBefore;
    try {
        PlayRun_(position, run, file);
    } catch (const std::exception& e) {
        kit::Log(kit::LogLevel::Error, "sfx", "Sound effect " + record->name() + " failed: " + e.what());
    }
    --activeRuns_;
    emit sfxFinished(QString::fromStdString(record->eventId()));
}

void SfxPlayerImpl::PlayRun_(double position, const std::shared_ptr<Run>& run, SfxFileInterface* file)
{
    // Destroyed in reverse: the run is closed to new work, the connections
    // go, work still queued for the run goes with its context, then the sink
    // stops (a sink destroyed while active may still be fed from its queued
    // events), before the stream it reads.
    QEventLoop loop;
    SfxAudioStream stream(run->record, file);
    struct StoppedSink
    {
        std::unique_ptr<QAudioSink> sink;
        ~StoppedSink()
        {
            if (sink)
                sink->stop();
        }
    } stopped;
    std::unique_ptr<QAudioSink>& sink = stopped.sink;
    QObject context;
    struct Connections
    {
        std::vector<QMetaObject::Connection> list;
        ~Connections()
        {
            for (const auto& connection : list)
                QObject::disconnect(connection);
        }
    } connections;
    struct Closing
    {
        Run& run;
        ~Closing()
        {
            std::lock_guard lock(run.lock);
            run.alive = false;
            run.fade.cancel();
        }
    } closing{*run};

    stream.open(QIODevice::ReadOnly);
    run->loop = &loop;
    run->context = &context;
    run->stream = &stream;
    const std::weak_ptr<Run> weak = run;
    connections.list.push_back(connect(
        this, &SfxPlayerImpl::jumpToPosition, this,
        [weak](double to) {
            if (auto r = weak.lock()) {
                std::lock_guard lock(r->lock);
                if (r->alive)
                    r->stream->setPosition(to);
            }
        },
        Qt::DirectConnection));
    if (position > kMinStartPosition && position < kMaxStartPosition)
        stream.setPosition(position);
    // No file, or one without PCM (not loaded, or empty): nothing to play.
    if (file == nullptr || stream.bytesAvailable() <= 0)
        return;

    QAudioFormat format = QMediaDevices::defaultAudioOutput().preferredFormat();
    if (const auto* user = dynamic_cast<const UserAudioFile*>(file)) {
        format = user->Format();
    } else {
        format.setSampleFormat(QAudioFormat::Int16);
        format.setChannelCount(static_cast<int>(file->ChannelCount()));
        format.setChannelConfig(QAudioFormat::ChannelConfigUnknown);
        format.setSampleRate(static_cast<int>(file->SampleRate()));
    }
    sink = std::make_unique<QAudioSink>(format);
    run->sink = sink.get();

    connections.list.push_back(connect(
        this, &SfxPlayerImpl::fadeRequested, this,
        [this, weak](float volume, unsigned int ms, bool stopAfterFade) {
            if (auto r = weak.lock())
                StartFade_(r, volume, ms, stopAfterFade);
        },
        Qt::DirectConnection));
    const auto onFade = [weak](void (*act)(QFuture<void>&)) {
        return [weak, act] {
            if (auto r = weak.lock()) {
                std::lock_guard lock(r->lock);
                act(r->fade);
            }
        };
    };
    connections.list.push_back(connect(this, &SfxPlayerImpl::fadeSuspensionRequested, this,
                                       onFade([](QFuture<void>& f) { f.suspend(); }), Qt::DirectConnection));
    connections.list.push_back(connect(this, &SfxPlayerImpl::fadeResumeRequested, this,
                                       onFade([](QFuture<void>& f) { f.resume(); }), Qt::DirectConnection));
    connections.list.push_back(connect(this, &SfxPlayerImpl::fadeCancellationRequested, this,
                                       onFade([](QFuture<void>& f) { f.cancel(); }), Qt::DirectConnection));
    connections.list.push_back(connect(
        this, &SfxPlayerImpl::cancelSfx, this,
        [this, weak](bool isUrgent) {
            stopPool_->start([this, weak, isUrgent, task = Task_()] {
                if (auto r = weak.lock()) {
                    if (isUrgent)
                        Cut_(r);
                    else
                        FadeOut(r);
                }
            });
        },
        Qt::DirectConnection));
    connections.list.push_back(connect(
        this, &SfxPlayerImpl::restartRequested, this,
        [this, weak] {
            if (auto r = weak.lock())
                StartFade_(r, 0.0f, 0, true);
        },
        Qt::DirectConnection));
    // A stop or restart given between Play and now found nothing to act on:
    // this run ends before it is heard.
    if (stopRequests_ != run->stopsBefore)
        return;

    Run* r = run.get();
    connect(&stream, &SfxAudioStream::progressChanged, &context, [this, r](double p) {
        emit progress(p);
        if (!r->outputStarted && r->sink->processedUSecs() > 0) {
            r->outputStarted = true;
            emit outputStarted();
        }
    });
    // Directly from the run's thread, queued from PulseAudio's.
    connect(sink.get(), &QAudioSink::stateChanged, &context, [this, r](QAudio::State state) {
        switch (state) {
        case QAudio::ActiveState:
            return;
        case QAudio::IdleState:
            if (!r->stream->atEnd()) {
                // The sink picks up again on its next tick; one that stopped
                // ticking is restarted by readyRead.
                emit underrun();
                emit r->stream->readyRead();
                return;
            }
            break;
        case QAudio::StoppedState:
            if (r->sink->error() != QAudio::NoError) {
                kit::Log(kit::LogLevel::Warning, "sfx",
                         "Sound effect " + r->record->name() + ": the audio output failed (error "
                             + std::to_string(static_cast<int>(r->sink->error())) + ").");
            }
            break;
        case QAudio::SuspendedState:
            break;
        }
        r->End();
    });

    // Should the sink never report the end of a drained stream, the run still
    // ends once everything it buffered has had time to play.
    QElapsedTimer drained;
    QTimer watchdog;
    connect(&watchdog, &QTimer::timeout, &context, [r, &drained, &format] {
        if (!r->stream->atEnd())
            return drained.invalidate();
        if (!drained.isValid())
            return drained.start();
        const qint64 bufferMs = format.durationForBytes(static_cast<qint32>(r->sink->bufferSize())) / 1000;
        if (drained.elapsed() > bufferMs + kDrainGraceMs) {
            kit::Log(kit::LogLevel::Warning, "sfx",
                     "Sound effect " + r->record->name() + ": the audio output did not finish; ended.");
            r->End();
        }
    });
    watchdog.start(kWatchdogMs);

    const bool fadeFromSilence = run->record->fadeIn() != 0 && run->record->fadeIn() < stream.duration() * 1000.0;
    const float level = fadeFromSilence ? 0.0f : run->record->volume();
    run->level = level;
    sink->setVolume(level);
    emit levelChanged(level);
    sink->start(&stream);
    stream.setMinimumLength(sink->bufferSize());
    FadeIn(run);
    if (!run->ended)
        loop.exec();
}

void SfxPlayerImpl::Cut_(const std::shared_ptr<Run>& run)
{
    {
        std::lock_guard lock(run->lock);
        run->fade.cancel();
        run->stopping = true;
    }
    SetLevel_(*run, 0.0f);
    run->Post([r = run.get()] { r->End(); });
}

void SfxPlayerImpl::SetLevel_(Run& run, float level)
{
    run.level = level;
    run.Post([this, r = &run, level] {
        r->sink->setVolume(level);
        emit levelChanged(level);
    });
}

void SfxPlayerImpl::FadeIn(const std::shared_ptr<Run>& run)
{
    StartFade_(run, run->record->volume(), run->record->fadeIn(), false);
}

void SfxPlayerImpl::FadeOut(const std::shared_ptr<Run>& run)
{
    std::uint16_t fadeOut = 0;
    {
        std::lock_guard lock(recordLock_);
        fadeOut = record_->fadeOut();
    }
    StartFade_(run, 0.0f, fadeOut, true);
}

void SfxPlayerImpl::StartFade_(const std::shared_ptr<Run>& run, float volume, unsigned int milliseconds,
                               bool stopAfterFade)
{
    std::lock_guard lock(run->lock);
    if (!run->alive || (run->stopping && !stopAfterFade))
        return;
    run->fade.cancel();
    run->stopping = stopAfterFade;
    run->fade = QtConcurrent::run(fadePool_.get(), [this, weak = std::weak_ptr<Run>(run), volume, milliseconds,
                                                    stopAfterFade, task = Task_()](QPromise<void>& promise) {
        FadeTo_(promise, weak, volume, milliseconds, stopAfterFade);
    });
}

void SfxPlayerImpl::FadeTo_(QPromise<void>& promise, const std::weak_ptr<Run>& weak, float target,
                            unsigned int milliseconds, bool stopAfterFade)
{
    const std::shared_ptr<Run> run = weak.lock();
    if (!run)
        return;
    promise.setProgressRange(0, 100);
    promise.setProgressValueAndText(0, LevelText(run->level));

    double current = run->level;
    if (current == 0.0)
        current = kFadeFloor;
    const unsigned int steps = milliseconds / kFadeStepMs;
    const double ratio = steps == 0 ? 1.0 : std::exp(std::log(std::max(kFadeFloor, target) / current) / steps);
    for (unsigned int i = 0; i < steps; ++i) {
        promise.suspendIfRequested();
        if (promise.isCanceled())
            return;
        float next = static_cast<float>(ratio * current);
        if (run->level > target)
            next = std::max(kFadeFloor, next);
        else
            next = std::min(target, next);
        current = next;
        SetLevel_(*run, next);
        promise.setProgressValueAndText(static_cast<int>(100 * (i + 1) / steps), LevelText(next));
        clock_->WaitStep(kFadeStepMs);
    }
    if (stopAfterFade && !promise.isCanceled())
        run->Post([r = run.get()] { r->End(); });
}

} // namespace vand::audio
