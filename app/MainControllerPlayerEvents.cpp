// The player engine's events: posted from any thread, applied to the main
// window on the GUI thread in the order they were posted.

#include <QMetaObject>
#include <QVariant>
#include <exception>
#include <string>

#include "app/AppSettings.h"
#include "app/MusicalMainController.h"
#include "app/PlayerFactory.h"
#include "audio/OutputDeviceMonitor.h"
#include "edit/EditController.h"
#include "kit/Log.h"
#include "show/ScoreViewController.h"
#include "timeline/TimelineController.h"
#include "ui/ViewProperty.h"
#include "vand_player_core/Interface.h"

namespace vand::qt {

namespace {

// Background of the flow-control field, by the first word found in the
// lower-cased label.
QString FlowControlColor(const QString& label)
{
    struct Entry
    {
        const char* word;
        const char* color;
    };
    static constexpr Entry kColors[] = {
        {"skip", "#6e3493"},
        {"repeat", "#DAA520"},
        {"vamp", "#00BFFF"},
        {"caesura", "#DC143C"},
    };
    const QString lower = label.toLower();
    for (const Entry& entry : kColors) {
        if (lower.indexOf(QLatin1String(entry.word)) >= 0)
            return QString::fromLatin1(entry.color);
    }
    return QStringLiteral("#333");
}

} // namespace

void MusicalMainController::OnPlayerEvent(int id, int value, const char* text, void* context)
{
    if (auto* self = static_cast<MusicalMainController*>(context))
        self->PostPlayerEvent(id, value, text);
}

void MusicalMainController::PostPlayerEvent(int id, int value, const char* text)
{
    std::lock_guard lock(lifeGuard_->mutex);
    if (!lifeGuard_->self)
        return;
    const QString copy = QString::fromUtf8(text ? text : "");
    // Queued on the controller itself: calls still queued when it is
    // destroyed are discarded with it.
    QMetaObject::invokeMethod(
        this, [this, id, value, copy]() { HandlePlayerEvent(id, value, copy.trimmed()); }, Qt::QueuedConnection);
}

void MusicalMainController::HandlePlayerEvent(int id, int value, const QString& text)
{
    QObject* window = rootObject_;
    if (!window)
        return;
    using notify::PlayerEvent;
    try {
        switch (static_cast<PlayerEvent>(id)) {
        case PlayerEvent::PlaybackStarted:
            emit PlayStarted();
            if (deviceMonitor_)
                deviceMonitor_->PlaybackStarted();
            // Also a start from inside the engine (a MIDI command).
            PlayQueuedOscCommands();
            break;
        case PlayerEvent::PlaybackStopped:
            emit Stopped();
            break;
        case PlayerEvent::PlaybackPaused:
            emit Paused();
            break;
        case PlayerEvent::PlaybackFading:
            emit Fading();
            break;
        case PlayerEvent::StatusFlowControl: {
            QString label = text;
            if (label == QLatin1String("ClearPickupBeat"))
                label.clear();
            SetViewProperty(window, "flowControlLabel", label);
            if (!label.isEmpty() && value != 0)
                SetViewProperty(window, "flowControlValue", QString::number(value));
            else
                SetViewProperty(window, "flowControlValue", QString());
            SetViewProperty(window, "flowControlBackgroundColor", FlowControlColor(label));
            // Held at a caesura: the markers of the held tick are reached,
            // though the engine reports them only when playback goes on.
            if (editController_ && player_ && label.contains(QLatin1String("caesura"), Qt::CaseInsensitive))
                editController_->UpdateHeldMarker(static_cast<int>(player_->GetTickIndex()));
            break;
        }
        case PlayerEvent::Key:
            SetViewProperty(window, "key", text);
            break;
        case PlayerEvent::Tempo:
            SetViewProperty(window, "tempo", text);
            break;
        case PlayerEvent::Meter:
            SetViewProperty(window, "meter", text);
            break;
        case PlayerEvent::Transposition:
            SetViewProperty(window, "transpose", QString::number(value, 10));
            break;
        case PlayerEvent::TempoScale:
            SetViewProperty(window, "tempoScale", text);
            break;
        case PlayerEvent::BarBeat:
            SetViewProperty(window, "beat", text.right(2));
            SetViewProperty(window, "measure", text.left(4));
            break;
        case PlayerEvent::Marker:
            if (editController_)
                editController_->UpdatePassedMarker(value);
            break;
        case PlayerEvent::PageNum:
            if (scoreController_)
                scoreController_->SetCurrentPage(value);
            break;
        case PlayerEvent::Playhead:
            if (timelineController_)
                timelineController_->SetPlayheadTick(value);
            break;
        case PlayerEvent::SongTitle:
            SetViewProperty(window, "songTitle", text);
            break;
        case PlayerEvent::SongLoaded: {
            // The lists follow the song even when the timeline cannot.
            std::exception_ptr timelineFailure;
            try {
                if (timelineController_)
                    timelineController_->SetCurrentSong(text.toStdString());
            } catch (...) {
                timelineFailure = std::current_exception();
            }
            if (editController_)
                editController_->SetCurrentSong(text.toStdString());
            if (timelineFailure)
                std::rethrow_exception(timelineFailure);
            if (factory_ && factory_->showMixer) {
                if (QObject* mixer = window->property("mixerControl").value<QObject*>())
                    mixerController_ = factory_->CreateMixerController(mixer, engine_, appSettings_, player_);
            }
            break;
        }
        case PlayerEvent::LearnedMIDICommand:
            emit MidiLearned((value >> 16) & 0xFF, (value >> 8) & 0xF0, (value >> 8) & 0x0F, value & 0xFF);
            break;
        case PlayerEvent::MIDICommandCanceled:
            emit MidiUnlearned(value);
            break;
        case PlayerEvent::MidiNotification:
            FlashMidiNotice();
            break;
        case PlayerEvent::VampOn:
            SetContinueHighlight(true);
            break;
        case PlayerEvent::VampOff:
            SetContinueHighlight(false);
            break;
        case PlayerEvent::StatusVolume:
            SetViewProperty(window, "volumeLevelPercent", static_cast<double>(value) / 1000.0);
            break;
        default:
            break;
        }
    } catch (const std::exception& e) {
        kit::Log(kit::LogLevel::Error, "shell", "Player event " + std::to_string(id) + " failed: " + e.what());
    } catch (...) {
        kit::Log(kit::LogLevel::Error, "shell", "Player event " + std::to_string(id) + " failed");
    }
}

void MusicalMainController::SetContinueHighlight(bool on)
{
    SetViewProperty(rootObject_, "highlightContinueButton", on);
}

void MusicalMainController::FlashMidiNotice()
{
    QObject* banner = rootObject_ ? rootObject_->property("statusBannerControl").value<QObject*>() : nullptr;
    if (banner)
        QMetaObject::invokeMethod(banner, "highlightMidiNotice");
}

} // namespace vand::qt
