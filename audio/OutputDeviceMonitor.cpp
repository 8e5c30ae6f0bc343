#include "audio/OutputDeviceMonitor.h"

#include <stdexcept>

#include "audio/DeviceNames.h"
#include "kit/Log.h"
#include "ui/QmlController.h"
#include "vand_player_core/Interface.h"

namespace vand::qt {

OutputDeviceMonitor::OutputDeviceMonitor(PlayerSource player, DeviceLister lister)
    : player_(std::move(player))
    , lister_(std::move(lister))
{
    if (!lister_)
        lister_ = [] { return vand::audio::DeviceControlWin32().GetOutputDevices(); };
    timer_.setInterval(kPollIntervalMs);
    connect(&timer_, &QTimer::timeout, this, &OutputDeviceMonitor::Poll);
    timer_.start();
}

OutputDeviceMonitor::~OutputDeviceMonitor() = default;

std::string OutputDeviceMonitor::WarningText(const std::string& deviceName)
{
    return "The output device \"" + deviceName
           + "\" is not available. The show now plays through the system's default device. "
             "Choose a device in Audio Manager.";
}

std::string OutputDeviceMonitor::LostText(const std::string& deviceName)
{
    const std::string gone =
        deviceName.empty() ? std::string() : "The output device \"" + deviceName + "\" is not available. ";
    return gone
           + "No sound output can be opened: nothing is heard. Playback goes on silently, and the sound comes back by "
             "itself as soon as an output opens.";
}

std::string OutputDeviceMonitor::BackText()
{
    return "The sound output is open again: the show is heard.";
}

bool OutputDeviceMonitor::Check(const std::string& deviceId)
{
    if (deviceId.empty())
        return true;
    const std::vector<vand::audio::AudioDevice> devices = lister_();
    for (const vand::audio::AudioDevice& device : devices) {
        if (device.narrowId == deviceId) {
            knownId_ = device.narrowId;
            knownName_ = DeviceDisplayName(device, devices);
            return true;
        }
    }
    const std::string name = knownId_ == deviceId && !knownName_.empty() ? knownName_ : deviceId;
    // Already playing through the default device (the server moved the
    // stream there); the player follows without a stop.
    std::shared_ptr<Interface> player = player_ ? player_() : nullptr;
    if (player)
        player->SetOutputDeviceUid("");
    if (player && player->IsOutputLost()) {
        lostTold_ = true;
        emit warning(LostText(name), kLostTitle);
    } else {
        emit warning(WarningText(name), kWarningTitle);
    }
    return false;
}

void OutputDeviceMonitor::Poll()
{
    try {
        std::shared_ptr<Interface> player = player_ ? player_() : nullptr;
        if (!player)
            return;
        const std::string current = player->GetOutputDeviceUid();
        if (!current.empty())
            Check(current);
        CheckHeard(*player);
    } catch (const std::exception& e) {
        kit::Log(kit::LogLevel::Error, "audio", std::string("Checking the output device failed: ") + e.what());
    } catch (...) {
        kit::Log(kit::LogLevel::Error, "audio", "Checking the output device failed.");
    }
}

void OutputDeviceMonitor::CheckHeard(Interface& player)
{
    const bool lost = player.IsOutputLost();
    if (lost && !lostTold_) {
        lostTold_ = true;
        emit warning(LostText(), kLostTitle);
    } else if (!lost && lostTold_) {
        lostTold_ = false;
        emit information(BackText(), kBackTitle);
    }
}

void OutputDeviceMonitor::PlaybackStarted()
{
    try {
        std::shared_ptr<Interface> player = player_ ? player_() : nullptr;
        if (!player)
            return;
        if (player->IsOutputLost()) {
            lostTold_ = true;
            emit warning(LostText(), kLostTitle);
        } else {
            CheckHeard(*player);
        }
    } catch (const std::exception& e) {
        kit::Log(kit::LogLevel::Error, "audio", std::string("Checking the sound output failed: ") + e.what());
    } catch (...) {
        kit::Log(kit::LogLevel::Error, "audio", "Checking the sound output failed.");
    }
}

} // namespace vand::qt
