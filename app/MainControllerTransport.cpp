// Transport and navigation: the window's, the menu's and show control's
// commands become calls on the player engine. Starting playback sends the
// held OSC commands; moving elsewhere drops them.

#include <QMetaObject>
#include <QVariant>
#include <string>

#include "app/MusicalMainController.h"
#include "kit/Log.h"
#include "vand_player_core/Interface.h"

namespace vand::qt {

namespace {
const char* kPlaybackErrorTitle = "Playback Error";
}

std::function<void()> MusicalMainController::FadeCompletion(bool gotoNextSong, bool stopAfter)
{
    // Runs once, on any thread. The engine outlives its own callbacks, so the
    // raw pointer stays valid while this runs; the controller may be gone,
    // which the guard tells. The signal is always emitted from the GUI
    // thread's queue, behind the events posted before it: emitted here, on
    // the GUI thread, FadeComplete_ would call the engine while the guard is
    // held, and an event the engine raises from that call would wait on it.
    std::shared_ptr<LifeGuard> guard = lifeGuard_;
    Interface* engine = player_.get();
    return [guard, engine, gotoNextSong, stopAfter]() {
        {
            std::lock_guard lock(guard->mutex);
            if (MusicalMainController* self = guard->self) {
                QMetaObject::invokeMethod(
                    self, [self, gotoNextSong] { emit self->FadeComplete(gotoNextSong); }, Qt::QueuedConnection);
            }
        }
        if (!stopAfter || !engine)
            return;
        try {
            engine->Stop();
        } catch (const std::exception& e) {
            kit::Log(kit::LogLevel::Error, "shell", std::string("Stopping after the fade failed: ") + e.what());
        } catch (...) {
            kit::Log(kit::LogLevel::Error, "shell", "Stopping after the fade failed");
        }
    };
}

void MusicalMainController::Play_()
{
    Guarded(kPlaybackErrorTitle, [this] {
        if (!player_)
            return;
        player_->Play();
        PlayQueuedOscCommands();
    });
}

void MusicalMainController::Stop_()
{
    Guarded(kPlaybackErrorTitle, [this] {
        if (player_)
            player_->Stop();
    });
}

void MusicalMainController::PauseToggle_(bool fadeCompleted)
{
    Guarded(kPlaybackErrorTitle, [this, fadeCompleted] {
        if (!player_)
            return;
        if (!player_->GetIsPaused() && (player_->GetIsPlaying() || player_->GetIsFaded())) {
            player_->Pause(fadeCompleted);
        } else {
            player_->Play();
            PlayQueuedOscCommands();
        }
    });
}

void MusicalMainController::PauseToggleSlot_()
{
    PauseToggle_(false);
}

void MusicalMainController::Fade_(int fadeTimeMs)
{
    Guarded(kPlaybackErrorTitle, [this, fadeTimeMs] {
        if (!player_ || !player_->GetIsPlaying())
            return;
        player_->Fade(FadeCompletion(true, false), static_cast<float>(fadeTimeMs / 1000.0));
    });
}

void MusicalMainController::FadeTo_(int fadeTimeMs, double targetVolumerPercent)
{
    Guarded(kPlaybackErrorTitle, [this, fadeTimeMs, targetVolumerPercent] {
        if (!player_)
            return;
        player_->FadeTo(FadeCompletion(false, false), static_cast<float>(fadeTimeMs / 1000.0),
                        static_cast<float>(targetVolumerPercent));
    });
}

void MusicalMainController::FadeToStop_(int fadeTimeMs)
{
    Guarded(kPlaybackErrorTitle, [this, fadeTimeMs] {
        if (!player_ || !player_->GetIsPlaying())
            return;
        player_->Fade(FadeCompletion(true, true), static_cast<float>(fadeTimeMs / 1000.0));
    });
}

void MusicalMainController::FadeComplete_(bool gotoNextSong)
{
    Guarded(kPlaybackErrorTitle, [this, gotoNextSong] {
        if (!player_)
            return;
        if (player_->GetIsFaded() && gotoNextSong)
            player_->NextSong();
        player_->CancelFade();
    });
}

void MusicalMainController::ContinueFlow_()
{
    Guarded(kPlaybackErrorTitle, [this] {
        if (!player_)
            return;
        player_->FlowControlExit();
        PlayQueuedOscCommands();
    });
}

void MusicalMainController::ContinuePlay_()
{
    Guarded(kPlaybackErrorTitle, [this] {
        if (!player_)
            return;
        player_->Continue();
        PlayQueuedOscCommands();
    });
}

void MusicalMainController::NextSong_()
{
    Guarded(kPlaybackErrorTitle, [this] {
        if (!player_)
            return;
        onClearOscQueue();
        player_->NextSong();
    });
}

void MusicalMainController::PrevSong_()
{
    Guarded(kPlaybackErrorTitle, [this] {
        if (!player_)
            return;
        onClearOscQueue();
        player_->PrevSong();
    });
}

void MusicalMainController::JumpToBar_(QString barNum)
{
    Guarded(kPlaybackErrorTitle, [this, &barNum] {
        if (!player_)
            return;
        onClearOscQueue();
        const bool found = player_->SeekToBar(barNum.toUtf8().toStdString());
        emit JumpToBarResult(found);
    });
}

void MusicalMainController::JumpToBarStartRequested()
{
    if (rootObject_)
        QMetaObject::invokeMethod(rootObject_, "startJumpToBar");
}

void MusicalMainController::SeekNextBarRequested_()
{
    Guarded(kPlaybackErrorTitle, [this] {
        if (player_)
            player_->SeekToNextMeasure();
    });
}

void MusicalMainController::SeekPrevBarRequested_()
{
    Guarded(kPlaybackErrorTitle, [this] {
        if (player_)
            player_->SeekToPreviousMeasure();
    });
}

void MusicalMainController::SeekNextMarkerRequested_()
{
    Guarded(kPlaybackErrorTitle, [this] {
        if (player_)
            player_->SeekRight();
    });
}

void MusicalMainController::SeekPrevMarkerRequested_()
{
    Guarded(kPlaybackErrorTitle, [this] {
        if (player_)
            player_->SeekLeft();
    });
}

void MusicalMainController::ZoomTimeline(const char* function)
{
    if (QObject* timeline = rootObject_ ? rootObject_->property("timelineControl").value<QObject*>() : nullptr)
        QMetaObject::invokeMethod(timeline, function, Q_ARG(QVariant, QVariant(0.6)), Q_ARG(QVariant, QVariant(true)));
}

void MusicalMainController::ZoomInRequested_()
{
    ZoomTimeline("zoomin");
}

void MusicalMainController::ZoomOutRequested_()
{
    ZoomTimeline("zoomout");
}

} // namespace vand::qt
