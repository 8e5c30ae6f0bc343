// Show control: the OSC server with its command handler, the timed OSC
// sender and the commands it hands back while the player is not playing,
// the OSC lamps, and the OSC manager window.

#include <QMetaObject>
#include <QString>
#include <stdexcept>
#include <string>

#include "app/MusicalMainController.h"
#include "app/PlayerFactory.h"
#include "edit/EditController.h"
#include "kit/Log.h"
#include "model/EditModel.h"
#include "showcontrol/OscManagerController.h"
#include "showcontrol/OscServer.h"
#include "showcontrol/VandOscCallbacks.h"
#include "showcontrol/VandPlayerOscCallback.h"
#include "vand_player_core/Interface.h"

namespace vand::qt {

namespace {

const char* kOscServerErrorTitle = "OSC Server Error";
const char* kOscSettingsErrorTitle = "OSC Settings Failed to Save";
const char* kOscManagerErrorTitle = "OSC Manager Error";

void InvokeStatusBanner(QObject* window, const char* function)
{
    QObject* banner = window ? window->property("statusBannerControl").value<QObject*>() : nullptr;
    if (!banner || !QMetaObject::invokeMethod(banner, function))
        kit::Log(kit::LogLevel::Error, "osc", std::string("The status banner has no function ") + function);
}

// OSC failures go to the standard error stream, never to a dialog.
template <typename Action>
void LogFailure(const char* what, Action&& action)
{
    try {
        action();
    } catch (const std::exception& e) {
        kit::Log(kit::LogLevel::Error, "osc", std::string(what) + ": " + e.what());
    } catch (...) {
        kit::Log(kit::LogLevel::Error, "osc", std::string(what) + ": unknown error");
    }
}

} // namespace

void MusicalMainController::StartOscServer()
{
    if (!factory_ || !factory_->oscEnabled)
        return;
    oscServer_.reset();
    // The listen switch and the bind decide only whether commands are
    // received: the engine sends the timeline's OSC whatever happens here.
    try {
        if (!oscSettings_.oscEnabled || !player_)
            return;
        const int port = oscSettings_.oscListenPort;
        if (!oscSettings_.ListenPortInRange()) {
            throw std::runtime_error("The OSC listen port " + std::to_string(port)
                                     + " is not a UDP port (1 to 65535).");
        }
        using H = vand::VandOscCallbacks;
        auto handler = std::make_unique<H>(player_, showName_.toStdString());
        connect(handler.get(), &H::FadeRequested, this, [this](float ms) { Fade_(static_cast<int>(ms)); });
        connect(handler.get(), &H::FadeToRequested, this,
                [this](float ms, float level, bool) { FadeTo_(static_cast<int>(ms), level); });
        // Queued: the lamp lights once the command has reached the engine, so
        // the view never delays a cue.
        connect(handler.get(), qOverload<>(&H::Notification), this, &MusicalMainController::FlashOscNotice,
                Qt::QueuedConnection);
        connect(handler.get(), &H::RequestPlayQueudOscEvents, this, &MusicalMainController::PlayQueuedOscCommands);
        oscServer_ = std::make_unique<vand::osc::OscServer>(static_cast<quint16>(port), std::move(handler));
        player_->SetOscControlDefaultPort(static_cast<std::uint16_t>(port));
    } catch (const std::exception& e) {
        oscServer_.reset();
        onError(e.what(), kOscServerErrorTitle);
    }
}

void MusicalMainController::ConnectOscSender()
{
    if (!oscSender_)
        return;
    using S = vand::VandPlayerOscCallback;
    connect(oscSender_.get(), &S::enqueueOscCommand, this, &MusicalMainController::onEnqueueOscCommand,
            Qt::UniqueConnection);
    connect(oscSender_.get(), &S::OutgoingNotification, this, &MusicalMainController::FlashOscOutgoingNotice,
            Qt::UniqueConnection);
}

void MusicalMainController::onEnqueueOscCommand(CL::Osc osc, uint32_t delay)
{
    LogFailure("Holding an OSC command failed", [&] {
        if (player_ && player_->GetIsPlaying()) {
            if (oscSender_)
                oscSender_->ExecuteEvent(osc, delay);
            return;
        }
        const std::string song = player_ ? player_->GetCurrentSongNumber() : std::string();
        // The engine hands the events of a rest position over again at each
        // stop; one entry per event and song is kept.
        for (const PendingOscCommand& held : pendingOsc_) {
            if (held.song == song && held.osc.EventId() == osc.EventId())
                return;
        }
        pendingOsc_.push_back(PendingOscCommand{std::move(osc), 0, song});
    });
}

void MusicalMainController::onClearOscQueue()
{
    pendingOsc_.clear();
}

void MusicalMainController::PlayQueuedOscCommands()
{
    LogFailure("Sending the held OSC commands failed", [&] {
        if (pendingOsc_.empty() || !oscSender_ || !player_)
            return;
        const SongNameMap songs = player_->GetSongNamesBySongNumber();
        const std::string first = songs.empty() ? std::string() : songs.begin()->first;
        const std::string current = player_->GetCurrentSongNumber();
        while (!pendingOsc_.empty()) {
            const PendingOscCommand held = std::move(pendingOsc_.front());
            pendingOsc_.pop_front();
            // Sent without the playing test: the engine reports playing only
            // a block after Play, and offers a held command only once.
            if (held.song == current || (held.song.empty() && current == first))
                oscSender_->ExecuteHeldEvent(held.osc, held.delay);
        }
    });
}

std::list<std::pair<std::string, std::string>> MusicalMainController::GetPendingOscCommands() const
{
    std::list<std::pair<std::string, std::string>> out;
    for (const PendingOscCommand& held : pendingOsc_)
        out.emplace_back(held.song, held.osc.EventId());
    return out;
}

void MusicalMainController::FlashOscNotice()
{
    InvokeStatusBanner(rootObject_, "highlightOscNotice");
}

void MusicalMainController::FlashOscOutgoingNotice()
{
    InvokeStatusBanner(rootObject_, "highlightOscOutgoingNotice");
}

void MusicalMainController::ShowOscManager_()
{
    Guarded(kOscManagerErrorTitle, [this] {
        if (!player_) {
            kit::Log(kit::LogLevel::Error, "osc", "The OSC manager opens once a show is loaded.");
            return;
        }
        auto manager = std::make_unique<OscManagerController>(engine_, oscSettings_, player_, rootObject_);
        connect(manager.get(), &OscManagerController::oscSettingsUpdated, this,
                &MusicalMainController::onOscSettingsUpdated_);
        connect(manager.get(), &QmlController::error, this, &MusicalMainController::onError);
        oscManager_ = std::move(manager);
        oscManager_->SetVisible(true);
    });
}

void MusicalMainController::onOscSettingsUpdated_(vand::osc::OscSettings newSettings,
                                                  CL::NetworkPathVectorT& newNetworks)
{
    // The settings file and the destinations are applied each on its own, so
    // a settings file that cannot be written does not lose the destinations.
    std::string failures;
    const auto note = [&failures](const std::exception& e) {
        failures += (failures.empty() ? "" : "\n") + std::string(e.what());
    };
    try {
        newSettings.Save(GetOscSettingsPath().toStdString());
    } catch (const std::exception& e) {
        note(e);
    }
    try {
        if (!player_)
            throw std::runtime_error("No show is loaded: the network destinations were not kept.");
        CL::Editor* editor = player_->GetChangeLogEditor();
        if (!editor)
            throw std::runtime_error("The change log cannot be edited: the network destinations were not kept.");
        editor->UpdateNetworks(newNetworks);
        if (editController_) {
            editController_->ReloadChangeLog();
            editController_->RefreshAfterEdit({});
        } else {
            player_->LoadNewChangeLog();
            if (editModel_) {
                editModel_->needsSave = true;
                editModel_->needsUpload = true;
            }
        }
    } catch (const std::exception& e) {
        note(e);
    }
    if (!failures.empty())
        onError(failures, kOscSettingsErrorTitle);
    oscSettings_ = newSettings;
    StartOscServer();
}

} // namespace vand::qt
