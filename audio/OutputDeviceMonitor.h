#pragma once

#include <QObject>
#include <QTimer>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "sfx/DeviceControlWin32.h"

class Interface;

namespace vand::qt {

// Watches the player's output device. The sound server moves a stream whose
// device goes away to its default device without telling the player, and
// Qt reports no change of the device list, so every poll, while the player
// plays on a device of its own, the device list is taken afresh: when the
// device is no longer in it, the player is switched to the default device
// (playback goes on) and `warning` says so. GUI thread only.
class OutputDeviceMonitor : public QObject
{
    Q_OBJECT
public:
    using PlayerSource = std::function<std::shared_ptr<Interface>()>;
    using DeviceLister = std::function<std::vector<vand::audio::AudioDevice>()>;

    static constexpr int kPollIntervalMs = 2000;
    static constexpr const char* kWarningTitle = "Audio Device Not Available";

    // Polls every kPollIntervalMs from now on. Without a lister the machine's
    // devices are listed (vand::audio::DeviceControlWin32).
    explicit OutputDeviceMonitor(PlayerSource player, DeviceLister lister = {});
    ~OutputDeviceMonitor() override;

    // Checks a device the player was just asked to use: true when it is the
    // default device (empty) or listed; otherwise the player goes to the
    // default device, `warning` goes out and the result is false. Throws
    // what the player throws.
    bool Check(const std::string& deviceId);
    const QTimer& Timer() const { return timer_; }

    // The text of the warning for a device of that name.
    static std::string WarningText(const std::string& deviceName);

signals:
    void warning(std::string message, std::string title);

public slots:
    // Checks the player's current device; failures go to the log.
    void Poll();

private:
    PlayerSource player_;
    DeviceLister lister_;
    QTimer timer_;
    // The device last seen in a list, so that a device that went away is
    // named as the user knew it.
    std::string knownId_;
    std::string knownName_;
};

} // namespace vand::qt
