// The player engine's events: posted from any thread, applied to the main
// window on the GUI thread in the order they were posted.

#include <QMetaObject>
#include <QVariant>
#include <iostream>

#include "app/AppSettings.h"
#include "app/MusicalMainController.h"
#include "app/PlayerFactory.h"
#include "timeline/TimelineController.h"

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
    if (!lifeGuard_->self || !rootObject_)
        return;
    const QString copy = QString::fromUtf8(text ? text : "");
    // Queued on the controller itself: calls still queued when it is
    // destroyed are discarded with it.
    QMetaObject::invokeMethod(
        this, [this, id, value, copy]() { HandlePlayerEvent(id, value, copy.trimmed()); },
        Qt::QueuedConnection);
}

void MusicalMainController::HandlePlayerEvent(int id, int value, const QString& text)
{
    QObject* window = rootObject_;
    if (!window)
        return;
    try {
        switch (id) {
        case 0:
            emit PlayStarted();
            break;
        case 1:
            emit Stopped();
            break;
        case 2:
            emit Paused();
            break;
        case 3:
            emit Fading();
            break;
        case 4: {
            QString label = text;
            if (label == QLatin1String("ClearPickupBeat"))
                label.clear();
            window->setProperty("flowControlLabel", label);
            if (!label.isEmpty() && value != 0)
                window->setProperty("flowControlValue", value);
            else
                window->setProperty("flowControlValue", QString());
            window->setProperty("flowControlBackgroundColor", FlowControlColor(label));
            break;
        }
        case 5:
            window->setProperty("key", text);
            break;
        case 6:
            window->setProperty("tempo", text);
            break;
        case 7:
            window->setProperty("meter", text);
            break;
        case 8:
            window->setProperty("transpose", QString::number(value, 10));
            break;
        case 9:
            window->setProperty("tempoScale", text);
            break;
        case 10:
            window->setProperty("beat", text.right(2));
            window->setProperty("measure", text.left(4));
            break;
        case 11:
            // Joins with the edit controller: UpdatePassedMarker(value).
            break;
        case 12:
            // Joins with the score view: SetCurrentPage(value).
            break;
        case 13:
            if (timelineController_)
                timelineController_->SetPlayheadTick(value);
            break;
        case 14:
            window->setProperty("songTitle", text);
            break;
        case 15:
            if (timelineController_)
                timelineController_->SetCurrentSong(text.toStdString());
            // Joins with the edit controller: SetCurrentSong with the song
            // number in text.
            if (factory_ && factory_->showMixer) {
                if (QObject* mixer = window->property("mixerControl").value<QObject*>())
                    mixerController_ = factory_->CreateMixerController(mixer, engine_, appSettings_, player_);
            }
            break;
        case 16:
            emit MidiLearned((value >> 16) & 0xFF, (value >> 8) & 0xF0, (value >> 8) & 0x0F, value & 0xFF);
            break;
        case 17:
            emit MidiUnlearned(value);
            break;
        case 18:
            FlashMidiNotice();
            break;
        case 19:
            SetContinueHighlight(true);
            break;
        case 20:
            SetContinueHighlight(false);
            break;
        case 21:
            window->setProperty("volumeLevelPercent", static_cast<double>(value) / 1000.0);
            break;
        default:
            break;
        }
    } catch (const std::exception& e) {
        std::cerr << "Player event " << id << " failed: " << e.what() << '\n';
    } catch (...) {
        std::cerr << "Player event " << id << " failed\n";
    }
}

void MusicalMainController::SetContinueHighlight(bool on)
{
    if (rootObject_)
        rootObject_->setProperty("highlightContinueButton", on);
}

void MusicalMainController::FlashMidiNotice()
{
    QObject* banner = rootObject_ ? rootObject_->property("statusBannerControl").value<QObject*>() : nullptr;
    if (banner)
        QMetaObject::invokeMethod(banner, "highlightMidiNotice");
}

} // namespace vand::qt
